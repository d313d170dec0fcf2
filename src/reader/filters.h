// The content filters of a fill, over plain bytes: plot sections out,
// whitespace codes off the ends of lines, hidden lines out. Each works in
// place on buf[.. end) and slides the bytes it keeps down over the ones it
// removes (one pass, with the same result as removing them one by one),
// then says where the kept bytes end. They read and write nothing at or
// past `end` and nothing before the offset they start from. page_buffer.cpp
// runs them on the bytes each fill adds.
#pragma once

#include <cstdint>

// The state of the plot-section search over the reads of one fill.
struct PlotSearch {
  bool open = false;
  std::uint32_t opening = 0;  // offset of the opening marker while open
};

// What removePlotSections kept: the bytes up to `end`, of which those from
// `handBack` on are to be read again by the next fill (`handBack` == `end`:
// none).
struct PlotFilterResult {
  std::uint32_t end;
  std::uint32_t handBack;
};

// Removes plot sections from buf[from .. end), the bytes one read added;
// `plot` carries a section still open from the read before. A section still
// open at `end` keeps only its opening marker, as the last kept byte, unless
// the file has `ended`.
//
// The search goes on, after a section is removed, where the section began.
// A marker at offset `latestOpening` or later (counted after the removals
// before it) opens no section unless the file has ended: the line holding
// it, from its start but not before `start` (where the fill began), is
// handed back, so that compaction can first make room for the section.
PlotFilterResult removePlotSections(unsigned char* buf, std::uint32_t from,
                                    std::uint32_t start, std::uint32_t end,
                                    bool ended, std::uint32_t latestOpening,
                                    PlotSearch& plot);

// Takes whitespace codes off the complete lines of buf[start .. end) and
// removes hidden lines (text ending in a TAB once the code is off) with the
// line terminators that follow them. Returns the new end.
std::uint32_t removeCodesAndHiddenLines(unsigned char* buf, std::uint32_t start,
                                        std::uint32_t end);

// Where the last line of buf[start .. end) begins, the line terminators
// after it counted in the line; `start` when no line terminator comes
// before it. A fill that has not reached the end of its file hands the
// bytes from there back, so that the filters see complete lines only.
std::uint32_t lastLineStart(const unsigned char* buf, std::uint32_t start,
                            std::uint32_t end);

// The length of the whitespace code at the end of the line text
// buffer[start .. start + length - 1]: 0, or 8 to 64. The last four blanks
// encode v (TAB 1, SPACE 0, most significant first); the code is the last
// 4 * (v + 1) blanks when the text ends with that many.
std::uint32_t trailingCodeLength(const unsigned char* buffer,
                                 std::uint32_t start, std::uint32_t length);
