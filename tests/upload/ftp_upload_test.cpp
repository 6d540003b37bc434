// The upload against a real FTP server on 127.0.0.1:21, driven in-process:
// the test writes the "picture" into tempFilePath itself and plays the main
// window's part for the time-limit timer and the one-shot end.
#include "app/application.h"
#include "app/message_catalogue.h"
#include "upload/ftp_test_server.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelpo {
namespace {

using namespace kelpo::test;

constexpr DWORD kFinalStatusWait = 20000;
constexpr UINT kShortTimeLimit = 2000;

bool IsFinalStatus(int id) {
  return id == kMsgUploadSucceeded || id == kMsgFtpConnectFailed || id == kMsgNoDirectory ||
         id == kMsgUploadFailed || id == kMsgUploadTooLong;
}

// Stands in for the main window: counts time-limit ticks and one-shot ends.
class TestWindow {
 public:
  explicit TestWindow(Application& app) : app_(app) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TestWindow::Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KelpoUploadTestWindow";
    (void)::RegisterClassW(&windowClass);
    window_ = ::CreateWindowW(windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    app_.mainWindow = window_;
  }

  int timeLimitTicks = 0;
  int quits = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_TIMER && wParam == self->app_.uploadTimerId) {
      ++self->timeLimitTicks;
      self->app_.OnUploadTimeLimit();
      return 0;
    }
    if (self != nullptr && message == WM_QUITAPP) {
      ++self->quits;
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  Application& app_;
  HWND window_ = nullptr;
};

// Pumps messages (the callback's status texts and the timers need the UI
// thread) until `done` holds or `timeout` passes.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeout) return false;
    (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

void Pump(DWORD duration) {
  (void)PumpUntil([] { return false; }, duration);
}

class FtpUpload : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(FtpHomesFolder().empty())
        << "the test FTP server is not running: tests/support/services start";
    app_ = std::make_unique<Application>();
    window_ = std::make_unique<TestWindow>(*app_);
    wchar_t folder[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
    wchar_t name[MAX_PATH];
    ASSERT_NE(::GetTempFileNameW(folder, L"upt", 0, name), 0u);
    localFile_ = name;
    picture_ = SampleJpegBytes(96 * 1024, ++seed_);
    ASSERT_TRUE(WriteWholeFile(localFile_, picture_));
    app_->tempFilePath = localFile_;
    app_->tempFileExists = true;

    Settings& s = app_->settings;
    s.server = kFtpServer;
    s.user = kNormalUser;
    s.password = kFtpPassword;
    s.directory = kFtpDirectory;
    s.filename = L"upload-test.jpg";
    s.dialup = false;
  }

  void TearDown() override {
    app_.reset();  // deletes the temporary file
    window_.reset();
  }

  std::wstring Remote(const wchar_t* user = kNormalUser) const {
    return FtpFilePath(user, app_->settings.directory, app_->settings.filename);
  }

  int Upload() {
    (void)::DeleteFileW(Remote(app_->settings.user.c_str()).c_str());
    app_->StartUpload();
    (void)PumpUntil([this] { return Finished(); }, kFinalStatusWait);
    return app_->lastStatusId;
  }

  // SetStatus shows the final status a moment before it sets the idle flag.
  bool Finished() const { return IsFinalStatus(app_->lastStatusId) && app_->ftpIdle; }

  void ExpectIdle() {
    EXPECT_EQ(app_->ftpConnection.load(), nullptr);
    EXPECT_TRUE(app_->transferIdle);
    EXPECT_TRUE(app_->ftpIdle);
  }

  static inline unsigned seed_ = 0;
  std::unique_ptr<Application> app_;
  std::unique_ptr<TestWindow> window_;
  std::wstring localFile_;
  std::vector<std::uint8_t> picture_;
};

TEST_F(FtpUpload, DeliversThePictureByteForByteInPassiveAndActiveMode) {
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    app_->settings.passiveftp = passive;
    app_->settings.filename = passive ? L"passive.jpg" : L"active.jpg";
    EXPECT_EQ(Upload(), kMsgUploadSucceeded);
    EXPECT_EQ(ReadWholeFile(Remote()), picture_);
    ExpectIdle();
  }
}

TEST_F(FtpUpload, EmptyDirectoryUploadsIntoTheLoginDirectory) {
  app_->settings.directory.clear();
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(FtpFilePath(kNormalUser, L"", L"upload-test.jpg")), picture_);
}

