// The HTML report of a suite run: one self-contained page.
#pragma once

#include <string>

#include "suite/results.h"

namespace suite {

// The page for `run`, as UTF-8 HTML.
std::string exportHtml(const SuiteRun& run);

}  // namespace suite
