#include "app/application.h"

namespace kelpo {

void Application::CreateMainWindow() {}
void Application::AddTrayIcon() {}
void Application::ShowMainWindow() {}
void Application::SetStatus(int id) { lastStatusId = id; }
void Application::StartCaptureTimer() {}
void Application::StopCaptureTimer() {}

}  // namespace kelpo
