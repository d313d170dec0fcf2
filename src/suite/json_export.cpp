#include "suite/json_export.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace suite {
namespace {

using Json = nlohmann::ordered_json;

const char* const kVerdictNames[zudiz::kVerdicts] = {
    "listed", "tiny", "last_place", "within_tolerance"};

// Seconds to `perUnit` parts of a second, so the JSON shows no noise digits.
double rounded(double seconds, double perUnit) {
  return std::round(seconds * perUnit) / perUnit;
}

Json countsJson(const zudiz::Counts& c) {
  return Json{{"surplus_lines", c.surplusLines},
              {"lines_compared", c.linesCompared},
              {"lines_differed", c.linesDiffered},
              {"word_differences", c.wordDifferences},
              {"numeric_differences", c.numericDifferences},
              {"tiny_excused", c.tinyExcused},
              {"last_place_excused", c.lastPlaceExcused}};
}

Json histogramJson(const zudiz::Histogram& histogram) {
  Json json = Json::object();
  for (int bucket = 0; bucket < zudiz::kHistogramBuckets; ++bucket) {
    const auto& counts = histogram.counts[bucket];
    bool any = false;
    Json byVerdict = Json::object();
    for (int verdict = 0; verdict < zudiz::kVerdicts; ++verdict) {
      byVerdict[kVerdictNames[verdict]] = counts[verdict];
      any = any || counts[verdict] != 0;
    }
    if (any) {
      json[bucketName(bucket)] = std::move(byVerdict);
    }
  }
  return json;
}

Json linesJson(const std::vector<std::string>& lines) {
  Json json = Json::array();
  for (const std::string& line : lines) {
    json.push_back(bytesToUtf8(line));
  }
  return json;
}

// One side's file: its path, and its size and time when it existed.
Json factsJson(const FileFacts& facts) {
  Json json{{"path", nameUtf8(facts.path)}};
  if (facts.exists) {
    json["size"] = facts.size;
    json["mtime_ns"] = facts.mtimeNs;
  }
  return json;
}

Json largestJson(const std::optional<zudiz::NumberPair>& largest) {
  if (!largest) {
    return nullptr;
  }
  const zudiz::NumberPair& n = *largest;
  return Json{{"value1", n.value1},
              {"value2", n.value2},
              {"line1", n.line1},
              {"line2", n.line2},
              {"relative", zudiz::relativeDifference(n.value1, n.value2)},
              {"verdict", kVerdictNames[static_cast<int>(n.verdict)]}};
}

// Listed words as [column, start, length] triples.
Json wordsJson(const std::vector<zudiz::ListedWord>& words) {
  Json json = Json::array();
  for (const zudiz::ListedWord& w : words) {
    json.push_back(Json::array({w.column, w.start, w.length}));
  }
  return json;
}

Json toleranceJson(const zudiz::Tolerance& tolerance) {
  using Kind = zudiz::Tolerance::Kind;
  if (tolerance.kind == Kind::kNone) {
    return nullptr;
  }
  return Json{
      {"kind", tolerance.kind == Kind::kRelative ? "relative" : "absolute"},
      {"value", tolerance.value}};
}

Json pairJson(const PairResult& pair) {
  const zudiz::Result& r = pair.result;
  Json listed = Json::array();
  for (const zudiz::ListedPair& l : r.pairs) {
    listed.push_back(
        Json{{"line1", l.line1},
             {"line2", l.line2},
             {"extra", l.extra},
             {"text1", bytesToUtf8(withoutTrailingBlanks(l.text1))},
             {"text2", bytesToUtf8(withoutTrailingBlanks(l.text2))},
             {"page1", l.page1},
             {"page2", l.page2},
             {"line_text1", bytesToUtf8(l.lineText1)},
             {"line_text2", bytesToUtf8(l.lineText2)},
             {"context1", linesJson(l.context1)},
             {"context2", linesJson(l.context2)},
             {"words1", wordsJson(l.words1)},
             {"words2", wordsJson(l.words2)}});
  }
  Json numbers = Json::array();
  for (const zudiz::NumberPair& n : r.numbers) {
    numbers.push_back(
        Json{{"value1", n.value1},
             {"value2", n.value2},
             {"line1", n.line1},
             {"line2", n.line2},
             {"verdict", kVerdictNames[static_cast<int>(n.verdict)]}});
  }
  Json json{{"name", nameUtf8(pair.name)},
            {"baseline", nameUtf8(pair.baseline)},
            {"candidate", nameUtf8(pair.candidate)},
            {"switches", nameUtf8(pair.switches)},
            {"status", statusName(pair.status)},
            {"message", bytesToUtf8(pair.message)},
            {"seconds", rounded(pair.seconds, 1e6)},
            {"bytes", pair.bytes},
            {"counts", countsJson(r.counts)},
            {"listed", std::move(listed)},
            {"numbers", std::move(numbers)},
            {"numbers_cut", r.numbersCut},
            {"largest", largestJson(r.largest)},
            {"tolerance", toleranceJson(r.tolerance)},
            {"histogram", histogramJson(r.histogram)},
            {"output", bytesToUtf8(r.output)}};
  if (!pair.baselineFile.path.empty() || !pair.candidateFile.path.empty()) {
    json["baseline_file"] = factsJson(pair.baselineFile);
    json["candidate_file"] = factsJson(pair.candidateFile);
  }
  return json;
}

// Reading: every accessor throws nlohmann's exceptions on a value of the
// wrong kind; importJson turns them into its error text.

std::string bytesOf(const Json& object, const char* key) {
  std::string bytes;
  if (object.contains(key) &&
      !utf8ToBytes(object.at(key).get_ref<const std::string&>(), &bytes)) {
    throw std::runtime_error(std::string("\"") + key +
                             "\" holds a character above U+00FF");
  }
  return bytes;
}

std::string textOf(const Json& object, const char* key) {
  return object.contains(key) ? object.at(key).get<std::string>() : "";
}

// Whole numbers are read within +-2^53, the range every JSON reader keeps
// exactly (far beyond any count of a real report), so that no count met
// later overflows when reports add them up.
inline constexpr std::int64_t kLargestWhole = std::int64_t{1} << 53;

template <typename T>
T numberOf(const Json& object, const char* key) {
  if (!object.contains(key)) {
    return T{};
  }
  const Json& value = object.at(key);
  if constexpr (std::is_floating_point_v<T>) {
    T number = value.get<T>();
    if (!std::isfinite(number)) {
      throw std::runtime_error(std::string("\"") + key + "\" is out of range");
    }
    return number;
  } else {
    bool inRange = false;
    std::int64_t number = 0;
    if (value.is_number_unsigned()) {
      auto whole = value.get<std::uint64_t>();
      inRange = whole <= static_cast<std::uint64_t>(kLargestWhole);
      number = inRange ? static_cast<std::int64_t>(whole) : 0;
    } else if (value.is_number_integer()) {
      number = value.get<std::int64_t>();
      inRange = number >= -kLargestWhole;
    } else {
      throw std::runtime_error(std::string("\"") + key +
                               "\" is not a whole number");
    }
    inRange =
        inRange &&
        number >= static_cast<std::int64_t>(std::numeric_limits<T>::min()) &&
        number <= static_cast<std::int64_t>(std::numeric_limits<T>::max());
    if (!inRange) {
      throw std::runtime_error(std::string("\"") + key + "\" is out of range");
    }
    return static_cast<T>(number);
  }
}

std::vector<std::string> linesOf(const Json& object, const char* key);

// The array at `key`, or an empty one when there is none.
const Json& listOf(const Json& object, const char* key) {
  static const Json kEmpty = Json::array();
  if (!object.contains(key)) {
    return kEmpty;
  }
  const Json& list = object.at(key);
  if (!list.is_array()) {
    throw std::runtime_error(std::string("\"") + key + "\" is not an array");
  }
  return list;
}

zudiz::Counts countsFrom(const Json& json) {
  zudiz::Counts c;
  c.surplusLines = numberOf<std::int64_t>(json, "surplus_lines");
  c.linesCompared = numberOf<std::int64_t>(json, "lines_compared");
  c.linesDiffered = numberOf<std::int64_t>(json, "lines_differed");
  c.wordDifferences = numberOf<std::int64_t>(json, "word_differences");
  c.numericDifferences = numberOf<std::int64_t>(json, "numeric_differences");
  c.tinyExcused = numberOf<std::int64_t>(json, "tiny_excused");
  c.lastPlaceExcused = numberOf<std::int64_t>(json, "last_place_excused");
  return c;
}

zudiz::Verdict verdictFrom(const std::string& name) {
  for (int v = 0; v < zudiz::kVerdicts; ++v) {
    if (name == kVerdictNames[v]) {
      return static_cast<zudiz::Verdict>(v);
    }
  }
  throw std::runtime_error("unknown verdict \"" + name + "\"");
}

int bucketFrom(const std::string& name) {
  for (int bucket = 0; bucket < zudiz::kHistogramBuckets; ++bucket) {
    if (name == bucketName(bucket)) {
      return bucket;
    }
  }
  throw std::runtime_error("unknown histogram bucket \"" + name + "\"");
}

zudiz::NumberPair numberFrom(const Json& n) {
  zudiz::NumberPair number;
  number.value1 = numberOf<double>(n, "value1");
  number.value2 = numberOf<double>(n, "value2");
  number.line1 = numberOf<std::int64_t>(n, "line1");
  number.line2 = numberOf<std::int64_t>(n, "line2");
  number.verdict = verdictFrom(textOf(n, "verdict"));
  return number;
}

// The first of the pairs with the largest relative difference.
std::optional<zudiz::NumberPair> largestOf(
    const std::vector<zudiz::NumberPair>& numbers) {
  std::optional<zudiz::NumberPair> largest;
  double most = -1;
  for (const zudiz::NumberPair& n : numbers) {
    const double relative = zudiz::relativeDifference(n.value1, n.value2);
    if (relative > most) {
      most = relative;
      largest = n;
    }
  }
  return largest;
}

FileFacts factsFrom(const Json& json, const char* key) {
  FileFacts facts;
  if (!json.contains(key)) {
    return facts;
  }
  const Json& side = json.at(key);
  if (!side.is_object()) {
    throw std::runtime_error(std::string("\"") + key + "\" is not an object");
  }
  facts.path = textOf(side, "path");
  facts.exists = side.contains("size");
  facts.size = numberOf<std::int64_t>(side, "size");
  // Nanoseconds since 1970 pass 2^53, the bound of counts: any 64-bit
  // whole number is taken as it is.
  if (side.contains("mtime_ns")) {
    const Json& time = side.at("mtime_ns");
    if (!time.is_number_integer()) {
      throw std::runtime_error("\"mtime_ns\" is not a whole number");
    }
    if (time.is_number_unsigned() &&
        time.get<std::uint64_t>() >
            static_cast<std::uint64_t>(
                std::numeric_limits<std::int64_t>::max())) {
      throw std::runtime_error("\"mtime_ns\" is out of range");
    }
    facts.mtimeNs = time.get<std::int64_t>();
  }
  return facts;
}

// The listed words at `key`: [column, start, length] triples, each within
// the listed text `listed` and the line text `line` it points into.
std::vector<zudiz::ListedWord> wordsOf(const Json& object, const char* key,
                                       std::string_view listed,
                                       std::string_view line) {
  std::vector<zudiz::ListedWord> words;
  for (const Json& triple : listOf(object, key)) {
    if (!triple.is_array() || triple.size() != 3) {
      throw std::runtime_error(std::string("\"") + key +
                               "\" holds no [column, start, length]");
    }
    zudiz::ListedWord w;
    w.column = triple[0].get<std::size_t>();
    w.start = triple[1].get<std::size_t>();
    w.length = triple[2].get<std::size_t>();
    if (w.column > listed.size() || w.length > listed.size() - w.column ||
        w.start > line.size() || w.length > line.size() - w.start) {
      throw std::runtime_error(std::string("\"") + key +
                               "\" holds a word outside its text");
    }
    words.push_back(w);
  }
  return words;
}

zudiz::Tolerance toleranceFrom(const Json& json) {
  zudiz::Tolerance tolerance;
  if (!json.contains("tolerance") || json.at("tolerance").is_null()) {
    return tolerance;
  }
  const Json& t = json.at("tolerance");
  const std::string kind = textOf(t, "kind");
  if (kind == "relative") {
    tolerance.kind = zudiz::Tolerance::Kind::kRelative;
  } else if (kind == "absolute") {
    tolerance.kind = zudiz::Tolerance::Kind::kAbsolute;
  } else {
    throw std::runtime_error("unknown tolerance kind \"" + kind + "\"");
  }
  tolerance.value = numberOf<double>(t, "value");
  return tolerance;
}

PairResult pairFrom(const Json& json, int format) {
  PairResult pair;
  pair.name = textOf(json, "name");
  pair.baseline = textOf(json, "baseline");
  pair.candidate = textOf(json, "candidate");
  pair.switches = textOf(json, "switches");
  std::string status = textOf(json, "status");
  if (!parseStatus(status, &pair.status)) {
    throw std::runtime_error("unknown status \"" + status + "\"");
  }
  pair.message = bytesOf(json, "message");
  pair.seconds = numberOf<double>(json, "seconds");
  pair.bytes = numberOf<std::int64_t>(json, "bytes");
  pair.baselineFile = factsFrom(json, "baseline_file");
  pair.candidateFile = factsFrom(json, "candidate_file");

  zudiz::Result& r = pair.result;
  r.status = pair.status == PairStatus::kSame        ? zudiz::Status::kSame
             : pair.status == PairStatus::kDifferent ? zudiz::Status::kDifferent
                                                     : zudiz::Status::kError;
  r.message = pair.status == PairStatus::kError ? pair.message : "";
  r.output = bytesOf(json, "output");
  if (json.contains("counts")) {
    r.counts = countsFrom(json.at("counts"));
  }
  for (const Json& l : listOf(json, "listed")) {
    zudiz::ListedPair listed;
    listed.line1 = numberOf<std::int64_t>(l, "line1");
    listed.line2 = numberOf<std::int64_t>(l, "line2");
    listed.extra = numberOf<int>(l, "extra");
    listed.text1 = withoutTrailingBlanks(bytesOf(l, "text1"));
    listed.text2 = withoutTrailingBlanks(bytesOf(l, "text2"));
    listed.page1 = numberOf<std::int64_t>(l, "page1");
    listed.page2 = numberOf<std::int64_t>(l, "page2");
    listed.lineText1 = bytesOf(l, "line_text1");
    listed.lineText2 = bytesOf(l, "line_text2");
    listed.context1 = linesOf(l, "context1");
    listed.context2 = linesOf(l, "context2");
    listed.words1 = wordsOf(l, "words1", listed.text1, listed.lineText1);
    listed.words2 = wordsOf(l, "words2", listed.text2, listed.lineText2);
    r.pairs.push_back(std::move(listed));
  }
  for (const Json& n : listOf(json, "numbers")) {
    r.numbers.push_back(numberFrom(n));
  }
  r.numbersCut = json.value("numbers_cut", false);
  r.tolerance = toleranceFrom(json);
  if (json.contains("largest") && !json.at("largest").is_null()) {
    r.largest = numberFrom(json.at("largest"));
  } else if (format == 1) {
    // Written before the largest pair was recorded: the largest of the
    // records kept, which were the largest ones.
    r.largest = largestOf(r.numbers);
  }
  if (json.contains("histogram")) {
    const Json& histogram = json.at("histogram");
    if (!histogram.is_object()) {
      throw std::runtime_error("\"histogram\" is not an object");
    }
    for (auto it = histogram.begin(); it != histogram.end(); ++it) {
      int bucket = bucketFrom(it.key());
      for (int v = 0; v < zudiz::kVerdicts; ++v) {
        r.histogram.counts[bucket][v] =
            numberOf<std::int64_t>(it.value(), kVerdictNames[v]);
      }
    }
  }
  if (format == 1 && !r.numbersCut) {
    // Format 1 measured differences against the larger magnitude; with
    // every record kept, the histogram is counted again by the mean.
    r.histogram = {};
    for (const zudiz::NumberPair& n : r.numbers) {
      ++r.histogram.counts[zudiz::histogramBucket(zudiz::relativeDifference(
          n.value1, n.value2))][static_cast<int>(n.verdict)];
    }
  }
  return pair;
}

std::vector<std::string> linesOf(const Json& object, const char* key) {
  std::vector<std::string> lines;
  for (const Json& line : listOf(object, key)) {
    std::string bytes;
    if (!utf8ToBytes(line.get_ref<const std::string&>(), &bytes)) {
      throw std::runtime_error(std::string("\"") + key +
                               "\" holds a character above U+00FF");
    }
    lines.push_back(std::move(bytes));
  }
  return lines;
}

}  // namespace

