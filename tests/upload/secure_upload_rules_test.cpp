#include "common/message_catalogue.h"
#include "upload/curl_outcome_rules.h"
#include "upload/fingerprint_rules.h"
#include "upload/remote_url_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelpo {
namespace {

using P = TransferProtocol;

TEST(SecureUploadRules, UrlsCarryTheDirectoryAsEachProtocolMeansIt) {
  const struct {
    RemoteTarget target;
    const char* url;
  } cases[] = {
      {{P::kFtps, L"ftp.example", 21, L"cam/pics", L"a b.jpg"},
       "ftp://ftp.example:21/cam/pics/a%20b.jpg"},
      {{P::kFtps, L"ftp.example", 990, L"", L"w.jpg"}, "ftps://ftp.example:990/w.jpg"},
      {{P::kFtps, L"h", 2121, L"/srv/cam/", L"w.jpg"}, "ftp://h:2121/%2F/srv/cam/w.jpg"},
      {{P::kSftp, L"h", 22, L"pictures", L"w.jpg"}, "sftp://h:22/~/pictures/w.jpg"},
      {{P::kSftp, L"h", 22, L"/var//www", L"w.jpg"}, "sftp://h:22/var/www/w.jpg"},
      {{P::kHttps, L"::1", 8443, L"dav", L"\u00e9t\u00e9#1.jpg"},
       "https://[::1]:8443/dav/%C3%A9t%C3%A9%231.jpg"},
  };
  for (const auto& c : cases) EXPECT_EQ(RemoteUrl(c.target).value_or("none"), c.url);
  // Names that would change the request, and hosts that would change the URL.
  EXPECT_FALSE(RemoteUrl({P::kFtps, L"h", 21, L"a\r\nDELE x", L"w.jpg"}));
  EXPECT_FALSE(RemoteUrl({P::kHttps, L"user@h", 443, L"", L"w.jpg"}));
  EXPECT_FALSE(RemoteUrl({P::kHttps, L"h", 443, L"", L"a/b.jpg"}));
  EXPECT_FALSE(RemoteUrl({P::kHttps, L"h", 443, L"", std::wstring(1, wchar_t(0xD800))}));
  EXPECT_FALSE(RemoteUrl({P::kHttps, L"h", 443, L"dav", L".."}));
}

TEST(SecureUploadRules, FoldersAreMadeOneLevelAtATimeBelowTheDirectory) {
  const struct {
    RemoteTarget target;
    const char* url;
    std::vector<std::string> steps;
  } cases[] = {
      {{P::kFtps, L"h", 21, L"/srv", L"w.jpg", L"2026/a b"},
       "ftp://h:21/%2F/srv/2026/a%20b/w.jpg",
       {"*MKD /srv/2026", "*MKD /srv/2026/a b"}},
      {{P::kSftp, L"h", 22, L"", L"w.jpg", L"x\"y/%"},
       "sftp://h:22/~/x%22y/%25/w.jpg",
       {"*mkdir \"x\\\"y\"", "*mkdir \"x\\\"y/%\""}},
      {{P::kHttps, L"h", 443, L"dav", L"w.jpg", L"\u00e9"},
       "https://h:443/dav/%C3%A9/w.jpg",
       {"https://h:443/dav/%C3%A9/"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RemoteUrl(c.target).value_or("none"), c.url);
    EXPECT_EQ(FolderSteps(c.target).value_or(std::vector<std::string>{"none"}), c.steps);
  }
  for (const wchar_t* unsafe : {L"/a", L"a//b", L"a/", L"a/../b", L".", L"a\\b", L"a\nb"}) {
    EXPECT_FALSE(FolderLevels(unsafe)) << unsafe;
    EXPECT_FALSE(RemoteUrl({P::kHttps, L"h", 443, L"dav", L"w.jpg", unsafe}));
  }
  EXPECT_EQ(CollectionStatus(kCurlOk, 405, ServerVerdict::kAccepted), 0);
  EXPECT_EQ(CollectionStatus(kCurlOk, 409, ServerVerdict::kAccepted), kMsgNoDirectory);
}

TEST(SecureUploadRules, FingerprintsReadAsToolsPrintThem) {
  // SHA-256 of nothing.
  const std::uint8_t empty[kSha256Bytes] = {0xe3, 0xb0, 0xc4, 0x42, 0x98, 0xfc, 0x1c, 0x14,
                                            0x9a, 0xfb, 0xf4, 0xc8, 0x99, 0x6f, 0xb9, 0x24,
                                            0x27, 0xae, 0x41, 0xe4, 0x64, 0x9b, 0x93, 0x4c,
                                            0xa4, 0x95, 0x99, 0x1b, 0x78, 0x52, 0xb8, 0x55};
  EXPECT_EQ(SshFingerprint(empty, kSha256Bytes),
            L"SHA256:47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU");
  const std::wstring hex = L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
  EXPECT_EQ(HexFingerprint(empty, kSha256Bytes), hex);
  EXPECT_TRUE(
      PinMatches(L"E3:B0:C4:42:98:FC:1C:14:9A:FB:F4:C8:99:6F:B9:24:27:AE:41:E4:64:9B:93:4C:"
                 L"A4:95:99:1B:78:52:B8:55",
                 empty, kSha256Bytes));
  EXPECT_FALSE(PinMatches(hex.substr(0, 62), empty, kSha256Bytes));
  EXPECT_FALSE(PinMatches(L"", empty, kSha256Bytes));
}

TEST(SecureUploadRules, EndingsReadAsTheStatusThatSaysWhy) {
  using V = ServerVerdict;
  const struct {
    int result;
    long http;
    V verdict;
    int status;
  } cases[] = {
      {kCurlOk, 0, V::kAccepted, kMsgUploadSucceeded},
      {kCurlOk, 201, V::kAccepted, kMsgUploadSucceeded},
      {kCurlOk, 401, V::kAccepted, kMsgFtpConnectFailed},
      {kCurlOk, 409, V::kAccepted, kMsgNoDirectory},
      {kCurlOk, 500, V::kAccepted, kMsgUploadFailed},
      {kCurlLoginDenied, 0, V::kAccepted, kMsgFtpConnectFailed},
      {kCurlRemoteAccessDenied, 0, V::kAccepted, kMsgNoDirectory},
      {kCurlRemoteFileNotFound, 0, V::kAccepted, kMsgNoDirectory},
      {kCurlUseSslFailed, 0, V::kNotAsked, kMsgTlsRefused},
      {kCurlOperationTimedOut, 0, V::kAccepted, kMsgUploadTooLong},
      {kCurlPeerFailedVerification, 0, V::kHostKeyChanged, kMsgHostKeyChanged},
      {kCurlAbortedByCallback, 0, V::kNotTrusted, kMsgCertificateNotTrusted},
      {kCurlAbortedByCallback, 0, V::kNotPinned, kMsgCertificateNotPinned},
      {kCurlAbortedByCallback, 0, V::kAccepted, kMsgUploadFailed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CurlFinalStatus(c.result, c.http, c.verdict), c.status) << c.result << " " << c.http;
  }
}

}  // namespace
}  // namespace kelpo
