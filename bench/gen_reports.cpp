// gen_reports: writes pairs of report files for the benchmarks.
//
//   gen_reports pair VARIANT SIZE FILE1 FILE2 [SEED]
//   gen_reports small COUNT DIR [SIZE]
//   gen_reports worst KIND SIZE FILE1 FILE2
//
// A report is paged text with CR LF line ends: every page opens with a form
// feed, a title and a project line (the title carries the run time, so it
// differs between the two files), two column-head lines and a blank line,
// then a "D&T=" line (also with the run time) and the body: sections of
// tables that mix words and numbers in every written form the comparison
// knows (integers, decimals, thousands separators, E/e/D/d exponents, signs,
// unit suffixes), runs of blank lines, now and then a plot section between
// two Ctrl-U bytes, whitespace codes in trailing blanks and hidden lines.
//
// VARIANT says how file 2 differs from file 1 beyond the title and D&T=
// lines:
//   same   not at all;
//   tiny   about 1% of the numbers changed by one unit in their last written
//          digit, only where the comparison excuses it (below 0.1% of the
//          value, or a last-place-only difference);
//   lines  about 0.1% of the lines changed, inserted or deleted (table
//          and log lines only, never the page frame);
//   all    every table and log line changed: every number of a table row
//          doubled, every log line written anew;
//   half   every other table and log line changed that way;
//   extra  every tenth table or log line followed by an extra line of
//          file 2.
//
// SIZE is a byte count with an optional K, M or G suffix (powers of 1024);
// file 1 is cut at the first page end at or past it. `small` writes COUNT
// pairs DIR/NNNN.1.rpt and DIR/NNNN.2.rpt (default SIZE 20K, which makes
// files of about 22 KB), the variants taking turns, and DIR/pairs.txt
// listing them one pair per line. `worst` writes a pair of inputs built to
// be slow (see WorstWriter for the kinds).
//
// The output depends only on the arguments: a fixed-seed generator of its
// own, integer arithmetic only, identical bytes on every machine. A summary
// of what was written goes to standard error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// --- Random numbers ----------------------------------------------------------

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // In [0, n), n > 0 (the bias of the modulo is of no concern here).
  std::uint64_t below(std::uint64_t n) { return next() % n; }

  // Uniform in [lo, hi].
  std::int64_t range(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(
                    below(static_cast<std::uint64_t>(hi - lo) + 1));
  }

  // True with probability perMillion / 1e6.
  bool chance(std::uint64_t perMillion) { return below(1000000) < perMillion; }

  template <typename T, std::size_t N>
  const T& pick(const T (&items)[N]) {
    return items[below(N)];
  }

 private:
  std::uint64_t state_;
};

std::uint64_t mixSeed(std::uint64_t a, std::uint64_t b) {
  Rng r(a * 0x100000001B3ull ^ b);
  return r.next();
}

// --- Numbers
// -------------------------------------------------------------------

// A number as written: sign, the digits of the mantissa as one integer with
// `decimals` of them after the point, an optional exponent and unit suffix.
struct Num {
  std::uint64_t mantissa = 0;
  int decimals = 0;
  bool negative = false;
  bool plusSign = false;   // write '+' before a positive number
  bool thousands = false;  // group the integer part with commas
  char expLetter = 0;      // 'E', 'e', 'D', 'd' or 0 for none
  int exponent = 0;
  bool expPlus = false;  // write '+' before a positive exponent
  int expDigits = 1;     // the exponent is zero-padded to this many digits
  const char* unit = "";
};

void appendNum(const Num& n, std::string& out) {
  char digits[32];
  int len = std::snprintf(digits, sizeof digits, "%0*llu", n.decimals + 1,
                          static_cast<unsigned long long>(n.mantissa));
  int intLen = len - n.decimals;
  if (n.negative) {
    out += '-';
  } else if (n.plusSign) {
    out += '+';
  }
  for (int i = 0; i < intLen; ++i) {
    if (n.thousands && i > 0 && (intLen - i) % 3 == 0) {
      out += ',';
    }
    out += digits[i];
  }
  if (n.decimals > 0) {
    out += '.';
    out.append(digits + intLen, static_cast<std::size_t>(n.decimals));
  }
  if (n.expLetter != 0) {
    out += n.expLetter;
    if (n.exponent < 0) {
      out += '-';
    } else if (n.expPlus) {
      out += '+';
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "%0*d", n.expDigits,
                  n.exponent < 0 ? -n.exponent : n.exponent);
    out += exp;
  }
  out += n.unit;
}

// The place q of the last written digit in value terms: the last digit
// stands for 10^q.
int valuePlace(const Num& n) {
  return (n.expLetter != 0 ? n.exponent : 0) - n.decimals;
}

