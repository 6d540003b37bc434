// The main window: a modeless dialog that stays hidden in the notification
// area, the program's central dispatcher for pictures, timers and the tray icon.
#pragma once

#include "common/win32.h"
#include "resources/resource.h"

namespace kelpo {

// The address of the product's web page, opened by "Kelpo Home Page"; the
// query tells the server which version asks.
constexpr wchar_t kHomePageAddress[] =
    L"http://www.marrowby.example/kelpo/version.php?version=" KELPO_VERSION_TEXT;

// The one notification-area icon's ID.
constexpr UINT kTrayIconId = 0;

// Dialog procedure of the main window; its creation parameter is the
// Application, kept in the window's user data.
INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kelpo
