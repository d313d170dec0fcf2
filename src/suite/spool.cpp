#include "suite/spool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <type_traits>

#include "host/system.h"

namespace suite {
namespace {

// --- Records ---------------------------------------------------------------
// Numbers are stored as their bytes in this machine's order (the spool
// never leaves the process), texts and lists with their length first.

class Writer {
 public:
  explicit Writer(std::string* out) : out_(out) {}

  template <typename T>
  void number(T value) {
    static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>);
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out_->append(bytes, sizeof value);
  }
  void text(std::string_view value) {
    number<std::uint64_t>(value.size());
    out_->append(value);
  }
  void lines(const std::vector<std::string>& values) {
    number<std::uint64_t>(values.size());
    for (const std::string& value : values) {
      text(value);
    }
  }

 private:
  std::string* out_;
};

// Reads what Writer wrote; any read past the end makes ok() false and
// gives zeros and empty texts from then on.
class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}

  template <typename T>
  T number() {
    T value{};
    if (in_.size() - at_ < sizeof value || failed_) {
      failed_ = true;
      return value;
    }
    std::memcpy(&value, in_.data() + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  std::string text() {
    const auto size = number<std::uint64_t>();
    if (failed_ || in_.size() - at_ < size) {
      failed_ = true;
      return "";
    }
    std::string value(in_.substr(at_, size));
    at_ += size;
    return value;
  }
  std::vector<std::string> lines() {
    std::vector<std::string> values;
    const auto count = number<std::uint64_t>();
    for (std::uint64_t i = 0; i < count && !failed_; ++i) {
      values.push_back(text());
    }
    return values;
  }
  // A count of items of at least `itemBytes` each that can still follow.
  std::uint64_t count(std::size_t itemBytes) {
    const auto n = number<std::uint64_t>();
    if (n > (in_.size() - at_) / itemBytes) {
      failed_ = true;
      return 0;
    }
    return n;
  }
  bool ok() const { return !failed_ && at_ == in_.size(); }

 private:
  std::string_view in_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

void writeFacts(Writer& w, const FileFacts& facts) {
  w.text(facts.path);
  w.number(facts.exists);
  w.number(facts.size);
  w.number(facts.mtimeNs);
}

FileFacts readFacts(Reader& r) {
  FileFacts facts;
  facts.path = r.text();
  facts.exists = r.number<bool>();
  facts.size = r.number<std::int64_t>();
  facts.mtimeNs = r.number<std::int64_t>();
  return facts;
}

void writeNumber(Writer& w, const zudiz::NumberPair& n) {
  w.number(n.value1);
  w.number(n.value2);
  w.number(n.line1);
  w.number(n.line2);
  w.number(n.verdict);
}

zudiz::NumberPair readNumber(Reader& r) {
  zudiz::NumberPair n;
  n.value1 = r.number<double>();
  n.value2 = r.number<double>();
  n.line1 = r.number<std::int64_t>();
  n.line2 = r.number<std::int64_t>();
  n.verdict = r.number<zudiz::Verdict>();
  return n;
}

constexpr std::size_t kNumberBytes =
    2 * sizeof(double) + 2 * sizeof(std::int64_t) + sizeof(zudiz::Verdict);

// Moves to `offset` (64-bit on every platform).
bool seekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

void encodePair(const PairResult& pair, std::string* bytes) {
  bytes->clear();
  Writer w(bytes);
  w.text(pair.name);
  w.text(pair.baseline);
  w.text(pair.candidate);
  w.text(pair.switches);
  w.number(pair.status);
  w.text(pair.message);
  w.number(pair.bytes);
  writeFacts(w, pair.baselineFile);
  writeFacts(w, pair.candidateFile);
  w.number(pair.seconds);

  const zudiz::Result& r = pair.result;
  w.number(r.status);
  w.text(r.message);
  w.text(r.output);
  for (std::int64_t count :
       {r.counts.surplusLines, r.counts.linesCompared, r.counts.linesDiffered,
        r.counts.wordDifferences, r.counts.numericDifferences,
        r.counts.tinyExcused, r.counts.lastPlaceExcused}) {
    w.number(count);
  }
  w.number<std::uint64_t>(r.pairs.size());
  for (const zudiz::ListedPair& l : r.pairs) {
    w.number(l.line1);
    w.number(l.line2);
    w.number(l.extra);
    w.text(l.text1);
    w.text(l.text2);
    w.number(l.page1);
    w.number(l.page2);
    w.text(l.lineText1);
    w.text(l.lineText2);
    w.lines(l.context1);
    w.lines(l.context2);
    for (const std::vector<zudiz::ListedWord>* words : {&l.words1, &l.words2}) {
      w.number<std::uint64_t>(words->size());
      for (const zudiz::ListedWord& word : *words) {
        w.number<std::uint64_t>(word.column);
        w.number<std::uint64_t>(word.start);
        w.number<std::uint64_t>(word.length);
      }
    }
  }
  w.number<std::uint64_t>(r.numbers.size());
  for (const zudiz::NumberPair& n : r.numbers) {
    writeNumber(w, n);
  }
  w.number(r.numbersCut);
  // The histogram is mostly zeros: only the buckets in use are stored.
  int used = 0;
  for (const auto& bucket : r.histogram.counts) {
    used += bucket != decltype(bucket){} ? 1 : 0;
  }
  w.number(used);
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    const auto& bucket = r.histogram.counts[b];
    if (bucket != decltype(r.histogram.counts[b]){}) {
      w.number(b);
      for (std::int64_t count : bucket) {
        w.number(count);
      }
    }
  }
  w.number(r.largest.has_value());
  if (r.largest) {
    writeNumber(w, *r.largest);
  }
  w.number(r.tolerance.kind);
  w.number(r.tolerance.value);
}

bool decodePair(std::string_view bytes, PairResult* pair) {
  Reader r(bytes);
  PairResult p;
  p.name = r.text();
  p.baseline = r.text();
  p.candidate = r.text();
  p.switches = r.text();
  p.status = r.number<PairStatus>();
  p.message = r.text();
  p.bytes = r.number<std::int64_t>();
  p.baselineFile = readFacts(r);
  p.candidateFile = readFacts(r);
  p.seconds = r.number<double>();

  zudiz::Result& res = p.result;
  res.status = r.number<zudiz::Status>();
  res.message = r.text();
  res.output = r.text();
  for (std::int64_t* count :
       {&res.counts.surplusLines, &res.counts.linesCompared,
        &res.counts.linesDiffered, &res.counts.wordDifferences,
        &res.counts.numericDifferences, &res.counts.tinyExcused,
        &res.counts.lastPlaceExcused}) {
    *count = r.number<std::int64_t>();
  }
  const std::uint64_t listed = r.count(sizeof(std::int64_t));
  for (std::uint64_t i = 0; i < listed; ++i) {
    zudiz::ListedPair l;
    l.line1 = r.number<std::int64_t>();
    l.line2 = r.number<std::int64_t>();
    l.extra = r.number<int>();
    l.text1 = r.text();
    l.text2 = r.text();
    l.page1 = r.number<std::int64_t>();
    l.page2 = r.number<std::int64_t>();
    l.lineText1 = r.text();
    l.lineText2 = r.text();
    l.context1 = r.lines();
    l.context2 = r.lines();
    for (std::vector<zudiz::ListedWord>* words : {&l.words1, &l.words2}) {
      const std::uint64_t count = r.count(3 * sizeof(std::uint64_t));
      for (std::uint64_t k = 0; k < count; ++k) {
        zudiz::ListedWord word;
        word.column = static_cast<std::size_t>(r.number<std::uint64_t>());
        word.start = static_cast<std::size_t>(r.number<std::uint64_t>());
        word.length = static_cast<std::size_t>(r.number<std::uint64_t>());
        words->push_back(word);
      }
    }
    res.pairs.push_back(std::move(l));
  }
  const std::uint64_t numbers = r.count(kNumberBytes);
  res.numbers.reserve(numbers);
  for (std::uint64_t i = 0; i < numbers; ++i) {
    res.numbers.push_back(readNumber(r));
  }
  res.numbersCut = r.number<bool>();
  const int used = r.number<int>();
  for (int i = 0; i < used && i < zudiz::kHistogramBuckets; ++i) {
    const int b = r.number<int>();
    if (b < 0 || b >= zudiz::kHistogramBuckets) {
      return false;
    }
    for (std::int64_t& count : res.histogram.counts[b]) {
      count = r.number<std::int64_t>();
    }
  }
  if (r.number<bool>()) {
    res.largest = readNumber(r);
  }
  res.tolerance.kind = r.number<zudiz::Tolerance::Kind>();
  res.tolerance.value = r.number<double>();
  if (!r.ok()) {
    return false;
  }
  *pair = std::move(p);
  return true;
}

PairSpool::~PairSpool() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
}

