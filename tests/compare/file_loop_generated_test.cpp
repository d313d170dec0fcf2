// Generated report pairs that read the same, with one word changed: the
// listing shows that pair and no other.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/compare_run.h"
#include "compare/file_loop.h"

namespace {

// A number from 0 to n - 1, drawn the same way on every platform.
unsigned draw(std::mt19937& random, std::size_t n) {
  return static_cast<unsigned>(random() % n);
}

// Report pairs whose files read the same: file 2 differs from file 1 only in
// what the reader removes or takes as blanks (zero bytes, plot sections,
// whitespace codes, the text of hidden lines, the length of blank runs).
// Each line is drawn from its own seed, so file 2 can be drawn again with
// one word changed and everything else the same.
class ReportPairs {
 public:
  explicit ReportPairs(unsigned seed) : seed_(seed) {
    std::mt19937 random(seed);
    std::size_t bytes = 0;
    int page = 1;
    while (bytes < 80000) {
      const unsigned pick = draw(random, 100);
      Line line;
      line.kind = pick < 70   ? kWords
                  : pick < 78 ? kHidden
                  : pick < 88 ? kBlank
                  : pick < 94 ? kPlotLines
                              : kPageEnd;
      line.page = line.kind == kPageEnd ? ++page : page;
      const int words = 1 + static_cast<int>(draw(random, 6));
      for (int i = 0; i < words; ++i) {
        line.words.push_back(draw(random, 3) == 0
                                 ? std::to_string(draw(random, 1000)) + "." +
                                       std::to_string(draw(random, 10))
                                 : "w" + std::to_string(draw(random, 100000)));
      }
      line.lineEnd = draw(random, 4) == 0 ? "\r\n" : "\n";
      lines_.push_back(line);
      bytes += 8 * static_cast<std::size_t>(words);
    }
  }

  // File one or file two; in file two word `changedWord` of line
  // `changedLine` reads `changed` instead, when changedLine is not -1.
  std::string render(Side side, int changedLine = -1, int changedWord = 0,
                     const std::string& changed = "") const {
    std::string text = "REPORT PAGE 1\nRUN 7\n\n";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      std::mt19937 random(seed_ * 7919u + static_cast<unsigned>(i) * 2u +
                          static_cast<unsigned>(fileNumber(side)));
      Line line = lines_[i];
      if (static_cast<int>(i) == changedLine) {
        line.words[static_cast<std::size_t>(changedWord)] = changed;
      }
      renderLine(line, random, text);
    }
    return text;
  }

  // Indexes of the lines that hold visible words.
  std::vector<int> wordLines() const {
    std::vector<int> found;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].kind == kWords) {
        found.push_back(static_cast<int>(i));
      }
    }
    return found;
  }

  int wordCount(int line) const {
    return static_cast<int>(
        lines_[static_cast<std::size_t>(line)].words.size());
  }

 private:
  enum Kind { kWords, kHidden, kBlank, kPlotLines, kPageEnd };
  struct Line {
    Kind kind;
    int page;
    std::vector<std::string> words;
    std::string lineEnd;
  };

  // The bytes of a plot section between its markers: mostly short, now and
  // then longer than the window.
  static std::string plotText(std::mt19937& random) {
    // Piece 2 is a zero byte.
    static const char* const kPieces[] = {
        "plot", " ", "", "\n", "\r\n", "x y 1.5", "\f", "\t", "    \t"};
    std::string text;
    const unsigned length = draw(random, 400) == 0 ? 40000 : draw(random, 40);
    while (text.size() < length) {
      const unsigned piece = draw(random, 9);
      text += piece == 2 ? std::string(1, '\0') : std::string(kPieces[piece]);
    }
    return text;
  }

  // A whitespace code of 8 to 64 blanks, or none.
  static std::string code(std::mt19937& random) {
    if (draw(random, 3) != 0) {
      return "";
    }
    const unsigned v = 1 + draw(random, 15);
    std::string blanks;
    for (unsigned i = 0; i < 4 * v; ++i) {
      blanks += draw(random, 2) == 0 ? ' ' : '\t';
    }
    for (int bit = 3; bit >= 0; --bit) {
      blanks += (v >> bit) & 1 ? '\t' : ' ';
    }
    return blanks;
  }

  // Words separated by blanks, zero bytes or plot sections, then a code.
  static void renderWords(const std::vector<std::string>& words,
                          std::mt19937& random, std::string& text) {
    for (std::size_t w = 0; w < words.size(); ++w) {
      if (w > 0) {
        switch (draw(random, 5)) {
          case 0:
            text += ' ';
            break;
          case 1:
            text += '\0';
            break;
          case 2:
            text += std::string(" \0\0 ", 4);
            break;
          case 3:
            text += "  ";
            break;
          default:
            text += " \x15" + plotText(random) + "\x15 ";
            break;
        }
      }
      text += words[w];
    }
    text += code(random);
  }

  static void renderLine(const Line& line, std::mt19937& random,
                         std::string& text) {
    switch (line.kind) {
      case kWords:
        renderWords(line.words, random, text);
        text += line.lineEnd;
        break;
      case kHidden:
        // Hidden in both files, whatever it holds.
        text += "hidden" + std::to_string(draw(random, 1000)) + "\t" +
                code(random) + line.lineEnd;
        break;
      case kBlank:
        // Blanks on a blank line would keep a hidden line before it from
        // taking a page break with it.
        for (unsigned n = 1 + draw(random, 3); n > 0; --n) {
          text += line.lineEnd;
        }
        break;
      case kPlotLines:
        // A section of whole lines leaves a blank line, or nothing.
        if (draw(random, 2) == 0) {
          text += "\x15" + plotText(random) + "\x15";
        }
        text += line.lineEnd;
        break;
      case kPageEnd:
        text += "\fREPORT PAGE " + std::to_string(line.page) + "\nRUN 7\n";
        break;
    }
  }

  unsigned seed_;
  std::vector<Line> lines_;
};

