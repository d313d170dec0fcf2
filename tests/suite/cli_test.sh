#!/usr/bin/env bash
# End-to-end runs of the zudiz-suite program on report pairs made from the
# bundled examples: folder and list mode, every exit status, shards merged
# equal to one whole run, reports checked by parsers, the progress line only
# under a terminal, and Ctrl-C.
#   cli_test.sh ZUDIZ_SUITE EXAMPLES_DIR WORK_DIR
set -u
suite=$1
examples=$2
work=$3
failures=0
checks=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_status WANT COMMAND...: runs the command with its output in out.txt
# and err.txt and checks its exit status.
expect_status() {
  local want=$1
  shift
  checks=$((checks + 1))
  "$@" >out.txt 2>err.txt
  local got=$?
  if [[ $got != "$want" ]]; then
    fail "exit $got, not $want: $*"
    sed 's/^/  | /' out.txt err.txt >&2
  fi
}

# expect_in FILE TEXT: the file holds the text (a fixed string).
expect_in() {
  checks=$((checks + 1))
  grep -qF -- "$2" "$1" || { fail "$1 lacks: $2"; sed 's/^/  | /' "$1" >&2; }
}

expect_same() {
  checks=$((checks + 1))
  cmp -s "$1" "$2" || { fail "$1 and $2 differ"; diff "$1" "$2" | head -20 >&2; }
}

# Drops what changes from run to run: the time of the closing line and the
# JSON and JUnit times.
timeless() {
  sed -E 's/ in [0-9.]+ s$//; s/"(seconds|date)":[^,]*,//g; s/ (time|timestamp)="[^"]*"//g' "$1"
}

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

# A suite: same, different, missing on each side, and one fatal error.
one=$examples/run1.rpt
two=$examples/run2.rpt
mkdir -p base/sub cand/sub
cp "$one" base/same.rpt && cp "$one" cand/same.rpt
cp "$one" base/sub/changed.rpt && cp "$two" cand/sub/changed.rpt
cp "$one" base/gone.rpt
cp "$two" cand/new.rpt
head -c 40000 /dev/zero | tr '\0' A >base/huge.rpt
cp "$one" cand/huge.rpt
for i in 1 2 3 4 5 6; do
  cp "$one" base/sub/s$i.rpt && cp "$one" cand/sub/s$i.rpt
done
cp "$two" cand/sub/s4.rpt

# Folder mode: one line per pair that is not the same, in name order.
expect_status 2 "$suite" base cand -j 2
cat >want.txt <<'TEXT'
missing    only in baseline: gone.rpt
error      huge.rpt: Page too large to fit in buffer
missing    only in candidate: new.rpt
different  sub/changed.rpt  3 lines, 8 words, 1 number (2 excused)
different  sub/s4.rpt  3 lines, 8 words, 1 number (2 excused)
11 pairs: 6 same, 2 different, 2 missing, 1 error
TEXT
timeless out.txt >got.txt
expect_same want.txt got.txt
checks=$((checks + 1))
[[ -s err.txt ]] && fail "standard error without a terminal: $(cat err.txt)"

# -q: the closing line alone.
expect_status 2 "$suite" base cand -q
tail -1 want.txt >want_q.txt
timeless out.txt >got.txt
expect_same want_q.txt got.txt

# The same lines whatever -j is.
expect_status 2 "$suite" base cand -j 1
timeless out.txt >got1.txt
expect_same want.txt got1.txt

# Each exit status.
expect_status 0 "$suite" base/sub/s1.rpt cand/sub/s1.rpt
expect_in out.txt "1 pair: 1 same, 0 different, 0 missing, 0 errors in "
expect_status 0 "$suite" base cand --glob 's[1-3].rpt' --glob same.rpt
expect_in out.txt "4 pairs: 4 same"
expect_status 1 "$suite" base cand --glob 'new.rpt' --glob 'sub/*'
expect_in out.txt "8 pairs: 5 same, 2 different, 1 missing, 0 errors"
expect_status 1 "$suite" base/gone.rpt cand/gone.rpt
expect_status 2 "$suite" base cand --switches /NOSUCHSWITCH
expect_in err.txt "zudiz-suite: bad --switches"
expect_status 2 "$suite" base
expect_in err.txt "Try 'zudiz-suite --help'"
expect_status 2 "$suite" base cand --json no/such/folder/r.json
expect_status 0 "$suite" --help
expect_in out.txt "--pairs LIST"
expect_status 0 "$suite" --version
expect_in out.txt "zudiz-suite "