bool PairSpool::open(std::string* error) {
  std::string reason;
  file_ = openScratchFile(&reason);
  if (file_ == nullptr) {
    *error = "cannot create a temporary file: " + reason;
    return false;
  }
  // Records are read back in turn, pass after pass: a larger buffer saves
  // calls to the system.
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
  return true;
}

bool PairSpool::append(const PairResult& pair, std::string* error) {
  encodePair(pair, &record_);
  // A write after a read must first go back to the end of the records.
  errno = 0;
  const bool placed = !flushed_ || seekTo(file_, bytes());
  readAt_ = kNowhere;
  if (!placed ||
      std::fwrite(record_.data(), 1, record_.size(), file_) != record_.size()) {
    *error = "cannot write a temporary file: " +
             std::string(std::strerror(errno != 0 ? errno : EIO));
    return false;
  }
  flushed_ = false;
  ends_.push_back(bytes() + record_.size());
  briefs_.push_back(briefOf(pair));
  return true;
}

PairResult PairSpool::at(std::size_t index) const {
  if (!flushed_) {
    if (std::fflush(file_) != 0) {
      throw std::runtime_error("cannot write a temporary file: " +
                               std::string(std::strerror(errno)));
    }
    flushed_ = true;
  }
  const std::uint64_t begin = index == 0 ? 0 : ends_[index - 1];
  record_.resize(ends_[index] - begin);
  PairResult pair;
  // Records read in turn are read on without a seek, which would drop
  // what the stream has buffered.
  const bool placed = begin == readAt_ || seekTo(file_, begin);
  readAt_ = kNowhere;
  if (!placed ||
      std::fread(record_.data(), 1, record_.size(), file_) != record_.size() ||
      !decodePair(record_, &pair)) {
    throw std::runtime_error("cannot read back a temporary file");
  }
  readAt_ = ends_[index];
  return pair;
}

}  // namespace suite

