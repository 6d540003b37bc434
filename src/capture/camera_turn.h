// Kelpo's programs take the camera in turns. A one-shot run may start while
// the tray program runs, and most cameras serve one running graph at a time:
// whoever runs a camera graph holds the turn, and the other waits for it,
// bounded, before it runs its own.
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"

namespace kelpo {

class CameraTurn {
 public:
  // Long enough for the other program's warm-up and its wait for a frame.
  static constexpr DWORD kWaitBound = 20000;

  CameraTurn();
  ~CameraTurn() { Give(); }
  CameraTurn(const CameraTurn&) = delete;
  CameraTurn& operator=(const CameraTurn&) = delete;

  // Waits until no other Kelpo runs a camera graph, then holds the turn until
  // Give. After the bound this one goes on without it: the camera may serve
  // both, and if it does not, the graph says so as it always did. Taking a
  // turn already held changes nothing.
  void Take(DWORD bound = kWaitBound);
  void Give();
  bool Held() const { return held_; }

 private:
  unique_handle_value mutex_;
  bool held_ = false;
};

// The name both sides of the turn use, in the session's namespace.
inline constexpr wchar_t kCameraTurnName[] = L"Local\\Kelpo.CameraTurn";

}  // namespace kelpo
