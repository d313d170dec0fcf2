// How the suite's reports turn the run's texts into characters: the byte
// rules every exporter follows and the escaping that the HTML page needs.
//
// Report text and program output are bytes of an 8-bit code page: each byte
// is the character of the same number (U+0000 to U+00FF, Latin-1), so the
// bytes come back exactly from any report. Names, paths and switches are
// UTF-8 where they are valid UTF-8, and byte by byte like report text
// elsewhere. Where a text is shown to people, control characters other
// than TAB (and LF where lines are kept) become their visible symbols
// (U+2400 and on, U+2421 for DEL), so no text breaks a line or a table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace suite {

// Where a text's bytes come from, which says how they become characters.
enum class Bytes {
  kReport,  // report text and program output: one byte, one Latin-1 character
  kName,    // names, paths, switches: UTF-8 where valid, else as kReport
};

// Each byte of `bytes` as the character of the same number, in UTF-8.
std::string bytesToUtf8(std::string_view bytes);
// The reverse of bytesToUtf8; false when `text` is not UTF-8 or holds a
// character above U+00FF.
bool utf8ToBytes(std::string_view text, std::string* bytes);
// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool isUtf8(std::string_view text);

// A name, path or switch text in UTF-8: as it is when it is UTF-8, else
// byte by byte.
std::string nameUtf8(std::string_view text);

// `text` in UTF-8 by its byte rule, with control characters as their
// visible symbols; TAB stays, and LF too when `keepLineFeeds`.
std::string visibleUtf8(std::string_view text, Bytes bytes,
                        bool keepLineFeeds = false);

// Appends `text` to an HTML page, safe both as element text and inside a
// quoted attribute value (& < > " ' as references), its characters by its
// byte rule, control characters other than TAB and LF as their symbols.
void appendHtml(std::string& out, std::string_view text,
                Bytes bytes = Bytes::kName);

// Appends `text`, which is UTF-8, as a JSON string: quotes, backslashes and
// control characters escaped, everything else as it is. With
// `escapeLessThan` each '<' is written as \u003c too, so that the string
// may stand inside a script element (no "</script" or "<!--" can appear).
void appendJsonString(std::string& out, std::string_view text,
                      bool escapeLessThan = false);

}  // namespace suite
