// The JUnit XML report of a suite run, as CI systems read it: one
// <testsuite name="zudiz-suite"> with one <testcase> per pair, whose
// classname is the pair's folder (junitClassName), so that CI test trees
// keep the suite's folders. A different or missing pair carries a <failure>
// whose message is its console line and whose text shows each listed pair
// where it stands with its context lines, then the listing as printed; an
// error pair carries an <error>.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "suite/results.h"

namespace suite {

// A failure's text shows at most this many listed pairs and this many lines
// of the listing, so that servers that load the report whole take suites of
// any size.
inline constexpr std::size_t kJunitListedPairs = 20;
inline constexpr std::size_t kJunitListingLines = 100;

// The report as UTF-8 XML 1.0, ending with a line end.
std::string exportJunit(const SuiteRun& run);
// The same for the pairs of `pairs` (run.pairs is not read), written to
// `out` one pair at a time.
void writeJunit(const SuiteRun& run, const PairSource& pairs, TextSink& out);

// The classname of a pair named `name`: its folder with dots for slashes
// ("level2.beams" for level2/beams/x.rpt), "zudiz" for a name at the top.
std::string junitClassName(std::string_view name);

// `bytes` as XML character data or, with `attribute`, as an attribute
// value between double quotes. Report bytes above 0x7F become the
// characters of the same number (as in the JSON record); control characters
// that XML 1.0 forbids become U+FFFD; CR, and in attributes also TAB and LF,
// are written as character references so a parser gives them back.
std::string xmlText(std::string_view bytes, bool attribute);

}  // namespace suite
