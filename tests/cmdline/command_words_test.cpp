#include "cmdline/command_words.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "support/fake_host.h"

namespace {

// Appends `word` in brackets, so that empty and blank-holding words show.
void appendBracketed(std::string& words, const Word& word) {
  words += '[';
  words.append(word.view());
  words += ']';
}

// Every word after the program's name, each in brackets; argumentCount must
// count as many.
std::string wordsOf(std::string_view line) {
  std::string words;
  Word word;
  ArgumentReader reader(line);
  std::uint32_t count = 0;
  while (reader.next(word)) {
    appendBracketed(words, word);
    ++count;
  }
  EXPECT_EQ(count, argumentCount(line));
  return words;
}

struct SplitCase {
  std::string line;
  const char* words;
};

const SplitCase kSplitCases[] = {
    {"", ""},
    {"   ", ""},
    {"ZUDIZ", ""},
    {"   ZUDIZ  a   b   ", "[a][b]"},
    {"\"C:\\Program Files\\zudiz.exe\" a", "[a]"},
    {"ZUDIZ \"C:\\My Files\\r1.rpt\"", "[C:\\My Files\\r1.rpt]"},
    {"ZUDIZ \"a\\\" b", "[a\\][b]"},  // a backslash escapes nothing
    {"ZUDIZ \"abc\"def", "[abc][def]"},
    {"ZUDIZ \"abc def", "[abc def]"},
    {"ZUDIZ \"\" x \"\"", "[][x][]"},
    {"ZUDIZ a\tb", "[a\tb]"},
    {"ZUDIZ a\"b c\"d", "[a\"b c\"][d]"},
    {"ZUDIZ a\"b\"c", "[a\"b\"][c]"},
    {"ZUDIZ ab\"c d", "[ab\"c d]"},
    {"ZUDIZ /T:\"x y\" b", "[/T:\"x y\"][b]"},
    {"ZUDIZ /T:\"x y\"\"z\"", "[/T:\"x y\"][z]"},
    {"ZUDIZ /T:\"C:\\My Dir\"\\x.rpt", "[/T:\"C:\\My Dir\\x.rpt\"]"},
    {"ZUDIZ /T:\"x y\"z w\" b", "[/T:\"x yz w\"][b]"},
    {"ZUDIZ /T:\"x y\"z w\"\" b", "[/T:\"x yz w\"][b]"},
    {"ZUDIZ /T:\"a\"b\"c", "[/T:\"ab\"][c]"},
    {"ZUDIZ /T:\"a\"b\"\"\"c d", "[/T:\"ab\"][c d]"},
    {std::string("ZUDIZ a\0 b", 10), "[a]"},
};

TEST(CommandWords, SplitsByTheProgramsOwnRules) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(c.words, wordsOf(c.line));
  }
}

TEST(CommandWords, LongWordsAreCutTo256) {
  const std::string value(300, 'v');
  std::string expected = "[";
  expected.append(value, 0, 256).append("][/T:\"").append(value, 0, 252);
  expected.append("][b]");
  std::string line = "ZUDIZ ";
  line.append(value).append(" /T:\"").append(value).append("\"w\" b");
  // The moved closing quote is the part that falls off.
  EXPECT_EQ(expected, wordsOf(line));
}

// Maps the ANSI e-acute (0xE9) to its OEM code (0x82).
class OemHost : public FakeHost {
  void convertToOem(char* text, std::size_t length) override {
    for (std::size_t i = 0; i < length; ++i) {
      text[i] = text[i] == '\xE9' ? '\x82' : text[i];
    }
  }
};

TEST(CommandWords, HostWordsArriveInTheOemCodePage) {
  OemHost host;
  host.commandLineText = "\"C:\\My Tools\\zudiz\" caf\xE9.rpt /ALL";
  RunState run{host};
  Word word;
  EXPECT_EQ(2u, argumentCount(run));
  ArgumentReader reader(host);
  ASSERT_TRUE(nextArgument(run, reader, word));
  EXPECT_EQ("caf\x82.rpt", word.view());
  ASSERT_TRUE(nextArgument(run, reader, word));
  EXPECT_EQ("/ALL", word.view());
  EXPECT_FALSE(nextArgument(run, reader, word));
}

TEST(CommandWords, ReaderHandsOutTheSameWordsInOnePass) {
  for (const SplitCase& c : kSplitCases) {
    SCOPED_TRACE(c.line);
    std::string words;
    ArgumentReader reader(c.line);
    Word word;
    while (reader.next(word)) {
      appendBracketed(words, word);
    }
    EXPECT_EQ(c.words, words);
    EXPECT_FALSE(reader.next(word));
    EXPECT_TRUE(word.empty());
  }
}

struct SplitWordsCase {
  std::vector<std::string> argv;
  const char* words;
};

// Words handed over already split are taken one for one: quotes, blanks,
// tabs and backslashes inside them are ordinary characters.
const SplitWordsCase kSplitWordsCases[] = {
    {{}, ""},
    {{"zudiz"}, ""},
    {{"zudiz", "x\"1", "y\"2"}, "[x\"1][y\"2]"},
    {{"zudiz", "\"one.txt", "two.txt"}, "[\"one.txt][two.txt]"},
    {{"zudiz", "a b", "", "c"}, "[a b][][c]"},
    {{"zudiz", "\"quoted\""}, "[\"quoted\"]"},
    {{"zudiz", "/T:\"x y\"z", "w\""}, "[/T:\"x y\"z][w\"]"},
    {{"zudiz", "a\tb", "C:\\My Files\\r1.rpt"}, "[a\tb][C:\\My Files\\r1.rpt]"},
    {{"zudiz", std::string(300, 'v')}, nullptr},  // cut to 256
};

TEST(CommandWords, SplitWordsAreTakenOneForOne) {
  for (const SplitWordsCase& c : kSplitWordsCases) {
    std::string expected =
        c.words != nullptr ? c.words : "[" + std::string(256, 'v') + "]";
    SCOPED_TRACE(expected.substr(0, 40));
    FakeHost host;
    host.commandLineText = "ZUDIZ not these words";
    host.argumentWords = c.argv;
    RunState run{host};

    std::string fromReader;
    std::uint32_t count = 0;
    ArgumentReader reader(host);
    Word word;
    while (nextArgument(run, reader, word)) {
      appendBracketed(fromReader, word);
      ++count;
    }
    EXPECT_EQ(expected, fromReader);
    EXPECT_TRUE(word.empty());
    EXPECT_EQ(count, argumentCount(run));
  }
}

TEST(CommandWords, HostWithoutSplitWordsHasItsLineSplit) {
  FakeHost host;
  host.commandLineText = "ZUDIZ a\"b c\"d";
  Word word;
  ArgumentReader reader(host);
  std::string words;
  while (reader.next(word)) {
    appendBracketed(words, word);
  }
  EXPECT_EQ("[a\"b c\"][d]", words);
}

}  // namespace
