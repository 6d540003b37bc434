// The curl uploader against the real secure test servers: each protocol's
// delivery, and each way it refuses a server or is refused.
#include "upload/curl_uploader.h"

#include "common/message_catalogue.h"
#include "support/secure_servers.h"
#include "upload/curl_library.h"
#include "upload/ftp_test_server.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

using namespace kelpo::test;

// Wine's chain engine reads the trusted roots once per process: the test CA
// must be in the store before any test of this program builds a chain.
class TrustTestCaEnvironment : public testing::Environment {
 public:
  void SetUp() override { (void)TrustTestCa(); }
};
[[maybe_unused]] testing::Environment* const kTrustTestCa =
    testing::AddGlobalTestEnvironment(new TrustTestCaEnvironment);

constexpr UINT kNewsMessage = WM_APP + 41;
constexpr UINT_PTR kTimeLimitTimer = 3;
constexpr DWORD kFinalStatusWait = 30000;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The owner: a window that hands the news and the time limit to the uploader,
// and a record of what the uploader said.
class Owner : public UploadObserver {
 public:
  Owner() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Owner::Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KelpoSecureUploadOwner";
    (void)::RegisterClassW(&windowClass);
    window.reset(::CreateWindowW(windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10,
                                 nullptr, nullptr, windowClass.hInstance, nullptr));
    (void)::SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

  void OnUploadStatus(int statusId) override { statuses.push_back(statusId); }
  void OnUploadStatusWith(int statusId, const std::vector<std::wstring>& shown) override {
    statuses.push_back(statusId);
    values = shown;
  }
  void OnHostKeyLearned(const std::wstring& fingerprint) override { learned = fingerprint; }
  void StartUploadTimeLimit() override {
    (void)::SetTimer(window.get(), kTimeLimitTimer, 60000, nullptr);
  }
  void StopUploadTimeLimit() override { (void)::KillTimer(window.get(), kTimeLimitTimer); }
  void OnUploadEnded(int) override { ended = true; }

  unique_hwnd window;
  Uploader* uploader = nullptr;
  std::vector<int> statuses;
  std::vector<std::wstring> values;
  std::wstring learned;
  bool ended = false;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && self->uploader != nullptr && message == kNewsMessage) {
      self->uploader->OnNews(wParam, lParam);
      return 0;
    }
    if (self != nullptr && self->uploader != nullptr && message == WM_TIMER) {
      (void)self->uploader->OnTimeLimit();
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
};

class SecureUpload : public testing::Test {
 protected:
  void SetUp() override {
    hostKeyA_ = Wide(ReadSecureStateText(L"hostkey-a"));
    ASSERT_FALSE(hostKeyA_.empty()) << "the secure test servers are not running";
    ASSERT_TRUE(library_.ready());
    picture_ = SampleJpegBytes(200 * 1024, ::GetTickCount());
    local_ = ProgramFolder() + L"secure-upload.jpg";
    ASSERT_TRUE(WriteWholeFile(local_, picture_));
    job_.server = kSecureServer;
    job_.user = kSecureUser;
    job_.password = kSecurePassword;
    job_.directory = kSecureDirectory;
    job_.filename = L"secure-" + std::to_wstring(++count_) + L".jpg";
    job_.localFile = local_;
  }

  void TearDown() override { (void)::DeleteFileW(local_.c_str()); }

  void Use(TransferProtocol protocol, std::uint16_t port) {
    job_.protocol = protocol;
    job_.port = port;
    if (protocol == TransferProtocol::kHttps)
      job_.directory = std::wstring(kDavRoot) + L"/pictures";
  }

  // Runs the upload to its end; its final status.
  int Run() {
    owner_.statuses.clear();
    owner_.values.clear();
    owner_.ended = false;
    CurlUploader uploader(library_, owner_.window.get(), kNewsMessage, owner_);
    owner_.uploader = &uploader;
    if (!uploader.Start(job_)) return -1;
    (void)WaitFor([&] { return owner_.ended; }, kFinalStatusWait);
    owner_.uploader = nullptr;
    return owner_.statuses.empty() ? 0 : owner_.statuses.back();
  }

  std::vector<std::uint8_t> Arrived() const {
    const std::wstring folders = job_.createFolders.empty() ? L"" : job_.createFolders + L"/";
    const std::wstring name = std::wstring(kSecureDirectory) + L"/" + folders + job_.filename;
    return ReadWholeFile(job_.protocol == TransferProtocol::kHttps ? DavPath(name)
                                                                   : SecureHomePath(name));
  }

  static inline CurlLibrary library_;
  static inline unsigned count_ = 0;
  Owner owner_;
  UploadJob job_;
  std::wstring local_;
  std::wstring hostKeyA_;
  std::vector<std::uint8_t> picture_;
};

