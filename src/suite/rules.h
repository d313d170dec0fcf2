// Switches by folder: rules that give the pairs whose path matches a
// pattern more switches after the global --switches. They come from
// --switches-for PATTERN=SWITCHES and from a rules file of `PATTERN SWITCHES`
// lines; the suite's main reads them once and adds each pair's to its own
// switches before the run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace suite {

struct SwitchRule {
  std::string pattern;   // as --glob takes it
  std::string switches;  // the program's switch words
  std::string where;     // for messages: "--switches-for 'PATTERN=SW'" or
                         // "rules.txt line 3"
};

// The rule of one --switches-for value, PATTERN=SWITCHES (split at the first
// '='). Returns false with `error` set when there is no '=' or no pattern.
bool parseRuleOption(std::string_view text, SwitchRule* rule,
                     std::string* error);

// The rules of a rules file's text: one `PATTERN SWITCHES...` a line, blanks
// between words, double quotes around a pattern with blanks, `#` comments and
// blank lines skipped. `fileName` names the file in `where` and in errors.
// Returns false with `error` set on a line with an open quote or without
// switches.
bool parseRulesFile(std::string_view text, const std::string& fileName,
                    std::vector<SwitchRule>* rules, std::string* error);

// The path a pair's name stands for: the name without the " (line N)" a
// pair list adds to a path it repeats.
std::string_view pathOfName(std::string_view name);

// The switches the rules give the pair named `name` (its relative path, or
// the list line's first path): those of every matching rule, in order,
// blank-separated; "" when none matches.
std::string ruleSwitches(const std::vector<SwitchRule>& rules,
                         std::string_view name);

}  // namespace suite
