#include "app/application.h"
#include "app/message_catalogue.h"
#include "picture/jpeg_encoder.h"
#include "picture/picture_test_support.h"

namespace kelpo {
namespace {

using test::kBlue;
using test::kRed;

// Points the process's temporary folder at a scratch folder for one test.
class TemporaryFolderOverride {
 public:
  explicit TemporaryFolderOverride(const std::wstring& folder) {
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
      wchar_t value[MAX_PATH] = {};
      const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
      saved_.emplace_back(name, length == 0 ? std::wstring() : std::wstring(value));
      (void)::SetEnvironmentVariableW(name, folder.c_str());
    }
  }
  ~TemporaryFolderOverride() {
    for (const auto& [name, value] : saved_) {
      (void)::SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    }
  }

 private:
  std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

class TakePicture : public ::testing::Test {
 protected:
  TakePicture() {
    app.settings.deviceType = 1;
    app.settings.disableFTP = true;
    app.settings.datestamp = false;
    app.settings.timestamp = false;
    app.stillImage = test::SolidBitmap(200, 150, kRed);
  }

  std::vector<std::wstring> CamFiles() { return temp.Files(L"cam*.tmp"); }

  Application app;
  test::ScratchFolder temp;
  test::ScratchFolder local;
  TemporaryFolderOverride redirect{temp.Path()};
};

TEST_F(TakePicture, WritesACamJpegOfEveryOutputSize) {
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
      {160, 120}, {320, 240}, {480, 360}, {640, 480}};
  for (std::uint32_t size = 0; size < 4; ++size) {
    app.settings.imagesize = size;
    app.ComputeOutputSize();
    app.TakePicture();
    ASSERT_TRUE(app.tempFileExists);
    const std::vector<std::wstring> files = CamFiles();
    ASSERT_EQ(files.size(), 1u) << "the previous picture's file is gone";
    EXPECT_EQ(files[0], app.tempFilePath);
    ASSERT_TRUE(test::IsJpeg(app.tempFilePath));
    auto written = test::ReadPicture(app.tempFilePath);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->GetWidth(), sizes[size].first);
    EXPECT_EQ(written->GetHeight(), sizes[size].second);
    EXPECT_PIXEL(*written, 20, 20, kRed);
  }
  app.settings.UseCustomImageSize = true;
  app.settings.CustomSizeX = 123;
  app.settings.CustomSizeY = 45;
  app.ComputeOutputSize();
  app.TakePicture();
  auto written = test::ReadPicture(app.tempFilePath);
  ASSERT_NE(written, nullptr);
  EXPECT_EQ(written->GetWidth(), 123u);
  EXPECT_EQ(written->GetHeight(), 45u);
  EXPECT_NE(app.lastStatusId.load(), kMsgPictureFailed);
}

