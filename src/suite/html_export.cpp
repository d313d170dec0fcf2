#include "suite/html_export.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
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

void appendHeader(std::string& out, const SuiteRun& run, const Totals& totals) {
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
struct LargestCell {
  bool empty = true;
  std::string value;              // data-v: the relative difference
  std::string text;               // as shown, unescaped
  const char* verdict = nullptr;  // the verdict that excused it, or null
};

LargestCell largestCellOf(const zudiz::Result& result) {
  LargestCell cell;
  std::optional<NumberPair> largest = result.largest;
  for (const NumberPair& number : result.numbers) {
    if (!largest || relativeOf(number) > relativeOf(*largest)) {
      largest = number;
    }
  }
  if (largest) {
    const double relative = relativeOf(*largest);
    cell.empty = false;
    cell.value = shortest(relative);
    cell.text = percent(relative);
    if (largest->verdict != zudiz::Verdict::kListed) {
      cell.verdict = kVerdictNames[static_cast<int>(largest->verdict)];
    }
    return cell;
  }
  for (int b = zudiz::kHistogramBuckets - 1; b >= 0; --b) {
    std::int64_t count = 0;
    for (std::int64_t n : result.histogram.counts[b]) {
      addCapped(count, n);
    }
    if (count > 0) {
      cell.empty = false;
      cell.value = shortest(lowerBound(b));
      cell.text = b == 0 ? "< " + percent(lowerBound(1))
                         : "\xE2\x89\xA5 " + percent(lowerBound(b));
      return cell;
    }
  }
  return cell;
}

void appendLargestCell(std::string& out, const zudiz::Result& result) {
  const LargestCell cell = largestCellOf(result);
  if (cell.empty) {
    out += "<td></td>";
  } else if (cell.verdict == nullptr) {
    out += "<td data-v=\"" + cell.value + "\">";
    constexpr std::string_view kAtLeast = "\xE2\x89\xA5";
    if (std::string_view(cell.text).substr(0, kAtLeast.size()) == kAtLeast) {
      out += "&#8805;";  // as the page has always written it
      appendText(out, std::string_view(cell.text).substr(kAtLeast.size()));
    } else {
      appendText(out, cell.text);
    }
    out += "</td>";
  } else {
    out += "<td class=\"excused\" data-v=\"" + cell.value + "\" title=\"" +
           cell.verdict + "\">";
    appendText(out, cell.text);
    out += " excused</td>";
  }
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

void appendRow(std::string& out, const PairResult& pair, std::size_t index,
               bool listing) {
  const char* status = statusText(pair.status);
  out += "<tr data-pair=\"";
  appendText(out, pair.name);
  out += "\" data-status=\"";
  out += status;
  out += "\"><td>";
  out += status;
  out += "</td><td class=\"name\">";
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

// --- Rows as data
// --------------------------------------------------------------
//
// A page of many rows holds them as data for its script, which draws those
// in view as they are needed: a browser then reads a large run in a moment
// instead of laying out a table of a hundred thousand rows. Each row is a
// JSON array:
//   [status, name, counts, largest, seconds, seconds shown, listing, more]
// status 0 same, 1 different, 2 missing, 3 error; texts as the page shows
// them (control characters as their symbols), unescaped; counts:
// [compared, differed, words, numeric, excused] or 0; largest: [value,
// text] or [value, text, verdict that excused it] or 0; listing: the
// pair's index + 1 when the page holds its listing, as the text of
// <script type="text/html" id="lINDEX-data">, else 0; `more` only when
// needed: [1 when the name is not UTF-8 else 0, message, switches].

void appendRowData(std::string& out, const PairResult& pair, std::size_t index,
                   bool listing) {
  out += '[';
  out += std::to_string(static_cast<int>(pair.status));
  out += ',';
  appendJsonString(out, visibleUtf8(pair.name, Bytes::kName, true), true);
  out += ',';
  if (pair.status == PairStatus::kSame ||
      pair.status == PairStatus::kDifferent) {
    const zudiz::Counts& counts = pair.result.counts;
    char separator = '[';
    for (std::int64_t count :
         {counts.linesCompared, counts.linesDiffered, counts.wordDifferences,
          counts.numericDifferences,
          counts.tinyExcused + counts.lastPlaceExcused}) {
      out += separator;
      out += std::to_string(count);
      separator = ',';
    }
    out += "],";
    const LargestCell cell = largestCellOf(pair.result);
    if (cell.empty) {
      out += '0';
    } else {
      out += '[';
      appendJsonString(out, cell.value, true);
      out += ',';
      appendJsonString(out, cell.text, true);
      if (cell.verdict != nullptr) {
        out += ',';
        appendJsonString(out, cell.verdict, true);
      }
      out += ']';
    }
  } else {
    out += "0,0";
  }
  out += ',';
  appendJsonString(out, shortest(pair.seconds), true);
  out += ',';
  appendJsonString(out,
                   pair.seconds < 1
                       ? formatted("%.0f", pair.seconds * 1000) + " ms"
                       : formatted("%.2f", pair.seconds) + " s",
                   true);
  out += ',';
  out += listing ? std::to_string(index + 1) : "0";
  const bool utf8 = isUtf8(pair.name);
  if (!utf8 || !pair.message.empty() || !pair.switches.empty()) {
    out += utf8 ? ",[0," : ",[1,";
    appendJsonString(out, visibleUtf8(pair.message, Bytes::kReport, true),
                     true);
    out += ',';
    appendJsonString(out, visibleUtf8(pair.switches, Bytes::kName, true), true);
    out += ']';
  }
  out += ']';
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

// A listing row kept as text for the page's script (see appendRowData). Its
// report text is escaped and it holds no script, so it can stand inside a
// script element as it is.
void appendListingData(std::string& out, const PairResult& pair,
                       std::size_t index, std::size_t maxNumbers,
                       std::size_t changes) {
  out +=
      "<script type=\"text/html\" id=\"l" + std::to_string(index) + "-data\">";
  appendListingRow(out, pair, index, maxNumbers, changes);
  out += "</script>\n";
}

// Room kept for the note on what a page left out, its table of folders
// included.
constexpr std::size_t kNoteRoom = 200'000;
constexpr std::size_t kFoldersShown = 1000;
// Listings that did not fit in turn after which no more are tried.
constexpr std::size_t kListingMisses = 100;

// The folder of a pair's name ("" at the top).
std::string_view folderOf(std::string_view name) {
  const std::size_t slash = name.find_last_of('/');
  return slash == std::string_view::npos ? std::string_view()
                                         : name.substr(0, slash);
}

// What of a large run the page shows, chosen so that the page stays within
// its budget: every row of a pair that is not the same, as long as they fit;
// the listings of the pairs that changed most, as many as fit; then rows of
// same pairs, in pair order, with what room is left.
struct PagePlan {
  bool asData = false;             // rows as data for the script
  std::vector<std::size_t> order;  // rows shown first to last, by status
  std::vector<char> listing;       // by pair: its listing is on the page
  std::size_t changes = 0;         // listed pairs each listing shows whole
  std::size_t rowsLeftOut = 0;     // rows of pairs that are not the same
  std::size_t sameLeftOut = 0;     // rows of same pairs
  std::size_t listingsLeftOut = 0;
  std::size_t sameRoom = 0;  // bytes the rows of same pairs may take
  std::map<std::string, std::int64_t> sameByFolder;
};

PagePlan planPage(const PairSource& pairs, std::size_t maxNumbers,
                  std::size_t room, bool asData) {
  PagePlan plan;
  plan.asData = asData;
  plan.order.resize(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    plan.order[i] = i;
  }
  std::stable_sort(plan.order.begin(), plan.order.end(),
                   [&](std::size_t a, std::size_t b) {
                     return statusRank(pairs.brief(a).status) <
                            statusRank(pairs.brief(b).status);
                   });
  std::size_t listings = 0;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const PairBrief brief = pairs.brief(i);
    listings += brief.status == PairStatus::kDifferent ||
                        brief.status == PairStatus::kError
                    ? 1
                    : 0;
  }
  plan.changes = changesPerPair(listings);

  // Each row and listing is measured once; only the sizes are kept.
  struct Candidate {
    std::size_t index;
    std::int64_t change;
  };
  std::vector<Candidate> candidates;
  std::size_t rowBytes = 0;
  std::size_t sameBytes = 0;
  std::vector<std::uint32_t> sameSizes;
  std::string piece;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const PairResult pair = pairs.at(i);
    piece.clear();
    if (asData) {
      appendRowData(piece, pair, i, hasListing(pair));
      piece += ',';
    } else {
      appendRow(piece, pair, i, hasListing(pair));
    }
    if (pair.status == PairStatus::kSame) {
      sameBytes += piece.size();
      sameSizes.push_back(static_cast<std::uint32_t>(piece.size()));
      ++plan.sameByFolder[std::string(folderOf(pair.name))];
      continue;
    }
    if (rowBytes + piece.size() > room) {
      ++plan.rowsLeftOut;
    }
    rowBytes += piece.size();
    if (hasListing(pair)) {
      candidates.push_back({i, briefOf(pair).change});
    }
  }
  room -= std::min(room, rowBytes);
  // The names of same pairs keep a quarter of what is left, when they need
  // it; the listings take the rest, largest changes first. A page of rows
  // as data keeps its listings lighter, as each is text the browser holds.
  const std::size_t sameShare = std::min(sameBytes, room / 4);
  std::size_t listingRoom = room - sameShare;
  if (asData) {
    listingRoom = std::min(listingRoom, kHtmlDataListings);
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     return a.change > b.change;
                   });
  // Each listing is made to measure it only while the room may still take
  // it: once kListingMisses in turn did not fit, the rest are left out.
  plan.listing.assign(pairs.size(), 0);
  std::size_t misses = 0;
  for (const Candidate& c : candidates) {
    if (misses >= kListingMisses) {
      ++plan.listingsLeftOut;
      continue;
    }
    piece.clear();
    if (asData) {
      appendListingData(piece, pairs.at(c.index), c.index, maxNumbers,
                        plan.changes);
    } else {
      appendListingRow(piece, pairs.at(c.index), c.index, maxNumbers,
                       plan.changes);
    }
    if (piece.size() <= listingRoom) {
      plan.listing[c.index] = 1;
      listingRoom -= piece.size();
      misses = 0;
    } else {
      ++plan.listingsLeftOut;
      ++misses;
    }
  }
  plan.sameRoom = sameShare + listingRoom;
  // Same rows are written in pair order while they fit.
  std::size_t sameTaken = 0;
  for (std::size_t bytes : sameSizes) {
    if (sameTaken + bytes > plan.sameRoom) {
      ++plan.sameLeftOut;
    } else {
      sameTaken += bytes;
    }
  }
  if (plan.sameLeftOut == 0) {
    plan.sameByFolder.clear();
  }
  return plan;
}

// Says plainly what a page within its budget left out, with the same
// pairs counted by folder.
void appendLeftOut(std::string& out, const PagePlan& plan) {
  const std::size_t sameLeftOut = plan.sameLeftOut;
  if (plan.rowsLeftOut == 0 && sameLeftOut == 0 && plan.listingsLeftOut == 0) {
    return;
  }
  out +=
      "<div class=\"left-out\"><p><b>This page leaves out part of a large "
      "run</b> so that it stays quick to open: ";
  std::vector<std::string> parts;
  if (plan.rowsLeftOut > 0) {
    parts.push_back("the rows of " + std::to_string(plan.rowsLeftOut) +
                    " pairs that are not the same");
  }
  if (plan.listingsLeftOut > 0) {
    parts.push_back("the listings of " + std::to_string(plan.listingsLeftOut) +
                    " pairs (those of the pairs with the most changed lines "
                    "are shown)");
  }
  if (sameLeftOut > 0) {
    parts.push_back("the rows of " + std::to_string(sameLeftOut) +
                    " same pairs (counted by folder below)");
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    out += i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ";
    appendText(out, parts[i]);
  }
  out +=
      ". The JSON record of the run (<code>--json</code>) holds every "
      "pair in full.</p>\n";
  if (sameLeftOut > 0) {
    out +=
        "<details><summary>Same pairs by folder</summary>"
        "<table class=\"folders\"><tr><th>Folder</th><th>Same</th></tr>\n";
    std::size_t shown = 0;
    for (const auto& [folder, count] : plan.sameByFolder) {
      if (++shown > kFoldersShown) {
        out += "<tr><td>… " +
               std::to_string(plan.sameByFolder.size() - kFoldersShown) +
               " more folders</td><td></td></tr>\n";
        break;
      }
      out += "<tr><td>";
      appendText(out, folder.empty() ? "(top)" : folder);
      out += "</td><td>" + std::to_string(count) + "</td></tr>\n";
    }
    out += "</table></details>\n";
  }
  out += "</div>\n";
}

// Writes the rows the plan keeps; returns how many same pairs it left out.
// A page of rows as data writes them here as one JSON array and returns
// the pairs whose listings it holds in `listed`.
std::size_t writeRows(TextSink& out, const PairSource& pairs,
                      const PagePlan& plan, std::size_t maxNumbers,
                      std::size_t room, std::vector<std::size_t>* listed) {
  std::string piece;
  std::size_t rowBytes = 0;
  std::size_t sameBytes = 0;
  std::size_t sameLeftOut = 0;
  bool first = true;
  for (std::size_t i : plan.order) {
    const PairResult pair = pairs.at(i);
    piece.clear();
    if (plan.asData) {
      appendRowData(piece, pair, i, plan.listing[i] != 0);
      piece += ',';
    } else {
      appendRow(piece, pair, i, plan.listing[i] != 0);
    }
    if (pair.status == PairStatus::kSame) {
      if (sameBytes + piece.size() > plan.sameRoom) {
        ++sameLeftOut;
        continue;
      }
      sameBytes += piece.size();
    } else {
      rowBytes += piece.size();
      if (rowBytes > room) {
        continue;
      }
    }
    if (plan.asData) {
      piece.pop_back();  // the comma goes before a row, not after
      out.write(first ? "" : ",\n");
      first = false;
      if (plan.listing[i] != 0) {
        listed->push_back(i);
      }
    } else if (plan.listing[i] != 0) {
      appendListingRow(piece, pair, i, maxNumbers, plan.changes);
    }
    out.write(piece);
  }
  return sameLeftOut;
}

// The rows of a page that holds them as data, the listings it keeps, and
// what a browser without script shows instead.
void writeData(TextSink& out, const PairSource& pairs, const PagePlan& plan,
               std::size_t maxNumbers, std::size_t room) {
  out.write("<script type=\"application/json\" id=\"pair-data\">[\n");
  std::vector<std::size_t> listed;
  writeRows(out, pairs, plan, maxNumbers, room, &listed);
  out.write("\n]</script>\n");
  std::string piece;
  for (std::size_t i : listed) {
    piece.clear();
    appendListingData(piece, pairs.at(i), i, maxNumbers, plan.changes);
    out.write(piece);
  }
  out.write(
      "<noscript><p class=\"left-out\">This page holds the rows of its " +
      std::to_string(pairs.size()) +
      " pairs as data that its script shows; without script it shows none. "
      "The JSON record of the run (<code>--json</code>) holds every pair in "
      "full.</p></noscript>\n");
}

}  // namespace

