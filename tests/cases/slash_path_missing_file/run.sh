#!/bin/bash
# Five runs with a second word that holds slashes and names no file.
printf 'A\n' > one.txt
mkdir rpt
status=9
for second in rpt/nosuch.rpt /dev/zudiz-nosuch.rpt /FOO one.txt/FOO \
  nodir/nosuch.rpt; do
  "$1" one.txt "$second"
  s=$?
  [ $s -eq 9 ] || status=$s
done
exit $status
