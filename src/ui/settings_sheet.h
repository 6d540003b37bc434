// The Settings property sheet.
#pragma once

#include "common/win32.h"

namespace kelpo {

// Opens the sheet modally, owned by `owner`.
void OpenSettingsSheet(HWND owner);

}  // namespace kelpo
