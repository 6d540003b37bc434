// Asking the running Kelpo for a picture.
#pragma once

#include "common/win32.h"

namespace kelpo::remote {

// Kelpo's main window (not one of its message boxes), or null when Kelpo is
// not running.
HWND FindKelpoWindow();

// Posts "KelpoCapture" to the window, then gives the chosen sound feedback.
void TriggerCapture(HWND kelpoWindow);

}  // namespace kelpo::remote
