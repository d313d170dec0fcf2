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

// --- Writing
// ------------------------------------------------------------------
//
// Each pair's object is written straight as text, in the form a JSON
// library's compact dump gives (no blanks, keys in a fixed order, numbers
// in their shortest form), without building a document for it first.

void appendBytes(std::string& out, std::string_view bytes) {
  appendJsonString(out, bytesToUtf8(bytes));
}

void appendName(std::string& out, std::string_view text) {
  appendJsonString(out, nameUtf8(text));
}

template <typename Whole>
void appendWhole(std::string& out, Whole value) {
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  out.append(text, end);
}

// A number as the JSON library writes it: shortest form that reads back
// exactly, "null" when it is not finite.
void appendDouble(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[64];
  char* end = nlohmann::detail::to_chars(text, text + sizeof text, value);
  out.append(text, end);
}

// `"key":` after the first member of an object, with its comma.
void appendKey(std::string& out, const char* key) {
  out += ",\"";
  out += key;
  out += "\":";
}

void appendCounts(std::string& out, const zudiz::Counts& c) {
  out += "{\"surplus_lines\":";
  appendWhole(out, c.surplusLines);
  appendKey(out, "lines_compared");
  appendWhole(out, c.linesCompared);
  appendKey(out, "lines_differed");
  appendWhole(out, c.linesDiffered);
  appendKey(out, "word_differences");
  appendWhole(out, c.wordDifferences);
  appendKey(out, "numeric_differences");
  appendWhole(out, c.numericDifferences);
  appendKey(out, "tiny_excused");
  appendWhole(out, c.tinyExcused);
  appendKey(out, "last_place_excused");
  appendWhole(out, c.lastPlaceExcused);
  out += '}';
}

void appendHistogram(std::string& out, const zudiz::Histogram& histogram) {
  out += '{';
  bool first = true;
  for (int bucket = 0; bucket < zudiz::kHistogramBuckets; ++bucket) {
    const auto& counts = histogram.counts[bucket];
    bool any = false;
    for (int verdict = 0; verdict < zudiz::kVerdicts; ++verdict) {
      any = any || counts[verdict] != 0;
    }
    if (!any) {
      continue;
    }
    out += first ? "" : ",";
    first = false;
    appendJsonString(out, bucketName(bucket));
    out += ':';
    for (int verdict = 0; verdict < zudiz::kVerdicts; ++verdict) {
      out += verdict == 0 ? "{\"" : ",\"";
      out += kVerdictNames[verdict];
      out += "\":";
      appendWhole(out, counts[verdict]);
    }
    out += '}';
  }
  out += '}';
}

void appendLines(std::string& out, const std::vector<std::string>& lines) {
  out += '[';
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += i == 0 ? "" : ",";
    appendBytes(out, lines[i]);
  }
  out += ']';
}

// One side's file: its path, and its size and time when it existed.
void appendFacts(std::string& out, const FileFacts& facts) {
  out += "{\"path\":";
  appendName(out, facts.path);
  if (facts.exists) {
    appendKey(out, "size");
    appendWhole(out, facts.size);
    appendKey(out, "mtime_ns");
    appendWhole(out, facts.mtimeNs);
  }
  out += '}';
}

// value1, value2, line1 and line2 of a number pair, without the braces.
void appendNumberMembers(std::string& out, const zudiz::NumberPair& n) {
  out += "\"value1\":";
  appendDouble(out, n.value1);
  appendKey(out, "value2");
  appendDouble(out, n.value2);
  appendKey(out, "line1");
  appendWhole(out, n.line1);
  appendKey(out, "line2");
  appendWhole(out, n.line2);
}

void appendVerdict(std::string& out, zudiz::Verdict verdict) {
  appendKey(out, "verdict");
  appendJsonString(out, kVerdictNames[static_cast<int>(verdict)]);
}

void appendLargest(std::string& out,
                   const std::optional<zudiz::NumberPair>& largest) {
  if (!largest) {
    out += "null";
    return;
  }
  const zudiz::NumberPair& n = *largest;
  out += '{';
  appendNumberMembers(out, n);
  appendKey(out, "relative");
  appendDouble(out, zudiz::relativeDifference(n.value1, n.value2));
  appendVerdict(out, n.verdict);
  out += '}';
}

