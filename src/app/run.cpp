#include "app/application.h"
#include "app/message_catalogue.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"

#include <exception>
#include <utility>

namespace kelpo {

namespace {

// An error that a window procedure kept (it could not cross the system's
// frames) leaves Run the way an error raised here would.
void RaisePendingError(Application& app) {
  if (app.pendingError) std::rethrow_exception(std::exchange(app.pendingError, nullptr));
}

}  // namespace

void Application::Run() {
  LoadSettings();
  ComputeOutputSize();
  CreateMainWindow();
  AddTrayIcon();

  if (settings.deviceType == kDeviceCamera) {
    try {
      BuildCaptureGraph();
    } catch (const Error&) {
      // No usable camera: run on with an empty image-file source. The switch
      // is not stored, so the next start tries the camera again.
      settings.deviceType = kDeviceImageFile;
      settings.devicePath.clear();
      deviceName.clear();
    }
  } else {
    deviceName = settings.devicePath;
    LoadStillImage();
  }

  std::uint32_t firstRun = 1;
  (void)ReadDword(kFirstRunValue, firstRun);
  if (firstRun != 0) {
    (void)WriteDword(kFirstRunValue, 0);
    ::ShowWindow(mainWindow, SW_SHOWNORMAL);
    OpenSettingsSheet();
    RaisePendingError(*this);
  }

  RequestPicture();
  StartCaptureTimer();

  MSG message{};
  for (;;) {
    const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
    if (result == 0 || result == -1) break;
    if (!::IsDialogMessageW(mainWindow, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }

  RaisePendingError(*this);

  StopCaptureTimer();
  SaveAllSettings();
}

}  // namespace kelpo
