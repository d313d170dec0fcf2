#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, address and
# undefined-behaviour sanitizers): fuzz_compare (the comparison) and
# fuzz_suite (the suite's readers of pair lists and JSON results). Seeds a
# corpus for each, replays every kept regression input, then fuzzes for
# FUZZ_SECONDS in all (default 60: two thirds for fuzz_compare, the rest for
# fuzz_suite) with one process. Fails on any finding; a crashing input is
# left in the build folder as crash-*. Extra libFuzzer flags may be given in
# FUZZ_FLAGS (for a long run: FUZZ_SECONDS=7200 FUZZ_FLAGS=-print_pcs=0
# scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-build-fuzz}
scripts/install-deps.sh clang libclang-rt-14-dev
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DZUDIZ_FUZZ=ON -DZUDIZ_TESTS=OFF \
  -DZUDIZ_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_compare fuzz_suite
suite_seconds=$((seconds / 3))
seconds=$((seconds - suite_seconds))

# Seeds: each golden case as "words LF one ==== two", the words being the
# case's command-line words without the two report names (a switch glued to
# a name stays), so that the fuzzer starts from every switch in use.
corpus="$build/corpus"
mkdir -p "$corpus"
for dir in tests/cases/*/; do
  name=$(basename "$dir")
  one="$dir/one.txt"
  two="$dir/two.txt"
  [ -f "$one" ] || one="$dir/one.src"
  [ -f "$one" ] || one=/dev/null
  [ -f "$two" ] || two=/dev/null
  words=""
  if [ -f "$dir/args" ]; then
    while IFS= read -r word || [ -n "$word" ]; do
      if [ -z "$word" ]; then
        words+='"" '
        continue
      fi
      word=${word//one.txt/}
      word=${word//two.txt/}
      [ -z "$word" ] || words+="$word "
    done <"$dir/args"
  fi
  {
    printf '%s\n' "$words"
    cat "$one"
    printf '\n====\n'
    cat "$two"
  } >"$corpus/seed-$name"
done

# Seeds larger than the 30000-byte page window, so that refilling,
# compaction, a late plot marker and a line too long for the window are
# reached from the start.
awk 'BEGIN {
  printf "\n";
  for (f = 1; f <= 2; f++) {
    printf "HEAD\nDATE\n\n";
    for (i = 1; i <= 1100; i++) {
      v = (f == 2 && i % 97 == 0) ? i + 1 : i;
      printf "line %d value %d.5 D&T=x\n", i, v;
    }
    if (f == 1) printf "\n====\n";
  }
}' >"$corpus/seed-large-pages"
awk 'BEGIN {
  printf "/W\n";
  for (i = 1; i <= 1300; i++) printf "row %05d abc\n", i;
  printf "\025plot\npart\025after\ntext\025open\n\f";
  printf "\n====\n";
  for (i = 1; i <= 1300; i++) printf "row %05d abc\n", i;
  printf "after\ntext\n";
}' >"$corpus/seed-late-plot-marker"
awk 'BEGIN {
  printf "/SKIPFOOT:2\n";
  for (i = 1; i <= 31000; i++) printf "x";
  printf "\n====\nshort\n";
}' >"$corpus/seed-long-line"

# The suite's readers: the first byte picks the reader (0: JSON results,
# 1: a pair list). Seeds are a pair list and JSON results of each shape the
# suite writes (a shard, a partial merge).
suite_corpus="$build/suite_corpus"
mkdir -p "$suite_corpus"
for list in tests/fuzz/suite_seeds/*.list; do
  { printf '\001'; cat "$list"; } >"$suite_corpus/seed-$(basename "$list")"
done
for json in tests/fuzz/suite_seeds/*.json; do
  { printf '\000'; cat "$json"; } >"$suite_corpus/seed-$(basename "$json")"
done

# Every input that ever found a fault must still pass.
"$build/fuzz_compare" -runs=0 -artifact_prefix="$build/" tests/fuzz/regressions
"$build/fuzz_suite" -runs=0 -artifact_prefix="$build/" \
  tests/fuzz/suite_regressions

cd "$build"
# shellcheck disable=SC2086
./fuzz_compare -max_total_time="$seconds" -timeout=10 -max_len=70000 \
  -artifact_prefix=./ \
  -dict=../tests/fuzz/zudiz.dict -print_final_stats=1 ${FUZZ_FLAGS:-} \
  corpus 2>&1 | tail -n 25
# shellcheck disable=SC2086
./fuzz_suite -max_total_time="$suite_seconds" -timeout=10 -max_len=20000 \
  -artifact_prefix=./ -dict=../tests/fuzz/suite.dict -print_final_stats=1 \
  ${FUZZ_FLAGS:-} suite_corpus 2>&1 | tail -n 25
