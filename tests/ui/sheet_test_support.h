// Driving Kelpo's Settings sheet the way a user does. Kelpo runs in this
// process on a thread of its own, started as the program starts (its
// Application, its main window, its message loop); the test's thread plays
// the user: it finds Kelpo's windows, types, clicks, presses keys and
// answers the common dialogs, while Kelpo's modal loops run on its thread.
#pragma once

#include "app/application.h"
#include "common/unique_handle.h"
#include "common/win32.h"

#include <atomic>
#include <exception>
#include <functional>
#include <string>
#include <thread>

namespace kelpo::test {

constexpr DWORD kDialogTimeout = 10000;

class KelpoThread {
 public:
  // Starts Kelpo (which opens the sheet on a first start) and waits for its
  // main window.
  KelpoThread();
  // Ends Kelpo's message loop (and any sheet or dialog still open) and waits
  // for the thread.
  ~KelpoThread();
  KelpoThread(const KelpoThread&) = delete;
  KelpoThread& operator=(const KelpoThread&) = delete;

  HWND MainWindow() const { return mainWindow_; }

  // Runs `work` on Kelpo's thread between two of its messages (modal loops
  // included) and returns when it is done.
  void Call(const std::function<void(Application&)>& work);
  // A copy of the settings record as it stands.
  Settings SettingsNow();

 private:
  unique_handle_value started_;  // set once the Application exists, or failed
  std::thread thread_;
  std::atomic<HWND> helper_{nullptr};  // receives Call's work on Kelpo's thread
  std::atomic<Application*> application_{nullptr};
  HWND mainWindow_ = nullptr;
  std::exception_ptr failure_;  // read once the thread has ended
};

// A visible top-level window of this process with exactly this caption.
HWND WaitForOwnWindow(const std::wstring& caption, DWORD timeoutMs = kDialogTimeout);
bool WaitUntilGone(HWND window, DWORD timeoutMs = kDialogTimeout);

std::wstring TextOf(HWND window);
// Replaces a field's text as typing over its selection does.
void Type(HWND field, const std::wstring& text);
// A click that returns when it has been handled.
void Click(HWND button);
// A click whose handling may open a modal dialog: it is handled later, on
// Kelpo's thread, while the test goes on.
void ClickLater(HWND button);
void PressKey(HWND control, UINT virtualKey);
// The colour a control shows at (x, y) of its client area, once repainted.
COLORREF PixelOf(HWND control, int x, int y);

// The sheet as a user sees it: tabs, pages and its buttons.
class SheetDriver {
 public:
  explicit SheetDriver(HWND sheet) : sheet_(sheet) {}

  HWND sheet() const { return sheet_; }
  // The page of tab `index`, or null while its tab has never been shown.
  HWND Page(int index) const;
  // Shows tab `index`, as a click on it does.
  HWND ShowTab(int index) const;
  HWND Control(int page, int id) const { return ::GetDlgItem(Page(page), id); }
  HWND Button(int id) const { return ::GetDlgItem(sheet_, id); }
  HWND ApplyButton() const;
  void Apply() const { Click(ApplyButton()); }
  // OK or Close: applies and closes.
  void Ok() const;
  // The close box: closes without applying (also once Cancel reads Close).
  void CloseBox() const;

 private:
  HWND sheet_;
};

// The modal common dialogs the pages open, found by caption and answered.
// The file dialogs take the typed path; the colour dialog the typed red,
// green and blue.
void ConfirmFileDialog(const std::wstring& caption, const std::wstring& path);
void CancelDialog(const std::wstring& caption);
void ConfirmColourDialog(COLORREF colour);

}  // namespace kelpo::test
