#!/usr/bin/env bash
# Times zudiz against cmp, GNU diff, diff -I '^D&T=' and numdiff on generated
# report pairs (bench/gen_reports.cpp) and prints one table.
#
# Every tool runs on the same files in the same run, under hyperfine (a warm
# page cache, several runs, the median is reported); peak RSS comes from one
# more run under /usr/bin/time -v. Output of every tool goes to /dev/null.
#
# Rows:
#   cmp        cmp on the pair; it stops at the first differing byte (the
#              title line), so it shows the cost of starting a process
#   cmp-full   cmp of file 1 against a byte-identical copy: reading both
#              files to their ends, the floor for any comparison ("x cmp")
#   diff       GNU diff ("x diff")
#   diff-I     diff -I '^D&T='
#   numdiff    numdiff with its defaults
#   bare       bench/bare_words.cpp: both files read in 64 KB blocks, split
#              into blank-separated words, the words compared byte by byte;
#              the floor for a tool that compares words ("x bare")
#   zudiz      this program (Release, -O2, statically linked)
#   lookahead-1, lookahead-10
#              the library (bench/lookahead_bench.cpp) with a look-ahead of
#              1 line (the program's rules) and of 10 lines: what looking
#              for blocks of extra lines costs where lines differ
#   suite      zudiz-suite on the small pairs' list, -j JOBS (one process);
#              and a table of its own: eight pairs of the largest size, two
#              folders, with -j 1 and -j JOBS, and peak RSS
#   suite-size a table of its own: zudiz-suite on suites of 10,000 and
#              100,000 small pairs, time, peak RSS and report sizes, with
#              and without reports and as a merge of ten shards
#              (bench/suite_size.sh; several minutes)
#   python     a table of its own: zudiz.compare_files from Python over the
#              small pairs, a ThreadPoolExecutor of 1 and of JOBS threads
#              (bench/py_threads.py); skipped when the module is not built
#
# Settings (environment):
#   BENCH_DIR       scratch folder (default /tmp/zudiz-bench)
#   BENCH_SIZES     file sizes (default "10M 100M"; "1G" works too; set
#                   but empty: small pairs only)
#   BENCH_VARIANTS  default "same tiny lines all half extra" (see
#                   bench/gen_reports.cpp: all, half and extra change every
#                   line, every other line, and add a line in ten)
#   BENCH_RUNS      timed runs per command (default 5)
#   BENCH_SLOW_RUNS timed runs for numdiff (default 3)
#   BENCH_SMALL     number of small pairs (default 1000; 0 skips them)
#   BENCH_TOOLS     default "cmp cmp-full diff diff-I numdiff bare zudiz
#                   lookahead-1 lookahead-10 python suite-size"; add
#                   suite for the zudiz-suite rows and table
#
# The table keeps the rows of tools, variants and sizes that a run did not
# time from the run that timed them (so a run of BENCH_SIZES=1G adds its
# rows to those of an earlier default run).
#   BENCH_WORST     inputs built to be slow ("gen_reports worst"), timed as
#                   rows of their own (default "pageends plotmarks hidden
#                   codes longlines blankruns shortlines tinypages"; empty:
#                   none)
#   BENCH_WORST_SIZE   their size (default 10M)
#   BENCH_WORST_TOOLS  the tools timed on them (default "diff bare zudiz")
#   BENCH_BUILD     build folder (default build-bench)
#   BENCH_NO_BUILD  set to 1 to use the binaries already in BENCH_BUILD
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
dir=${BENCH_DIR:-/tmp/zudiz-bench}
sizes=${BENCH_SIZES-10M 100M}
variants=${BENCH_VARIANTS:-same tiny lines all half extra}
runs=${BENCH_RUNS:-5}
slow_runs=${BENCH_SLOW_RUNS:-3}
small=${BENCH_SMALL:-1000}
tools=${BENCH_TOOLS:-cmp cmp-full diff diff-I numdiff bare zudiz lookahead-1 lookahead-10 python suite-size}
worst=${BENCH_WORST-pageends plotmarks hidden codes longlines blankruns shortlines tinypages}
worst_size=${BENCH_WORST_SIZE:-10M}
worst_tools=${BENCH_WORST_TOOLS:-diff bare zudiz}
build=${BENCH_BUILD:-$root/build-bench}
jobs=${JOBS:-2}

say() { printf '== %s\n' "$*" >&2; }

