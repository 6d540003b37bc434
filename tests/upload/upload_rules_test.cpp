#include "upload/upload_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(UploadRules, EachCompletionMovesTheUploadOn) {
  struct Case {
    UploadStep step;
    bool succeeded;
    UploadStep next;
    UploadAction action;
    int status;
  };
  const Case cases[] = {
      {UploadStep::Connecting, true, UploadStep::ChangingDirectory, UploadAction::ChangeDirectory,
       18},
      {UploadStep::Connecting, false, UploadStep::Idle, UploadAction::Finish, 11},
      {UploadStep::ChangingDirectory, true, UploadStep::Uploading, UploadAction::PutFile, 17},
      {UploadStep::ChangingDirectory, false, UploadStep::Idle, UploadAction::Finish, 22},
      {UploadStep::Uploading, true, UploadStep::Idle, UploadAction::Finish, 12},
      {UploadStep::Uploading, false, UploadStep::Idle, UploadAction::Finish, 19},
      // A completion after the upload was abandoned or finished changes nothing.
      {UploadStep::Idle, true, UploadStep::Idle, UploadAction::Ignore, 0},
      {UploadStep::Idle, false, UploadStep::Idle, UploadAction::Ignore, 0},
  };
  for (const Case& c : cases) {
    const UploadTransition t = NextUploadStep(c.step, c.succeeded);
    EXPECT_EQ(t.next, c.next) << static_cast<int>(c.step) << " " << c.succeeded;
    EXPECT_EQ(t.action, c.action) << static_cast<int>(c.step) << " " << c.succeeded;
    EXPECT_EQ(t.status, c.status) << static_cast<int>(c.step) << " " << c.succeeded;
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

TEST(UploadRules, ImmediateResultsAndTheTimeLimit) {
  EXPECT_EQ(ClassifyConnectResult(true, false), RequestOutcome::Succeeded);
  EXPECT_EQ(ClassifyConnectResult(false, true), RequestOutcome::Pending);
  EXPECT_EQ(ClassifyConnectResult(false, false), RequestOutcome::Failed);
  EXPECT_EQ(ClassifyRequestResult(true, false), RequestOutcome::Pending);
  EXPECT_EQ(ClassifyRequestResult(false, true), RequestOutcome::Pending);
  EXPECT_EQ(ClassifyRequestResult(false, false), RequestOutcome::Failed);

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
