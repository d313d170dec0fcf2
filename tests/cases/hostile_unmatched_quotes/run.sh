#!/bin/bash
# Two runs whose command lines hold a double quote that is never closed.
printf 'A\n' > one.txt
printf 'A\n' > two.txt
"$1" '"one.txt' two.txt
first=$?
"$1" one.txt 'two.txt"' /V:0
second=$?
[ $first -eq 9 ] && exit $second
exit $first
