#include "common/message_catalogue.h"

#include "common/win32.h"

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
  return LoadTextWith(id, capacity, std::vector<std::wstring>{value});
}

std::wstring LoadTextWith(int id, int capacity, const std::vector<std::wstring>& values) {
  const std::wstring text = LoadText(id, capacity);
  // One pass, so that a value is never read as a place itself.
  std::wstring filled;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool place = text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' &&
                       text[i + 1] <= L'9' &&
                       static_cast<std::size_t>(text[i + 1] - L'1') < values.size();
    if (place) {
      filled += values[static_cast<std::size_t>(text[++i] - L'1')];
    } else {
      filled += text[i];
    }
  }
  return filled;
}

}  // namespace kelpo
