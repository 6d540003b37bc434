// The one notification-area icon, owned by the main window, with its tooltip
// and error balloons.
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"

#include <string>

namespace kelpo {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Shows the icon for `window`, which gets `callbackMessage` for its mouse
  // actions. False when the shell refuses it (it may not be ready yet).
  bool Add(HWND window, UINT callbackMessage);
  // The shell was restarted, or says so: whatever it still knows of the icon
  // is removed and the icon added anew.
  bool AddAgain();

  // Takes the icon away.
  void Remove();

  bool Shown() const { return shown_; }
  // Whether the shell took version 4 of the callback protocol: the event in
  // LOWORD(lParam), the anchor point in wParam, WM_CONTEXTMENU for the menu.
  bool Version4() const { return version4_; }

  // The tooltip, kept for the icon's next addition; cut to the shell's field.
  void SetTip(const std::wstring& text);

  // An error balloon; nothing when the icon is not shown.
  void ShowBalloon(const std::wstring& title, const std::wstring& text);

 private:
  HWND window_ = nullptr;
  UINT callbackMessage_ = 0;
  bool shown_ = false;
  bool version4_ = false;
  std::wstring tip_;
  unique_hicon icon_;
};

// The icon's ID within the main window.
constexpr UINT kTrayIconId = 0;

}  // namespace kelpo
