// Fuzz target of the suite's readers of files that other jobs write: the
// pair list (--pairs) and the JSON results that --merge combines. Any input
// must give pairs or error lines, never a crash, a hang or undefined
// behaviour under the sanitizers.
//
// Input layout: the first byte picks the reader (even: JSON results, odd:
// a pair list); the rest is the file's text.
//
// A pair list: every line that holds no pair says why. JSON results: a
// refused text says why; an accepted one goes on as --merge takes it (the
// merge, the cut of number records, every report), and the JSON written
// from it must read back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "suite/html_export.h"
#include "suite/json_export.h"
#include "suite/junit_export.h"
#include "suite/pairing.h"
#include "suite/results.h"

namespace {

void checkPairList(std::string_view text) {
  for (const suite::ListLine& line : suite::readPairList(text)) {
    bool pair = !line.baseline.empty();
    if (!pair && line.error.empty()) {
      __builtin_trap();  // a line without a pair must say why
    }
    if (pair && line.candidate.empty()) {
      __builtin_trap();  // a pair has both its names
    }
  }
}

void checkResults(std::string_view text) {
  suite::SuiteRun run;
  std::string error;
  if (!suite::importJson(text, &run, &error)) {
    if (error.empty()) {
      __builtin_trap();
    }
    return;
  }
  std::vector<suite::SuiteRun> runs;
  runs.push_back(std::move(run));
  suite::SuiteRun merged;
  if (!suite::mergeRuns(std::move(runs), true, 100, &merged, &error)) {
    if (error.empty()) {
      __builtin_trap();
    }
    return;
  }
  for (suite::PairResult& pair : merged.pairs) {
    suite::keepLargestNumbers(pair.result, 100);
  }
  std::string json = suite::exportJson(merged);
  suite::exportJunit(merged);
  suite::exportHtml(merged, 100);
  suite::SuiteRun back;
  if (!suite::importJson(json, &back, &error)) {
    __builtin_trap();  // what the suite writes, it reads
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) {
    return 0;
  }
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 1) != 0) {
    checkPairList(text);
  } else {
    checkResults(text);
  }
  return 0;
}
