#!/bin/bash
# one.txt and two.txt: the same one-page report whose body holds 2500 lines
# of 14 bytes (35000 bytes), more than the 30000-byte window holds at once.
{ printf 'VAV REPORT\nPAGE 1\n\n'
  for ((i = 1; i <= 2500; i++)); do printf 'ROW %04d 12.5\n' "$i"; done
  printf 'PAGE END\n'; } > one.txt
cp one.txt two.txt
exec "$1" one.txt two.txt /SKIPFOOT:1
