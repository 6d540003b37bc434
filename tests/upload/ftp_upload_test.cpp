// The uploader against the real local FTP servers. The test plays its owner:
// a real window passes the news message and the time-limit timer to the
// uploader, and an observer records what the uploader reports and arms that
// timer on the window.
#include "upload/ftp_uploader.h"

#include "common/message_catalogue.h"
#include "upload/dial_up.h"
#include "upload/ftp_test_server.h"
#include "upload/internet_session.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kelpo {
namespace {

using namespace kelpo::test;

constexpr UINT kCompletionMessage = WM_APP + 40;
constexpr UINT_PTR kTimeLimitTimer = 2;
constexpr UINT kDefaultTimeLimit = 60000;
constexpr UINT kShortTimeLimit = 2000;
constexpr DWORD kFinalStatusWait = 20000;
// How long the servers may take to see our connections come and go: a late
// connect completes only after the greeting.
constexpr DWORD kServerWait = kLateGreeting + 5000;
// Longest that Start or Cancel may keep the window from its messages: well
// below the late server's pause before its greeting.
constexpr DWORD kUiThreadBudget = kLateGreeting / 2;

const std::vector<int> kSucceeded = {kMsgConnecting, kMsgChangingDirectory, kMsgUploading,
                                     kMsgUploadSucceeded};

class RecordingObserver : public UploadObserver {
 public:
  void OnUploadStatus(int statusId) override { statuses.push_back(statusId); }
  void StartUploadTimeLimit() override {
    timeLimitThreads.push_back(::GetCurrentThreadId());
    (void)::SetTimer(window, kTimeLimitTimer, timeLimit, nullptr);
  }
  void StopUploadTimeLimit() override { (void)::KillTimer(window, kTimeLimitTimer); }
  void OnUploadEnded(int finalStatus) override { ended.push_back(finalStatus); }

  HWND window = nullptr;
  UINT timeLimit = kDefaultTimeLimit;
  std::vector<int> statuses;
  std::vector<int> ended;
  std::vector<DWORD> timeLimitThreads;
};

// The owner's window: counts what reaches it and hands it to `uploader`.
class OwnerWindow {
 public:
  OwnerWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &OwnerWindow::Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KelpoUploadOwner";
    (void)::RegisterClassW(&windowClass);
    window_.reset(::CreateWindowW(windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, windowClass.hInstance, nullptr));
    (void)::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

  HWND get() const { return window_.get(); }

  FtpUploader* uploader = nullptr;
  int completions = 0;
  int timeLimitTicks = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<OwnerWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == kCompletionMessage) {
      ++self->completions;
      if (self->uploader != nullptr) self->uploader->OnNews(wParam, lParam);
      return 0;
    }
    if (self != nullptr && message == WM_TIMER && wParam == kTimeLimitTimer) {
      ++self->timeLimitTicks;
      if (self->uploader != nullptr) (void)self->uploader->OnTimeLimit();
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  unique_hwnd window_;
};

void Pump(DWORD duration) {
  (void)WaitFor([] { return false; }, duration);
}

DWORD Elapsed(DWORD since) { return ::GetTickCount() - since; }

class FtpUpload : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(FtpHomesFolder().empty())
        << "the test FTP server is not running: tests/support/services start";
    openAtStart_ = OpenFtpConnections(kFtpServer);
    openLateAtStart_ = OpenFtpConnections(kLateServer);
    session_ = std::make_unique<InternetSession>();
    window_ = std::make_unique<OwnerWindow>();
    observer_.window = window_->get();
    MakeUploader();

    wchar_t folder[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
    wchar_t name[MAX_PATH];
    ASSERT_NE(::GetTempFileNameW(folder, L"upt", 0, name), 0u);
    localFile_ = name;
    picture_ = SampleJpegBytes(96 * 1024, ++seed_);
    ASSERT_TRUE(WriteWholeFile(localFile_, picture_));
    job_ = {kFtpServer,         kNormalUser, kFtpPassword, kFtpDirectory,
            L"upload-test.jpg", localFile_,  false,        kDefaultTimeLimit};
  }