# The switches change the outcome: /IGNORE:1 excuses the one number.
expect_status 1 "$suite" base/sub/changed.rpt cand/sub/changed.rpt -v --switches /ALL
expect_in out.txt "Comparing "
expect_in out.txt "Lines compared"

# List mode: paths relative to the list, per-line switches after the global
# ones, a bad switch on one line is that pair's error.
mkdir -p lists
cat >lists/pairs.txt <<'TEXT'
# baseline candidate switches
../base/same.rpt ../cand/same.rpt
"../base/sub/changed.rpt" ../cand/sub/changed.rpt /SKIPH:2

../base/sub/s1.rpt ../cand/sub/s1.rpt /NOSUCHSWITCH
TEXT
expect_status 2 "$suite" --pairs lists/pairs.txt
expect_in out.txt "different  ../base/sub/changed.rpt  3 lines"
expect_in out.txt "error      ../base/sub/s1.rpt: "
expect_in out.txt "3 pairs: 1 same, 1 different, 0 missing, 1 error"

# Reports: JSON read back by --merge and by a JSON parser where there is
# one; JUnit checked by xmllint.
expect_status 2 "$suite" base cand --json whole.json --junit whole.xml -q
expect_in whole.json '"format":"zudiz-suite/2"'
expect_in whole.json '"status":"different"'
if command -v python3 >/dev/null; then
  checks=$((checks + 1))
  python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert d["totals"]["pairs"] == 11, d["totals"]' whole.json ||
    fail "python3 does not read whole.json"
fi
if command -v xmllint >/dev/null; then
  checks=$((checks + 1))
  xmllint --noout whole.xml || fail "xmllint rejects whole.xml"
fi
expect_in whole.xml '<testsuite name="zudiz-suite" tests="11" failures="4" errors="1"'

# Shards merged equal one whole run: console, JSON and JUnit.
for k in 1 2 3; do
  "$suite" base cand --shard $k/3 --json shard$k.json -q >/dev/null
done
expect_status 2 "$suite" --merge shard3.json shard1.json shard2.json --json merged.json --junit merged.xml
timeless out.txt >got.txt
expect_same want.txt got.txt
timeless whole.json >a.txt
timeless merged.json >b.txt
expect_same a.txt b.txt
timeless whole.xml >a.txt
timeless merged.xml >b.txt
expect_same a.txt b.txt

# The progress line: drawn on a terminal, never in a log.
if command -v script >/dev/null; then
  checks=$((checks + 1))
  script -qec "'$suite' base cand -j 1" /dev/null >typescript.txt 2>&1
  grep -qa "pairs  .* read" typescript.txt || fail "no progress line under a terminal"
  expect_status 2 "$suite" base cand -j 1
  checks=$((checks + 1))
  grep -q "read" err.txt && fail "a progress line without a terminal"
fi

# Ctrl-C: no new pair starts, earlier reports stay, no temporary files,
# exit status 130. Many pairs of a larger report that differs on every
# line keep the run going (identical pairs pass too fast to be stopped).
mkdir -p slow/a slow/b
for i in $(seq 1 300); do cat "$one"; done >slow/big.rpt
sed 's/[0-9]/7/g' slow/big.rpt >slow/big2.rpt
for i in $(seq 1 400); do
  ln slow/big.rpt slow/a/r$i.rpt
  ln slow/big2.rpt slow/b/r$i.rpt
done
echo earlier >slow/r.json
checks=$((checks + 1))
timeout --foreground --preserve-status -s INT 0.5 "$suite" slow/a slow/b -j 1 --json slow/r.json >out.txt 2>err.txt
got=$?
[[ $got == 130 ]] || fail "Ctrl-C gave exit $got, not 130"
expect_in err.txt "interrupted"
expect_in slow/r.json "earlier"
checks=$((checks + 1))
ls -A slow | grep -q part && fail "a temporary report was left: $(ls -A slow)"

echo "$((checks - failures)) passed, $failures failed"
((failures == 0))
