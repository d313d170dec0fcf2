#!/usr/bin/env bash
# The suite's size rows: zudiz-suite on suites of many small pairs
# (bench/gen_suite.py, 70 % different), each run once under /usr/bin/time:
# wall time, peak RSS and the size of each report, with no report, with
# --json --junit --html, and a --merge of ten shards of a tenth each; and
# how long the HTML page of the run with reports takes to become usable in
# chromium (bench/page_ready.mjs, fastest of three loads; "-" when chromium
# or the browser test's puppeteer-core is not installed). The load average
# is printed with each count, as the times depend on it.
#
#   bench/suite_size.sh SUITE_PROGRAM FOLDER [COUNTS]
#
# COUNTS defaults to "10000 100000". FOLDER holds the generated suites and
# reports while it runs and is removed at the end. One process at a time,
# -j 2; on a shared machine the times are only a rough guide.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
suite=$1
dir=$2
counts=${3:-10000 100000}
jobs=2
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT

# Runs the command, prints "SECONDS PEAK_KB".
measure() {
  /usr/bin/time -f '%e %M' "$@" >/dev/null 2>"$dir/time.txt" || true
  tail -n 1 "$dir/time.txt"
}

size_of() { [ -f "$1" ] && stat -c %s "$1" || echo 0; }

# Milliseconds until the page at $1 is usable, or "-".
page_ready() {
  if command -v node >/dev/null && [ -x "${ZUDIZ_CHROMIUM:-/usr/bin/chromium}" ] &&
     [ -d "$here/../tests/suite/browser/node_modules/puppeteer-core" ]; then
    node "$here/page_ready.mjs" "$1" 2>/dev/null || echo -
  else
    echo -
  fi
}

printf '%-8s %-9s %8s %10s %12s %12s %12s %9s\n' pairs run seconds "peak KiB" \
  "JSON bytes" "JUnit bytes" "HTML bytes" "page ms"
for count in $counts; do
  s=$dir/s$count
  python3 "$here/gen_suite.py" "$count" "$s"
  echo "# $count pairs, load average $(cut -d' ' -f1-3 /proc/loadavg)"
  read -r t m < <(measure "$suite" -j $jobs -q "$s/a" "$s/b")
  printf '%-8s %-9s %8s %10s %12s %12s %12s %9s\n' "$count" none "$t" "$m" \
    - - - -
  read -r t m < <(measure "$suite" -j $jobs -q --json "$dir/r.json" \
    --junit "$dir/r.xml" --html "$dir/r.html" "$s/a" "$s/b")
  printf '%-8s %-9s %8s %10s %12s %12s %12s %9s\n' "$count" reports "$t" \
    "$m" "$(size_of "$dir/r.json")" "$(size_of "$dir/r.xml")" \
    "$(size_of "$dir/r.html")" "$(page_ready "$dir/r.html")"
  python3 -c 'import json, sys; json.load(open(sys.argv[1]))' "$dir/r.json"
  for k in 1 2 3 4 5 6 7 8 9 10; do
    "$suite" -j $jobs -q --shard "$k/10" --json "$dir/shard$k.json" \
      "$s/a" "$s/b" >/dev/null || true
  done
  read -r t m < <(measure "$suite" -q --merge "$dir"/shard*.json \
    --json "$dir/m.json" --junit "$dir/m.xml" --html "$dir/m.html")
  printf '%-8s %-9s %8s %10s %12s %12s %12s %9s\n' "$count" merge "$t" "$m" \
    "$(size_of "$dir/m.json")" "$(size_of "$dir/m.xml")" \
    "$(size_of "$dir/m.html")" -
  rm -rf "$s" "$dir"/*.json "$dir"/*.xml "$dir"/*.html
done
