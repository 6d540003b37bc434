// The main window, tray icon, status line and capture timer of an Application
// built in this process, driven by the messages the shell and Kelpo send it.
#include "app/application.h"
#include "app/main_window.h"
#include "app/message_catalogue.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <atomic>
#include <memory>
#include <thread>

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
constexpr DWORD kPollInterval = 50;

bool TakeQuitMessage() {
  MSG message;
  return ::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

std::wstring ControlText(HWND window, int id) {
  wchar_t text[kStatusTextCapacity] = {};
  (void)::GetDlgItemTextW(window, id, text, kStatusTextCapacity);
  return text;
}

bool ButtonEnabled(HWND window) {
  return ::IsWindowEnabled(::GetDlgItem(window, IDC_TAKE_PICTURE)) != FALSE;
}

class MainWindowTest : public test::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    app = std::make_unique<Application>();
    app->CreateMainWindow();
    app->AddTrayIcon();
    window = app->mainWindow;
  }

  void TearDown() override {
    app.reset();
    (void)TakeQuitMessage();
    RegistryTest::TearDown();
  }

  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(window, message, wParam, lParam);
  }

  bool Visible() const { return ::IsWindowVisible(window) != FALSE; }

  std::unique_ptr<Application> app;
  HWND window = nullptr;
};

TEST_F(MainWindowTest, StartsHiddenAsTheDialogThePlugInFinds) {
  ASSERT_TRUE(::IsWindow(window));
  EXPECT_FALSE(Visible());
  EXPECT_EQ(::FindWindowW(L"#32770", L"Kelpo"), window);
  EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(app.get()));
  EXPECT_EQ(ControlText(window, IDC_STATUS), L"Ready");
  EXPECT_TRUE(ButtonEnabled(window));
  EXPECT_TRUE(TrayIconExists(window));
  EXPECT_NE(app->kelpoCaptureMessage, 0u);
  EXPECT_EQ(app->kelpoCaptureMessage, ::RegisterWindowMessageW(L"KelpoCapture"));
}

