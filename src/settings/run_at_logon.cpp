#include "common/win32.h"

#include "settings/run_at_logon.h"

#include "common/unique_handle.h"
#include "settings/registry_text.h"
#include "settings/run_at_logon_rules.h"

#include <optional>
#include <string>
#include <vector>

namespace kelpo {

namespace {

constexpr DWORD kModulePathCapacity = 512;
// Room for our longest command, its quotes and a NUL, and one more character
// so that anything longer cannot pass for it.
constexpr DWORD kEntryCapacity = kModulePathCapacity + 4;

std::optional<std::wstring> ProgramPath() {
  std::vector<wchar_t> path(kModulePathCapacity);
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), kModulePathCapacity);
  // A result that fills the whole buffer is a cut-off path, which would start
  // nothing at logon.
  if (length == 0 || length >= kModulePathCapacity) return std::nullopt;
  return std::wstring(path.data(), length);
}

// The stored entry, nullopt when there is none. Data that is not a string of
// a plausible length reads as an empty text: present, and never our command.
std::optional<std::wstring> StoredEntry(HKEY runKey) {
  std::wstring entry;
  const LSTATUS result = ReadRegistryText(runKey, kRunValue, kEntryCapacity, entry);
  if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
  return entry;
}

}  // namespace

void UpdateRunEntry(bool runAtStartup) {
  unique_hkey key;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
    key.release();
    return;
  }
  std::wstring command;
  if (runAtStartup) {
    const std::optional<std::wstring> path = ProgramPath();
    if (!path) return;
    command = RunEntryCommand(*path);
  }
  switch (PlanRunEntry(runAtStartup, StoredEntry(key.get()), command)) {
    case RunEntryChange::kNone:
      break;
    case RunEntryChange::kWrite:
      (void)::RegSetValueExW(key.get(), kRunValue, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
      break;
    case RunEntryChange::kDelete:
      (void)::RegDeleteValueW(key.get(), kRunValue);
      break;
  }
}

}  // namespace kelpo
