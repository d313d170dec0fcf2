#!/usr/bin/env bash
# zudiz-suite.exe of the Windows cross build under wine: a folder run with
# every kind of pair, its exit status and console lines, and its reports.
#   wine_suite_test.sh ZUDIZ_SUITE_EXE EXAMPLES_DIR WORK_DIR WINE_RUN...
set -u
suite=$1
examples=$2
work=$3
shift 3
failures=0
checks=0

# check CONDITION... MESSAGE: counts a check, fails it when the command fails.
check() {
  checks=$((checks + 1))
  local message=${*: -1}
  "${@:1:$#-1}" || fail "$message"
}

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work/base/sub" "$work/cand/sub"
cd "$work" || exit 1
cp "$examples/run1.rpt" base/same.rpt && cp "$examples/run1.rpt" cand/same.rpt
cp "$examples/run1.rpt" base/sub/changed.rpt
cp "$examples/run2.rpt" cand/sub/changed.rpt
cp "$examples/run1.rpt" base/gone.rpt
head -c 40000 /dev/zero | tr '\0' A >base/huge.rpt
cp "$examples/run1.rpt" cand/huge.rpt

"$@" "$suite" base cand -j 2 --json r.json --junit r.xml >out.txt 2>err.txt
status=$?
check test "$status" = 2 "exit $status, not 2"
tr -d '\r' <out.txt | sed -E 's/ in [0-9.]+ s$//' >got.txt
cat >want.txt <<'TEXT'
missing    only in baseline: gone.rpt
error      huge.rpt: Page too large to fit in buffer
different  sub/changed.rpt  3 lines, 8 words, 1 number (2 excused)
4 pairs: 1 same, 1 different, 1 missing, 1 error
TEXT
check cmp want.txt got.txt "console lines"
check grep -q '"format":"zudiz-suite/2"' r.json "no JSON record"
if command -v xmllint >/dev/null; then
  check xmllint --noout r.xml "xmllint rejects the JUnit report"
fi

# Shards merged give the same lines.
for k in 1 2; do
  "$@" "$suite" base cand --shard $k/2 --json s$k.json -q >/dev/null 2>&1
done
"$@" "$suite" --merge s1.json s2.json >out.txt 2>err.txt
status=$?
check test "$status" = 2 "merge exit $status, not 2"
tr -d '\r' <out.txt | sed -E 's/ in [0-9.]+ s$//' >got.txt
check cmp want.txt got.txt "merged console lines"

# "-" is standard output (the console lines go to standard error); NUL is
# written in place, never replaced.
"$@" "$suite" base/sub/changed.rpt cand/sub/changed.rpt --json - --junit NUL \
  >out.txt 2>err.txt
status=$?
check test "$status" = 1 "--json - exit $status, not 1"
check grep -q '"format":"zudiz-suite/2"' out.txt "no JSON on standard output"
check grep -q "1 pair: 0 same, 1 different" err.txt "no console lines on standard error"
check test ! -e NUL "a file NUL was made"
check test -z "$(ls -A | grep part)" "a temporary report was left"

# Names past 260 characters, in the \\?\ form.
part=$(printf 'f%.0s' $(seq 120))
long=long/$part/$part/$part
mkdir -p "$long"
cp "$examples/run1.rpt" "$long/one.rpt" && cp "$examples/run2.rpt" "$long/two.rpt"
"$@" "$suite" "$long/one.rpt" "$long/two.rpt" --json "$long/r.json" >out.txt 2>err.txt
status=$?
check test "$status" = 1 "a long name: exit $status, not 1"
check grep -q "1 pair: 0 same, 1 different" out.txt "a long name is not compared"
check grep -q '"format":"zudiz-suite/2"' "$long/r.json" "no report at a long name"

echo "$((checks - failures)) passed, $failures failed"
((failures == 0))
