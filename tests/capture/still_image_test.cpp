#include "app/com_session.h"
#include "capture/still_image_source.h"
#include "common/unique_handle.h"
#include "picture/gdiplus_session.h"
#include "capture/still_image_rules.h"
#include "picture/picture_test_support.h"
#include "resources/resource.h"

namespace kelpo {
namespace {

using test::kBlue;
using test::kRed;

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The main window's dialog with its preview control, and a source file.
class StillImage : public ::testing::Test {
 protected:
  StillImage() { settings.devicePath = source; }

  HWND Preview() { return ::GetDlgItem(window.get(), IDC_PREVIEW); }

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

  // As in Kelpo: COM on the thread, so WIC decodes (without it GDI+ does).
  ComSession com;
  GdiplusSession gdiplus;
  unique_hwnd window{::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN),
                                          nullptr, PlainDialogProc, 0)};
  test::ScratchFolder folder;
  std::wstring source = folder.File(L"source.png");
  Settings settings;
  StillImageSource still{settings, Preview()};
};

TEST_F(StillImage, LoadsTheFileWithoutHoldingItAndFitsThePreviewWhenTheWindowShows) {
  ASSERT_NE(Preview(), nullptr);
  test::SavePng(*test::SolidBitmap(200, 100, kRed), source);
  still.LoadStillImage();
  ASSERT_NE(still.StillImage(), nullptr);
  EXPECT_EQ(still.StillImage()->GetWidth(), 200u);
  EXPECT_EQ(still.StillImage()->GetHeight(), 100u);
  EXPECT_EQ(still.StillImage()->GetPixelFormat(), PixelFormat32bppARGB);
  EXPECT_TRUE(OpenExclusively(source));
  auto frame = still.GrabFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_NE(frame.get(), still.StillImage());
  EXPECT_EQ(frame->GetWidth(), 200u);
  EXPECT_PIXEL(*frame, 100, 50, kRed);

  // The window is hidden: the preview waits until it shows.
  EXPECT_EQ(still.StillPreview(), nullptr);
  RECT client{};
  ASSERT_TRUE(::GetClientRect(Preview(), &client));
  const auto fittedTo = [&](std::uint32_t width, std::uint32_t height) {
    return FitStillPreview(static_cast<std::uint32_t>(client.right),
                           static_cast<std::uint32_t>(client.bottom), width, height);
  };
  const FittedSize wide = fittedTo(200, 100);
  EXPECT_NE(PreviewBitmapSize().cx, static_cast<LONG>(wide.width));
  still.OnWindowShown(true);
  ASSERT_NE(still.StillPreview(), nullptr);
  EXPECT_EQ(still.StillPreview()->GetWidth(), wide.width);
  EXPECT_EQ(still.StillPreview()->GetHeight(), wide.height);
  EXPECT_EQ(PreviewBitmapSize().cx, static_cast<LONG>(wide.width));
  EXPECT_EQ(PreviewBitmapSize().cy, static_cast<LONG>(wide.height));

  // While it shows, a new picture's preview is there at once.
  (void)::ShowWindow(window.get(), SW_SHOWNA);
  test::SavePng(*test::SolidBitmap(100, 200, kBlue), source);
  still.LoadStillImage();
  const FittedSize tall = fittedTo(100, 200);
  EXPECT_EQ(PreviewBitmapSize().cx, static_cast<LONG>(tall.width));
  EXPECT_EQ(PreviewBitmapSize().cy, static_cast<LONG>(tall.height));
}

TEST_F(StillImage, OnlyAFileBeingWrittenKeepsThePreviousImage) {
  test::SavePng(*test::SolidBitmap(64, 48, kRed), source);
  still.LoadStillImage();
  ASSERT_NE(still.StillImage(), nullptr);
  const Gdiplus::Bitmap* const kept = still.StillImage();
  const Gdiplus::Bitmap* const keptPreview = still.StillPreview();
  const std::vector<char> bytes = test::FileBytes(source);

  // Held by its writer, empty, or cut short: the last image stands in.
  unique_file held(::CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_EQ(still.RequestPicture(), FrameRequest::kReady);
  held.reset();
  const std::vector<std::vector<char>> broken = {
      {},
      std::vector<char>(bytes.begin(), bytes.begin() + 24),
      std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2)};
  for (const std::vector<char>& content : broken) {
    test::WriteBytes(source, content);
    still.LoadStillImage();
    EXPECT_EQ(still.StillImage(), kept) << content.size() << " bytes";
    EXPECT_EQ(still.StillPreview(), keptPreview);
    EXPECT_TRUE(OpenExclusively(source));
  }
  // No image: no picture, and no old image to stand in once it is written.
  test::WriteBytes(source, {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  EXPECT_EQ(still.RequestPicture(), FrameRequest::kFailed);
  test::WriteBytes(source, {});
  EXPECT_EQ(still.RequestPicture(), FrameRequest::kFailed);
  settings.devicePath.clear();  // no camera at start-up: nothing to say
  EXPECT_EQ(still.RequestPicture(), FrameRequest::kNone);
}

TEST_F(StillImage, ReplacingTheFileChangesTheNextPicture) {
  test::SavePng(*test::SolidBitmap(160, 120, kRed), source);
  ASSERT_EQ(still.RequestPicture(), FrameRequest::kReady);
  auto first = still.GrabFrame();
  ASSERT_NE(first, nullptr);
  EXPECT_PIXEL(*first, 80, 60, kRed);

  ASSERT_TRUE(::DeleteFileW(source.c_str()));
  test::SavePng(*test::SolidBitmap(160, 120, kBlue), source);
  ASSERT_EQ(still.RequestPicture(), FrameRequest::kReady);
  auto second = still.GrabFrame();
  ASSERT_NE(second, nullptr);
  EXPECT_PIXEL(*second, 80, 60, kBlue);
  // A frame still in use keeps its pixels while the next file is decoded.
  EXPECT_PIXEL(*first, 80, 60, kRed);

  // Once its frame is gone, the rows of an earlier image take a later one.
  first.reset();
  test::SavePng(*test::SolidBitmap(160, 120, kRed), source);
  ASSERT_EQ(still.RequestPicture(), FrameRequest::kReady);
  auto third = still.GrabFrame();
  ASSERT_NE(third, nullptr);
  EXPECT_PIXEL(*third, 80, 60, kRed);
  EXPECT_PIXEL(*second, 80, 60, kBlue);

  // A file whose header declares more pixels than the budget is refused
  // before decoding, and leaves no image until a usable file comes back.
  const std::uint8_t huge[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0,    13,
                               'I',  'H', 'D', 'R', 0,    0,    0x4E, 0x20, 0, 0, 0x4E, 0x20,
                               8,    2,   0,   0,   0,    0,    0,    0,    0, 0};
  test::WriteBytes(source, std::vector<char>(std::begin(huge), std::end(huge)));
  EXPECT_EQ(still.RequestPicture(), FrameRequest::kFailed);
  EXPECT_EQ(still.StillImage(), nullptr);
  EXPECT_EQ(still.GrabFrame(), nullptr);
  test::SavePng(*test::SolidBitmap(160, 120, kBlue), source);
  ASSERT_EQ(still.RequestPicture(), FrameRequest::kReady);
  auto fourth = still.GrabFrame();
  ASSERT_NE(fourth, nullptr);
  EXPECT_PIXEL(*fourth, 80, 60, kBlue);
}

}  // namespace
}  // namespace kelpo
