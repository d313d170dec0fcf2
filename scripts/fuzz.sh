#!/usr/bin/env bash
# Builds the fuzz target with clang (libFuzzer, address and undefined-behaviour
# sanitizers), seeds a corpus from the golden cases, replays every kept
# regression input, then fuzzes for FUZZ_SECONDS (default 60). Fails on any
# finding; a crashing input is left in the build folder as crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-build-fuzz}
scripts/install-deps.sh clang libclang-rt-14-dev
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DZUDIZ_FUZZ=ON -DZUDIZ_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_compare

# Seeds: each golden case as "words LF one ==== two".
corpus="$build/corpus"
mkdir -p "$corpus"
for dir in tests/cases/*/; do
  name=$(basename "$dir")
  [ -f "$dir/one.txt" ] && [ -f "$dir/two.txt" ] || continue
  {
    printf '\n'
    cat "$dir/one.txt"
    printf '\n====\n'
    cat "$dir/two.txt"
  } >"$corpus/seed-$name"
done

# Every input that ever found a fault must still pass.
"$build/fuzz_compare" -runs=0 tests/fuzz/regressions

cd "$build"
./fuzz_compare -max_total_time="$seconds" -timeout=10 -max_len=70000 \
  -print_final_stats=1 corpus 2>&1 | tail -n 25