  void TearDown() override {
    uploader_.reset();
    window_.reset();
    session_.reset();
    // WinInet may still hold the file of an abandoned transfer.
    (void)::DeleteFileW(localFile_.c_str());
  }

  void MakeUploader() {
    uploader_ =
        std::make_unique<FtpUploader>(*session_, window_->get(), kCompletionMessage, observer_);
    window_->uploader = uploader_.get();
  }

  std::wstring Remote() const { return FtpFilePath(job_.user, job_.directory, job_.filename); }

  bool Ended() const { return !observer_.ended.empty() && !uploader_->Running(); }

  // Runs one upload of job_ to its end; its final status.
  int Upload() {
    (void)::DeleteFileW(Remote().c_str());
    observer_.statuses.clear();
    observer_.ended.clear();
    job_.timeLimit = observer_.timeLimit;
    EXPECT_TRUE(uploader_->Start(job_));
    EXPECT_TRUE(WaitFor([this] { return Ended(); }, kFinalStatusWait));
    EXPECT_EQ(observer_.ended.size(), 1u);
    return observer_.ended.empty() ? 0 : observer_.ended.back();
  }

  // The server sees every connection this test made closed again. (An earlier
  // test's abandoned transfer may still hold one: Wine ends it only when its
  // wait for the server's reply runs out.)
  void ExpectConnectionsClosed(const wchar_t* server = kFtpServer) {
    const int before = std::wstring(server) == kLateServer ? openLateAtStart_ : openAtStart_;
    EXPECT_TRUE(WaitFor([=] { return OpenFtpConnections(server) <= before; }, kServerWait))
        << OpenFtpConnections(server) << " connection(s) open on " << server << ", " << before
        << " before the test";
  }

  static inline unsigned seed_ = 0;
  std::unique_ptr<InternetSession> session_;
  std::unique_ptr<OwnerWindow> window_;
  RecordingObserver observer_;
  std::unique_ptr<FtpUploader> uploader_;
  std::wstring localFile_;
  std::vector<std::uint8_t> picture_;
  UploadJob job_;
  int openAtStart_ = 0;
  int openLateAtStart_ = 0;
};

TEST_F(FtpUpload, DeliversThePictureByteForByteInPassiveAndActiveMode) {
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    job_.passive = passive;
    job_.filename = passive ? L"passive.jpg" : L"active.jpg";
    EXPECT_EQ(Upload(), kMsgUploadSucceeded);
    EXPECT_EQ(observer_.statuses, kSucceeded);
    EXPECT_EQ(ReadWholeFile(Remote()), picture_);
    ExpectConnectionsClosed();
  }
}

TEST_F(FtpUpload, EmptyDirectoryUploadsIntoTheLoginDirectory) {
  job_.directory.clear();
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(FtpFilePath(kNormalUser, L"", job_.filename)), picture_);
}

TEST_F(FtpUpload, MakesMissingFoldersBelowTheDirectoryButNotTheDirectory) {
  const std::wstring made = L"made " + std::to_wstring(::GetTickCount());
  job_.createFolders = made + L"/2026";
  const std::wstring below = std::wstring(kFtpDirectory) + L"\\" + made + L"\\2026";
  for (int run = 0; run < 2; ++run) {  // then into the folders made before
    EXPECT_EQ(Upload(), kMsgUploadSucceeded);
    EXPECT_EQ(ReadWholeFile(FtpFilePath(kNormalUser, below, job_.filename)), picture_);
  }
  job_.user = kNoDirectoryUser;
  EXPECT_EQ(Upload(), kMsgNoDirectory);
  EXPECT_EQ(::GetFileAttributesW(
                (FtpHomesFolder() + L"\\" + kNoDirectoryUser + L"\\" + kFtpDirectory).c_str()),
            INVALID_FILE_ATTRIBUTES);
  ExpectConnectionsClosed();
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
    job_.server = c.server;
    job_.user = c.user;
    job_.password = c.password;
    EXPECT_EQ(Upload(), c.status);
    EXPECT_FALSE(FileExists(Remote()));
    ExpectConnectionsClosed();
  }
}

