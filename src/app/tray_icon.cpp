#include "app/tray_icon.h"

#include "app/status_rules.h"
#include "app/tray_rules.h"
#include "common/message_catalogue.h"

#include <shellapi.h>

#include <algorithm>

namespace kelpo {

namespace {

constexpr UINT kBalloonTimeout = 10000;

// Copies a text into one of NOTIFYICONDATAW's fixed fields, cut to fit.
template <size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text, size_t capacity = N) {
  const size_t length = std::min(text.size(), std::min(capacity, N) - 1);
  std::copy_n(text.c_str(), length, field);
  field[length] = L'\0';
}

NOTIFYICONDATAW IconData(HWND window, DWORD size) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = size;
  icon.hWnd = window;
  icon.uID = kTrayIconId;
  return icon;
}

}  // namespace

void TrayIcon::Remove() {
  if (!shown_) return;
  shown_ = false;
  NOTIFYICONDATAW icon = IconData(window_, NOTIFYICONDATAW_V1_SIZE);
  (void)::Shell_NotifyIconW(NIM_DELETE, &icon);
}

bool TrayIcon::Add(HWND window, UINT callbackMessage) {
  window_ = window;
  callbackMessage_ = callbackMessage;
  if (!icon_) {
    icon_.reset(static_cast<HICON>(::LoadImageW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KELPO), IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  }
  if (tip_.empty()) tip_ = LoadText(kMsgTrayTip, kTipTextCapacity);
  // The layout of Windows Vista, the oldest Kelpo runs on: with version 4 the
  // standard tooltip shows only when NIF_SHOWTIP asks for it.
  NOTIFYICONDATAW icon = IconData(window_, sizeof(NOTIFYICONDATAW));
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  icon.uCallbackMessage = callbackMessage_;
  icon.hIcon = icon_.get();
  CopyField(icon.szTip, CutText(tip_, kTrayTipCapacity - 1));
  shown_ = ::Shell_NotifyIconW(NIM_ADD, &icon) != FALSE;
  if (!shown_) return false;
  // Asked again at every addition: the shell forgets it with the icon.
  icon.uVersion = NOTIFYICON_VERSION_4;
  version4_ = ::Shell_NotifyIconW(NIM_SETVERSION, &icon) != FALSE;
  return true;
}

void TrayIcon::SetTip(const std::wstring& text) {
  tip_ = text;
  if (!shown_) return;
  NOTIFYICONDATAW icon = IconData(window_, sizeof(NOTIFYICONDATAW));
  icon.uFlags = NIF_TIP | NIF_SHOWTIP;
  CopyField(icon.szTip, CutText(tip_, kTrayTipCapacity - 1));
  (void)::Shell_NotifyIconW(NIM_MODIFY, &icon);
}

bool TrayIcon::AddAgain() {
  // A shell that still has the icon refuses a second one with the same ID.
  NOTIFYICONDATAW icon = IconData(window_, NOTIFYICONDATAW_V1_SIZE);
  (void)::Shell_NotifyIconW(NIM_DELETE, &icon);
  shown_ = false;
  return Add(window_, callbackMessage_);
}

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  if (!shown_) return;
  // Balloons need the layout of shell version 5.0.
  NOTIFYICONDATAW balloon = IconData(window_, NOTIFYICONDATAW_V2_SIZE);
  balloon.uFlags = NIF_INFO;
  CopyField(balloon.szInfoTitle, CutText(title, kBalloonTitleLength));
  CopyField(balloon.szInfo, CutText(text, kBalloonTextLength));
  balloon.uTimeout = kBalloonTimeout;
  balloon.dwInfoFlags = NIIF_ERROR;
  (void)::Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

}  // namespace kelpo
