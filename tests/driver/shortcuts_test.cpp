// The engine's shortcuts against its plain steps: random report pairs, built
// to reach the places where a shortcut could part from the rules, are
// compared with the shortcuts on and off (RunValues::shortcuts) under a
// table of switch sets, and everything a caller sees must be the same: the
// bytes printed, the exit status, every counter and every record.
//
// ZUDIZ_SOAK=N runs N times as many pairs (make soak).

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "cmdline/switches.h"
#include "core/reader_state.h"
#include "core/records.h"
#include "core/run_state.h"
#include "driver/run.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

namespace {

// Keeps the records a caller would keep: every listed pair, and the number
// pairs that were not taken back.
class RecordLog : public RunRecords {
 public:
  std::vector<std::string> listed;
  std::vector<std::string> numbers;

  void listedPair(std::uint32_t line1, std::uint32_t line2,
                  std::optional<Side> extra, std::string_view text1,
                  std::string_view text2,
                  const std::array<ListedLine, 2>& lines) override {
    std::ostringstream s;
    s << line1 << ' ' << line2 << ' ' << (extra ? fileNumber(*extra) : 0)
      << " [" << text1 << "] [" << text2 << ']';
    // The page of each side; its text and context come from what the window
    // holds at that moment, which the shortcuts may change.
    for (const ListedLine& line : lines) {
      s << " page " << line.page;
    }
    listed.push_back(s.str());
  }
  void numberPair(std::int64_t index, double value1, double value2,
                  std::int64_t line1, std::int64_t line2,
                  Verdict verdict) override {
    numbers.resize(static_cast<std::size_t>(index));
    std::ostringstream s;
    s << value1 << ' ' << value2 << ' ' << line1 << ' ' << line2 << ' '
      << static_cast<int>(verdict);
    numbers.push_back(s.str());
  }
  void settle(std::int64_t) override {}
};

// What one run showed.
struct Outcome {
  std::string output;
  int status = 0;
  Counters counters;
  std::int32_t pairsListed = 0;
  std::vector<std::string> listed;
  std::vector<std::string> numbers;
};

Outcome runPair(const std::string& one, const std::string& two,
                const std::vector<std::string>& switches, bool shortcuts,
                std::int32_t lookahead = 1) {
  FakeHost host;
  host.addFile("one.txt", one);
  host.addFile("two.txt", two);
  RunState run{host};
  RecordLog log;
  Outcome o;
  o.output = runAndCatch(
      host,
      [&] {
        setDefaults(run);
        run.values.shortcuts = shortcuts;
        run.records = &log;
        std::vector<std::string> words = {"one.txt", "two.txt"};
        words.insert(words.end(), switches.begin(), switches.end());
        for (const std::string& text : words) {
          Word word;
          word.assign(text);
          processArgument(run, word);
        }
        run.settings.lookahead = lookahead;
        compareNamedFiles(run);
        endRun(run);
      },
      &o.status);
  o.counters = run.counters;
  o.pairsListed = run.values.pairsListed;
  o.listed = log.listed;
  o.numbers = log.numbers;
  o.numbers.resize(static_cast<std::size_t>(
      std::max<std::int64_t>(0, run.counters.words.numbersMet)));
  return o;
}

// Report pairs that reach the shortcuts' corners: long runs of equal lines
// (with tiny numbers in them), lines that differ in one word or number,
// extra lines and words, blank runs of different lengths that cross page
// ends, pages of a few bytes that repeat (and one that does not) or that do
// not repeat at all, head lines with tags, plot sections, whitespace codes
// and hidden lines, every kind of line end, and fillers that put all of it
// across the window's edge.
class PairMaker {
 public:
  // `blocks`: some pieces are blocks of several extra lines, for the
  // longer look-ahead.
  explicit PairMaker(std::uint32_t seed, bool blocks = false)
      : random_(seed), blocks_(blocks) {}

