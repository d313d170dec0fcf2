// The HTML report's page as embedded at build time: src/suite/web/report.html
// with report.css and report.js in place (cmake/embed_web.cmake). It holds
// {{title}}, {{header}}, {{chart}}, {{rows}} and {{data}} where the exporter
// fills in the run's data; nothing else in it changes from run to run.
#pragma once

#include <string_view>

namespace suite {

std::string_view reportTemplate();

}  // namespace suite
