#!/bin/bash
# 40000 blank lines between A and B in one.txt.
{ printf 'R1\nR2\n\nA\n'; head -c 40000 /dev/zero | tr '\0' '\n'; printf 'B\n'; } > one.txt
printf 'R1\nR2\n\nA\nB\n' > two.txt
exec "$1" one.txt two.txt