  void make(std::string& one, std::string& two) {
    one.clear();
    two.clear();
    lineEnd_ = pick({"\n", "\r\n", "\r", "\r\n", "\r\n"});
    if (chance(0.3)) {
      // Equal lines up to where a line end, a page end or a tag of the text
      // after them (a run of equal lines, blank lines or head lines) is
      // the last byte of the first read (kMaxRead bytes), or next to it:
      // the bytes that decide a token lie right at the window's edge.
      std::string after1;
      std::string after2;
      piece(after1, after2, pick({"0", "3", "3", "6", "9"})[0] - '0');
      std::vector<std::size_t> edges;
      for (std::size_t i = 0; i < after1.size(); ++i) {
        if (after1[i] == '\r' || after1[i] == '\n' || after1[i] == '\f' ||
            after1[i] == '&') {
          edges.push_back(i);
        }
        if (after1[i] == '\r') {
          edges.push_back(i);  // inside a CR LF twice as often
        }
      }
      const std::size_t edge =
          edges.empty() ? 0 : edges[uniform(0, edges.size() - 1)];
      const std::size_t size =
          29998 + uniform(0, 2) - std::min(edge, std::size_t{1000});
      // Two head lines and a blank line first: the first page's head block
      // ends there, and measuring it does not end the run ("Page too
      // large") before the filler reaches the edge.
      one = "REPORT" + lineEnd_ + "PAGE" + lineEnd_ + lineEnd_;
      two = one;
      const std::string line = "  FILLER 12.5 " + word() + lineEnd_;
      while (one.size() + line.size() < size) {
        one += line;
        two += line;
      }
      const std::string last = std::string(size - one.size() - 1, 'x') + "\n";
      one += last + after1;
      two += last + after2;
    }
    // Most pairs are short; the others run over several windows, so that
    // the window's edge falls on every kind of text.
    const std::size_t size = chance(0.15) ? uniform(35000, 90000) : 0;
    const int pieces = static_cast<int>(uniform(1, 40));
    for (int k = 0; k < pieces || one.size() < size; ++k) {
      piece(one, two, uniform(0, blocks_ ? 13 : 12));
    }
    if (chance(0.1)) {
      one += "\x1a\x1a";
    }
    if (chance(0.1)) {
      two += "\f";
    }
  }

  // Bytes that decide a token: without the filters a read ends anywhere, so
  // one of them may be the last valid byte, with the byte it needs after it
  // still in the file.
  enum class Spot {
    kBlankRunCr,  // a CR of a blank run, after the run's first line end
    kTagLine,     // the first of a tag's four bytes, four bytes from the end
    kNextLineCr,  // the CR of a blank line after a differing pair and the
                  // line after it, the pair at the start of the window
  };

