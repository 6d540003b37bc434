#include "app/main_window.h"

#include "app/status_rules.h"
#include "app/tray_rules.h"
#include "app/window_dpi.h"
#include "common/kelpo_window.h"
#include "common/message_catalogue.h"

#include <commctrl.h>
#include <shellapi.h>

namespace kelpo {

namespace {

constexpr UINT_PTR kCaptureTimerId = 1;
constexpr UINT_PTR kUploadTimerId = 2;
// Asks a shell that refused the icon again, every few seconds for a few
// minutes: at log-on the notification area may not be there yet.
constexpr UINT_PTR kTrayRetryTimerId = 3;
constexpr UINT kTrayRetryPeriod = 2000;
constexpr unsigned kTrayRetryAttempts = 90;
// The camera's warm-up before a grab and the bound on the wait for its frame.
constexpr UINT_PTR kGrabTimerId = 4;
// Ends a one-shot run that is still going when its time is up.
constexpr UINT_PTR kOneShotBoundTimerId = 5;

// Windows 8.1 and later; older systems never send it.
constexpr UINT kDpiChangedMessage = 0x02E0;
// SetDialogDpiChangeBehavior's DDC_DISABLE_ALL (Windows 10 1803).
constexpr int kDialogDpiDisableAll = 1;

// The time of a status in the user's own format, without seconds.
std::wstring ShortTimeNow() {
  constexpr int kTimeCapacity = 64;
  wchar_t text[kTimeCapacity] = {};
  if (::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, text,
                        kTimeCapacity) == 0) {
    return {};
  }
  return text;
}

}  // namespace

MainWindow::MainWindow()
    : kelpoCaptureMessage_(::RegisterWindowMessageW(kCaptureMessageNameW)),
      taskbarCreatedMessage_(::RegisterWindowMessageW(kTaskbarCreatedMessageName)) {}

MainWindow::~MainWindow() {
  events_ = nullptr;
  if (window_ == nullptr) return;
  (void)::KillTimer(window_, kTrayRetryTimerId);
  tray_.Remove();
  (void)::RemovePropW(window_, kKelpoWindowPropertyW);
  // The procedure reaches nothing of this object while the window goes.
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  (void)::DestroyWindow(window_);
}

void MainWindow::Create(MainWindowEvents& events, bool balloonTips) {
  events_ = &events;
  balloonTips_ = balloonTips;
  window_ = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
                                 &MainWindow::DialogProc, reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) Raise(kMsgMainWindowFailed, static_cast<long>(::GetLastError()));
  // Shown once and hidden again at once: the window starts life hidden.
  (void)::ShowWindow(window_, SW_SHOWNORMAL);
  (void)::ShowWindow(window_, SW_HIDE);
  AddTrayIcon(false);
}

void MainWindow::Withdraw() {
  if (window_ == nullptr) return;
  (void)::ShowWindow(window_, SW_HIDE);
  (void)::KillTimer(window_, kTrayRetryTimerId);
  tray_.Remove();
}

void MainWindow::MarkAsTrayProgram() {
  // Any value but null marks it.
  (void)::SetPropW(window_, kKelpoWindowPropertyW, window_);
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
    auto* self = reinterpret_cast<MainWindow*>(lParam);
    self->window_ = window;
    return self->OnInitDialog();
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  // Messages before WM_INITDIALOG (the dialog's font, its creation) and after
  // the owner went need nothing of Kelpo.
  if (self == nullptr) return FALSE;
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    if (self->events_ != nullptr) self->events_->OnUnhandledError(std::current_exception());
    return TRUE;
  }
}

