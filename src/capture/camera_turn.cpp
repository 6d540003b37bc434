#include "capture/camera_turn.h"

namespace kelpo {

CameraTurn::CameraTurn() : mutex_(::CreateMutexW(nullptr, FALSE, kCameraTurnName)) {}

void CameraTurn::Take(DWORD bound) {
  if (held_ || !mutex_) return;
  const DWORD wait = ::WaitForSingleObject(mutex_.get(), bound);
  // Abandoned: the other program ended while it held the turn.
  held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

void CameraTurn::Give() {
  if (!held_) return;
  held_ = false;
  (void)::ReleaseMutex(mutex_.get());
}

}  // namespace kelpo
