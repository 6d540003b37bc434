#include "common/win32.h"

#include "settings/registry_store.h"

#include "common/unique_handle.h"
#include "settings/registry_text.h"

#include <cwchar>
#include <vector>

namespace kelpo {

namespace {

// The longest text; one more character read tells a longer one apart.
constexpr std::size_t kMaxStringLength = 8192;
constexpr DWORD kMaxBinaryBytes = 64 * 1024;

unique_hkey OpenProductKey(REGSAM access) {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, access, key.put()) != ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

unique_hkey CreateProductKey() {
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    key.release();
  }
  return key;
}

}  // namespace

bool ReadDword(const wchar_t* name, std::uint32_t& field) {
  unique_hkey key = OpenProductKey(KEY_READ);
  if (!key) return false;
  // Read into a temporary and insist on exactly four bytes of REG_DWORD:
  // RegQueryValueExW happily copies a two-byte binary or a short string into a
  // four-byte buffer, which would leave the field half overwritten or holding
  // the character codes of a text.
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (type != REG_DWORD || size != sizeof(value)) return false;
  field = value;
  return true;
}

bool ReadBool(const wchar_t* name, bool& flag) {
  std::uint32_t value = 0;
  if (!ReadDword(name, value)) return false;
  flag = value != 0;
  return true;
}

bool ReadString(const wchar_t* name, std::wstring& text) {
  unique_hkey key = OpenProductKey(KEY_READ);
  if (!key) return false;
  std::wstring stored;
  if (ReadRegistryText(key.get(), name, kMaxStringLength + 1, stored) != ERROR_SUCCESS ||
      stored.size() > kMaxStringLength) {
    return false;
  }
  text.swap(stored);
  return true;
}

bool WriteDword(const wchar_t* name, std::uint32_t value) {
  unique_hkey key = CreateProductKey();
  if (!key) return false;
  const DWORD data = value;
  return ::RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

bool WriteBool(const wchar_t* name, bool flag) { return WriteDword(name, flag ? 1 : 0); }

bool WriteString(const wchar_t* name, const std::wstring& text) {
  unique_hkey key = CreateProductKey();
  if (!key) return false;
  const std::size_t length = std::wcslen(text.c_str());
  const DWORD bytes = static_cast<DWORD>((length + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool ReadBinary(const wchar_t* name, std::vector<std::uint8_t>& bytes) {
  unique_hkey key = OpenProductKey(KEY_READ);
  if (!key) return false;
  std::vector<std::uint8_t> buffer(kMaxBinaryBytes);
  DWORD type = REG_NONE;
  DWORD size = kMaxBinaryBytes;
  if (::RegQueryValueExW(key.get(), name, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS ||
      type != REG_BINARY) {
    return false;
  }
  buffer.resize(size);
  bytes.swap(buffer);
  return true;
}

bool WriteBinary(const wchar_t* name, const std::vector<std::uint8_t>& bytes) {
  unique_hkey key = CreateProductKey();
  if (!key) return false;
  return ::RegSetValueExW(key.get(), name, 0, REG_BINARY, bytes.data(),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool DeleteValue(const wchar_t* name) {
  unique_hkey key = OpenProductKey(KEY_SET_VALUE);
  if (!key) return true;
  const LSTATUS result = ::RegDeleteValueW(key.get(), name);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace kelpo
