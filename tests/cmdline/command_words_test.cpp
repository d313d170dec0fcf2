#include "cmdline/command_words.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/run_state.h"
#include "support/fake_host.h"

namespace {

// Every word after the program's name, as the driver fetches them.
std::vector<std::string> wordsOf(std::string_view line) {
  std::vector<std::string> words;
  std::uint32_t count = argumentCount(line);
  for (std::uint32_t i = 1; i <= count; ++i) {
    Word word;
    getArgument(line, i, word);
    words.emplace_back(word.view());
  }
  return words;
}

struct SplitCase {
  const char* name;
  std::string line;
  std::vector<std::string> words;
};

const SplitCase kSplitCases[] = {
    {"empty line", "", {}},
    {"blanks only", "   ", {}},
    {"program name only", "ZUDIZ", {}},
    {"runs of blanks", "ZUDIZ  a   b", {"a", "b"}},
    {"leading and trailing blanks", "   ZUDIZ a   ", {"a"}},
    {"quoted program name with blanks",
     "\"C:\\Program Files\\zudiz.exe\" a b",
     {"a", "b"}},
    {"quoted name", "ZUDIZ \"C:\\My Files\\r1.rpt\"", {"C:\\My Files\\r1.rpt"}},
    {"backslash does not escape a quote", "ZUDIZ \"a\\\" b", {"a\\", "b"}},
    {"word after closing quote", "ZUDIZ \"abc\"def", {"abc", "def"}},
    {"unclosed quoted word", "ZUDIZ \"abc def", {"abc def"}},
    {"empty quotes", "ZUDIZ \"\" x", {"", "x"}},
    {"empty quotes at the end", "ZUDIZ x \"\"", {"x", ""}},
    {"tab is not a separator", "ZUDIZ a\tb", {"a\tb"}},
    {"quotes inside a word are kept", "ZUDIZ a\"b c\"d", {"a\"b c\"", "d"}},
    {"quote at the end of a word", "ZUDIZ a\"\" b", {"a\"\"", "b"}},
    {"unclosed quote inside a word", "ZUDIZ ab\"c d", {"ab\"c d"}},
    {"switch with quoted value", "ZUDIZ /T:\"x y\" b", {"/T:\"x y\"", "b"}},
    {"switch value at the end", "ZUDIZ /T:\"x y\"", {"/T:\"x y\""}},
    {"switch value then quoted word",
     "ZUDIZ /T:\"x y\"\"z\"",
     {"/T:\"x y\"", "z"}},
    {"switch value runs on",
     "ZUDIZ /T:\"C:\\My Dir\"\\x.rpt",
     {"/T:\"C:\\My Dir\\x.rpt\""}},
    {"switch value runs on to a quote",
     "ZUDIZ /T:\"x y\"z w\" b",
     {"/T:\"x yz w\"", "b"}},
    {"double quote after the run-on is skipped",
     "ZUDIZ /T:\"x y\"z w\"\" b",
     {"/T:\"x yz w\"", "b"}},
    {"run-on stop directly followed by a word",
     "ZUDIZ /T:\"a\"b\"c",
     {"/T:\"ab\"", "c"}},
    {"three quotes after the run-on",
     "ZUDIZ /T:\"a\"b\"\"\"c d",
     {"/T:\"ab\"", "c d"}},
    {"plain word does not run on", "ZUDIZ a\"b\"c", {"a\"b\"", "c"}},
    {"line ends at a zero", std::string("ZUDIZ a\0 b", 10), {"a"}},
};

TEST(CommandWords, SplitsByTheProgramsOwnRules) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.words, wordsOf(c.line));
    // One past the last word, and far past it, is empty.
    Word word;
    word.assign("stale");
    getArgument(c.line, static_cast<std::uint32_t>(c.words.size() + 1), word);
    EXPECT_TRUE(word.empty());
    word.assign("stale");
    getArgument(c.line, 1000, word);
    EXPECT_TRUE(word.empty());
  }
}

TEST(CommandWords, LongWordsAreCutTo256) {
  std::string longWord(300, 'x');
  longWord[255] = 'y';
  std::string line = "ZUDIZ " + longWord + " next";
  ASSERT_EQ(2u, argumentCount(line));
  Word word;
  getArgument(line, 1, word);
  EXPECT_EQ(longWord.substr(0, 256), word.view());
  getArgument(line, 2, word);
  EXPECT_EQ("next", word.view());

  // The moved closing quote is the part that falls off.
  std::string value(300, 'v');
  line = "ZUDIZ /T:\"" + value + "\"w\" b";
  ASSERT_EQ(2u, argumentCount(line));
  getArgument(line, 1, word);
  EXPECT_EQ("/T:\"" + value.substr(0, 252), word.view());
}

TEST(CommandWords, WordZeroIsTheProgramName) {
  Word word;
  getArgument("\"C:\\My Tools\\zudiz.exe\" a", 0, word);
  EXPECT_EQ("C:\\My Tools\\zudiz.exe", word.view());
}

// Converts the ANSI e-acute (0xE9) to its OEM code (0x82) and records how
// many characters it was handed.
class OemHost : public FakeHost {
 public:
  std::size_t converted = 0;
  void convertToOem(char* text, std::size_t length) override {
    converted = length;
    for (std::size_t i = 0; i < length; ++i) {
      if (static_cast<unsigned char>(text[i]) == 0xE9) {
        text[i] = static_cast<char>(0x82);
      }
    }
  }
};

TEST(CommandWords, HostWordsArriveInTheOemCodePage) {
  OemHost host;
  host.commandLineText = "ZUDIZ caf\xE9.rpt \xE9t\xE9 /ALL";
  RunState run{host};
  EXPECT_EQ(3u, argumentCount(run));
  Word word;
  getArgument(run, 1, word);
  EXPECT_EQ("caf\x82.rpt", word.view());
  EXPECT_EQ(8u, host.converted);
  getArgument(run, 2, word);
  EXPECT_EQ("\x82t\x82", word.view());
  getArgument(run, 4, word);
  EXPECT_TRUE(word.empty());
  EXPECT_EQ(0u, host.converted);
}

}  // namespace
