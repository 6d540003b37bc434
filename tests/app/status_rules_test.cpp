#include "app/status_rules.h"
#include "common/message_catalogue.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(CaptureTimerPeriod, ScalesByUnitAsUnsigned32BitProduct) {
  EXPECT_EQ(CaptureTimerPeriod(5, 0), 5000u);
  EXPECT_EQ(CaptureTimerPeriod(5, 1), 300000u);
  EXPECT_EQ(CaptureTimerPeriod(999, 2), 3596400000u);
  // Any other unit counts as seconds.
  EXPECT_EQ(CaptureTimerPeriod(7, 3), 7000u);
}

TEST(StatusRaisesBalloon, ErrorStatusesWhileHiddenOnABalloonShell) {
  for (int id = -1; id <= 129; ++id) {
    const bool error =
        id == kMsgCameraNotResponding || id == kMsgPictureFailed || id == kMsgFtpConnectFailed ||
        id == kMsgUploadFailed || id == kMsgInternetFailed || id == kMsgNoDirectory ||
        id == kMsgLocalCopyFailed || id == kMsgCameraInUse || id == kMsgCropOutsidePicture ||
        id == kMsgHostKeyChanged || id == kMsgCertificateNotTrusted ||
        id == kMsgCertificateNotPinned || id == kMsgTlsRefused || id == kMsgBadRemoteName;
    EXPECT_EQ(IsErrorStatus(id), error) << id;
    EXPECT_EQ(StatusRaisesBalloon(id, true, false), error) << id;
    EXPECT_FALSE(StatusRaisesBalloon(id, true, true)) << id;
    EXPECT_FALSE(StatusRaisesBalloon(id, false, false)) << id;
  }
}

TEST(CutText, KeepsShortTextsAndCutsLongOnes) {
  EXPECT_EQ(CutText(L"Kelpo Error", kBalloonTitleLength), L"Kelpo Error");
  EXPECT_EQ(CutText(L"", kBalloonTextLength), L"");
  const std::wstring longText(300, L'x');
  EXPECT_EQ(CutText(longText, kBalloonTextLength).size(), 254u);
  EXPECT_EQ(CutText(std::wstring(64, L't'), kBalloonTitleLength).size(), 62u);
  EXPECT_EQ(CutText(std::wstring(254, L'y'), kBalloonTextLength).size(), 254u);
}

TEST(PictureEndStatus, SaysWhatBecameOfThePictureUnlessTheUploadWillTell) {
  EXPECT_EQ(PictureEndStatus(false, true, true, false), kMsgPictureSaved);
  EXPECT_EQ(PictureEndStatus(false, false, false, false), kMsgPictureTaken);
  EXPECT_EQ(PictureEndStatus(true, true, true, false), kMsgNone);
  EXPECT_EQ(PictureEndStatus(true, true, false, true), kMsgLocalCopyFailed);
  EXPECT_EQ(PictureEndStatus(true, true, true, true), kMsgOverlayTooLarge);
}

TEST(CaptureTickTakesPicture, SkipsWhileDisabledOrWhileAnUploadRuns) {
  EXPECT_TRUE(CaptureTickTakesPicture(false, false));
  EXPECT_FALSE(CaptureTickTakesPicture(true, false));
  EXPECT_FALSE(CaptureTickTakesPicture(false, true));
  EXPECT_FALSE(CaptureTickTakesPicture(true, true));
}

}  // namespace
}  // namespace kelpo
