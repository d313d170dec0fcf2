// Splitting the command line into words with the program's own rules: only
// blanks separate words, double quotes group text, backslashes are plain,
// and a switch with a quoted value keeps its quotes (the closing quote moves
// to the end of the word). Word 0 is the program's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "driver/fixed_text.h"

struct RunState;

using Word = FixedText<256>;

// The number of words in `commandLine` after the program's name.
std::uint32_t argumentCount(std::string_view commandLine);

// Word `i` (1-based) of `commandLine`, cut to 256 characters; empty when
// there is no such word.
void getArgument(std::string_view commandLine, std::uint32_t i, Word& word);

// The same on the host's command line, with the word converted to the OEM
// code page.
std::uint32_t argumentCount(RunState& run);
void getArgument(RunState& run, std::uint32_t i, Word& word);
