// What the Settings sheet needs of the program that opens it: the one
// settings record the pages edit in place, and the operations whose effect
// an applied page must have at once. The pages call these directly, on the
// UI thread; they send no message to any other window.
#pragma once

#include "picture/picture_rules.h"
#include "settings/settings.h"

#include <exception>

namespace kelpo {

class SettingsSheetHost {
 public:
  virtual Settings& settings() = 0;
  // Restarts the capture timer's period from the interval in the settings.
  virtual void RestartCaptureTimer() = 0;
  // The size settings changed: the size of every later picture follows them.
  virtual void OutputSizeChanged() = 0;
  // The size of every finished picture.
  virtual PictureSize OutputSize() const = 0;
  // Whether ClearType smoothing may be chosen on this system.
  virtual bool ClearTypeAvailable() const = 0;
  // A page's handler failed; the error cannot cross the dialog procedure.
  virtual void OnUnhandledError(std::exception_ptr error) noexcept = 0;

 protected:
  ~SettingsSheetHost() = default;
};

}  // namespace kelpo
