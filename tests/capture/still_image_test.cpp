#include "app/application.h"
#include "capture/still_image_rules.h"
#include "picture/picture_test_support.h"
#include "resources/resource.h"

namespace kelpo {
namespace {

using test::kBlue;
using test::kRed;

int quitRequests = 0;

INT_PTR CALLBACK RecordingDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_QUITAPP) ++quitRequests;
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The main window's dialog with its preview control, and a source file.
class StillImage : public ::testing::Test {
 protected:
  StillImage() {
    quitRequests = 0;
    app.mainWindow = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN),
                                          nullptr, RecordingDialogProc, 0);
    window.reset(app.mainWindow);
    app.settings.deviceType = 1;
    app.settings.devicePath = source;
    app.settings.disableFTP = true;
    app.settings.datestamp = false;
    app.settings.timestamp = false;
  }
  ~StillImage() override { app.mainWindow = nullptr; }

  HWND Preview() { return ::GetDlgItem(app.mainWindow, IDC_PREVIEW); }

  // Size of the bitmap the preview control shows.
  SIZE PreviewBitmapSize() {
    auto bitmap =
        reinterpret_cast<HBITMAP>(::SendMessageW(Preview(), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(info), &info) == 0) return {0, 0};
    return {info.bmWidth, info.bmHeight};
  }

  // Whether anyone else holds the file open.
  bool OpenExclusively(const std::wstring& path) {
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
  }

  Application app;
  unique_hwnd window;
  test::ScratchFolder folder;
  std::wstring source = folder.File(L"source.png");
};

TEST_F(StillImage, LoadsTheFileWithoutHoldingItAndFitsThePreview) {
  ASSERT_NE(Preview(), nullptr);
  test::SavePng(*test::SolidBitmap(200, 100, kRed), source);
  app.LoadStillImage();
  ASSERT_NE(app.stillImage, nullptr);
  EXPECT_EQ(app.stillImage->GetWidth(), 200u);
  EXPECT_EQ(app.stillImage->GetHeight(), 100u);
  EXPECT_EQ(app.stillImage->GetPixelFormat(), PixelFormat32bppARGB);
  EXPECT_TRUE(OpenExclusively(source));

  RECT client{};
  ASSERT_TRUE(::GetClientRect(Preview(), &client));
  const FittedSize fitted = FitStillPreview(static_cast<std::uint32_t>(client.right),
                                            static_cast<std::uint32_t>(client.bottom), 200, 100);
  ASSERT_NE(app.stillPreview, nullptr);
  EXPECT_EQ(app.stillPreview->GetWidth(), fitted.width);
  EXPECT_EQ(app.stillPreview->GetHeight(), fitted.height);
  const SIZE shown = PreviewBitmapSize();
  EXPECT_EQ(shown.cx, static_cast<LONG>(fitted.width));
  EXPECT_EQ(shown.cy, static_cast<LONG>(fitted.height));

  auto frame = app.GrabFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_NE(frame.get(), app.stillImage.get());
  EXPECT_EQ(frame->GetWidth(), 200u);
  EXPECT_PIXEL(*frame, 100, 50, kRed);
}

TEST_F(StillImage, UnusableFilesKeepThePreviousImage) {
  test::SavePng(*test::SolidBitmap(64, 48, kRed), source);
  app.LoadStillImage();
  ASSERT_NE(app.stillImage, nullptr);
  Gdiplus::Bitmap* const kept = app.stillImage.get();
  Gdiplus::Bitmap* const keptPreview = app.stillPreview.get();
  const std::vector<char> bytes = test::FileBytes(source);

  const std::vector<std::vector<char>> broken = {
      {},
      std::vector<char>(bytes.begin(), bytes.begin() + 24),
      std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2),
      {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}};
  for (const std::vector<char>& content : broken) {
    test::WriteBytes(source, content);
    app.LoadStillImage();
    EXPECT_EQ(app.stillImage.get(), kept) << content.size() << " bytes";
    EXPECT_EQ(app.stillPreview.get(), keptPreview);
    EXPECT_TRUE(OpenExclusively(source));
  }
  app.settings.devicePath = folder.File(L"missing.png");
  app.LoadStillImage();
  app.settings.devicePath.clear();
  app.LoadStillImage();
  EXPECT_EQ(app.stillImage.get(), kept);
  auto frame = app.GrabFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_PIXEL(*frame, 10, 10, kRed);
}

TEST_F(StillImage, ReplacingTheFileChangesTheNextPicture) {
  const std::wstring localFile = folder.File(L"webcam.jpg");
  app.settings.savetofile = true;
  app.settings.localfilename = localFile;
  test::SavePng(*test::SolidBitmap(160, 120, kRed), source);
  app.RequestPicture();
  auto first = test::ReadPicture(localFile);
  ASSERT_NE(first, nullptr);
  EXPECT_PIXEL(*first, 160, 120, kRed);

  ASSERT_TRUE(::DeleteFileW(source.c_str()));
  test::SavePng(*test::SolidBitmap(160, 120, kBlue), source);
  app.RequestPicture();
  auto second = test::ReadPicture(localFile);
  ASSERT_NE(second, nullptr);
  EXPECT_PIXEL(*second, 160, 120, kBlue);
  EXPECT_EQ(quitRequests, 0);
}

TEST_F(StillImage, OneShotRunsEndWhenThereIsNothingToDo) {
  test::SavePng(*test::SolidBitmap(160, 120, kRed), source);
  app.oneShot = true;
  // Image file, FTP off and no local file: no picture, the run ends.
  app.RequestPicture();
  EXPECT_EQ(quitRequests, 1);
  EXPECT_FALSE(app.tempFileExists);

  // Saved locally with FTP off: the picture is taken, then the run ends.
  app.settings.savetofile = true;
  app.settings.localfilename = folder.File(L"webcam.jpg");
  app.RequestPicture();
  EXPECT_EQ(quitRequests, 2);
  EXPECT_TRUE(test::IsJpeg(app.settings.localfilename));

  // A camera without a capture graph arms nothing.
  app.settings.deviceType = 0;
  app.RequestPicture();
  EXPECT_EQ(quitRequests, 3);
  app.oneShot = false;
  app.RequestPicture();
  EXPECT_EQ(quitRequests, 3);
  EXPECT_EQ(app.GrabFrame(), nullptr);
}

}  // namespace
}  // namespace kelpo
