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
# '**' stands for any run of folders, also none.
expect_status 1 "$suite" base cand --glob 'sub/**/s[45].rpt' --glob '**/same.rpt'
expect_in out.txt "3 pairs: 2 same, 1 different, 0 missing, 0 errors"
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

# Nothing compared is no pass: empty folders, a glob that matches nothing
# and a list without pairs end with status 2 and write no report, unless
# --allow-empty.
mkdir -p empty1 empty2/sub
printf '# nothing yet\n' >lists/empty.txt
for args in "empty1 empty2" "base cand --glob *.lst" "--pairs lists/empty.txt"; do
  # shellcheck disable=SC2086
  expect_status 2 "$suite" $args --junit empty.xml
  expect_in err.txt "zudiz-suite: no report pairs to compare"
  checks=$((checks + 1))
  [[ -e empty.xml ]] && fail "a report of nothing: $args"
  # shellcheck disable=SC2086
  expect_status 0 "$suite" $args --allow-empty --junit empty.xml
  expect_in empty.xml 'tests="0"'
  rm -f empty.xml
done

# The same folder or file on both sides, also through a link.
ln -s base base-link
expect_status 2 "$suite" base base-link
expect_in err.txt "BASELINE and CANDIDATE are the same folder"
expect_status 2 "$suite" base/same.rpt ./base/same.rpt
expect_in err.txt "BASELINE and CANDIDATE are the same file"

# A merge is whole, or it fails and writes nothing; --allow-partial marks
# every report partial.
for k in 1 2 3 4 5 6; do
  "$suite" base cand --shard $k/6 --json six$k.json -q >/dev/null
done
echo earlier >partial.json
expect_status 2 "$suite" --merge six3.json six4.json six6.json --json partial.json --junit partial.xml
expect_in err.txt "zudiz-suite: shards 1/6, 2/6 and 5/6 are missing"
expect_in partial.json earlier
checks=$((checks + 1))
[[ -e partial.xml ]] && fail "a report of a partial merge"
expect_status 1 "$suite" --merge six1.json six3.json --allow-partial --json partial.json --junit partial.xml --html partial.html
expect_in out.txt "partial: 2 of 6 shards (1/6, 3/6)"
expect_in partial.json '"shards":["1/6","3/6"]'
expect_in partial.xml '<property name="partial" value="2 of 6 shards"/>'
expect_in partial.html "partial: 2 of 6 shards"
"$suite" base cand --shard 2/6 --switches /ALL --json other2.json -q >/dev/null
expect_status 2 "$suite" --merge six1.json other2.json --allow-partial
expect_in err.txt 'shards 1/6 and 2/6 differ in their switches: "" and "/ALL"'

# A typo in a pair list is an error that says where.
cat >lists/typos.txt <<'TEXT'
../base/same.rpt ../cand/same.rpt
../base/nope.rpt ../cand/nope.rpt
../base/gone.rpt ../cand/gone.rpt
../base/same.rpt ../cand/same.rpt /SKIPH:2
../base/sub/s1.rpt ../cand/sub/s1.rpt /FOO
TEXT
expect_status 2 "$suite" --pairs lists/typos.txt --junit typos.xml
expect_in out.txt "error      ../base/nope.rpt: neither file exists: ../base/nope.rpt, ../cand/nope.rpt"
expect_in out.txt "missing    candidate not found: ../cand/gone.rpt"
expect_in out.txt 'error      ../base/sub/s1.rpt: line 5: Bad switch "/FOO"'
expect_in typos.xml 'name="../base/same.rpt (line 1)"'
expect_in typos.xml 'name="../base/same.rpt (line 4)"'
expect_status 1 "$suite" base/gone.rpt cand/gone.rpt
expect_in out.txt "missing    candidate not found: cand/gone.rpt"

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

