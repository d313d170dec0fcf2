#include "suite/html_export.h"

#include "suite/console.h"

namespace suite {

// A plain page until the full report replaces it: the console lines.
std::string exportHtml(const SuiteRun& run) {
  std::string page =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
      "<title>zudiz-suite</title></head><body><pre>\n";
  for (const PairResult& pair : run.pairs) {
    std::string line = pairLine(pair);
    for (char c : line) {
      page += c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
    }
    if (!line.empty()) {
      page += '\n';
    }
  }
  page += "</pre></body></html>\n";
  return page;
}

}  // namespace suite
