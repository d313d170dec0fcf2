#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "reader/bytes.h"

namespace {

using namespace std::string_literals;

const unsigned char* bytes(const std::string& text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

std::uint32_t naiveLineEnd(const std::string& text, std::uint32_t from,
                           std::uint32_t end) {
  for (std::uint32_t i = from; i < end; ++i) {
    if (text[i] == '\n' || text[i] == '\r' || text[i] == '\f') {
      return i;
    }
  }
  return end;
}

std::uint32_t naiveLineEndOrDifference(const std::string& a,
                                       const std::string& b, std::uint32_t from,
                                       std::uint32_t end) {
  for (std::uint32_t i = from; i < end; ++i) {
    if (a[i] != b[i] || a[i] == '\n' || a[i] == '\r' || a[i] == '\f') {
      return i;
    }
  }
  return end;
}

std::uint32_t naiveBlankBeforeLineEnd(const std::string& text,
                                      std::uint32_t from, std::uint32_t end) {
  for (std::uint32_t k = from + 1; k < end; ++k) {
    const bool lineEnd = text[k] == '\n' || text[k] == '\r' || text[k] == '\f';
    if (lineEnd && (text[k - 1] == ' ' || text[k - 1] == '\t')) {
      return k;
    }
  }
  return end;
}

std::uint32_t naiveWordEnd(const std::string& text, std::uint32_t from,
                           std::uint32_t end) {
  for (std::uint32_t i = from; i < end; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c <= 32 || c == ',' || c == 127) {
      return i;
    }
  }
  return end;
}

// Both versions of every scan against the byte-by-byte reference.
void expectAllAgree(const std::string& a, const std::string& b,
                    std::uint32_t from, std::uint32_t end) {
  const std::uint32_t lineEnd = naiveLineEnd(a, from, end);
  EXPECT_EQ(lineEnd, findLineEnd(bytes(a), from, end));
  EXPECT_EQ(lineEnd, findLineEndPortable(bytes(a), from, end));
  const std::uint32_t stop = naiveLineEndOrDifference(a, b, from, end);
  EXPECT_EQ(stop, findLineEndOrDifference(bytes(a), bytes(b), from, end));
  EXPECT_EQ(stop,
            findLineEndOrDifferencePortable(bytes(a), bytes(b), from, end));
  const std::uint32_t blank = naiveBlankBeforeLineEnd(a, from, end);
  EXPECT_EQ(blank, findBlankBeforeLineEnd(bytes(a), from, end));
  EXPECT_EQ(blank, findBlankBeforeLineEndPortable(bytes(a), from, end));
  const std::uint32_t wordEnd = naiveWordEnd(a, from, end);
  EXPECT_EQ(wordEnd, findWordEnd(bytes(a), from, end));
  EXPECT_EQ(wordEnd, findWordEndPortable(bytes(a), from, end));
}

TEST(ByteScan, WordsEndAtEveryByteThatIsNoWordByte) {
  // Each byte value at each of the first 20 offsets of a long word.
  for (int c = 0; c < 256; ++c) {
    for (std::uint32_t at = 0; at < 20; ++at) {
      std::string word(40, 'w');
      word[at] = static_cast<char>(c);
      SCOPED_TRACE(std::to_string(c) + " at " + std::to_string(at));
      expectAllAgree(word, word, 0, 40);
    }
  }
}

TEST(ByteScan, StopsAtEachTerminatorAndDifferenceAtEveryPlace) {
  // A byte at each offset of the first 40 (on both sides of the 8- and
  // 16-byte steps), from a start at each of the first 17 offsets; the bytes
  // next to the terminators (11, 14), high bytes and zero bytes must not
  // stop the scans.
  const std::string background = "ab\x0b\x0e\xff\x80 \t\x01\x7f zq\x00\x0f"s;
  std::string text;
  while (text.size() < 48) {
    text += background;
  }
  text.resize(48);
  for (const char stop : {'\n', '\r', '\f'}) {
    for (std::uint32_t at = 0; at < 40; ++at) {
      for (std::uint32_t from = 0; from <= 16; ++from) {
        SCOPED_TRACE(std::to_string(static_cast<int>(stop)) + " at " +
                     std::to_string(at) + " from " + std::to_string(from));
        std::string a = text;
        a[at] = stop;
        expectAllAgree(a, a, from, 48);
        for (const char blank : {' ', '\t'}) {
          if (at > 0) {
            a[at - 1] = blank;  // a line text that ends in a blank
            expectAllAgree(a, a, from, 48);
          }
        }
        std::string b = text;
        b[at] = static_cast<char>(b[at] ^ 1);
        expectAllAgree(text, b, from, 48);
        if (from <= at) {
          expectAllAgree(text, b, from, at);  // the difference just past end
        }
      }
    }
  }
}

TEST(ByteScan, MatchesTheReferenceOnRandomTexts) {
  std::minstd_rand random(7);
  for (int round = 0; round < 2000; ++round) {
    const auto size = static_cast<std::uint32_t>(random() % 200);
    std::string a(size, ' ');
    for (char& c : a) {
      // Mostly bytes that stop nothing, now and then a terminator.
      const unsigned pick = random() % 64;
      c = pick == 0   ? '\n'
          : pick == 1 ? '\r'
          : pick == 2 ? '\f'
                      : "x 9\t\xe9,"[pick % 6];
    }
    std::string b = a;
    if (size > 0 && random() % 2 == 0) {
      b[random() % size] = '#';
    }
    const auto from = static_cast<std::uint32_t>(random() % (size + 1));
    SCOPED_TRACE("round " + std::to_string(round));
    expectAllAgree(a, b, from, size);
  }
}

}  // namespace
