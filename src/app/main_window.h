// The main window: a modeless dialog that stays hidden in the notification
// area. It owns its dialog handle, the tray icon, the capture and upload
// timers and the status line, and hands every event to its owner.
#pragma once

#include "app/picture_status.h"
#include "app/tray_icon.h"
#include "common/dpi_rules.h"
#include "common/win32.h"
#include "resources/resource.h"

#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace kelpo {

// The address of the product's web page, opened by "Kelpo Home Page"; the
// query tells the server which version asks.
constexpr wchar_t kHomePageAddress[] =
    L"http://www.marrowby.example/kelpo/version.php?version=" KELPO_VERSION_TEXT;

// Private window messages of the main window.
constexpr UINT WM_TRAYICON = WM_APP + 1;
constexpr UINT WM_GRAPHNOTIFY = WM_APP + 2;
constexpr UINT WM_QUITAPP = WM_APP + 3;
// A request of the running upload completed (posted from another thread).
constexpr UINT WM_UPLOADCOMPLETE = WM_APP + 4;

// What the main window reports; every call comes on the UI thread.
class MainWindowEvents {
 public:
  virtual void OnPictureRequested() = 0;  // the button, or "KelpoCapture" from another program
  virtual void OnCaptureTick() = 0;
  virtual void OnUploadTimeLimit() = 0;
  // A one-shot run has had all the time it may take.
  virtual void OnOneShotBound() = 0;
  virtual void OnUploadCompletion(WPARAM wParam, LPARAM lParam) = 0;
  virtual void OnGraphNotify() = 0;
  virtual void OnGrabTimer() = 0;  // the camera's grab timer fired
  virtual void OnSettingsRequested() = 0;
  virtual void OnShown(bool shown) = 0;
  // The window moved: what sits in its preview is placed again.
  virtual void OnMoved() {}
  // The window took another monitor's scale: the preview control has a new
  // size, and what it shows is fitted to it again.
  virtual void OnPreviewResized() {}
  // The session may end: save what must survive it.
  virtual void OnSessionEnding() = 0;
  // A handler failed; the error cannot cross the system's frames.
  virtual void OnUnhandledError(std::exception_ptr error) noexcept = 0;

 protected:
  ~MainWindowEvents() = default;
};

class MainWindow final : public PictureStatus {
 public:
  MainWindow();
  // Removes the tray icon and destroys the window.
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the hidden window (raises kMsgMainWindowFailed) and its tray icon.
  // A shell that refuses the icon (not ready yet at log-on) is asked again
  // for a while; the program runs on meanwhile.
  void Create(MainWindowEvents& events, bool balloonTips);
  // No more events: the owner is going.
  void Detach() { events_ = nullptr; }
  // Marks the window as the tray program's, the one that other programs and a
  // second start look for among the windows of its class and caption.
  void MarkAsTrayProgram();

  HWND handle() const { return window_; }
  HWND PreviewControl() const { return ::GetDlgItem(window_, IDC_PREVIEW); }
  bool Visible() const { return ::IsWindowVisible(window_) != FALSE; }
  const TrayIcon& Tray() const { return tray_; }

  void Show();
  void ShowNormal() { (void)::ShowWindow(window_, SW_SHOWNORMAL); }

  // Shows the status text, and in the tray icon's tooltip with the time it
  // came; an error while the window is hidden also appears as a balloon.
  void SetStatus(int id) override;
  // The same, with `values` in place of the text's "%1", "%2".
  void SetStatus(int id, const std::vector<std::wstring>& values) override;
  int LastStatus() const override { return lastStatus_; }
  // The last status's text as shown.
  const std::wstring& LastStatusText() const { return lastStatusText_; }
  // The picture button is disabled while an upload runs.
  void SetUploadRunning(bool running) override;

  void StartCaptureTimer(UINT period);
  void StopCaptureTimer();
  void StartUploadTimer(UINT period) override;
  void StopUploadTimer() override;
  void Quit() override { (void)::SendMessageW(window_, WM_QUITAPP, 0, 0); }
  // The camera's one-shot timer: it fires once, then stands until started again.
  void StartGrabTimer(UINT period);
  void StopGrabTimer();
  // Once, `period` ms from now: OnOneShotBound.
  void StartOneShotBound(UINT period);

  UINT KelpoCaptureMessage() const { return kelpoCaptureMessage_; }
  UINT TaskbarCreatedMessage() const { return taskbarCreatedMessage_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  INT_PTR OnInitDialog();
  INT_PTR OnClose();
  INT_PTR OnQueryEndSession();
  INT_PTR OnEndSession(bool ending);
  INT_PTR OnShowWindow(bool shown);
  INT_PTR OnCommand(int controlId);
  INT_PTR OnTimer(UINT_PTR timerId);
  INT_PTR OnTrayIcon(WPARAM wParam, LPARAM lParam);
  // Moved to a monitor of another scale: the window takes the rectangle the
  // system suggests, its controls and font follow.
  INT_PTR OnDpiChanged(UINT dpi, const RECT& suggested);
  // The controls as the dialog manager laid them out at creation.
  void RecordLayout();
  // The title bar's and the task switcher's icons at a DPI's sizes.
  void SetIcons(UINT dpi);
  // The icon's context menu at `anchor`; its command arrives as WM_COMMAND.
  void ShowTrayMenu(POINT anchor);
  INT_PTR OnTaskbarCreated();
  void AddTrayIcon(bool again);

  HWND window_ = nullptr;
  MainWindowEvents* events_ = nullptr;
  TrayIcon tray_;
  // The window's own icons, sized for the title bar and for Alt+Tab.
  unique_hicon smallIcon_;
  unique_hicon bigIcon_;
  // The layout and font at creation, at `createdDpi_`; every scale is taken
  // from them, so that rounding does not add up over changes.
  UINT createdDpi_ = kDefaultDpi;
  std::vector<std::pair<HWND, DpiRect>> createdLayout_;
  LOGFONTW createdFont_{};
  bool hasCreatedFont_ = false;
  // The controls' font at another scale than the creation's.
  unique_hfont scaledFont_;
  bool balloonTips_ = false;
  int lastStatus_ = 0;
  std::wstring lastStatusText_;
  unsigned trayAttempts_ = 0;
  // Registered once, before any window exists.
  UINT kelpoCaptureMessage_ = 0;
  UINT taskbarCreatedMessage_ = 0;
};

}  // namespace kelpo