// Listed words as [column, start, length] triples.
void appendWords(std::string& out,
                 const std::vector<zudiz::ListedWord>& words) {
  out += '[';
  for (std::size_t i = 0; i < words.size(); ++i) {
    const zudiz::ListedWord& w = words[i];
    out += i == 0 ? "[" : ",[";
    appendWhole(out, w.column);
    out += ',';
    appendWhole(out, w.start);
    out += ',';
    appendWhole(out, w.length);
    out += ']';
  }
  out += ']';
}

void appendTolerance(std::string& out, const zudiz::Tolerance& tolerance) {
  using Kind = zudiz::Tolerance::Kind;
  if (tolerance.kind == Kind::kNone) {
    out += "null";
    return;
  }
  out += "{\"kind\":";
  appendJsonString(out,
                   tolerance.kind == Kind::kRelative ? "relative" : "absolute");
  appendKey(out, "value");
  appendDouble(out, tolerance.value);
  out += '}';
}

void appendListed(std::string& out, const zudiz::ListedPair& l) {
  out += "{\"line1\":";
  appendWhole(out, l.line1);
  appendKey(out, "line2");
  appendWhole(out, l.line2);
  appendKey(out, "extra");
  appendWhole(out, l.extra);
  appendKey(out, "text1");
  appendBytes(out, withoutTrailingBlanks(l.text1));
  appendKey(out, "text2");
  appendBytes(out, withoutTrailingBlanks(l.text2));
  appendKey(out, "page1");
  appendWhole(out, l.page1);
  appendKey(out, "page2");
  appendWhole(out, l.page2);
  appendKey(out, "line_text1");
  appendBytes(out, l.lineText1);
  appendKey(out, "line_text2");
  appendBytes(out, l.lineText2);
  appendKey(out, "context1");
  appendLines(out, l.context1);
  appendKey(out, "context2");
  appendLines(out, l.context2);
  appendKey(out, "words1");
  appendWords(out, l.words1);
  appendKey(out, "words2");
  appendWords(out, l.words2);
  out += '}';
}

void appendPair(std::string& out, const PairResult& pair) {
  const zudiz::Result& r = pair.result;
  out += "{\"name\":";
  appendName(out, pair.name);
  appendKey(out, "baseline");
  appendName(out, pair.baseline);
  appendKey(out, "candidate");
  appendName(out, pair.candidate);
  appendKey(out, "switches");
  appendName(out, pair.switches);
  appendKey(out, "status");
  appendJsonString(out, statusName(pair.status));
  appendKey(out, "message");
  appendBytes(out, pair.message);
  appendKey(out, "seconds");
  appendDouble(out, rounded(pair.seconds, 1e6));
  appendKey(out, "bytes");
  appendWhole(out, pair.bytes);
  appendKey(out, "counts");
  appendCounts(out, r.counts);
  appendKey(out, "listed");
  out += '[';
  for (std::size_t i = 0; i < r.pairs.size(); ++i) {
    out += i == 0 ? "" : ",";
    appendListed(out, r.pairs[i]);
  }
  out += ']';
  appendKey(out, "numbers");
  out += '[';
  for (std::size_t i = 0; i < r.numbers.size(); ++i) {
    out += i == 0 ? "{" : ",{";
    appendNumberMembers(out, r.numbers[i]);
    appendVerdict(out, r.numbers[i].verdict);
    out += '}';
  }
  out += ']';
  appendKey(out, "numbers_cut");
  out += r.numbersCut ? "true" : "false";
  appendKey(out, "largest");
  appendLargest(out, r.largest);
  appendKey(out, "tolerance");
  appendTolerance(out, r.tolerance);
  appendKey(out, "histogram");
  appendHistogram(out, r.histogram);
  appendKey(out, "output");
  appendBytes(out, r.output);
  if (!pair.baselineFile.path.empty() || !pair.candidateFile.path.empty()) {
    appendKey(out, "baseline_file");
    appendFacts(out, pair.baselineFile);
    appendKey(out, "candidate_file");
    appendFacts(out, pair.candidateFile);
  }
  out += '}';
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

void writeJson(const SuiteRun& run, const PairSource& pairs, TextSink& out) {
  Totals t = totalsOf(pairs, run.allowAdded);
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
  out.write(text);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    text = i == 0 ? "\n  " : ",\n  ";
    appendPair(text, pairs.at(i));
    out.write(text);
  }
  out.write("\n]}\n");
}