# --- Tools --------------------------------------------------------------------
need=()
for pair in hyperfine:hyperfine numdiff:numdiff time:/usr/bin/time jq:jq \
            cmake:cmake g++:g++ diffutils:cmp; do
  pkg=${pair%%:*}
  cmd=${pair#*:}
  command -v "$cmd" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  say "installing ${need[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi

mkdir -p "$dir"
log=$dir/build.log
hlog=$dir/hyperfine.log
: >"$hlog"

# --- Build --------------------------------------------------------------------
if [ "${BENCH_NO_BUILD:-0}" != 1 ]; then
  say "building Release binaries in $build"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DZUDIZ_STATIC=ON \
    -DZUDIZ_TESTS=OFF -DZUDIZ_BENCH=ON >"$log" 2>&1 ||
    { cat "$log" >&2; exit 1; }
  cmake --build "$build" -j "$jobs" --target gen_reports bare_words \
    >>"$log" 2>&1 || { cat "$log" >&2; exit 1; }
  if ! cmake --build "$build" -j "$jobs" --target zudiz >>"$log" 2>&1; then
    say "zudiz does not build yet (see $log); timing the other tools"
    rm -f "$build/zudiz"
  fi
  if ! cmake --build "$build" -j "$jobs" --target lookahead_bench >>"$log" 2>&1; then
    say "lookahead_bench does not build (see $log); no lookahead rows"
    rm -f "$build/bench/lookahead_bench"
  fi
  if ! cmake --build "$build" -j "$jobs" --target zudiz-suite >>"$log" 2>&1; then
    say "zudiz-suite does not build (see $log); no suite rows"
    rm -f "$build/zudiz-suite"
  fi
  if [[ " $tools " == *" python "* ]] &&
     ! cmake --build "$build" -j "$jobs" --target zudiz_python >>"$log" 2>&1; then
    say "the Python module does not build (see $log); no Python rows"
    rm -rf "$build/python"
  fi
fi
gen=$build/bench/gen_reports
bare=$build/bench/bare_words
zudiz=$build/zudiz
suite=$build/zudiz-suite
[ -x "$suite" ] || suite=""
lookahead=$build/bench/lookahead_bench
[ -x "$lookahead" ] || lookahead=""
# The interpreter the module was built for.
python=$(sed -n 's/^Python3_EXECUTABLE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null)
compgen -G "$build/python/zudiz/_zudiz.*" >/dev/null || python=""

# --- Data ---------------------------------------------------------------------
data=$dir/data
mkdir -p "$data"
# Regenerate everything when the generator's source changed.
stamp=$(sha256sum "$here/gen_reports.cpp" | cut -c1-16)
if [ "$(cat "$data/.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$data" && mkdir -p "$data" && echo "$stamp" >"$data/.stamp"
fi
for size in $sizes; do
  for variant in $variants; do
    base=$data/$variant-$size
    if [ ! -s "$base.2.rpt" ]; then
      say "generating $variant $size"
      "$gen" pair "$variant" "$size" "$base.1.rpt" "$base.2.rpt"
    fi
  done
  first=$(set -- $variants; echo "$1")
  if [ ! -s "$data/copy-$size.rpt" ]; then
    cp "$data/$first-$size.1.rpt" "$data/copy-$size.rpt"
  fi
done
for kind in $worst; do
  base=$data/$kind-$worst_size
  if [ ! -s "$base.2.rpt" ]; then
    say "generating $kind $worst_size"
    "$gen" worst "$kind" "$worst_size" "$base.1.rpt" "$base.2.rpt"
  fi
done
if [ "$small" -gt 0 ] && [ ! -s "$data/small-$small/pairs.txt" ]; then
  say "generating $small small pairs"
  mkdir -p "$data/small-$small"
  "$gen" small "$small" "$data/small-$small"
fi

if [ -x "$zudiz" ]; then
  if [ -n "$sizes" ]; then
    probe=$data/$(set -- $variants; echo "$1")-$(set -- $sizes; echo "$1")
    probe="$probe.1.rpt $probe.2.rpt"
  elif [ -n "$worst" ]; then
    probe=$data/$(set -- $worst; echo "$1")-$worst_size
    probe="$probe.1.rpt $probe.2.rpt"
  else
    probe=$(head -1 "$data/small-$small/pairs.txt")
  fi
  heading=$("$zudiz" $probe 2>/dev/null | head -c 10 || true)
  if [ "$heading" != "Comparing " ]; then
    say "zudiz does not run end to end yet; timing the other tools"
    zudiz=""
  fi
else
  zudiz=""
fi

# The command line of a tool on a pair (for hyperfine -N, which splits it
# like a shell; so the pattern of diff -I is quoted).
command_for() {
  local tool=$1 one=$2 two=$3 copy=$4
  case $tool in
    cmp) echo "cmp $one $two" ;;
    cmp-full) echo "cmp $one $copy" ;;
    diff) echo "diff $one $two" ;;
    diff-I) echo "diff -I '^D&T=' $one $two" ;;
    numdiff) echo "numdiff $one $two" ;;
    bare) echo "$bare $one $two" ;;
    zudiz) [ -n "$zudiz" ] && echo "$zudiz $one $two" ;;
    lookahead-1) [ -n "$lookahead" ] && echo "$lookahead 1 $one $two" ;;
    lookahead-10) [ -n "$lookahead" ] && echo "$lookahead 10 $one $two" ;;
  esac
}