  // A pair whose first read (kMaxRead bytes) ends with `spot` on its last
  // byte (shift 0) or one byte before or after it (shift -1 or 1), in file
  // one, or in file two when the files are swapped. With `head` the files
  // start with two head lines and a blank line, which end the page's head
  // block at once; else they start with the text of the spot.
  void makeWithSpot(Spot spot, int shift, bool head, std::string& one,
                    std::string& two) {
    one.clear();
    two.clear();
    lineEnd_ = pick({"\r\n", "\r"});
    // Where the spot's byte stands.
    const auto target =
        static_cast<std::size_t>(std::int64_t{kMaxRead} - 1 + shift);
    if (head) {
      const std::string h =
          "REPORT " + number() + lineEnd_ + "PAGE 1" + lineEnd_ + lineEnd_;
      one += h;
      two += h;
    }
    switch (spot) {
      case Spot::kBlankRunCr: {
        const std::size_t blanks = uniform(2, 4);  // the last one on target
        equalLinesUpTo(target - (blanks - 1) * lineEnd_.size(), one, two);
        for (std::size_t i = 0; i < blanks; ++i) {
          one += lineEnd_;
        }
        for (std::size_t i = chance(0.5) ? blanks : uniform(1, 5); i > 0; --i) {
          two += lineEnd_;
        }
        break;
      }
      case Spot::kTagLine:
        equalLinesUpTo(target - 3, one, two);
        one += "D&T=" + number() + " x" + lineEnd_;
        two += "D&T=" + number() + " y" + lineEnd_;
        break;
      case Spot::kNextLineCr: {
        // The pair's line runs from the window's start to where the line
        // after it and the blank line's CR land on target.
        const std::string next = line(false);
        const std::size_t length =
            target - one.size() - next.size() - 2 * lineEnd_.size();
        // A plain word first: a blank or a comma before it would leave the
        // window a byte to drop.
        std::string pair = "PAIR ";
        while (pair.size() + 300 < length) {
          pair += line(true) + " ";
        }
        pair += std::string(length - pair.size(), 'x');
        one += pair + lineEnd_ + next + lineEnd_ + lineEnd_;
        two += sameLengthChange(pair) + lineEnd_ + sameLengthChange(next) +
               lineEnd_ + lineEnd_;
        break;
      }
    }
    for (std::size_t k = uniform(1, 12); k > 0; --k) {
      piece(one, two, uniform(0, 12));
    }
    one += "END" + lineEnd_;
    two += "END" + lineEnd_;
    if (chance(0.5)) {
      one.swap(two);
    }
  }

 private:
  std::mt19937 random_;
  bool blocks_ = false;
  std::string lineEnd_;

  std::size_t uniform(std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random_);
  }
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
  std::string pick(std::initializer_list<const char*> texts) {
    auto it = texts.begin();
    std::advance(it, static_cast<std::ptrdiff_t>(uniform(0, texts.size() - 1)));
    return *it;
  }
  std::string end() { return chance(0.9) ? lineEnd_ : pick({"\n", "\r\n"}); }

  std::string number() {
    switch (uniform(0, 10)) {
      case 8: {
        // Long numbers that differ in one digit only.
        std::string n =
            std::string("1234567890123.4567890123").substr(0, uniform(9, 24));
        std::size_t at = uniform(0, n.size() - 1);
        if (n[at] != '.') {
          n[at] = static_cast<char>('0' + uniform(0, 9));
        }
        return n;
      }
      case 0:
        return std::to_string(uniform(0, 99999));
      case 1:
        return std::to_string(uniform(0, 999)) + "." +
               std::to_string(uniform(0, 9999));
      case 2:
        return "1,234." + std::to_string(uniform(0, 99));
      case 3:
        return "-0.000" + std::to_string(uniform(1, 9));
      case 4:
        return std::to_string(uniform(1, 9)) + "x";
      case 5:
        return "0";
      case 6:
        return "1.5E" + std::to_string(uniform(0, 3));
      case 9:
        return pick({"2.5D", "-3.25e-", "7d+", "1E"}) +
               std::to_string(uniform(0, 9));
      case 10:
        return pick({"1,234,567", "-12,345.5", "+0.25", ".75", "5."}) +
               pick({"", "", "kN", "t"});
      default:
        return "100000.00" + std::to_string(uniform(0, 9));
    }
  }
  // A number a little apart from `n` (tiny, last place or more), or `n`.
  std::string nudged(const std::string& n) {
    if (n.empty() || !std::isdigit(static_cast<unsigned char>(n.back()))) {
      return n + "1";
    }
    std::string m = n;
    char& last = m.back();
    switch (uniform(0, 2)) {
      case 0:
        last = last == '9' ? '8' : static_cast<char>(last + 1);
        break;
      case 1:
        m += "1";
        break;
      default:
        m = "9" + m;
        break;
    }
    return m;
  }
  std::string word() {
    return pick({"A", "alpha", "Beta", "x", "KG", "a,b", "D&T=1", "P&V=2",
                 "\xe9t\xe9", "total", "1,2", "12,", ",5"});
  }
  std::string blanks() { return pick({" ", "  ", "\t", "       \t", " \t "}); }

