#include "common/unique_handle.h"
#include "picture/gdiplus_session.h"
#include "picture/picture_pipeline.h"
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
    settings.datestamp = false;
    settings.timestamp = false;
  }

  // What a picture does with the pipeline: the last file goes, the new one is
  // made and, when asked for, copied.
  PictureOutcome Take() {
    pictures.ReleaseLastPicture();
    const PictureOutcome outcome = pictures.MakePicture(*frame, settings);
    if (outcome == PictureOutcome::kWritten && settings.savetofile) {
      localCopied = pictures.SaveLocalCopy(settings);
    }
    return outcome;
  }

  std::vector<std::wstring> CamFiles() { return temp.Files(L"cam*.tmp"); }

  GdiplusSession gdiplus;
  Settings settings;
  PicturePipeline pictures;
  std::unique_ptr<Gdiplus::Bitmap> frame = test::SolidBitmap(200, 150, kRed);
  bool localCopied = false;
  test::ScratchFolder temp;
  test::ScratchFolder local;
  TemporaryFolderOverride redirect{temp.Path()};
};

TEST_F(TakePicture, WritesACamJpegOfEveryOutputSize) {
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
      {160, 120}, {320, 240}, {480, 360}, {640, 480}};
  for (std::uint32_t size = 0; size < 4; ++size) {
    settings.imagesize = size;
    pictures.ComputeOutputSize(settings);
    ASSERT_EQ(Take(), PictureOutcome::kWritten);
    ASSERT_TRUE(pictures.HasTempFile());
    const std::vector<std::wstring> files = CamFiles();
    ASSERT_EQ(files.size(), 1u) << "the previous picture's file is gone";
    EXPECT_EQ(files[0], pictures.TempFilePath());
    ASSERT_TRUE(test::IsJpeg(pictures.TempFilePath()));
    auto written = test::ReadPicture(pictures.TempFilePath());
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->GetWidth(), sizes[size].first);
    EXPECT_EQ(written->GetHeight(), sizes[size].second);
    EXPECT_PIXEL(*written, 20, 20, kRed);
  }
  settings.UseCustomImageSize = true;
  settings.CustomSizeX = 123;
  settings.CustomSizeY = 45;
  pictures.ComputeOutputSize(settings);
  ASSERT_EQ(Take(), PictureOutcome::kWritten);
  auto written = test::ReadPicture(pictures.TempFilePath());
  ASSERT_NE(written, nullptr);
  EXPECT_EQ(written->GetWidth(), 123u);
  EXPECT_EQ(written->GetHeight(), 45u);
}

TEST_F(TakePicture, DeletesThePreviousFileBeforeTakingTheNextFrame) {
  ASSERT_EQ(Take(), PictureOutcome::kWritten);
  const std::wstring first = pictures.TempFilePath();
  // Before the next frame is taken (there may be none), the last file goes.
  pictures.ReleaseLastPicture();
  EXPECT_FALSE(pictures.HasTempFile());
  EXPECT_EQ(::GetFileAttributesW(first.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(CamFiles().empty());
}

TEST_F(TakePicture, LocalCopyOverwritesAndAReadOnlyFileDoesNotStopThePicture) {
  const std::wstring localFile = local.File(L"webcam.jpg");
  test::WriteBytes(localFile, {'o', 'l', 'd'});
  settings.savetofile = true;
  settings.localfilename = localFile;
  ASSERT_EQ(Take(), PictureOutcome::kWritten);
  EXPECT_TRUE(localCopied);
  ASSERT_TRUE(test::IsJpeg(localFile));
  EXPECT_EQ(test::FileBytes(localFile), test::FileBytes(pictures.TempFilePath()));

  // Windows refuses to overwrite a read-only file (Wine does not); either way
  // the picture goes on.
  ASSERT_TRUE(::SetFileAttributesW(localFile.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Take(), PictureOutcome::kWritten);
  EXPECT_TRUE(test::IsJpeg(pictures.TempFilePath()));

  // A file another program holds open cannot be replaced: ignored as well.
  ASSERT_TRUE(::SetFileAttributesW(localFile.c_str(), FILE_ATTRIBUTE_NORMAL));
  test::WriteBytes(localFile, {'k', 'e', 'e', 'p'});
  unique_file locked(::CreateFileW(localFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(locked);
  frame = test::SolidBitmap(200, 150, kBlue);
  EXPECT_EQ(Take(), PictureOutcome::kWritten);
  EXPECT_FALSE(localCopied);
  EXPECT_TRUE(test::IsJpeg(pictures.TempFilePath()));
  locked.reset();
  EXPECT_EQ(test::FileBytes(localFile), (std::vector<char>{'k', 'e', 'e', 'p'}));
}

TEST_F(TakePicture, SizesAboveTheBudgetAndCropsBesideTheFrameWriteNothing) {
  const std::wstring localFile = local.File(L"webcam.jpg");
  test::WriteBytes(localFile, {'o', 'l', 'd'});
  settings.savetofile = true;
  settings.localfilename = localFile;
  settings.UseCustomImageSize = true;
  for (const auto& [width, height] : {std::pair{100000u, 100000u}, {0xFFFFFFFFu, 4096u}}) {
    settings.CustomSizeX = width;
    settings.CustomSizeY = height;
    pictures.ComputeOutputSize(settings);
    EXPECT_EQ(Take(), PictureOutcome::kFailed) << width << " x " << height;
    EXPECT_FALSE(pictures.HasTempFile());
    EXPECT_TRUE(CamFiles().empty());
    EXPECT_EQ(test::FileBytes(localFile), (std::vector<char>{'o', 'l', 'd'}));
  }
  settings.CropEnable = true;
  settings.CropX = 200;  // beside the 200 x 150 frame
  EXPECT_EQ(Take(), PictureOutcome::kCropOutside);
  EXPECT_TRUE(CamFiles().empty());
}

TEST_F(TakePicture, CaptionAndOverlayReachTheJpeg) {
  const std::wstring overlay = local.File(L"logo.png");
  test::SavePng(*test::SolidBitmap(40, 40, kBlue), overlay);
  settings.overlayfilename = overlay;
  settings.overlayposition = 0;
  settings.wisdom = L"Kelpo";
  settings.textbackground = 0;
  settings.textposition = 8;
  settings.Background = 0x00FF00;  // green box
  ASSERT_EQ(Take(), PictureOutcome::kWritten);
  auto written = test::ReadPicture(pictures.TempFilePath());
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
  GdiplusSession gdiplus;
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

}  // namespace
}  // namespace kelpo
