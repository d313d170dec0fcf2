#!/bin/bash
# 30000 listed differences (about 1.5 MB of output) into a pipe whose reader
# leaves after the first line. The program must end at once, quietly: its
# status is passed on and anything it wrote to stderr is shown.
awk -v w=A 'BEGIN { printf "H1\nH2\n\n"; for (i = 1; i <= 30000; i++) printf "%s %d\n", w, i }' > one.txt
awk -v w=B 'BEGIN { printf "H1\nH2\n\n"; for (i = 1; i <= 30000; i++) printf "%s %d\n", w, i }' > two.txt
timeout 30 "$1" one.txt two.txt /V:1000000 2>stderr.txt | head -n 1
status=${PIPESTATUS[0]}
cat stderr.txt
exit "$status"
