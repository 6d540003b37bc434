// kelpo.exe started with "oneshot" on an image file: one picture, then it ends.
#include "picture/gdiplus_session.h"
#include "picture/picture_test_support.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"

#include <algorithm>
#include <vector>

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

  DWORD RunOneShot(DWORD timeoutMs = test::kExitTimeout) {
    test::KelpoProcess kelpo(L"oneshot");
    EXPECT_TRUE(kelpo.started());
    DWORD exitCode = 1;
    EXPECT_TRUE(kelpo.WaitForExit(exitCode, timeoutMs));
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

// A blue bitmap of any size in a small file: run-length encoded, each row is
// a few runs of the first palette colour. At 20000 x 20000 the file takes
// 3 MB, and decoding it 1.6 GB for each copy of its pixels.
void SaveBlueBitmap(const std::wstring& path, std::int32_t width, std::int32_t height) {
  constexpr DWORD kColours = 2;
  constexpr std::int32_t kLongestRun = 255;
  std::vector<BYTE> pixels;  // RLE8: (count, colour) runs, then end of line
  for (std::int32_t row = 0; row < height; ++row) {
    for (std::int32_t left = width; left > 0; left -= kLongestRun) {
      pixels.push_back(static_cast<BYTE>(std::min(left, kLongestRun)));
      pixels.push_back(0);
    }
    pixels.insert(pixels.end(), {0, 0});
  }
  pixels.insert(pixels.end(), {0, 1});  // end of bitmap
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  const RGBQUAD palette[kColours] = {{255, 0, 0, 0}, {0, 0, 255, 0}};  // blue, red
  file.bfType = 0x4D42;                                                // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info) + sizeof(palette);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 8;
  info.biCompression = BI_RLE8;
  info.biSizeImage = static_cast<DWORD>(pixels.size());
  info.biClrUsed = kColours;
  std::vector<char> bytes;
  const auto append = [&bytes](const void* data, std::size_t size) {
    bytes.insert(bytes.end(), static_cast<const char*>(data),
                 static_cast<const char*>(data) + size);
  };
  append(&file, sizeof(file));
  append(&info, sizeof(info));
  append(palette, sizeof(palette));
  append(pixels.data(), pixels.size());
  test::WriteBytes(path, bytes);
}

// Far less than decoding a huge image takes.
constexpr DWORD kRefusedAtOnce = 10000;

TEST_F(KelpoOneShot, HugeImagesAreRefusedBeforeTheyAreDecoded) {
  ASSERT_TRUE(WriteBool(L"savetofile", true));
  // Such a bitmap of a usable size is a picture like any other.
  const std::wstring small = folder.File(L"small.bmp");
  SaveBlueBitmap(small, 400, 300);
  ASSERT_TRUE(WriteString(L"devicePath", small));
  EXPECT_EQ(RunOneShot(), 0u);
  auto picture = test::ReadPicture(localFile);
  ASSERT_NE(picture, nullptr);
  EXPECT_PIXEL(*picture, 10, 10, test::kBlue);

  const std::wstring huge = folder.File(L"huge.bmp");
  SaveBlueBitmap(huge, 20000, 20000);
  // As the overlay, an icon that lists its 8000 x 8000 bitmap as 256 x 256
  // (stored as 0): the picture is made without it, and says so.
  const std::wstring icon = folder.File(L"huge.ico");
  SaveBlueBitmap(icon, 8000, 8000);
  const std::vector<char> bitmap = test::FileBytes(icon);
  std::vector<char> bytes = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0, 22, 0, 0, 0};
  bytes.insert(bytes.end(), bitmap.begin() + sizeof(BITMAPFILEHEADER), bitmap.end());
  test::WriteBytes(icon, bytes);
  ASSERT_TRUE(WriteString(L"devicePath", source));
  ASSERT_TRUE(WriteString(L"overlayfilename", icon));
  ASSERT_TRUE(WriteDword(L"overlayscale", 1));
  ASSERT_TRUE(WriteDword(L"overlayposition", 0));
  {
    test::KelpoProcess kelpo(L"oneshot", true);
    DWORD exitCode = 1;
    ASSERT_TRUE(kelpo.WaitForExit(exitCode, kRefusedAtOnce));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_NE(kelpo.Output().find("without the overlay"), std::string::npos);
  }
  picture = test::ReadPicture(localFile);
  ASSERT_NE(picture, nullptr);
  EXPECT_PIXEL(*picture, 10, 10, kRed);

  // As the source: no picture ("Cannot take picture").
  ASSERT_TRUE(::DeleteFileW(localFile.c_str()));
  ASSERT_TRUE(WriteString(L"devicePath", huge));
  EXPECT_EQ(RunOneShot(kRefusedAtOnce), 2u);
  EXPECT_EQ(::GetFileAttributesW(localFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kelpo
