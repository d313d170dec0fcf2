#!/usr/bin/env bash
# Compares the bundled example reports. The program always ends with status
# 9; the demo succeeds when the comparison ran and printed its summary.
set -uo pipefail
program=$(realpath "${1:-build/zudiz}")
cd "$(dirname "$0")/../examples"
echo "\$ zudiz run1.rpt run2.rpt"
output=$("$program" run1.rpt run2.rpt 2>&1 | tr -d '\r')
status=$?
printf '%s\n' "$output"
echo "(exit status $status)"
case "$output" in
  *"Numeric difference"*) exit 0 ;;
  *) exit 1 ;;
esac