// The place the comparison gives the last digit from the written text: for
// a D exponent it counts every character after the point, the exponent
// included, since only E and e mark an exponent there.
int writtenPlace(const Num& n) {
  if (n.expLetter == 'D' || n.expLetter == 'd') {
    if (n.decimals == 0) {
      return 0;
    }
    int absExp = n.exponent < 0 ? -n.exponent : n.exponent;
    int digits = 1;
    for (int v = absExp; v >= 10; v /= 10) {
      ++digits;
    }
    int expChars = digits > n.expDigits ? digits : n.expDigits;
    if (n.exponent < 0 || n.expPlus) {
      ++expChars;
    }
    return -(n.decimals + 1 + expChars);
  }
  return valuePlace(n);
}

// True when mantissa x 10^place < limit, in exact integer arithmetic (the
// mantissas and places made here keep both sides far below 2^64).
bool magnitudeBelow(std::uint64_t mantissa, int place, std::uint64_t limit) {
  std::uint64_t left = mantissa;
  std::uint64_t right = limit;
  for (int i = 0; i < place; ++i) {
    if (left > UINT64_MAX / 10) {
      return false;
    }
    left *= 10;
  }
  for (int i = 0; i < -place; ++i) {
    right *= 10;
  }
  return left < right;
}

// Whether moving the last digit by one unit is a difference the comparison
// excuses by default. Values are held to four decimal places and capped at
// 429496.7295, so the last digit must stand for 10^-4 or more and the value
// must stay well below the cap. Then the step 10^q is excused as tiny when
// it is below 0.1% of the mean value (mantissa above 1000, with a margin),
// or as last-place-only when it lies at or below the written last place and
// that place is a decimal one.
bool tinyChangeExcused(const Num& n) {
  int q = valuePlace(n);
  if (n.mantissa < 2 || q < -4 || !magnitudeBelow(n.mantissa + 1, q, 400000)) {
    return false;
  }
  if (n.mantissa >= 1010) {
    return true;
  }
  int p = writtenPlace(n);
  return q <= p && p < 0;
}

// Moves the last digit by one unit (down for a 9, so no digit is added).
Num tinyChange(Num n) {
  n.mantissa = n.mantissa % 10 == 9 ? n.mantissa - 1 : n.mantissa + 1;
  return n;
}

// Whether doubling the value is sure to count as a numeric difference.
bool bigChangeCounted(const Num& n) {
  return n.mantissa >= 10 && valuePlace(n) >= -4 &&
         magnitudeBelow(n.mantissa, valuePlace(n), 150000);
}

Num bigChange(Num n) {
  n.mantissa = n.mantissa * 2 + 1;
  return n;
}

// The written forms of a table column.
enum class Form {
  kInt,           // 742
  kIntLarge,      // 48213
  kIntSigned,     // -317, +42
  kDec1,          // 812.4
  kDec2Signed,    // -1234.56
  kDec3Unit,      // 12.500kg, 4.750kN
  kDec4,          // 0.0042
  kDec6,          // 3.141593
  kThousands2,    // 1,234,567.89
  kThousandsInt,  // 12,345
  kExpUpper,      // 1.500E+03
  kExpLower,      // 2.50e-3
  kExpD,          // 1.0D5, 3.25d-02
  kUnitShort,     // 12.5kg, 300mm, 85%
  kFormCount,
};

const char* const kUnits[] = {"kg", "mm", "kN", "Pa",  "s",
                              "m",  "t",  "%",  "MPa", "kNm"};

// Per-column choices that stay the same down a table.
struct Column {
  Form form = Form::kInt;
  int width = 8;
  int decimals = 1;
  const char* unit = "";
  char expLetter = 'E';
  bool expPlus = true;
  int expDigits = 2;
  bool plusSign = false;
};

Column makeColumn(Rng& rng) {
  Column c;
  c.form = static_cast<Form>(rng.below(static_cast<int>(Form::kFormCount)));
  c.unit = rng.pick(kUnits);
  c.plusSign = rng.chance(300000);
  switch (c.form) {
    case Form::kInt:
      c.width = 6;
      break;
    case Form::kIntLarge:
      c.width = 8;
      break;
    case Form::kIntSigned:
      c.width = 7;
      break;
    case Form::kDec1:
      c.width = 9;
      break;
    case Form::kDec2Signed:
      c.width = 11;
      break;
    case Form::kDec3Unit:
      c.width = 12;
      c.unit = rng.chance(500000) ? "kg" : "kN";
      break;
    case Form::kDec4:
      c.width = 9;
      break;
    case Form::kDec6:
      c.width = 11;
      break;
    case Form::kThousands2:
      c.width = 16;
      break;
    case Form::kThousandsInt:
      c.width = 11;
      break;
    case Form::kExpUpper:
      c.width = 11;
      c.expLetter = 'E';
      c.expPlus = true;
      c.expDigits = 2;
      break;
    case Form::kExpLower:
      c.width = 9;
      c.expLetter = 'e';
      c.expPlus = false;
      c.expDigits = 1;
      break;
    case Form::kExpD:
      c.width = 12;
      c.expLetter = rng.chance(700000) ? 'D' : 'd';
      c.expPlus = rng.chance(500000);
      c.expDigits = static_cast<int>(rng.range(1, 2));
      c.decimals = static_cast<int>(rng.range(1, 5));
      break;
    case Form::kUnitShort:
      c.width = 10;
      c.decimals = static_cast<int>(rng.range(0, 2));
      break;
    case Form::kFormCount:
      break;
  }
  return c;
}

