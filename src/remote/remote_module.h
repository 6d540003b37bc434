// The library finds its own module by name, for its dialog template and to stop
// the sounds it started.
#pragma once

#include "common/win32.h"

namespace kelpo::remote {

inline constexpr char kRemoteModuleName[] = "kelpo_remote";

inline HMODULE RemoteModule() { return ::GetModuleHandleA(kRemoteModuleName); }

}  // namespace kelpo::remote
