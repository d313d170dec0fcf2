#include "suite/html_export.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "suite/html_chart.h"
#include "suite/html_pair_view.h"
#include "suite/html_parts.h"
#include "suite/report_template.h"
#include "zudiz/zudiz.h"

namespace suite {
namespace {

using namespace html;
using zudiz::NumberPair;

constexpr int kTableColumns = 9;

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
  if (run.lookahead != 1) {
    appendFact(out, "Look-ahead", std::to_string(run.lookahead) + " lines");
  }
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

// A pair's name as the table shows it: a line may break after each slash
// (and backslash), so that a long path wraps at its folders.
void appendBreakableName(std::string& out, std::string_view name) {
  std::string shown;
  appendText(shown, name);
  for (char c : shown) {
    out += c;
    if (c == '/' || c == '\\') {
      out += "<wbr>";
    }
  }
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
  appendBreakableName(out, pair.name);
  if (listing) {
    out += "</a>";
  }
  if (!isUtf8(pair.name)) {
    // Told apart from a UTF-8 name that would look the same.
    out +=
        "<span class=\"msg\">(not UTF-8: each byte shown as one "
        "character)</span>";
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
  appendPairView(out, pair.result, maxNumbers, changes);
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
  const std::size_t changes = changesPerPair(listings);
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

}  // namespace suite
