// The Video Capture tab and the Change Video Device dialog, driven as a user
// drives them, with an image file or registered test cameras as the source.
#include "app/main_window.h"
#include "capture/camera_test_support.h"
#include "picture/gdiplus_session.h"
#include "picture/picture_test_support.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"
#include "support/test_camera/registered_cameras.h"
#include "ui/settings_page_rules.h"
#include "ui/sheet_test_support.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kelpo {
namespace {

using test::Click;
using test::ClickLater;
using test::KelpoThread;
using test::SheetDriver;
using test::TextOf;
using test::Type;
using test_camera::RegisteredCameras;

constexpr wchar_t kSheetCaption[] = L"Kelpo Settings";
constexpr wchar_t kDeviceDialogCaption[] = L"Change Video Device";
constexpr wchar_t kRestartCaption[] = L"Changed video device";
constexpr int kVideoTab = 1;
constexpr int kDeviceControls[] = {IDC_VIDEO_SOURCE, IDC_TV_TUNER, IDC_IMAGE_CONTROLS,
                                   IDC_VIDEO_FORMAT};
constexpr int kCropFields[] = {IDC_CROP_LEFT, IDC_CROP_TOP, IDC_CROP_WIDTH, IDC_CROP_HEIGHT};

// Three cameras whose names sort otherwise than they are enumerated (by
// instance name): the configured one comes first and is not first by name.
constexpr wchar_t kZetaPath[] = L"\\\\?\\usb#vid_1111&pid_0001#zeta";
constexpr wchar_t kAlphaPath[] = L"\\\\?\\pci#ven_2222&dev_0002#alpha";
constexpr wchar_t kMidPath[] = L"\\\\?\\usb#vid_3333&pid_0003#mid";
const KelpoTestCameraInstance kZeta{L"cam_a", L"Zeta", L"Zeta Webcam", kZetaPath, 0x11, S_OK};
const KelpoTestCameraInstance kAlpha{L"cam_b", L"Alpha", L"Alpha Card", kAlphaPath, 0x22, S_OK};
const KelpoTestCameraInstance kMid{L"cam_c", L"Mid", L"Mid Cam", kMidPath, 0x33, S_OK};

struct Com {
  Com() { EXPECT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  ~Com() { ::CoUninitialize(); }
};

std::wstring StoredString(const wchar_t* name) {
  std::wstring text;
  return ReadString(name, text) ? text : L"(absent)";
}

std::optional<std::uint32_t> StoredDword(const wchar_t* name) { return test::GetRawDword(name); }

bool Enabled(HWND control) { return ::IsWindowEnabled(control) != FALSE; }
bool IsChecked(HWND button) { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::wstring> ListItems(HWND list) {
  std::vector<std::wstring> items;
  const auto count = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::vector<wchar_t> text(
        static_cast<std::size_t>(::SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    (void)::SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    items.emplace_back(text.data());
  }
  return items;
}

// Answers a message box with its only button.
void Dismiss(HWND box) {
  const HWND ok = ::GetDlgItem(box, IDOK);
  if (ok != nullptr) {
    ClickLater(ok);
  } else {
    (void)::PostMessageW(box, WM_CLOSE, 0, 0);
  }
  EXPECT_TRUE(test::WaitUntilGone(box));
}

// Presses OK in the device dialog; true when the restart message came up
// (and has been answered) before the dialog closed.
bool OkShowsRestartMessage(HWND dialog) {
  ClickLater(::GetDlgItem(dialog, IDOK));
  HWND box = nullptr;
  EXPECT_TRUE(test::WaitFor(
      [&] {
        box = test::WaitForOwnWindow(kRestartCaption, 0);
        return box != nullptr || !::IsWindow(dialog);
      },
      test::kDialogTimeout));
  if (box == nullptr) return false;
  EXPECT_NE(::FindWindowExW(box, nullptr, L"Static",
                            L"You must exit Kelpo and re-start it for this change to take effect."),
            nullptr);
  Dismiss(box);
  EXPECT_TRUE(test::WaitUntilGone(dialog));
  return true;
}

class VideoCapturePageTest : public test::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    test::SavePng(*test::SolidBitmap(160, 120, test::kBlue), source);
    ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
    ASSERT_TRUE(WriteDword(L"disableFTP", 1));
  }

  void UseImageFile() {
    ASSERT_TRUE(WriteDword(L"deviceType", kDeviceImageFile));
    ASSERT_TRUE(WriteString(L"devicePath", source));
  }

  void UseCamera(const wchar_t* path) {
    ASSERT_TRUE(WriteDword(L"deviceType", kDeviceCamera));
    ASSERT_TRUE(WriteString(L"devicePath", path));
  }

  // Opens the sheet from the main window's button and shows the Video Capture tab.
  static SheetDriver OpenVideoTab(KelpoThread& kelpo) {
    (void)::PostMessageW(kelpo.MainWindow(), WM_TRAYICON, 0, WM_LBUTTONDOWN);
    ClickLater(::GetDlgItem(kelpo.MainWindow(), IDC_SETTINGS));
    const HWND window = test::WaitForOwnWindow(kSheetCaption);
    EXPECT_NE(window, nullptr);
    const SheetDriver sheet(window);
    EXPECT_NE(sheet.ShowTab(kVideoTab), nullptr);
    return sheet;
  }

  static HWND OpenDeviceDialog(const SheetDriver& sheet) {
    ClickLater(sheet.Control(kVideoTab, IDC_CHANGE_DEVICE));
    const HWND dialog = test::WaitForOwnWindow(kDeviceDialogCaption);
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }

  Com com;
  GdiplusSession gdiplus;
  test::ScratchFolder folder;
  std::wstring source = folder.File(L"source.png");
};

TEST_F(VideoCapturePageTest, ImageFileSourceOffersNoDeviceAndSizesAreAppliedCorrected) {
  UseImageFile();
  ASSERT_TRUE(WriteDword(L"imagesize", 9));
  KelpoThread kelpo;
  const SheetDriver sheet = OpenVideoTab(kelpo);
  const HWND page = sheet.Page(kVideoTab);
  const auto control = [&](int id) { return sheet.Control(kVideoTab, id); };

  // Filled from the settings, no edit yet.
  EXPECT_FALSE(Enabled(sheet.ApplyButton()));
  EXPECT_EQ(TextOf(control(IDC_VIDEO_DEVICE_NAME)), source);
  for (int id : kDeviceControls) EXPECT_FALSE(Enabled(control(id))) << id;
  EXPECT_TRUE(Enabled(control(IDC_CHANGE_DEVICE)));
  EXPECT_EQ(ListItems(control(IDC_IMAGE_SIZE)),
            (std::vector<std::wstring>{L"Small (160x120)", L"Medium (320x240)", L"Large (480x360)",
                                       L"Extra Large (640x480)"}));
  EXPECT_EQ(TextOf(control(IDC_IMAGE_SIZE)), L"Extra Large (640x480)");
  EXPECT_TRUE(IsChecked(control(IDC_STANDARD_SIZE)));
  EXPECT_FALSE(Enabled(control(IDC_CUSTOM_WIDTH)));
  EXPECT_EQ(TextOf(control(IDC_CUSTOM_WIDTH)), L"320");
  for (int id : kCropFields) EXPECT_FALSE(Enabled(control(id))) << id;
  EXPECT_EQ(::SendMessageW(control(IDC_JPEG_QUALITY), TBM_GETPOS, 0, 0), 75);
  EXPECT_EQ(::SendMessageW(control(IDC_JPEG_QUALITY), TBM_GETRANGEMAX, 0, 0), 100);
  // The format and image pages do nothing for an image file, even when asked.
  (void)::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_VIDEO_FORMAT, BN_CLICKED),
                       reinterpret_cast<LPARAM>(control(IDC_VIDEO_FORMAT)));
  (void)::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_IMAGE_CONTROLS, BN_CLICKED),
                       reinterpret_cast<LPARAM>(control(IDC_IMAGE_CONTROLS)));
  EXPECT_FALSE(Enabled(sheet.ApplyButton()));
  EXPECT_EQ(TextOf(sheet.Button(IDOK)), L"OK");
  EXPECT_TRUE(Enabled(sheet.Button(IDCANCEL)));

  // The device dialog with the image file in use: the same file again is no change.
  const HWND dialog = OpenDeviceDialog(sheet);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsChecked(::GetDlgItem(dialog, IDC_DEVICE_IMAGE_FILE)));
  EXPECT_EQ(TextOf(::GetDlgItem(dialog, IDC_DEVICE_FILE)), source);
  EXPECT_FALSE(Enabled(::GetDlgItem(dialog, IDC_DEVICE_LIST)));
  EXPECT_TRUE(Enabled(::GetDlgItem(dialog, IDC_DEVICE_BROWSE)));
  EXPECT_FALSE(OkShowsRestartMessage(dialog));
  EXPECT_EQ(StoredDword(L"deviceType"), kDeviceImageFile);
  EXPECT_EQ(StoredString(L"devicePath"), source);

  // Custom size: its fields follow the radio button at once.
  Click(control(IDC_CUSTOM_SIZE));
  EXPECT_TRUE(Enabled(sheet.ApplyButton()));
  EXPECT_TRUE(Enabled(control(IDC_CUSTOM_WIDTH)));
  EXPECT_TRUE(Enabled(control(IDC_CUSTOM_HEIGHT)));
  EXPECT_FALSE(Enabled(control(IDC_IMAGE_SIZE)));
  // A zero or oversize side is corrected, and shown corrected.
  Type(control(IDC_CUSTOM_WIDTH), L"0");
  Type(control(IDC_CUSTOM_HEIGHT), L"99999");
  Click(control(IDC_CROP_ENABLE));
  for (int id : kCropFields) EXPECT_TRUE(Enabled(control(id))) << id;
  Type(control(IDC_CROP_LEFT), L"10");
  Type(control(IDC_CROP_TOP), L"20");
  Type(control(IDC_CROP_WIDTH), L"0");
  Type(control(IDC_CROP_HEIGHT), L"4294967296");
  Click(control(IDC_FLIP_HORIZONTAL));
  test::PressKey(control(IDC_JPEG_QUALITY), VK_END);
  sheet.Apply();
  EXPECT_EQ(TextOf(control(IDC_CUSTOM_WIDTH)), L"1");
  EXPECT_EQ(TextOf(control(IDC_CUSTOM_HEIGHT)), std::to_wstring(kMaxPictureSide));
  EXPECT_EQ(TextOf(control(IDC_CROP_WIDTH)), L"1");
  EXPECT_EQ(TextOf(control(IDC_CROP_HEIGHT)), std::to_wstring(kMaxPictureSide));
  EXPECT_TRUE(test::WaitFor([&] { return TextOf(sheet.Button(IDOK)) == L"Close"; }, 2000));
  Settings applied = kelpo.SettingsNow();
  EXPECT_TRUE(applied.UseCustomImageSize);
  EXPECT_EQ(applied.CustomSizeX, 1u);
  EXPECT_EQ(applied.CustomSizeY, kMaxPictureSide);
  EXPECT_TRUE(applied.CropEnable);
  EXPECT_EQ(applied.CropX, 10u);
  EXPECT_EQ(applied.CropY, 20u);
  EXPECT_EQ(applied.CropWidth, 1u);
  EXPECT_EQ(applied.CropHeight, kMaxPictureSide);
  EXPECT_TRUE(applied.fliphorizontal);
  EXPECT_FALSE(applied.flipvertical);
  EXPECT_EQ(applied.JPEGquality, 100u);
  EXPECT_EQ(applied.imagesize, 3u);
  EXPECT_EQ(StoredDword(L"CustomSizeX"), 1u);
  EXPECT_EQ(StoredDword(L"CustomSizeY"), kMaxPictureSide);
  EXPECT_EQ(StoredDword(L"CropHeight"), kMaxPictureSide);
  EXPECT_EQ(StoredDword(L"UseCustomImageSize"), 1u);
  EXPECT_EQ(StoredDword(L"JPEGquality"), 100u);

  // Letters keep the stored side, and the field keeps the letters; the
  // output size follows what was applied.
  Type(control(IDC_CUSTOM_WIDTH), L"wide");
  Type(control(IDC_CUSTOM_HEIGHT), L"240");
  sheet.Apply();
  EXPECT_EQ(TextOf(control(IDC_CUSTOM_WIDTH)), L"wide");
  EXPECT_EQ(kelpo.SettingsNow().CustomSizeX, 1u);
  Type(control(IDC_CUSTOM_WIDTH), L"320");
  sheet.Apply();
  PictureSize output{};
  kelpo.Call([&](Application& application) { output = application.pictures().OutputSize(); });
  EXPECT_EQ(output.width, 320u);
  EXPECT_EQ(output.height, 240u);

  // Back to a standard size; an edit closed without applying is dropped.
  Click(control(IDC_STANDARD_SIZE));
  EXPECT_TRUE(Enabled(control(IDC_IMAGE_SIZE)));
  EXPECT_FALSE(Enabled(control(IDC_CUSTOM_WIDTH)));
  Type(control(IDC_CROP_LEFT), L"99");
  sheet.CloseBox();
  EXPECT_TRUE(kelpo.SettingsNow().UseCustomImageSize);
  EXPECT_EQ(kelpo.SettingsNow().CropX, 10u);
  EXPECT_EQ(StoredDword(L"CropX"), 10u);
}

