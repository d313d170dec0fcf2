#!/bin/bash
# 5 million one-word pages (10 MB) in each file, then a last page that
# differs. Line mode, then word mode, both with plot sections kept; each
# run must end within 120 seconds (a hang, or quadratic time, takes hours;
# an unoptimised build on a busy machine takes about 40).
awk 'BEGIN { for (i = 0; i < 5000000; i++) printf "x\f" }' > pages.txt
{ cat pages.txt; printf 'END 1\n'; } > one.txt
{ cat pages.txt; printf 'END 2\n'; } > two.txt
timeout 120 "$1" one.txt two.txt /SKIPHEAD:0 /-SKIPPLOT
first=$?
timeout 120 "$1" one.txt two.txt /SKIPHEAD:0 /W /-SKIPPLOT
second=$?
[ $first -eq 9 ] && exit $second
exit $first
