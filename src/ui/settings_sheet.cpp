#include "ui/settings_sheet.h"

namespace kelpo {

// The Settings sheet and its pages come with the settings dialogs.
void OpenSettingsSheet(HWND) {}

}  // namespace kelpo
