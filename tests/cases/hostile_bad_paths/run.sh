#!/bin/bash
# Four runs: a missing file 2, a directory as file 1, a directory as file 2,
# and a directory written with a trailing slash.
printf 'A\n' > one.txt
mkdir adir
status=9
for args in "one.txt nothere.txt" "adir one.txt" "one.txt adir" "one.txt adir/"; do
  # shellcheck disable=SC2086
  "$1" $args
  s=$?
  [ $s -eq 9 ] || status=$s
done
exit $status
