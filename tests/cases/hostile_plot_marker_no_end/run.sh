#!/bin/bash
# one.txt: a plot marker on the PRESS line and no closing marker; behind it
# about 100 KB of text (lines, form feeds, TABs, NULs, no Ctrl-U).
{
  printf 'R1\nR2\n\nTEMP 300\nPRESS 5\025'
  for i in $(seq 1 2500); do printf 'junk %d\t\000 zz 9.9\n' "$i"; done
  printf '\f\fMORE 1\n'
  head -c 20000 /dev/zero | tr '\0' 'q'
} > one.txt
printf 'R1\nR2\n\nTEMP 300\nPRESS 5\n' > two.txt
exec "$1" one.txt two.txt
