#include "reader/filters.h"

#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr char kPlot = 21;

// removePlotSections over `bytes` from offset `from` with the search state
// `plot`; the kept bytes with a "|" where the hand-back starts, if any.
std::string plotFiltered(std::string bytes, std::uint32_t from,
                         std::uint32_t start, bool ended,
                         std::uint32_t latestOpening, PlotSearch& plot) {
  auto* buf = reinterpret_cast<unsigned char*>(bytes.data());
  const PlotFilterResult kept = removePlotSections(
      buf, from, start, static_cast<std::uint32_t>(bytes.size()), ended,
      latestOpening, plot);
  std::string text = bytes.substr(0, kept.end);
  if (kept.handBack < kept.end) {
    text.insert(kept.handBack, "|");
  }
  return text;
}

TEST(Filters, PlotSectionsOverOneRead) {
  const std::string p(1, kPlot);
  struct Row {
    const char* name;
    std::string bytes;
    std::uint32_t from;
    std::uint32_t start;
    bool ended;
    std::uint32_t latest;
    std::string kept;
    bool stillOpen;
  };
  const Row rows[] = {
      {"closed section goes", "a" + p + "xx" + p + "b\n", 0, 0, false, 100,
       "ab\n", false},
      {"bytes before `from` stay", p + "x" + p + "ab" + p + "y" + p + "c", 3, 0,
       false, 100, p + "x" + p + "abc", false},
      {"open at the end keeps its marker", "ab" + p + "xyz", 0, 0, false, 100,
       "ab" + p, true},
      {"open at the file end goes", "ab" + p + "xyz", 0, 0, true, 100, "ab",
       false},
      {"late marker hands its line back", "one\ntwo" + p + "x" + p + "\n", 0, 0,
       false, 6, "one\n|two" + p + "x" + p + "\n", false},
      {"hand-back stops at the fill start", "onetwo" + p + "x" + p, 0, 3, false,
       5, "one|two" + p + "x" + p, false},
      {"late marker at the file end opens", "one\ntwo" + p + "x" + p + "\n", 0,
       0, true, 6, "one\ntwo\n", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PlotSearch plot;
    EXPECT_EQ(row.kept, plotFiltered(row.bytes, row.from, row.start, row.ended,
                                     row.latest, plot));
    EXPECT_EQ(row.stillOpen, plot.open);
  }
}

TEST(Filters, PlotSectionRunsOnIntoTheNextRead) {
  const std::string p(1, kPlot);
  PlotSearch plot;
  std::string first = "ab" + p + "xy";
  EXPECT_EQ("ab" + p, plotFiltered(first, 0, 0, false, 100, plot));
  ASSERT_TRUE(plot.open);
  EXPECT_EQ(2u, plot.opening);
  // The next read lands right after the kept marker.
  EXPECT_EQ("abcd",
            plotFiltered("ab" + p + "zz" + p + "cd", 3, 0, false, 100, plot));
  EXPECT_FALSE(plot.open);
}

TEST(Filters, CodesAndHiddenLinesLeaveTheBytesBeforeStart) {
  // The first line would be hidden, but it lies before `start`.
  std::string bytes = "old\t\nabc       \t\nhid\t\n\nnew\n";
  auto* buf = reinterpret_cast<unsigned char*>(bytes.data());
  const std::uint32_t end = removeCodesAndHiddenLines(
      buf, 5, static_cast<std::uint32_t>(bytes.size()));
  EXPECT_EQ("old\t\nabc\nnew\n", bytes.substr(0, end));
}

// The code and hidden-line rule line by line: each line that a line
// terminator ends loses its whitespace code (trailingCodeLength), and goes
// with every line terminator after it when its text then ends in a TAB.
std::string codesAndHiddenLinesByLine(const std::string& bytes) {
  const auto terminator = [](char c) {
    return c == '\n' || c == '\r' || c == '\f';
  };
  std::string out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t end = i;
    while (end < bytes.size() && !terminator(bytes[end])) {
      ++end;
    }
    std::string text = bytes.substr(i, end - i);
    if (end == bytes.size()) {
      out += text;  // no line end: left as it is
      break;
    }
    text.resize(
        text.size() -
        trailingCodeLength(reinterpret_cast<const unsigned char*>(text.data()),
                           0, static_cast<std::uint32_t>(text.size())));
    std::size_t next = end;
    while (next < bytes.size() && terminator(bytes[next])) {
      ++next;
    }
    if (!text.empty() && text.back() == '\t') {
      i = next;
      continue;
    }
    out += text + bytes.substr(end, next - end);
    i = next;
  }
  return out;
}

TEST(Filters, CodesAndHiddenLinesAsLineByLine) {
  const char* const pieces[] = {
      "a",
      "x1",
      " ",
      "\t",
      "\r\n",
      "\n",
      "\r",
      "\f",
      "    ",
      "       \t",
      "    \t   \t",
      "   \t",
      "\t\t\t\t",
      "                                                                    "};
  std::mt19937 random(7);
  for (int k = 0; k < 3000; ++k) {
    std::string bytes;
    for (int n = std::uniform_int_distribution<int>(1, 30)(random); n > 0;
         --n) {
      bytes += pieces[std::uniform_int_distribution<std::size_t>(
          0, std::size(pieces) - 1)(random)];
    }
    SCOPED_TRACE(::testing::PrintToString(bytes));
    std::string filtered = bytes;
    const std::uint32_t end = removeCodesAndHiddenLines(
        reinterpret_cast<unsigned char*>(filtered.data()), 0,
        static_cast<std::uint32_t>(filtered.size()));
    ASSERT_EQ(codesAndHiddenLinesByLine(bytes), filtered.substr(0, end));
  }
}

TEST(Filters, LastLineStart) {
  struct Row {
    std::string bytes;
    std::uint32_t start;
    std::uint32_t want;
  };
  const Row rows[] = {
      {"one\ntwo", 0, 4},     {"one\ntwo\r\n\n", 0, 4}, {"one\ntwo\n", 5, 5},
      {"no line end", 0, 0},  {"\n\n\n", 0, 0},         {"", 0, 0},
      {"one\n\ftwo\n", 0, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    EXPECT_EQ(
        row.want,
        lastLineStart(reinterpret_cast<const unsigned char*>(row.bytes.data()),
                      row.start, static_cast<std::uint32_t>(row.bytes.size())));
  }
}

}  // namespace
