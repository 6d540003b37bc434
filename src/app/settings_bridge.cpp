// The Application's settings operations, forwarded to the settings store.
#include "app/application.h"
#include "settings/settings_store.h"

namespace kelpo {

void Application::LoadSettings() { kelpo::LoadSettings(settings, clearTypeAvailable); }
void Application::SaveFileTransferSettings() {
  SaveSettings(settings, SettingsGroup::kFileTransfer);
}
void Application::SaveTextSettings() { SaveSettings(settings, SettingsGroup::kText); }
void Application::SaveVideoSettings() { SaveSettings(settings, SettingsGroup::kVideo); }
void Application::SaveOverlaySettings() { SaveSettings(settings, SettingsGroup::kOverlay); }
void Application::SaveAllSettings() { kelpo::SaveAllSettings(settings); }

}  // namespace kelpo
