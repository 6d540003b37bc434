// Kelpo's whole job against the local FTP server: the picture pipeline from
// the shipped still picture, the upload, the time limit, the plug-in's
// message, and kelpo.exe itself in its one-shot and normal runs.
#include "app/application.h"
#include "common/message_catalogue.h"
#include "picture/leftover_files.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"
#include "support/secure_servers.h"
#include "upload/ftp_test_server.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

using namespace kelpo::test;

constexpr DWORD kUploadWait = 20000;
constexpr UINT kShortTimeLimit = 2000;
// A window that answers takes far less than this; a window waiting on the
// network takes as long as the server does (kLateGreeting and more).
constexpr DWORD kAnswerWait = 1000;
// Wine keeps the file of an abandoned FTP transfer for 30 seconds.
constexpr DWORD kReleaseWait = 45000;
// Wine's FTP connect waits 30 seconds for the greeting and 30 for the answer
// to USER; a one-shot run gives up well within its bound of two minutes.
constexpr DWORD kOneShotLongest = 90000;
// Exit during a transfer that hangs waits for neither the transfer nor its
// file (Wine's WinInet holds it far longer than any wait would be worth).
// Quiet, it ends within half a second; after the other test programs have
// run in the same Wine, the process's end alone has been seen to take 2 s.
constexpr DWORD kExitLongest = 5000;

std::wstring DemoPicture() {
  return ProgramFolder() + L"..\\..\\..\\tools\\demo-assets\\seaside.jpg";
}

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder, length);
}

// The temporary pictures ("cam" files) in the temporary folder.
int CamFileCount() {
  WIN32_FIND_DATAW found;
  unique_hfind search(::FindFirstFileW((TempFolder() + L"cam*.tmp").c_str(), &found));
  if (!search) return 0;
  int count = 1;
  while (::FindNextFileW(search.get(), &found)) ++count;
  return count;
}

std::uint64_t LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// True while someone (WinInet) holds the file open without sharing it.
bool IsHeldOpen(const std::wstring& path) {
  unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return !file && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

// Kelpo's status texts are ASCII.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool IsJpeg(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 &&
         bytes[bytes.size() - 2] == 0xFF && bytes[bytes.size() - 1] == 0xD9;
}

// ---- In the test program: the real main window and pipeline.

class MainJob : public test::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_FALSE(FtpHomesFolder().empty())
        << "the test FTP server is not running: tests/support/services start";
    ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
    ASSERT_TRUE(WriteDword(L"deviceType", kDeviceImageFile));
    ASSERT_TRUE(WriteString(L"devicePath", DemoPicture()));
    ASSERT_TRUE(WriteString(L"server", kFtpServer));
    ASSERT_TRUE(WriteString(L"user", kStallingUser));
    ASSERT_TRUE(WriteString(L"password", kFtpPassword));
    ASSERT_TRUE(WriteString(L"directory", kFtpDirectory));
    ASSERT_TRUE(WriteString(L"filename", L"main-job.jpg"));
    ASSERT_TRUE(WriteDword(L"dialup", 0));
    (void)::DeleteFileW(FtpFilePath(kNormalUser, kFtpDirectory, L"main-job.jpg").c_str());
  }

  void TearDown() override {
    app_.reset();
    RegistryTest::TearDown();
  }

  // Starts the program in this process; its first picture is on its way.
  void Start(UINT uploadTimeLimit = 60000) {
    Application::Options options;
    options.uploadTimeLimit = uploadTimeLimit;
    app_ = std::make_unique<Application>(options);
    app_->Start();
  }

  bool WaitForStatus(int id) {
    return WaitFor([this, id] { return app_->window().LastStatus() == id; }, kUploadWait);
  }

  std::wstring TempFile() const { return app_->pictures().TempFilePath(); }

  std::unique_ptr<Application> app_;
};

