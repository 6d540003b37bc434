#include "common/unique_handle.h"
#include "picture/gdiplus_session.h"
#include "picture/overlay_preview.h"
#include "picture/picture_test_support.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace kelpo {
namespace {

using test::kRed;

// Stand-in for the Overlay page: the controls the preview reads.
class OverlayPreviewPage : public ::testing::Test {
 protected:
  OverlayPreviewPage() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    (void)::InitCommonControlsEx(&controls);
    page.reset(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                 nullptr, nullptr));
    Child(L"STATIC", SS_OWNERDRAW, IDC_OVERLAY_PREVIEW, 160, 120);
    Child(L"BUTTON", BS_AUTORADIOBUTTON, IDC_OVERLAY_BEST_FIT);
    Child(L"BUTTON", BS_AUTORADIOBUTTON, IDC_OVERLAY_PERCENTAGE);
    Child(L"BUTTON", BS_AUTOCHECKBOX, IDC_OVERLAY_COLOUR_KEY);
    Child(TRACKBAR_CLASSW, 0, IDC_OVERLAY_OPACITY);
    Child(TRACKBAR_CLASSW, 0, IDC_OVERLAY_PERCENT);
    Child(L"COMBOBOX", CBS_DROPDOWNLIST, IDC_OVERLAY_POSITION, 100, 200);
    for (int i = 0; i < 9; ++i) {
      (void)::SendDlgItemMessageW(page.get(), IDC_OVERLAY_POSITION, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(L"position"));
    }
    for (int slider : {IDC_OVERLAY_OPACITY, IDC_OVERLAY_PERCENT}) {
      (void)::SendDlgItemMessageW(page.get(), slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 400));
      (void)::SendDlgItemMessageW(page.get(), slider, TBM_SETPOS, TRUE, 100);
    }
    (void)::SendDlgItemMessageW(page.get(), IDC_OVERLAY_POSITION, CB_SETCURSEL, 0, 0);
    test::SavePng(*test::SolidBitmap(100, 100, kRed), overlayFile);
  }

  void Child(const wchar_t* className, DWORD style, int id, int width = 20, int height = 20) {
    (void)::CreateWindowExW(0, className, L"", WS_CHILD | style, 0, 0, width, height, page.get(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }

  int RedPixels(Gdiplus::Bitmap& bitmap) {
    int count = 0;
    for (UINT y = 0; y < bitmap.GetHeight(); ++y) {
      for (UINT x = 0; x < bitmap.GetWidth(); ++x) {
        if (test::Near(test::PixelAt(bitmap, static_cast<int>(x), static_cast<int>(y)), kRed, 30)) {
          ++count;
        }
      }
    }
    return count;
  }

  GdiplusSession gdiplus;
  // What the picture gets by default: 320 x 240.
  const PictureSize output{320, 240};
  unique_hwnd page;
  test::ScratchFolder folder;
  std::wstring overlayFile = folder.File(L"logo.png");
};

TEST_F(OverlayPreviewPage, ShowsTheOverlayAtThePictureScale) {
  OverlayPreview preview(output, page.get());
  preview.SetOverlayPreviewImage(overlayFile);
  Gdiplus::Bitmap* bitmap = preview.PreviewBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 160u);
  EXPECT_EQ(bitmap->GetHeight(), 120u);
  // Original Size on a preview half as wide as the 320 x 240 picture: 50 x 50.
  EXPECT_PIXEL(*bitmap, 25, 25, kRed);
  EXPECT_NEAR(RedPixels(*bitmap), 50 * 50, 120);

  ::CheckDlgButton(page.get(), IDC_OVERLAY_BEST_FIT, BST_CHECKED);
  preview.RenderOverlayPreview();
  EXPECT_NEAR(RedPixels(*preview.PreviewBitmap()), 120 * 120, 400);

  (void)::SendDlgItemMessageW(page.get(), IDC_OVERLAY_OPACITY, TBM_SETPOS, TRUE, 0);
  preview.RenderOverlayPreview();
  EXPECT_EQ(RedPixels(*preview.PreviewBitmap()), 0);
}

TEST_F(OverlayPreviewPage, UnreadableOverlayLeavesTheBackgroundAlone) {
  OverlayPreview preview(output, page.get());
  preview.SetOverlayPreviewImage(folder.File(L"missing.png"));
  ASSERT_NE(preview.PreviewBitmap(), nullptr);
  EXPECT_EQ(RedPixels(*preview.PreviewBitmap()), 0);
  preview.SetOverlayPreviewImage(L"");
  EXPECT_EQ(RedPixels(*preview.PreviewBitmap()), 0);
}

}  // namespace
}  // namespace kelpo
