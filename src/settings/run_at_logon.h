// Start at logon: the value MarrowbyKelpo under HKCU's Run key holds the
// program's quoted path exactly while `runatstartup` is on.
#pragma once

namespace kelpo {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"MarrowbyKelpo";

// Writes, keeps or deletes the entry for this process's own program file.
// Failures are silent, like every settings write.
void UpdateRunEntry(bool runAtStartup);

}  // namespace kelpo