Num makeNum(Rng& rng, const Column& c) {
  Num n;
  switch (c.form) {
    case Form::kInt:
      n.mantissa = rng.below(1000);
      break;
    case Form::kIntLarge:
      n.mantissa = static_cast<std::uint64_t>(rng.range(1000, 99999));
      break;
    case Form::kIntSigned:
      n.mantissa = rng.below(501);
      n.negative = rng.chance(500000) && n.mantissa != 0;
      n.plusSign = c.plusSign;
      break;
    case Form::kDec1:
      n.mantissa = rng.below(100000);
      n.decimals = 1;
      break;
    case Form::kDec2Signed:
      n.mantissa = rng.below(1000000);
      n.decimals = 2;
      n.negative = rng.chance(400000);
      break;
    case Form::kDec3Unit:
      n.mantissa = static_cast<std::uint64_t>(rng.range(1, 999999));
      n.decimals = 3;
      n.unit = c.unit;
      break;
    case Form::kDec4:
      n.mantissa = static_cast<std::uint64_t>(rng.range(1, 99999));
      n.decimals = 4;
      n.negative = rng.chance(200000);
      break;
    case Form::kDec6:
      n.mantissa = static_cast<std::uint64_t>(rng.range(1, 9999999));
      n.decimals = 6;
      break;
    case Form::kThousands2:
      n.mantissa = static_cast<std::uint64_t>(rng.range(100000, 99999999999));
      n.decimals = 2;
      n.thousands = true;
      break;
    case Form::kThousandsInt:
      n.mantissa = static_cast<std::uint64_t>(rng.range(1000, 9999999));
      n.thousands = true;
      break;
    case Form::kExpUpper:
      n.mantissa = static_cast<std::uint64_t>(rng.range(1000, 9999));
      n.decimals = 3;
      n.expLetter = 'E';
      n.exponent = static_cast<int>(rng.range(-4, 5));
      n.expPlus = true;
      n.expDigits = 2;
      n.negative = rng.chance(300000);
      break;
    case Form::kExpLower:
      n.mantissa = static_cast<std::uint64_t>(rng.range(100, 999));
      n.decimals = 2;
      n.expLetter = 'e';
      n.exponent = static_cast<int>(rng.range(-5, 4));
      n.negative = rng.chance(300000);
      break;
    case Form::kExpD: {
      std::uint64_t low = 1;
      for (int i = 0; i < c.decimals; ++i) {
        low *= 10;
      }
      n.mantissa = static_cast<std::uint64_t>(
          rng.range(static_cast<std::int64_t>(low),
                    static_cast<std::int64_t>(low * 10 - 1)));
      n.decimals = c.decimals;
      n.expLetter = c.expLetter;
      n.exponent = static_cast<int>(rng.range(-3, 5));
      n.expPlus = c.expPlus;
      n.expDigits = c.expDigits;
      break;
    }
    case Form::kUnitShort:
      n.mantissa = rng.below(c.decimals == 0 ? 1000 : 10000);
      n.decimals = c.decimals;
      n.unit = c.unit;
      break;
    case Form::kFormCount:
      break;
  }
  return n;
}

// --- Output
// --------------------------------------------------------------------

class Writer {
 public:
  explicit Writer(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
      std::fprintf(stderr, "gen_reports: cannot write %s\n", path.c_str());
      std::exit(2);
    }
    buffer_.reserve(kFlushAt + 4096);
  }
  ~Writer() { close(); }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void write(std::string_view text) {
    buffer_.append(text);
    bytes_ += text.size();
    if (buffer_.size() >= kFlushAt) {
      flush();
    }
  }

  std::uint64_t bytes() const { return bytes_; }

  void close() {
    if (file_ == nullptr) {
      return;
    }
    flush();
    if (std::fclose(file_) != 0) {
      std::fprintf(stderr, "gen_reports: cannot write %s\n", path_.c_str());
      std::exit(2);
    }
    file_ = nullptr;
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;

  void flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(),
                                        file_) != buffer_.size()) {
      std::fprintf(stderr, "gen_reports: cannot write %s\n", path_.c_str());
      std::exit(2);
    }
    buffer_.clear();
  }

  std::string path_;
  std::FILE* file_ = nullptr;
  std::string buffer_;
  std::uint64_t bytes_ = 0;
};

// --- Reports
// -------------------------------------------------------------------

enum class Variant { kSame, kTiny, kLines, kAll, kHalf, kExtra };

struct Stats {
  std::uint64_t pages = 0;
  std::uint64_t lines = 0;      // lines of file 1, plot lines not counted
  std::uint64_t bodyLines = 0;  // table and text lines that may change
  std::uint64_t numbers = 0;
  std::uint64_t tinyChanged = 0;
  std::uint64_t linesChanged = 0;
  std::uint64_t linesInserted = 0;
  std::uint64_t linesDeleted = 0;
  std::uint64_t plotSections = 0;
  std::uint64_t codedLines = 0;
  std::uint64_t hiddenLines = 0;
};

