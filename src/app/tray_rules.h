// Pure rules of the notification-area icon: its tooltip and the shell's news.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelpo {

// The tooltip's field holds 128 characters with its terminating NUL.
constexpr std::size_t kTrayTipCapacity = 128;

// The tooltip: `format` with "%1" the last status and "%2" the time it was
// shown, within `capacity` characters (NUL included). A long status is cut
// and ends in "..." so that the time still shows.
std::wstring TrayTipText(const std::wstring& format, const std::wstring& status,
                         const std::wstring& time, std::size_t capacity = kTrayTipCapacity);

// What the icon's callback message says. From version 4 on, the event is the
// low word of lParam, the icon the high word, and wParam the anchor point in
// screen coordinates; before, wParam was the icon and lParam the event.
struct TrayNews {
  unsigned event = 0;
  unsigned iconId = 0;
  bool hasAnchor = false;
  int x = 0;
  int y = 0;
};
TrayNews DecodeTrayNews(bool version4, std::uintptr_t wParam, std::intptr_t lParam);

}  // namespace kelpo
