#include "app/application.h"

namespace kelpo {

void Application::LoadSettings() {}
void Application::SaveFileTransferSettings() {}
void Application::SaveTextSettings() {}
void Application::SaveVideoSettings() {}
void Application::SaveOverlaySettings() {}
void Application::SaveAllSettings() {}

}  // namespace kelpo
