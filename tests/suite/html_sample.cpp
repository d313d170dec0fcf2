// html_sample: writes HTML reports of made-up suite runs for the browser
// test and for measuring, with what the test expects of each beside it.
//
//   html_sample DIR [mixed] [large] [wide] [tail] [paged] [paged-large]
//
// mixed  a dozen pairs of every status, hostile names, switches and report
//        text, a pair whose number records are cut, a word-mode listing;
// large  10000 pairs, one in a hundred different;
// wide   1000 pairs in which every line differs, as two genuinely different
//        runs of 1 MB reports give: full listings, 10000 records each;
// tail   one pair compared by the library for real: 20000 numbers that
//        drift by tiny amounts, then one listed change of 37.5 %.
// paged, paged-large
//        mixed and large with their rows as data for the page's script, as
//        a page of a large run holds them.
//
// Each NAME.html comes with NAME.json: the pairs' names, statuses and
// outputs (every output byte as the character of the same number) and the
// chart's counts. The export time and the page size go to standard output.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "suite/html_export.h"
#include "suite/results.h"
#include "zudiz/zudiz.h"

namespace {

using suite::PairResult;
using suite::PairStatus;
using suite::SuiteRun;
using zudiz::ListedPair;
using zudiz::NumberPair;
using zudiz::Verdict;

// --- Program output in the program's layout ----------------------------------

std::string padded(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) {
    out.append(width - out.size(), ' ');
  }
  return out;
}

std::string rightAligned(std::int64_t value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%*lld", width,
                static_cast<long long>(value));
  return buffer;
}

// The output the program prints for a comparison with these listed pairs
// and counts: heading line, listing, summary, CR LF line ends.
std::string programOutput(std::string_view label1, std::string_view label2,
                          const zudiz::Result& result, int capNotice = 0) {
  std::size_t width = std::max(label1.size(), label2.size());
  std::string out = "Comparing " + std::string(label1) + " vs. " +
                    std::string(label2) + "\r\n";
  if (!result.pairs.empty()) {
    out += "\r\nFILE" + std::string(width > 2 ? width - 2 : 0, ' ') +
           "LINE   DIFFERENCES\r\n";
  }
  for (const ListedPair& pair : result.pairs) {
    for (int file = 1; file <= 2; ++file) {
      std::int64_t line = file == 1 ? pair.line1 : pair.line2;
      out += padded(file == 1 ? label1 : label2, width);
      out += line == 0 ? std::string(6, ' ') : rightAligned(line, 6);
      out += pair.extra == file ? " + " : "   ";
      out += file == 1 ? pair.text1 : pair.text2;
      out += "\r\n";
    }
    out += "\r\n";
  }
  if (capNotice > 0) {
    out +=
        "*** More than " + std::to_string(capNotice) + " differences\r\n\r\n";
  }
  const zudiz::Counts& c = result.counts;
  out += rightAligned(c.linesCompared, 11) + "  Lines compared\r\n";
  out += rightAligned(c.linesDiffered, 11) +
         "  Lines differed (except page headers/footers)\r\n";
  out += rightAligned(c.wordDifferences, 11) +
         "  Non-numeric word differences\r\n";
  out += rightAligned(c.numericDifferences, 11) + "  Numeric differences\r\n";
  if (c.tinyExcused + c.lastPlaceExcused > 0) {
    out += "(plus " + std::to_string(c.tinyExcused) +
           " differed by less than 0.1% and " +
           std::to_string(c.lastPlaceExcused) +
           " in last decimal place only)\r\n";
  }
  return out;
}

// Two words padded into one column each, as the listing lines them up.
void addColumn(std::string& text1, std::string& text2, std::string_view word1,
               std::string_view word2) {
  std::size_t width = std::max(word1.size(), word2.size()) + 1;
  text1 += padded(word1, width);
  text2 += padded(word2, width);
}

