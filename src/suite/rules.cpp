#include "suite/rules.h"

#include "suite/pairing.h"

namespace suite {

bool parseRuleOption(std::string_view text, SwitchRule* rule,
                     std::string* error) {
  std::size_t equals = text.find('=');
  rule->where = "--switches-for '" + std::string(text) + "'";
  if (equals == std::string_view::npos || equals == 0) {
    *error = rule->where + ": give PATTERN=SWITCHES";
    return false;
  }
  rule->pattern = std::string(text.substr(0, equals));
  rule->switches = std::string(text.substr(equals + 1));
  return true;
}

bool parseRulesFile(std::string_view text, const std::string& fileName,
                    std::vector<SwitchRule>* rules, std::string* error) {
  rules->clear();
  std::vector<std::string> words;
  int lineNo = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNo;
    std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') {
      continue;
    }
    std::string where = fileName + " line " + std::to_string(lineNo);
    if (!splitListLine(line, &words)) {
      *error = where + ": a quote is not closed";
      return false;
    }
    if (words.size() < 2) {
      *error = where + ": give PATTERN SWITCHES";
      return false;
    }
    SwitchRule rule;
    rule.pattern = words[0];
    for (std::size_t i = 1; i < words.size(); ++i) {
      rule.switches += (i > 1 ? " " : "") + words[i];
    }
    rule.where = where;
    rules->push_back(std::move(rule));
  }
  return true;
}

std::string_view pathOfName(std::string_view name) {
  std::size_t open = name.rfind(" (line ");
  if (open == std::string_view::npos || name.back() != ')') {
    return name;
  }
  std::string_view digits = name.substr(open + 7, name.size() - 1 - (open + 7));
  if (digits.empty() ||
      digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return name;
  }
  return name.substr(0, open);
}

std::string ruleSwitches(const std::vector<SwitchRule>& rules,
                         std::string_view name) {
  name = pathOfName(name);
  std::string switches;
  for (const SwitchRule& rule : rules) {
    if (rule.switches.empty() || !passesGlobs({rule.pattern}, name)) {
      continue;
    }
    switches += (switches.empty() ? "" : " ") + rule.switches;
  }
  return switches;
}

}  // namespace suite
