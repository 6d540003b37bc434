#include "app/application.h"

namespace kelpo {

// The Settings sheet and its pages come with the settings dialogs.
void Application::OpenSettingsSheet() {}

}  // namespace kelpo