# The loop: run, review, accept; afterwards the suite is the same again,
# apart from the report the candidate no longer has.
mkdir -p loop
cp -r base loop/base && cp -r cand loop/cand
cp "$one" loop/base/huge.rpt  # an error pair is never accepted: none here
cd loop || exit 1
expect_status 1 "$suite" base cand --json run.json --html run.html -q
expect_status 0 "$suite" --accept run.json --dry-run
expect_in out.txt "would accept  sub/changed.rpt"
expect_status 0 "$suite" --accept run.json
expect_in out.txt "accepted  new.rpt"
expect_in out.txt "accepted  sub/s4.rpt"
expect_in out.txt "3 files accepted, 0 removed"
expect_same cand/sub/changed.rpt base/sub/changed.rpt
expect_status 1 "$suite" base cand
expect_in out.txt "missing    only in baseline: gone.rpt"
expect_in out.txt "11 pairs: 10 same, 0 different, 1 missing, 0 errors"
# Accepting the same result again has nothing left to do; a file changed
# since the run makes it refuse.
expect_status 0 "$suite" --accept run.json
expect_in out.txt "0 files accepted, 0 removed, 3 done before"
echo "changed again" >>cand/sub/changed.rpt
expect_status 2 "$suite" --accept run.json
expect_in err.txt "cand/sub/changed.rpt changed since the run"
# A report gone from the candidate fails even with --allow-added.
expect_status 1 "$suite" base cand --allow-added --glob gone.rpt
cd .. || exit 1

# Many machines: four shards at once under GNU parallel (here on this
# machine, `--sshlogin :`), merged, equal to one whole run.
checks=$((checks + 1))
if command -v parallel >/dev/null; then
  rm -f pshard-*.json
  parallel --will-cite --sshlogin : --workdir "$PWD" -j 4 \
    "'$suite' base cand --shard {}/4 --json pshard-{}.json -q; true" ::: 1 2 3 4 \
    >/dev/null 2>parallel.err || fail "parallel: $(cat parallel.err)"
  expect_status 2 "$suite" --merge pshard-*.json --json pmerged.json
  timeless whole.json >a.txt
  timeless pmerged.json >b.txt
  expect_same a.txt b.txt
else
  fail "GNU parallel is not installed (scripts/install-deps.sh installs it)"
fi

# --shard auto from a GitLab job's variables.
CI_NODE_INDEX=2 CI_NODE_TOTAL=3 expect_status 2 "$suite" base cand --shard auto --json auto.json -q
expect_in auto.json '"shard":"2/3"'
timeless auto.json >a.txt
timeless shard2.json >b.txt
expect_same a.txt b.txt
env -u CI_NODE_INDEX -u CI_NODE_TOTAL -u SLURM_ARRAY_TASK_ID -u JOB_COMPLETION_INDEX \
  "$suite" base cand --shard auto >out.txt 2>err.txt
got=$?
checks=$((checks + 1))
[[ $got == 2 ]] || fail "--shard auto without a scheduler gave exit $got"
expect_in err.txt "CI_NODE_INDEX and CI_NODE_TOTAL (GitLab)"

# Report targets: "-" is standard output and the console lines go to
# standard error; at most one report may be "-".
expect_status 1 "$suite" base/sub/changed.rpt cand/sub/changed.rpt --json -
expect_in out.txt '"format":"zudiz-suite/2"'
expect_in err.txt "1 pair: 0 same, 1 different"
checks=$((checks + 1))
grep -q "pair:" out.txt && fail "console lines on standard output with --json -"
expect_status 2 "$suite" base cand --json - --junit -
expect_in err.txt "only one report may go to standard output"

# Standard output named by a path (a magic link of /proc, which no run can
# replace): written through, to a file and to a pipe.
if [[ -e /proc/self/fd/1 ]]; then
  expect_status 1 "$suite" base/sub/changed.rpt cand/sub/changed.rpt --json /proc/self/fd/1 -q
  expect_in out.txt "1 pair: 0 same, 1 different"
  expect_in out.txt '"format":"zudiz-suite/2"'
  "$suite" base/sub/changed.rpt cand/sub/changed.rpt --json /proc/self/fd/1 -q | cat >piped.txt
  expect_in piped.txt '"format":"zudiz-suite/2"'
