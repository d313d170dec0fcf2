#include "suite/html_export.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/number.h"
#include "suite/report_template.h"
#include "zudiz/zudiz.h"

namespace suite {
namespace {

// Adds a count to a sum that stays at the largest value instead of
// overflowing, whatever counts merged results bring.
void addCapped(std::int64_t& sum, std::int64_t count) {
  if (__builtin_add_overflow(sum, count, &sum)) {
    sum = count < 0 ? std::numeric_limits<std::int64_t>::min()
                    : std::numeric_limits<std::int64_t>::max();
  }
}

using zudiz::Histogram;
using zudiz::NumberPair;

constexpr int kTableColumns = 9;

// --- Text --------------------------------------------------------------------

// Where a text's bytes come from, which says how they become characters.
enum class Bytes {
  kReport,  // report text and program output: one byte, one Latin-1 character
  kName,    // names, paths, switches: UTF-8 where valid, else as kReport
};

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Appends character `c`, safe both as element text and inside a quoted
// attribute value. Control characters other than TAB and LF become their
// visible symbols (U+2400 and on), which the page can always carry.
void appendChar(std::string& out, std::uint32_t c) {
  switch (c) {
    case '&':
      out += "&amp;";
      return;
    case '<':
      out += "&lt;";
      return;
    case '>':
      out += "&gt;";
      return;
    case '"':
      out += "&quot;";
      return;
    case '\'':
      out += "&#39;";
      return;
    case '\t':
    case '\n':
      out += static_cast<char>(c);
      return;
    default:
      break;
  }
  if (c < 0x20) {
    c += 0x2400;
  } else if (c == 0x7F) {
    c = 0x2421;
  }
  appendUtf8(out, c);
}

// The length of the well-formed UTF-8 sequence that starts `text` and its
// code point in `c`; 0 when the bytes are no such sequence (overlong forms
// and surrogates included).
std::size_t utf8Sequence(std::string_view text, std::uint32_t& c) {
  auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i]));
  };
  std::uint32_t first = byte(0);
  std::size_t length;
  std::uint32_t smallest;
  if (first < 0x80) {
    c = first;
    return 1;
  } else if ((first & 0xE0) == 0xC0) {
    length = 2;
    c = first & 0x1F;
    smallest = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3;
    c = first & 0x0F;
    smallest = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4;
    c = first & 0x07;
    smallest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      return 0;
    }
    c = (c << 6) | (byte(i) & 0x3F);
  }
  if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return 0;
  }
  return length;
}

void appendText(std::string& out, std::string_view text,
                Bytes bytes = Bytes::kName) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::uint32_t c = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (bytes == Bytes::kName && c >= 0x80) {
      length = utf8Sequence(text.substr(i), c);
      if (length == 0) {
        c = static_cast<unsigned char>(text[i]);
        length = 1;
      }
    }
    appendChar(out, c);
    i += length;
  }
}

// --- Numbers -----------------------------------------------------------------

// The shortest text that reads back as `value`.
std::string shortest(double value) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string formatted(const char* format, double value) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer,
                     n < 0 ? 0 : std::min<std::size_t>(n, sizeof buffer - 1));
}

// A relative difference as a percentage with three significant digits.
std::string percent(double relative) {
  return formatted("%.3g", relative * 100) + " %";
}

double relativeOf(const NumberPair& number) {
  return zudiz::relativeDifference(number.value1, number.value2);
}

// The lower bound of a histogram bucket: 0, 1e-9, ..., 0.1, 1.
double lowerBound(int bucket) {
  return bucket == 0 ? 0 : std::pow(10.0, bucket - 10);
}

// The lower bound as the chart writes it: "1e-9" ... "1e-4", "0.001" ... "1".
std::string boundLabel(int bucket) {
  int exponent = bucket - 10;
  if (exponent >= -3) {
    std::string label =
        exponent == 0 ? "1" : "0." + std::string(-exponent - 1, '0') + "1";
    return label;
  }
  return "1e" + std::to_string(exponent);
}

// --- Statuses and verdicts ---------------------------------------------------

constexpr std::array<const char*, 4> kStatusNames = {"same", "different",
                                                     "missing", "error"};

const char* statusText(PairStatus status) {
  return kStatusNames[static_cast<std::size_t>(status)];
}

// The order of the rows as first shown: different pairs first, then errors,
// missing and same pairs.
int statusRank(PairStatus status) {
  switch (status) {
    case PairStatus::kDifferent:
      return 0;
    case PairStatus::kError:
      return 1;
    case PairStatus::kMissing:
      return 2;
    case PairStatus::kSame:
      return 3;
  }
  return 3;
}

constexpr std::array<const char*, zudiz::kVerdicts> kVerdictKeys = {
    "listed", "tiny", "last_place", "within_tolerance"};