  std::string line(bool numbers) {
    std::string text = chance(0.3) ? blanks() : "";
    const std::size_t words = uniform(1, 7);
    for (std::size_t i = 0; i < words; ++i) {
      text += numbers && chance(0.5) ? number() : word();
      if (i + 1 < words) {
        text += blanks();
      }
    }
    return text;
  }

  // Lines that read the same in both files, the last one padded so that
  // `one` ends with a line end at `size` bytes. The files are as long as
  // each other and shorter than `size` by more than a line end.
  void equalLinesUpTo(std::size_t size, std::string& one, std::string& two) {
    for (;;) {
      const std::string text = line(true) + lineEnd_;
      if (one.size() + text.size() + lineEnd_.size() + 1 > size) {
        break;
      }
      one += text;
      two += text;
    }
    const std::string pad =
        std::string(size - one.size() - lineEnd_.size(), 'x') + lineEnd_;
    one += pad;
    two += pad;
  }

  // `text` with one letter or digit changed to a capital letter: the same
  // length, and a word that surely reads differently (a lower-case letter
  // after a number may be taken for a unit).
  std::string sameLengthChange(const std::string& text) {
    std::string out = text;
    std::size_t at = uniform(0, out.size() - 1);
    while (!std::isalnum(static_cast<unsigned char>(out[at]))) {
      at = (at + 1) % out.size();
    }
    out[at] = out[at] == 'Q' ? 'Z' : 'Q';
    return out;
  }

  // Changes one word of `text` (a number a little, a word to another).
  std::string changed(const std::string& text) {
    std::string out = text;
    const std::size_t at = uniform(0, out.size());
    std::size_t start = at;
    while (start > 0 && out[start - 1] != ' ' && out[start - 1] != '\t') {
      --start;
    }
    std::size_t stop = at;
    while (stop < out.size() && out[stop] != ' ' && out[stop] != '\t') {
      ++stop;
    }
    const std::string old = out.substr(start, stop - start);
    std::string now = chance(0.6) ? nudged(old) : word();
    if (chance(0.2)) {
      now = old + " " + word();  // an extra word
    } else if (chance(0.1)) {
      now.clear();  // a missing word
    }
    return out.replace(start, stop - start, now);
  }

