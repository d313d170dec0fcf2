#!/usr/bin/env bash
# Compares the bundled example reports, then the bundled example suite with
# an HTML report. The program always ends with status 9 and the suite runner
# with 1 here (some pairs differ); the demo succeeds when both ran and
# printed their summaries.
#   demo.sh [ZUDIZ [ZUDIZ_SUITE [HTML_REPORT]]]
# A program given as "-" is left out, so that `make demo` can show the
# pair's comparison before it builds the suite runner.
set -uo pipefail
program=${1:-build/zudiz}
suite=${2:-build/zudiz-suite}
[[ $program == - ]] || program=$(realpath "$program")
[[ $suite == - ]] || suite=$(realpath "$suite")
report=$(realpath -m "${3:-build/demo/suite-report.html}")
cd "$(dirname "$0")/../examples" || exit 1

if [[ $program != - ]]; then
  echo "\$ zudiz run1.rpt run2.rpt"
  output=$("$program" run1.rpt run2.rpt 2>&1 | tr -d '\r')
  status=$?
  printf '%s\n' "$output"
  echo "(exit status $status)"
  case "$output" in
    *"Numeric difference"*) ;;
    *) exit 1 ;;
  esac
  echo
fi

[[ $suite == - ]] && exit 0
echo "\$ zudiz-suite suite/baseline suite/candidate --html suite-report.html"
mkdir -p "$(dirname "$report")"
suite_output=$("$suite" suite/baseline suite/candidate --html "$report" 2>&1)
status=$?
printf '%s\n' "$suite_output"
echo "(exit status $status)"
[[ $status == 1 && -s $report ]] || exit 1
echo
echo "HTML report: $report"
