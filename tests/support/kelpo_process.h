// Helpers for tests that drive kelpo.exe as a process, or look at what the
// shell shows for it: its main window, its tray icon and its balloons.
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"

#include <functional>
#include <string>

namespace kelpo::test {

constexpr DWORD kStartTimeout = 20000;
constexpr DWORD kExitTimeout = 20000;
constexpr DWORD kWindowTimeout = 5000;

// Folder of the running test program, ending in a backslash; kelpo.exe is
// built next to it.
std::wstring ProgramFolder();

// Handles this thread's messages (so cross-thread window calls to it complete)
// until `done` returns true or `timeoutMs` has passed; returns `done()`.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);

// The top-level window of the standard dialog class titled exactly "Kelpo"
// that belongs to the given process, or null.
HWND FindKelpoWindow(DWORD processId);

// Whether the shell holds the tray icon (window, id): an empty NIM_MODIFY
// succeeds exactly for an icon that exists, and changes nothing.
bool TrayIconExists(HWND window, UINT id = 0);

// The visible balloon the shell shows with exactly this text, or null. Wine's
// shell shows a balloon as a top-level tooltip window of style TTS_BALLOON
// whose window text is the balloon text; it appears a moment after the call.
HWND FindBalloon(const std::wstring& text);

// kelpo.exe started from the test program's folder; ended when the object
// goes if it still runs.
class KelpoProcess {
 public:
  // With `captureOutput`, its standard output is a pipe that Output() reads.
  explicit KelpoProcess(const std::wstring& arguments = L"", bool captureOutput = false);
  ~KelpoProcess();
  KelpoProcess(const KelpoProcess&) = delete;
  KelpoProcess& operator=(const KelpoProcess&) = delete;

  bool started() const { return static_cast<bool>(process_); }
  DWORD id() const { return processId_; }

  // Waits until the program handles its messages and its main window exists.
  HWND WaitForMainWindow(DWORD timeoutMs = kStartTimeout);
  // True when the program ended in time; its exit code goes to `exitCode`.
  bool WaitForExit(DWORD& exitCode, DWORD timeoutMs = kExitTimeout);
  // Everything it wrote to its standard output, once it has ended.
  std::string Output();

 private:
  unique_handle_value process_;
  unique_handle_value output_;
  DWORD processId_ = 0;
};

}  // namespace kelpo::test