constexpr std::array<const char*, zudiz::kVerdicts> kVerdictNames = {
    "listed", "below 0.1 %", "last place only", "within tolerance"};

// --- The /IGNORE tolerance of the run's switches -----------------------------

struct Tolerance {
  enum class Kind { kNone, kRelative, kAbsolute };
  Kind kind = Kind::kNone;
  double value = 0;
};

char upperCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The number written at `at` in a switch argument: digits and points.
double switchNumber(std::string_view text, std::size_t& at) {
  std::size_t start = at;
  while (at < text.size() &&
         ((text[at] >= '0' && text[at] <= '9') || text[at] == '.')) {
    ++at;
  }
  double value = 0;
  std::from_chars(text.data() + start, text.data() + at, value);
  return value;
}

// The tolerance the last /IGNORE switch sets, read as the program reads it:
// "/I[GNORE]" alone is 0.01 % relative, "%:p" p percent, ":x" absolute.
Tolerance ignoreTolerance(std::string_view switches) {
  Tolerance tolerance;
  constexpr std::string_view kRest = "GNORE";
  for (std::size_t slash = switches.find('/'); slash != std::string_view::npos;
       slash = switches.find('/', slash + 1)) {
    std::size_t at = slash + 1;
    if (at >= switches.size() || upperCase(switches[at]) != 'I') {
      continue;
    }
    ++at;
    for (char c : kRest) {
      if (at >= switches.size() || upperCase(switches[at]) != c) {
        break;
      }
      ++at;
    }
    tolerance.kind = Tolerance::Kind::kRelative;
    tolerance.value = 1e-4;
    if (at < switches.size() && switches[at] == '%') {
      ++at;
      if (at < switches.size() && switches[at] == ':') {
        ++at;
        tolerance.value = switchNumber(switches, at) / 100;
      }
    } else if (at < switches.size() && switches[at] == ':') {
      ++at;
      tolerance.kind = Tolerance::Kind::kAbsolute;
      tolerance.value = switchNumber(switches, at);
    }
  }
  return tolerance;
}

// --- Header -----------------------------------------------------------------

void appendFact(std::string& out, std::string_view term,
                std::string_view value) {
  out += "<dt>";
  out += term;
  out += "</dt><dd>";
  appendText(out, value);
  out += "</dd>\n";
}

void appendTitle(std::string& out, const SuiteRun& run) {
  out += "zudiz-suite: ";
  appendText(out, run.baseline);
  if (!run.candidate.empty()) {
    out += " vs. ";
    appendText(out, run.candidate);
  }
}

void appendHeader(std::string& out, const SuiteRun& run) {
  out += "<h1>zudiz-suite report</h1>\n";
  if (std::string partial = partialText(run); !partial.empty()) {
    // A merge of only some shards says so before anything else.
    out += "<p class=\"partial\"><b>";
    appendText(out, partial);
    out += "</b> (";
    std::string held;
    for (const std::string& shard : run.shards) {
      held += (held.empty() ? "" : ", ") + shard;
    }
    appendText(out, held);
    out += "): the pairs of the other shards are not in this report.</p>\n";
  }
  out += "<dl class=\"facts\">\n";
  if (run.candidate.empty()) {
    appendFact(out, "Pair list", run.baseline);
  } else {
    appendFact(out, "Baseline", run.baseline);
    appendFact(out, "Candidate", run.candidate);
  }
  appendFact(out, "Switches", run.switches.empty() ? "(none)" : run.switches);
  appendFact(out, "Started", run.date);
  appendFact(out, "Version", "zudiz-suite " + run.version);
  if (!run.shard.empty() && run.shard != "1/1") {
    appendFact(out, "Shard", run.shard);
  }
  appendFact(out, "Time", formatted("%.2f", run.seconds) + " s");
  out += "</dl>\n";

  Totals totals = totalsOf(run);
  const std::pair<const char*, std::int64_t> items[] = {
      {"pairs", totals.pairs},
      {"different", totals.different},
      {"error", totals.error},
      {"missing", totals.missing},
      {"same", totals.same}};
  out += "<ul class=\"totals\">";
  for (const auto& [name, count] : items) {
    out += "<li class=\"s-";
    out += name;
    out += "\"><b>";
    out += std::to_string(count);
    out += "</b> ";
    out += name;
    out += "</li>";
  }
  out += "</ul>";
}

// --- Chart -------------------------------------------------------------------

struct ChartBox {
  static constexpr double kWidth = 760;
  static constexpr double kHeight = 290;
  static constexpr double kLeft = 56;
  static constexpr double kRight = 744;
  static constexpr double kTop = 52;  // the marks' labels stand above
  static constexpr double kBase = 236;
  static constexpr double kToleranceRow = 14;
  static constexpr double kMarkRow = 30;
  static constexpr double kSlot = (kRight - kLeft) / zudiz::kHistogramBuckets;

