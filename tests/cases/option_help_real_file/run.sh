#!/bin/bash
# A report file really named --help: it stays a file name.
printf 'H1\nH2\n\nNODE 1 10.5\n' > --help
printf 'H1\nH2\n\nNODE 1 11.5\n' > two.txt
"$1" --help
first=$?
"$1" --help two.txt
second=$?
[ $first -eq 9 ] && exit $second
exit $first