// The listed pairs of a listing, without the heading.
std::vector<std::string> listedPairs(const std::string& listing) {
  std::vector<std::string> pairs;
  if (listing.empty()) {
    return pairs;
  }
  std::size_t at = std::string(kHeading).size();
  while (at < listing.size()) {
    std::size_t end = listing.find("\n\n", at);
    end = end == std::string::npos ? listing.size() : end;
    pairs.push_back(listing.substr(at, end - at));
    at = end + 2;
  }
  return pairs;
}

// What a run prints depends on the two files and the settings alone: where
// a read happens to end (which depends on the marks the alignment holds,
// and so on the other file) never changes it. A change in one line of file
// 2 shows in the pair of that line and nowhere else.
TEST(FileLoopGenerated, OneChangedLineChangesOnlyItsOwnPair) {
  struct Mode {
    const char* name;
    bool wordMode;
    std::int32_t skipFoot;
  };
  const Mode modes[] = {
      {"lines", false, 0}, {"lines, foot 1", false, 1}, {"words", true, 0}};
  const std::string changed = "CHANGEDWORD";
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const ReportPairs reports(seed);
    const std::string one = reports.render(Side::kOne);
    const std::vector<int> candidates = reports.wordLines();
    std::mt19937 random(seed);
    for (const Mode& mode : modes) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", " + mode.name);
      CompareRun base;
      base.run.settings.wordMode = mode.wordMode;
      base.run.settings.skipFoot = mode.skipFoot;
      EXPECT_EQ("", base.compare(one, reports.render(Side::kTwo)));
      ASSERT_EQ(-1, base.status);
      const Counters& b = base.run.counters;
      EXPECT_EQ(0, b.linesDiffered);
      EXPECT_EQ(0, b.words.wordDiffCount);
      EXPECT_EQ(0, b.words.numericDiffCount);
      EXPECT_EQ(0, b.words.tinyDiffCount);
      EXPECT_EQ(0, b.words.lastDigitCount);
      EXPECT_EQ(0, b.extraCount);

      for (int trial = 0; trial < 3; ++trial) {
        const int line = candidates[draw(random, candidates.size())];
        const int word = static_cast<int>(
            draw(random, static_cast<unsigned>(reports.wordCount(line))));
        SCOPED_TRACE("line " + std::to_string(line) + ", word " +
                     std::to_string(word));
        CompareRun cr;
        cr.run.settings.wordMode = mode.wordMode;
        cr.run.settings.skipFoot = mode.skipFoot;
        const std::vector<std::string> pairs = listedPairs(
            cr.compare(one, reports.render(Side::kTwo, line, word, changed)));
        ASSERT_EQ(-1, cr.status);
        for (const std::string& pair : pairs) {
          EXPECT_NE(std::string::npos, pair.find(changed)) << pair;
        }
        // Only a foot line is blanked without being compared.
        if (mode.skipFoot == 0) {
          EXPECT_EQ(1u, pairs.size());
        } else {
          EXPECT_LE(pairs.size(), 1u);
        }
        const Counters& n = cr.run.counters;
        EXPECT_EQ(b.linesCompared, n.linesCompared);
        EXPECT_LE(n.linesDiffered, 1);
        EXPECT_LE(n.words.wordDiffCount, reports.wordCount(line));
        EXPECT_EQ(0, n.words.numericDiffCount);
        EXPECT_EQ(0, n.words.tinyDiffCount);
        EXPECT_EQ(0, n.words.lastDigitCount);
        EXPECT_EQ(0, n.extraCount);
      }
    }
  }
}

}  // namespace
