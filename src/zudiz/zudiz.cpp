// The library facade: one comparison run on a RunState of its own, with a
// library host and a collector attached, from the stored names to the
// summary, exactly as the program runs it after reading its command line.
#include "zudiz/zudiz.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "cmdline/command_words.h"
#include "cmdline/switches.h"
#include "core/run_state.h"
#include "driver/run.h"
#include "zudiz/collector.h"
#include "zudiz/library_host.h"

namespace zudiz {

namespace {

static_assert(kMaxLookahead == ::kMaxLookahead);

constexpr double kLowerBounds[kHistogramBuckets] = {
    0, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1};

// Where the run was when the engine ended it early.
enum class Stage { kSwitches, kComparison };

Counts countsOf(const Counters& c) {
  Counts counts;
  counts.surplusLines = c.extraCount;
  counts.linesCompared = c.linesCompared;
  counts.linesDiffered = c.linesDiffered;
  counts.wordDifferences = c.words.wordDiffCount;
  counts.numericDifferences = c.words.numericDiffCount;
  counts.tinyExcused = c.words.tinyDiffCount;
  counts.lastPlaceExcused = c.words.lastDigitCount;
  return counts;
}

bool showsNoDifference(const Counts& c) {
  return c.surplusLines == 0 && c.linesDiffered == 0 &&
         c.wordDifferences == 0 && c.numericDifferences == 0;
}

// The program's steps after its command line, with `name1`, `name2` and the
// switch words in place of the words it reads.
void runComparison(RunState& run, std::string_view name1,
                   std::string_view name2, std::string_view switches,
                   int lookahead, Stage& stage) {
  setDefaults(run);
  // Copies that end in a zero byte and last for the run: a name longer than
  // the program shows is opened whole.
  const std::string whole1(name1);
  const std::string whole2(name2);
  processFileName(run, name1, whole1.c_str());
  processFileName(run, name2, whole2.c_str());
  // The switch words are read as the program reads the words after the file
  // names: the reader passes over a program name first.
  std::string line = "ZUDIZ ";
  line.append(switches);
  ArgumentReader words(line);
  Word word;
  while (words.next(word)) {
    processArgument(run, word);
  }
  run.settings.lookahead = std::clamp(lookahead, 1, kMaxLookahead);
  stage = Stage::kComparison;
  compareNamedFiles(run);
  run.out.flush();
}

Tolerance toleranceOf(const Settings& settings) {
  Tolerance tolerance;
  if (settings.ignoreRelative) {
    // ignoreUnits ten-thousandths of a percent.
    tolerance.kind = Tolerance::Kind::kRelative;
    tolerance.value = settings.ignoreUnits / 1e6;
  } else if (settings.ignoreUnits > 0) {
    tolerance.kind = Tolerance::Kind::kAbsolute;
    tolerance.value = settings.ignoreUnits / 1e4;
  }
  return tolerance;
}

// One run on the host that `makeHost` makes; every allocation of the run,
// the host's and the run state's included, may fail with "Not enough memory".
template <typename MakeHost>
Result compareWith(MakeHost makeHost, std::string_view name1,
                   std::string_view name2, std::string_view switches,
                   const CompareOptions& options) {
  Result result;
  try {
    auto hostHolder = makeHost();
    LibraryHost& host = *hostHolder;
    auto run = std::make_unique<RunState>(host);
    Collector collector(result, options);
    run->records = &collector;
    Stage stage = Stage::kSwitches;
    bool ended = false;
    try {
      runComparison(*run, name1, name2, switches, options.lookahead, stage);
    } catch (const LibraryExit&) {
      ended = true;
    }
    result.counts = countsOf(run->counters);
    result.tolerance = toleranceOf(run->settings);
    collector.finish(run->counters.words.numbersMet);
    if (!ended) {
      result.status =
          showsNoDifference(result.counts) ? Status::kSame : Status::kDifferent;
    } else if (!run->values.fatalMessage.empty()) {
      result.message.assign(run->values.fatalMessage.view());
    } else if (stage == Stage::kSwitches) {
      result.message = "Usage text requested by a switch";
    } else {
      result.message = "No report file named: usage text printed";
    }
    result.output = std::move(host.output);
  } catch (const std::bad_alloc&) {
    result.status = Status::kError;
    result.message = "Not enough memory";
  }
  return result;
}

}  // namespace

double histogramLowerBound(int bucket) {
  return kLowerBounds[std::clamp(bucket, 0, kHistogramBuckets - 1)];
}

int histogramBucket(double relative) {
  if (std::isnan(relative)) {
    return kHistogramBuckets - 1;
  }
  int bucket = 0;
  while (bucket + 1 < kHistogramBuckets &&
         relative >= kLowerBounds[bucket + 1]) {
    ++bucket;
  }
  return bucket;
}

double relativeDifference(double a, double b) {
  // The mean magnitude as the tiny-difference rule takes it.
  const double mean = (std::fabs(a) + std::fabs(b)) * 0.5;
  if (mean == 0) {
    return 0;
  }
  return std::fabs(a - b) / mean;
}

Result compareFiles(std::string_view file1, std::string_view file2,
                    std::string_view switches, const CompareOptions& options) {
  return compareWith([] { return std::make_unique<FileLibraryHost>(); }, file1,
                     file2, switches, options);
}

Result compareTexts(std::string_view text1, std::string_view text2,
                    std::string_view switches, std::string_view label1,
                    std::string_view label2, const CompareOptions& options) {
  return compareWith(
      [&] { return std::make_unique<TextLibraryHost>(text1, text2); }, label1,
      label2, switches, options);
}

}  // namespace zudiz
