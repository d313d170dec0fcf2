#include "suite/junit_export.h"

#include <cstdio>
#include <set>

#include "suite/console.h"
#include "suite/report_text.h"

namespace suite {
namespace {

std::string seconds(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

// The console line of a pair, with its texts in UTF-8 as the JSON record
// holds them.
std::string pairLineUtf8(const PairResult& pair) {
  PairResult shown;
  shown.name = nameUtf8(pair.name);
  shown.status = pair.status;
  shown.message = bytesToUtf8(pair.message);
  shown.result.counts = pair.result.counts;
  return pairLine(shown);
}

// A pair's failure text: each listed pair where it stands, with its
// context, then the program's listing as printed.
std::string failureText(const PairResult& pair) {
  std::string text;
  for (const zudiz::ListedPair& listed : pair.result.pairs) {
    text += changePlace(listed) + "\n" + changeLines(listed) + "\n";
  }
  return text + listingText(pair.result.output);
}

}  // namespace

std::string junitClassName(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash == std::string_view::npos || slash == 0) {
    return "zudiz";
  }
  std::string folder(name.substr(0, slash));
  for (char& c : folder) {
    if (c == '/' || c == '\\') {
      c = '.';
    }
  }
  return folder;
}

std::string xmlText(std::string_view bytes, bool attribute) {
  std::string text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        text += "&amp;";
        continue;
      case '<':
        text += "&lt;";
        continue;
      case '>':
        text += "&gt;";
        continue;
      case '"':
        text += attribute ? "&quot;" : "\"";
        continue;
      case '\r':
        text += "&#13;";
        continue;
      case '\n':
        text += attribute ? "&#10;" : "\n";
        continue;
      case '\t':
        text += attribute ? "&#9;" : "\t";
        continue;
      default:
        break;
    }
    if (b < 0x20) {
      text += "\xEF\xBF\xBD";  // U+FFFD
    } else {
      text += c;
    }
  }
  return text;
}

std::string exportJunit(const SuiteRun& run) {
  Totals t = totalsOf(run);
  std::string timestamp = run.date;
  if (!timestamp.empty() && timestamp.back() == 'Z') {
    timestamp.pop_back();  // the report format takes no time zone
  }
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<testsuite name=\"zudiz-suite\" tests=\"" + std::to_string(t.pairs) +
         "\" failures=\"" +
         std::to_string(t.different + t.missing - t.allowed) + "\" errors=\"" +
         std::to_string(t.error) + "\" skipped=\"" + std::to_string(t.allowed) +
         "\" time=\"" + seconds(run.seconds) + "\"";
  if (!timestamp.empty()) {
    xml += " timestamp=\"" + xmlText(timestamp, true) + "\"";
  }
  xml += ">\n";
  if (std::string partial = partialText(run); !partial.empty()) {
    std::string held;
    for (const std::string& shard : run.shards) {
      held += (held.empty() ? "" : " ") + shard;
    }
    // Shown as "partial: 2 of 6 shards" where a CI server lists properties.
    xml += "  <properties>\n    <property name=\"partial\" value=\"" +
           xmlText(partial.substr(partial.find(' ') + 1), true) +
           "\"/>\n    <property name=\"shards\" value=\"" +
           xmlText(held, true) + "\"/>\n  </properties>\n";
  }
  // Each testcase has a name of its own, even when the run repeats one.
  std::set<std::string> used;
  for (const PairResult& pair : run.pairs) {
    std::string name = nameUtf8(pair.name);
    for (int n = 2; !used.insert(name).second; ++n) {
      name = nameUtf8(pair.name) + " (" + std::to_string(n) + ")";
    }
    xml += "  <testcase classname=\"" +
           xmlText(nameUtf8(junitClassName(pair.name)), true) + "\" name=\"" +
           xmlText(name, true) + "\" time=\"" + seconds(pair.seconds) + "\"";
    if (pair.status == PairStatus::kSame) {
      xml += "/>\n";
      continue;
    }
    if (run.allowAdded && onlyInCandidate(pair)) {
      // A new report that --allow-added lets through: listed, not failed.
      xml += ">\n    <skipped message=\"" +
             xmlText(pairLineUtf8(pair) + " (allowed)", true) +
             "\"/>\n  </testcase>\n";
      continue;
    }
    const char* element =
        pair.status == PairStatus::kError ? "error" : "failure";
    std::string body =
        pair.status == PairStatus::kMissing ? pair.message : failureText(pair);
    if (body.empty()) {
      body = pair.message;
    }
    xml += ">\n    <";
    xml += element;
    xml += " message=\"" + xmlText(pairLineUtf8(pair), true) + "\" type=\"" +
           statusName(pair.status) + "\">" + xmlText(bytesToUtf8(body), false) +
           "</" + element + ">\n  </testcase>\n";
  }
  xml += "</testsuite>\n";
  return xml;
}

}  // namespace suite
