#!/usr/bin/env bash
# Checks that zudiz.exe ends quietly with status 9 when its standard output
# is a pipe that the reader closes early:
#
#   wine_closed_pipe.sh ZUDIZ.exe WORK_DIR WINE_RUN...
#
# Two reports that differ on every one of 20000 lines give a listing of
# about 1.7 MB (/V:100000); the reader takes 100 bytes and goes away.
set -euo pipefail

zudiz="$1"
work="$2"
shift 2

rm -rf "$work"
mkdir -p "$work"
cd "$work"
{ printf 'HEAD\nHEAD\n\n'; seq 1 20000 | sed 's/$/ alpha/'; } >one.rpt
{ printf 'HEAD\nHEAD\n\n'; seq 1 20000 | sed 's/$/ beta/'; } >two.rpt

set +e
"$@" "$zudiz" one.rpt two.rpt /V:100000 2>stderr.txt | head -c 100 >head.txt
statuses=("${PIPESTATUS[@]}")
set -e

failed=0
if [ "${statuses[0]}" -ne 9 ]; then
  echo "exit status ${statuses[0]}, expected 9"
  failed=1
fi
if [ "$(head -c 10 head.txt)" != "Comparing " ]; then
  echo "the output does not start with the heading"
  failed=1
fi
if [ -s stderr.txt ]; then
  echo "unexpected output on the error stream:"
  cat stderr.txt
  failed=1
fi
exit "$failed"