// The steps complete away from the window; the time limit must still be a
// timer of the window's thread, or it never fires.
TEST_F(FtpUpload, TimeLimitRunsOnTheWindowsThreadAndCutsANeverEndingTransferShort) {
  observer_.timeLimit = kShortTimeLimit;
  job_.user = kStallingUser;
  EXPECT_EQ(Upload(), kMsgUploadTooLong);
  EXPECT_EQ(observer_.statuses, (std::vector<int>{kMsgConnecting, kMsgChangingDirectory,
                                                  kMsgUploading, kMsgUploadTooLong}));
  EXPECT_EQ(observer_.timeLimitThreads, std::vector<DWORD>{::GetCurrentThreadId()});
  EXPECT_EQ(window_->timeLimitTicks, 1);
}

TEST_F(FtpUpload, NothingStartsWithoutServerOrWhileAnUploadRuns) {
  job_.server = L"1";
  EXPECT_FALSE(uploader_->Start(job_));
  job_.server = kFtpServer;
  ASSERT_TRUE(uploader_->Start(job_));
  EXPECT_FALSE(uploader_->Start(job_));
  ASSERT_TRUE(WaitFor([this] { return Ended(); }, kFinalStatusWait));
  EXPECT_EQ(observer_.statuses, kSucceeded);

  // Wine's RAS reports no connections at all.
  EXPECT_FALSE(IsDialUpConnected());
}

TEST_F(FtpUpload, UsesTheJobAsItWasWhenItStarted) {
  (void)::DeleteFileW(Remote().c_str());
  UploadJob job = job_;
  ASSERT_TRUE(uploader_->Start(job));
  // What the owner may do while the upload runs: apply new settings, take the
  // next picture's file name.
  job.directory = L"elsewhere";
  job.filename = L"other.jpg";
  job.localFile = L"C:\\nonexistent\\cam0.tmp";
  ASSERT_TRUE(WaitFor([this] { return Ended(); }, kFinalStatusWait));
  EXPECT_EQ(observer_.ended, std::vector<int>{kMsgUploadSucceeded});
  EXPECT_EQ(ReadWholeFile(Remote()), picture_);
}

TEST_F(FtpUpload, FinishedUploadLeavesNoTimeLimitBehind) {
  observer_.timeLimit = kShortTimeLimit;
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  Pump(kShortTimeLimit + 1000);
  EXPECT_EQ(window_->timeLimitTicks, 0);
  EXPECT_EQ(observer_.statuses, kSucceeded);
}

// The limit covers the whole exchange: a server that never greets is given up
// on by it, not only by WinInet's connect time-out.
TEST_F(FtpUpload, TimeLimitCoversTheConnect) {
  observer_.timeLimit = kShortTimeLimit;
  job_.server = kSilentServer;
  EXPECT_EQ(Upload(), kMsgUploadTooLong);
  EXPECT_EQ(observer_.statuses, (std::vector<int>{kMsgConnecting, kMsgUploadTooLong}));
}

// A transfer still flowing is ended by the owner's limit alone, however short
// WinInet's own time-outs are, and then it took too long.
TEST_F(FtpUpload, SlowTransferRunsUntilTheTimeLimitRatherThanWinInetsTimeOuts) {
  uploader_.reset();
  session_ = std::make_unique<InternetSession>(kShortTimeLimit);
  MakeUploader();
  job_.user = kSlowUser;
  picture_ = SampleJpegBytes(kSlowRate * 3, ++seed_);
  ASSERT_TRUE(WriteWholeFile(localFile_, picture_));
  observer_.timeLimit = kFinalStatusWait / 2;
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(Remote()), picture_);

  observer_.timeLimit = kShortTimeLimit / 2;
  EXPECT_EQ(Upload(), kMsgUploadTooLong);
  EXPECT_EQ(observer_.statuses.back(), kMsgUploadTooLong);
}