# Peak resident set size in KiB of one run of a command line.
peak_rss() {
  local out
  out=$(eval "/usr/bin/time -v $1" 2>&1 >/dev/null | grep 'Maximum resident')
  echo "${out##*: }"
}

# The median wall time and the mean CPU time (user + system) of a run.
times_of() {
  jq -r '.results[0] | "\(.median)\t\(.user + .system)"' "$1"
}

# Rows of earlier runs stay unless this run times them again, so that one
# tool can be timed anew (BENCH_TOOLS=zudiz) against the others' rows.
# keep_rows FILE FIELDS...: drops the rows whose first fields match one of
# the words of each FIELDS list.
keep_rows() {
  local file=$1
  shift
  touch "$file"
  awk -F'\t' -v lists="$(printf '%s|' "$@")" '
    BEGIN { n = split(lists, l, "|") - 1
            for (i = 1; i <= n; i++) { split(l[i], w, " ")
                                      for (j in w) want[i, w[j]] = 1 } }
    { drop = 1
      for (i = 1; i <= n; i++) if (!((i, $i) in want)) drop = 0
      if (!drop) print }' "$file" >"$file.tmp"
  mv "$file.tmp" "$file"
}

results=$dir/results.tsv
small_results=$dir/small.tsv
keep_rows "$results" "$tools" "$variants" "$sizes"
[ -z "$worst" ] || keep_rows "$results" "$worst_tools" "$worst" "$worst_size"
json=$dir/json
mkdir -p "$json"

# --- Large pairs --------------------------------------------------------------
for size in $sizes; do
  for variant in $variants; do
    base=$data/$variant-$size
    one=$base.1.rpt
    two=$base.2.rpt
    bytes=$(($(stat -c %s "$one") + $(stat -c %s "$two")))
    for tool in $tools; do
      cmd=$(command_for "$tool" "$one" "$two" "$data/copy-$size.rpt") || true
      [ -n "$cmd" ] || continue
      n=$runs
      [ "$tool" = numdiff ] && n=$slow_runs
      say "$tool $variant $size ($n runs)"
      out=$json/$tool-$variant-$size.json
      hyperfine -N --warmup 1 --runs "$n" --ignore-failure --output=null \
        --style none --export-json "$out" -n "$tool" "$cmd" >/dev/null \
        2>>"$hlog" || { cat "$hlog" >&2; exit 1; }
      printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$tool" "$variant" "$size" \
        "$(times_of "$out")" "$bytes" "$(peak_rss "$cmd")" >>"$results"
    done
  done
done

# --- Worst cases --------------------------------------------------------------
for kind in $worst; do
  base=$data/$kind-$worst_size
  one=$base.1.rpt
  two=$base.2.rpt
  bytes=$(($(stat -c %s "$one") + $(stat -c %s "$two")))
  for tool in $worst_tools; do
    cmd=$(command_for "$tool" "$one" "$two" "$one") || true
    [ -n "$cmd" ] || continue
    say "$tool $kind $worst_size ($runs runs)"
    out=$json/$tool-$kind-$worst_size.json
    hyperfine -N --warmup 1 --runs "$runs" --ignore-failure --output=null \
      --style none --export-json "$out" -n "$tool" "$cmd" >/dev/null \
      2>>"$hlog" || { cat "$hlog" >&2; exit 1; }
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$tool" "$kind" "$worst_size" \
      "$(times_of "$out")" "$bytes" "$(peak_rss "$cmd")" >>"$results"
  done
done

