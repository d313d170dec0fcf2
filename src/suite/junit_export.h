// The JUnit XML report of a suite run, as CI systems read it: one
// <testsuite name="zudiz-suite"> with one <testcase> per pair. A different
// or missing pair carries a <failure> whose message is its console line and
// whose text is the listing; an error pair carries an <error>.
#pragma once

#include <string>
#include <string_view>

#include "suite/results.h"

namespace suite {

// The report as UTF-8 XML 1.0, ending with a line end.
std::string exportJunit(const SuiteRun& run);

// `bytes` as XML character data or, with `attribute`, as an attribute
// value between double quotes. Report bytes above 0x7F become the
// characters of the same number (as in the JSON record); control characters
// that XML 1.0 forbids become U+FFFD; CR, and in attributes also TAB and LF,
// are written as character references so a parser gives them back.
std::string xmlText(std::string_view bytes, bool attribute);

}  // namespace suite