  // x of a place on the axis, counted in buckets from the left.
  static double x(double buckets) { return kLeft + buckets * kSlot; }
};

std::string coordinate(double value) {
  return formatted("%.1f", value);
}

// The place of relative difference `relative` on the axis, in buckets: the
// buckets 1 to 9 are decades, so 1e-9 is at 1 and 1 (100 %) at 10.
double axisPlace(double relative) {
  if (relative <= 1e-9) {
    return 1;
  }
  return std::min(10.0, 10 + std::log10(relative));
}

std::string bucketRange(int bucket) {
  if (bucket == 0) {
    return "below 1e-9";
  }
  if (bucket == zudiz::kHistogramBuckets - 1) {
    return "1 (100 %) and more";
  }
  return boundLabel(bucket) + " to " + boundLabel(bucket + 1);
}

std::string shortCount(std::int64_t count) {
  static constexpr std::pair<std::int64_t, const char*> kUnits[] = {
      {1000000000, "G"}, {1000000, "M"}, {1000, "k"}};
  for (const auto& [unit, suffix] : kUnits) {
    if (count >= unit && count % unit == 0) {
      return std::to_string(count / unit) + suffix;
    }
  }
  return std::to_string(count);
}

void appendLine(std::string& out, const char* cls, double x1, double y1,
                double x2, double y2) {
  out += "<line class=\"";
  out += cls;
  out += "\" x1=\"" + coordinate(x1) + "\" y1=\"" + coordinate(y1) +
         "\" x2=\"" + coordinate(x2) + "\" y2=\"" + coordinate(y2) + "\"/>";
}

void appendLabel(std::string& out, double x, double y, const char* anchor,
                 std::string_view text, const char* cls = nullptr) {
  out += "<text x=\"" + coordinate(x) + "\" y=\"" + coordinate(y) +
         "\" text-anchor=\"";
  out += anchor;
  out += "\"";
  if (cls != nullptr) {
    out += " class=\"";
    out += cls;
    out += "\"";
  }
  out += ">";
  appendText(out, text);
  out += "</text>";
}

// One bar: its verdicts stacked from the bottom, listed first.
void appendBar(std::string& out, int bucket,
               const std::array<std::int64_t, zudiz::kVerdicts>& counts,
               double height) {
  std::int64_t total = 0;
  for (std::int64_t count : counts) {
    addCapped(total, count);
  }
  out += "<g class=\"bar\" data-bucket=\"" + std::to_string(bucket) +
         "\" data-count=\"" + std::to_string(total) + "\"><title>";
  out += bucketRange(bucket) + ": " + std::to_string(total) + " number pair";
  out += total == 1 ? "" : "s";
  for (int v = 0; v < zudiz::kVerdicts; ++v) {
    if (counts[v] > 0) {
      out += "\n" + std::to_string(counts[v]) + " " + kVerdictNames[v];
    }
  }
  out += "</title>";
  double left = ChartBox::x(bucket + 0.15);
  double width = ChartBox::kSlot * 0.7;
  double y = ChartBox::kBase;
  for (int v = 0; v < zudiz::kVerdicts && total > 0; ++v) {
    if (counts[v] == 0) {
      continue;
    }
    double part = std::max(1.0, height * static_cast<double>(counts[v]) /
                                    static_cast<double>(total));
    y -= part;
    out += "<rect class=\"v" + std::to_string(v) + "\" data-verdict=\"" +
           kVerdictKeys[v] + "\" data-count=\"" + std::to_string(counts[v]) +
           "\" x=\"" + coordinate(left) + "\" y=\"" + coordinate(y) +
           "\" width=\"" + coordinate(width) + "\" height=\"" +
           coordinate(part) + "\"/>";
  }
  if (total > 0) {
    appendLabel(out, left + width / 2, y - 4, "middle", std::to_string(total),
                "count");
  }
  out += "</g>\n";
}

