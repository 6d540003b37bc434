// The program's only command-line argument.
#pragma once

namespace kelpo {

// True when the whole argument string is "oneshot" in any mix of case; a
// leading blank, quotes or a further word give the normal run.
bool IsOneShotCommandLine(const char* commandLine);

}  // namespace kelpo
