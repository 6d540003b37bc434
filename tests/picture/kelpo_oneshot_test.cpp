// kelpo.exe started with "oneshot" on an image file: one picture, then it ends.
#include "picture/gdiplus_session.h"
#include "picture/picture_test_support.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"

namespace kelpo {
namespace {

using test::kRed;

class KelpoOneShot : public test::RegistryTest {
 protected:
  void SetUp() override {
    test::RegistryTest::SetUp();
    ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
    ASSERT_TRUE(WriteDword(L"deviceType", 1));
    ASSERT_TRUE(WriteString(L"devicePath", source));
    ASSERT_TRUE(WriteBool(L"disableFTP", true));
    ASSERT_TRUE(WriteBool(L"disableTimer", true));
    ASSERT_TRUE(WriteString(L"localfilename", localFile));
    ASSERT_TRUE(WriteDword(L"imagesize", 2));
    ASSERT_TRUE(WriteString(L"wisdom", L"Kelpo one shot"));
    ASSERT_TRUE(WriteDword(L"textposition", 7));
    ASSERT_TRUE(WriteDword(L"textbackground", 0));
    ASSERT_TRUE(WriteDword(L"BackgroundR", 0));
    ASSERT_TRUE(WriteDword(L"BackgroundG", 0));
    ASSERT_TRUE(WriteDword(L"BackgroundB", 255));
    test::SavePng(*test::SolidBitmap(640, 480, kRed), source);
  }

  DWORD RunOneShot() {
    test::KelpoProcess kelpo(L"oneshot");
    EXPECT_TRUE(kelpo.started());
    DWORD exitCode = 1;
    EXPECT_TRUE(kelpo.WaitForExit(exitCode));
    return exitCode;
  }

  GdiplusSession gdiplus;  // GDI+ for reading the picture back
  test::ScratchFolder folder;
  std::wstring source = folder.File(L"source.png");
  std::wstring localFile = folder.File(L"webcam.jpg");
};

TEST_F(KelpoOneShot, WritesTheLocalPictureWithItsCaptionAndExits) {
  ASSERT_TRUE(WriteBool(L"savetofile", true));
  EXPECT_EQ(RunOneShot(), 0u);
  ASSERT_TRUE(test::IsJpeg(localFile));
  auto picture = test::ReadPicture(localFile);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetWidth(), 480u);
  EXPECT_EQ(picture->GetHeight(), 360u);
  EXPECT_PIXEL(*picture, 240, 100, kRed);
  // The caption's blue box across the bottom centre.
  int blue = 0;
  for (int y = 300; y < 360; ++y) {
    for (int x = 140; x < 340; ++x) {
      if (test::Near(test::PixelAt(*picture, x, y), test::kBlue, 60)) ++blue;
    }
  }
  EXPECT_GT(blue, 500);
  EXPECT_PIXEL(*picture, 5, 355, kRed);
}

TEST_F(KelpoOneShot, WithNowhereToDeliverExitsWithoutAPicture) {
  ASSERT_TRUE(WriteBool(L"savetofile", false));
  EXPECT_EQ(RunOneShot(), 0u);
  EXPECT_EQ(::GetFileAttributesW(localFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kelpo