TEST_F(TakePicture, DeletesThePreviousFileBeforeTakingTheNextFrame) {
  app.TakePicture();
  ASSERT_TRUE(app.tempFileExists);
  const std::wstring first = app.tempFilePath;
  // With no frame to take, the next picture still removes the last one's file.
  app.stillImage.reset();
  app.TakePicture();
  EXPECT_FALSE(app.tempFileExists);
  EXPECT_EQ(::GetFileAttributesW(first.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(CamFiles().empty());
}

TEST_F(TakePicture, LocalCopyOverwritesAndAReadOnlyFileDoesNotStopThePicture) {
  const std::wstring localFile = local.File(L"webcam.jpg");
  test::WriteBytes(localFile, {'o', 'l', 'd'});
  app.settings.savetofile = true;
  app.settings.localfilename = localFile;
  app.TakePicture();
  ASSERT_TRUE(test::IsJpeg(localFile));
  EXPECT_EQ(test::FileBytes(localFile), test::FileBytes(app.tempFilePath));

  // Windows refuses to overwrite a read-only file (Wine does not); either way
  // the picture goes on.
  ASSERT_TRUE(::SetFileAttributesW(localFile.c_str(), FILE_ATTRIBUTE_READONLY));
  app.TakePicture();
  EXPECT_TRUE(app.tempFileExists);
  EXPECT_TRUE(test::IsJpeg(app.tempFilePath));
  EXPECT_NE(app.lastStatusId.load(), kMsgPictureFailed);

  // A file another program holds open cannot be replaced: ignored as well.
  ASSERT_TRUE(::SetFileAttributesW(localFile.c_str(), FILE_ATTRIBUTE_NORMAL));
  test::WriteBytes(localFile, {'k', 'e', 'e', 'p'});
  unique_file locked(::CreateFileW(localFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(locked);
  app.stillImage = test::SolidBitmap(200, 150, kBlue);
  app.TakePicture();
  EXPECT_TRUE(app.tempFileExists);
  EXPECT_TRUE(test::IsJpeg(app.tempFilePath));
  EXPECT_NE(app.lastStatusId.load(), kMsgPictureFailed);
  locked.reset();
  EXPECT_EQ(test::FileBytes(localFile), (std::vector<char>{'k', 'e', 'e', 'p'}));
}

TEST_F(TakePicture, SizesItCannotDrawEndInStatusTenAndWriteNothing) {
  const std::wstring localFile = local.File(L"webcam.jpg");
  test::WriteBytes(localFile, {'o', 'l', 'd'});
  app.settings.savetofile = true;
  app.settings.localfilename = localFile;
  app.settings.UseCustomImageSize = true;
  for (const auto& [width, height] :
       {std::pair{0u, 240u}, {320u, 0u}, {0u, 0u}, {100000u, 100000u}, {0xFFFFFFFFu, 1u}}) {
    app.settings.CustomSizeX = width;
    app.settings.CustomSizeY = height;
    app.ComputeOutputSize();
    app.lastStatusId = 1;
    app.TakePicture();
    EXPECT_EQ(app.lastStatusId.load(), kMsgPictureFailed) << width << " x " << height;
    EXPECT_FALSE(app.tempFileExists);
    EXPECT_TRUE(CamFiles().empty());
    EXPECT_EQ(test::FileBytes(localFile), (std::vector<char>{'o', 'l', 'd'}));
  }
}

TEST_F(TakePicture, CaptionAndOverlayReachTheJpeg) {
  const std::wstring overlay = local.File(L"logo.png");
  test::SavePng(*test::SolidBitmap(40, 40, kBlue), overlay);
  app.settings.overlayfilename = overlay;
  app.settings.overlayposition = 0;
  app.settings.wisdom = L"Kelpo";
  app.settings.textbackground = 0;
  app.settings.textposition = 8;
  app.settings.Background = 0x00FF00;  // green box
  app.TakePicture();
  auto written = test::ReadPicture(app.tempFilePath);
  ASSERT_NE(written, nullptr);
  EXPECT_PIXEL(*written, 10, 10, kBlue);
  EXPECT_PIXEL(*written, 160, 120, kRed);
  // The caption's green box in the lower-right corner, the caption on it.
  int green = 0;
  for (int y = 200; y < 240; ++y) {
    for (int x = 240; x < 320; ++x) {
      if (test::Near(test::PixelAt(*written, x, y), test::kGreen, 60)) ++green;
    }
  }
  EXPECT_GT(green, 200);
  EXPECT_PIXEL(*written, 318, 200, kRed);
}

TEST(JpegEncoder, QualityBlockCarriesTheSettingUnchanged) {
  for (ULONG quality : {0ul, 75ul, 100ul}) {
    ULONG value = quality;
    const Gdiplus::EncoderParameters parameters = JpegQualityParameters(value);
    EXPECT_EQ(parameters.Count, 1u);
    EXPECT_TRUE(IsEqualGUID(parameters.Parameter[0].Guid, Gdiplus::EncoderQuality));
    EXPECT_EQ(parameters.Parameter[0].NumberOfValues, 1u);
    EXPECT_EQ(parameters.Parameter[0].Type, 4u);
    EXPECT_EQ(parameters.Parameter[0].Value, &value);
    EXPECT_EQ(*static_cast<ULONG*>(parameters.Parameter[0].Value), quality);
  }
}

TEST(JpegEncoder, FindsEncodersByExactMimeType) {
  Application app;
  CLSID jpeg{};
  CLSID bmp{};
  EXPECT_GE(FindEncoderClsid(L"image/jpeg", &jpeg), 0);
  EXPECT_GE(FindEncoderClsid(L"image/bmp", &bmp), 0);
  EXPECT_FALSE(IsEqualCLSID(jpeg, bmp));
  CLSID none{};
  EXPECT_EQ(FindEncoderClsid(L"IMAGE/JPEG", &none), -1);
  EXPECT_EQ(FindEncoderClsid(L"image/none", &none), -1);
  EXPECT_TRUE(IsEqualCLSID(none, CLSID{}));
}

TEST(JpegEncoder, FlatteningKeepsSizeAndPixels) {
  Application app;
  std::unique_ptr<Gdiplus::Bitmap> picture = test::QuadrantBitmap(64, 48);
  FlattenThroughBmp(picture);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(picture->GetWidth(), 64u);
  EXPECT_EQ(picture->GetHeight(), 48u);
  EXPECT_PIXEL(*picture, 60, 44, test::kYellow);
}

}  // namespace
}  // namespace kelpo
