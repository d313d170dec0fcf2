// The collector of one library run: turns the engine's records (listed
// pairs, unequal number pairs with their verdicts) into the pairs, numbers
// and histogram of a Result.
//
// Number records may be taken back by the alignment until it settles them
// (core/records.h). The collector keeps the first kMaxNumbers records and,
// for the histogram, the bucket and verdict of each record not settled yet;
// a settled record is counted in the histogram once. So memory grows with
// the records kept, and with what one alignment step meets, not with the
// length of the files.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "zudiz/zudiz.h"

namespace zudiz {

class Collector : public RunRecords {
 public:
  // Fills `result.pairs`, `result.numbers`, `result.numbersCut` and
  // `result.histogram`, which `result` must hold empty.
  explicit Collector(Result& result) : result_(result) {}

  void listedPair(std::uint32_t line1, std::uint32_t line2, int extra,
                  std::string_view text1, std::string_view text2) override;
  void numberPair(std::int64_t index, double value1, double value2,
                  std::int64_t line1, std::int64_t line2,
                  NumberVerdict verdict) override;
  void settle(std::int64_t count) override;

  // The end of the run, with `count` number records met: settles them and
  // drops any taken back after the last step.
  void finish(std::int64_t count);

 private:
  Result& result_;
  std::int64_t settled_ = 0;  // records below are in the histogram
  // Bucket * kVerdicts + verdict of each record from settled_ on.
  std::vector<std::uint8_t> unsettled_;
};

Verdict toVerdict(NumberVerdict verdict);

}  // namespace zudiz