constexpr std::string_view kEol = "\r\n";

const char* const kSectionNames[] = {
    "MEMBER FORCES",      "NODE DISPLACEMENTS", "SUPPORT REACTIONS",
    "ELEMENT STRESSES",   "MODAL ANALYSIS",     "LOAD COMBINATIONS",
    "MASS SUMMARY",       "BUCKLING FACTORS",   "TEMPERATURE FIELD",
    "CONVERGENCE REPORT", "SPRING FORCES",      "SECTION PROPERTIES"};
const char* const kLabelStems[] = {"BEAM", "COL",   "NODE",  "SHELL", "TRUSS",
                                   "SPRG", "PLATE", "BRACE", "TIE",   "SLAB"};
const char* const kStatus[] = {"OK", "OK",   "OK",    "OK",
                               "OK", "WARN", "CHECK", "n/a"};
const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                               "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Writes one pair of reports. File 1 comes from `seed` alone, so the three
// variants of one seed share it; the changes of file 2 come from a second
// stream.
class PairWriter {
 public:
  PairWriter(Variant variant, std::uint64_t seed, Writer& one, Writer& two)
      : variant_(variant),
        content_(mixSeed(seed, 1)),
        changes_(mixSeed(seed, 2 + static_cast<std::uint64_t>(variant))),
        one_(one),
        two_(two) {
    project_ = "BRIDGE-" + std::to_string(content_.range(100, 999)) + "/" +
               std::string(1, static_cast<char>('A' + content_.below(26)));
    runSeconds_[0] = content_.range(0, 86400 * 300);
    runSeconds_[1] = runSeconds_[0] + content_.range(3600, 86400 * 30);
  }

  void writeUntil(std::uint64_t size) {
    while (one_.bytes() < size) {
      writePage();
    }
  }

  const Stats& stats() const { return stats_; }

 private:
  // --- Lines of both files ---

  void both(std::string_view line) {
    one_.write(line);
    two_.write(line);
  }

  void bothLine(const std::string& text) {
    both(text);
    both(kEol);
    ++stats_.lines;
    ++pageLines_;
  }

  void eachLine(const std::string& a, const std::string& b) {
    one_.write(a);
    one_.write(kEol);
    two_.write(b);
    two_.write(kEol);
    ++stats_.lines;
    ++pageLines_;
  }

  // A body line that the lines variant may change, delete or follow with an
  // inserted line. `changed` is file 2's text when the line is changed;
  // `inserted` gives an extra line of file 2.
  template <typename MakeChanged, typename MakeInserted>
  void bodyLine(const std::string& text, MakeChanged makeChanged,
                MakeInserted makeInserted) {
    ++stats_.bodyLines;
    if (variant_ == Variant::kAll ||
        (variant_ == Variant::kHalf && stats_.bodyLines % 2 == 0)) {
      eachLine(text, makeChanged());
      ++stats_.linesChanged;
      return;
    }
    if (variant_ == Variant::kExtra && stats_.bodyLines % 10 == 0) {
      eachLine(text, text);
      two_.write(makeInserted());
      two_.write(kEol);
      ++stats_.linesInserted;
      return;
    }
    if (variant_ != Variant::kLines || !changes_.chance(1300)) {
      eachLine(text, tinyText_.empty() ? text : tinyText_);
      return;
    }
    switch (changes_.below(3)) {
      case 0:
        eachLine(text, makeChanged());
        ++stats_.linesChanged;
        break;
      case 1:
        eachLine(text, text);
        two_.write(makeInserted());
        two_.write(kEol);
        ++stats_.linesInserted;
        break;
      default:
        one_.write(text);
        one_.write(kEol);
        ++stats_.lines;
        ++pageLines_;
        ++stats_.linesDeleted;
        break;
    }
  }

  void blankRun(int count) {
    for (int i = 0; i < count; ++i) {
      bothLine("");
    }
  }

  // --- Page frame ---

  std::string stamp(int file, const char* form) const {
    std::int64_t t = runSeconds_[file] + static_cast<std::int64_t>(page_) * 7;
    std::int64_t day = t / 86400;
    std::int64_t sec = t % 86400;
    char text[64];
    std::snprintf(text, sizeof text, form, static_cast<int>(day % 28 + 1),
                  kMonths[day / 28 % 12], static_cast<int>(sec / 3600),
                  static_cast<int>(sec / 60 % 60), static_cast<int>(sec % 60));
    return text;
  }

