#include "remote/trigger_capture.h"

#include "common/kelpo_window.h"
#include "remote/remote_sound.h"

namespace kelpo::remote {
namespace {

// Registered on first use and kept while the library is loaded; 0 until then.
// Two first calls racing both register the same name and get the same number.
UINT captureMessage = 0;

}  // namespace

HWND FindKelpoWindow() { return ::FindWindowA(kKelpoWindowClass, kKelpoWindowTitle); }

void TriggerCapture(HWND kelpoWindow) {
  if (captureMessage == 0) captureMessage = ::RegisterWindowMessageA(kCaptureMessageName);
  // Without a message number there is nothing Kelpo would understand; the sound
  // still tells the user the key was taken.
  if (captureMessage != 0) (void)::PostMessageA(kelpoWindow, captureMessage, 0, 0);
  GiveSoundFeedback();
}

}  // namespace kelpo::remote
