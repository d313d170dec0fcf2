#include "suite/html_pair_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/number.h"
#include "suite/html_parts.h"

namespace suite::html {
namespace {

using zudiz::NumberPair;

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

// --- Changes in context ------------------------------------------------------

// The number records of a pair by their line numbers, to give a listed
// number pair the verdict the comparison gave it.
class RecordIndex {
 public:
  explicit RecordIndex(const std::vector<NumberPair>& numbers) {
    sorted_.reserve(numbers.size());
    for (const NumberPair& n : numbers) {
      sorted_.push_back(&n);
    }
    std::stable_sort(sorted_.begin(), sorted_.end(), before);
  }

  // The verdict of the record of lines `line1`/`line2` with these values;
  // kListed when none was kept (a listed number pair is a listed one).
  zudiz::Verdict verdict(std::int64_t line1, std::int64_t line2, double value1,
                         double value2) const {
    NumberPair key;
    key.line1 = line1;
    key.line2 = line2;
    auto [from, to] =
        std::equal_range(sorted_.begin(), sorted_.end(), &key, before);
    for (auto it = from; it != to; ++it) {
      if (sameValue((*it)->value1, value1) &&
          sameValue((*it)->value2, value2)) {
        return (*it)->verdict;
      }
    }
    return zudiz::Verdict::kListed;
  }

 private:
  static bool before(const NumberPair* a, const NumberPair* b) {
    return a->line1 != b->line1 ? a->line1 < b->line1 : a->line2 < b->line2;
  }
  std::vector<const NumberPair*> sorted_;
};

// What the page needs to tell a numeric listed word pair on hover and
// focus: both values and the verdict's index ("77.066 58.114 0"); the
// page's script adds the relative difference. Empty when either word is no
// number.
std::string numberData(std::string_view word1, std::string_view word2,
                       std::int64_t line1, std::int64_t line2,
                       const RecordIndex& records) {
  double value1 = 0;
  double value2 = 0;
  if (!wordNumber(word1, value1) || !wordNumber(word2, value2)) {
    return "";
  }
  const zudiz::Verdict verdict = records.verdict(line1, line2, value1, value2);
  return shortest(value1) + " " + shortest(value2) + " " +
         std::to_string(static_cast<int>(verdict));
}

// A listed word of one side to mark in its line; `numeric` when the other
// side lists a number in its column too, and then `data` holds the pair's
// values and verdict.
struct Marked {
  std::size_t start = 0;
  std::size_t length = 0;
  bool numeric = false;
  std::string data;
};

// The marks of both sides of a listed pair, each in line order. Words in
// the same column of the two listed texts are a pair.
std::array<std::vector<Marked>, 2> marksOf(const zudiz::ListedPair& listed,
                                           const RecordIndex& records) {
  const std::array<const std::vector<zudiz::ListedWord>*, 2> words = {
      &listed.words1, &listed.words2};
  const std::array<std::string_view, 2> texts = {listed.text1, listed.text2};
  const std::array<std::string_view, 2> lines = {listed.lineText1,
                                                 listed.lineText2};
  std::array<std::vector<Marked>, 2> marks;
  for (std::size_t side = 0; side < 2; ++side) {
    for (const zudiz::ListedWord& w : *words[side]) {
      if (w.start > lines[side].size() ||
          w.length > lines[side].size() - w.start) {
        continue;  // a record that does not fit its line marks nothing
      }
      Marked mark{w.start, w.length, false, {}};
      const std::size_t other = 1 - side;
      for (const zudiz::ListedWord& v : *words[other]) {
        if (v.column != w.column || v.column > texts[other].size() ||
            w.column > texts[side].size()) {
          continue;
        }
        std::string_view mine = texts[side].substr(w.column, w.length);
        std::string_view theirs = texts[other].substr(v.column, v.length);
        const std::string data =
            side == 0
                ? numberData(mine, theirs, listed.line1, listed.line2, records)
                : numberData(theirs, mine, listed.line1, listed.line2, records);
        mark.numeric = !data.empty();
        if (side == 1) {
          mark.data = data;  // once per pair, on the candidate's word
        }
        break;
      }
      marks[side].push_back(std::move(mark));
    }
    std::sort(
        marks[side].begin(), marks[side].end(),
        [](const Marked& a, const Marked& b) { return a.start < b.start; });
  }
  return marks;
}

// One side's whole line, its listed words marked in place; a numeric word
// takes the keyboard focus, and the candidate's carries the pair's values.
// The n-th numeric word of the baseline's line pairs with the n-th of the
// candidate's.
void appendMarkedLine(std::string& out, const char* side, std::string_view line,
                      const std::vector<Marked>& marks) {
  out += "<span class=\"side\">";
  out += side;
  out += "</span>";
  std::size_t at = 0;
  for (const Marked& mark : marks) {
    if (mark.start < at) {
      continue;  // overlaps the word before it
    }
    appendText(out, line.substr(at, mark.start - at), Bytes::kReport);
    if (!mark.numeric) {
      out += "<mark>";
    } else if (mark.data.empty()) {
      out += "<mark class=\"num\" tabindex=\"0\">";
    } else {
      out += "<mark class=\"num\" tabindex=\"0\" data-n=\"" + mark.data + "\">";
    }
    appendText(out, line.substr(mark.start, mark.length), Bytes::kReport);
    out += "</mark>";
    at = mark.start + mark.length;
  }
  appendText(out, line.substr(std::min(at, line.size())), Bytes::kReport);
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
  const RecordIndex records(result.numbers);
  out += "<div class=\"changes\">";
  const std::size_t shown = std::min(most, result.pairs.size());
  for (std::size_t i = 0; i < shown; ++i) {
    const zudiz::ListedPair& listed = result.pairs[i];
    const std::array<std::vector<Marked>, 2> marks = marksOf(listed, records);
    out += "<p class=\"place\">baseline " +
           placeText(listed.page1, listed.line1) + " \xC2\xB7 candidate " +
           placeText(listed.page2, listed.line2) + "</p><pre class=\"change\">";
    const bool sameContext = listed.context1 == listed.context2;
    if (listed.line1 != 0) {
      appendContext(out, listed.context1);
      appendMarkedLine(out, "baseline  ", listed.lineText1, marks[0]);
    }
    if (listed.line2 != 0) {
      if (!sameContext || listed.line1 == 0) {
        appendContext(out, listed.context2);
      }
      appendMarkedLine(out, "candidate ", listed.lineText2, marks[1]);
    }
    out += "</pre>";
  }
  if (shown < result.pairs.size()) {
    out += "<p class=\"place\">\xE2\x80\xA6 and " +
           std::to_string(result.pairs.size() - shown) +
           " more in the listing as printed</p>";
  }
  out += "</div>";
}

}  // namespace

std::size_t changesPerPair(std::size_t listings) {
  return listings == 0
             ? 0
             : std::min(kChangesPerPair,
                        std::max<std::size_t>(1, kChangesPerPage / listings));
}

void appendPairView(std::string& out, const zudiz::Result& result,
                    std::size_t maxNumbers, std::size_t changes) {
  if (result.pairs.empty() || changes == 0) {
    appendOutput(out, result, maxNumbers);
    return;
  }
  appendChanges(out, result, changes);
  out += "<details class=\"printed\"><summary>Listing as printed</summary>";
  appendOutput(out, result, maxNumbers);
  out += "</details>";
}

}  // namespace suite::html
