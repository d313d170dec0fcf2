#include "suite/html_chart.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "suite/html_parts.h"
#include "zudiz/zudiz.h"

namespace suite::html {
namespace {

using zudiz::Histogram;

// --- The /IGNORE tolerance of the run ----------------------------------------

using Tolerance = zudiz::Tolerance;

// The tolerance that every compared pair applied; `mixed` when they differ
// (pairs with switches of their own), and then the chart marks none.
struct RunTolerance {
  Tolerance tolerance;
  bool mixed = false;
};

RunTolerance runTolerance(const SuiteRun& run) {
  RunTolerance shared;
  bool first = true;
  for (const PairResult& pair : run.pairs) {
    if (pair.status != PairStatus::kSame &&
        pair.status != PairStatus::kDifferent) {
      continue;  // not compared, or not to its end
    }
    if (first) {
      shared.tolerance = pair.result.tolerance;
      first = false;
    } else if (!(pair.result.tolerance == shared.tolerance)) {
      shared.mixed = true;
      shared.tolerance = {};
    }
  }
  return shared;
}

// --- Chart -------------------------------------------------------------------

struct ChartBox {
  static constexpr double kWidth = 760;
  static constexpr double kHeight = 290;
  static constexpr double kLeft = 56;
  static constexpr double kRight = 744;
  static constexpr double kTop = 52;  // the marks' labels stand above
  static constexpr double kBase = 236;
  static constexpr double kToleranceRow = 14;
  static constexpr double kMarkRow = 30;
  static constexpr double kSlot = (kRight - kLeft) / zudiz::kHistogramBuckets;

