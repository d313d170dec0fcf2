#include "cmdline/switches.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "cmdline/usage.h"
#include "core/number.h"
#include "core/run_state.h"

namespace {

enum class Keyword {
  kUsage,
  kHelp,
  kWord,
  kLine,
  kAll,
  kLastDigit,
  kIgnore,
  kSkipHead,
  kSkipFoot,
  kVerbose,
  kNoPage,
  kPage,
  kSkipPlot,
  kKeepPlot,
};

struct KeywordEntry {
  // What must be typed, a slash, then what may follow in full or in part.
  std::string_view text;
  Keyword keyword;
};

// Tried in this order; the first entry that matches wins.
constexpr KeywordEntry kKeywordTable[] = {
    {"?", Keyword::kUsage},
    {"H/ELP", Keyword::kHelp},
    {"W/ORD", Keyword::kWord},
    {"LI/NE", Keyword::kLine},
    {"A/LL", Keyword::kAll},
    {"LA/STDIG", Keyword::kLastDigit},
    {"I/GNORE", Keyword::kIgnore},
    {"SKIPH/EAD", Keyword::kSkipHead},
    {"SKIPF/OOT", Keyword::kSkipFoot},
    {"V/ERBOSE", Keyword::kVerbose},
    {"NOP/AGE", Keyword::kNoPage},
    {"-NOP/AGE", Keyword::kPage},
    {"SKIPP/LOT", Keyword::kSkipPlot},
    {"-SKIPP/LOT", Keyword::kKeepPlot},
};

// /IGNORE alone: numbers within 0.01 % of each other are equal.
constexpr std::uint32_t kDefaultIgnorePercentUnits = 100;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

char upperCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// One command-line word while its switches are taken out of it. The word is
// upper-cased; `typed` keeps the original letter case and loses exactly the
// same characters, so what is left of both names the same file.
class SwitchReader {
 public:
  SwitchReader(RunState& run, Word& word) : run_(run), word_(word) {
    typed_ = word;
    asTyped_ = word;
    for (std::uint32_t i = 0; i < word_.length; ++i) {
      word_.data[i] = upperCase(word_.data[i]);
    }
  }

  // Applies every switch in the word, in order.
  void applySwitches();

  const Word& typed() const { return typed_; }

 private:
  std::string_view rest() const { return word_.view().substr(p_); }
  bool atEnd() const { return p_ >= word_.length; }
  std::size_t firstSlash() const { return word_.view().find('/'); }

  // Removes `count` characters at p from the word and its typed copy.
  void removeAtP(std::size_t count);

  // Tries one table entry at p; removes what matched.
  bool matchKeyword(std::string_view entry);
  void apply(Keyword keyword);
  std::int32_t readCardinal();
  std::uint32_t readRealUnits();
  [[noreturn]] void badSwitch();