void appendChart(std::string& out, const SuiteRun& run,
                 std::size_t maxNumbers) {
  Histogram sum;
  std::array<std::int64_t, zudiz::kVerdicts> byVerdict{};
  std::int64_t cutPairs = 0;
  bool ownSwitches = false;
  for (const PairResult& pair : run.pairs) {
    const Histogram& h = pair.result.histogram;
    for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
      for (int v = 0; v < zudiz::kVerdicts; ++v) {
        std::int64_t n = std::max<std::int64_t>(0, h.counts[b][v]);
        addCapped(sum.counts[b][v], n);
        addCapped(byVerdict[v], n);
      }
    }
    if (pair.result.numbersCut || pair.result.numbers.size() > maxNumbers) {
      ++cutPairs;
    }
    ownSwitches = ownSwitches || !pair.switches.empty();
  }
  std::array<std::int64_t, zudiz::kHistogramBuckets> totals{};
  std::int64_t largest = 0;
  std::int64_t all = 0;
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    for (std::int64_t count : sum.counts[b]) {
      addCapped(totals[b], count);
    }
    largest = std::max(largest, totals[b]);
    addCapped(all, totals[b]);
  }

  using B = ChartBox;
  const double plotHeight = B::kBase - B::kTop;
  // Bar heights grow with the logarithm of the count, so that a handful of
  // large differences stays visible beside a million tiny ones.
  auto heightOf = [&](std::int64_t count) {
    if (count == 0 || largest == 0) {
      return 0.0;
    }
    double h = plotHeight * std::log10(1.0 + static_cast<double>(count)) /
               std::log10(1.0 + static_cast<double>(largest));
    return std::max(2.0, h);
  };

  out +=
      "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 "
      "0 " +
      coordinate(B::kWidth) + " " + coordinate(B::kHeight) +
      "\" role=\"img\" aria-label=\"Histogram of " + std::to_string(all) +
      " unequal number pairs by relative difference\">\n";
  // Grid lines and labels at powers of ten of the count.
  for (std::int64_t tick = 1; largest > 0 && tick <= largest; tick *= 10) {
    double y = B::kBase - heightOf(tick);
    appendLine(out, "grid", B::kLeft, y, B::kRight, y);
    appendLabel(out, B::kLeft - 6, y + 4, "end", shortCount(tick));
    if (tick > INT64_MAX / 10) {
      break;
    }
  }
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    appendBar(out, b, sum.counts[b], heightOf(totals[b]));
  }
  appendLine(out, "axis", B::kLeft, B::kBase, B::kRight, B::kBase);
  appendLine(out, "axis", B::kLeft, B::kTop - 6, B::kLeft, B::kBase);
  for (int b = 1; b < zudiz::kHistogramBuckets; ++b) {
    appendLine(out, "axis", B::x(b), B::kBase, B::x(b), B::kBase + 4);
    appendLabel(out, B::x(b), B::kBase + 16, "middle", boundLabel(b));
  }
  appendLabel(out, (B::kLeft + B::kRight) / 2, B::kBase + 38, "middle",
              "relative difference |a \xE2\x88\x92 b| / mean(|a|, |b|), "
              "log scale");
  appendLabel(out, B::kLeft - 6, B::kMarkRow, "end", "count");
  if (all == 0) {
    appendLabel(out, (B::kLeft + B::kRight) / 2, (B::kTop + B::kBase) / 2,
                "middle", "No unequal numbers in this suite");
  }

  // The 0.1 % line, and the /IGNORE tolerance where it is relative.
  double at = B::x(axisPlace(1e-3));
  out += "<g class=\"mark-0-1\">";
  appendLine(out, "mark", at, B::kMarkRow - 10, at, B::kBase);
  appendLabel(out, at + 4, B::kMarkRow, "start", "0.1 %");
  out += "</g>";
  Tolerance tolerance = ignoreTolerance(run.switches);
  if (tolerance.kind == Tolerance::Kind::kRelative) {
    double place = tolerance.value <= 1e-9 ? 0.5 : axisPlace(tolerance.value);
    double x = B::x(place);
    out += "<g class=\"mark-tolerance\" data-tolerance=\"" +
           shortest(tolerance.value) + "\">";
    appendLine(out, "mark tolerance", x, B::kToleranceRow - 10, x, B::kBase);
    appendLabel(out, x + 4, B::kToleranceRow, "start",
                "/IGNORE " + percent(tolerance.value));
    out += "</g>";
  }
  out += "\n</svg>\n";

  out += "<ul class=\"legend\">";
  for (int v = 0; v < zudiz::kVerdicts; ++v) {
    out += "<li><span class=\"swatch v" + std::to_string(v) + "\"></span>";
    out += kVerdictNames[v];
    out += " (" + std::to_string(byVerdict[v]) + ")</li>";
  }
  out += "</ul>\n";
  out +=
      "<p class=\"note\">Every unequal number pair of the suite, counted by "
      "the size of its difference. Bar heights grow with the logarithm of "
      "the count; within a bar the verdicts share its height in "
      "proportion. The dashed line marks 0.1 %, below which differences "
      "are excused.";
  if (tolerance.kind == Tolerance::Kind::kRelative) {
    out +=
        " The dotted line marks the /IGNORE tolerance: numbers within it "
        "count as equal.";
  } else if (tolerance.kind == Tolerance::Kind::kAbsolute) {
    out += " The /IGNORE tolerance of " + shortest(tolerance.value) +
           " is absolute, so it has no place on this axis.";
  }
  if (ownSwitches) {
    out += " Pairs with switches of their own may use other tolerances.";
  }
  out += "</p>\n";
  if (cutPairs > 0) {
    out += "<p class=\"note cut\">In " + std::to_string(cutPairs) + " pair";
    out += cutPairs == 1 ? "" : "s";
    out += " more unequal numbers were met than the " +
           std::to_string(std::min(maxNumbers, zudiz::kMaxNumbers)) +
           " records kept per pair: the hover details of their listings show "
           "the largest only. The chart counts every one.</p>\n";
  }
}

