#include "common/win32.h"

#include "picture/leftover_files.h"

#include "common/unique_handle.h"

#include <cstdint>
#include <optional>

namespace kelpo {

namespace {

// A path is at most this long, terminating NUL included, as a value name.
constexpr DWORD kLongestValueName = 32768;

std::optional<std::uint64_t> CreationTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (static_cast<std::uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) |
         data.ftCreationTime.dwLowDateTime;
}

}  // namespace

void RememberLeftoverFiles(const std::vector<std::wstring>& paths) {
  if (paths.empty()) return;
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kLeftoverFilesKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    key.release();
    return;
  }
  for (const std::wstring& path : paths) {
    const std::optional<std::uint64_t> created = CreationTime(path);
    if (!created) continue;  // gone already
    const std::uint64_t value = *created;
    (void)::RegSetValueExW(key.get(), path.c_str(), 0, REG_QWORD,
                           reinterpret_cast<const BYTE*>(&value), sizeof(value));
  }
}

void DeleteRememberedLeftoverFiles() {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kLeftoverFilesKey, 0, KEY_READ | KEY_SET_VALUE,
                      key.put()) != ERROR_SUCCESS) {
    key.release();
    return;
  }
  std::vector<std::wstring> forget;
  std::vector<wchar_t> name(kLongestValueName);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = kLongestValueName;
    DWORD type = 0;
    std::uint64_t remembered = 0;
    DWORD size = sizeof(remembered);
    const LSTATUS status = ::RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr,
                                           &type, reinterpret_cast<BYTE*>(&remembered), &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) continue;
    const std::wstring path(name.data(), nameLength);
    const std::optional<std::uint64_t> created = CreationTime(path);
    const bool same = status == ERROR_SUCCESS && type == REG_QWORD && created == remembered;
    // Still held: its run has not quite ended yet; the next start tries again.
    if (same && !::DeleteFileW(path.c_str())) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) continue;
    }
    forget.push_back(path);
  }
  // Values are deleted after the enumeration, which they would otherwise disturb.
  for (const std::wstring& path : forget) (void)::RegDeleteValueW(key.get(), path.c_str());
  DWORD values = 0;
  const bool empty =
      ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
      values == 0;
  key.reset();
  if (empty) (void)::RegDeleteKeyW(HKEY_CURRENT_USER, kLeftoverFilesKey);
}

}  // namespace kelpo