// The words of a listed text where a line that holds it after `offset`
// bytes has them.
std::vector<zudiz::ListedWord> wordsOf(std::string_view text,
                                       std::size_t offset) {
  std::vector<zudiz::ListedWord> words;
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', at), text.size());
    words.push_back({at, offset + at, end - at});
    at = end;
  }
  return words;
}

ListedPair listed(std::int64_t line1, std::int64_t line2, int extra,
                  std::string text1, std::string text2) {
  ListedPair pair;
  pair.line1 = line1;
  pair.line2 = line2;
  pair.extra = extra;
  pair.text1 = std::move(text1);
  pair.text2 = std::move(text2);
  // Where it stands, as the library gives it: a whole table line around the
  // listed words and the two lines above it.
  pair.page1 = pair.page2 = 1 + line1 / 60;
  const std::string prefix1 = "  ROW" + std::to_string(line1) + "    ";
  const std::string prefix2 = "  ROW" + std::to_string(line2) + "    ";
  pair.lineText1 = prefix1 + pair.text1;
  pair.lineText2 = prefix2 + pair.text2;
  pair.words1 = wordsOf(pair.text1, prefix1.size());
  pair.words2 = wordsOf(pair.text2, prefix2.size());
  pair.context1 = {"  ROW" + std::to_string(line1 - 2) + "    1.000  2.000",
                   "  ROW" + std::to_string(line1 - 1) + "    1.000  2.000"};
  pair.context2 = pair.context1;
  return pair;
}

std::string withoutFinalBlank(std::string text) {
  if (!text.empty() && text.back() == ' ') {
    text.pop_back();
  }
  return text;
}

// The relative difference and its histogram bucket, as the library counts
// them: |a - b| / max(|a|, |b|); bucket 0 below 1e-9, one per decade up to
// bucket 10 for 1 and more.
double relativeDifference(double a, double b) {
  double larger = std::max(std::fabs(a), std::fabs(b));
  return larger == 0 ? 0 : std::fabs(a - b) / larger;
}

int histogramBucket(double relative) {
  if (relative < 1e-9) {
    return 0;
  }
  if (relative >= 1) {
    return zudiz::kHistogramBuckets - 1;
  }
  return std::clamp(static_cast<int>(std::floor(std::log10(relative))) + 10, 1,
                    9);
}

const char* statusWord(PairStatus status) {
  static const char* const kWords[] = {"same", "different", "missing", "error"};
  return kWords[static_cast<int>(status)];
}

void addNumber(zudiz::Result& result, double value1, double value2,
               std::int64_t line1, std::int64_t line2, Verdict verdict) {
  result.numbers.push_back({value1, value2, line1, line2, verdict});
  double relative = relativeDifference(value1, value2);
  result.histogram
      .counts[histogramBucket(relative)][static_cast<int>(verdict)] += 1;
}

PairResult makePair(std::string name, PairStatus status) {
  PairResult pair;
  pair.baseline = "baseline/" + name;
  pair.candidate = "candidate/" + name;
  pair.name = std::move(name);
  pair.status = status;
  pair.seconds = 0.004;
  // The run's /IGNORE%:0.5.
  pair.result.tolerance = {zudiz::Tolerance::Kind::kRelative, 0.005};
  pair.result.status = status == PairStatus::kSame ? zudiz::Status::kSame
                       : status == PairStatus::kDifferent
                           ? zudiz::Status::kDifferent
                           : zudiz::Status::kError;
  return pair;
}

// --- The runs ----------------------------------------------------------------

