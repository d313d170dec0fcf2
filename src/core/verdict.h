// What became of two numbers that were not equal. The comparison decides it
// (compare/word_compare.h), the records carry it (core/records.h) and the
// library hands it out as zudiz::Verdict. Installed with the library's
// header, so it includes nothing of the engine.
#pragma once

namespace zudiz {

enum class Verdict {
  kListed,          // counted as a numeric difference (also under showAll)
  kTiny,            // excused: below 0.1 %
  kLastPlace,       // excused: in the last written decimal place only
  kWithinTolerance  // not counted: within the /IGNORE tolerance
};
inline constexpr int kVerdicts = 4;

}  // namespace zudiz