// --- Listings ----------------------------------------------------------------

// The lines of a program output: the pieces between its CR LF line ends.
std::vector<std::string_view> outputLines(std::string_view output) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t end = output.find("\r\n"); end != std::string_view::npos;
       end = output.find("\r\n", start)) {
    lines.push_back(output.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(output.substr(start));
  return lines;
}

bool isListingHeading(std::string_view line) {
  constexpr std::string_view kStart = "FILE";
  constexpr std::string_view kEnd = "LINE   DIFFERENCES";
  if (line.size() < kStart.size() + kEnd.size() ||
      line.substr(0, kStart.size()) != kStart ||
      line.substr(line.size() - kEnd.size()) != kEnd) {
    return false;
  }
  std::string_view between =
      line.substr(kStart.size(), line.size() - kStart.size() - kEnd.size());
  return between.find_first_not_of(' ') == std::string_view::npos;
}

// The columns of a listed pair of texts: where a word of either text starts
// after blanks in both. The program pads each column to its longer word and
// one blank, so the two words of a column start at the same place.
std::vector<std::size_t> columnStarts(std::string_view text1,
                                      std::string_view text2) {
  auto at = [](std::string_view text, std::size_t i) {
    return i < text.size() ? text[i] : ' ';
  };
  std::vector<std::size_t> starts;
  std::size_t length = std::max(text1.size(), text2.size());
  for (std::size_t i = 0; i < length; ++i) {
    bool blankBefore =
        i == 0 || (at(text1, i - 1) == ' ' && at(text2, i - 1) == ' ');
    bool word = at(text1, i) != ' ' || at(text2, i) != ' ';
    if (blankBefore && word) {
      starts.push_back(i);
    }
  }
  return starts;
}

std::string_view wordAt(std::string_view text, std::size_t start) {
  if (start >= text.size()) {
    return {};
  }
  std::size_t end = text.find(' ', start);
  return text.substr(start, end == std::string_view::npos ? end : end - start);
}

// The number a listed word stands for, read as the comparison reads it;
// false for a word that is no number.
bool wordNumber(std::string_view word, double& value) {
  if (word.empty() || word.size() > kWordCapacity) {
    return false;
  }
  std::size_t trailing = 0;
  value = unitsToValue(scanUnits(word.data(), word.size(), trailing));
  return trailing < word.size();
}

bool sameValue(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

// The kept number records of a pair, in file order: the `cap` with the
// largest relative differences, ties in file order.
std::vector<const NumberPair*> keptNumbers(
    const std::vector<NumberPair>& numbers, std::size_t cap) {
  std::vector<std::size_t> order(numbers.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
  }
  if (order.size() > cap) {
    // A record without a relative difference (not a number) counts as 0.
    std::vector<double> relative(numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      double r = relativeOf(numbers[i]);
      relative[i] = r >= 0 ? r : 0;
    }
    std::partial_sort(
        order.begin(), order.begin() + cap, order.end(),
        [&](std::size_t a, std::size_t b) {
          return relative[a] != relative[b] ? relative[a] > relative[b] : a < b;
        });
    order.resize(cap);
    std::sort(order.begin(), order.end());
  }
  std::vector<const NumberPair*> kept;
  kept.reserve(order.size());
  for (std::size_t i : order) {
    kept.push_back(&numbers[i]);
  }
  return kept;
}

// The data-n entries of one listed pair: for each column whose two words
// are numbers that a kept record holds, "column:value1:value2:verdict".
std::string recordEntries(const zudiz::ListedPair& listed,
                          std::string_view text1, std::string_view text2,
                          const std::vector<std::size_t>& starts,
                          const std::vector<const NumberPair*>& kept,
                          std::vector<bool>& used) {
  std::string entries;
  for (std::size_t c = 0; c < starts.size(); ++c) {
    double value1 = 0;
    double value2 = 0;
    if (!wordNumber(wordAt(text1, starts[c]), value1) ||
        !wordNumber(wordAt(text2, starts[c]), value2)) {
      continue;
    }
    for (std::size_t k = 0; k < kept.size(); ++k) {
      const NumberPair& number = *kept[k];
      if (used[k] || number.line1 != listed.line1 ||
          number.line2 != listed.line2 || !sameValue(number.value1, value1) ||
          !sameValue(number.value2, value2)) {
        continue;
      }
      used[k] = true;
      if (!entries.empty()) {
        entries += ' ';
      }
      entries += std::to_string(c) + ":" + shortest(number.value1) + ":" +
                 shortest(number.value2) + ":" +
                 std::to_string(static_cast<int>(number.verdict));
      break;
    }
  }
  return entries;
}

// Where the listed pairs stand in the output: the index of the listing's
// heading line and the column where the listed texts start. False when the
// output does not hold the listed pairs as the program prints them.
bool findListedPairs(const std::vector<std::string_view>& lines,
                     const std::vector<zudiz::ListedPair>& listed,
                     std::size_t& heading, std::size_t& textColumn) {
  if (listed.empty()) {
    return false;
  }
  auto found = std::find_if(lines.begin(), lines.end(), isListingHeading);
  if (found == lines.end()) {
    return false;
  }
  heading = static_cast<std::size_t>(found - lines.begin());
  textColumn = found->size() - std::string_view("DIFFERENCES").size();
  if (heading + 3 * listed.size() >= lines.size()) {
    return false;
  }
  auto holds = [&](std::string_view line, const std::string& text) {
    if (line.size() < textColumn) {
      return false;
    }
    std::string_view printed = line.substr(textColumn);
    const auto trimmed = [](std::string_view t) {
      const std::size_t end = t.find_last_not_of(' ');
      return end == std::string_view::npos ? std::string_view()
                                           : t.substr(0, end + 1);
    };
    return printed == text || trimmed(printed) == trimmed(text);
  };
  for (std::size_t j = 0; j < listed.size(); ++j) {
    std::size_t first = heading + 1 + 3 * j;
    if (!holds(lines[first], listed[j].text1) ||
        !holds(lines[first + 1], listed[j].text2) ||
        !lines[first + 2].empty()) {
      return false;
    }
  }
  return true;
}

// The pair's program output, as printed, with each listed pair of lines in
// a span that carries its columns and the number records found in it.
void appendOutput(std::string& out, const zudiz::Result& result,
                  std::size_t maxNumbers) {
  std::vector<std::string_view> lines = outputLines(result.output);
  std::size_t heading = 0;
  std::size_t textColumn = 0;
  bool marked = findListedPairs(lines, result.pairs, heading, textColumn);
  out += "<pre class=\"out\"";
  if (marked) {
    out += " data-col=\"" + std::to_string(textColumn) + "\"";
  }
  out += ">";
  std::vector<const NumberPair*> kept;
  std::vector<bool> used;
  if (marked) {
    kept = keptNumbers(result.numbers, maxNumbers);
    used.assign(kept.size(), false);
  }
  std::size_t firstListed = heading + 1;
  std::size_t endListed = marked ? firstListed + 3 * result.pairs.size() : 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      out += '\n';
    }
    bool inListing = marked && i >= firstListed && i < endListed;
    std::size_t offset = i - firstListed;
    if (inListing && offset % 3 == 0) {
      const zudiz::ListedPair& listed = result.pairs[offset / 3];
      std::string_view text1 = lines[i].substr(textColumn);
      std::string_view text2 = lines[i + 1].substr(textColumn);
      std::vector<std::size_t> starts = columnStarts(text1, text2);
      out += "<span class=\"d\" data-c=\"";
      for (std::size_t c = 0; c < starts.size(); ++c) {
        if (c > 0) {
          out += ' ';
        }
        out += std::to_string(starts[c]);
      }
      out += "\"";
      std::string entries =
          recordEntries(listed, text1, text2, starts, kept, used);
      if (!entries.empty()) {
        out += " data-n=\"" + entries + "\"";
      }
      out += ">";
    }
    appendText(out, lines[i], Bytes::kReport);
    if (inListing && offset % 3 == 1) {
      out += "</span>";
    }
  }
  out += "</pre>";
}