fi

# A link to a report is replaced where it leads; the link stays.
mkdir -p targets
echo earlier >targets/real.json
ln -s real.json targets/link.json
expect_status 1 "$suite" base/sub/changed.rpt cand/sub/changed.rpt --json targets/link.json
checks=$((checks + 1))
[[ -L targets/link.json && $(readlink targets/link.json) == real.json ]] ||
  fail "the link to the report was replaced"
expect_in targets/real.json '"format":"zudiz-suite/2"'

# A FIFO with a reader gets the report in place; the FIFO stays a FIFO.
mkfifo targets/fifo
timeout 60 cat targets/fifo >fifo_read.txt &
reader=$!
expect_status 1 "$suite" base/sub/changed.rpt cand/sub/changed.rpt --junit targets/fifo
wait "$reader"
expect_in fifo_read.txt '<testsuite name="zudiz-suite"'
checks=$((checks + 1))
[[ -p targets/fifo ]] || fail "the FIFO was replaced"

# Devices, made here (never the machine's own /dev entries): written in
# place, never replaced; a full device is status 2 with the reason; a link
# to a device stays a link. Making device nodes needs root, as CI runs.
if [[ $(id -u) == 0 ]] && mknod targets/null c 1 3 2>/dev/null &&
   mknod targets/full c 1 7 && head -c 0 targets/null 2>/dev/null; then
  ln -s null targets/link-null
  expect_status 1 "$suite" base/sub/changed.rpt cand/sub/changed.rpt \
    --json targets/null --junit targets/link-null --html targets/null-2 -q
  rm -f targets/null-2
  expect_status 2 "$suite" base/sub/changed.rpt cand/sub/changed.rpt --junit targets/full
  expect_in err.txt "zudiz-suite: cannot write targets/full: No space left on device"
  # The console on a full disk.
  checks=$((checks + 1))
  "$suite" base/sub/changed.rpt cand/sub/changed.rpt >targets/full 2>err.txt
  got=$?
  [[ $got == 2 ]] || fail "a full console gave exit $got, not 2"
  expect_in err.txt "zudiz-suite: cannot write: No space left on device"
  checks=$((checks + 1))
  [[ $(stat -c %F:%t:%T targets/null) == "character special file:1:3" &&
     $(stat -c %F:%t:%T targets/full) == "character special file:1:7" &&
     -L targets/link-null && $(readlink targets/link-null) == null ]] ||
    fail "a device or link was changed: $(ls -l targets)"
else
  echo "skipped: device targets need root and a file system that allows devices"
fi
checks=$((checks + 1))
ls -A targets | grep -q part && fail "a temporary report was left: $(ls -A targets)"

