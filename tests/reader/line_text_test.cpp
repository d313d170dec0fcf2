#include "reader/line_text.h"

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/records.h"

namespace {

// A window holding `text`, standing on the token at `at` with `lineCount`
// line ends passed.
std::unique_ptr<PageReader> windowOf(std::string_view text, std::uint32_t at,
                                     std::int32_t lineCount) {
  auto r = std::make_unique<PageReader>();
  std::memcpy(r->bytes(), text.data(), text.size());
  r->bufLen = static_cast<std::uint32_t>(text.size());
  r->position.tokenStart = at;
  r->position.tokenLength = 1;
  r->position.lineCount = lineCount;
  return r;
}

std::string textOf(const PageReader& r, const LineSpan& span) {
  return std::string(reinterpret_cast<const char*>(r.bytes()) + span.start,
                     span.length);
}

TEST(LineText, FindsLinesByTheReadersCount) {
  struct Row {
    const char* what;
    std::string_view text;
    const char* stand;  // the token the reader stands on: its first bytes
    std::int32_t lineCount;
    std::int64_t line;
    const char* expected;  // nullptr: not found
  };
  constexpr std::string_view kMixed = "\fone\r\ntwo\rthree\n\nfive 5\r\nsix\f";
  const Row rows[] = {
      {"the line of a word", kMixed, "5\r", 4, 5, "five 5"},
      {"back over CR LF, CR and LF", kMixed, "5\r", 4, 1, "one"},
      {"a blank line", kMixed, "5\r", 4, 4, ""},
      {"a line end belongs to its line", kMixed, "\r\nsix", 5, 5, "five 5"},
      {"forward from a line end", kMixed, "\r\nsix", 5, 6, "six"},
      {"a page end stands on the next line", kMixed, "\f", 5, 6, "six"},
      {"not before the page", kMixed, "5\r", 4, 0, nullptr},
      {"not past the page end", kMixed, "\r\nsix", 5, 7, nullptr},
      {"not across a page end", "a\r\n\fb\r\n", "b", 1, 1, nullptr},
      {"from the window start", "ab\ncd\n", "cd", 1, 1, "ab"},
      {"to the end of the valid bytes", "ab\ncd", "ab", 0, 2, "cd"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::size_t at = row.text.rfind(row.stand);
    ASSERT_NE(std::string_view::npos, at);
    auto r = windowOf(row.text, static_cast<std::uint32_t>(at), row.lineCount);
    LineSpan span;
    const bool found = findLine(*r, row.line, &span);
    ASSERT_EQ(row.expected != nullptr, found);
    if (found) {
      EXPECT_EQ(row.expected, textOf(*r, span));
    }
  }
}

TEST(LineText, ContextStopsAtThePageAndTheWindowStart) {
  struct Row {
    const char* what;
    std::string_view text;
    int count;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"two before", "x\fa\r\nb\nc\rLINE\n", 2, {"b", "c"}},
      {"no more than the page holds",
       "x\fa\r\nb\nc\rLINE\n",
       10,
       {"a", "b", "c"}},
      {"none asked", "x\fa\nLINE\n", 0, {}},
      {"blank lines count", "\fa\n\nLINE\n", 2, {"a", ""}},
      // The first line of the window may have lost its start.
      {"not from the window start", "a\nb\nLINE\n", 5, {"b"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::size_t at = row.text.find("LINE");
    auto r = windowOf(row.text, static_cast<std::uint32_t>(at), 0);
    LineSpan line{static_cast<std::uint32_t>(at), 4};
    LineSpan before[kMaxContextLines];
    const int found = linesBefore(*r, line, row.count, before);
    std::vector<std::string> texts;
    for (int k = 0; k < found; ++k) {
      texts.push_back(textOf(*r, before[k]));
    }
    EXPECT_EQ(row.expected, texts);
  }
}

}  // namespace