INT_PTR MainWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  // The plug-in's message comes first: it may arrive at any time.
  if (kelpoCaptureMessage_ != 0 && message == kelpoCaptureMessage_) {
    if (events_ != nullptr) events_->OnPictureRequested();
    return TRUE;
  }
  switch (message) {
    case WM_CLOSE:
      return OnClose();
    case WM_QUERYENDSESSION:
      return OnQueryEndSession();
    case WM_ENDSESSION:
      return OnEndSession(wParam != FALSE);
    case WM_SHOWWINDOW:
      return OnShowWindow(wParam != FALSE);
    case WM_MOVE:
      if (events_ != nullptr) events_->OnMoved();
      return FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam));
    case WM_TIMER:
      return OnTimer(wParam);
    case WM_TRAYICON:
      return OnTrayIcon(wParam, lParam);
    case kDpiChangedMessage:
      if (lParam == 0) return FALSE;
      return OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    case WM_GRAPHNOTIFY:
      if (events_ != nullptr) events_->OnGraphNotify();
      return TRUE;
    case WM_UPLOADCOMPLETE:
      if (events_ != nullptr) events_->OnUploadCompletion(wParam, lParam);
      return TRUE;
    case WM_PICTUREMADE:
      if (events_ != nullptr) events_->OnPictureMade();
      return TRUE;
    case WM_QUITAPP:
      ::PostQuitMessage(0);
      return TRUE;
    default:
      break;
  }
  if (taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_) return OnTaskbarCreated();
  return FALSE;
}

INT_PTR MainWindow::OnInitDialog() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_BAR_CLASSES | ICC_UPDOWN_CLASS;
  if (!::InitCommonControlsEx(&controls)) ::PostQuitMessage(0);
  RecordLayout();
  SetIcons(createdDpi_);
  return TRUE;
}

void MainWindow::SetIcons(UINT dpi) {
  // This window's icons alone: the dialog class is every dialog's in the
  // process. The old icons go only once the window holds the new ones.
  unique_hicon smallIcon(LoadProgramIcon(dpi, SM_CXSMICON, SM_CYSMICON));
  unique_hicon bigIcon(LoadProgramIcon(dpi, SM_CXICON, SM_CYICON));
  if (smallIcon) {
    (void)::SendMessageW(window_, WM_SETICON, ICON_SMALL,
                         reinterpret_cast<LPARAM>(smallIcon.get()));
    smallIcon_ = std::move(smallIcon);
  }
  if (bigIcon) {
    (void)::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    bigIcon_ = std::move(bigIcon);
  }
}

void MainWindow::RecordLayout() {
  // The window scales itself: the dialog manager's own scaling would move
  // the controls by its font's metrics, and twice with ours.
  using SetBehaviourFunction = BOOL(WINAPI*)(HWND, int, int);
  static const auto setBehaviour =
      User32Function<SetBehaviourFunction>("SetDialogDpiChangeBehavior");
  if (setBehaviour != nullptr) {
    (void)setBehaviour(window_, kDialogDpiDisableAll, kDialogDpiDisableAll);
  }
  createdDpi_ = WindowDpi(window_);
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
  hasCreatedFont_ = font != nullptr && ::GetObjectW(font, sizeof(createdFont_), &createdFont_) ==
                                           static_cast<int>(sizeof(createdFont_));
  // The direct children only: the video window inside the preview control
  // is placed by its own rules.
  createdLayout_.clear();
  for (HWND control = ::GetWindow(window_, GW_CHILD); control != nullptr;
       control = ::GetWindow(control, GW_HWNDNEXT)) {
    RECT area{};
    if (!::GetWindowRect(control, &area)) continue;
    (void)::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&area), 2);
    createdLayout_.emplace_back(control, DpiRect{area.left, area.top, area.right, area.bottom});
  }
}

INT_PTR MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  if (dpi == 0) return FALSE;
  (void)::SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
  unique_hfont font;
  if (hasCreatedFont_) {
    LOGFONTW scaled = createdFont_;
    scaled.lfHeight = ScaleToDpi(scaled.lfHeight, createdDpi_, dpi);
    scaled.lfWidth = ScaleToDpi(scaled.lfWidth, createdDpi_, dpi);
    font.reset(::CreateFontIndirectW(&scaled));
  }
  for (const auto& [control, created] : createdLayout_) {
    const DpiRect placed = ScaleToDpi(created, createdDpi_, dpi);
    (void)::SetWindowPos(control, nullptr, placed.left, placed.top, placed.right - placed.left,
                         placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (font) {
      (void)::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    }
  }
  // The previous font goes only once no control uses it.
  if (font) scaledFont_ = std::move(font);
  SetIcons(dpi);
  (void)::InvalidateRect(window_, nullptr, TRUE);
  if (events_ != nullptr) events_->OnPreviewResized();
  return TRUE;
}

