// The program's command line: nothing for the tray program, "oneshot" for a
// single picture, "version" for the versions of Kelpo and its libraries.
#pragma once

#include <string>
#include <string_view>

namespace kelpo {

enum class RunKind {
  kTray,     // no argument
  kOneShot,  // "oneshot", "/oneshot" or "-oneshot" in any case
  kVersion,  // "--version", "/version" or "-version" in any case
  kUnknown,  // anything else: an error, never a silent tray run
};

struct CommandLineChoice {
  RunKind kind = RunKind::kTray;
  // The first argument Kelpo does not know, as given (without its quotes).
  std::string unknown;
};

// Reads the arguments after the program's name. Blanks (spaces and tabs)
// separate arguments and are otherwise ignored, so the blank that cmd.exe
// keeps before a redirection does not count; double quotes group an argument.
CommandLineChoice ParseCommandLine(std::string_view commandLine);

}  // namespace kelpo