std::string withoutTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return std::string(
      text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

std::string bucketName(int bucket) {
  char text[32];
  double bound = zudiz::histogramLowerBound(bucket);
  auto [end, ec] = std::to_chars(text, text + sizeof text, bound);
  return std::string(text, end);
}

std::string exportJson(const SuiteRun& run) {
  Totals t = totalsOf(run);
  Json head{{"format", kJsonFormat},
            {"version", nameUtf8(run.version)},
            {"switches", nameUtf8(run.switches)},
            {"baseline", nameUtf8(run.baseline)},
            {"candidate", nameUtf8(run.candidate)},
            {"shard", run.shard}};
  if (!run.shards.empty()) {
    head["shards"] = run.shards;
  }
  if (run.numbersCap) {
    head["numbers"] = *run.numbersCap == kAllNumbers
                          ? Json("all")
                          : Json(static_cast<std::uint64_t>(*run.numbersCap));
  }
  if (run.lookahead != 1) {
    head["lookahead"] = run.lookahead;
  }
  head.update(Json{{"date", run.date},
                   {"seconds", rounded(run.seconds, 1e3)},
                   {"totals", Json{{"pairs", t.pairs},
                                   {"same", t.same},
                                   {"different", t.different},
                                   {"missing", t.missing},
                                   {"error", t.error}}}});
  if (run.allowAdded) {
    head["allow_added"] = true;
  }
  // The head without its closing brace, then the pairs one a line.
  std::string text = head.dump();
  text.pop_back();
  text += ",\n \"pairs\": [";
  for (std::size_t i = 0; i < run.pairs.size(); ++i) {
    text += i == 0 ? "\n  " : ",\n  ";
    text += pairJson(run.pairs[i]).dump();
  }
  text += "\n]}\n";
  return text;
}

bool importJson(std::string_view text, SuiteRun* run, std::string* error) {
  try {
    Json json = Json::parse(text);
    int format = 0;
    if (json.is_object() && json.contains("format")) {
      const Json& name = json.at("format");
      format = name == kJsonFormat ? 2 : name == kJsonFormat1 ? 1 : 0;
    }
    if (format == 0) {
      *error = "not a zudiz-suite/2 or zudiz-suite/1 result";
      return false;
    }
    SuiteRun out;
    out.version = textOf(json, "version");
    out.switches = textOf(json, "switches");
    out.baseline = textOf(json, "baseline");
    out.candidate = textOf(json, "candidate");
    out.shard = json.contains("shard") ? textOf(json, "shard") : "1/1";
    for (const Json& shard : listOf(json, "shards")) {
      out.shards.push_back(shard.get<std::string>());
    }
    if (json.contains("numbers")) {
      const Json& numbers = json.at("numbers");
      if (numbers.is_string() &&
          numbers.get_ref<const std::string&>() == "all") {
        out.numbersCap = kAllNumbers;
      } else if (numbers.is_number_unsigned()) {
        out.numbersCap = numbers.get<std::size_t>();
      } else {
        throw std::runtime_error("\"numbers\" is not a count or \"all\"");
      }
    }
    if (json.contains("lookahead")) {
      const Json& lookahead = json.at("lookahead");
      if (!lookahead.is_number_unsigned() ||
          lookahead.get<std::uint64_t>() < 1 ||
          lookahead.get<std::uint64_t>() > zudiz::kMaxLookahead) {
        throw std::runtime_error("\"lookahead\" is not a count of lines");
      }
      out.lookahead = lookahead.get<int>();
    }
    out.date = textOf(json, "date");
    out.allowAdded = json.value("allow_added", false);
    out.seconds = numberOf<double>(json, "seconds");
    for (const Json& pair : listOf(json, "pairs")) {
      out.pairs.push_back(pairFrom(pair, format));
    }
    *run = std::move(out);
    return true;
  } catch (const std::exception& e) {
    *error = e.what();
    return false;
  }
}

}  // namespace suite
