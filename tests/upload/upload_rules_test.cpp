#include "upload/upload_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(UploadRules, EachStepsNewsMovesTheUploadOnAndOtherNewsIsDropped) {
  using N = UploadNews;
  using S = UploadStep;
  using A = UploadAction;
  struct Case {
    S step;
    N news;
    bool succeeded;
    S next;
    A action;
    int status;
  };
  const Case cases[] = {
      {S::Connecting, N::Connected, true, S::ChangingDirectory, A::Continue, 18},
      {S::Connecting, N::Connected, false, S::Idle, A::Finish, 11},
      {S::ChangingDirectory, N::DirectoryEntered, true, S::Uploading, A::Continue, 17},
      {S::ChangingDirectory, N::DirectoryEntered, false, S::Idle, A::Finish, 22},
      {S::Uploading, N::Sent, true, S::Idle, A::Finish, 12},
      {S::Uploading, N::Sent, false, S::Idle, A::Finish, 19},
      // A step reported twice, or news after the upload was abandoned or over.
      {S::ChangingDirectory, N::Connected, true, S::ChangingDirectory, A::Ignore, 0},
      {S::Uploading, N::DirectoryEntered, false, S::Uploading, A::Ignore, 0},
      {S::Idle, N::Sent, true, S::Idle, A::Ignore, 0},
  };
  for (const Case& c : cases) {
    const UploadTransition t = NextUploadStep(c.step, c.news, c.succeeded);
    const int step = static_cast<int>(c.step);
    const int news = static_cast<int>(c.news);
    EXPECT_EQ(t.next, c.next) << step << " " << news << " " << c.succeeded;
    EXPECT_EQ(t.action, c.action) << step << " " << news << " " << c.succeeded;
    EXPECT_EQ(t.status, c.status) << step << " " << news << " " << c.succeeded;
  }
}

TEST(UploadRules, StartsOnlyWhenIdleConnectedAndWithAServer) {
  EXPECT_TRUE(UploadMayStart(true, true, L"ftp.example.com"));
  EXPECT_TRUE(UploadMayStart(true, true, L"ab"));
  EXPECT_FALSE(UploadMayStart(true, true, L"a"));
  EXPECT_FALSE(UploadMayStart(true, true, L""));
  EXPECT_FALSE(UploadMayStart(true, true, std::wstring(L"\0b", 2)));
  EXPECT_FALSE(UploadMayStart(false, true, L"ftp.example.com"));
  EXPECT_FALSE(UploadMayStart(true, false, L"ftp.example.com"));
}

TEST(UploadRules, EmptyDirectoryMeansTheLoginDirectory) {
  EXPECT_EQ(RemoteDirectory(L""), L".");
  EXPECT_EQ(RemoteDirectory(std::wstring(L"\0x", 2)), L".");
  EXPECT_EQ(RemoteDirectory(L"webcam"), L"webcam");
  EXPECT_EQ(RemoteDirectory(L"/pub/cam"), L"/pub/cam");
}

TEST(UploadRules, TheOwnersLimitOutlastsWinInetsTimeOutsAndEndsWithAPicture) {
  EXPECT_GT(StretchedTimeout(60000, 0), 60000u);
  EXPECT_GT(StretchedTimeout(60000, 59000), 1000u);
  EXPECT_LT(StretchedTimeout(60000, 59000), 60000u);
  EXPECT_EQ(StretchedTimeout(60000, 70000), StretchedTimeout(60000, 60000));

  EXPECT_TRUE(PictureAfterTimeLimit(true, false, false));
  EXPECT_FALSE(PictureAfterTimeLimit(true, true, false));
  EXPECT_FALSE(PictureAfterTimeLimit(true, false, true));
  EXPECT_FALSE(PictureAfterTimeLimit(false, false, false));
}

TEST(UploadRules, RepliesAreCompleteAtTheirLastLineAndFeatMayAnnounceUtf8) {
  std::size_t length = 0;
  EXPECT_EQ(CompleteFtpReply("220 Ready.\r\n", length), 220);
  EXPECT_EQ(length, 12u);
  EXPECT_EQ(CompleteFtpReply("220 Rea", length), 0);
  EXPECT_EQ(CompleteFtpReply("220\n", length), 220);
  const std::string feat =
      "211-Features supported:\r\n EPRT\r\n MLST type*;size;\r\n utf8\r\n211 End FEAT.\r\n";
  for (std::size_t cut = 0; cut < feat.size(); ++cut) {
    EXPECT_EQ(CompleteFtpReply(feat.substr(0, cut), length), 0) << cut;
  }
  EXPECT_EQ(CompleteFtpReply(feat + "221 Bye.\r\n", length), 211);
  EXPECT_EQ(length, feat.size());
  // Inner lines that start with a code but no blank do not end it.
  EXPECT_EQ(CompleteFtpReply("211-a\r\n211-b\r\n2110\r\n", length), 0);
  EXPECT_EQ(CompleteFtpReply("SSH-2.0-OpenSSH\r\n", length), -1);

  EXPECT_TRUE(FeatAnnouncesUtf8(feat));
  EXPECT_TRUE(FeatAnnouncesUtf8("211-Extensions:\n UTF8 \n211 END\n"));
  EXPECT_FALSE(FeatAnnouncesUtf8("211-Features:\r\n SIZE\r\n UTF8X\r\n211 End\r\n"));
  EXPECT_FALSE(FeatAnnouncesUtf8("211-UTF8\r\n211 UTF8\r\n"));
  EXPECT_FALSE(FeatAnnouncesUtf8("500 FEAT not understood.\r\n"));

  EXPECT_FALSE(NeedsUtf8(L"webcam.jpg"));
  EXPECT_TRUE(NeedsUtf8(L"caf\u00e9.jpg"));
  EXPECT_TRUE(NeedsUtf8(L"\u56fe\u7247.jpg"));
}

}  // namespace
}  // namespace kelpo
