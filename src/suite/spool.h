// The spool of a run: each pair's full record goes to a scratch file as
// soon as the pair is done, and only its brief stays in memory, so that the
// memory a run needs does not grow with what its pairs listed. The exporters
// read the records back one at a time, in the order they were stored.
//
// The file has no name anyone can open (see openScratchFile): it is gone
// when the spool is destroyed and also when the process is ended by a
// signal, and nothing else in the temporary folder is touched.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "suite/results.h"

namespace suite {

class PairSpool : public PairSource {
 public:
  PairSpool() = default;
  PairSpool(const PairSpool&) = delete;
  PairSpool& operator=(const PairSpool&) = delete;
  ~PairSpool() override;

  // Creates the scratch file. Returns false with `error` set ("cannot
  // create a temporary file: reason") when it cannot.
  bool open(std::string* error);

  // Stores `pair` after the others. Returns false with `error` set when the
  // record cannot be written (a full disk). REQUIRES: open succeeded.
  bool append(const PairResult& pair, std::string* error);

  std::size_t size() const override { return briefs_.size(); }
  // Reads record `index` back; throws std::runtime_error when it cannot.
  PairResult at(std::size_t index) const override;
  PairBrief brief(std::size_t index) const override { return briefs_[index]; }

  // Bytes stored so far.
  std::uint64_t bytes() const { return ends_.empty() ? 0 : ends_.back(); }

 private:
  std::FILE* file_ = nullptr;
  std::vector<std::uint64_t> ends_;  // where each record ends in the file
  std::vector<PairBrief> briefs_;
  mutable bool flushed_ = true;  // every record written reached the file
  mutable std::string record_;   // the last record read or written
  // Where the stream stands after the last read, or kNowhere.
  static constexpr std::uint64_t kNowhere = ~std::uint64_t{0};
  mutable std::uint64_t readAt_ = kNowhere;
};

// A pair as the spool stores it, and back. decodePair returns false when
// `bytes` is not one whole record.
void encodePair(const PairResult& pair, std::string* bytes);
bool decodePair(std::string_view bytes, PairResult* pair);

}  // namespace suite

namespace suite {

// The pairs of `pairs` in the order of `order`, whose items index `pairs`;
// both must outlive it.
class ReorderedPairs : public PairSource {
 public:
  ReorderedPairs(const PairSource& pairs, const std::vector<std::size_t>& order)
      : pairs_(pairs), order_(order) {}
  std::size_t size() const override { return order_.size(); }
  PairResult at(std::size_t index) const override {
    return pairs_.at(order_[index]);
  }
  PairBrief brief(std::size_t index) const override {
    return pairs_.brief(order_[index]);
  }

 private:
  const PairSource& pairs_;
  const std::vector<std::size_t>& order_;
};

// The pair order (see sortPairs) of the pairs of several runs stored one
// run after the other: run k holds the pairs from starts[k] up to the next
// start. With `eachSorted` (every run lists its pairs in pair order, as
// every shard does) the runs are merged reading each pair once and keeping
// one pair per run in memory; otherwise every pair's name and paths are
// held and sorted. Equal pairs keep the order of their runs.
std::vector<std::size_t> mergedOrder(const PairSource& pairs,
                                     const std::vector<std::size_t>& starts,
                                     bool eachSorted);

}  // namespace suite