TEST_F(MainJob, KelpoCaptureDuringAnUploadAbandonsItAndUploadsTheNewPicture) {
  Start();
  ASSERT_TRUE(WaitForStatus(kMsgUploading));
  const HWND window = app_->window().handle();
  const HWND button = ::GetDlgItem(window, IDC_TAKE_PICTURE);
  EXPECT_FALSE(::IsWindowEnabled(button));

  // The server is put right while the transfer hangs; the remote control asks
  // for a picture.
  app_->settings().user = kNormalUser;
  ::SendMessageW(window, ::RegisterWindowMessageW(L"KelpoCapture"), 0, 0);
  ASSERT_TRUE(WaitForStatus(kMsgUploadSucceeded));
  EXPECT_TRUE(::IsWindowEnabled(button));
  // WinInet lets go of the file just after it reported the end.
  std::vector<std::uint8_t> sent;
  EXPECT_TRUE(WaitFor([&] { return !(sent = ReadWholeFile(TempFile())).empty(); }, kUploadWait));
  EXPECT_EQ(ReadWholeFile(FtpFilePath(kNormalUser, kFtpDirectory, L"main-job.jpg")), sent);
}

TEST_F(MainJob, TimeLimitTakesANewPictureUnlessTheTimerIsDisabled) {
  Start(kShortTimeLimit);
  ASSERT_TRUE(WaitForStatus(kMsgUploading));
  const std::wstring first = TempFile();
  // The expiry shows 66 and at once starts the next picture, which hangs too.
  ASSERT_TRUE(WaitFor([&] { return TempFile() != first; }, kUploadWait));
  EXPECT_TRUE(WaitForStatus(kMsgUploading));

  app_->settings().disableTimer = true;
  const std::wstring second = TempFile();
  ASSERT_TRUE(WaitForStatus(kMsgUploadTooLong));
  (void)WaitFor([] { return false; }, kShortTimeLimit);
  EXPECT_EQ(app_->window().LastStatus(), kMsgUploadTooLong);
  EXPECT_EQ(TempFile(), second);
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(app_->window().handle(), IDC_TAKE_PICTURE)));
}

TEST_F(MainJob, FileOfAnAbandonedTransferIsDeletedOnceNothingHoldsIt) {
  ASSERT_TRUE(WriteDword(L"disableTimer", 1));
  const int camFiles = CamFileCount();
  Start();
  ASSERT_TRUE(WaitForStatus(kMsgUploading));
  const std::wstring sent = TempFile();

  // A picture that goes nowhere abandons the hanging transfer. WinInet still
  // holds the sent file, so it cannot go yet; the new picture goes on.
  app_->settings().disableFTP = true;
  app_->cycle().RequestPicture();
  ASSERT_TRUE(WaitFor([this] { return !app_->cycle().MakingPicture(); }, kUploadWait));
  EXPECT_NE(TempFile(), sent);
  EXPECT_TRUE(FileExists(TempFile()));
  EXPECT_TRUE(IsHeldOpen(sent));
  EXPECT_EQ(app_->window().LastStatus(), kMsgPictureTaken);

  // Wine lets go of it only when its fixed wait for the server's reply ends;
  // WinInet's time-out options do not shorten that wait.
  ASSERT_TRUE(WaitFor([&] { return !IsHeldOpen(sent); }, kReleaseWait));
  app_->cycle().RequestPicture();
  ASSERT_TRUE(WaitFor([this] { return !app_->cycle().MakingPicture(); }, kUploadWait));
  EXPECT_FALSE(FileExists(sent));
  EXPECT_EQ(CamFileCount(), camFiles + 1);

  // At exit too: the test holds the picture as WinInet would, and lets go of
  // it before the end.
  const std::wstring held = TempFile();
  {
    unique_file holder(::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    app_->cycle().RequestPicture();
    ASSERT_TRUE(WaitFor([this] { return !app_->cycle().MakingPicture(); }, kUploadWait));
    EXPECT_TRUE(FileExists(held));
    EXPECT_TRUE(FileExists(TempFile()));
  }
  app_.reset();
  EXPECT_FALSE(FileExists(held));
  EXPECT_EQ(CamFileCount(), camFiles);
}

// ---- kelpo.exe as a process, configured through the registry.

class KelpoRun : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(FtpHomesFolder().empty())
        << "the test FTP server is not running: tests/support/services start";
    (void)::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
    ASSERT_TRUE(WriteDword(L"deviceType", 1));
    ASSERT_TRUE(WriteString(L"devicePath", DemoPicture()));
    ASSERT_TRUE(WriteString(L"server", kFtpServer));
    ASSERT_TRUE(WriteString(L"user", kNormalUser));
    ASSERT_TRUE(WriteString(L"password", kFtpPassword));
    ASSERT_TRUE(WriteString(L"directory", kFtpDirectory));
    ASSERT_TRUE(WriteString(L"filename", remoteName_));
    ASSERT_TRUE(WriteString(L"wisdom", L"Kelpo under test"));
    ASSERT_TRUE(WriteDword(L"dialup", 0));
    (void)::DeleteFileW(Remote().c_str());
    camFiles_ = CamFileCount();
  }

  void TearDown() override {
    (void)::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    (void)::DeleteFileW(localCopy_.c_str());
  }

  std::wstring Remote(const wchar_t* user = kNormalUser) const {
    return FtpFilePath(user, kFtpDirectory, remoteName_);
  }

  struct Ending {
    DWORD exitCode = kStillRunning;
    std::string printed;  // what it wrote to its standard output
  };
  static constexpr DWORD kStillRunning = 0xFFFFFFFF;

  // Runs "kelpo.exe oneshot" to its end.
  Ending RunOneShot(DWORD timeoutMs = kUploadWait) {
    Ending ending;
    KelpoProcess kelpo(L"oneshot", true);
    if (!kelpo.started() || !kelpo.WaitForExit(ending.exitCode, timeoutMs)) return ending;
    ending.printed = kelpo.Output();
    return ending;
  }

  const std::wstring remoteName_ = L"kelpo-run.jpg";
  const std::wstring localCopy_ = TempFolder() + L"kelpo-run-local.jpg";
  int camFiles_ = 0;
};