INT_PTR MainWindow::OnClose() {
  (void)::ShowWindow(window_, SW_HIDE);
  return TRUE;
}

// Another program may still cancel the log-off: save now, but end only when
// the session really ends.
INT_PTR MainWindow::OnQueryEndSession() {
  if (events_ != nullptr) events_->OnSessionEnding();
  ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
  return TRUE;
}

INT_PTR MainWindow::OnEndSession(bool ending) {
  if (ending) ::PostQuitMessage(0);
  return TRUE;
}

INT_PTR MainWindow::OnShowWindow(bool shown) {
  if (events_ != nullptr) events_->OnShown(shown);
  return FALSE;
}

INT_PTR MainWindow::OnCommand(int controlId) {
  switch (controlId) {
    case IDCANCEL:
      (void)::ShowWindow(window_, SW_HIDE);
      return TRUE;
    case IDC_EXIT:
    case IDM_TRAY_EXIT:
      ::PostQuitMessage(0);
      return TRUE;
    case IDC_TAKE_PICTURE:
    case IDM_TRAY_TAKE_PICTURE:
      if (events_ != nullptr) events_->OnPictureRequested();
      return TRUE;
    case IDC_SETTINGS:
    case IDM_TRAY_SETTINGS:
      if (events_ != nullptr) events_->OnSettingsRequested();
      return TRUE;
    case IDM_TRAY_SHOW:
      Show();
      return TRUE;
    case IDC_HOME_PAGE:
      (void)::ShellExecuteW(window_, nullptr, kHomePageAddress, nullptr, nullptr, SW_SHOWNORMAL);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR MainWindow::OnTimer(UINT_PTR timerId) {
  switch (timerId) {
    case kUploadTimerId:
      if (events_ != nullptr) events_->OnUploadTimeLimit();
      return TRUE;
    case kCaptureTimerId:
      if (events_ != nullptr) events_->OnCaptureTick();
      return TRUE;
    case kTrayRetryTimerId:
      AddTrayIcon(true);
      return TRUE;
    case kGrabTimerId:
      StopGrabTimer();
      if (events_ != nullptr) events_->OnGrabTimer();
      return TRUE;
    case kOneShotBoundTimerId:
      (void)::KillTimer(window_, kOneShotBoundTimerId);
      if (events_ != nullptr) events_->OnOneShotBound();
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR MainWindow::OnTrayIcon(WPARAM wParam, LPARAM lParam) {
  const TrayNews news = DecodeTrayNews(tray_.Version4(), wParam, lParam);
  if (news.iconId != kTrayIconId) return TRUE;
  switch (news.event) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case NIN_BALLOONUSERCLICK:
    case NIN_SELECT:
    case NIN_KEYSELECT:
      Show();
      break;
    case WM_CONTEXTMENU: {
      // The shell's anchor: the click, or the icon when the keyboard asked.
      POINT anchor{news.x, news.y};
      if (!news.hasAnchor) (void)::GetCursorPos(&anchor);
      ShowTrayMenu(anchor);
      break;
    }
    case WM_RBUTTONUP:
      // A shell without version 4 sends no WM_CONTEXTMENU.
      if (!tray_.Version4()) {
        POINT anchor{};
        (void)::GetCursorPos(&anchor);
        ShowTrayMenu(anchor);
      }
      break;
    default:
      break;
  }
  return TRUE;
}

void MainWindow::ShowTrayMenu(POINT anchor) {
  unique_hmenu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
  HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
  if (popup == nullptr) return;
  // A click on the icon shows the window: the menu's default says so.
  (void)::SetMenuDefaultItem(popup, IDM_TRAY_SHOW, FALSE);
  // Like the window's button, off while an upload runs.
  const bool pictureAllowed = ::IsWindowEnabled(::GetDlgItem(window_, IDC_TAKE_PICTURE)) != FALSE;
  (void)::EnableMenuItem(popup, IDM_TRAY_TAKE_PICTURE,
                         MF_BYCOMMAND | (pictureAllowed ? MF_ENABLED : MF_GRAYED));
  // Without the foreground the menu would stay open when the user clicks
  // elsewhere; the WM_NULL after it lets the shell's task switch complete.
  (void)::SetForegroundWindow(window_);
  const UINT alignment =
      ::GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  (void)::TrackPopupMenuEx(popup, alignment | TPM_RIGHTBUTTON, anchor.x, anchor.y, window_,
                           nullptr);
  (void)::PostMessageW(window_, WM_NULL, 0, 0);
}

// The shell was restarted and has forgotten the icon, or some program says so
// while the icon still exists: either way it is put there anew.
INT_PTR MainWindow::OnTaskbarCreated() {
  trayAttempts_ = 0;
  AddTrayIcon(true);
  return TRUE;
}

void MainWindow::AddTrayIcon(bool again) {
  const bool added = again ? tray_.AddAgain() : tray_.Add(window_, WM_TRAYICON);
  if (added) {
    (void)::KillTimer(window_, kTrayRetryTimerId);
    trayAttempts_ = 0;
    return;
  }
  if (++trayAttempts_ < kTrayRetryAttempts) {
    (void)::SetTimer(window_, kTrayRetryTimerId, kTrayRetryPeriod, nullptr);
    return;
  }
  // The shell never took the icon. Kelpo keeps running, and shows its window
  // so that the user can still reach it.
  (void)::KillTimer(window_, kTrayRetryTimerId);
  Show();
}

void MainWindow::Show() {
  (void)::ShowWindow(window_, SW_SHOW);
  (void)::SetForegroundWindow(window_);
  (void)::SetActiveWindow(window_);
  (void)::SetFocus(window_);
}

void MainWindow::SetStatus(int id) { SetStatus(id, {}); }

void MainWindow::SetStatus(int id, const std::vector<std::wstring>& values) {
  try {
    lastStatus_ = id;
    lastStatusText_.clear();
    const std::wstring text = LoadTextWith(id, kStatusTextCapacity, values);
    (void)::SetDlgItemTextW(window_, IDC_STATUS, text.c_str());
    tray_.SetTip(text.empty() ? LoadText(kMsgTrayTip, kTipTextCapacity)
                              : TrayTipText(LoadText(kMsgTrayTipStatus, kTipTextCapacity), text,
                                            ShortTimeNow()));
    lastStatusText_ = text;
    if (StatusRaisesBalloon(id, balloonTips_, Visible())) {
      tray_.ShowBalloon(LoadText(kMsgErrorTitle, kTipTextCapacity), text);
    }
  } catch (...) {
    // Out of memory for a status text: the status line keeps its old text.
  }
}

void MainWindow::SetUploadRunning(bool running) {
  (void)::EnableWindow(::GetDlgItem(window_, IDC_TAKE_PICTURE), running ? FALSE : TRUE);
}

void MainWindow::StartCaptureTimer(UINT period) {
  // Periods beyond the timer service's maximum are limited by the system.
  (void)::SetTimer(window_, kCaptureTimerId, period, nullptr);
}

void MainWindow::StopCaptureTimer() { (void)::KillTimer(window_, kCaptureTimerId); }

void MainWindow::StartUploadTimer(UINT period) {
  (void)::SetTimer(window_, kUploadTimerId, period, nullptr);
}

void MainWindow::StopUploadTimer() { (void)::KillTimer(window_, kUploadTimerId); }

void MainWindow::StartGrabTimer(UINT period) {
  (void)::SetTimer(window_, kGrabTimerId, period, nullptr);
}

void MainWindow::StopGrabTimer() { (void)::KillTimer(window_, kGrabTimerId); }

void MainWindow::StartOneShotBound(UINT period) {
  (void)::SetTimer(window_, kOneShotBoundTimerId, period, nullptr);
}

}  // namespace kelpo
