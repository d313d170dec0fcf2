// Micro-benchmarks of the three innermost operations of a comparison: the
// token reader (nextToken), number recognition (scanUnits) and the word
// comparison (compareWords). They run the program's own code on in-memory
// files through the test host, so they time the code, not the disk.
//
//   micro_bench [--benchmark_filter=REGEX] [other Google Benchmark flags]
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "compare/word_compare.h"
#include "core/number.h"
#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "reader/checkpoints.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"
#include "support/fake_host.h"

namespace {

// A report body of about `size` bytes: table rows in the written forms the
// comparison meets, CR LF line ends, a form feed every 60 lines.
std::string makeReport(std::size_t size, int variant) {
  static const char* const kRows[] = {
      "   26304  TRUSS-3856     131   3.808D+03  8,088,250  -7.48e0    2106 "
      "  6541.6  WARN",
      "   92170  BEAM-9352      394   696   139.1kN   51244     946mm     "
      "727.23  638,228,477.27  n/a",
      "   87013  TRUSS-8075     8.538985   6453.5   977   9.047439  "
      "7,866,587  CHECK",
      "   19974  BRACE-4406       7.7D-02   3.448232 -6.376E-02  OK",
      "  Iteration 90 converged after 5.018s, residual 1.59e-09",
      "  Total mass = 364,427.3 kg; centre of mass x=70.370 y=66.655",
  };
  // The second file of a pair: the same rows with one excused change each
  // (a last-place or a below-0.1% difference).
  static const char* const kTinyRows[] = {
      "   26304  TRUSS-3856     131   3.809D+03  8,088,250  -7.48e0    2106 "
      "  6541.6  WARN",
      "   92170  BEAM-9352      394   696   139.2kN   51244     946mm     "
      "727.23  638,228,477.27  n/a",
      "   87013  TRUSS-8075     8.538985   6453.6   977   9.047439  "
      "7,866,587  CHECK",
      "   19974  BRACE-4406       7.7D-02   3.448232 -6.377E-02  OK",
      "  Iteration 90 converged after 5.019s, residual 1.59e-09",
      "  Total mass = 364,427.3 kg; centre of mass x=70.371 y=66.655",
  };
  std::string text;
  text.reserve(size + 200);
  for (int line = 0; text.size() < size; ++line) {
    if (line % 60 == 59) {
      text += '\f';
    }
    std::size_t row = static_cast<std::size_t>(line) % 6;
    text += variant == 0 ? kRows[row] : kTinyRows[row];
    text += "\r\n";
  }
  return text;
}

// Opens both reports and readies the comparison, as the driver does.
void startBoth(RunState& run, FakeHost& host) {
  run.files[Side::kOne].fileHandle = host.openForReading("one.rpt", "one.rpt");
  run.files[Side::kTwo].fileHandle = host.openForReading("two.rpt", "two.rpt");
  resetReader(run, Side::kOne);
  resetReader(run, Side::kTwo);
  startComparison(run);
}

void BM_NextToken(benchmark::State& state) {
  FakeHost host;
  std::string text = makeReport(1 << 20, 0);
  host.addFile("one.rpt", text);
  host.addFile("two.rpt", text);
  RunState run{host};
  setDefaults(run);
  std::int64_t tokens = 0;
  for (auto _ : state) {
    state.PauseTiming();
    startBoth(run, host);
    state.ResumeTiming();
    while (!atFileEnd(run, Side::kOne)) {
      nextToken(run, Side::kOne);
      ++tokens;
      if (position(run, Side::kOne).atLineEnd) {
        moveCheckpointsToCurrent(run, Side::kOne);
      }
    }
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(text.size()));
  state.counters["tokens"] = benchmark::Counter(static_cast<double>(tokens),
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NextToken)->Unit(benchmark::kMillisecond);

void BM_ScanNumber(benchmark::State& state) {
  static const char* const kWords[] = {
      "131",      "-7.48e0",    "8,088,250", "3.808D+03", "6541.6",
      "139.1kN",  "946mm",      "-5261.43",  "1.59e-09",  "638,228,477.27",
      "9.047439", "-6.376E-02", "0.0042",    "+42",       "TRUSS-3856",
      "WARN",     "2023-01-05", "85%",       "E5",        "x=70.370"};
  std::vector<std::size_t> lengths;
  for (const char* w : kWords) {
    lengths.push_back(std::strlen(w));
  }
  std::size_t n = lengths.size();
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) {
      std::size_t trailing = 0;
      std::int64_t v = scanUnits(kWords[i], lengths[i], trailing);
      benchmark::DoNotOptimize(v);
      benchmark::DoNotOptimize(trailing);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(BM_ScanNumber);

// compareWords over whole files: arg 0 compares a file with itself (equal
// text, the common case), arg 1 against its copy with one excused numeric
// change per line.
void BM_CompareWords(benchmark::State& state) {
  FakeHost host;
  std::string one = makeReport(1 << 20, 0);
  host.addFile("one.rpt", one);
  host.addFile("two.rpt",
               makeReport(1 << 20, static_cast<int>(state.range(0))));
  RunState run{host};
  setDefaults(run);
  std::int64_t pairs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    startBoth(run, host);
    clearDiff(run);
    state.ResumeTiming();
    nextTokenBoth(run);
    while (!atFileEnd(run, Side::kOne) && !atFileEnd(run, Side::kTwo)) {
      if (position(run, Side::kOne).atLineEnd ||
          position(run, Side::kTwo).atLineEnd) {
        nextTokenBoth(run);
        moveCheckpointsToCurrent(run, Side::kOne);
        moveCheckpointsToCurrent(run, Side::kTwo);
        continue;
      }
      benchmark::DoNotOptimize(compareWords(run));
      ++pairs;
    }
  }
  state.SetBytesProcessed(state.iterations() * 2 *
                          static_cast<std::int64_t>(one.size()));
  state.counters["pairs"] = benchmark::Counter(static_cast<double>(pairs),
                                               benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CompareWords)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
