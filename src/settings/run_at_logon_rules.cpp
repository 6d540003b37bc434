#include "settings/run_at_logon_rules.h"

namespace kelpo {

std::wstring RunEntryCommand(const std::wstring& programPath) { return L'"' + programPath + L'"'; }

RunEntryChange PlanRunEntry(bool runAtStartup, const std::optional<std::wstring>& stored,
                            const std::wstring& command) {
  if (!runAtStartup) return stored ? RunEntryChange::kDelete : RunEntryChange::kNone;
  // Left alone when it is already right: security tools watch writes to Run.
  return stored == command ? RunEntryChange::kNone : RunEntryChange::kWrite;
}

}  // namespace kelpo
