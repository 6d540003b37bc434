#include "settings/registry_text.h"

#include <vector>

namespace kelpo {

LSTATUS ReadRegistryText(HKEY key, const wchar_t* name, std::size_t capacity, std::wstring& text) {
  std::vector<wchar_t> buffer(capacity);
  DWORD type = REG_NONE;
  auto size = static_cast<DWORD>(capacity * sizeof(wchar_t));
  const LSTATUS result =
      ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_SZ || size < sizeof(wchar_t)) return ERROR_INVALID_DATA;
  const std::size_t stored = size / sizeof(wchar_t);
  std::size_t length = 0;
  while (length < stored && buffer[length] != L'\0') ++length;
  text.assign(buffer.data(), length);
  return ERROR_SUCCESS;
}

}  // namespace kelpo
