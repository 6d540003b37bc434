// The version a system library reports of itself.
#pragma once

#include "common/win32.h"

namespace kelpo {

// (major << 16) | minor, each as a 16-bit word; 0 when it reports none.
DWORD QueryDllVersion(const wchar_t* fileName);

}  // namespace kelpo
