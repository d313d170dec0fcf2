#!/bin/bash
# The listing goes to a device that is always full. The program must name the
# error in one line on stderr and end with status 9; stderr is passed on as
# the output to match.
printf 'H1\nH2\n\nA 1\n' > one.txt
printf 'H1\nH2\n\nA 2\n' > two.txt
"$1" one.txt two.txt >/dev/full 2>stderr.txt
status=$?
cat stderr.txt
exit "$status"
