// One tray program per session: a second start shows the running one's
// window and ends. One-shot runs take no part; they wait for the camera in
// turn instead (capture/camera_turn.h).
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"

namespace kelpo {

class SingleInstance {
 public:
  // True when this process is the session's tray program. False when another
  // one runs: its window has been shown, if it had one in time, and this
  // process should end.
  bool Claim();

 private:
  unique_handle_value mutex_;
};

// The tray program's main window: the top-level window of Kelpo's class and
// caption that carries Kelpo's window property; null when there is none.
HWND FindTrayProgramWindow();

}  // namespace kelpo
