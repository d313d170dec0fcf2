// The command-line words. Where the platform hands over one text (Windows),
// it is split with the program's own rules: only blanks separate words,
// double quotes group text, backslashes are plain, and a switch with a
// quoted value keeps its quotes (the closing quote moves to the end of the
// word). Where it hands over words already split (POSIX argv), each is taken
// as it is. Word 0 is the program's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/fixed_text.h"

class Host;
struct RunState;

using Word = FixedText<256>;

// The number of words in `commandLine` after the program's name.
std::uint32_t argumentCount(std::string_view commandLine);

// The same on the host's command line, or the number of its split words.
std::uint32_t argumentCount(RunState& run);

// Hands out the words after the program's name in order, by the rules above,
// in one pass over the command line.
class ArgumentReader {
 public:
  explicit ArgumentReader(std::string_view commandLine);
  // The host's words: its split words when it has them, else its command
  // line split by the rules above. The host must outlive the reader.
  explicit ArgumentReader(Host& host);
  // The next word, cut to 256 characters; false, with the word empty, when
  // no word is left.
  bool next(Word& word);
  // The word next() handed out last, whole and zero-terminated, valid for
  // the host's lifetime, where the platform handed over split words (POSIX);
  // null where the reader splits a command line.
  const char* wholeWord() const { return whole_; }

 private:
  std::string_view line_;
  std::size_t pos_ = 0;
  const std::vector<std::string>* splitWords_ = nullptr;  // null: split line_
  const char* whole_ = nullptr;
};

// The next word of `reader` converted to the OEM code page, as the program
// takes it.
bool nextArgument(RunState& run, ArgumentReader& reader, Word& word);