  // `text` with the last digit of about half its numbers moved by one, as
  // excused (or, for a short number, listed) differences.
  std::string lastDigitsMoved(const std::string& text) {
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
      const bool wordEnd =
          i + 1 == out.size() || out[i + 1] == ' ' || out[i + 1] == '\t';
      if (wordEnd && std::isdigit(static_cast<unsigned char>(out[i])) &&
          chance(0.5)) {
        out[i] = out[i] == '9' ? '8' : static_cast<char>(out[i] + 1);
      }
    }
    return out;
  }

  // Pages of a few bytes that do not repeat, runs of them long enough now
  // and then to cross the window: a few short lines each, so that the head
  // lines take most pages whole, some empty, some with more lines than the
  // head takes, a SUB after a page end, a page that differs in one file.
  void tinyPages(std::string& one, std::string& two) {
    const std::size_t count = uniform(2, chance(0.2) ? 4000 : 300);
    for (std::size_t i = 0; i < count; ++i) {
      std::string page;
      for (std::size_t k = uniform(0, chance(0.1) ? 4 : 2); k > 0; --k) {
        page += pick({"", "1", "42", "ab", "x", " 7", "a b", "0.5", ","});
        page += chance(0.7) ? lineEnd_ : pick({"\n", "\r", "\r\n", " \n"});
      }
      page += pick({"", "9", "ab", "3.25", "D&T=1"});
      page += chance(0.01) ? "\f\x1a" : "\f";
      one += page;
      two += chance(0.01) ? pick({"z", "8\n", "\n"}) + page : page;
    }
  }

  void piece(std::string& one, std::string& two, std::size_t kind) {
    switch (kind) {
      case 0:
      case 1: {
        // A run of equal lines, maybe with a change somewhere in it, maybe
        // with moved last digits in some of its lines; or, as between two
        // runs that differ everywhere, a run in which every line or every
        // other one differs.
        const std::size_t lines = uniform(1, 30);
        const std::size_t change = chance(0.5) ? uniform(0, lines) : lines;
        const double moved = chance(0.3) ? 0.3 : 0;
        const std::size_t every = chance(0.25) ? uniform(1, 2) : 0;
        for (std::size_t i = 0; i < lines; ++i) {
          const std::string text = line(true);
          const std::string e = end();
          const bool differs = i == change || (every > 0 && i % every == 0);
          one += text + e;
          two += (differs         ? changed(text)
                  : chance(moved) ? lastDigitsMoved(text)
                                  : text) +
                 e;
        }
        break;
      }
      case 2: {
        // An extra line in one file.
        const std::string text = line(chance(0.5)) + end();
        (chance(0.5) ? one : two) += text;
        break;
      }
      case 3: {
        // Blank runs of different lengths, maybe across a page end.
        const std::string e = end();
        for (std::size_t i = uniform(0, 4); i > 0; --i) {
          one += chance(0.2) ? blanks() + e : e;
        }
        for (std::size_t i = uniform(0, 4); i > 0; --i) {
          two += e;
        }
        if (chance(0.3)) {
          one += "\f";
          two += "\f";
          for (std::size_t i = uniform(0, 3); i > 0; --i) {
            (chance(0.5) ? one : two) += e;
          }
        }
        break;
      }
      case 4: {
        // A page end, in both or in one file.
        if (chance(0.8)) {
          one += "\f";
          two += "\f";
        } else {
          (chance(0.5) ? one : two) += "\f";
        }
        break;
      }
      case 5: {
        if (chance(0.4)) {
          tinyPages(one, two);
          break;
        }
        // Short pages that repeat, one of them maybe different.
        const std::string page = chance(0.3) ? "\f" : line(true) + end() + "\f";
        const std::size_t count = uniform(2, 60);
        const std::size_t odd = chance(0.5) ? uniform(0, count) : count;
        for (std::size_t i = 0; i < count; ++i) {
          one += page;
          two += i == odd ? changed(page) : page;
        }
        break;
      }
      case 6: {
        // Head lines: a title, tags and a block, as on a report's page.
        const std::string e = end();
        // The title may read the same in both files, so that a run of
        // equal lines reaches the tag.
        const std::string title = number();
        const bool same = chance(0.5);
        one += "REPORT " + title + e + "D&T=" + number() + " x" + e;
        two += "REPORT " + (same ? title : number()) + e + "D&T=" + number() +
               " y" + e;
        if (chance(0.5)) {
          one += "P&V=1 a" + e;
          two += "P&V=1 b" + e;
        }
        break;
      }
      case 7: {
        // A plot section, in both files alike or in one only.
        const std::string plot = "\x15" + line(false) + end() + "\x15";
        one += plot;
        if (chance(0.7)) {
          two += plot;
        }
        break;
      }
      case 8: {
        // A whitespace code, and maybe a hidden line.
        const std::string text = line(false);
        const std::string code = chance(0.5) ? "       \t" : "    \t   \t";
        const std::string hidden = chance(0.5) ? "\t" : "";
        const std::string e = end();
        one += text + hidden + code + e;
        two += text + (chance(0.7) ? hidden + code : "") + e;
        break;
      }
      case 9: {
        // The same line with different line ends.
        const std::string text = line(true);
        one += text + "\r\n";
        two += text + (chance(0.5) ? "\n" : "\r");
        break;
      }
      case 10: {
        // A long line, or a long run of one word.
        std::string text;
        for (std::size_t i = uniform(20, 200); i > 0; --i) {
          text += number() + " ";
        }
        const std::string e = end();
        one += text + e;
        two += (chance(0.5)   ? changed(text)
                : chance(0.5) ? lastDigitsMoved(text)
                              : text) +
               e;
        if (chance(0.5)) {
          const std::string after = line(false) + e;
          one += after;
          two += after;
        }
        break;
      }
      case 11: {
        // Long numbers that differ in one place only, lined up against
        // each other.
        const std::size_t length = uniform(9, 24);
        const std::size_t at = uniform(0, length - 1);
        // Leading zeros keep the values apart whichever digit differs: a
        // digit below the fourth decimal would round away.
        const std::string base = std::string(length - 7, '0') + "12.3456";
        for (std::string* file : {&one, &two}) {
          for (std::size_t i = uniform(3, 6); i > 0; --i) {
            std::string n = base;
            if (n[at] != '.') {
              n[at] = static_cast<char>('0' + uniform(0, 9));
            }
            *file += n + " ";
          }
          *file += lineEnd_;
        }
        break;
      }
      case 13: {
        // A block of extra lines in one file (blank ones among them), then
        // lines both files share.
        std::string& file = chance(0.5) ? one : two;
        for (std::size_t i = uniform(2, 12); i > 0; --i) {
          file += (chance(0.15) ? "" : line(true)) + end();
        }
        for (std::size_t i = uniform(0, 3); i > 0; --i) {
          const std::string text = line(true) + end();
          one += text;
          two += text;
        }
        break;
      }
      default: {
        // Stray bytes: SUB, zero, a lone comma, a plot marker.
        const std::string strays[] = {"\x1a", std::string(1, '\0'), ",",
                                      "\x15"};
        (chance(0.5) ? one : two) += strays[uniform(0, 3)];
        break;
      }
    }
  }
};

