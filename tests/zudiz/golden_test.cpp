// The golden cases run through the library: the output must be the
// expected bytes of the program, and the status and counts must agree with
// the summary in them.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "zudiz/golden_cases.h"
#include "zudiz/result_checks.h"
#include "zudiz/zudiz.h"

namespace {

using zudiz::Result;
using zudiz::Status;

// Puts the current folder in `dir` for the lifetime of the object, as the
// golden runner runs the program in the case's folder. (The test changes the
// process; the library never does.)
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& dir)
      : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InFolder() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

// The count written before `text` on a summary line, or 0 when no line
// has it.
std::int64_t summaryCount(const std::string& output, std::string_view text) {
  std::size_t at = output.find(text);
  if (at == std::string::npos) {
    return 0;
  }
  std::size_t lineStart = output.rfind('\n', at);
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  return std::strtoll(output.c_str() + lineStart, nullptr, 10);
}

// The number right after `text` (in the excused line), or 0.
std::int64_t countAfter(const std::string& output, std::string_view text) {
  std::size_t at = output.find(text);
  return at == std::string::npos
             ? 0
             : std::strtoll(output.c_str() + at + text.size(), nullptr, 10);
}

void expectStatusAndCountsFromSummary(const Result& r) {
  const std::string& out = r.output;
  const bool summary =
      out.find("  Non-numeric word difference") != std::string::npos;
  ASSERT_EQ(!summary, r.status == Status::kError);
  if (!summary) {
    EXPECT_FALSE(r.message.empty());
    return;
  }
  const zudiz::Counts& c = r.counts;
  EXPECT_EQ(summaryCount(out, "  Extra "),
            c.surplusLines < 0 ? -c.surplusLines : c.surplusLines);
  EXPECT_EQ(summaryCount(out, " compared\r\n"), c.linesCompared);
  EXPECT_EQ(summaryCount(out, " differed"), c.linesDiffered);
  EXPECT_EQ(summaryCount(out, "  Non-numeric word difference"),
            c.wordDifferences);
  EXPECT_EQ(summaryCount(out, "  Numeric difference"), c.numericDifferences);
  if (out.find("(plus ") != std::string::npos) {
    const std::size_t plus = out.find("(plus ");
    const std::string excused = out.substr(plus, out.find('\n', plus) - plus);
    const std::int64_t first = countAfter(excused, "(plus ");
    if (excused.find("less than 0.1%") != std::string::npos) {
      EXPECT_EQ(first, c.tinyExcused);
      EXPECT_EQ(countAfter(excused, " and "), c.lastPlaceExcused);
    } else {
      EXPECT_EQ(first, c.lastPlaceExcused);
    }
  }
  expectRecordsMatchCounts(r);
  const bool same = c.surplusLines == 0 && c.linesDiffered == 0 &&
                    c.wordDifferences == 0 && c.numericDifferences == 0;
  EXPECT_EQ(same ? Status::kSame : Status::kDifferent, r.status);
}

TEST(LibraryGolden, EveryCaseGivesTheExpectedBytes) {
  const std::vector<GoldenCase> cases = goldenCases();
  ASSERT_GT(cases.size(), 40u);
  for (const GoldenCase& c : cases) {
    SCOPED_TRACE(c.name);
    // A lone --help, -h or --version is answered by the program's command
    // line alone; a library caller asks for no usage text.
    if (c.words.size() == 1 && (c.words[0] == "--help" || c.words[0] == "-h" ||
                                c.words[0] == "--version")) {
      continue;
    }
    InFolder here(c.dir);
    // Every word through the switch reader, exactly as the program reads
    // its command line: names stand where it finds them.
    Result r = zudiz::compareFiles("", "", joinWords(c.words));
    EXPECT_EQ(c.expected, r.output);
    expectStatusAndCountsFromSummary(r);
  }
}

TEST(LibraryGolden, NamesGivenApartGiveTheExpectedBytes) {
  int checked = 0;
  for (const GoldenCase& c : goldenCases()) {
    // Only cases whose words are two names, then switches: elsewhere the
    // program would meet the words in another order.
    const NamesAndSwitches split = splitWords(c);
    std::vector<std::string> ordered = split.names;
    ordered.insert(ordered.end(), split.switches.begin(), split.switches.end());
    if (split.names.size() != 2 || ordered != c.words) {
      continue;
    }
    SCOPED_TRACE(c.name);
    InFolder here(c.dir);
    Result r = zudiz::compareFiles(split.names[0], split.names[1],
                                   joinWords(split.switches));
    EXPECT_EQ(c.expected, r.output);
    expectStatusAndCountsFromSummary(r);
    ++checked;
  }
  EXPECT_GT(checked, 30);
}

}  // namespace
