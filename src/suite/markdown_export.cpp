#include "suite/markdown_export.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "suite/console.h"
#include "suite/report_text.h"

namespace suite {
namespace {

// Pairs whose changes are shown, and changes shown of each.
constexpr std::size_t kPairsWithChanges = 20;
constexpr std::size_t kChangesPerPair = 3;

// The characters of a text as UTF-8 by its byte rule, controls visible.
std::string characters(std::string_view text, bool report, bool lines = false) {
  return visibleUtf8(text, report ? Bytes::kReport : Bytes::kName, lines);
}

// A text in running Markdown (a table cell or a heading), shown as written.
std::string inlineText(std::string_view text, bool report = false) {
  std::string out;
  for (char c : characters(text, report)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\t':
        out += ' ';
        break;
      case '\\':
      case '`':
      case '*':
      case '_':
      case '[':
      case ']':
      case '|':
      case '#':
      case '~':
      case '!':
        out += '\\';
        out += c;
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A fenced block around `text` (which ends in a line end): the fence is
// longer than any run of backticks in the text, so nothing in it ends it.
std::string fenced(std::string_view info, std::string_view text) {
  std::size_t longest = 0;
  std::size_t run = 0;
  for (char c : text) {
    run = c == '`' ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  const std::string fence(std::max<std::size_t>(3, longest + 1), '`');
  return fence + std::string(info) + "\n" + std::string(text) + fence + "\n";
}

// The order of the table: different, error, missing; by name within each.
int statusRank(PairStatus status) {
  switch (status) {
    case PairStatus::kDifferent:
      return 0;
    case PairStatus::kError:
      return 1;
    case PairStatus::kMissing:
      return 2;
    case PairStatus::kSame:
      break;
  }
  return 3;
}

std::string largestCell(const zudiz::Result& result) {
  if (!result.largest) {
    return "";
  }
  const zudiz::NumberPair& n = *result.largest;
  std::string cell = percentText(zudiz::relativeDifference(n.value1, n.value2));
  if (n.verdict != zudiz::Verdict::kListed) {
    cell += " (excused)";
  }
  return cell;
}

std::string tableRow(const PairResult& pair) {
  std::string row = "| " + std::string(statusName(pair.status)) + " | " +
                    inlineText(pair.name);
  if (!pair.message.empty()) {
    row += " — " + inlineText(pair.message, true);
  }
  row += " | ";
  if (pair.status == PairStatus::kSame ||
      pair.status == PairStatus::kDifferent) {
    const zudiz::Counts& c = pair.result.counts;
    row += std::to_string(c.linesDiffered) + " | " +
           std::to_string(c.wordDifferences) + " | " +
           std::to_string(c.numericDifferences) + " | " +
           largestCell(pair.result) + " |\n";
  } else {
    row += " |  |  |  |\n";
  }
  return row;
}

// The first listed changes of a pair, each where it stands and with its
// context, in a fenced diff block.
std::string changesOf(const PairResult& pair) {
  const std::vector<zudiz::ListedPair>& listed = pair.result.pairs;
  std::string text = "\n#### " + inlineText(pair.name) + "\n\n";
  const std::size_t shown = std::min(listed.size(), kChangesPerPair);
  for (std::size_t i = 0; i < shown; ++i) {
    text += "\n" + changePlace(listed[i]) + "\n\n";
    text += fenced("diff", characters(changeLines(listed[i]), true, true));
  }
  if (listed.size() > shown) {
    text += "\n… and " + std::to_string(listed.size() - shown) +
            " more listed changes\n";
  }
  return text;
}

}  // namespace

std::string exportMarkdown(const SuiteRun& run, std::size_t limit) {
  std::vector<const PairResult*> shown;
  for (const PairResult& pair : run.pairs) {
    if (pair.status != PairStatus::kSame) {
      shown.push_back(&pair);
    }
  }
  std::stable_sort(shown.begin(), shown.end(),
                   [](const PairResult* a, const PairResult* b) {
                     return statusRank(a->status) < statusRank(b->status);
                   });

  std::string out = "### zudiz-suite: " +
                    inlineText(closingLine(totalsOf(run), run.seconds)) + "\n";
  if (shown.empty()) {
    return out;
  }
  // Room is kept for the closing line, whatever its count.
  const std::string kClosingRoom = "\n… and 18446744073709551615 more pairs\n";
  const std::size_t room = limit > out.size() + kClosingRoom.size()
                               ? limit - kClosingRoom.size()
                               : 0;
  out +=
      "\n| Status | Pair | Lines | Words | Numbers | Largest difference |\n"
      "|---|---|--:|--:|--:|--:|\n";
  // A long table leaves a third of the room to the changes.
  const bool anyChanges = std::any_of(
      shown.begin(), shown.end(),
      [](const PairResult* pair) { return !pair->result.pairs.empty(); });
  const std::size_t tableRoom = anyChanges ? room - room / 3 : room;
  std::size_t rows = 0;
  for (const PairResult* pair : shown) {
    std::string row = tableRow(*pair);
    if (out.size() + row.size() > tableRoom) {
      break;
    }
    out += row;
    ++rows;
  }
  std::size_t withChanges = 0;
  bool heading = false;
  for (std::size_t i = 0; i < rows && withChanges < kPairsWithChanges; ++i) {
    if (shown[i]->result.pairs.empty()) {
      continue;
    }
    std::string changes = changesOf(*shown[i]);
    if (!heading) {
      changes = "\n### First changes\n" + changes;
    }
    if (out.size() + changes.size() > room) {
      break;
    }
    out += changes;
    heading = true;
    ++withChanges;
  }
  if (rows < shown.size()) {
    out += "\n… and " + std::to_string(shown.size() - rows) + " more pairs\n";
  }
  return out;
}

}  // namespace suite
