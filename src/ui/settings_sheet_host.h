// What the Settings sheet needs of the program that opens it: the one
// settings record the pages edit in place, and the operations whose effect
// an applied page must have at once. The pages call these directly, on the
// UI thread; they send no message to any other window.
#pragma once

#include "capture/video_device_controls.h"
#include "picture/picture_rules.h"
#include "settings/settings.h"

#include <exception>
#include <string>

namespace kelpo {

class SettingsSheetHost {
 public:
  virtual Settings& settings() = 0;
  // Restarts the capture timer's period from the interval in the settings.
  virtual void RestartCaptureTimer() = 0;
  // No picture is taken on time until the timer is restarted.
  virtual void StopCaptureTimer() = 0;
  // The size settings changed: the size of every later picture follows them.
  virtual void OutputSizeChanged() = 0;
  // The size of every finished picture.
  virtual PictureSize OutputSize() const = 0;
  // The live preview shows the part of the video the picture keeps, in the
  // output size's aspect ratio.
  virtual void PlacePreview() = 0;

  // The camera in use, or null when pictures come from an image file.
  virtual VideoDeviceControls* DeviceControls() = 0;
  // What the user knows the source in use by: the camera's name or the
  // image file's path.
  virtual std::wstring DeviceName() const = 0;
  // The camera can no longer be used: pictures come from the image-file
  // source without a file for the rest of this run, as after a start-up
  // without a camera; nothing is stored. The old controls are gone.
  virtual void UseImageFileInstead() = 0;
  // Whether ClearType smoothing may be chosen on this system.
  virtual bool ClearTypeAvailable() const = 0;
  // A page's handler failed; the error cannot cross the dialog procedure.
  virtual void OnUnhandledError(std::exception_ptr error) noexcept = 0;

 protected:
  ~SettingsSheetHost() = default;
};

}  // namespace kelpo