TEST_F(KelpoRun, OneShotUploadsThePictureAndEndsWithoutItsTemporaryFile) {
  ASSERT_TRUE(WriteDword(L"passiveftp", 1));
  ASSERT_TRUE(WriteDword(L"savetofile", 1));
  ASSERT_TRUE(WriteString(L"localfilename", localCopy_));
  const Ending ending = RunOneShot();
  EXPECT_EQ(ending.exitCode, 0u);
  EXPECT_EQ(ending.printed, "Image uploaded successfully.\r\n");
  const std::vector<std::uint8_t> uploaded = ReadWholeFile(Remote());
  EXPECT_TRUE(IsJpeg(uploaded));
  EXPECT_EQ(uploaded, ReadWholeFile(localCopy_));
  EXPECT_EQ(CamFileCount(), camFiles_);
}

// The settings choose the protocol; the first SFTP delivery keeps the
// server's host key in them.
TEST_F(KelpoRun, OneShotBySftpDeliversAndKeepsTheServersHostKey) {
  ASSERT_TRUE(WriteDword(L"protocol", static_cast<std::uint32_t>(TransferProtocol::kSftp)));
  ASSERT_TRUE(WriteDword(L"port", test::kSftpPort));
  ASSERT_TRUE(WriteString(L"user", kSecureUser));
  ASSERT_TRUE(WriteString(L"password", kSecurePassword));
  ASSERT_TRUE(WriteString(L"directory", kSecureDirectory));
  EXPECT_EQ(RunOneShot().exitCode, 0u);
  EXPECT_TRUE(IsJpeg(ReadWholeFile(SecureHomePath(L"pictures/" + remoteName_))));
  std::wstring stored;
  EXPECT_TRUE(ReadString(L"hostkey", stored));
  const std::string expected = ReadSecureStateText(L"hostkey-a");
  EXPECT_EQ(stored, std::wstring(expected.begin(), expected.end()));
}