// The switch sets the engine's speed work was checked under.
const std::vector<std::vector<std::string>>& switchSets() {
  static const std::vector<std::vector<std::string>> sets = {
      {},
      {"/W"},
      {"/SKIPFOOT:1"},
      {"/-SKIPP"},
      {"/A"},
      {"/V:5"},
      {"/V:0"},
      {"/IGNORE:0.5"},
      {"/IGNORE%:1"},
      {"/W", "/A"},
      {"/SKIPH:0"},
      // Without the filters a read may end anywhere, even inside a CR LF.
      {"/-SKIPP", "/SKIPH:0"},
      {"/-SKIPP", "/W"},
  };
  return sets;
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) {
    text += (text.empty() ? "" : " ") + w;
  }
  return text.empty() ? "(none)" : text;
}

int soakFactor() {
  const char* soak = std::getenv("ZUDIZ_SOAK");
  const int factor = soak == nullptr ? 1 : std::atoi(soak);
  return factor > 0 ? factor : 1;
}

void expectSame(const Outcome& on, const Outcome& off) {
  EXPECT_EQ(on.output, off.output);
  EXPECT_EQ(on.status, off.status);
  EXPECT_EQ(on.counters, off.counters);
  EXPECT_EQ(on.pairsListed, off.pairsListed);
  EXPECT_EQ(on.listed, off.listed);
  EXPECT_EQ(on.numbers, off.numbers);
}

TEST(Shortcuts, GiveThePlainStepsResultOnGeneratedPairs) {
  constexpr int kPairs = 2600;
  const int pairs = kPairs * soakFactor();
  const auto& sets = switchSets();
  std::string one;
  std::string two;
  for (int k = 0; k < pairs; ++k) {
    const auto seed = static_cast<std::uint32_t>(k);
    PairMaker(seed).make(one, two);
    const std::vector<std::string>& switches =
        sets[static_cast<std::size_t>(k) % sets.size()];
    SCOPED_TRACE("seed " + std::to_string(seed) + ", switches " +
                 joined(switches));
    expectSame(runPair(one, two, switches, true),
               runPair(one, two, switches, false));
    if (::testing::Test::HasFailure()) {
      return;  // the first pair that parts is the one to look at
    }
  }
}

