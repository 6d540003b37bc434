#include "app/application.h"

namespace kelpo {

void Application::StartUpload() {}
void Application::OnUploadTimeLimit() {}
void CALLBACK Application::OnInternetStatus(HINTERNET, DWORD_PTR, DWORD, LPVOID, DWORD) {}

}  // namespace kelpo