SuiteRun mixedRun() {
  SuiteRun run;
  run.version = std::string(zudiz::kVersion);
  run.switches = "/IGNORE%:0.5 /SKIPF:2";
  run.baseline = "suites/base line <b>";
  run.candidate = "suites/cand\"idate";
  run.date = "2026-11-03T09:14:22Z";
  run.seconds = 1.25;

  {
    PairResult pair = makePair("alpha/same.rpt", PairStatus::kSame);
    pair.result.counts.linesCompared = 120;
    pair.result.output = programOutput("SAME.RPT", "SAME.RPT", pair.result);
    run.pairs.push_back(pair);
  }
  {
    PairResult pair = makePair("alpha/excused.rpt", PairStatus::kSame);
    zudiz::Result& r = pair.result;
    r.counts.linesCompared = 64;
    r.counts.tinyExcused = 3;
    r.counts.lastPlaceExcused = 2;
    addNumber(r, 1000.0, 1000.5, 3, 3, Verdict::kTiny);
    addNumber(r, 250.0, 250.01, 4, 4, Verdict::kTiny);
    addNumber(r, 12.0, 12.00001, 5, 5, Verdict::kTiny);
    addNumber(r, 3.5, 3.6, 7, 7, Verdict::kLastPlace);
    addNumber(r, 1.25, 1.26, 9, 9, Verdict::kLastPlace);
    addNumber(r, 40.0, 40.1, 11, 11, Verdict::kWithinTolerance);
    r.output = programOutput("EXCUSED.RPT", "EXCUSED.RPT", r);
    run.pairs.push_back(pair);
  }
  {
    // The demo's three differences: an extra line, a number, a word.
    PairResult pair = makePair("beam/schedule.rpt", PairStatus::kDifferent);
    zudiz::Result& r = pair.result;
    r.counts = {0, 29, 3, 8, 1, 1, 1};
    r.pairs.push_back(
        listed(16, 16, 2, "", "B110A 4.50 15.000 37.969 33.75 0.400 ADDED"));
    std::string t1;
    std::string t2;
    addColumn(t1, t2, "0.316", "0.386");
    r.pairs.push_back(
        listed(25, 26, 0, withoutFinalBlank(t1), withoutFinalBlank(t2)));
    r.pairs.push_back(listed(39, 40, 0, "PASS", "REVIEW"));
    addNumber(r, 0.316, 0.386, 25, 26, Verdict::kListed);
    addNumber(r, 30.48, 30.49, 20, 21, Verdict::kTiny);
    addNumber(r, 0.25, 0.26, 22, 23, Verdict::kLastPlace);
    r.output = programOutput("RUN1.RPT", "RUN2.RPT", r);
    run.pairs.push_back(pair);
  }
  {
    // Report text that would be markup, script or a data mark if it were
    // not escaped, and bytes that are no text at all.
    PairResult pair =
        makePair("hostile/<img src=x onerror=window.__pwned=1>.rpt",
                 PairStatus::kDifferent);
    pair.baseline = "baseline/\"><script>window.__pwned=5</script>";
    pair.switches = "/SKIPF:5 \"><script>window.__pwned=4</script>";
    zudiz::Result& r = pair.result;
    r.counts = {0, 10, 4, 9, 1, 0, 0};
    std::string t1;
    std::string t2;
    addColumn(t1, t2, "<script>window.__pwned=2</script>", "</textarea>");
    addColumn(t1, t2, "\"><img", "src=x");
    addColumn(t1, t2, "onerror=window.__pwned=3>", "</pre><b>bold</b>");
    r.pairs.push_back(
        listed(2, 2, 0, withoutFinalBlank(t1), withoutFinalBlank(t2)));
    t1.clear();
    t2.clear();
    addColumn(t1, t2, "{{rows}}", "&amp;");
    addColumn(t1, t2, std::string("caf\xE9\x85"),
              std::string("nul\x00\x1B\x7F", 6));
    addColumn(t1, t2, "12.5", "13.5");
    r.pairs.push_back(
        listed(5, 6, 0, withoutFinalBlank(t1), withoutFinalBlank(t2)));
    addNumber(r, 12.5, 13.5, 5, 6, Verdict::kListed);
    r.output = programOutput("<B>BASE</B>", "CAND'\"&", r);
    r.output += "stray\rreturn\r\n";
    pair.message = "";
    run.pairs.push_back(pair);
  }
  {
    PairResult pair =
        makePair("missing/only-baseline.rpt", PairStatus::kMissing);
    pair.candidate.clear();
    pair.message = "only in baseline: missing/only-baseline.rpt";
    pair.seconds = 0;
    run.pairs.push_back(pair);
  }
  {
    PairResult pair =
        makePair("missing/only-candidate.rpt", PairStatus::kMissing);
    pair.baseline.clear();
    pair.message = "only in candidate: missing/only-candidate.rpt";
    pair.seconds = 0;
    run.pairs.push_back(pair);
  }
  {
    // 150 unequal numbers on 30 listed lines: the page keeps 100 records.
    PairResult pair = makePair("numbers/many.rpt", PairStatus::kDifferent);
    zudiz::Result& r = pair.result;
    for (int line = 1; line <= 30; ++line) {
      std::string t1;
      std::string t2;
      addColumn(t1, t2, "ROW" + std::to_string(line),
                "ROW" + std::to_string(line) + "X");
      for (int k = 0; k < 5; ++k) {
        double value1 = 100.0 + line * 10 + k;
        double value2 = value1 * (1 + 0.002 * (k + 1) * line);
        char a[32];
        char b[32];
        std::snprintf(a, sizeof a, "%.4f", value1);
        std::snprintf(b, sizeof b, "%.4f", value2);
        addColumn(t1, t2, a, b);
        addNumber(r, std::stod(a), std::stod(b), line + 10, line + 10,
                  Verdict::kListed);
      }
      r.pairs.push_back(listed(line + 10, line + 10, 0, withoutFinalBlank(t1),
                               withoutFinalBlank(t2)));
    }
    r.counts = {0, 200, 30, 30, 150, 0, 0};
    r.output = programOutput("MANY1.RPT", "MANY2.RPT", r);
    run.pairs.push_back(pair);
  }
  {
    // Word mode: every column is a pair of its own.
    PairResult pair = makePair("word/mode.rpt", PairStatus::kDifferent);
    pair.switches = "/WORD";
    zudiz::Result& r = pair.result;
    r.counts = {-2, 40, 2, 1, 1, 0, 0};
    r.pairs.push_back(listed(7, 7, 0, "7.25", "8.5"));
    r.pairs.push_back(listed(9, 0, 1, "EXTRA", ""));
    addNumber(r, 7.25, 8.5, 7, 7, Verdict::kListed);
    r.output = programOutput("W1.RPT", "W2.RPT", r);
    run.pairs.push_back(pair);
  }
  {
    PairResult pair = makePair("zeta/too-large.rpt", PairStatus::kError);
    pair.message = "Page too large to fit in buffer";
    pair.result.message = pair.message;
    pair.result.output =
        "Comparing ZETA.RPT vs. ZETA.RPT\r\n*** Page too large to fit in "
        "buffer\r\n";
    run.pairs.push_back(pair);
  }
  {
    PairResult pair =
        makePair("\xC3\xBCnicode/na\xC3\xAFve.rpt", PairStatus::kSame);
    pair.result.counts.linesCompared = 7;
    pair.result.output = programOutput("NAIVE.RPT", "NAIVE.RPT", pair.result);
    run.pairs.push_back(pair);
  }
  // A difference of 100 % and more, and one below 1e-9, for the chart's ends.
  {
    PairResult pair = makePair("zeta/extremes.rpt", PairStatus::kDifferent);
    zudiz::Result& r = pair.result;
    std::string t1;
    std::string t2;
    addColumn(t1, t2, "0", "5");
    r.pairs.push_back(
        listed(3, 3, 0, withoutFinalBlank(t1), withoutFinalBlank(t2)));
    addNumber(r, 0, 5, 3, 3, Verdict::kListed);
    addNumber(r, 400000.0, 400000.0001, 4, 4, Verdict::kTiny);
    r.counts = {0, 5, 1, 0, 1, 1, 0};
    r.output = programOutput("EXT.RPT", "EXT.RPT", r);
    run.pairs.push_back(pair);
  }
  std::sort(
      run.pairs.begin(), run.pairs.end(),
      [](const PairResult& a, const PairResult& b) { return a.name < b.name; });
  return run;
}