TEST_F(VideoCapturePageTest, DeviceDialogListsTheCamerasAndStoresAChoiceForTheNextStart) {
  const RegisteredCameras cameras{kZeta, kAlpha, kMid};
  ASSERT_EQ(cameras.result(), S_OK);
  UseCamera(kZetaPath);
  const std::wstring other = folder.File(L"other.png");
  test::SavePng(*test::SolidBitmap(80, 60, test::kRed), other);
  KelpoThread kelpo;
  const SheetDriver sheet = OpenVideoTab(kelpo);
  EXPECT_EQ(TextOf(sheet.Control(kVideoTab, IDC_VIDEO_DEVICE_NAME)), L"Zeta Webcam");
  EXPECT_TRUE(Enabled(sheet.Control(kVideoTab, IDC_IMAGE_CONTROLS)));
  EXPECT_TRUE(Enabled(sheet.Control(kVideoTab, IDC_VIDEO_FORMAT)));

  // Every camera, sorted by name, the one in use selected though another
  // name sorted before it after it was listed.
  HWND dialog = OpenDeviceDialog(sheet);
  ASSERT_NE(dialog, nullptr);
  HWND list = ::GetDlgItem(dialog, IDC_DEVICE_LIST);
  EXPECT_EQ(ListItems(list),
            (std::vector<std::wstring>{L"Alpha Card", L"Mid Cam", L"Zeta Webcam"}));
  EXPECT_EQ(TextOf(list), L"Zeta Webcam");
  EXPECT_TRUE(IsChecked(::GetDlgItem(dialog, IDC_DEVICE_CAMERA)));
  EXPECT_FALSE(IsChecked(::GetDlgItem(dialog, IDC_DEVICE_IMAGE_FILE)));
  EXPECT_TRUE(Enabled(list));
  EXPECT_FALSE(Enabled(::GetDlgItem(dialog, IDC_DEVICE_BROWSE)));
  // The same camera: written again, nothing to tell.
  ASSERT_TRUE(WriteString(L"devicePath", L"overwritten"));
  EXPECT_FALSE(OkShowsRestartMessage(dialog));
  EXPECT_EQ(StoredString(L"devicePath"), kZetaPath);
  EXPECT_EQ(StoredDword(L"deviceType"), kDeviceCamera);

  // Another camera: stored for the next start, which the user is told about;
  // the running program and the page keep the camera in use.
  dialog = OpenDeviceDialog(sheet);
  ASSERT_NE(dialog, nullptr);
  list = ::GetDlgItem(dialog, IDC_DEVICE_LIST);
  (void)::SendMessageW(list, CB_SETCURSEL, 1, 0);
  EXPECT_TRUE(OkShowsRestartMessage(dialog));
  EXPECT_EQ(StoredString(L"devicePath"), kMidPath);
  EXPECT_EQ(StoredDword(L"deviceType"), kDeviceCamera);
  EXPECT_EQ(kelpo.SettingsNow().devicePath, kZetaPath);
  EXPECT_EQ(TextOf(sheet.Control(kVideoTab, IDC_VIDEO_DEVICE_NAME)), L"Zeta Webcam");

  // An image file chosen through Browse and then cancelled: nothing written.
  dialog = OpenDeviceDialog(sheet);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(::GetDlgItem(dialog, IDC_DEVICE_LIST)), L"Zeta Webcam");
  Click(::GetDlgItem(dialog, IDC_DEVICE_IMAGE_FILE));
  EXPECT_FALSE(Enabled(::GetDlgItem(dialog, IDC_DEVICE_LIST)));
  EXPECT_TRUE(Enabled(::GetDlgItem(dialog, IDC_DEVICE_BROWSE)));
  ClickLater(::GetDlgItem(dialog, IDC_DEVICE_BROWSE));
  test::ConfirmFileDialog(L"Image File", other);
  EXPECT_EQ(TextOf(::GetDlgItem(dialog, IDC_DEVICE_FILE)), other);
  Click(::GetDlgItem(dialog, IDCANCEL));
  EXPECT_TRUE(test::WaitUntilGone(dialog));
  EXPECT_EQ(StoredString(L"devicePath"), kMidPath);
  EXPECT_EQ(StoredDword(L"deviceType"), kDeviceCamera);

  // The same, confirmed: another kind of source is always a change.
  dialog = OpenDeviceDialog(sheet);
  ASSERT_NE(dialog, nullptr);
  Click(::GetDlgItem(dialog, IDC_DEVICE_IMAGE_FILE));
  ClickLater(::GetDlgItem(dialog, IDC_DEVICE_BROWSE));
  test::ConfirmFileDialog(L"Image File", other);
  EXPECT_TRUE(OkShowsRestartMessage(dialog));
  EXPECT_EQ(StoredString(L"devicePath"), other);
  EXPECT_EQ(StoredDword(L"deviceType"), kDeviceImageFile);
  EXPECT_EQ(kelpo.SettingsNow().deviceType, kDeviceCamera);
  sheet.CloseBox();
}

}  // namespace
}  // namespace kelpo