// Every way a one-shot run can end, each with its exit code and the status
// it prints; each ends by itself and leaves no temporary file.
TEST_F(KelpoRun, OneShotEndsWithAnExitCodeAndPrintsWhy) {
  struct Case {
    const wchar_t* name;
    const wchar_t* value;   // a string setting, or
    std::uint32_t flag;     // a number
    const wchar_t* alsoOn;  // a second setting turned on, if any
    DWORD exitCode;
    std::vector<int> printed;
  };
  const std::wstring unwritable = TempFolder() + L"no-such-folder\\local.jpg";
  const Case cases[] = {
      {L"password", L"wrong", 0, nullptr, 3, {kMsgFtpConnectFailed}},
      {L"user", kNoDirectoryUser, 0, nullptr, 3, {kMsgNoDirectory}},
      {L"user", kReadOnlyUser, 0, nullptr, 3, {kMsgUploadFailed}},
      {L"user", kDroppingUser, 0, nullptr, 3, {kMsgUploadFailed}},
      {L"server", L"x", 0, nullptr, 3, {kMsgFtpConnectFailed}},     // no server: no upload
      {L"dialup", nullptr, 1, nullptr, 3, {kMsgFtpConnectFailed}},  // no dial-up connection
      {L"devicePath", L"C:\\no such picture.png", 0, nullptr, 2, {kMsgPictureFailed}},
      {L"CropX", nullptr, 16000, L"CropEnable", 2, {kMsgCropOutsidePicture}},
      {L"disableFTP", nullptr, 1, nullptr, 0, {}},  // nothing to deliver
      {L"localfilename",
       unwritable.c_str(),
       0,
       L"savetofile",
       4,
       {kMsgUploadSucceeded, kMsgLocalCopyFailed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.value != nullptr ? WriteString(c.name, c.value) : WriteDword(c.name, c.flag));
    if (c.alsoOn != nullptr) {
      ASSERT_TRUE(WriteDword(c.alsoOn, 1));
    }
    const Ending ending = RunOneShot();
    EXPECT_EQ(ending.exitCode, c.exitCode);
    std::string printed;
    for (int id : c.printed) printed += Narrow(LoadText(id, kStatusTextCapacity)) + "\r\n";
    EXPECT_EQ(ending.printed, printed);
    EXPECT_EQ(FileExists(Remote()), c.exitCode == 4);
    EXPECT_EQ(CamFileCount(), camFiles_);
    SetUp();
  }
  // A source setting of the wrong kind reads as the default, the camera, and
  // there is none: no picture.
  SetRawString(L"deviceType", L"1");
  EXPECT_EQ(RunOneShot().exitCode, 2u);
}

TEST_F(KelpoRun, NormalRunUploadsEveryIntervalAndKeepsOneTemporaryFile) {
  ASSERT_TRUE(WriteDword(L"timevalue", 1));
  ASSERT_TRUE(WriteDword(L"timeunit", 0));
  KelpoProcess kelpo;
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);

  int uploads = 0;
  std::uint64_t lastWrite = 0;
  int mostCamFiles = 0;
  (void)WaitFor(
      [&] {
        const std::uint64_t written = LastWriteTime(Remote());
        if (written != 0 && written != lastWrite) {
          ++uploads;
          lastWrite = written;
        }
        mostCamFiles = std::max(mostCamFiles, CamFileCount() - camFiles_);
        return uploads >= 4;
      },
      kUploadWait);
  EXPECT_GE(uploads, 4);
  EXPECT_LE(mostCamFiles, 1);

  ::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(IsJpeg(ReadWholeFile(Remote())));
  EXPECT_EQ(CamFileCount(), camFiles_);
}

// The status line's text, read without waiting on a window that does not answer.
std::wstring StatusText(HWND window) {
  wchar_t text[kStatusTextCapacity] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(::GetDlgItem(window, IDC_STATUS), WM_GETTEXT, kStatusTextCapacity,
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kAnswerWait,
                             &copied)) {
    return {};
  }
  return text;
}

TEST_F(KelpoRun, TrayClickWhileTheFirstConnectWaitsForTheServerShowsTheWindowAtOnce) {
  // The first picture's connect waits for a server that greets late.
  ASSERT_TRUE(WriteString(L"server", kLateServer));
  KelpoProcess kelpo;
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(
      WaitFor([&] { return StatusText(window) == LoadText(kMsgConnecting, kStatusTextCapacity); },
              kUploadWait));

  // The shell hands clicks over the way it always does: without waiting.
  ASSERT_TRUE(::SendNotifyMessageW(window, WM_TRAYICON, 0, WM_LBUTTONDOWN));
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }, kAnswerWait));

  // The connect went on meanwhile and comes to its end.
  EXPECT_TRUE(WaitFor(
      [&] {
        const std::wstring status = StatusText(window);
        return !status.empty() && status != LoadText(kMsgConnecting, kStatusTextCapacity);
      },
      kUploadWait));
}