SuiteRun largeRun() {
  SuiteRun run;
  run.version = std::string(zudiz::kVersion);
  run.switches = "/IGNORE";
  run.baseline = "nightly/baseline";
  run.candidate = "nightly/candidate";
  run.date = "2026-11-03T02:00:00Z";
  run.seconds = 312.5;
  for (int i = 0; i < 10000; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "group%02d/run%05d.rpt", i % 40, i);
    bool different = i % 100 == 7;
    PairResult pair =
        makePair(name, different ? PairStatus::kDifferent : PairStatus::kSame);
    zudiz::Result& r = pair.result;
    r.counts.linesCompared = 2000 + i % 977;
    if (i % 3 == 0) {
      r.counts.tinyExcused = 1;
      addNumber(r, 100.0, 100.02 + (i % 7) * 0.001, 40, 40, Verdict::kTiny);
    }
    if (different) {
      std::string t1;
      std::string t2;
      addColumn(t1, t2, "0.316",
                std::to_string(0.3 + i % 50 * 0.01).substr(0, 5));
      addColumn(t1, t2, "PASS", "REVIEW");
      r.pairs.push_back(
          listed(25, 26, 0, withoutFinalBlank(t1), withoutFinalBlank(t2)));
      addNumber(r, 0.316,
                std::stod(std::to_string(0.3 + i % 50 * 0.01).substr(0, 5)), 25,
                26, Verdict::kListed);
      r.counts.linesDiffered = 1;
      r.counts.wordDifferences = 1;
      r.counts.numericDifferences = 1;
    }
    r.output = programOutput("RUN1.RPT", "RUN2.RPT", r);
    if (!different) {
      r.output.clear();  // same pairs keep no output worth showing
    }
    run.pairs.push_back(std::move(pair));
  }
  std::sort(
      run.pairs.begin(), run.pairs.end(),
      [](const PairResult& a, const PairResult& b) { return a.name < b.name; });
  return run;
}

