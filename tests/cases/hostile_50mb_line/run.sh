#!/bin/bash
# one.txt: 50 MB of 'x' with no line end at all. Run twice: as is, and in
# word mode with plot handling off (no hand-back of the partial line). Each
# run must end within 120 seconds (generous for unoptimised builds).
head -c 50000000 /dev/zero | tr '\0' 'x' > one.txt
printf 'R1\nR2\n\nA\n' > two.txt
timeout 120 "$1" one.txt two.txt
first=$?
timeout 120 "$1" one.txt two.txt /W/-SKIPPLOT
second=$?
[ $first -eq 9 ] && exit $second
exit $first
