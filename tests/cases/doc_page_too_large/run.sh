#!/bin/bash
# one.txt: a report whose fifth line is 40000 bytes long, more than the
# 30000-byte window holds; two.txt: the same report with a short line there.
{ printf 'VAV REPORT\nPAGE 1\n\nFLOW 12.5\n'
  head -c 40000 /dev/zero | tr '\0' 'x'
  printf '\nEND\n'; } > one.txt
printf 'VAV REPORT\nPAGE 1\n\nFLOW 12.5\nSHORT\nEND\n' > two.txt
exec "$1" one.txt two.txt