// Every line of every pair differs: the listing stops at the program's cap
// of 100 pairs, the library keeps 10000 records and counts the rest.
SuiteRun wideRun() {
  SuiteRun run;
  run.version = std::string(zudiz::kVersion);
  run.baseline = "release-a";
  run.candidate = "release-b";
  run.date = "2026-11-03T02:00:00Z";
  run.seconds = 95;
  for (int i = 0; i < 1000; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "model%03d/analysis.rpt", i);
    PairResult pair = makePair(name, PairStatus::kDifferent);
    zudiz::Result& r = pair.result;
    // A report of 1 MB: about 14000 table lines of five numbers each.
    const int kLines = 14000;
    for (int line = 1; line <= kLines; ++line) {
      std::string t1;
      std::string t2;
      for (int k = 0; k < 5; ++k) {
        int base = 1000 + (line * 37 + k * 101 + i) % 90000;
        double value1 = base / 1000.0;
        double value2 = value1 * (1.0 + ((line + k) % 11 + 1) * 0.0137);
        if (r.numbers.size() < zudiz::kMaxNumbers) {
          r.numbers.push_back({value1, value2, line, line, Verdict::kListed});
        } else {
          r.numbersCut = true;
        }
        r.histogram
            .counts[histogramBucket(relativeDifference(value1, value2))][0] +=
            1;
        if (line <= 100) {
          char a[32];
          char b[32];
          std::snprintf(a, sizeof a, "%.3f", value1);
          std::snprintf(b, sizeof b, "%.3f", value2);
          addColumn(t1, t2, a, b);
        }
      }
      if (line <= 100) {
        r.pairs.push_back(listed(line + 6, line + 6, 0, withoutFinalBlank(t1),
                                 withoutFinalBlank(t2)));
      }
    }
    r.counts = {0, kLines, kLines, 0, kLines * 5, 0, 0};
    r.output = programOutput("ANALYSIS.RPT", "ANALYSIS.RPT", r, 100);
    pair.seconds = 0.09;
    run.pairs.push_back(std::move(pair));
  }
  return run;
}

