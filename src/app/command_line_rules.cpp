#include "app/command_line_rules.h"

#include <vector>

namespace kelpo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) break;
    std::string argument;
    bool quoted = false;
    for (; i < text.size() && (quoted || !IsBlank(text[i])); ++i) {
      if (text[i] == '"') {
        quoted = !quoted;
      } else {
        argument += text[i];
      }
    }
    // An empty pair of quotes is no argument.
    if (!argument.empty()) arguments.push_back(std::move(argument));
  }
  return arguments;
}

// `word` is `name` in any case, after "/", "-" or (for a long option) "--".
bool IsWord(std::string_view word, std::string_view name, bool longOption) {
  if (longOption && word.substr(0, 2) == "--") {
    word.remove_prefix(2);
  } else if (!word.empty() && (word.front() == '/' || word.front() == '-')) {
    word.remove_prefix(1);
  } else if (longOption) {
    return false;
  }
  if (word.size() != name.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != name[i]) return false;
  }
  return true;
}

}  // namespace

CommandLineChoice ParseCommandLine(std::string_view commandLine) {
  const std::vector<std::string> arguments = SplitArguments(commandLine);
  CommandLineChoice choice;
  if (arguments.empty()) return choice;
  if (IsWord(arguments.front(), "oneshot", false)) {
    choice.kind = RunKind::kOneShot;
  } else if (IsWord(arguments.front(), "version", true)) {
    choice.kind = RunKind::kVersion;
  } else {
    choice.kind = RunKind::kUnknown;
    choice.unknown = arguments.front();
    return choice;
  }
  if (arguments.size() > 1) {
    choice.kind = RunKind::kUnknown;
    choice.unknown = arguments[1];
  }
  return choice;
}

}  // namespace kelpo