  void writePage() {
    ++page_;
    ++stats_.pages;
    pageLines_ = 0;
    both("\f");
    char pageNo[32];
    std::snprintf(pageNo, sizeof pageNo, "PAGE %5llu",
                  static_cast<unsigned long long>(page_));
    const char* titleForm =
        "  VAV 7.3   STRUCTURAL ANALYSIS    RUN %02d-%s-2024 %02d:%02d:%02d";
    eachLine(stamp(0, titleForm) + "    " + pageNo,
             stamp(1, titleForm) + "    " + pageNo);
    bothLine("  PROJECT " + project_ +
             "   ANALYSIS LINEAR-STATIC   UNITS kN,m,s");
    bothLine("    ID  ELEMENT        VALUES" + std::string(60, ' ') + "STATUS");
    bothLine("  " + std::string(96, '-'));
    blankRun(1);
    const char* tagForm = "D&T= %02d-%s-2024 %02d:%02d:%02d  JOB VAV-LINEAR";
    eachLine(stamp(0, tagForm), stamp(1, tagForm));
    int target = static_cast<int>(content_.range(56, 64));
    while (pageLines_ < target - 3) {
      writeSection(target);
      if (pageLines_ < target - 3) {
        if (content_.chance(30000)) {
          writePlot();
        }
        blankRun(content_.chance(100000)
                     ? static_cast<int>(content_.range(4, 6))
                     : static_cast<int>(content_.range(1, 2)));
      }
    }
    bothLine("  END OF PAGE " + std::to_string(page_));
  }

  // --- Sections ---

  void writeSection(int target) {
    ++section_;
    if (content_.chance(250000)) {
      writeLog(target);
      return;
    }
    std::vector<Column> columns(static_cast<std::size_t>(content_.range(3, 7)));
    for (Column& c : columns) {
      c = makeColumn(content_);
    }
    bothLine("  SECTION " + std::to_string(section_) + "  " +
             content_.pick(kSectionNames) + " (LOAD CASE " +
             std::to_string(content_.range(1, 40)) + ")");
    int rows = static_cast<int>(content_.range(4, 18));
    for (int r = 0; r < rows && pageLines_ < target - 2; ++r) {
      writeRow(columns);
      if (r + 1 < rows && pageLines_ < target - 2 && content_.chance(15000)) {
        writeHidden();
      }
    }
  }

  void writeRow(const std::vector<Column>& columns) {
    std::string label = content_.pick(kLabelStems);
    label += '-';
    label += std::to_string(content_.range(1, 9999));
    std::vector<Num> nums;
    nums.reserve(columns.size());
    for (const Column& c : columns) {
      nums.push_back(makeNum(content_, c));
    }
    const char* status = content_.pick(kStatus);
    std::uint64_t id = static_cast<std::uint64_t>(content_.range(1, 99999));
    bool coded = content_.chance(30000);
    std::string code = coded ? trailingCode() : std::string();

    std::vector<Num> second = nums;
    tinyText_.clear();
    if (variant_ == Variant::kTiny) {
      bool any = false;
      for (Num& n : second) {
        if (tinyChangeExcused(n) && changes_.chance(26000)) {
          n = tinyChange(n);
          ++stats_.tinyChanged;
          any = true;
        }
      }
      if (any) {
        tinyText_ = rowText(id, label, columns, second, status) + code;
      }
    }
    stats_.numbers += nums.size() + 1;
    std::string text = rowText(id, label, columns, nums, status) + code;
    if (coded) {
      ++stats_.codedLines;
    }
    bodyLine(
        text,
        [&] {
          std::vector<Num> big = nums;
          if (variant_ == Variant::kAll || variant_ == Variant::kHalf) {
            for (Num& n : big) {
              n = bigChange(n);
            }
            return rowText(id, label, columns, big, status) + code;
          }
          for (Num& n : big) {
            if (bigChangeCounted(n)) {
              n = bigChange(n);
              return rowText(id, label, columns, big, status) + code;
            }
          }
          return rowText(id, label + "X", columns, nums, status) + code;
        },
        [&] {
          std::vector<Num> extra;
          for (const Column& c : columns) {
            extra.push_back(makeNum(changes_, c));
          }
          return rowText(changes_.below(100000), label, columns, extra, "NEW");
        });
    tinyText_.clear();
  }

  static std::string rowText(std::uint64_t id, const std::string& label,
                             const std::vector<Column>& columns,
                             const std::vector<Num>& nums, const char* status) {
    char head[48];
    std::snprintf(head, sizeof head, "  %6llu  %-12s",
                  static_cast<unsigned long long>(id), label.c_str());
    std::string text = head;
    std::string cell;
    for (std::size_t i = 0; i < nums.size(); ++i) {
      cell.clear();
      appendNum(nums[i], cell);
      std::size_t width = static_cast<std::size_t>(columns[i].width);
      text.append(cell.size() < width ? width - cell.size() : 1, ' ');
      text += cell;
    }
    text += "  ";
    text += status;
    return text;
  }

  // Free text with numbers in it, as a program log writes it.
  void writeLog(int target) {
    bothLine("  SECTION " + std::to_string(section_) + "  SOLVER LOG");
    int rows = static_cast<int>(content_.range(3, 10));
    for (int r = 0; r < rows && pageLines_ < target - 2; ++r) {
      std::string text = logText(content_);
      stats_.numbers += 3;
      bodyLine(
          text,
          [&] {
            return variant_ == Variant::kLines ? text + " (REVISED)"
                                               : logText(changes_);
          },
          [&] { return logText(changes_); });
    }
  }