// One pair compared by the library: 20000 lines whose numbers differ by
// less than 0.1 %, then one line whose number moved from 80 to 50. Its
// largest difference must be that last one, however many came before.
SuiteRun tailRun() {
  std::string one = "TITLE\nPROJECT\n\n";
  std::string two = one;
  for (int line = 0; line < 20000; ++line) {
    const std::string name = "  ROW" + std::to_string(line) + "  ";
    one += name + std::to_string(1000 + line) + ".0000\n";
    two += name + std::to_string(1000 + line) + ".0001\n";
  }
  one += "  LAST  80.0\n";
  two += "  LAST  50.0\n";
  SuiteRun run;
  run.version = std::string(zudiz::kVersion);
  run.baseline = "tail/baseline";
  run.candidate = "tail/candidate";
  PairResult pair = makePair("drift/tail.rpt", PairStatus::kDifferent);
  pair.result = zudiz::compareTexts(one, two, "", "TAIL1.RPT", "TAIL2.RPT");
  run.pairs.push_back(std::move(pair));
  return run;
}

// --- What the test expects
// ----------------------------------------------------

// A JSON string of bytes: names pass as UTF-8; with `bytewise`, each byte
// stands for the character of the same number.
std::string jsonString(std::string_view text, bool bytewise) {
  std::string out = "\"";
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\' || c < 0x20 || c == 0x7F ||
        (bytewise && c >= 0x80)) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string expectations(const SuiteRun& run) {
  std::string out = "{\"pairs\": [\n";
  for (std::size_t i = 0; i < run.pairs.size(); ++i) {
    const PairResult& pair = run.pairs[i];
    out += "{\"name\": " + jsonString(pair.name, false) + ", \"status\": \"" +
           statusWord(pair.status) +
           "\", \"output\": " + jsonString(pair.result.output, true) + "}";
    out += i + 1 < run.pairs.size() ? ",\n" : "\n";
  }
  out += "],\n\"histogram\": [";
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    out += b > 0 ? ", [" : "[";
    for (int v = 0; v < zudiz::kVerdicts; ++v) {
      std::int64_t count = 0;
      for (const PairResult& pair : run.pairs) {
        count += pair.result.histogram.counts[b][v];
      }
      out += (v > 0 ? ", " : "") + std::to_string(count);
    }
    out += "]";
  }
  return out + "]}\n";
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: html_sample DIR [mixed] [large] [wide] [tail] "
                 "[paged] [paged-large]\n";
    return 2;
  }
  std::string dir = argv[1];
  std::vector<std::string> names(argv + 2, argv + argc);
  if (names.empty()) {
    names = {"mixed", "large"};
  }
  for (const std::string& name : names) {
    SuiteRun run;
    if (name == "mixed" || name == "paged") {
      run = mixedRun();
    } else if (name == "large" || name == "paged-large") {
      run = largeRun();
    } else if (name == "wide") {
      run = wideRun();
    } else if (name == "tail") {
      run = tailRun();
    } else {
      std::cerr << "html_sample: no run called " << name << "\n";
      return 2;
    }
    auto start = std::chrono::steady_clock::now();
    suite::StringSink sink;
    suite::writeHtml(run, suite::VectorPairs(run.pairs), sink, 100,
                     suite::kHtmlBudget,
                     name.rfind("paged", 0) == 0 ? 0 : suite::kHtmlRowsInline);
    const std::string& page = sink.text();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
    if (!writeFile(dir + "/" + name + ".html", page) ||
        !writeFile(dir + "/" + name + ".json", expectations(run))) {
      std::cerr << "html_sample: cannot write to " << dir << "\n";
      return 1;
    }
    std::printf("%s.html: %zu pairs, %zu bytes, exported in %.3f s\n",
                name.c_str(), run.pairs.size(), page.size(), seconds);
  }
  return 0;
}
