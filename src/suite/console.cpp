#include "suite/console.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace suite {
namespace {

std::string counted(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string clockTime(double seconds) {
  auto whole = static_cast<std::int64_t>(std::llround(seconds));
  char text[48];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%" PRId64 ":%02d:%02d", whole / 3600,
                  static_cast<int>(whole / 60 % 60),
                  static_cast<int>(whole % 60));
  } else {
    std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(whole / 60),
                  static_cast<int>(whole % 60));
  }
  return text;
}

}  // namespace

std::string pairLine(const PairResult& pair) {
  const zudiz::Counts& c = pair.result.counts;
  switch (pair.status) {
    case PairStatus::kSame:
      return "";
    case PairStatus::kMissing:
      return "missing    " + pair.message;
    case PairStatus::kError:
      return "error      " + pair.name + ": " + pair.message;
    case PairStatus::kDifferent:
      break;
  }
  std::string line = "different  " + pair.name + "  " +
                     counted(c.linesDiffered, "line", "lines") + ", " +
                     counted(c.wordDifferences, "word", "words") + ", " +
                     counted(c.numericDifferences, "number", "numbers");
  if (c.surplusLines != 0) {
    line += ", " +
            counted(std::llabs(c.surplusLines), "more line", "more lines") +
            (c.surplusLines > 0 ? " in baseline" : " in candidate");
  }
  std::int64_t excused = c.tinyExcused + c.lastPlaceExcused;
  if (excused > 0) {
    line += " (" + std::to_string(excused) + " excused)";
  }
  return line;
}

std::string percentText(double relative) {
  return printed("%.3g", relative * 100) + " %";
}

std::string changePlace(const zudiz::ListedPair& listed) {
  const auto side = [](const char* name, std::int64_t page, std::int64_t line) {
    std::string text = name;
    if (line == 0) {
      return text + ": no line";
    }
    if (page > 0) {
      text += " page " + std::to_string(page) + ",";
    }
    return text + " line " + std::to_string(line);
  };
  return side("baseline", listed.page1, listed.line1) + "; " +
         side("candidate", listed.page2, listed.line2);
}

std::string changeLines(const zudiz::ListedPair& listed) {
  std::string text;
  const auto context = [&](const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      text += "  " + line + "\n";
    }
  };
  // A line that only one file has: its context, the line, and the line
  // both files go on with.
  if (listed.extra == 1 || listed.extra == 2) {
    const bool first = listed.extra == 1;
    context(first ? listed.context1 : listed.context2);
    text += (first ? "- " : "+ ") +
            (first ? listed.lineText1 : listed.lineText2) + "\n";
    const std::string& next = first ? listed.lineText2 : listed.lineText1;
    if ((first ? listed.line2 : listed.line1) != 0 && !next.empty()) {
      text += "  " + next + "\n";
    }
    return text;
  }
  const bool sameContext = listed.context1 == listed.context2;
  if (listed.line1 != 0) {
    context(listed.context1);
    text += "- " + listed.lineText1 + "\n";
  }
  if (listed.line2 != 0) {
    if (!sameContext || listed.line1 == 0) {
      context(listed.context2);
    }
    text += "+ " + listed.lineText2 + "\n";
  }
  return text;
}

std::string closingLine(const Totals& totals, double seconds) {
  return counted(totals.pairs, "pair", "pairs") + ": " +
         std::to_string(totals.same) + " same, " +
         std::to_string(totals.different) + " different, " +
         std::to_string(totals.missing) + " missing, " +
         (totals.allowed > 0 ? "(" + std::to_string(totals.allowed) +
                                   " only in candidate, allowed) "
                             : std::string()) +
         counted(totals.error, "error", "errors") + " in " +
         printed("%.2f", seconds) + " s";
}

std::string listingText(std::string_view output) {
  std::string text;
  text.reserve(output.size() + 1);
  for (std::size_t i = 0; i < output.size(); ++i) {
    if (output[i] == '\r' && i + 1 < output.size() && output[i + 1] == '\n') {
      continue;
    }
    text += output[i];
  }
  if (!text.empty() && text.back() != '\n') {
    text += '\n';
  }
  return text;
}

std::string formatBytes(double bytes) {
  if (bytes < 1000) {
    return printed("%.0f B", bytes);
  }
  const char* units[] = {"kB", "MB", "GB", "TB"};
  int unit = 0;
  bytes /= 1000;
  while (bytes >= 999.95 && unit < 3) {
    bytes /= 1000;
    ++unit;
  }
  std::string format = bytes < 9.995   ? "%.2f "
                       : bytes < 99.95 ? "%.1f "
                                       : "%.0f ";
  return printed((format + units[unit]).c_str(), bytes);
}

std::string progressLine(const Progress& progress) {
  std::string line = std::to_string(progress.pairsDone) + "/" +
                     std::to_string(progress.pairsTotal) + " pairs  " +
                     formatBytes(static_cast<double>(progress.bytesDone)) +
                     " read";
  if (progress.seconds <= 0 || progress.bytesDone <= 0) {
    return line;
  }
  double speed = static_cast<double>(progress.bytesDone) / progress.seconds;
  line += "  " + formatBytes(speed) + "/s";
  double left =
      static_cast<double>(progress.bytesTotal - progress.bytesDone) / speed;
  if (left >= 0) {
    line += "  " + clockTime(left) + " left";
  }
  return line;
}

}  // namespace suite