namespace suite {

std::vector<std::size_t> mergedOrder(const PairSource& pairs,
                                     const std::vector<std::size_t>& starts,
                                     bool eachSorted) {
  std::vector<std::size_t> order;
  order.reserve(pairs.size());
  if (!eachSorted) {
    std::vector<PairFacts> keys(pairs.size());
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      PairResult pair = pairs.at(i);
      keys[i].name = std::move(pair.name);
      keys[i].baseline = std::move(pair.baseline);
      keys[i].candidate = std::move(pair.candidate);
      keys[i].switches = std::move(pair.switches);
      order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) {
                       return pairBefore(keys[a], keys[b]);
                     });
    return order;
  }
  struct Head {
    std::size_t next, end;
    PairResult pair;
  };
  std::vector<Head> heads;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    const std::size_t end =
        k + 1 < starts.size() ? starts[k + 1] : pairs.size();
    if (starts[k] < end) {
      heads.push_back({starts[k], end, pairs.at(starts[k])});
    }
  }
  while (!heads.empty()) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < heads.size(); ++k) {
      if (pairBefore(heads[k].pair, heads[best].pair)) {
        best = k;
      }
    }
    Head& head = heads[best];
    order.push_back(head.next);
    if (++head.next < head.end) {
      head.pair = pairs.at(head.next);
    } else {
      heads.erase(heads.begin() + static_cast<std::ptrdiff_t>(best));
    }
  }
  return order;
}

}  // namespace suite
