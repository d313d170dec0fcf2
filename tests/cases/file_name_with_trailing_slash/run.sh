#!/bin/bash
# The file a.rpt written with a slash after it, in the case typed and in
# another case.
printf 'A\n' > a.rpt
printf 'A\n' > b.rpt
status=9
for args in "a.rpt/ b.rpt" "A.RPT/ b.rpt" "b.rpt A.Rpt\\"; do
  # shellcheck disable=SC2086
  "$1" $args
  s=$?
  [ $s -eq 9 ] || status=$s
done
exit $status
