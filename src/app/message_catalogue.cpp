#include "app/message_catalogue.h"

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

}  // namespace kelpo
