#include "app/message_catalogue.h"

#include "common/win32.h"

#include <iterator>
#include <vector>

namespace kelpo {

std::wstring LoadText(int id, int capacity) {
  if (capacity <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'\0');
  const int copied =
      ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id), buffer.data(), capacity);
  if (copied <= 0) return {};
  return std::wstring(buffer.data(), static_cast<size_t>(copied));
}

std::wstring LoadTextWith(int id, int capacity, const std::wstring& value) {
  std::wstring text = LoadText(id, capacity);
  constexpr wchar_t kPlace[] = L"%1";
  const std::size_t place = text.find(kPlace);
  if (place != std::wstring::npos) text.replace(place, std::size(kPlace) - 1, value);
  return text;
}

}  // namespace kelpo