TEST_F(MainWindowTest, LeftClicksAndBalloonClicksShowItCloseAndEscHideIt) {
  Send(WM_TRAYICON, 0, WM_RBUTTONDOWN);
  Send(WM_TRAYICON, 0, WM_RBUTTONUP);
  Send(WM_TRAYICON, 0, WM_MOUSEMOVE);
  Send(WM_TRAYICON, 1, WM_LBUTTONDOWN);  // not Kelpo's icon
  EXPECT_FALSE(Visible());

  Send(WM_TRAYICON, 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(Visible());
  Send(WM_CLOSE);
  EXPECT_FALSE(Visible());
  EXPECT_TRUE(TrayIconExists(window));

  Send(WM_TRAYICON, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Visible());
  Send(WM_COMMAND, IDCANCEL);
  EXPECT_FALSE(Visible());

  Send(WM_TRAYICON, 0, NIN_BALLOONUSERCLICK);
  EXPECT_TRUE(Visible());

  // Hiding never ends the program.
  EXPECT_FALSE(TakeQuitMessage());
  EXPECT_TRUE(::IsWindow(window));
}

TEST_F(MainWindowTest, ExitQuitAppAndEndOfSessionEndTheMessageLoop) {
  Send(WM_COMMAND, 4242);
  EXPECT_FALSE(TakeQuitMessage());

  Send(WM_COMMAND, IDC_EXIT);
  EXPECT_TRUE(TakeQuitMessage());
  Send(WM_QUITAPP);
  EXPECT_TRUE(TakeQuitMessage());

  // The log-off may proceed, and the settings are saved first.
  EXPECT_EQ(Send(WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_TRUE(TakeQuitMessage());
  std::wstring filename;
  EXPECT_TRUE(ReadString(L"filename", filename));
  EXPECT_EQ(filename, L"webcam.jpg");
}

TEST_F(MainWindowTest, PictureButtonIsDisabledFromConnectingToTheFinalStatus) {
  for (int finalStatus : {kMsgFtpConnectFailed, kMsgUploadSucceeded, kMsgUploadFailed,
                          kMsgNoDirectory, kMsgUploadTooLong}) {
    app->SetStatus(kMsgConnecting);
    EXPECT_EQ(ControlText(window, IDC_STATUS), L"Connecting to FTP server...");
    EXPECT_FALSE(ButtonEnabled(window));
    EXPECT_FALSE(app->ftpIdle);

    for (int progress : {kMsgChangingDirectory, kMsgUploading, kMsgPictureFailed}) {
      app->SetStatus(progress);
      EXPECT_FALSE(ButtonEnabled(window)) << progress;
      EXPECT_FALSE(app->ftpIdle) << progress;
    }
    EXPECT_EQ(app->lastStatusId, kMsgPictureFailed);
    EXPECT_EQ(ControlText(window, IDC_STATUS), L"Error: Unable to take a picture.");

    app->SetStatus(finalStatus);
    EXPECT_TRUE(ButtonEnabled(window)) << finalStatus;
    EXPECT_TRUE(app->ftpIdle) << finalStatus;
    EXPECT_EQ(app->lastStatusId, finalStatus);
  }
  EXPECT_EQ(ControlText(window, IDC_STATUS),
            L"Canceled uploading the image because it took too long.");
}

TEST_F(MainWindowTest, StatusFromAnotherThreadReachesTheWindow) {
  // WinInet reports from its own thread while this one handles messages.
  std::atomic<bool> done{false};
  std::thread reporter([&] {
    app->SetStatus(kMsgConnecting);
    app->SetStatus(kMsgUploading);
    done = true;
  });
  EXPECT_TRUE(WaitFor([&] { return done.load(); }, test::kWindowTimeout));
  reporter.join();
  EXPECT_EQ(ControlText(window, IDC_STATUS), L"Uploading image to FTP server...");
  EXPECT_FALSE(ButtonEnabled(window));
  EXPECT_FALSE(app->ftpIdle);

  done = false;
  std::thread finisher([&] {
    app->SetStatus(kMsgUploadSucceeded);
    done = true;
  });
  EXPECT_TRUE(WaitFor([&] { return done.load(); }, test::kWindowTimeout));
  finisher.join();
  EXPECT_EQ(ControlText(window, IDC_STATUS), L"Image uploaded successfully.");
  EXPECT_TRUE(ButtonEnabled(window));
  EXPECT_TRUE(app->ftpIdle);
}

TEST_F(MainWindowTest, ErrorsRaiseABalloonOnlyWhileHidden) {
  ASSERT_TRUE(app->balloonTips);
  const std::wstring success = L"Image uploaded successfully.";
  const std::wstring pictureError = L"Error: Unable to take a picture.";
  const std::wstring uploadError = L"Could not upload image to FTP server.";

  app->SetStatus(kMsgUploadSucceeded);
  EXPECT_FALSE(WaitFor([&] { return FindBalloon(success) != nullptr; }, kNoBalloonWait));

  app->SetStatus(kMsgPictureFailed);
  EXPECT_TRUE(WaitFor([&] { return FindBalloon(pictureError) != nullptr; }, kBalloonTimeout));

  // Shown, the window's own status line is enough.
  app->ShowMainWindow();
  app->SetStatus(kMsgUploadFailed);
  EXPECT_FALSE(WaitFor([&] { return FindBalloon(uploadError) != nullptr; }, kNoBalloonWait));
  EXPECT_EQ(ControlText(window, IDC_STATUS), uploadError);
}

TEST_F(MainWindowTest, TaskbarCreatedAddsTheIconAgainOrEndsTheProgram) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
  icon.hWnd = window;
  ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &icon));  // as a restarted shell forgets it
  ASSERT_FALSE(TrayIconExists(window));

  Send(app->taskbarCreatedMessage);
  EXPECT_TRUE(TrayIconExists(window));
  EXPECT_FALSE(TakeQuitMessage());

  // The shell refuses a second icon with the same ID: the re-add fails, and
  // the program ends without a message.
  Send(app->taskbarCreatedMessage);
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_FALSE(app->pendingError);
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
  app->settings.timevalue = 1;
  app->settings.timeunit = 0;
  app->StartCaptureTimer();
  EXPECT_TRUE(TakeTimerTick(window, app->captureTimerId, kTimerTimeout));
  EXPECT_TRUE(TakeTimerTick(window, app->captureTimerId, kTimerTimeout));

  app->StopCaptureTimer();
  EXPECT_FALSE(::KillTimer(window, app->captureTimerId));

  // 999 hours exceed what the timer service takes; it still runs (limited).
  app->settings.timevalue = 999;
  app->settings.timeunit = 2;
  app->StartCaptureTimer();
  EXPECT_TRUE(::KillTimer(window, app->captureTimerId));
}

}  // namespace
}  // namespace kelpo