  // x of a place on the axis, counted in buckets from the left.
  static double x(double buckets) { return kLeft + buckets * kSlot; }
};

std::string coordinate(double value) {
  return formatted("%.1f", value);
}

// The place of relative difference `relative` on the axis, in buckets: the
// buckets 1 to 9 are decades, so 1e-9 is at 1 and 1 (100 %) at 10.
double axisPlace(double relative) {
  if (relative <= 1e-9) {
    return 1;
  }
  return std::min(10.0, 10 + std::log10(relative));
}

std::string bucketRange(int bucket) {
  if (bucket == 0) {
    return "below 1e-9";
  }
  if (bucket == zudiz::kHistogramBuckets - 1) {
    return "1 (100 %) and more";
  }
  return boundLabel(bucket) + " to " + boundLabel(bucket + 1);
}

std::string shortCount(std::int64_t count) {
  static constexpr std::pair<std::int64_t, const char*> kUnits[] = {
      {1000000000, "G"}, {1000000, "M"}, {1000, "k"}};
  for (const auto& [unit, suffix] : kUnits) {
    if (count >= unit && count % unit == 0) {
      return std::to_string(count / unit) + suffix;
    }
  }
  return std::to_string(count);
}

void appendLine(std::string& out, const char* cls, double x1, double y1,
                double x2, double y2) {
  out += "<line class=\"";
  out += cls;
  out += "\" x1=\"" + coordinate(x1) + "\" y1=\"" + coordinate(y1) +
         "\" x2=\"" + coordinate(x2) + "\" y2=\"" + coordinate(y2) + "\"/>";
}

void appendLabel(std::string& out, double x, double y, const char* anchor,
                 std::string_view text, const char* cls = nullptr) {
  out += "<text x=\"" + coordinate(x) + "\" y=\"" + coordinate(y) +
         "\" text-anchor=\"";
  out += anchor;
  out += "\"";
  if (cls != nullptr) {
    out += " class=\"";
    out += cls;
    out += "\"";
  }
  out += ">";
  appendText(out, text);
  out += "</text>";
}

// One bar: its verdicts stacked from the bottom, listed first.
void appendBar(std::string& out, int bucket,
               const std::array<std::int64_t, zudiz::kVerdicts>& counts,
               double height) {
  std::int64_t total = 0;
  for (std::int64_t count : counts) {
    addCapped(total, count);
  }
  out += "<g class=\"bar\" data-bucket=\"" + std::to_string(bucket) +
         "\" data-count=\"" + std::to_string(total) + "\"><title>";
  out += bucketRange(bucket) + ": " + std::to_string(total) + " number pair";
  out += total == 1 ? "" : "s";
  for (int v = 0; v < zudiz::kVerdicts; ++v) {
    if (counts[v] > 0) {
      out += "\n" + std::to_string(counts[v]) + " " + kVerdictNames[v];
    }
  }
  out += "</title>";
  double left = ChartBox::x(bucket + 0.15);
  double width = ChartBox::kSlot * 0.7;
  double y = ChartBox::kBase;
  for (int v = 0; v < zudiz::kVerdicts && total > 0; ++v) {
    if (counts[v] == 0) {
      continue;
    }
    double part = std::max(1.0, height * static_cast<double>(counts[v]) /
                                    static_cast<double>(total));
    y -= part;
    out += "<rect class=\"v" + std::to_string(v) + "\" data-verdict=\"" +
           kVerdictKeys[v] + "\" data-count=\"" + std::to_string(counts[v]) +
           "\" x=\"" + coordinate(left) + "\" y=\"" + coordinate(y) +
           "\" width=\"" + coordinate(width) + "\" height=\"" +
           coordinate(part) + "\"/>";
  }
  if (total > 0) {
    appendLabel(out, left + width / 2, y - 4, "middle", std::to_string(total),
                "count");
  }
  out += "</g>\n";
}

}  // namespace

void appendChart(std::string& out, const SuiteRun& run,
                 std::size_t maxNumbers) {
  Histogram sum;
  std::array<std::int64_t, zudiz::kVerdicts> byVerdict{};
  std::int64_t cutPairs = 0;
  for (const PairResult& pair : run.pairs) {
    const Histogram& h = pair.result.histogram;
    for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
      for (int v = 0; v < zudiz::kVerdicts; ++v) {
        std::int64_t n = std::max<std::int64_t>(0, h.counts[b][v]);
        addCapped(sum.counts[b][v], n);
        addCapped(byVerdict[v], n);
      }
    }
    if (pair.result.numbersCut || pair.result.numbers.size() > maxNumbers) {
      ++cutPairs;
    }
  }
  std::array<std::int64_t, zudiz::kHistogramBuckets> totals{};
  std::int64_t largest = 0;
  std::int64_t all = 0;
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    for (std::int64_t count : sum.counts[b]) {
      addCapped(totals[b], count);
    }
    largest = std::max(largest, totals[b]);
    addCapped(all, totals[b]);
  }

  using B = ChartBox;
  const double plotHeight = B::kBase - B::kTop;
  // Bar heights grow with the logarithm of the count, so that a handful of
  // large differences stays visible beside a million tiny ones.
  auto heightOf = [&](std::int64_t count) {
    if (count == 0 || largest == 0) {
      return 0.0;
    }
    double h = plotHeight * std::log10(1.0 + static_cast<double>(count)) /
               std::log10(1.0 + static_cast<double>(largest));
    return std::max(2.0, h);
  };

  out +=
      "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 "
      "0 " +
      coordinate(B::kWidth) + " " + coordinate(B::kHeight) +
      "\" role=\"img\" aria-label=\"Histogram of " + std::to_string(all) +
      " unequal number pairs by relative difference\">\n";
  // Grid lines and labels at powers of ten of the count.
  for (std::int64_t tick = 1; largest > 0 && tick <= largest; tick *= 10) {
    double y = B::kBase - heightOf(tick);
    appendLine(out, "grid", B::kLeft, y, B::kRight, y);
    appendLabel(out, B::kLeft - 6, y + 4, "end", shortCount(tick));
    if (tick > INT64_MAX / 10) {
      break;
    }
  }
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    appendBar(out, b, sum.counts[b], heightOf(totals[b]));
  }
  appendLine(out, "axis", B::kLeft, B::kBase, B::kRight, B::kBase);
  appendLine(out, "axis", B::kLeft, B::kTop - 6, B::kLeft, B::kBase);
  for (int b = 1; b < zudiz::kHistogramBuckets; ++b) {
    appendLine(out, "axis", B::x(b), B::kBase, B::x(b), B::kBase + 4);
    appendLabel(out, B::x(b), B::kBase + 16, "middle", boundLabel(b));
  }
  appendLabel(out, (B::kLeft + B::kRight) / 2, B::kBase + 38, "middle",
              "relative difference |a \xE2\x88\x92 b| / mean(|a|, |b|), "
              "log scale");
  appendLabel(out, B::kLeft - 6, B::kMarkRow, "end", "count");
  if (all == 0) {
    appendLabel(out, (B::kLeft + B::kRight) / 2, (B::kTop + B::kBase) / 2,
                "middle", "No unequal numbers in this suite");
  }

  // The 0.1 % line, and the /IGNORE tolerance where it is relative.
  double at = B::x(axisPlace(1e-3));
  out += "<g class=\"mark-0-1\">";
  appendLine(out, "mark", at, B::kMarkRow - 10, at, B::kBase);
  appendLabel(out, at + 4, B::kMarkRow, "start", "0.1 %");
  out += "</g>";
  const RunTolerance shared = runTolerance(run);
  const Tolerance& tolerance = shared.tolerance;
  if (tolerance.kind == Tolerance::Kind::kRelative) {
    double place = tolerance.value <= 1e-9 ? 0.5 : axisPlace(tolerance.value);
    double x = B::x(place);
    out += "<g class=\"mark-tolerance\" data-tolerance=\"" +
           shortest(tolerance.value) + "\">";
    appendLine(out, "mark tolerance", x, B::kToleranceRow - 10, x, B::kBase);
    appendLabel(out, x + 4, B::kToleranceRow, "start",
                "/IGNORE " + percent(tolerance.value));
    out += "</g>";
  }
  out += "\n</svg>\n";

  out += "<ul class=\"legend\">";
  for (int v = 0; v < zudiz::kVerdicts; ++v) {
    out += "<li><span class=\"swatch v" + std::to_string(v) + "\"></span>";
    out += kVerdictNames[v];
    out += " (" + std::to_string(byVerdict[v]) + ")</li>";
  }
  out += "</ul>\n";
  out +=
      "<p class=\"note\">Every unequal number pair of the suite, counted by "
      "the size of its difference. Bar heights grow with the logarithm of "
      "the count; within a bar the verdicts share its height in "
      "proportion. The dashed line marks 0.1 %, below which differences "
      "are excused.";
  if (tolerance.kind == Tolerance::Kind::kRelative) {
    out +=
        " The dotted line marks the /IGNORE tolerance: numbers within it "
        "count as equal.";
  } else if (tolerance.kind == Tolerance::Kind::kAbsolute) {
    out += " The /IGNORE tolerance of " + shortest(tolerance.value) +
           " is absolute, so it has no place on this axis.";
  }
  if (shared.mixed) {
    out +=
        " The pairs were compared with different /IGNORE tolerances, so "
        "none is marked.";
  }
  out += "</p>\n";
  if (cutPairs > 0) {
    out += "<p class=\"note cut\">In " + std::to_string(cutPairs) + " pair";
    out += cutPairs == 1 ? "" : "s";
    out += " more unequal numbers were met than the " +
           std::to_string(std::min(maxNumbers, zudiz::kMaxNumbers)) +
           " records kept per pair: the hover details of their listings show "
           "the largest only. The chart counts every one.</p>\n";
  }
}

}  // namespace suite::html