TEST_F(KelpoRun, OneShotAgainstAServerThatNeverGreetsEndsAndTheWindowAnswersMeanwhile) {
  ASSERT_TRUE(WriteString(L"server", kSilentServer));
  KelpoProcess kelpo(L"oneshot", true);
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(
      WaitFor([&] { return StatusText(window) == LoadText(kMsgConnecting, kStatusTextCapacity); },
              kUploadWait));
  // While the connect waits, every message is answered at once.
  int answered = 0;
  DWORD exitCode = kStillRunning;
  const DWORD start = ::GetTickCount();
  while (!kelpo.WaitForExit(exitCode, kAnswerWait / 4)) {
    const DWORD asked = ::GetTickCount();
    DWORD_PTR result = 0;
    const bool answers =
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerWait, &result) != 0;
    if (!::IsWindow(window)) continue;  // it ended meanwhile
    ASSERT_TRUE(answers);
    ASSERT_LT(::GetTickCount() - asked, kAnswerWait);
    ++answered;
    ASSERT_LT(::GetTickCount() - start, kOneShotLongest) << "the run does not end";
  }
  EXPECT_GT(answered, 10);
  EXPECT_EQ(exitCode, 3u);
  EXPECT_EQ(kelpo.Output(), Narrow(LoadText(kMsgFtpConnectFailed, kStatusTextCapacity)) + "\r\n");
}

TEST_F(KelpoRun, ExitWhileTheConnectWaitsForASilentServerEndsAtOnce) {
  ASSERT_TRUE(WriteString(L"server", kSilentServer));
  KelpoProcess kelpo;
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(
      WaitFor([&] { return StatusText(window) == LoadText(kMsgConnecting, kStatusTextCapacity); },
              kUploadWait));
  const DWORD asked = ::GetTickCount();
  ::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  DWORD exitCode = kStillRunning;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_LT(::GetTickCount() - asked, kExitLongest);
}

TEST_F(KelpoRun, ExitDuringAStalledUploadLeavesNoTemporaryFileOnceKelpoStartsAgain) {
  ASSERT_TRUE(WriteString(L"user", kStallingUser));
  ASSERT_TRUE(WriteDword(L"disableTimer", 1));
  {
    KelpoProcess kelpo;
    const HWND window = kelpo.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(
        WaitFor([&] { return StatusText(window) == LoadText(kMsgUploading, kStatusTextCapacity); },
                kUploadWait));
    const DWORD asked = ::GetTickCount();
    ::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
    DWORD exitCode = kStillRunning;
    ASSERT_TRUE(kelpo.WaitForExit(exitCode));
    EXPECT_EQ(exitCode, 0u);
    // Exit does not wait for the transfer that hangs.
    EXPECT_LT(::GetTickCount() - asked, kExitLongest);
  }
  // The transfer still held its file when Kelpo ended; the next start, of
  // any kind, deletes it.
  ASSERT_TRUE(WriteDword(L"disableFTP", 1));
  EXPECT_EQ(RunOneShot().exitCode, 0u);
  EXPECT_EQ(CamFileCount(), camFiles_);
  HKEY leftovers = nullptr;
  EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, kLeftoverFilesKey, 0, KEY_READ, &leftovers),
            ERROR_SUCCESS);
  if (leftovers != nullptr) (void)::RegCloseKey(leftovers);
}

// The server announces UTF8: names beyond ASCII arrive as they were typed,
// not in the ANSI code page ('?' for what it lacks).
TEST_F(KelpoRun, FileNamesBeyondAsciiArriveIntactWhereTheServerTakesUtf8) {
  for (const wchar_t* name : {L"caf\u00e9.jpg", L"\u6444\u50cf\u5934.jpg"}) {
    ASSERT_TRUE(WriteString(L"filename", name));
    const std::wstring remote = FtpFilePath(kNormalUser, kFtpDirectory, name);
    (void)::DeleteFileW(remote.c_str());
    EXPECT_EQ(RunOneShot().exitCode, 0u);
    EXPECT_TRUE(IsJpeg(ReadWholeFile(remote))) << "not at " << Narrow(remote);
    (void)::DeleteFileW(remote.c_str());
  }
}

}  // namespace
}  // namespace kelpo