  static std::string logText(Rng& rng) {
    char text[160];
    switch (rng.below(4)) {
      case 0:
        std::snprintf(text, sizeof text,
                      "  Iteration %d converged after %d.%03ds, residual "
                      "%d.%02de-%02d",
                      static_cast<int>(rng.range(1, 400)),
                      static_cast<int>(rng.range(0, 9)),
                      static_cast<int>(rng.range(0, 999)),
                      static_cast<int>(rng.range(1, 9)),
                      static_cast<int>(rng.range(0, 99)),
                      static_cast<int>(rng.range(6, 12)));
        break;
      case 1:
        std::snprintf(text, sizeof text,
                      "  Load step %d of %d: factor %d.%02d, max "
                      "displacement %d.%dmm at node %d",
                      static_cast<int>(rng.range(1, 20)),
                      static_cast<int>(rng.range(20, 40)),
                      static_cast<int>(rng.range(0, 1)),
                      static_cast<int>(rng.range(0, 99)),
                      static_cast<int>(rng.range(0, 250)),
                      static_cast<int>(rng.range(0, 9)),
                      static_cast<int>(rng.range(1, 99999)));
        break;
      case 2:
        std::snprintf(text, sizeof text,
                      "  Warning: element %s-%d stress ratio %d.%03d "
                      "exceeds 0.950 (limit %d,%03d kPa)",
                      rng.pick(kLabelStems),
                      static_cast<int>(rng.range(1, 9999)),
                      static_cast<int>(rng.range(0, 1)),
                      static_cast<int>(rng.range(0, 999)),
                      static_cast<int>(rng.range(1, 99)),
                      static_cast<int>(rng.range(0, 999)));
        break;
      default:
        std::snprintf(text, sizeof text,
                      "  Total mass = %d,%03d.%d kg; centre of mass x=%d.%03d "
                      "y=%d.%03d z=-%d.%03d",
                      static_cast<int>(rng.range(1, 999)),
                      static_cast<int>(rng.range(0, 999)),
                      static_cast<int>(rng.range(0, 9)),
                      static_cast<int>(rng.range(0, 99)),
                      static_cast<int>(rng.range(0, 999)),
                      static_cast<int>(rng.range(0, 99)),
                      static_cast<int>(rng.range(0, 999)),
                      static_cast<int>(rng.range(0, 9)),
                      static_cast<int>(rng.range(0, 999)));
        break;
    }
    return text;
  }

  // --- Filtered material ---

  // The whitespace code of a line: 4 x (v + 1) blanks whose last four spell
  // v in binary, TAB for 1, most significant first.
  std::string trailingCode() {
    int v = static_cast<int>(content_.range(1, 15));
    std::string code(static_cast<std::size_t>(4 * (v + 1) - 4), ' ');
    for (int bit = 3; bit >= 0; --bit) {
      code += (v >> bit) & 1 ? '\t' : ' ';
    }
    return code;
  }

  // A hidden line: its text ends in a TAB once its code (if any) is taken
  // off. It is always followed by a table row, never by a blank line or a
  // page end, which it would take away with it.
  void writeHidden() {
    std::string text = "  ** internal check " +
                       std::to_string(content_.range(1, 999)) + " ok\t";
    if (content_.chance(500000)) {
      text += trailingCode();
    }
    both(text);
    both(kEol);
    ++stats_.hiddenLines;
  }

  // A plot section: Ctrl-U, lines of plot data, Ctrl-U.
  void writePlot() {
    ++stats_.plotSections;
    std::string text = "\x15";
    int lines = static_cast<int>(content_.range(5, 40));
    for (int i = 0; i < lines; ++i) {
      text += "PLOT " + std::to_string(content_.range(0, 1023)) + " " +
              std::to_string(content_.range(0, 767)) + " L" +
              std::to_string(content_.range(0, 7)) + "\r\n";
    }
    text += "\x15";
    both(text);
  }

  Variant variant_;
  Rng content_;
  Rng changes_;
  Writer& one_;
  Writer& two_;
  Stats stats_;
  std::string project_;
  std::int64_t runSeconds_[2] = {0, 0};
  std::uint64_t page_ = 0;
  std::uint64_t section_ = 0;
  int pageLines_ = 0;
  std::string tinyText_;  // file 2's text of the current row in tiny
};

// --- Worst cases
// ---------------------------------------------------------------

// Inputs built to be slow with the filters on, each made of one thing over
// and over. File 2 equals file 1 but for its last line (blankruns: also the
// lengths of the blank-line runs), so that a comparison must walk both files
// to their ends.
//   pageends    a page end every two bytes ("x" FF x FF ...)
//   plotmarks   lines with a plot section of one byte every few bytes
//   hidden      three hidden lines (text ending in a TAB) to every kept
//               line, some of them right before a page end
//   codes       every line ending in a whitespace code, a quarter of them
//               hidden once the code is off
//   longlines   lines of 12000 bytes (two and a half fill the window)
//   blankruns   runs of 1 to 5000 blank lines, of other lengths in file 2
//   shortlines  lines of one byte, a page end every 60 lines
//   tinypages   pages of 3 to 6 bytes, their page end included: one or two
//               short lines of digits or letters (a million pages in about
//               4.5 MB), so that nearly every page differs from the one
//               before it
class WorstWriter {
 public:
  WorstWriter(std::string_view kind, Writer& one, Writer& two)
      : kind_(kind), rng_(mixSeed(0x3A7, kind.size())), one_(one), two_(two) {}

