#include "app/main_window.h"

#include "app/application.h"
#include "app/message_catalogue.h"
#include "app/status_rules.h"

#include <commctrl.h>
#include <control.h>
#include <shellapi.h>

#include <algorithm>

namespace kelpo {

namespace {

constexpr UINT kBalloonTimeout = 10000;

// Copies a text into one of NOTIFYICONDATAW's fixed fields, cut to fit.
template <size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text, size_t capacity = N) {
  const size_t length = std::min(text.size(), std::min(capacity, N) - 1);
  std::copy_n(text.c_str(), length, field);
  field[length] = L'\0';
}

HICON LoadProgramIcon(int widthMetric, int heightMetric) {
  // Shared: the dialog class keeps these for the program's whole life.
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KELPO),
                                         IMAGE_ICON, ::GetSystemMetrics(widthMetric),
                                         ::GetSystemMetrics(heightMetric), LR_SHARED));
}

// Dispatches one message of the main window to the member that handles it.
// Holds nothing but the Application and the window, so the dialog procedure
// makes one for each message.
class MainWindow {
 public:
  MainWindow(Application& app, HWND window) : app_(app), window_(window) {}

  static INT_PTR OnInitDialog(HWND window, LPARAM application);

  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    // The plug-in's message comes first: it may arrive at any time.
    if (app_.kelpoCaptureMessage != 0 && message == app_.kelpoCaptureMessage) {
      return OnKelpoCapture();
    }
    switch (message) {
      case WM_CLOSE:
        return OnClose();
      case WM_QUERYENDSESSION:
        return OnQueryEndSession();
      case WM_SHOWWINDOW:
        return OnShowWindow(wParam != 0);
      case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
      case WM_TIMER:
        return OnTimer(wParam);
      case WM_TRAYICON:
        return OnTrayIcon(wParam, lParam);
      case WM_GRAPHNOTIFY:
        return OnGraphNotify();
      case WM_QUITAPP:
        return OnQuitApp();
      default:
        break;
    }
    if (app_.taskbarCreatedMessage != 0 && message == app_.taskbarCreatedMessage) {
      return OnTaskbarCreated();
    }
    return FALSE;
  }

 private:
  INT_PTR OnKelpoCapture() {
    app_.RequestPicture();
    return TRUE;
  }

  INT_PTR OnClose() {
    Hide();
    return TRUE;
  }

  INT_PTR OnQueryEndSession() {
    app_.SaveAllSettings();
    ::PostQuitMessage(0);
    // The log-off may proceed.
    ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
    return TRUE;
  }

  // The live preview runs only while the window is visible.
  INT_PTR OnShowWindow(bool shown) {
    if (!app_.graphBuilder) return FALSE;
    Microsoft::WRL::ComPtr<IMediaControl> control;
    if (FAILED(app_.graphBuilder.As(&control))) return FALSE;
    if (shown) {
      app_.RestartGraph();
    } else {
      app_.StopGraph();
    }
    return TRUE;
  }

  INT_PTR OnCommand(int controlId) {
    switch (controlId) {
      case IDCANCEL:
        Hide();
        return TRUE;
      case IDC_EXIT:
        ::PostQuitMessage(0);
        return TRUE;
      case IDC_TAKE_PICTURE:
        app_.RequestPicture();
        return TRUE;
      case IDC_SETTINGS:
        app_.OpenSettingsSheet();
        return TRUE;
      case IDC_HOME_PAGE:
        (void)::ShellExecuteW(window_, nullptr, kHomePageAddress, nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
      default:
        return FALSE;
    }
  }

  INT_PTR OnTimer(UINT_PTR timerId) {
    if (timerId == app_.uploadTimerId) {
      app_.OnUploadTimeLimit();
      return TRUE;
    }
    if (timerId == app_.captureTimerId) {
      if (CaptureTickTakesPicture(app_.settings.disableTimer, app_.ftpConnection.load() != nullptr,
                                  app_.lastStatusId.load())) {
        app_.RequestPicture();
      }
      return TRUE;
    }
    return FALSE;
  }

  INT_PTR OnTrayIcon(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId == kTrayIconId &&
        (mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_LBUTTONDBLCLK ||
         mouseMessage == NIN_BALLOONUSERCLICK)) {
      app_.ShowMainWindow();
    }
    return TRUE;
  }

  INT_PTR OnGraphNotify() {
    app_.OnGraphEvent();
    return TRUE;
  }

  INT_PTR OnQuitApp() {
    ::PostQuitMessage(0);
    return TRUE;
  }

  // The shell was restarted and has forgotten the icon. If it cannot be added
  // again, the program ends silently: without an icon nobody could reach it.
  INT_PTR OnTaskbarCreated() {
    try {
      app_.AddTrayIcon();
    } catch (const Error&) {
      ::PostQuitMessage(0);
    }
    return TRUE;
  }

  void Hide() { ::ShowWindow(window_, SW_HIDE); }

  Application& app_;
  HWND window_;
};