TEST_F(SecureUpload, SftpDeliversAndLearnsTheHostKeyOnFirstUse) {
  Use(TransferProtocol::kSftp, test::kSftpPort);
  EXPECT_EQ(Run(), kMsgUploadSucceeded);
  EXPECT_EQ(owner_.statuses,
            (std::vector<int>{kMsgConnecting, kMsgUploading, kMsgUploadSucceeded}));
  EXPECT_EQ(Arrived(), picture_);
  EXPECT_EQ(owner_.learned, hostKeyA_);
}

TEST_F(SecureUpload, SftpRefusesAChangedHostKeyAndNamesBoth) {
  Use(TransferProtocol::kSftp, test::kSftpPort);
  job_.server = kChangedKeySftpServer;
  job_.hostKey = hostKeyA_;
  EXPECT_EQ(Run(), kMsgHostKeyChanged);
  EXPECT_EQ(owner_.values,
            (std::vector<std::wstring>{hostKeyA_, Wide(ReadSecureStateText(L"hostkey-b"))}));
  EXPECT_TRUE(Arrived().empty());
}

TEST_F(SecureUpload, SftpWrongPasswordAndMissingDirectory) {
  Use(TransferProtocol::kSftp, test::kSftpPort);
  job_.hostKey = hostKeyA_;
  job_.password = L"wrong";
  EXPECT_EQ(Run(), kMsgFtpConnectFailed);
  job_.password = kSecurePassword;
  job_.directory = L"missing";
  EXPECT_EQ(Run(), kMsgNoDirectory);
  EXPECT_TRUE(owner_.learned.empty());
}

TEST_F(SecureUpload, FtpsDeliversToAServerWindowsTrusts) {
  ASSERT_TRUE(TrustTestCa());
  Use(TransferProtocol::kFtps, test::kFtpsPort);
  EXPECT_EQ(Run(), kMsgUploadSucceeded);
  EXPECT_EQ(owner_.statuses, (std::vector<int>{kMsgConnecting, kMsgChangingDirectory, kMsgUploading,
                                               kMsgUploadSucceeded}));
  EXPECT_EQ(Arrived(), picture_);
}

TEST_F(SecureUpload, FtpsRefusesAnUntrustedServerUnlessItsCertificateIsPinned) {
  ASSERT_TRUE(TrustTestCa());
  Use(TransferProtocol::kFtps, test::kFtpsPort);
  job_.server = kUntrustedFtpsServer;
  const std::wstring fingerprint = Wide(ReadSecureStateText(L"untrusted.sha256"));
  EXPECT_EQ(Run(), kMsgCertificateNotTrusted);
  EXPECT_EQ(owner_.values, std::vector<std::wstring>{fingerprint});
  EXPECT_TRUE(Arrived().empty());
  job_.certPin = fingerprint;
  EXPECT_EQ(Run(), kMsgUploadSucceeded);
  EXPECT_EQ(Arrived(), picture_);
}

TEST_F(SecureUpload, HttpsPutsWithTheRightPasswordIntoAnExistingCollection) {
  ASSERT_TRUE(TrustTestCa());
  Use(TransferProtocol::kHttps, test::kHttpsPort);
  job_.password = L"wrong";
  EXPECT_EQ(Run(), kMsgFtpConnectFailed);
  job_.password = kSecurePassword;
  job_.directory = std::wstring(kDavRoot) + L"/missing";
  EXPECT_EQ(Run(), kMsgNoDirectory);
  Use(TransferProtocol::kHttps, test::kHttpsPort);
  EXPECT_EQ(Run(), kMsgUploadSucceeded);
  EXPECT_EQ(Arrived(), picture_);
}

TEST_F(SecureUpload, EachProtocolMakesMissingFoldersBelowTheDirectoryButNotTheDirectory) {
  ASSERT_TRUE(TrustTestCa());
  const std::wstring made = L"made " + std::to_wstring(::GetTickCount());
  using P = TransferProtocol;
  for (const auto& [protocol, port] : {std::pair{P::kSftp, test::kSftpPort},
                                       {P::kFtps, test::kFtpsPort},
                                       {P::kHttps, test::kHttpsPort}}) {
    SCOPED_TRACE(static_cast<int>(protocol));
    job_.directory = kSecureDirectory;
    Use(protocol, static_cast<std::uint16_t>(port));
    job_.hostKey = hostKeyA_;
    job_.createFolders =
        made + std::to_wstring(static_cast<int>(protocol)) + L"/\u00e9t\u00e9 100%";
    EXPECT_EQ(Run(), kMsgUploadSucceeded);
    EXPECT_EQ(Arrived(), picture_);
    EXPECT_EQ(Run(), kMsgUploadSucceeded);  // into the folders made before
    job_.directory = protocol == P::kHttps ? std::wstring(kDavRoot) + L"/missing" : L"missing";
    EXPECT_EQ(Run(), kMsgNoDirectory);
    EXPECT_EQ(
        ::GetFileAttributesW(
            (protocol == P::kHttps ? DavPath(L"missing") : SecureHomePath(L"missing")).c_str()),
        INVALID_FILE_ATTRIBUTES);
  }
}

}  // namespace
}  // namespace kelpo
