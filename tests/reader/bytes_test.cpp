#include "reader/bytes.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(Bytes, ClassesAtTheEdges) {
  struct Row {
    int byte;
    ByteClass expected;
  };
  const Row rows[] = {
      {0, ByteClass::kBlank},      {9, ByteClass::kBlank},
      {10, ByteClass::kLineEnd},   {11, ByteClass::kBlank},
      {12, ByteClass::kPageEnd},   {13, ByteClass::kLineEnd},
      {14, ByteClass::kBlank},     {21, ByteClass::kBlank},
      {26, ByteClass::kBlank},     {32, ByteClass::kBlank},
      {33, ByteClass::kWordByte},  {',', ByteClass::kBlank},
      {'.', ByteClass::kWordByte}, {'0', ByteClass::kWordByte},
      {126, ByteClass::kWordByte}, {127, ByteClass::kBlank},
      {128, ByteClass::kWordByte}, {255, ByteClass::kWordByte},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.byte);
    EXPECT_EQ(row.expected, kByteClass[row.byte]);
  }
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<unsigned char>(b);
    EXPECT_EQ(b == 10 || b == 12 || b == 13, isLineTerminator(c)) << b;
  }
}

// Every byte value in every lane, among fillers that are themselves below
// 14, just at 14 and far above it (where a borrow could spill into the next
// lane): the answer is whether any byte is below 14.
TEST(Bytes, ByteBelow14InEveryLane) {
  for (int filler : {0x0E, 0x0F, 0x80, 0xFF, 0x20}) {
    for (int lane = 0; lane < 8; ++lane) {
      for (int b = 0; b < 256; ++b) {
        unsigned char bytes[8];
        std::memset(bytes, filler, sizeof bytes);
        bytes[lane] = static_cast<unsigned char>(b);
        ASSERT_EQ(b < 14, hasByteBelow14(loadEight(bytes)))
            << "filler " << filler << " lane " << lane << " byte " << b;
      }
    }
  }
  const unsigned char low[8] = {0xFF, 0, 0xFF, 13, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(hasByteBelow14(loadEight(low)));
}

std::uint32_t naiveLineEnd(const std::string& text, std::uint32_t from) {
  for (std::uint32_t i = from; i < text.size(); ++i) {
    if (isLineTerminator(static_cast<unsigned char>(text[i]))) {
      return i;
    }
  }
  return static_cast<std::uint32_t>(text.size());
}

// A terminator, or a byte below 14 that is none, at every place of a text
// of 40 bytes, searched from every start up to it and past it.
TEST(Bytes, FindLineEndMatchesAByteByByteSearch) {
  for (char mark : {'\n', '\r', '\f', '\0', '\t', '\v', '\x1A'}) {
    for (std::uint32_t at = 0; at < 40; ++at) {
      std::string text(40, 'x');
      text[at] = mark;
      if (at % 3 == 0) {
        text[(at + 17) % 40] = '\n';  // a second terminator further on
      }
      const auto* buf = reinterpret_cast<const unsigned char*>(text.data());
      for (std::uint32_t from = 0; from <= 40; ++from) {
        for (std::uint32_t end : {from, std::min(from + 9, 40u), 40u}) {
          const std::string piece = text.substr(0, end);
          ASSERT_EQ(naiveLineEnd(piece, from), findLineEnd(buf, from, end))
              << "mark " << int{mark} << " at " << at << " from " << from
              << " end " << end;
        }
      }
    }
  }
}

}  // namespace
