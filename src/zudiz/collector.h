// The collector of one library run: turns the engine's records (listed
// pairs with their lines and context, unequal number pairs with their
// verdicts) into the pairs, numbers, largest pair and histogram of a Result.
//
// Number records may be taken back by the alignment until it settles them
// (core/records.h). The collector holds the records not settled yet; a
// settled record is counted in the histogram once, may become the largest,
// and is kept when it is among the `maxNumbers` with the largest relative
// differences so far (ties: the first met). So memory grows with the records
// kept, and with what one alignment step meets, not with the length of the
// files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "zudiz/zudiz.h"

namespace zudiz {

class Collector : public RunRecords {
 public:
  // Fills `result.pairs`, `result.numbers`, `result.numbersCut`,
  // `result.largest` and `result.histogram`, which `result` must hold empty.
  explicit Collector(Result& result, const CompareOptions& options = {});

  void listedPair(std::uint32_t line1, std::uint32_t line2,
                  std::optional<Side> extra, std::string_view text1,
                  std::string_view text2,
                  const std::array<ListedLine, 2>& lines) override;
  void numberPair(std::int64_t index, double value1, double value2,
                  std::int64_t line1, std::int64_t line2,
                  Verdict verdict) override;
  void settle(std::int64_t count) override;

  // The end of the run, with `count` number records met: settles them and
  // drops any taken back after the last step.
  void finish(std::int64_t count);

 private:
  struct Record {
    std::int64_t index;  // in file order
    double relative;
    NumberPair pair;
  };
  // Keeps `record` when it is among the maxNumbers_ largest so far.
  void keep(const Record& record);

  Result& result_;
  std::size_t maxNumbers_;
  std::int64_t settled_ = 0;  // records below are final
  double largestRelative_ = -1;
  std::vector<Record> unsettled_;  // records from settled_ on
  // The kept records; a heap whose top is the first to go when it is full
  // (the smallest relative difference, of those the last met).
  std::vector<Record> kept_;
};

}  // namespace zudiz
