// Pure rules of the start-at-logon entry under HKCU\...\CurrentVersion\Run.
#pragma once

#include <optional>
#include <string>

namespace kelpo {

// The entry's command for the program at programPath: the path in quotes, so
// that Windows cannot take "C:\Program" of "C:\Program Files\..." for the
// program and the rest for its arguments. No arguments: a normal run.
std::wstring RunEntryCommand(const std::wstring& programPath);

enum class RunEntryChange { kNone, kWrite, kDelete };

// What brings the stored entry (nullopt when absent) in line: while start at
// logon is on it holds exactly `command`, otherwise it is absent. The value's
// name is ours, so whatever it holds is ours: the bare path that earlier
// versions wrote is rewritten in quotes, or removed.
RunEntryChange PlanRunEntry(bool runAtStartup, const std::optional<std::wstring>& stored,
                            const std::wstring& command);

}  // namespace kelpo