TEST_F(FtpUpload, CancelAbandonsARunningUploadAndTheNextOneSucceeds) {
  job_.passive = true;
  job_.user = kStallingUser;
  ASSERT_TRUE(uploader_->Start(job_));
  ASSERT_TRUE(
      WaitFor([this] { return uploader_->Step() == UploadStep::Uploading; }, kFinalStatusWait));

  uploader_->Cancel();
  EXPECT_FALSE(uploader_->Running());
  // The abandoned transfer reports nothing more, and its time limit is gone.
  Pump(1000);
  EXPECT_EQ(observer_.statuses,
            (std::vector<int>{kMsgConnecting, kMsgChangingDirectory, kMsgUploading}));
  EXPECT_TRUE(observer_.ended.empty());
  EXPECT_EQ(window_->timeLimitTicks, 0);

  // The next picture comes in a new file: WinInet keeps the abandoned one open
  // until its transfer gives up.
  const std::wstring abandonedFile = localFile_;
  localFile_ += L".next";
  ASSERT_TRUE(WriteWholeFile(localFile_, picture_));
  job_.localFile = localFile_;
  job_.user = kNormalUser;
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(Remote()), picture_);
  (void)::DeleteFileW(abandonedFile.c_str());
}

// Each abandoned connect completes while later uploads run, with a connection
// that nobody wants any more.
TEST_F(FtpUpload, AbandonedConnectsNeitherDisturbTheNextUploadNorStayOpen) {
  constexpr int kAbandoned = 9;
  UploadJob late = job_;
  late.server = kLateServer;
  for (int i = 1; i <= kAbandoned; ++i) {
    SCOPED_TRACE(testing::Message() << "upload " << i);
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(uploader_->Start(late));
    EXPECT_LT(Elapsed(start), kUiThreadBudget) << "Start waited for the network";
    ASSERT_TRUE(WaitFor([&] { return OpenFtpConnections(kLateServer) == openLateAtStart_ + i; },
                        kServerWait));
    const DWORD cancel = ::GetTickCount();
    uploader_->Cancel();
    EXPECT_LT(Elapsed(cancel), kUiThreadBudget) << "Cancel waited for the network";
  }

  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(Remote()), picture_);

  ExpectConnectionsClosed(kLateServer);
  Pump(500);
  EXPECT_EQ(observer_.statuses, kSucceeded);
  EXPECT_EQ(observer_.ended, std::vector<int>{kMsgUploadSucceeded});
  // Connect, directory, transfer: the late connects posted nothing at all.
  EXPECT_EQ(window_->completions, 3);
  EXPECT_EQ(window_->timeLimitTicks, 0);
}

TEST_F(FtpUpload, ConnectsCompletingAfterTheirUploaderIsGoneHarmNothing) {
  UploadJob late = job_;
  late.server = kLateServer;

  // An uploader destroyed while its window lives on.
  ASSERT_TRUE(uploader_->Start(late));
  ASSERT_TRUE(WaitFor([this] { return OpenFtpConnections(kLateServer) == openLateAtStart_ + 1; },
                      kServerWait));
  window_->uploader = nullptr;
  uploader_.reset();

  // A window destroyed before its uploader, the way the program ends.
  auto otherWindow = std::make_unique<OwnerWindow>();
  RecordingObserver otherObserver;
  otherObserver.window = otherWindow->get();
  auto other = std::make_unique<FtpUploader>(*session_, otherWindow->get(), kCompletionMessage,
                                             otherObserver);
  ASSERT_TRUE(other->Start(late));
  ASSERT_TRUE(WaitFor([this] { return OpenFtpConnections(kLateServer) == openLateAtStart_ + 2; },
                      kServerWait));
  otherWindow.reset();

  // Both connects complete now, and both connections are closed unseen.
  ExpectConnectionsClosed(kLateServer);
  other.reset();
  Pump(500);
  EXPECT_EQ(window_->completions, 0);
  EXPECT_EQ(observer_.statuses, std::vector<int>{kMsgConnecting});
  EXPECT_EQ(otherObserver.statuses, std::vector<int>{kMsgConnecting});

  MakeUploader();
  EXPECT_EQ(Upload(), kMsgUploadSucceeded);
  EXPECT_EQ(ReadWholeFile(Remote()), picture_);
}

}  // namespace
}  // namespace kelpo
