// The golden cases (tests/cases/<case>/ with an args file) as library calls.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct GoldenCase {
  std::string name;
  std::filesystem::path dir;
  std::vector<std::string> words;  // the args file, one word a line
  std::string expected;            // expected.txt
};

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every case with an args file, by name. (Cases with a run.sh make their
// inputs or command line with the shell.)
inline std::vector<GoldenCase> goldenCases() {
  std::vector<GoldenCase> cases;
  for (const auto& entry :
       std::filesystem::directory_iterator(ZUDIZ_CASES_DIR)) {
    const std::filesystem::path args = entry.path() / "args";
    if (!std::filesystem::exists(args)) {
      continue;
    }
    GoldenCase c;
    c.name = entry.path().filename().string();
    c.dir = entry.path();
    const std::string text = readBytes(args);
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) {
        end = text.size();
      }
      c.words.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    c.expected = readBytes(entry.path() / "expected.txt");
    cases.push_back(std::move(c));
  }
  std::sort(
      cases.begin(), cases.end(),
      [](const GoldenCase& a, const GoldenCase& b) { return a.name < b.name; });
  return cases;
}

// `words` as one switch text: each word as the POSIX program passes it on,
// in double quotes when it is empty or holds a blank.
inline std::string joinWords(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) {
    if (!line.empty()) {
      line += ' ';
    }
    const bool quote = (word.empty() || word.find(' ') != std::string::npos) &&
                       word.find('"') == std::string::npos;
    line += quote ? "\"" + word + "\"" : word;
  }
  return line;
}

// A case's words split into file names and switch words: a word that names
// a file of the case folder (or begins with one, switches glued on) gives a
// name; the rest are switch words.
struct NamesAndSwitches {
  std::vector<std::string> names;
  std::vector<std::string> switches;
};

inline NamesAndSwitches splitWords(const GoldenCase& c) {
  NamesAndSwitches split;
  for (const std::string& word : c.words) {
    if (word.empty()) {
      continue;
    }
    if (word[0] == '/') {
      split.switches.push_back(word);
      continue;
    }
    if (std::filesystem::exists(c.dir / word)) {
      split.names.push_back(word);
      continue;
    }
    const std::size_t slash = word.find('/');
    split.names.push_back(word.substr(0, slash));
    if (slash != std::string::npos) {
      split.switches.push_back(word.substr(slash));
    }
  }
  return split;
}
