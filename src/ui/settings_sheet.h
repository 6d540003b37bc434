// The Settings sheet: File Transfer, Video Capture, Text Effects, Overlay and
// Archive, each a tab of one property sheet.
#pragma once

#include "common/win32.h"
#include "ui/settings_sheet_host.h"

namespace kelpo {

// Runs the sheet modally, owned by `owner`, and returns when it closes. Its
// modal loop goes on dispatching the owner's messages, so pictures and
// uploads continue meanwhile. A page's window is made the first time its tab
// is shown, and only pages made are applied. Asked again while it is open,
// it opens no second sheet but brings the open one to the front, restored.
void OpenSettingsSheet(HWND owner, SettingsSheetHost& host);

}  // namespace kelpo
