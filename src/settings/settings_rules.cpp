#include "settings/settings_rules.h"

#include "settings/settings_schema.h"

namespace kelpo {

void ClampLoadedSettings(Settings& settings, bool clearTypeAvailable) {
  for (const SettingField& field : SettingsSchema()) {
    const auto* dword = std::get_if<DwordSetting>(&field.kind);
    if (dword == nullptr || !dword->loadRange) continue;
    std::uint32_t& value = settings.*dword->member;
    value = InRange(value, *dword->loadRange);
  }
  if (settings.smoothtype == kSmoothClearType && !clearTypeAvailable) {
    settings.smoothtype = kSmoothStandard;
  }
}

}  // namespace kelpo
