#include "capture/frame_source.h"

#include "capture/camera_source.h"
#include "capture/still_image_source.h"
#include "common/message_catalogue.h"
#include "settings/settings_rules.h"

namespace kelpo {

std::unique_ptr<FrameSource> OpenFrameSource(Settings& settings, const PreviewHost& host) {
  if (settings.deviceType == kDeviceCamera) {
    try {
      auto camera = std::make_unique<CameraSource>(settings, host);
      camera->BuildCaptureGraph();
      return camera;
    } catch (const Error&) {
      // No usable camera: run on with an image-file source without a file.
      // The switch is not stored, so the next start tries the camera again.
      settings.deviceType = kDeviceImageFile;
      settings.devicePath.clear();
    }
  }
  auto still = std::make_unique<StillImageSource>(settings, host.previewControl);
  still->LoadStillImage();
  return still;
}

}  // namespace kelpo