INT_PTR MainWindow::OnInitDialog(HWND window, LPARAM application) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_BAR_CLASSES | ICC_UPDOWN_CLASS;
  if (!::InitCommonControlsEx(&controls)) ::PostQuitMessage(0);
  ::SetWindowLongPtrW(window, GWLP_USERDATA, application);
  ::SetClassLongPtrW(window, GCLP_HICONSM,
                     reinterpret_cast<LONG_PTR>(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON)));
  ::SetClassLongPtrW(window, GCLP_HICON,
                     reinterpret_cast<LONG_PTR>(LoadProgramIcon(SM_CXICON, SM_CYICON)));
  return TRUE;
}

}  // namespace

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return MainWindow::OnInitDialog(window, lParam);
  auto* app = reinterpret_cast<Application*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  // Messages before WM_INITDIALOG (the dialog's font, its creation) need no Kelpo.
  if (app == nullptr) return FALSE;
  try {
    return MainWindow(*app, window).Dispatch(message, wParam, lParam);
  } catch (...) {
    app->DeferError(std::current_exception());
    return TRUE;
  }
}

void Application::CreateMainWindow() {
  mainWindow = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN),
                                    nullptr, MainWindowProc, reinterpret_cast<LPARAM>(this));
  if (mainWindow == nullptr) Raise(kMsgMainWindowFailed);
  // Shown once and hidden again at once: the window starts life hidden.
  ::ShowWindow(mainWindow, SW_SHOWNORMAL);
  ::ShowWindow(mainWindow, SW_HIDE);
}

void Application::AddTrayIcon() {
  if (!::IsWindow(mainWindow)) return;
  NOTIFYICONDATAW icon{};
  // The first, shortest layout: every shell version accepts it.
  icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
  icon.hWnd = mainWindow;
  icon.uID = kTrayIconId;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = WM_TRAYICON;
  icon.hIcon = smallIcon.get();
  CopyField(icon.szTip, LoadText(kMsgTrayTip, kTipTextCapacity), kTipTextCapacity);
  if (!::Shell_NotifyIconW(NIM_ADD, &icon)) Raise(kMsgTrayIconFailed);
}

void Application::ShowMainWindow() {
  if (!::IsWindow(mainWindow)) return;
  ::ShowWindow(mainWindow, SW_SHOW);
  (void)::SetForegroundWindow(mainWindow);
  (void)::SetActiveWindow(mainWindow);
  (void)::SetFocus(mainWindow);
}

// Also runs on WinInet's callback thread: the window calls below are delivered
// to the UI thread by the system, and the fields written here are atomic.
void Application::SetStatus(int id) {
  try {
    lastStatusId = id;
    const HWND window = mainWindow;
    const std::wstring text = LoadText(id, kStatusTextCapacity);
    (void)::SetDlgItemTextW(window, IDC_STATUS, text.c_str());
    switch (StatusUploadEffect(id)) {
      case UploadEffect::kStarted:
        (void)::EnableWindow(::GetDlgItem(window, IDC_TAKE_PICTURE), FALSE);
        ftpIdle = false;
        return;
      case UploadEffect::kEnded:
        (void)::EnableWindow(::GetDlgItem(window, IDC_TAKE_PICTURE), TRUE);
        ftpIdle = true;
        break;
      case UploadEffect::kNone:
        break;
    }
    if (!StatusRaisesBalloon(id, balloonTips, ::IsWindowVisible(window) != FALSE)) return;
    NOTIFYICONDATAW balloon{};
    // Balloons need the layout of shell version 5.0.
    balloon.cbSize = NOTIFYICONDATAW_V2_SIZE;
    balloon.hWnd = window;
    balloon.uID = kTrayIconId;
    balloon.uFlags = NIF_INFO;
    CopyField(balloon.szInfoTitle,
              CutText(LoadText(kMsgErrorTitle, kTipTextCapacity), kBalloonTitleLength));
    CopyField(balloon.szInfo, CutText(text, kBalloonTextLength));
    balloon.uTimeout = kBalloonTimeout;
    balloon.dwInfoFlags = NIIF_ERROR;
    (void)::Shell_NotifyIconW(NIM_MODIFY, &balloon);
  } catch (...) {
    // Out of memory for a status text: the status line keeps its old text.
  }
}

void Application::StartCaptureTimer() {
  // Periods beyond the timer service's maximum are limited by the system.
  (void)::SetTimer(mainWindow, captureTimerId,
                   CaptureTimerPeriod(settings.timevalue, settings.timeunit), nullptr);
}

void Application::StopCaptureTimer() { (void)::KillTimer(mainWindow, captureTimerId); }

}  // namespace kelpo
