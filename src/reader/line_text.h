// The text of a listed line as the comparison read it, found in the page
// buffer by its line number, with the lines before it on its page: for a
// caller that records listed pairs with their context. Reads the valid bytes
// of the window only: never refills, moves nothing, allocates nothing.
//
// Line numbers count as the reader counts them (lineCount): a line end is
// LF, CR LF or a lone CR; a page end (FF) is no line end, and no line is
// looked for across one.
#pragma once

#include <cstdint>

#include "core/reader_state.h"

// A line in the window: `length` bytes from offset `start`, without its line
// end.
struct LineSpan {
  std::uint32_t start = 0;
  std::uint32_t length = 0;
};

// Line `line` (from 1) of the file that `r` reads, found by counting line
// ends from its current position, backwards or forwards, within the page it
// stands on. False when the valid bytes do not reach the line: it lies
// before the window's start, beyond its valid bytes or on another page. A
// line that runs past the valid bytes is given as far as they reach; one
// whose start was dropped from the window, from the window's start.
bool findLine(const PageReader& r, std::int64_t line, LineSpan* span);

// How far offset `at` of the window lies from the start of its line, as
// findLine places line starts (the window's start when the line began
// before it).
std::uint32_t offsetInLine(const PageReader& r, std::uint32_t at);

// Up to `count` whole lines right before `line` on its page, oldest first,
// into `before`; returns how many. Stops at the page's start and at the
// window's start (a line whose start may have been dropped is left out).
int linesBefore(const PageReader& r, const LineSpan& line, int count,
                LineSpan* before);