  static bool known(std::string_view kind) {
    for (const char* k :
         {"pageends", "plotmarks", "hidden", "codes", "longlines", "blankruns",
          "shortlines", "tinypages"}) {
      if (kind == k) {
        return true;
      }
    }
    return false;
  }

  void writeUntil(std::uint64_t size) {
    while (one_.bytes() < size) {
      writeUnit();
    }
    newPage();
    one_.write("END 1\r\n");
    two_.write("END 2\r\n");
  }

 private:
  void both(std::string_view text) {
    one_.write(text);
    two_.write(text);
  }

  // A page end with the two head lines of the next page and a blank line.
  void newPage() {
    ++page_;
    both("\f  TITLE\r\n  PAGE " + std::to_string(page_) + "\r\n\r\n");
  }

  std::string number() {
    return std::to_string(rng_.range(0, 9999)) + "." +
           std::to_string(rng_.range(0, 9));
  }

  void writeUnit() {
    if (kind_ == "pageends") {
      both("x\f");
    } else if (kind_ == "plotmarks") {
      newPage();
      for (int line = 0; line < 50; ++line) {
        std::string text = "  ROW";
        for (int i = 0; i < 12; ++i) {
          text += ' ';
          text += number();
          text += "\x15p\x15";
        }
        both(text + "\r\n");
      }
    } else if (kind_ == "hidden") {
      newPage();
      for (int line = 0; line < 40; ++line) {
        both("h\t\r\nh\t\r\n  " + number() + "\r\nh\t\r\n");
      }
      both("  last hidden\t\r\n");
    } else if (kind_ == "codes") {
      newPage();
      for (int line = 0; line < 60; ++line) {
        const int v = static_cast<int>(rng_.range(1, 15));
        std::string code(static_cast<std::size_t>(4 * v), ' ');
        for (int bit = 3; bit >= 0; --bit) {
          code += (v >> bit) & 1 ? '\t' : ' ';
        }
        both((line % 4 == 0 ? "  H\t" : "  " + number()) + code + "\r\n");
      }
    } else if (kind_ == "longlines") {
      newPage();
      for (int line = 0; line < 4; ++line) {
        std::string text = " ";
        while (text.size() < 12000) {
          text += ' ';
          text += number();
        }
        both(text + "\r\n");
      }
    } else if (kind_ == "blankruns") {
      newPage();
      for (int line = 0; line < 10; ++line) {
        both("  T " + number() + "\r\n");
        const std::int64_t runs[2] = {rng_.range(1, 5000), rng_.range(1, 5000)};
        std::string blank;
        for (int f = 0; f < 2; ++f) {
          blank.clear();
          for (std::int64_t i = 0; i < runs[f]; ++i) {
            blank += "\r\n";
          }
          (f == 0 ? one_ : two_).write(blank);
        }
      }
    } else if (kind_ == "tinypages") {
      for (int page = 0; page < 1000; ++page) {
        both(tinyPage());
      }
    } else {
      newPage();
      for (int line = 0; line < 58; ++line) {
        both("x\r\n");
      }
    }
  }

  // A page of 3 to 6 bytes: runs of 1 to 3 digits or letters, each ended
  // by a CR LF, an LF or the page's form feed.
  std::string tinyPage() {
    std::string page;
    std::int64_t left = rng_.range(2, 5);  // the bytes before the form feed
    while (left > 0) {
      const std::int64_t run = rng_.range(1, left < 3 ? left : 3);
      const char first = rng_.chance(500000) ? '0' : 'a';
      for (std::int64_t i = 0; i < run; ++i) {
        page += static_cast<char>(first + rng_.range(0, 9));
      }
      left -= run;
      if (left >= 2 && rng_.chance(600000)) {
        page += "\r\n";
        left -= 2;
      } else if (left >= 1) {
        page += '\n';
        left -= 1;
      }
    }
    return page + "\f";
  }

  std::string kind_;
  Rng rng_;
  Writer& one_;
  Writer& two_;
  std::uint64_t page_ = 0;
};

// --- Command line
// --------------------------------------------------------------

[[noreturn]] void usage() {
  std::fprintf(stderr,
               "usage: gen_reports pair same|tiny|lines|all|half|extra SIZE "
               "FILE1 FILE2 [SEED]\n"
               "       gen_reports small COUNT DIR [SIZE]\n"
               "       gen_reports worst KIND SIZE FILE1 FILE2\n"
               "SIZE is bytes with an optional K, M or G suffix.\n");
  std::exit(2);
}

std::uint64_t parseSize(const char* text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text) {
    usage();
  }
  std::uint64_t scale = 1;
  if (*end == 'K' || *end == 'k') {
    scale = 1ull << 10;
    ++end;
  } else if (*end == 'M' || *end == 'm') {
    scale = 1ull << 20;
    ++end;
  } else if (*end == 'G' || *end == 'g') {
    scale = 1ull << 30;
    ++end;
  }
  if (*end != 0) {
    usage();
  }
  return value * scale;
}

