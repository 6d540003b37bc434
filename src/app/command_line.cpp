#include "app/command_line.h"

#include "common/win32.h"

namespace kelpo {

bool IsOneShotCommandLine(const char* commandLine) {
  constexpr char kOneShotArgument[] = "oneshot";
  return commandLine != nullptr && ::lstrcmpiA(commandLine, kOneShotArgument) == 0;
}

}  // namespace kelpo
