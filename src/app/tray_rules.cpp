#include "app/tray_rules.h"

#include "app/status_rules.h"

namespace kelpo {

namespace {

constexpr wchar_t kEllipsis[] = L"...";
constexpr std::size_t kEllipsisLength = 3;
constexpr std::uintptr_t kWordMask = 0xFFFF;
constexpr unsigned kWordBits = 16;

std::int16_t SignedWord(std::uintptr_t value, unsigned shift) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> shift) & kWordMask));
}

}  // namespace

std::wstring TrayTipText(const std::wstring& format, const std::wstring& status,
                         const std::wstring& time, std::size_t capacity) {
  if (capacity == 0) return {};
  const std::size_t limit = capacity - 1;
  // One pass over the format, so a "%2" inside the status stays as it is.
  const auto fill = [&](const std::wstring& shown) {
    std::wstring text;
    for (std::size_t i = 0; i < format.size(); ++i) {
      const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
      if (format[i] == L'%' && (next == L'1' || next == L'2')) {
        text += next == L'1' ? shown : time;
        ++i;
      } else {
        text += format[i];
      }
    }
    return text;
  };
  const std::size_t fixed = fill(std::wstring()).size();
  if (fixed + status.size() <= limit) return fill(status);
  const std::size_t room = limit > fixed ? limit - fixed : 0;
  if (room <= kEllipsisLength) return CutText(fill(std::wstring()), limit);
  return fill(CutText(status, room - kEllipsisLength) + kEllipsis);
}

TrayNews DecodeTrayNews(bool version4, std::uintptr_t wParam, std::intptr_t lParam) {
  const auto bits = static_cast<std::uintptr_t>(lParam);
  TrayNews news;
  if (!version4) {
    news.event = static_cast<unsigned>(bits);
    news.iconId = static_cast<unsigned>(wParam);
    return news;
  }
  news.event = static_cast<unsigned>(bits & kWordMask);
  news.iconId = static_cast<unsigned>((bits >> kWordBits) & kWordMask);
  news.hasAnchor = true;
  news.x = SignedWord(wParam, 0);
  news.y = SignedWord(wParam, kWordBits);
  return news;
}

}  // namespace kelpo
