// The JSON record of a suite run ("format": "zudiz-suite/2"), written from
// the results model and read back into it for --merge, which reads the
// records of format 1 as well.
//
// Format 2 measures relative differences by the mean magnitude (the
// histogram's buckets, `largest`), gives listed texts without the blanks
// that padded their columns, and adds each listed line's page, whole text
// and context, where each listed word stands in that line ("words1",
// "words2": [column in the listed text, start in the line text, length]),
// and each pair's largest number pair and /IGNORE tolerance ("tolerance":
// {"kind": "relative" or "absolute", "value"}, null for none). A format 1
// record reads with no lines or context; its histogram is counted again by the
// mean when it kept every number record, and its largest pair is the largest
// kept.
//
// Report text is bytes of an 8-bit code page, so every string taken from a
// report or from the program's output (output, text1, text2, line_text1,
// line_text2, context1, context2, message) holds each byte as the character of
// the same number (U+0000 to U+00FF): the JSON stays valid UTF-8 and the bytes
// come back exactly. Names, paths and switches are written as they are when
// they are valid UTF-8, else the same way byte by byte.
#pragma once

#include <string>
#include <string_view>

#include "suite/report_text.h"
#include "suite/results.h"

namespace suite {

inline constexpr std::string_view kJsonFormat = "zudiz-suite/2";
inline constexpr std::string_view kJsonFormat1 = "zudiz-suite/1";

// The run as JSON text: the run's facts and totals on their own lines, then
// one line per pair, in the order of `run.pairs`. Ends with a line end.
std::string exportJson(const SuiteRun& run);

// Reads a run written by exportJson. Returns false with `error` set when the
// text is not JSON, not of this format or holds a value of the wrong kind.
bool importJson(std::string_view text, SuiteRun* run, std::string* error);

// `text` without the blanks at its end.
std::string withoutTrailingBlanks(std::string_view text);

// The JSON name of a histogram bucket: its lower bound, shortest form
// ("0", "1e-09", ..., "0.1", "1").
std::string bucketName(int bucket);

}  // namespace suite
