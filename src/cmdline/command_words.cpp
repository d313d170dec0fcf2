#include "cmdline/command_words.h"

#include "core/run_state.h"

namespace {

constexpr char kQuote = '"';
constexpr char kBlank = ' ';

// Walks the command line word by word. The line ends at its first zero
// character or at the end of the view, whichever comes first.
class WordScanner {
 public:
  explicit WordScanner(std::string_view line, std::size_t pos = 0)
      : line_(line.substr(0, line.find('\0'))), pos_(pos) {}

  // Where the next word's scan starts.
  std::size_t pos() const { return pos_; }

  // Moves past the next word and, when `word` is given, stores its text
  // there (cut to the capacity). False when no word is left.
  bool next(Word* word);

 private:
  // Position of the first `c` at or after `from`, or the end of the line.
  std::size_t find(char c, std::size_t from) const {
    std::size_t at = line_.find(c, from);
    return at == std::string_view::npos ? line_.size() : at;
  }
  std::size_t findBlankOrQuote(std::size_t from) const {
    std::size_t at = line_.find_first_of("\" ", from);
    return at == std::string_view::npos ? line_.size() : at;
  }
  // line_[from, to) appended to `word`.
  void take(Word* word, std::size_t from, std::size_t to) const {
    if (word != nullptr) {
      word->append(line_.substr(from, to - from));
    }
  }

  std::string_view line_;
  std::size_t pos_ = 0;
};

bool WordScanner::next(Word* word) {
  if (word != nullptr) {
    word->clear();
  }
  while (pos_ < line_.size() && line_[pos_] == kBlank) {
    ++pos_;
  }
  if (pos_ >= line_.size()) {
    return false;
  }
  const std::size_t start = pos_;
  const std::size_t end = line_.size();

  // A word in quotes: the text between them; the next word may follow the
  // closing quote directly.
  if (line_[start] == kQuote) {
    std::size_t close = find(kQuote, start + 1);
    take(word, start + 1, close);
    pos_ = close < end ? close + 1 : end;
    return true;
  }

  std::size_t stop = findBlankOrQuote(start);
  if (stop == end || line_[stop] == kBlank) {
    take(word, start, stop);
    pos_ = stop < end ? stop + 1 : end;
    return true;
  }

  // A quote inside the word: the word takes in everything up to the
  // matching quote, blanks included.
  std::size_t close = find(kQuote, stop + 1);
  if (close == end) {
    take(word, start, end);
    pos_ = end;
    return true;
  }
  const bool isSwitch = line_[start] == '/';
  const std::size_t after = close + 1;
  if (!isSwitch || after == end || line_[after] == kBlank ||
      line_[after] == kQuote) {
    take(word, start, after);
    pos_ = after;
    return true;
  }

  // A switch whose quoted value goes on after the closing quote
  // (/T:"C:\My Dir"\x.rpt): the closing quote moves to the end of the word,
  // which runs to the next quote or the end of the line.
  std::size_t last = find(kQuote, after);
  take(word, start, close);
  take(word, after, last);
  if (word != nullptr) {
    word->append("\"");
  }
  if (last == end) {
    pos_ = end;
  } else if (last + 1 < end && line_[last + 1] == kQuote) {
    pos_ = last + 2;
  } else {
    pos_ = last + 1;
  }
  return true;
}

}  // namespace

std::uint32_t argumentCount(std::string_view commandLine) {
  WordScanner scanner(commandLine);
  std::uint32_t words = 0;
  while (scanner.next(nullptr)) {
    ++words;
  }
  return words == 0 ? 0 : words - 1;
}

std::uint32_t argumentCount(RunState& run) {
  if (const std::vector<std::string>* words = run.host.splitWords()) {
    return words->empty() ? 0 : static_cast<std::uint32_t>(words->size() - 1);
  }
  return argumentCount(run.host.commandLine());
}

ArgumentReader::ArgumentReader(std::string_view commandLine)
    : line_(commandLine.substr(0, commandLine.find('\0'))) {
  WordScanner scanner(line_);
  scanner.next(nullptr);  // the program's name
  pos_ = scanner.pos();
}

ArgumentReader::ArgumentReader(Host& host)
    : ArgumentReader(host.commandLine()) {
  splitWords_ = host.splitWords();
  if (splitWords_ != nullptr) {
    pos_ = 1;  // past the program's name
  }
}

bool ArgumentReader::next(Word& word) {
  if (splitWords_ != nullptr) {
    word.clear();
    if (pos_ >= splitWords_->size()) {
      return false;
    }
    whole_ = (*splitWords_)[pos_].c_str();
    word.append((*splitWords_)[pos_++]);
    return true;
  }
  WordScanner scanner(line_, pos_);
  const bool found = scanner.next(&word);
  pos_ = scanner.pos();
  return found;
}

bool nextArgument(RunState& run, ArgumentReader& reader, Word& word) {
  const bool found = reader.next(word);
  run.host.convertToOem(word.begin(), word.length);
  return found;
}