// Without the filters the first read ends on a byte that decides a token
// (the CR of a blank run, a tag four bytes from the end, the CR of the
// blank line after the line after a differing pair) or next to it: a
// shortcut that took the byte past the valid bytes as known would skip a
// refill the plain steps make. Next to a pair at the window's start that
// refill cannot make room, so the plain steps end the run ("Page too large")
// where such a shortcut would go on.
TEST(Shortcuts, GiveThePlainStepsResultWhenAReadEndsOnADecidingByte) {
  using Spot = PairMaker::Spot;
  struct Row {
    const char* name;
    Spot spot;
    bool head;
    std::vector<std::string> switches;
  };
  const Row rows[] = {
      {"blank run", Spot::kBlankRunCr, false, {"/-SKIPP", "/SKIPH:0"}},
      {"blank run after head lines", Spot::kBlankRunCr, true, {"/-SKIPP"}},
      {"tag", Spot::kTagLine, true, {"/-SKIPP"}},
      {"next line", Spot::kNextLineCr, false, {"/-SKIPP", "/SKIPH:0"}},
  };
  const int pairs = 25 * soakFactor();
  std::string one;
  std::string two;
  for (const Row& row : rows) {
    for (int shift = -1; shift <= 1; ++shift) {
      for (int k = 0; k < pairs; ++k) {
        const auto seed = static_cast<std::uint32_t>(k);
        PairMaker(seed).makeWithSpot(row.spot, shift, row.head, one, two);
        SCOPED_TRACE(std::string(row.name) + ", shift " +
                     std::to_string(shift) + ", seed " + std::to_string(seed) +
                     ", switches " + joined(row.switches));
        const Outcome plain = runPair(one, two, row.switches, false);
        expectSame(runPair(one, two, row.switches, true), plain);
        if (row.spot == Spot::kNextLineCr && shift >= 0) {
          // The spot is reached: the plain steps' trial needs the byte after
          // the CR, which the window cannot take in.
          EXPECT_NE(std::string::npos, plain.output.find("Page too large"));
        }
        if (::testing::Test::HasFailure()) {
          return;
        }
      }
    }
  }
}

// The look-ahead for blocks of extra lines reads the window as the
// shortcuts leave it: with them off, the window is filled at other times.
TEST(Shortcuts, GiveThePlainStepsResultWithALongerLookahead) {
  constexpr int kPairs = 900;
  const int pairs = kPairs * soakFactor();
  const std::vector<std::vector<std::string>> sets = {
      {}, {"/A"}, {"/SKIPH:0"}, {"/-SKIPP"}, {"/-NOP"}, {"/V:0"}};
  const std::int32_t lookaheads[] = {2, 10, 50};
  std::string one;
  std::string two;
  int reached = 0;  // pairs whose listing the look-ahead changed
  for (int k = 0; k < pairs; ++k) {
    const auto seed = static_cast<std::uint32_t>(k);
    PairMaker(seed, true).make(one, two);
    const std::vector<std::string>& switches =
        sets[static_cast<std::size_t>(k) % sets.size()];
    const std::int32_t lookahead = lookaheads[(k / 6) % 3];
    SCOPED_TRACE("seed " + std::to_string(seed) + ", switches " +
                 joined(switches) + ", lookahead " + std::to_string(lookahead));
    const Outcome on = runPair(one, two, switches, true, lookahead);
    expectSame(on, runPair(one, two, switches, false, lookahead));
    if (::testing::Test::HasFailure()) {
      return;
    }
    reached += on.output != runPair(one, two, switches, true).output;
  }
  EXPECT_GT(reached, pairs / 5);
}

}  // namespace