# --- Small pairs --------------------------------------------------------------
if [ "$small" -gt 0 ]; then
  keep_rows "$small_results" "true $tools"
  list=$data/small-$small/pairs.txt
  bytes=$(cat "$list" | xargs stat -c %s | awk '{s += $1} END {print s}')
  for tool in true $tools; do
    [ "$tool" = cmp-full ] && continue
    case $tool in
      true) cmd="xargs -a $list -n 2 true" ;;
      cmp) cmd="xargs -a $list -n 2 cmp" ;;
      diff) cmd="xargs -a $list -n 2 diff" ;;
      diff-I) cmd="xargs -a $list -n 2 diff -I '^D&T='" ;;
      numdiff) cmd="xargs -a $list -n 2 numdiff" ;;
      bare) cmd="xargs -a $list -n 2 $bare" ;;
      zudiz) [ -n "$zudiz" ] || continue; cmd="xargs -a $list -n 2 $zudiz" ;;
      suite) [ -n "$suite" ] || continue; cmd="$suite -j $jobs -q --pairs $list" ;;
      *) continue ;;
    esac
    say "$tool on $small small pairs"
    out=$json/$tool-small.json
    hyperfine -N --warmup 1 --runs "$runs" --ignore-failure --output=null \
      --style none --export-json "$out" -n "$tool" "$cmd" >/dev/null \
      2>>"$hlog" || { cat "$hlog" >&2; exit 1; }
    printf '%s\t%s\t%s\t%s\n' "$tool" "$(times_of "$out")" "$bytes" \
      "$small" >>"$small_results"
  done
fi