  RunState& run_;
  Word& word_;
  Word typed_;
  Word asTyped_;  // the whole word as typed, nothing removed
  std::size_t p_ = 0;
};

// On POSIX, a word such as /tmp/runs/nosuch.rpt is a path, not switches,
// when the folder before its last slash exists (the folder part, when not
// empty): ends the run with "Could not open" and the upper-cased word.
// Returns when the word has no such folder part, and always on Windows.
void endIfPathInExistingFolder(RunState& run, const Word& typed) {
  const std::size_t last = typed.view().rfind('/');
  if (last == std::string_view::npos || last == 0) {
    return;
  }
  char folder[Word::kCapacity + 1];
  std::memcpy(folder, typed.begin(), last);
  folder[last] = '\0';
  if (!run.host.isExistingFolder(folder)) {
    return;
  }
  FixedText<kNameCapacity> message;
  message.append("Could not open ");
  for (char c : typed.view()) {
    const char upper = upperCase(c);
    message.append(std::string_view(&upper, 1));
  }
  fatalError(run, message.view());
}

void SwitchReader::removeAtP(std::size_t count) {
  for (Word* text : {&word_, &typed_}) {
    char* at = text->begin() + p_;
    std::size_t after = text->length - p_ - count;
    std::memmove(at, at + count, after);
    text->length -= static_cast<std::uint32_t>(count);
  }
}

bool SwitchReader::matchKeyword(std::string_view entry) {
  std::size_t slash = entry.find('/');
  std::string_view required = entry.substr(0, slash);
  std::string_view optional = slash == std::string_view::npos
                                  ? std::string_view()
                                  : entry.substr(slash + 1);
  std::string_view rest = this->rest();
  if (rest.substr(0, required.size()) != required) {
    return false;
  }
  rest.remove_prefix(required.size());
  std::size_t counted = 0;
  while (counted < optional.size() && counted < rest.size() &&
         rest[counted] == optional[counted]) {
    ++counted;
  }
  removeAtP(required.size() + counted);
  return true;
}

std::int32_t SwitchReader::readCardinal() {
  std::string_view rest = this->rest();
  std::size_t digits = 0;
  std::int64_t value = 0;
  bool tooLarge = false;
  while (digits < rest.size() && isDigit(rest[digits])) {
    if (!tooLarge) {
      value = value * 10 + (rest[digits] - '0');
      tooLarge = value > INT32_MAX;
    }
    ++digits;
  }
  removeAtP(digits);
  if (digits == 0 || tooLarge) {
    fatalError(run_, "Bad cardinal argument for switch");
  }
  return static_cast<std::int32_t>(value);
}

// Reads a real argument, rounded to four decimals as a number of a report
// is, as a count of ten-thousandths.
std::uint32_t SwitchReader::readRealUnits() {
  std::string_view rest = this->rest();
  std::size_t length = 0;
  while (length < rest.size() &&
         (isDigit(rest[length]) || rest[length] == '.')) {
    ++length;
  }
  // Scanned before it is removed from the word; the run is at most 255
  // characters, since at least the slash has gone.
  std::size_t trailing = 0;
  const std::int64_t units =
      length == 0 ? 0 : scanUnits(rest.data(), length, trailing);
  removeAtP(length);
  if (length == 0 || trailing != 0) {
    fatalError(run_, "Bad real argument for switch");
  }
  // Neither a sign nor an exponent is read, so 0 <= units <= kMaxUnits.
  return static_cast<std::uint32_t>(units);
}

void SwitchReader::badSwitch() {
  endIfPathInExistingFolder(run_, asTyped_);
  FixedText<kNameCapacity> message;
  message.append("Bad switch \"/");
  message.append(rest());
  message.append("\"");
  fatalError(run_, message.view());
}

void SwitchReader::apply(Keyword keyword) {
  Settings& settings = run_.settings;
  switch (keyword) {
    case Keyword::kUsage:
    case Keyword::kHelp:
      printUsage(run_);
      endRun(run_);
    case Keyword::kWord:
      settings.wordMode = true;
      break;
    case Keyword::kLine:
      settings.wordMode = false;
      break;
    case Keyword::kAll:
    case Keyword::kLastDigit:
      settings.showAll = true;
      break;
    case Keyword::kIgnore: {
      // Alone or with %: a percentage; with : a difference.
      bool relative = true;
      std::uint32_t units = kDefaultIgnorePercentUnits;
      if (matchKeyword("%")) {
        if (matchKeyword(":")) {
          units = readRealUnits();
        }
      } else if (matchKeyword(":")) {
        relative = false;
        units = readRealUnits();
      }
      settings.ignoreRelative = relative;
      settings.ignoreUnits = units;
      break;
    }
    case Keyword::kSkipHead:
    case Keyword::kSkipFoot:
      if (!matchKeyword(":")) {
        fatalError(run_, "Switch argument missing");
      }
      (keyword == Keyword::kSkipHead ? settings.skipHead : settings.skipFoot) =
          readCardinal();
      break;
    case Keyword::kVerbose:
      settings.maxPairs = matchKeyword(":") ? readCardinal() : kDefaultMaxPairs;
      break;
    case Keyword::kNoPage:
      settings.noPage = true;
      break;
    case Keyword::kPage:
      settings.noPage = false;
      break;
    case Keyword::kSkipPlot:
      settings.skipPlot = true;
      break;
    case Keyword::kKeepPlot:
      settings.skipPlot = false;
      break;
  }
}

void SwitchReader::applySwitches() {
  for (std::size_t slash = firstSlash(); slash != std::string_view::npos;
       slash = firstSlash()) {
    p_ = slash;
    removeAtP(1);
    if (atEnd()) {
      badSwitch();
    }
    const KeywordEntry* found = nullptr;
    for (const KeywordEntry& entry : kKeywordTable) {
      if (matchKeyword(entry.text)) {
        found = &entry;
        break;
      }
    }
    if (found == nullptr) {
      badSwitch();
    }
    apply(found->keyword);
  }
}

// True when `word`, as typed, holds a slash and names an existing file: a
// POSIX path such as runs/a.rpt, taken whole instead of as a name and
// switches. The host looks the name up as it opens files (letter case and
// backslashes tolerated).
bool isPathWithSlashes(RunState& run, const Word& word) {
  if (word.view().find('/') == std::string_view::npos) {
    return false;
  }
  char name[Word::kCapacity + 1];
  word.copyTerminated(name);
  return run.host.isExistingFile(name);
}

// `whole`: the name whole when it is longer than a Word holds, else null.
void storeFileName(RunState& run, const Word& name, const Word& typed,
                   const char* whole) {
  for (FileSlot& slot : run.files) {
    if (slot.fileName.empty()) {
      slot.fileName.assign(name.view());
      slot.typedName.assign(typed.view());
      slot.wholeName = whole;
      return;
    }
  }
  fatalError(run, "Too many files");
}

// `whole` when it is longer than a Word holds, else null.
const char* longerThanAWord(const char* whole) {
  return whole != nullptr && std::strlen(whole) > Word::kCapacity ? whole
                                                                  : nullptr;
}

}  // namespace

void processArgument(RunState& run, Word& word, const char* whole) {
  // A name too long for the word is a file only as a whole.
  const char* longName = longerThanAWord(whole);
  bool wholePath = longName != nullptr
                       ? std::strchr(longName, '/') != nullptr &&
                             run.host.isExistingFile(longName)
                       : isPathWithSlashes(run, word);
  SwitchReader reader(run, word);
  if (!wholePath) {
    reader.applySwitches();
  }
  if (!word.empty()) {
    storeFileName(run, word, reader.typed(), wholePath ? longName : nullptr);
  }
}

void processFileName(RunState& run, std::string_view name, const char* whole) {
  Word typed;
  typed.assign(name);
  if (typed.empty()) {
    return;
  }
  Word stored = typed;
  for (std::uint32_t i = 0; i < stored.length; ++i) {
    stored.data[i] = upperCase(stored.data[i]);
  }
  storeFileName(run, stored, typed, longerThanAWord(whole));
}
