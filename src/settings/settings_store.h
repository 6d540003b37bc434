// Kelpo's settings in the registry (temporary: replaced by the schema-based store).
#pragma once

#include "settings/settings.h"

namespace kelpo {

void LoadSettings(Settings& settings, bool clearTypeAvailable);
void SaveFileTransferSettings(const Settings& settings);
void SaveTextSettings(const Settings& settings);
void SaveVideoSettings(const Settings& settings);
void SaveOverlaySettings(const Settings& settings);
void SaveAllSettings(const Settings& settings);

}  // namespace kelpo