# Every ending removes the temporary reports and leaves earlier ones as they
# were. The run waits to open the HTML report, a FIFO without a reader,
# after the other two are created: the signal comes while it waits.
# wait_for_parts DIR: until DIR holds two temporary reports (at most 30 s).
wait_for_parts() {
  local i
  for ((i = 0; i < 300; i++)); do
    (($(ls -A "$1" | grep -c '\.part$') == 2)) && return 0
    sleep 0.1
  done
  return 1
}
for signal in HUP:129 TERM:143 INT:130; do
  name=${signal%:*}
  want=${signal#*:}
  rm -rf ends && mkdir ends && mkfifo ends/wait.html
  echo earlier >ends/r.json
  echo earlier >ends/r.xml
  "$suite" base cand --json ends/r.json --junit ends/r.xml --html ends/wait.html \
    >out.txt 2>err.txt &
  pid=$!
  checks=$((checks + 1))
  wait_for_parts ends || fail "SIG$name: no temporary reports to remove"
  # A first Ctrl-C only asks the run to stop; the next one ends it. Two
  # signals sent at once may arrive as one, so Ctrl-C is repeated until the
  # run has ended.
  kill -s "$name" "$pid"
  while [[ $name == INT ]] && kill -0 "$pid" 2>/dev/null; do
    sleep 0.1
    kill -s INT "$pid" 2>/dev/null
  done
  wait "$pid"
  got=$?
  [[ $got == "$want" ]] || fail "SIG$name gave exit $got, not $want"
  checks=$((checks + 1))
  [[ $(cat ends/r.json ends/r.xml) == $'earlier\nearlier' ]] ||
    fail "SIG$name changed an earlier report"
  checks=$((checks + 1))
  ls -A ends | grep -q part && fail "SIG$name left a temporary report: $(ls -A ends)"
done

# A closed standard output ends the run quietly with 141: the reader is gone
# before the first line is written.
rm -rf ends && mkdir ends && echo earlier >ends/r.json
checks=$((checks + 1))
perl -e 'pipe(R, W) or die; close R; open(STDOUT, ">&W") or die; exec @ARGV' \
  "$suite" -v base cand --json ends/r.json 2>err.txt
got=$?
[[ $got == 141 ]] || fail "a closed standard output gave exit $got, not 141"
checks=$((checks + 1))
[[ -s err.txt ]] && fail "a closed standard output is not quiet: $(cat err.txt)"
expect_in ends/r.json earlier
checks=$((checks + 1))
ls -A ends | grep -q part && fail "a closed pipe left a temporary report: $(ls -A ends)"

# Long names: the suite opens files of 300, 4000 and 5000 bytes (past
# PATH_MAX), reached here one folder at a time, and walks folders whose
# files have names of 300 and 4000 bytes.
part=$(printf 'f%.0s' $(seq 198))
for length in 300 4000 5000; do
  path=$part
  while ((3 + ${#path} + 1 + 200 < length)); do path=$path/$part; done
  name=$(printf 'r%.0s' $(seq $((length - 3 - ${#path} - 1 - 4))))
  for side in a b; do
    (
      IFS=/
      for f in "l$side$length" $path; do mkdir -p "$f" && cd "$f" || exit 1; done
      [[ $side == a ]] && cp "$one" "$name.rpt" || cp "$two" "$name.rpt"
    ) || fail "cannot make the $length-byte names"
  done
  checks=$((checks + 1))
  whole=la$length/$path/$name.rpt
  ((${#whole} >= length && ${#whole} < length + 5)) ||
    fail "the names are not $length bytes long: ${#whole}"
  expect_status 1 "$suite" "la$length/$path/$name.rpt" "lb$length/$path/$name.rpt"
  expect_in out.txt "1 pair: 0 same, 1 different"
  if ((length < 4096)); then
    expect_status 1 "$suite" "la$length" "lb$length" -q
    expect_in out.txt "1 pair: 0 same, 1 different"
  fi
  rm -rf "la$length" "lb$length"
done

# A file that cannot be read: the system's reason, seen as a user who is not
# root (root reads a file of mode 000).
if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
  rm -rf locked && mkdir -p locked/baseline locked/candidate
  cp "$one" locked/baseline/locked.rpt && cp "$one" locked/candidate/locked.rpt
  chmod -R o+rX locked
  chmod 000 locked/candidate/locked.rpt
  expect_status 2 setpriv --reuid=nobody --regid=nogroup --clear-groups \
    "$suite" locked/baseline locked/candidate --json -
  expect_in err.txt "error      locked.rpt: cannot open locked/candidate/locked.rpt: Permission denied"
  expect_in out.txt '"message":"cannot open locked/candidate/locked.rpt: Permission denied"'
  expect_in out.txt '*** Could not open LOCKED/CANDIDATE/LOCKED.RPT'
else
  echo "skipped: an unreadable file needs root to run the suite as nobody"
fi

echo "$((checks - failures)) passed, $failures failed"
((failures == 0))
