// The Video Capture tab and the Change Video Device dialog, driven as a user
// drives them, with an image file or registered test cameras as the source.
#include "app/main_window.h"
#include "capture/camera_test_support.h"
#include "common/message_catalogue.h"
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

#include <algorithm>
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

// The route log of the one crossbar in front of the capture filter, after
// route `index` (its input `index`) went to the video output.
std::wstring RoutedTo(int index) { return L"0:0-" + std::to_wstring(index) + L";"; }

// A visible dialog of this process other than these: a property frame.
HWND OtherOwnDialog(std::initializer_list<HWND> known) {
  struct Search {
    std::initializer_list<HWND> known;
    HWND found = nullptr;
  } search{known};
  (void)::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(context);
        DWORD process = 0;
        (void)::GetWindowThreadProcessId(window, &process);
        if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
        for (HWND known : search.known) {
          if (known == window) return TRUE;
        }
        wchar_t name[16] = {};
        (void)::GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770") return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A descendant window with exactly this text.
HWND DescendantWithText(HWND parent, const std::wstring& text) {
  struct Search {
    const std::wstring* text;
    HWND found = nullptr;
  } search{&text};
  (void)::EnumChildWindows(
      parent,
      [](HWND window, LPARAM context) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(context);
        if (TextOf(window) != *search.text) return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The video windows in the main window's preview.
int VideoWindows(HWND mainWindow) {
  int count = 0;
  for (HWND child = ::GetWindow(::GetDlgItem(mainWindow, IDC_PREVIEW), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    ++count;
  }
  return count;
}

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
  // A path longer than MAX_PATH is stored whole.
  const std::wstring longPath = L"C:\\" + std::wstring(300, L'p') + L".png";
  const HWND longPathDialog = OpenDeviceDialog(sheet);
  (void)::SetDlgItemTextW(longPathDialog, IDC_DEVICE_FILE, longPath.c_str());
  EXPECT_TRUE(OkShowsRestartMessage(longPathDialog));
  EXPECT_EQ(StoredString(L"devicePath"), longPath);

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

  // Letters or a sign keep the stored value, which the field shows again;
  // the output size follows what was applied.
  Type(control(IDC_CUSTOM_WIDTH), L"wide");
  Type(control(IDC_CUSTOM_HEIGHT), L"240");
  Type(control(IDC_CROP_LEFT), L"-1");
  sheet.Apply();
  EXPECT_EQ(TextOf(control(IDC_CUSTOM_WIDTH)), L"1");
  EXPECT_EQ(TextOf(control(IDC_CROP_LEFT)), L"10");
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

// A capture card: a crossbar with a tuner, a composite and an S-Video input
// in front of the test camera, whose capture pin offers the format page.
TEST_F(VideoCapturePageTest, VideoSourceIsRoutedOnApplyAndTheFormatPageKeepsTheCameraWorking) {
  const KelpoTestCameraInstance card{L"cam_card", L"Card", L"Kelpo Capture Card",
                                     kAlphaPath,  0x44,    S_OK};
  const RegisteredCameras cameras{card};
  ASSERT_EQ(cameras.result(), S_OK);
  constexpr int kTunerConnector = 1;      // PhysConn_Video_Tuner
  constexpr int kCompositeConnector = 2;  // PhysConn_Video_Composite
  constexpr int kSVideoConnector = 3;     // PhysConn_Video_SVideo
  ASSERT_TRUE(RegisteredCameras::SetControl(card.name, test_camera::kCrossbar,
                                            std::to_wstring(kTunerConnector) + L"," +
                                                std::to_wstring(kCompositeConnector) + L"," +
                                                std::to_wstring(kSVideoConnector)));
  ASSERT_TRUE(
      RegisteredCameras::SetControl(card.name, test_camera::kPages, test_camera::kPagesCapturePin));
  UseCamera(kAlphaPath);
  constexpr int kStoredInput = 1;  // the composite input
  ASSERT_TRUE(WriteDword(L"crossbarinput", kStoredInput));
  ASSERT_TRUE(WriteDword(L"capturewidth", 640));
  ASSERT_TRUE(WriteDword(L"captureheight", 480));
  ASSERT_TRUE(WriteDword(L"imagesize", 3));  // 640 x 480: the stamp reads well
  const std::wstring kept = folder.File(L"kept.jpg");
  ASSERT_TRUE(WriteDword(L"savetofile", 1));
  ASSERT_TRUE(WriteString(L"localfilename", kept));
  KelpoThread kelpo;
  // The camera routes the stored input as its graph is built.
  const auto routeLog = [&] {
    return RegisteredCameras::ReadText(card.name, test_camera::kRouteLog);
  };
  EXPECT_TRUE(test::WaitFor([&] { return routeLog() == RoutedTo(kStoredInput); }, 5000));
  const std::wstring beforeSheet = routeLog();

  // Opening the tab lists the routes, sorted, and routes the stored one again.
  const SheetDriver sheet = OpenVideoTab(kelpo);
  const HWND sources = sheet.Control(kVideoTab, IDC_VIDEO_SOURCE);
  EXPECT_TRUE(Enabled(sources));
  const std::vector<std::wstring> names = ListItems(sources);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
    return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
  }));
  std::vector<LRESULT> routes;
  for (WPARAM item = 0; item < names.size(); ++item) {
    routes.push_back(::SendMessageW(sources, CB_GETITEMDATA, item, 0));
  }
  EXPECT_TRUE(
      std::is_permutation(routes.begin(), routes.end(), std::vector<LRESULT>{0, 1, 2}.begin()));
  const auto selected = ::SendMessageW(sources, CB_GETCURSEL, 0, 0);
  ASSERT_NE(selected, CB_ERR);
  EXPECT_EQ(routes[static_cast<std::size_t>(selected)], kStoredInput);
  EXPECT_EQ(routeLog(), beforeSheet + RoutedTo(kStoredInput));
  EXPECT_FALSE(Enabled(sheet.ApplyButton()));
  // No tuner upstream of this card.
  EXPECT_FALSE(Enabled(sheet.Control(kVideoTab, IDC_TV_TUNER)));
  // Nor pages of its filter's own: the page says so.
  ClickLater(sheet.Control(kVideoTab, IDC_IMAGE_CONTROLS));
  HWND box = nullptr;
  ASSERT_TRUE(test::WaitFor(
      [&] {
        return (box = OtherOwnDialog({kelpo.MainWindow(), sheet.sheet()})) != nullptr;
      },
      test::kDialogTimeout));
  EXPECT_NE(::FindWindowExW(box, nullptr, L"Static",
                            LoadText(kMsgCannotModifyCapture, kErrorTextCapacity).c_str()),
            nullptr);
  Dismiss(box);

  // Another input chosen and the sheet cancelled: nothing is routed or stored.
  const auto itemOf = [&](LRESULT route) {
    return static_cast<WPARAM>(std::find(routes.begin(), routes.end(), route) - routes.begin());
  };
  constexpr int kChosenInput = 2;  // S-Video
  (void)::SendMessageW(sources, CB_SETCURSEL, itemOf(kChosenInput), 0);
  (void)::SendMessageW(sheet.Page(kVideoTab), WM_COMMAND,
                       MAKEWPARAM(IDC_VIDEO_SOURCE, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(sources));
  EXPECT_TRUE(Enabled(sheet.ApplyButton()));
  const std::wstring beforeCancel = routeLog();
  sheet.CloseBox();
  EXPECT_EQ(routeLog(), beforeCancel);
  EXPECT_EQ(kelpo.SettingsNow().crossbarinput, static_cast<std::uint32_t>(kStoredInput));

  // Chosen and applied: routed and stored.
  const SheetDriver again = OpenVideoTab(kelpo);
  const HWND list = again.Control(kVideoTab, IDC_VIDEO_SOURCE);
  (void)::SendMessageW(list, CB_SETCURSEL, itemOf(kChosenInput), 0);
  (void)::SendMessageW(again.Page(kVideoTab), WM_COMMAND,
                       MAKEWPARAM(IDC_VIDEO_SOURCE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  const std::wstring beforeApply = routeLog();
  again.Apply();
  EXPECT_EQ(routeLog(), beforeApply + RoutedTo(kChosenInput));
  EXPECT_EQ(kelpo.SettingsNow().crossbarinput, static_cast<std::uint32_t>(kChosenInput));
  EXPECT_EQ(StoredDword(L"crossbarinput"), static_cast<std::uint32_t>(kChosenInput));

  // The format page, with its own size switch: in force at once, and Cancel
  // turns into Close even before Apply.
  Type(again.Control(kVideoTab, IDC_CROP_LEFT), L"5");
  ClickLater(again.Control(kVideoTab, IDC_VIDEO_FORMAT));
  HWND frame = nullptr;
  ASSERT_TRUE(test::WaitFor(
      [&] {
        return (frame = OtherOwnDialog({kelpo.MainWindow(), again.sheet()})) != nullptr;
      },
      test::kDialogTimeout));
  const HWND switchSize = DescendantWithText(frame, test_camera::kPageButtonText);
  ASSERT_NE(switchSize, nullptr);
  // As a click does: the page hears of it from its button.
  (void)::SendMessageW(::GetParent(switchSize), WM_COMMAND,
                       MAKEWPARAM(::GetDlgCtrlID(switchSize), BN_CLICKED),
                       reinterpret_cast<LPARAM>(switchSize));
  (void)::PostMessageW(frame, PSM_PRESSBUTTON, PSBTN_OK, 0);
  EXPECT_TRUE(test::WaitFor([&] { return !::IsWindow(frame) || !::IsWindowVisible(frame); }, 5000));
  EXPECT_TRUE(test::WaitFor([&] { return TextOf(again.Button(IDOK)) == L"Close"; }, 2000));
  EXPECT_TRUE(Enabled(again.ApplyButton()));
  EXPECT_EQ(kelpo.SettingsNow().CropX, 0u);  // the crop waits for Apply
  again.Apply();
  const Settings applied = kelpo.SettingsNow();
  EXPECT_EQ(applied.capturewidth, 320u);
  EXPECT_EQ(applied.captureheight, 240u);
  EXPECT_EQ(StoredDword(L"capturewidth"), 320u);
  EXPECT_EQ(applied.CropX, 5u);
  again.Ok();

  // The camera still previews and delivers: a picture taken now is its own.
  EXPECT_EQ(VideoWindows(kelpo.MainWindow()), 1);
  ASSERT_TRUE(::DeleteFileW(kept.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND);
  ClickLater(::GetDlgItem(kelpo.MainWindow(), IDC_TAKE_PICTURE));
  ASSERT_TRUE(test::WaitFor([&] { return test::IsJpeg(kept); }, 20000));
  const std::unique_ptr<Gdiplus::Bitmap> picture = test::ReadPicture(kept);
  ASSERT_NE(picture, nullptr);
  const auto stamp = test::StampOf(*picture);
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->tag, card.tag);

  // Should the graph not come back after the format page, Kelpo runs on
  // without the camera for this run, as after a start without one: the
  // preview goes, the tab offers no device, and nothing is stored.
  kelpo.Call([](Application& application) { application.UseImageFileInstead(); });
  EXPECT_EQ(VideoWindows(kelpo.MainWindow()), 0);
  EXPECT_EQ(kelpo.SettingsNow().deviceType, kDeviceImageFile);
  EXPECT_EQ(StoredDword(L"deviceType"), kDeviceCamera);
  EXPECT_EQ(StoredString(L"devicePath"), kAlphaPath);
  const SheetDriver fallen = OpenVideoTab(kelpo);
  for (int id : kDeviceControls) EXPECT_FALSE(Enabled(fallen.Control(kVideoTab, id))) << id;
  EXPECT_EQ(TextOf(fallen.Control(kVideoTab, IDC_VIDEO_DEVICE_NAME)), L"");
  fallen.CloseBox();
  Click(::GetDlgItem(kelpo.MainWindow(), IDC_TAKE_PICTURE));
  EXPECT_TRUE(::IsWindow(kelpo.MainWindow()));
}

}  // namespace
}  // namespace kelpo
