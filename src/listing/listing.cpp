#include "listing/listing.h"

#include <algorithm>
#include <string_view>

#include "core/records.h"
#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "reader/line_text.h"

namespace {

constexpr std::size_t kLineNumberWidth = 6;

void printHeading(RunState& run) {
  Output& out = run.out;
  std::uint32_t width = run.values.labelWidth;
  out.endLine();
  out.text("FILE");
  out.repeat(' ', width > 2 ? width - 2 : 0);
  out.text("LINE   DIFFERENCES");
  out.endLine();
}

// "*** More than 100 differences" and an empty line.
void printCapNotice(RunState& run) {
  Output& out = run.out;
  out.text("*** More than ");
  out.number(run.settings.maxPairs);
  out.text(" difference");
  if (run.settings.maxPairs > 1) {
    out.text("s");
  }
  out.endLine();
  out.endLine();
}

// Label, line number and the extra marker of file `side`, then `text`.
void printLine(RunState& run, Side side, std::optional<Side> extra,
               std::string_view text) {
  Output& out = run.out;
  const Side i = side;
  std::string_view label = run.files[i].fileLabel.view();
  out.text(label);
  if (label.size() < run.values.labelWidth) {
    out.repeat(' ', run.values.labelWidth - label.size());
  }
  std::uint32_t line = run.pending.diffLine(i);
  if (line == 0) {
    out.repeat(' ', kLineNumberWidth);
  } else {
    out.number(line, kLineNumberWidth);
  }
  out.text(side == extra ? " + " : "   ");
  out.text(text);
  out.endLine();
}

// Where the listed line of file `side` stands: its page, its text and the
// lines before it that the window holds, for the run's collector.
ListedLine listedLine(RunState& run, Side side, std::size_t firstColumn) {
  ListedLine line;
  const std::uint32_t number = run.pending.diffLine(side);
  if (number == 0) {
    return line;
  }
  const WordSpots& words = run.pending.wordSpots(side);
  line.words = words.spots.data();
  line.wordCount = words.count;
  line.firstColumn = static_cast<std::uint32_t>(firstColumn);
  const PageReader& r = reader(run, side);
  line.page = r.pageNumber;
  LineSpan span;
  if (!findLine(r, number, &span)) {
    return line;
  }
  const auto text = [&](const LineSpan& s) {
    return std::string_view(reinterpret_cast<const char*>(r.bytes()) + s.start,
                            s.length);
  };
  line.text = text(span);
  LineSpan before[kMaxContextLines];
  line.beforeCount = linesBefore(r, span, run.records->contextLines, before);
  for (int k = 0; k < line.beforeCount; ++k) {
    line.before[static_cast<std::size_t>(k)] = text(before[k]);
  }
  return line;
}

// One pair: the lines of file 1 and file 2, then an empty line. The texts
// start at column `firstColumn` of the pending texts.
void printPair(RunState& run, std::optional<Side> extra, std::string_view text1,
               std::string_view text2, std::size_t firstColumn = 0) {
  printLine(run, Side::kOne, extra, text1);
  printLine(run, Side::kTwo, extra, text2);
  run.out.endLine();
  if (run.records != nullptr) {
    run.records->listedPair(run.pending.diffLine(Side::kOne),
                            run.pending.diffLine(Side::kTwo), extra, text1,
                            text2,
                            {listedLine(run, Side::kOne, firstColumn),
                             listedLine(run, Side::kTwo, firstColumn)});
  }
}

// The text without the blank that ends its last column. A text cut at the
// capacity may end in a word; it is printed whole.
std::string_view withoutFinalBlank(std::string_view text) {
  if (!text.empty() && text.back() == ' ') {
    text.remove_suffix(1);
  }
  return text;
}

// Length of the first word-mode column of `text`: its first word and the
// blanks after it, which take in the following columns where the text has no
// word.
std::size_t columnLength(std::string_view text) {
  std::size_t c = 0;
  while (c < text.size() && text[c] != ' ') {
    ++c;
  }
  while (c < text.size() && text[c] == ' ') {
    ++c;
  }
  return c;
}

// Counts one more pair and prints the heading before the first one. Returns
// false when the pair lies beyond the cap. The notice goes with the first
// pair beyond it: the one counted while the count stood at the cap (a count
// held at its largest value must not bring it again).
bool admitPair(RunState& run) {
  const std::int32_t before = run.values.pairsListed;
  bump(run.values.pairsListed);
  if (run.values.pairsListed == 1) {
    printHeading(run);
  }
  if (run.values.pairsListed > run.settings.maxPairs) {
    if (before == run.settings.maxPairs) {
      printCapNotice(run);
    }
    return false;
  }
  return true;
}

}  // namespace

void listDifference(RunState& run, std::optional<Side> extra) {
  std::string_view text1 = run.pending.diffText(Side::kOne).view();
  std::string_view text2 = run.pending.diffText(Side::kTwo).view();
  if (text1.empty() && text2.empty()) {
    return;
  }
  if (run.settings.maxPairs <= 0) {
    clearDiff(run);
    return;
  }

  if (!run.settings.wordMode) {
    if (admitPair(run)) {
      printPair(run, extra, withoutFinalBlank(text1), withoutFinalBlank(text2));
    }
    clearDiff(run);
    return;
  }

  // Word mode: each column of file 1's text is a pair of its own.
  std::size_t firstColumn = 0;
  while (!text1.empty() || !text2.empty()) {
    if (!admitPair(run)) {
      break;
    }
    std::size_t c = text1.empty() ? text2.size() : columnLength(text1);
    std::string_view column1 = text1.substr(0, c);
    std::string_view column2 = text2.substr(0, c);
    printPair(run, extra, withoutFinalBlank(column1),
              withoutFinalBlank(column2), firstColumn);
    firstColumn += std::max(column1.size(), column2.size());
    text1.remove_prefix(column1.size());
    text2.remove_prefix(column2.size());
  }
  clearDiff(run);
}