# --- Suite runner -------------------------------------------------------------
# Eight pairs of the largest size (links to the generated files, the
# variants taking turns) in two folders, run whole with -j 1 and -j JOBS.
suite_results=$dir/suite.tsv
if [ -n "$suite" ] && [ -n "$sizes" ] && [[ " $tools " == *" suite "* ]]; then
  : >"$suite_results"
  for size in $sizes; do :; done  # the last, largest size
  folder=$data/suite-$size
  mkdir -p "$folder/a" "$folder/b"
  set -- $variants
  bytes=0
  for k in 1 2 3 4 5 6 7 8; do
    turn=$(((k - 1) % $# + 1))
    variant=${!turn}
    ln -f "$data/$variant-$size.1.rpt" "$folder/a/r$k.rpt"
    ln -f "$data/$variant-$size.2.rpt" "$folder/b/r$k.rpt"
    bytes=$((bytes + $(stat -c %s "$folder/a/r$k.rpt") + $(stat -c %s "$folder/b/r$k.rpt")))
  done
  for j in $(printf '%s\n' 1 "$jobs" | sort -un); do
    cmd="$suite -j $j -q $folder/a $folder/b"
    say "suite -j $j on 8 pairs of $size"
    out=$json/suite-j$j-$size.json
    hyperfine -N --warmup 1 --runs "$runs" --ignore-failure --output=null \
      --style none --export-json "$out" -n "suite -j $j" "$cmd" >/dev/null \
      2>>"$hlog" || { cat "$hlog" >&2; exit 1; }
    printf '%s\t%s\t%s\t%s\t%s\n' "$j" "$size" "$(times_of "$out")" \
      "$bytes" "$(peak_rss "$cmd")" >>"$suite_results"
  done
fi

# --- Python threads -----------------------------------------------------------
# zudiz.compare_files over the small pairs from a ThreadPoolExecutor of 1 and
# of JOBS threads: the GIL is released while comparing.
python_results=$dir/python.tsv
if [ -n "$python" ] && [ "$small" -gt 0 ] && [[ " $tools " == *" python "* ]]; then
  say "python: ThreadPoolExecutor on $small small pairs, 1 and $jobs threads"
  PYTHONPATH=$build/python "$python" "$here/py_threads.py" \
    "$data/small-$small/pairs.txt" "$runs" $(printf '%s\n' 1 "$jobs" | sort -un) \
    >"$python_results"
fi

# --- Table --------------------------------------------------------------------
{
  echo
  echo "Large pairs: median wall time and mean CPU time (user + system) in"
  echo "seconds; MB/s of both files by the median; x cmp, x diff and x bare are"
  echo "ratios of the median to cmp-full's, diff's and bare's on the same pair"
  echo "(below 1: faster); peak RSS. Cases after lines are inputs built to be"
  echo "slow (bench/gen_reports.cpp, worst)"
  awk -F'\t' -v OFS='\t' '
    BEGIN { split("cmp cmp-full diff diff-I numdiff bare zudiz", o, " ")
            for (i in o) order[o[i]] = i
            split("same tiny lines all half extra pageends plotmarks hidden " \
                  "codes longlines blankruns shortlines tinypages", v, " ")
            for (i in v) vorder[v[i]] = i }
    { n = $3 + 0; u = substr($3, length($3))
      n *= u == "K" ? 1024 : u == "M" ? 1048576 : u == "G" ? 1073741824 : 1
      printf "%015d\t%02d\t%02d\t%s\n", n, vorder[$2], order[$1], $0 }
  ' "$results" | sort | cut -f4- | awk -F'\t' '
    { key = $2 "\t" $3; t[$1, key] = $4; row[NR] = $0 }
    END {
      printf "%-9s %-10s %-5s %9s %8s %9s %7s %7s %7s %10s\n",
             "tool", "case", "size", "median", "cpu", "MB/s", "x cmp",
             "x diff", "x bare", "peak RSS"
      for (i = 1; i <= NR; i++) {
        split(row[i], f, "\t")
        key = f[2] "\t" f[3]
        c = t["cmp-full", key]; d = t["diff", key]; b = t["bare", key]
        rss = f[7] >= 10240 ? sprintf("%.1f MiB", f[7] / 1024) \
                            : sprintf("%d KiB", f[7])
        printf "%-9s %-10s %-5s %9.4f %8.4f %9.1f %7s %7s %7s %10s\n",
               f[1], f[2], f[3], f[4], f[5], f[6] / 1e6 / f[4],
               c ? sprintf("%.2f", f[4] / c) : "-",
               d ? sprintf("%.2f", f[4] / d) : "-",
               b ? sprintf("%.2f", f[4] / b) : "-", rss
      }
    }'
  if [ -s "$small_results" ]; then
    echo
    echo "Small pairs (about 22 KB a file), one process per pair (xargs -n 2);"
    echo "suite: one zudiz-suite run over the list of all of them"
    awk -F'\t' '
      { t[$1] = $2; row[NR] = $0 }
      END {
        printf "%-9s %6s %9s %8s %12s %7s %13s\n", "tool", "pairs",
               "total s", "cpu s", "ms per pair", "x cmp", "ms over true"
        for (i = 1; i <= NR; i++) {
          split(row[i], f, "\t")
          n = f[5]
          printf "%-9s %6d %9.3f %8.3f %12.3f %7s %13.3f\n", f[1], n, f[2],
                 f[3], f[2] / n * 1000,
                 t["cmp"] ? sprintf("%.2f", f[2] / t["cmp"]) : "-",
                 (f[2] - t["true"]) / n * 1000
        }
      }' "$small_results"
  fi
  if [ -s "$suite_results" ]; then
    echo
    echo "zudiz-suite on 8 pairs in two folders, the whole run; x -j 1 is the"
    echo "speed-up over one job"
    awk -F'\t' '
      { t[$1] = $3; row[NR] = $0 }
      END {
        printf "%-6s %-6s %9s %8s %9s %8s %10s\n", "jobs", "size", "median",
               "cpu", "MB/s", "x -j 1", "peak RSS"
        for (i = 1; i <= NR; i++) {
          split(row[i], f, "\t")
          rss = f[6] >= 10240 ? sprintf("%.1f MiB", f[6] / 1024) \
                              : sprintf("%d KiB", f[6])
          printf "%-6s %-6s %9.4f %8.4f %9.1f %8s %10s\n", f[1], f[2], f[3],
                 f[4], f[5] / 1e6 / f[3],
                 t[1] ? sprintf("%.2f", t[1] / f[3]) : "-", rss
        }
      }' "$suite_results"
  fi
  if [ -s "$python_results" ]; then
    echo
    echo "Python: zudiz.compare_files on the small pairs from a ThreadPoolExecutor,"
    echo "median of the batch; x 1 thread is the speed-up over one thread"
    awk -F'\t' '
      { t[$1] = $2; row[NR] = $0 }
      END {
        printf "%-8s %6s %9s %8s %12s %10s\n", "threads", "pairs", "median",
               "cpu", "ms per pair", "x 1 thread"
        for (i = 1; i <= NR; i++) {
          split(row[i], f, "\t")
          printf "%-8s %6d %9.4f %8.4f %12.3f %10s\n", f[1], f[4], f[2], f[3],
                 f[2] / f[4] * 1000,
                 t[1] ? sprintf("%.2f", t[1] / f[2]) : "-"
        }
      }' "$python_results"
  fi
  if [ -n "$suite" ] && [[ " $tools " == *" suite-size "* ]]; then
    echo
    echo "zudiz-suite on suites of small pairs (70 % different), one run each:"
    echo "wall time, peak RSS, report sizes and the time until the HTML page"
    echo "is usable in chromium (bench/suite_size.sh)"
    "$here/suite_size.sh" "$suite" "$dir/suite-size"
  fi
} | tee "$dir/table.txt"
say "results in $dir (table.txt, results.tsv, small.tsv, python.tsv, json/)"