// --- Table -------------------------------------------------------------------

bool hasListing(const PairResult& pair) {
  return (pair.status == PairStatus::kDifferent ||
          pair.status == PairStatus::kError) &&
         !pair.result.output.empty();
}

// The largest relative difference of a pair's numbers as a table cell: the
// library's largest pair, greyed with "excused" when its verdict let it
// pass; from the records, or else the histogram, for results without one.
void appendLargestCell(std::string& out, const zudiz::Result& result) {
  std::optional<NumberPair> largest = result.largest;
  for (const NumberPair& number : result.numbers) {
    if (!largest || relativeOf(number) > relativeOf(*largest)) {
      largest = number;
    }
  }
  if (largest) {
    const double relative = relativeOf(*largest);
    if (largest->verdict == zudiz::Verdict::kListed) {
      out += "<td data-v=\"" + shortest(relative) + "\">" + percent(relative) +
             "</td>";
    } else {
      out += "<td class=\"excused\" data-v=\"" + shortest(relative) +
             "\" title=\"" + kVerdictNames[static_cast<int>(largest->verdict)] +
             "\">" + percent(relative) + " excused</td>";
    }
    return;
  }
  for (int b = zudiz::kHistogramBuckets - 1; b >= 0; --b) {
    std::int64_t count = 0;
    for (std::int64_t n : result.histogram.counts[b]) {
      addCapped(count, n);
    }
    if (count > 0) {
      out += "<td data-v=\"" + shortest(lowerBound(b)) + "\">";
      out += b == 0 ? "&lt; " + percent(lowerBound(1))
                    : "&#8805; " + percent(lowerBound(b));
      out += "</td>";
      return;
    }
  }
  out += "<td></td>";
}

