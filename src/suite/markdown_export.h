// The Markdown summary of a suite run, for pull-request comments and CI job
// summaries ($GITHUB_STEP_SUMMARY): the totals line, a table of the pairs
// that are not the same, then the first listed changes of the first pairs
// with their context lines in fenced blocks.
//
// The summary stays under kMarkdownLimit bytes (and so characters), as
// comment boxes cap what they take: rows and changes that would pass it are
// left out, and a closing line says how many pairs the table leaves out
// ("… and 812 more pairs"). Every text from the run is escaped so that it
// shows as written; report text keeps the byte rule of the other reports
// (each byte the character of the same number).
#pragma once

#include <cstddef>
#include <string>

#include "suite/results.h"

namespace suite {

inline constexpr std::size_t kMarkdownLimit = 60000;

// The summary as UTF-8 text, ending with a line end, at most `limit` bytes.
std::string exportMarkdown(const SuiteRun& run,
                           std::size_t limit = kMarkdownLimit);
// The same for the pairs of `pairs` (run.pairs is not read).
std::string exportMarkdown(const SuiteRun& run, const PairSource& pairs,
                           std::size_t limit = kMarkdownLimit);

}  // namespace suite