std::string exportJson(const SuiteRun& run) {
  StringSink out;
  writeJson(run, VectorPairs(run.pairs), out);
  return std::move(out.text());
}

namespace {

// The format of a record (1 or 2); 0 when it is not one.
int formatOf(const Json& json) {
  if (!json.is_object() || !json.contains("format")) {
    return 0;
  }
  const Json& name = json.at("format");
  return name == kJsonFormat ? 2 : name == kJsonFormat1 ? 1 : 0;
}

// The facts of a run from its record, without its pairs.
SuiteRun runFrom(const Json& json) {
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
    if (numbers.is_string() && numbers.get_ref<const std::string&>() == "all") {
      out.numbersCap = kAllNumbers;
    } else if (numbers.is_number_unsigned()) {
      out.numbersCap = numbers.get<std::size_t>();
    } else {
      throw std::runtime_error("\"numbers\" is not a count or \"all\"");
    }
  }
  if (json.contains("lookahead")) {
    const Json& lookahead = json.at("lookahead");
    if (!lookahead.is_number_unsigned() || lookahead.get<std::uint64_t>() < 1 ||
        lookahead.get<std::uint64_t>() > zudiz::kMaxLookahead) {
      throw std::runtime_error("\"lookahead\" is not a count of lines");
    }
    out.lookahead = lookahead.get<int>();
  }
  out.date = textOf(json, "date");
  out.allowAdded = json.value("allow_added", false);
  out.seconds = numberOf<double>(json, "seconds");
  return out;
}

constexpr const char* kNotARecord =
    "not a zudiz-suite/2 or zudiz-suite/1 result";

}  // namespace

bool importJson(std::string_view text, SuiteRun* run, std::string* error) {
  try {
    Json json = Json::parse(text);
    int format = formatOf(json);
    if (format == 0) {
      *error = kNotARecord;
      return false;
    }
    SuiteRun out = runFrom(json);
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

bool readJson(std::FILE* file, SuiteRun* run, const PairReceiver& receive,
              std::string* error) {
  try {
    // The record's format comes before its pairs in every record written
    // here: each pair is then read, handed on and dropped at once. In a
    // record that names its format after its pairs they are kept until
    // the end, and handed on then.
    int format = 0;
    bool inPairs = false;
    auto callback = [&](int depth, nlohmann::detail::parse_event_t event,
                        Json& parsed) {
      using Event = nlohmann::detail::parse_event_t;
      if (depth == 1 && event == Event::key) {
        inPairs = parsed == "pairs";
        if (parsed == "format") {
          format = -1;  // known once its value is read
        }
      } else if (depth == 1 && event == Event::value && format == -1) {
        format = parsed == kJsonFormat ? 2 : parsed == kJsonFormat1 ? 1 : 0;
        if (format == 0) {
          throw std::runtime_error(kNotARecord);
        }
      } else if (depth == 2 && event == Event::object_end && inPairs &&
                 format > 0) {
        std::string failed;
        if (!receive(pairFrom(parsed, format), &failed)) {
          throw std::runtime_error(failed);
        }
        return false;
      }
      return true;
    };
    Json json = Json::parse(file, callback);
    if (formatOf(json) == 0) {
      *error = kNotARecord;
      return false;
    }
    *run = runFrom(json);
    for (const Json& pair : listOf(json, "pairs")) {
      std::string failed;
      if (!pair.is_discarded() &&
          !receive(pairFrom(pair, formatOf(json)), &failed)) {
        *error = failed;
        return false;
      }
    }
    return true;
  } catch (const std::exception& e) {
    *error = e.what();
    return false;
  }
}

}  // namespace suite