Variant parseVariant(std::string_view name) {
  if (name == "same") {
    return Variant::kSame;
  }
  if (name == "tiny") {
    return Variant::kTiny;
  }
  if (name == "lines") {
    return Variant::kLines;
  }
  if (name == "all") {
    return Variant::kAll;
  }
  if (name == "half") {
    return Variant::kHalf;
  }
  if (name == "extra") {
    return Variant::kExtra;
  }
  usage();
}

const char* variantName(Variant v) {
  switch (v) {
    case Variant::kSame:
      return "same";
    case Variant::kTiny:
      return "tiny";
    case Variant::kLines:
      return "lines";
    case Variant::kAll:
      return "all";
    case Variant::kHalf:
      return "half";
    case Variant::kExtra:
      return "extra";
  }
  return "?";
}

void printStats(const char* what, std::uint64_t bytes1, std::uint64_t bytes2,
                const Stats& s) {
  std::fprintf(stderr,
               "%s: %llu + %llu bytes, %llu pages, %llu lines (%llu body), "
               "%llu numbers; "
               "tiny %llu, changed %llu, inserted %llu, deleted %llu; "
               "plots %llu, coded %llu, hidden %llu\n",
               what, static_cast<unsigned long long>(bytes1),
               static_cast<unsigned long long>(bytes2),
               static_cast<unsigned long long>(s.pages),
               static_cast<unsigned long long>(s.lines),
               static_cast<unsigned long long>(s.bodyLines),
               static_cast<unsigned long long>(s.numbers),
               static_cast<unsigned long long>(s.tinyChanged),
               static_cast<unsigned long long>(s.linesChanged),
               static_cast<unsigned long long>(s.linesInserted),
               static_cast<unsigned long long>(s.linesDeleted),
               static_cast<unsigned long long>(s.plotSections),
               static_cast<unsigned long long>(s.codedLines),
               static_cast<unsigned long long>(s.hiddenLines));
}

int writePair(int argc, char** argv) {
  if (argc < 6 || argc > 7) {
    usage();
  }
  Variant variant = parseVariant(argv[2]);
  std::uint64_t size = parseSize(argv[3]);
  std::uint64_t seed = argc == 7 ? parseSize(argv[6]) : 1;
  Writer one(argv[4]);
  Writer two(argv[5]);
  PairWriter pair(variant, mixSeed(seed, size), one, two);
  pair.writeUntil(size);
  one.close();
  two.close();
  printStats(variantName(variant), one.bytes(), two.bytes(), pair.stats());
  return 0;
}

int writeWorst(int argc, char** argv) {
  if (argc != 6 || !WorstWriter::known(argv[2])) {
    usage();
  }
  std::uint64_t size = parseSize(argv[3]);
  Writer one(argv[4]);
  Writer two(argv[5]);
  WorstWriter worst(argv[2], one, two);
  worst.writeUntil(size);
  one.close();
  two.close();
  std::fprintf(stderr, "%s: %llu + %llu bytes\n", argv[2],
               static_cast<unsigned long long>(one.bytes()),
               static_cast<unsigned long long>(two.bytes()));
  return 0;
}

int writeSmall(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    usage();
  }
  std::uint64_t count = parseSize(argv[2]);
  std::string dir = argv[3];
  std::uint64_t size = argc == 5 ? parseSize(argv[4]) : 20 << 10;
  Writer list(dir + "/pairs.txt");
  Stats total;
  std::uint64_t bytes[2] = {0, 0};
  for (std::uint64_t i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/%04llu",
                  static_cast<unsigned long long>(i));
    std::string base = dir + name;
    Variant variant = static_cast<Variant>(i % 3);
    Writer one(base + ".1.rpt");
    Writer two(base + ".2.rpt");
    PairWriter pair(variant, mixSeed(i, 0x5A11), one, two);
    pair.writeUntil(size);
    one.close();
    two.close();
    bytes[0] += one.bytes();
    bytes[1] += two.bytes();
    const Stats& s = pair.stats();
    total.pages += s.pages;
    total.lines += s.lines;
    total.bodyLines += s.bodyLines;
    total.numbers += s.numbers;
    total.tinyChanged += s.tinyChanged;
    total.linesChanged += s.linesChanged;
    total.linesInserted += s.linesInserted;
    total.linesDeleted += s.linesDeleted;
    total.plotSections += s.plotSections;
    total.codedLines += s.codedLines;
    total.hiddenLines += s.hiddenLines;
    list.write(base + ".1.rpt " + base + ".2.rpt\n");
  }
  printStats("small", bytes[0], bytes[1], total);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    usage();
  }
  std::string_view mode = argv[1];
  if (mode == "pair") {
    return writePair(argc, argv);
  }
  if (mode == "small") {
    return writeSmall(argc, argv);
  }
  if (mode == "worst") {
    return writeWorst(argc, argv);
  }
  usage();
}