std::string exportHtml(const SuiteRun& run, std::size_t maxNumbers) {
  StringSink out;
  writeHtml(run, VectorPairs(run.pairs), out, maxNumbers);
  return std::move(out.text());
}

void writeHtml(const SuiteRun& run, const PairSource& pairs, TextSink& out,
               std::size_t maxNumbers, std::size_t budget,
               std::size_t rowsInline) {
  std::string title;
  appendTitle(title, run);
  std::string header;
  appendHeader(header, run, totalsOf(pairs, run.allowAdded));
  std::string chart;
  appendChart(chart, pairs, maxNumbers);
  const std::string_view page = reportTemplate();
  // The rows and listings take what the rest of the page leaves, with room
  // kept for the note on what was left out (its folder table included).
  const std::size_t fixed =
      page.size() + title.size() + header.size() + chart.size();
  std::size_t room = budget > fixed ? budget - fixed : 0;
  // Room is kept for the note on what was left out, with its folder table.
  room -= std::min(kNoteRoom, room / 8);
  PagePlan plan = planPage(pairs, maxNumbers, room, pairs.size() > rowsInline);
  appendLeftOut(header, plan);

  // The page with each {{name}} mark replaced by its filling; unknown marks
  // stay as they are.
  std::size_t at = 0;
  while (at < page.size()) {
    std::size_t open = page.find("{{", at);
    std::size_t close =
        open == std::string_view::npos ? open : page.find("}}", open + 2);
    if (close == std::string_view::npos) {
      out.write(page.substr(at));
      break;
    }
    out.write(page.substr(at, open - at));
    std::string_view name = page.substr(open + 2, close - open - 2);
    if (name == "title") {
      out.write(title);
    } else if (name == "header") {
      out.write(header);
    } else if (name == "chart") {
      out.write(chart);
    } else if (name == "rows") {
      if (!plan.asData) {
        std::vector<std::size_t> unused;
        writeRows(out, pairs, plan, maxNumbers, room, &unused);
      }
    } else if (name == "data") {
      if (plan.asData) {
        writeData(out, pairs, plan, maxNumbers, room);
      }
    } else {
      out.write(page.substr(open, close + 2 - open));
    }
    at = close + 2;
  }
}

}  // namespace suite
