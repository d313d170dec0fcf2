#!/bin/bash
# A report in a sub-folder, named with another letter case: once with a
# slash, once with backslashes.
mkdir new
printf 'H1\nH2\n\nNODE 1 10.5\nNODE 2 20.5\n' > one.txt
printf 'H1\nH2\n\nNODE 1 10.5\nNODE 2 99.5\n' > new/case7.rpt
"$1" one.txt new/CASE7.RPT
first=$?
"$1" one.txt 'NEW\case7.rpt'
second=$?
[ $first -eq 9 ] && exit $second
exit $first
