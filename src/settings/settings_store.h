// Loading the settings record from Kelpo's registry key and saving it back,
// group by group, as the settings schema describes each value.
#pragma once

#include "settings/settings.h"
#include "settings/settings_schema.h"

#include <cstdint>
#include <string>

namespace kelpo {

// Reads every value the key holds; a missing or unreadable value leaves its
// field as it was. Then applies the load ranges (see ClampLoadedSettings).
void LoadSettings(Settings& settings, bool clearTypeAvailable);

// Writes one group's values. Saving the file-transfer group also brings the
// start-at-logon entry in line with `runatstartup`. Write failures are silent.
void SaveSettings(const Settings& settings, SettingsGroup group);

// What the program saves when it ends: the text, video and file-transfer
// groups. The overlay and device groups are saved only by their own page and
// dialog, so leaving without applying them keeps what is stored.
void SaveAllSettings(const Settings& settings);

// The video source for the next start, written at once (the device group is
// no page's: the capture graph and the Change Video Device dialog write it).
void SaveDevicePath(const std::wstring& path);
void SaveDeviceType(std::uint32_t type);

}  // namespace kelpo