TEST_F(FtpUpload, EachFailureEndsWithItsStatusAndClosesTheConnection) {
  struct Case {
    const wchar_t* server;
    const wchar_t* user;
    const wchar_t* password;
    int status;
  };
  const Case cases[] = {
      {kRefusingServer, kNormalUser, kFtpPassword, kMsgFtpConnectFailed},
      {kFtpServer, kNormalUser, L"wrong", kMsgFtpConnectFailed},
      {kFtpServer, kNoDirectoryUser, kFtpPassword, kMsgNoDirectory},
      {kFtpServer, kReadOnlyUser, kFtpPassword, kMsgUploadFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "expected status " << c.status);
    app_->settings.server = c.server;
    app_->settings.user = c.user;
    app_->settings.password = c.password;
    EXPECT_EQ(Upload(), c.status);
    EXPECT_FALSE(FileExists(Remote(c.user)));
    ExpectIdle();
    EXPECT_EQ(window_->quits, 0);
  }
}

TEST_F(FtpUpload, TimeLimitCancelsATransferThatNeverEnds) {
  app_->uploadTimeLimit = kShortTimeLimit;
  app_->settings.user = kStallingUser;
  app_->settings.disableTimer = true;
  EXPECT_EQ(Upload(), kMsgUploadTooLong);
  EXPECT_EQ(window_->timeLimitTicks, 1);
  ExpectIdle();
}

TEST_F(FtpUpload, NothingStartsWithoutServerOrDialUpConnection) {
  (void)::DeleteFileW(Remote().c_str());
  app_->SetStatus(kMsgTrayTip);
  app_->settings.server = L"1";
  app_->StartUpload();
  Pump(500);
  EXPECT_EQ(app_->lastStatusId, kMsgTrayTip);

  // Wine's RAS reports no connections at all.
  app_->settings.server = kFtpServer;
  app_->settings.dialup = true;
  EXPECT_FALSE(app_->IsDialUpConnected());
  app_->StartUpload();
  Pump(500);
  EXPECT_EQ(app_->lastStatusId, kMsgTrayTip);
  EXPECT_FALSE(FileExists(Remote()));
  EXPECT_EQ(app_->ftpConnection.load(), nullptr);
  EXPECT_EQ(window_->quits, 0);
}

TEST_F(FtpUpload, UsesTheSettingsAndFileAsTheyWereWhenItStarted) {
  app_->settings.user = kNormalUser;
  (void)::DeleteFileW(Remote().c_str());
  const std::wstring expected = Remote();
  app_->StartUpload();
  // What the UI thread may do while the upload runs: apply new settings,
  // take the next picture's file name.
  app_->settings.directory = L"elsewhere";
  app_->settings.filename = L"other.jpg";
  app_->tempFilePath = L"C:\\nonexistent\\cam0.tmp";
  ASSERT_TRUE(PumpUntil([this] { return Finished(); }, kFinalStatusWait));
  EXPECT_EQ(app_->lastStatusId, kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(expected), picture_);
  app_->tempFilePath = localFile_;
}

TEST_F(FtpUpload, FinishedUploadLeavesNoTimeLimitBehind) {
  app_->uploadTimeLimit = kShortTimeLimit;
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  Pump(kShortTimeLimit + 1000);
  EXPECT_EQ(window_->timeLimitTicks, 0);
  EXPECT_EQ(app_->lastStatusId, kMsgUploadSucceeded);
}

TEST_F(FtpUpload, CancelAbandonsARunningUploadAndTheNextOneSucceeds) {
  app_->settings.passiveftp = true;
  app_->settings.user = kStallingUser;
  app_->StartUpload();
  ASSERT_TRUE(PumpUntil([this] { return app_->lastStatusId == kMsgUploading; }, kFinalStatusWait));
  ASSERT_NE(app_->ftpConnection.load(), nullptr);
  EXPECT_FALSE(app_->transferIdle);

  app_->CancelUpload();
  ExpectIdle();
  // The abandoned transfer reports nothing more, and its time limit is gone.
  Pump(1000);
  EXPECT_EQ(app_->lastStatusId, kMsgUploading);
  EXPECT_EQ(window_->timeLimitTicks, 0);

  // The next picture comes in a new file: WinInet keeps the abandoned one open
  // until its transfer gives up.
  app_->tempFilePath = localFile_ + L".next";
  ASSERT_TRUE(WriteWholeFile(app_->tempFilePath, picture_));
  app_->settings.user = kNormalUser;
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(Remote()), picture_);
  (void)::DeleteFileW(app_->tempFilePath.c_str());
  app_->tempFilePath = localFile_;
}

TEST_F(FtpUpload, CompletionStillEndsTheUploadAfterAnotherStatusWasShown) {
  app_->StartUpload();
  // A failed picture reports itself while the upload runs.
  app_->SetStatus(kMsgPictureFailed);
  ASSERT_TRUE(PumpUntil([this] { return Finished(); }, kFinalStatusWait));
  EXPECT_EQ(app_->lastStatusId, kMsgUploadSucceeded);
  ExpectIdle();
}

}  // namespace
}  // namespace kelpo
