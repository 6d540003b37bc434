// The main window, its tray icon, status line and timers, driven by the
// messages the shell and Kelpo send it.
#include "app/main_window.h"
#include "common/message_catalogue.h"
#include "support/kelpo_process.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <memory>

namespace kelpo {
namespace {

using test::FindBalloon;
using test::TrayIconExists;
using test::WaitFor;

// Wine shows a balloon about two seconds after it is asked for: a balloon that
// has not appeared after kNoBalloonWait will not appear, and one that should
// appear gets a generous margin on a busy machine.
constexpr DWORD kNoBalloonWait = 4000;
constexpr DWORD kBalloonTimeout = 10000;
constexpr DWORD kTimerTimeout = 4000;
constexpr DWORD kMenuWait = 2000;
constexpr DWORD kPollInterval = 50;
constexpr UINT kOneSecond = 1000;
constexpr UINT_PTR kCaptureTimer = 1;

bool TakeQuitMessage() {
  MSG message;
  return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

std::wstring ControlText(HWND window, int id) {
  wchar_t text[kStatusTextCapacity] = {};
  (void)::GetDlgItemTextW(window, id, text, kStatusTextCapacity);
  return text;
}

// Counts what the window reports.
struct RecordedEvents : MainWindowEvents {
  void OnPictureRequested() override { ++pictures; }
  void OnCaptureTick() override { ++ticks; }
  void OnUploadTimeLimit() override {}
  void OnOneShotBound() override {}
  void OnUploadCompletion(WPARAM, LPARAM) override {}
  void OnGraphNotify() override {}
  void OnGrabTimer() override {}
  void OnSettingsRequested() override { ++settingsSheets; }
  void OnShown(bool) override {}
  void OnSessionEnding() override { ++saves; }
  void OnUnhandledError(std::exception_ptr) noexcept override {}

  int pictures = 0;
  int ticks = 0;
  int settingsSheets = 0;
  int saves = 0;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<MainWindow>();
    window->Create(events, true);
    handle = window->handle();
  }

  void TearDown() override {
    window.reset();
    (void)TakeQuitMessage();
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(handle, message, wParam, lParam);
  }

  bool Visible() const { return ::IsWindowVisible(handle) != FALSE; }

  RecordedEvents events;
  std::unique_ptr<MainWindow> window;
  HWND handle = nullptr;
};

TEST_F(MainWindowTest, StartsHiddenAsTheDialogThePlugInFindsAndTakesItsMessage) {
  ASSERT_TRUE(::IsWindow(handle));
  EXPECT_FALSE(Visible());
  EXPECT_EQ(::FindWindowW(L"#32770", L"Kelpo"), handle);
  EXPECT_EQ(ControlText(handle, IDC_STATUS), L"Ready");
  EXPECT_TRUE(TrayIconExists(handle));

  Send(::RegisterWindowMessageW(L"KelpoCapture"));
  Send(WM_COMMAND, IDC_TAKE_PICTURE);
  EXPECT_EQ(events.pictures, 2);
  Send(WM_COMMAND, IDC_SETTINGS);
  EXPECT_EQ(events.settingsSheets, 1);

  window.reset();
  EXPECT_FALSE(::IsWindow(handle));
  EXPECT_FALSE(TrayIconExists(handle));
}

TEST_F(MainWindowTest, LeftClicksAndBalloonClicksShowItCloseAndEscHideIt) {
  Send(WM_TRAYICON, 0, WM_RBUTTONDOWN);
  Send(WM_TRAYICON, 0, WM_RBUTTONUP);
  Send(WM_TRAYICON, 0, WM_MOUSEMOVE);
  Send(WM_TRAYICON, 0, MAKELPARAM(WM_LBUTTONDOWN, 1));  // not Kelpo's icon
  EXPECT_FALSE(Visible());

  Send(WM_TRAYICON, 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(Visible());
  Send(WM_CLOSE);
  EXPECT_FALSE(Visible());
  EXPECT_TRUE(TrayIconExists(handle));

  Send(WM_TRAYICON, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Visible());
  Send(WM_COMMAND, IDCANCEL);
  EXPECT_FALSE(Visible());

  Send(WM_TRAYICON, 0, NIN_BALLOONUSERCLICK);
  EXPECT_TRUE(Visible());

  // Hiding never ends the program.
  EXPECT_FALSE(TakeQuitMessage());
  EXPECT_TRUE(::IsWindow(handle));
}

// The shell's version-4 news of a right click or the Menu key opens the menu
// at the anchor it gives; the keys queued behind it pick an item, and Esc
// closes a menu whose item could not be picked.
TEST_F(MainWindowTest, TrayMenuTakesAPictureShowsTheWindowAndExits) {
  ASSERT_TRUE(window->Tray().Version4());
  const auto pick = [&](wchar_t mnemonic) {
    ::PostMessageW(handle, WM_TRAYICON, MAKEWPARAM(200, 150), MAKELPARAM(WM_CONTEXTMENU, 0));
    ::PostMessageW(handle, WM_CHAR, mnemonic, 0);
    ::PostMessageW(handle, WM_KEYDOWN, VK_ESCAPE, 0);
  };
  window->SetUploadRunning(true);
  pick(L'p');
  EXPECT_FALSE(WaitFor([&] { return events.pictures > 0; }, kNoBalloonWait));
  window->SetUploadRunning(false);
  pick(L'p');
  EXPECT_TRUE(WaitFor([&] { return events.pictures == 1; }, kTimerTimeout));
  pick(L'k');
  EXPECT_TRUE(WaitFor([&] { return Visible(); }, kTimerTimeout));
  pick(L'x');
  (void)WaitFor([] { return false; }, kMenuWait);  // the quit request stays queued
  EXPECT_TRUE(TakeQuitMessage());
}

// Moved to a monitor at 150 %: the title bar and the task switcher get icons
// of that scale's sizes, not the old ones stretched.
TEST_F(MainWindowTest, DpiChangeSetsIconsOfTheNewSizes) {
  const auto width = [&](WPARAM kind) {
    ICONINFO info{};
    const auto icon = reinterpret_cast<HICON>(Send(WM_GETICON, kind));
    if (icon == nullptr || !::GetIconInfo(icon, &info)) return 0L;
    BITMAP mask{};
    (void)::GetObjectW(info.hbmMask, sizeof(mask), &mask);
    (void)::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) (void)::DeleteObject(info.hbmColor);
    return mask.bmWidth;
  };
  EXPECT_EQ(width(ICON_SMALL), ::GetSystemMetrics(SM_CXSMICON));
  RECT area{};
  (void)::GetWindowRect(handle, &area);
  constexpr UINT kDpiChanged = 0x02E0;
  Send(kDpiChanged, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&area));
  EXPECT_EQ(width(ICON_SMALL), ::GetSystemMetrics(SM_CXSMICON) * 3 / 2);
  EXPECT_EQ(width(ICON_BIG), ::GetSystemMetrics(SM_CXICON) * 3 / 2);
}

TEST_F(MainWindowTest, ExitAndQuitAppEndTheLoopALogOffOnlyWhenItReallyHappens) {
  Send(WM_COMMAND, 4242);
  EXPECT_FALSE(TakeQuitMessage());

  Send(WM_COMMAND, IDC_EXIT);
  EXPECT_TRUE(TakeQuitMessage());
  Send(WM_QUITAPP);
  EXPECT_TRUE(TakeQuitMessage());

  // Asked whether the session may end: the settings are saved and the answer
  // is yes, but another program may still cancel the log-off, so Kelpo runs on.
  EXPECT_EQ(Send(WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(events.saves, 1);
  EXPECT_FALSE(TakeQuitMessage());
  Send(WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(TakeQuitMessage());
  EXPECT_TRUE(::IsWindow(handle));
  // The session really ends.
  Send(WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(MainWindowTest, ErrorsRaiseABalloonOnlyWhileHidden) {
  const std::wstring success = L"Image uploaded successfully.";
  const std::wstring pictureError = L"Error: Unable to take a picture.";
  const std::wstring uploadError = L"Could not upload image to FTP server.";

  window->SetStatus(kMsgUploadSucceeded);
  EXPECT_EQ(ControlText(handle, IDC_STATUS), success);
  EXPECT_FALSE(WaitFor([&] { return FindBalloon(success) != nullptr; }, kNoBalloonWait));

  window->SetStatus(kMsgPictureFailed);
  EXPECT_TRUE(WaitFor([&] { return FindBalloon(pictureError) != nullptr; }, kBalloonTimeout));

  // Shown, the window's own status line is enough.
  window->Show();
  window->SetStatus(kMsgUploadFailed);
  EXPECT_FALSE(WaitFor([&] { return FindBalloon(uploadError) != nullptr; }, kNoBalloonWait));
  EXPECT_EQ(ControlText(handle, IDC_STATUS), uploadError);
  EXPECT_EQ(window->LastStatus(), kMsgUploadFailed);
}

TEST_F(MainWindowTest, TaskbarCreatedPutsTheIconBackWhetherTheShellForgotItOrNot) {
  const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
  // Any program may broadcast the message while the icon still exists.
  Send(taskbarCreated);
  EXPECT_TRUE(TrayIconExists(handle));
  EXPECT_FALSE(TakeQuitMessage());

  // A restarted shell has forgotten the icon.
  NOTIFYICONDATAW icon{};
  icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
  icon.hWnd = handle;
  ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &icon));
  ASSERT_FALSE(TrayIconExists(handle));
  Send(taskbarCreated);
  EXPECT_TRUE(TrayIconExists(handle));
  EXPECT_FALSE(TakeQuitMessage());
  EXPECT_TRUE(::IsWindow(handle));
}

// Takes the timer's next tick from the queue before anything dispatches it.
bool TakeTimerTick(HWND window, UINT_PTR id, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < timeoutMs) {
    MSG message;
    while (::PeekMessageW(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      if (message.wParam == id) return true;
    }
    (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollInterval, QS_TIMER);
  }
  return false;
}

TEST_F(MainWindowTest, CaptureTimerTicksUntilStopped) {
  window->StartCaptureTimer(kOneSecond);
  EXPECT_TRUE(TakeTimerTick(handle, kCaptureTimer, kTimerTimeout));
  EXPECT_TRUE(TakeTimerTick(handle, kCaptureTimer, kTimerTimeout));
  Send(WM_TIMER, kCaptureTimer);
  EXPECT_EQ(events.ticks, 1);

  window->StopCaptureTimer();
  EXPECT_FALSE(::KillTimer(handle, kCaptureTimer));
}

}  // namespace
}  // namespace kelpo
