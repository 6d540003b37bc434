#include "remote/trigger_capture.h"

#include "common/kelpo_window.h"
#include "remote/remote_sound.h"

namespace kelpo::remote {
namespace {

// Registered on first use and kept while the library is loaded; 0 until then.
// Two first calls racing both register the same name and get the same number.
UINT captureMessage = 0;

// More windows of Kelpo's class and caption than any desktop has.
constexpr int kMostWindows = 256;

}  // namespace

HWND FindKelpoWindow() {
  // Kelpo's message boxes share the main window's class and caption; only the
  // main window carries the property. A Kelpo from before the property has
  // none, and its window is the first of them.
  const HWND first = ::FindWindowExA(nullptr, nullptr, kKelpoWindowClass, kKelpoWindowTitle);
  HWND window = first;
  for (int i = 0; i < kMostWindows && window != nullptr; ++i) {
    if (::GetPropA(window, kKelpoWindowProperty) != nullptr) return window;
    window = ::FindWindowExA(nullptr, window, kKelpoWindowClass, kKelpoWindowTitle);
  }
  return first;
}

void TriggerCapture(HWND kelpoWindow) {
  if (captureMessage == 0) captureMessage = ::RegisterWindowMessageA(kCaptureMessageName);
  // Without a message number there is nothing Kelpo would understand; the sound
  // still tells the user the key was taken.
  if (captureMessage != 0) (void)::PostMessageA(kelpoWindow, captureMessage, 0, 0);
  GiveSoundFeedback();
}

}  // namespace kelpo::remote
