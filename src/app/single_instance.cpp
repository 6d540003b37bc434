#include "app/single_instance.h"

#include "app/main_window.h"
#include "common/kelpo_window.h"

namespace kelpo {

namespace {

// "Local\": one tray program per session, not per machine.
constexpr wchar_t kInstanceMutexName[] = L"Local\\Kelpo.TrayProgram";
// A first instance that is still starting has no window yet; one that is
// ending may wait for its last upload. Either is given this long.
constexpr DWORD kOtherInstanceBound = 15000;
constexpr DWORD kPollPeriod = 100;
constexpr int kMostWindows = 256;

void ShowRunning(HWND window) {
  DWORD processId = 0;
  (void)::GetWindowThreadProcessId(window, &processId);
  // The user started this process, so it may hand the foreground on.
  (void)::AllowSetForegroundWindow(processId);
  (void)::PostMessageW(window, WM_TRAYICON, kTrayIconId, WM_LBUTTONDOWN);
}

}  // namespace

bool SingleInstance::Claim() {
  mutex_.reset(::CreateMutexW(nullptr, TRUE, kInstanceMutexName));
  // Without the mutex nothing can be told: run, as Kelpo always did.
  if (!mutex_) return true;
  if (::GetLastError() != ERROR_ALREADY_EXISTS) return true;
  const DWORD start = ::GetTickCount();
  for (;;) {
    // The other one ended (or crashed): this one is the tray program now.
    const DWORD wait = ::WaitForSingleObject(mutex_.get(), kPollPeriod);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return true;
    if (const HWND window = FindTrayProgramWindow()) {
      ShowRunning(window);
      return false;
    }
    if (::GetTickCount() - start >= kOtherInstanceBound) return false;
  }
}

HWND FindTrayProgramWindow() {
  HWND window = nullptr;
  for (int i = 0; i < kMostWindows; ++i) {
    window = ::FindWindowExW(nullptr, window, kKelpoWindowClassW, kKelpoWindowTitleW);
    if (window == nullptr) return nullptr;
    if (::GetPropW(window, kKelpoWindowPropertyW) != nullptr) return window;
  }
  return nullptr;
}

}  // namespace kelpo