void appendRow(std::string& out, const PairResult& pair, std::size_t index) {
  const char* status = statusText(pair.status);
  out += "<tr data-pair=\"";
  appendText(out, pair.name);
  out += "\" data-status=\"";
  out += status;
  out += "\"><td>";
  out += status;
  out += "</td><td class=\"name\">";
  bool listing = hasListing(pair);
  if (listing) {
    out += "<a href=\"#l" + std::to_string(index) + "\">";
  }
  appendText(out, pair.name);
  if (listing) {
    out += "</a>";
  }
  if (!pair.message.empty()) {
    out += "<span class=\"msg\">";
    appendText(out, pair.message, Bytes::kReport);
    out += "</span>";
  }
  if (!pair.switches.empty()) {
    out += "<span class=\"sw\">";
    appendText(out, pair.switches);
    out += "</span>";
  }
  out += "</td>";
  if (pair.status == PairStatus::kSame ||
      pair.status == PairStatus::kDifferent) {
    const zudiz::Counts& counts = pair.result.counts;
    for (std::int64_t count :
         {counts.linesCompared, counts.linesDiffered, counts.wordDifferences,
          counts.numericDifferences,
          counts.tinyExcused + counts.lastPlaceExcused}) {
      out += "<td>" + std::to_string(count) + "</td>";
    }
    appendLargestCell(out, pair.result);
  } else {
    out += "<td></td><td></td><td></td><td></td><td></td><td></td>";
  }
  out += "<td data-v=\"" + shortest(pair.seconds) + "\">" +
         (pair.seconds < 1 ? formatted("%.0f", pair.seconds * 1000) + " ms"
                           : formatted("%.2f", pair.seconds) + " s") +
         "</td></tr>\n";
}

// --- Changes in context
// -------------------------------------------------------

// Where the listed words stand in the whole line: the words of `listed`
// (blank-separated) met in order among the blank-separated words of `line`.
// Each result is a start and a length in `line`.
std::vector<std::pair<std::size_t, std::size_t>> listedWordsIn(
    std::string_view line, std::string_view listed) {
  std::vector<std::pair<std::size_t, std::size_t>> found;
  std::size_t at = 0;
  std::size_t from = 0;
  while (from < listed.size()) {
    const std::size_t start = listed.find_first_not_of(' ', from);
    if (start == std::string_view::npos) {
      break;
    }
    std::size_t end = listed.find(' ', start);
    end = end == std::string_view::npos ? listed.size() : end;
    const std::string_view word = listed.substr(start, end - start);
    from = end;
    for (std::size_t k = at; k < line.size();) {
      while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) {
        ++k;
      }
      std::size_t e = k;
      while (e < line.size() && line[e] != ' ' && line[e] != '\t') {
        ++e;
      }
      if (e > k && line.substr(k, e - k) == word) {
        found.emplace_back(k, e - k);
        at = e;
        break;
      }
      k = e;
    }
  }
  return found;
}

// One side's whole line, its listed words marked.
void appendMarkedLine(std::string& out, const char* side, std::string_view line,
                      std::string_view listed) {
  out += "<span class=\"side\">";
  out += side;
  out += "</span>";
  std::size_t at = 0;
  for (const auto& [start, length] : listedWordsIn(line, listed)) {
    appendText(out, line.substr(at, start - at), Bytes::kReport);
    out += "<mark>";
    appendText(out, line.substr(start, length), Bytes::kReport);
    out += "</mark>";
    at = start + length;
  }
  appendText(out, line.substr(at), Bytes::kReport);
  out += '\n';
}

void appendContext(std::string& out, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    out += "<span class=\"ctx\"><span class=\"side\"></span>";
    appendText(out, line, Bytes::kReport);
    out += "</span>\n";
  }
}

std::string placeText(std::int64_t page, std::int64_t line) {
  if (line == 0) {
    return "no line";
  }
  return (page > 0 ? "page " + std::to_string(page) + ", " : "") + "line " +
         std::to_string(line);
}

// Listed pairs shown in context on one page, shared among the pairs with a
// listing, and at most per pair: the listing as printed shows them all, so
// a suite that differs everywhere keeps its page small and quick to load.
constexpr std::size_t kChangesPerPage = 3000;
constexpr std::size_t kChangesPerPair = 20;

// The first `most` listed pairs where they stand: the context lines muted,
// then the baseline's whole line above the candidate's, the listed words
// marked.
void appendChanges(std::string& out, const zudiz::Result& result,
                   std::size_t most) {
  if (result.pairs.empty() || most == 0) {
    return;
  }
  out += "<p class=\"as-printed\">In context:</p><div class=\"changes\">";
  const std::size_t shown = std::min(most, result.pairs.size());
  for (std::size_t i = 0; i < shown; ++i) {
    const zudiz::ListedPair& listed = result.pairs[i];
    out += "<p class=\"place\">baseline " +
           placeText(listed.page1, listed.line1) + " \xC2\xB7 candidate " +
           placeText(listed.page2, listed.line2) + "</p><pre class=\"change\">";
    const bool sameContext = listed.context1 == listed.context2;
    if (listed.line1 != 0) {
      appendContext(out, listed.context1);
      appendMarkedLine(out, "baseline  ", listed.lineText1, listed.text1);
    }
    if (listed.line2 != 0) {
      if (!sameContext || listed.line1 == 0) {
        appendContext(out, listed.context2);
      }
      appendMarkedLine(out, "candidate ", listed.lineText2, listed.text2);
    }
    out += "</pre>";
  }
  if (shown < result.pairs.size()) {
    out += "<p class=\"place\">\xE2\x80\xA6 and " +
           std::to_string(result.pairs.size() - shown) +
           " more in the listing below</p>";
  }
  out += "</div>";
}

void appendListingRow(std::string& out, const PairResult& pair,
                      std::size_t index, std::size_t maxNumbers,
                      std::size_t changes) {
  out += "<tr class=\"listing\" id=\"l" + std::to_string(index) +
         "\"><td colspan=\"" + std::to_string(kTableColumns) +
         "\"><p class=\"files\">";
  appendText(out, pair.baseline);
  out += " vs. ";
  appendText(out, pair.candidate);
  out += "</p>";
  appendOutput(out, pair.result, maxNumbers);
  appendChanges(out, pair.result, changes);
  out += "</td></tr>\n";
}

void appendRows(std::string& out, const SuiteRun& run, std::size_t maxNumbers) {
  std::vector<std::size_t> order(run.pairs.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     return statusRank(run.pairs[a].status) <
                            statusRank(run.pairs[b].status);
                   });
  std::size_t listings = 0;
  for (const PairResult& pair : run.pairs) {
    listings += hasListing(pair) ? 1 : 0;
  }
  const std::size_t changes =
      listings == 0
          ? 0
          : std::min(kChangesPerPair,
                     std::max<std::size_t>(1, kChangesPerPage / listings));
  for (std::size_t i : order) {
    const PairResult& pair = run.pairs[i];
    appendRow(out, pair, i);
    if (hasListing(pair)) {
      appendListingRow(out, pair, i, maxNumbers, changes);
    }
  }
}

// The page with each {{name}} mark replaced by its filling; unknown marks
// stay as they are.
std::string fillTemplate(
    std::string_view page,
    std::initializer_list<std::pair<std::string_view, const std::string*>>
        fillings,
    std::size_t expectedSize) {
  std::string out;
  out.reserve(page.size() + expectedSize);
  std::size_t at = 0;
  while (at < page.size()) {
    std::size_t open = page.find("{{", at);
    std::size_t close =
        open == std::string_view::npos ? open : page.find("}}", open + 2);
    if (close == std::string_view::npos) {
      out += page.substr(at);
      break;
    }
    out += page.substr(at, open - at);
    std::string_view name = page.substr(open + 2, close - open - 2);
    const std::string* filling = nullptr;
    for (const auto& [key, value] : fillings) {
      if (key == name) {
        filling = value;
      }
    }
    if (filling != nullptr) {
      out += *filling;
    } else {
      out += page.substr(open, close + 2 - open);
    }
    at = close + 2;
  }
  return out;
}

}  // namespace

std::string exportHtml(const SuiteRun& run, std::size_t maxNumbers) {
  std::string title;
  appendTitle(title, run);
  std::string header;
  appendHeader(header, run);
  std::string chart;
  appendChart(chart, run, maxNumbers);
  std::string rows;
  std::size_t outputBytes = 0;
  for (const PairResult& pair : run.pairs) {
    outputBytes += hasListing(pair) ? pair.result.output.size() + 400 : 0;
  }
  rows.reserve(run.pairs.size() * 260 + outputBytes * 11 / 10);
  appendRows(rows, run, maxNumbers);
  return fillTemplate(
      reportTemplate(),
      {{"title", &title},
       {"header", &header},
       {"chart", &chart},
       {"rows", &rows}},
      title.size() + header.size() + chart.size() + rows.size());
}

void writeHtml(const SuiteRun& run, const PairSource& pairs, TextSink& out,
               std::size_t maxNumbers) {
  SuiteRun whole = run;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    whole.pairs.push_back(pairs.at(i));
  }
  out.write(exportHtml(whole, maxNumbers));
}

}  // namespace suite
