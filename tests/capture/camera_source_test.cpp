// The camera source against registered test cameras, in the real main window:
// the device choice with real monikers, the capture graph with its preview,
// the grab cycle with its warm-up and its bound, and a camera that goes away
// and comes back.
#include "app/com_session.h"
#include "app/main_window.h"
#include "capture/camera_source.h"
#include "capture/camera_test_support.h"
#include "capture/video_devices.h"
#include "common/message_catalogue.h"
#include "picture/gdiplus_session.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"
#include "support/test_camera/registered_cameras.h"
#include "ui/device_choice.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelpo {
namespace {

using test::WaitFor;
using test_camera::FrameStamp;
using test_camera::Orientation;
using test_camera::RegisteredCameras;

constexpr wchar_t kCardPath[] =
    L"\\\\?\\pci#ven_109e&dev_036e&subsys_00000000&rev_11#3&267a616a&0&48#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr wchar_t kUsbPath[] =
    L"\\\\?\\usb#vid_046d&pid_0825&mi_00#6&2d9b1f2e&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr wchar_t kBusyUsbPath[] =
    L"\\\\?\\usb#vid_046d&pid_082d&mi_00#7&11aa22bb&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr wchar_t kLaterUsbPath[] =
    L"\\\\?\\usb#vid_0c45&pid_6340&mi_00#8&3c4d5e6f&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr wchar_t kShoutedUsbPath[] =
    L"\\\\?\\USB#VID_045E&PID_0779&MI_00#9&1A2B3C4D&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const HRESULT kBusy = HRESULT_FROM_WIN32(ERROR_BUSY);

// Listed in this order: the enumerator sorts them by instance name.
const KelpoTestCameraInstance kCard{
    L"cam_a_card", L"Capture Card", L"Kelpo PCI Capture Card", kCardPath, 0x11, S_OK};
const KelpoTestCameraInstance kUsb{L"cam_b_usb", L"Test Webcam", nullptr, kUsbPath, 0x22, S_OK};
const KelpoTestCameraInstance kBusyUsb{L"cam_c_busy", L"Busy Webcam", nullptr,
                                       kBusyUsbPath,  0x33,           kBusy};
const KelpoTestCameraInstance kLaterUsb{
    L"cam_d_usb", L"Other Webcam", L"Kelpo USB Webcam", kLaterUsbPath, 0x44, S_OK};
const KelpoTestCameraInstance kShoutedUsb{L"cam_e_shout",  L"Loud Webcam", nullptr,
                                          kShoutedUsbPath, 0x55,           S_OK};

// Short enough to keep the tests quick, long enough for a first frame under
// Wine on a busy machine.
constexpr UINT kTestGrabLimit = 3000;
constexpr DWORD kGrabWait = 15000;
// The test camera streams at 15 frames a second.
constexpr DWORD kDarkFrames = 5;
constexpr std::uint32_t kWarmUp = 1000;

// Kelpo's main window around a camera source, wired as the Application wires
// them: graph events and the grab timer go to the source, which hands its
// frame over when asked.
class CameraHost final : public MainWindowEvents, public GrabTimer {
 public:
  CameraSource* camera = nullptr;
  MainWindow* window = nullptr;
  std::unique_ptr<Gdiplus::Bitmap> frame;
  int pictures = 0;
  CameraNews news = CameraNews::kNone;

  // The button, or another program, asking while a test holds a frame open.
  std::atomic<int> buttonRequests{0};
  std::atomic<bool> buttonRequestRefused{false};
  void OnPictureRequested() override {
    if (camera == nullptr) return;
    buttonRequestRefused = camera->RequestPicture() == FrameRequest::kNone;
    ++buttonRequests;
  }
  void OnCaptureTick() override {}
  void OnUploadTimeLimit() override {}
  void OnOneShotBound() override {}
  void OnUploadCompletion(WPARAM, LPARAM) override {}
  void OnGraphNotify() override {
    if (camera == nullptr) return;
    Note(camera->OnGraphEvent([this] {
      frame = camera->GrabFrame();
      ++pictures;
    }));
  }
  void OnGrabTimer() override {
    if (camera != nullptr) Note(camera->OnGrabTimer());
  }
  void OnSettingsRequested() override {}
  void OnShown(bool shown) override {
    if (camera != nullptr) camera->OnWindowShown(shown);
  }
  void OnPreviewResized() override { camera->OnPreviewResized(); }
  void OnSessionEnding() override {}
  void OnUnhandledError(std::exception_ptr) noexcept override { ADD_FAILURE() << "handler failed"; }

  void StartGrabTimer(UINT period) override { window->StartGrabTimer(period); }
  void StopGrabTimer() override { window->StopGrabTimer(); }

 private:
  void Note(CameraNews latest) {
    if (latest != CameraNews::kNone) news = latest;
  }
};

class CameraTest : public test::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    settings.devicePath = kUsbPath;
    settings.capturewidth = 640;
    settings.captureheight = 480;
    settings.warmuptime = 0;
  }

  void TearDown() override {
    camera.reset();
    RegistryTest::TearDown();
  }

  void Register(std::initializer_list<KelpoTestCameraInstance> instances) {
    cameras = std::make_unique<RegisteredCameras>(instances);
    ASSERT_EQ(cameras->result(), S_OK);
  }

  // The main window (hidden) and the camera's graph in it.
  void Start(UINT grabTimeLimit = kTestGrabLimit) {
    window.Create(host, false);
    host.window = &window;
    PreviewHost preview;
    preview.window = window.handle();
    preview.previewControl = window.PreviewControl();
    preview.graphMessage = WM_GRAPHNOTIFY;
    preview.grabTimer = &host;
    preview_ = preview;
    camera = std::make_unique<CameraSource>(settings, preview, grabTimeLimit);
    host.camera = camera.get();
    camera->BuildCaptureGraph();
  }

  // A new camera source in the same window, built from the settings as they are.
  void Rebuild() {
    host.camera = nullptr;
    camera.reset();
    camera = std::make_unique<CameraSource>(settings, preview_, kTestGrabLimit);
    host.camera = camera.get();
    camera->BuildCaptureGraph();
  }

  struct Grab {
    FrameRequest request = FrameRequest::kNone;
    CameraNews news = CameraNews::kNone;
    std::unique_ptr<Gdiplus::Bitmap> frame;
    DWORD milliseconds = 0;
  };

  // One picture request, followed to its frame or to the camera's news.
  Grab RequestPicture() {
    host.frame.reset();
    host.pictures = 0;
    host.news = CameraNews::kNone;
    Grab grab;
    const DWORD start = ::GetTickCount();
    grab.request = camera->RequestPicture();
    if (grab.request == FrameRequest::kPending) {
      EXPECT_TRUE(
          WaitFor([&] { return host.pictures > 0 || host.news != CameraNews::kNone; }, kGrabWait));
    }
    grab.milliseconds = ::GetTickCount() - start;
    grab.news = host.news;
    grab.frame = std::move(host.frame);
    return grab;
  }

  // A grab that must give a fresh, upright frame of the given camera.
  std::optional<FrameStamp> ExpectFrame(Grab& grab, std::uint8_t tag) {
    EXPECT_EQ(grab.request, FrameRequest::kPending);
    EXPECT_EQ(grab.news, CameraNews::kNone);
    EXPECT_NE(grab.frame, nullptr);
    if (!grab.frame) return std::nullopt;
    EXPECT_EQ(test::OrientationOf(*grab.frame), Orientation::kUpright);
    const std::optional<FrameStamp> stamp = test::StampOf(*grab.frame);
    EXPECT_TRUE(stamp);
    if (stamp) {
      EXPECT_EQ(stamp->tag, tag);
    }
    return stamp;
  }

  // The camera's video window: a child of the preview control.
  HWND VideoWindow() { return ::GetWindow(window.PreviewControl(), GW_CHILD); }

  // The preview control as it shows on the screen, read as the test pattern.
  Orientation PreviewOnScreen() {
    const HWND control = window.PreviewControl();
    RECT client{};
    (void)::GetClientRect(control, &client);
    (void)::MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const HDC screen = ::GetDC(nullptr);
    const Orientation seen = test_camera::ReadOrientation(
        client.right - client.left, client.bottom - client.top, [&](int x, int y) {
          const COLORREF colour = ::GetPixel(screen, client.left + x, client.top + y);
          return test_camera::Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)};
        });
    (void)::ReleaseDC(nullptr, screen);
    return seen;
  }

  ComSession com;
  GdiplusSession gdiplus;
  std::unique_ptr<RegisteredCameras> cameras;
  Settings settings;
  CameraHost host;
  MainWindow window;
  std::unique_ptr<CameraSource> camera;
  PreviewHost preview_;
};

TEST_F(CameraTest, ChoiceRulesPickFromRealMonikers) {
  Register({kCard, kUsb, kBusyUsb, kLaterUsb, kShoutedUsb});
  struct Case {
    const wchar_t* configured;
    const KelpoTestCameraInstance* chosen;
  };
  std::wstring shouted = kUsbPath;
  shouted[4] = L'U';
  const Case cases[] = {
      {kUsbPath, &kUsb},             // the configured camera, bound after the first
      {shouted.c_str(), &kCard},     // letter case counts: absent, so the first stays
      {L"\\\\?\\usb#gone", &kCard},  // absent: the first camera
      // No configured path: the last USB camera; the busy one binds nothing
      // and the one in capitals is not USB.
      {L"", &kLaterUsb},
      // The configured camera is busy: the next camera takes its place.
      {kBusyUsbPath, &kLaterUsb},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.configured);
    const ChosenDevice device = ChooseCaptureDevice(c.configured);
    ASSERT_TRUE(device.record);
    EXPECT_EQ(device.record->path, c.chosen->devicePath);
    EXPECT_EQ(device.record->name,
              c.chosen->description != nullptr ? c.chosen->description : c.chosen->friendlyName);
    EXPECT_NE(device.filter, nullptr);
  }

  // The graph binds the chosen camera (its frames carry its tag) and writes
  // its path back, for this run and the next.
  settings.devicePath = L"\\\\?\\usb#gone";
  Start();
  std::wstring stored;
  EXPECT_TRUE(ReadString(L"devicePath", stored));
  EXPECT_EQ(stored, kCardPath);
  EXPECT_EQ(settings.devicePath, kCardPath);
  EXPECT_EQ(camera->DeviceName(), L"Kelpo PCI Capture Card");
  Grab grab = RequestPicture();
  ExpectFrame(grab, static_cast<std::uint8_t>(kCard.tag));

  // The device list: every camera, sorted by name in the combo box, each item
  // leading to its own record.
  const HWND combo = ::CreateWindowExW(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST | CBS_SORT, 0, 0, 200,
                                       200, window.handle(), nullptr, nullptr, nullptr);
  std::vector<DeviceRecord> list;
  FillDeviceList(combo, settings, list);
  ASSERT_EQ(list.size(), 5u);
  ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(list[0].path, kCardPath);
  EXPECT_EQ(list[4].path, kShoutedUsbPath);
  for (WPARAM item = 0; item < 5; ++item) {
    wchar_t text[64] = {};
    (void)::SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    const auto index = static_cast<std::size_t>(::SendMessageW(combo, CB_GETITEMDATA, item, 0));
    ASSERT_LT(index, list.size());
    EXPECT_EQ(list[index].name, text);
  }
  (void)::DestroyWindow(combo);
}

TEST_F(CameraTest, HiddenWindowGrabIsFreshUprightInTheCaptureSizeAndStopsTheGraphAgain) {
  Register({kUsb});
  settings.capturewidth = 1280;
  settings.captureheight = 960;
  Start();
  ASSERT_TRUE(camera->GraphBuilt());
  EXPECT_EQ(settings.capturewidth, 1280u);
  EXPECT_EQ(settings.captureheight, 960u);
  EXPECT_FALSE(camera->GraphRunning());
  // The video window lives in the preview control.
  EXPECT_NE(VideoWindow(), nullptr);

  Grab first = RequestPicture();
  const auto firstStamp = ExpectFrame(first, static_cast<std::uint8_t>(kUsb.tag));
  ASSERT_NE(first.frame, nullptr);
  EXPECT_EQ(first.frame->GetWidth(), 1280u);
  EXPECT_EQ(first.frame->GetHeight(), 960u);
  EXPECT_EQ(first.frame->GetPixelFormat(), PixelFormat24bppRGB);
  EXPECT_FALSE(camera->GraphRunning());

  Grab second = RequestPicture();
  const auto secondStamp = ExpectFrame(second, static_cast<std::uint8_t>(kUsb.tag));
  ASSERT_TRUE(firstStamp && secondStamp);
  EXPECT_TRUE(test_camera::CounterAdvanced(firstStamp->counter, secondStamp->counter))
      << firstStamp->counter << " then " << secondStamp->counter;
  EXPECT_FALSE(camera->GraphRunning());
}

// Moved to a monitor at 150 %: the preview control grows with the window and
// the video fills it again.
TEST_F(CameraTest, DpiChangeFitsTheVideoToTheRescaledPreview) {
  Register({kUsb});
  Start();
  window.Show();
  RECT before{};
  RECT area{};
  (void)::GetClientRect(window.PreviewControl(), &before);
  (void)::GetWindowRect(window.handle(), &area);
  area.right += (area.right - area.left) / 2;
  area.bottom += (area.bottom - area.top) / 2;
  constexpr UINT kDpiChanged = 0x02E0;
  ::SendMessageW(window.handle(), kDpiChanged, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&area));
  RECT client{};
  (void)::GetClientRect(window.PreviewControl(), &client);
  EXPECT_NEAR(client.right, before.right * 3 / 2, 1);
  EXPECT_NEAR(client.bottom, before.bottom * 3 / 2, 1);
  (void)::GetWindowRect(VideoWindow(), &area);
  (void)::MapWindowPoints(nullptr, window.PreviewControl(), reinterpret_cast<POINT*>(&area), 2);
  EXPECT_TRUE(::EqualRect(&area, &client));
}

TEST_F(CameraTest, ShownWindowKeepsThePreviewRunningThroughAGrab) {
  Register({kUsb});
  Start();
  window.Show();
  EXPECT_TRUE(camera->GraphRunning());
  const HWND video = VideoWindow();
  ASSERT_NE(video, nullptr);
  EXPECT_TRUE(::IsWindowVisible(video));
  EXPECT_NE(::GetWindowLongPtrW(video, GWL_STYLE) & WS_CHILD, 0);
  // The video fills the control, where the user sees it.
  RECT placed{};
  RECT client{};
  (void)::GetWindowRect(video, &placed);
  (void)::MapWindowPoints(nullptr, window.PreviewControl(), reinterpret_cast<POINT*>(&placed), 2);
  (void)::GetClientRect(window.PreviewControl(), &client);
  EXPECT_TRUE(::EqualRect(&placed, &client));
  EXPECT_TRUE(WaitFor([&] { return PreviewOnScreen() == Orientation::kUpright; }, kGrabWait));

  Grab grab = RequestPicture();
  ExpectFrame(grab, static_cast<std::uint8_t>(kUsb.tag));
  EXPECT_TRUE(camera->GraphRunning());
  EXPECT_EQ(VideoWindow(), video);

  (void)::ShowWindow(window.handle(), SW_HIDE);
  EXPECT_FALSE(camera->GraphRunning());
}

TEST_F(CameraTest, WebcamFormatIsChosenBySizeThenPreferenceAndPreviewedByKelpo) {
  constexpr std::uint32_t kYuy2 = MAKEFOURCC('Y', 'U', 'Y', '2');
  constexpr std::uint32_t kMjpg = MAKEFOURCC('M', 'J', 'P', 'G');
  Register({kUsb});
  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kFormats,
                                            L"MJPG 1280x720,MJPG 640x480,YUY2 640x480"));
  Start();
  EXPECT_EQ(camera->CaptureFormat(), kYuy2);
  // No renderer here takes YUY2: Kelpo shows its own frames, upright.
  window.Show();
  EXPECT_TRUE(WaitFor([&] { return PreviewOnScreen() == Orientation::kUpright; }, kGrabWait));
  Grab yuy2 = RequestPicture();
  ExpectFrame(yuy2, static_cast<std::uint8_t>(kUsb.tag));

  // The user's pick, then a size only MJPG has.
  settings.captureformat = kMjpg;
  Rebuild();
  EXPECT_EQ(camera->CaptureFormat(), kMjpg);
  settings.captureformat = 0;
  settings.capturewidth = 1280;
  settings.captureheight = 720;
  Rebuild();
  EXPECT_EQ(camera->CaptureFormat(), kMjpg);
  Grab mjpg = RequestPicture();
  ExpectFrame(mjpg, static_cast<std::uint8_t>(kUsb.tag));
  ASSERT_NE(mjpg.frame, nullptr);
  EXPECT_EQ(mjpg.frame->GetWidth(), 1280u);
}

TEST_F(CameraTest, WarmUpSkipsTheDarkFirstFramesAndZeroTurnsItOff) {
  Register({kUsb});
  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kDarkFrames, kDarkFrames));
  Start();

  Grab cold = RequestPicture();
  ASSERT_NE(cold.frame, nullptr);
  EXPECT_TRUE(test::IsDark(*cold.frame));

  settings.warmuptime = kWarmUp;
  Grab warm = RequestPicture();
  ExpectFrame(warm, static_cast<std::uint8_t>(kUsb.tag));
  EXPECT_GE(warm.milliseconds, kWarmUp);

  // A preview that has run for longer than the warm-up is warm already.
  window.Show();
  (void)WaitFor([] { return false; }, kWarmUp);
  Grab previewed = RequestPicture();
  ExpectFrame(previewed, static_cast<std::uint8_t>(kUsb.tag));
  EXPECT_LT(previewed.milliseconds, kWarmUp);
}

TEST_F(CameraTest, CameraThatStopsDeliveringEndsTheWaitAtTheBoundAndIsBuiltAgainLater) {
  Register({kUsb});
  Start();
  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kFrozen, 1));
  Grab frozen = RequestPicture();
  EXPECT_EQ(frozen.news, CameraNews::kPictureLost);
  EXPECT_EQ(frozen.frame, nullptr);
  EXPECT_GE(frozen.milliseconds, kTestGrabLimit);
  EXPECT_FALSE(camera->GraphBuilt());
  EXPECT_EQ(VideoWindow(), nullptr);

  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kFrozen, 0));
  Grab thawed = RequestPicture();
  ExpectFrame(thawed, static_cast<std::uint8_t>(kUsb.tag));
  EXPECT_TRUE(camera->GraphBuilt());
  EXPECT_NE(VideoWindow(), nullptr);
}

TEST_F(CameraTest, CameraHeldByAnotherProgramIsBusyAtOnceAndUsedOnceFree) {
  Register({kUsb});
  ASSERT_TRUE(
      RegisteredCameras::SetControl(kUsb.name, test_camera::kFailRun, static_cast<DWORD>(kBusy)));
  Start();
  ASSERT_TRUE(camera->GraphBuilt());
  Grab held = RequestPicture();
  EXPECT_EQ(held.request, FrameRequest::kBusy);
  EXPECT_LT(held.milliseconds, kTestGrabLimit);

  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kFailRun, 0));
  Grab freed = RequestPicture();
  ExpectFrame(freed, static_cast<std::uint8_t>(kUsb.tag));
}

TEST_F(CameraTest, LostDeviceAndFailedStreamReleaseTheGraphUntilTheCameraIsBack) {
  // The lost camera is the configured one; another camera must not take its
  // place while it is away, and the choice stored for the next start stays.
  Register({kCard, kUsb});
  Start();
  ASSERT_TRUE(WriteString(L"devicePath", kCardPath));
  window.Show();
  ASSERT_TRUE(camera->GraphRunning());

  // Lost while the preview runs: no picture was on its way.
  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kDeviceLost, 1));
  EXPECT_TRUE(WaitFor([&] { return host.news != CameraNews::kNone; }, kGrabWait));
  EXPECT_EQ(host.news, CameraNews::kLost);
  EXPECT_FALSE(camera->GraphBuilt());

  // Still away: a request gives no picture and binds no other camera.
  Grab away = RequestPicture();
  EXPECT_NE(away.request, FrameRequest::kReady);
  EXPECT_EQ(away.frame, nullptr);
  EXPECT_TRUE(away.request == FrameRequest::kLost || away.news == CameraNews::kPictureLost);
  EXPECT_EQ(settings.devicePath, kUsbPath);

  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kDeviceLost, 0));
  Grab back = RequestPicture();
  ExpectFrame(back, static_cast<std::uint8_t>(kUsb.tag));
  EXPECT_TRUE(camera->GraphRunning());

  // A stream that fails is lost the same way, and back once it streams. The
  // preview runs: a frame on its way as the stream fails may still come, so
  // the failure is heard first, as the lost device was.
  host.news = CameraNews::kNone;
  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kFailStreaming,
                                            static_cast<DWORD>(E_FAIL)));
  EXPECT_TRUE(WaitFor([&] { return host.news != CameraNews::kNone; }, kGrabWait));
  EXPECT_EQ(host.news, CameraNews::kLost);
  EXPECT_FALSE(camera->GraphBuilt());
  // Still failing: the request builds the graph again, and loses it again.
  Grab failed = RequestPicture();
  EXPECT_EQ(failed.frame, nullptr);
  EXPECT_TRUE(failed.request == FrameRequest::kLost || failed.news != CameraNews::kNone);
  EXPECT_FALSE(camera->GraphBuilt());
  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kFailStreaming, 0));
  Grab streaming = RequestPicture();
  ExpectFrame(streaming, static_cast<std::uint8_t>(kUsb.tag));
  std::wstring stored;
  EXPECT_TRUE(ReadString(L"devicePath", stored));
  EXPECT_EQ(stored, kCardPath);
}

// Capture cards: a crossbar (or two) in front of the analog video input.
constexpr wchar_t kCardName[] = L"cam_a_card";

std::wstring RouteLog() { return RegisteredCameras::ReadText(kCardName, test_camera::kRouteLog); }
void ClearRouteLog() { RegisteredCameras::SetControl(kCardName, test_camera::kRouteLog, L""); }

std::vector<std::wstring> NamesOf(const std::vector<VideoInput>& inputs) {
  std::vector<std::wstring> names;
  for (const VideoInput& input : inputs) names.push_back(input.name);
  return names;
}

TEST_F(CameraTest, CrossbarRoutesAreListedInInputOrderAndRouteVideoWithItsSound) {
  Register({kCard});
  // Tuner, Composite and S-Video with their sound inputs, an AUX input the
  // crossbar cannot route, then the sound inputs themselves.
  ASSERT_TRUE(RegisteredCameras::SetControl(kCardName, test_camera::kCrossbar,
                                            L"1~4,2~5,3~5,9!,4096,4097"));
  settings.devicePath = kCardPath;
  settings.crossbarinput = 1;
  Start();
  // The build applies the stored choice: Composite, with the line-in sound.
  EXPECT_EQ(RouteLog(), L"0:0-1;0:1-5;");

  VideoDeviceControls* controls = camera->DeviceControls();
  ASSERT_NE(controls, nullptr);
  const std::vector<VideoInput> inputs = controls->VideoInputs();
  EXPECT_EQ(NamesOf(inputs),
            (std::vector<std::wstring>{L"Video Tuner", L"Video Composite", L"Video SVideo"}));
  ASSERT_EQ(inputs.size(), 3u);
  EXPECT_EQ(inputs[2].index, 2);
  EXPECT_EQ(inputs[2].physicalType, 3);
  EXPECT_FALSE(controls->HasTuner());

  ClearRouteLog();
  controls->RouteVideoInput(2);
  controls->RouteVideoInput(3);  // past the list: nothing
  EXPECT_EQ(RouteLog(), L"0:0-2;0:1-5;");
}

TEST_F(CameraTest, TwoCrossbarsAreRoutedUpstreamFirstAndATunerEndsItsRoute) {
  Register({kCard});
  // Composite on the first crossbar; its AUX input comes from a second one
  // with a tuner and S-Video, and neither has sound.
  ASSERT_TRUE(RegisteredCameras::SetControl(kCardName, test_camera::kCrossbar, L"2,9@"));
  ASSERT_TRUE(RegisteredCameras::SetControl(kCardName, test_camera::kUpstreamCrossbar, L"1,3"));
  ASSERT_TRUE(RegisteredCameras::SetControl(kCardName, test_camera::kTuner, 1));
  settings.devicePath = kCardPath;
  settings.crossbarinput = 3;  // past the list: the build routes nothing
  Start();
  EXPECT_EQ(RouteLog(), L"");

  VideoDeviceControls& controls = *camera->DeviceControls();
  EXPECT_EQ(NamesOf(controls.VideoInputs()),
            (std::vector<std::wstring>{L"Video Composite", L"Video Tuner", L"Video SVideo"}));
  EXPECT_TRUE(controls.HasTuner());
  controls.RouteVideoInput(1);
  EXPECT_EQ(RouteLog(), L"1:0-0;0:0-1;");
}

TEST_F(CameraTest, OnlyAnExactCapabilitySizeIsChosenAndTheDeviceSizeIsReadBack) {
  Register({kCard});
  ASSERT_TRUE(
      RegisteredCameras::SetControl(kCardName, test_camera::kExtraFormats,
                                    test_camera::kExtraVideoInfo2 | test_camera::kExtraTopDown));
  settings.devicePath = kCardPath;
  struct Case {
    std::int32_t width, height;  // asked for
    std::int32_t readWidth, readHeight;
    bool streams;
  };
  // The extra capabilities are set but never stream: such a graph is not
  // used half built, and says why.
  const Case cases[] = {
      {320, 240, 320, 240, true},
      {400, 300, 640, 480, true},     // no such capability: the device's own size
      {352, 288, 352, 288, false},    // a VIDEOINFOHEADER2 capability
      {176, -144, 176, -144, false},  // top-down rows match only a negative height
      {176, 144, 640, 480, true},
  };
  for (const Case& c : cases) {
    settings.capturewidth = static_cast<std::uint32_t>(c.width);
    settings.captureheight = static_cast<std::uint32_t>(c.height);
    MessageId raised = kMsgNone;
    try {
      if (camera) {
        Rebuild();
      } else {
        Start();
      }
    } catch (const Error& error) {
      raised = error.id;
      camera->ReadCaptureSize();
    }
    EXPECT_EQ(raised, c.streams ? kMsgNone : kMsgCannotRenderStream) << c.width;
    EXPECT_EQ(static_cast<std::int32_t>(settings.capturewidth), c.readWidth) << c.width;
    EXPECT_EQ(static_cast<std::int32_t>(settings.captureheight), c.readHeight) << c.height;
  }
}

// Closes, from a thread of its own, every dialog-class window of this process
// that a call opens: a property frame (pressing the test page's button first)
// or a message box. Notes each one's title and texts.
class DialogCloser {
 public:
  // `pressTakePicture`, when given, runs on the closer's thread while a frame
  // with the test page is open; it says whether the request was heard.
  explicit DialogCloser(HWND mainWindow, std::function<bool()> pressTakePicture = nullptr)
      : main_(mainWindow),
        pressTakePicture_(std::move(pressTakePicture)),
        thread_([this] { Run(); }) {}
  DialogCloser(const DialogCloser&) = delete;
  DialogCloser& operator=(const DialogCloser&) = delete;
  ~DialogCloser() {
    stop_ = true;
    thread_.join();
  }

  // What the last dialog showed: "title|text|text...".
  std::wstring Last() {
    const std::lock_guard<std::mutex> hold(lock_);
    return seen_.empty() ? std::wstring() : seen_.back();
  }
  std::size_t Count() {
    const std::lock_guard<std::mutex> hold(lock_);
    return seen_.size();
  }

 private:
  static constexpr DWORD kPoll = 50;
  static constexpr DWORD kCloseWait = 5000;
  static constexpr int kTextCapacity = 256;

  static std::wstring TextOf(HWND window) {
    wchar_t text[kTextCapacity] = {};
    (void)::GetWindowTextW(window, text, kTextCapacity);
    return text;
  }
  static std::wstring ClassOf(HWND window) {
    wchar_t name[kTextCapacity] = {};
    (void)::GetClassNameW(window, name, kTextCapacity);
    return name;
  }

  void Run() {
    while (!stop_) {
      std::vector<HWND> dialogs;
      (void)::EnumWindows(
          [](HWND window, LPARAM found) -> BOOL {
            DWORD process = 0;
            (void)::GetWindowThreadProcessId(window, &process);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
                ClassOf(window) == L"#32770") {
              reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&dialogs));
      for (const HWND dialog : dialogs) {
        if (dialog != main_) Close(dialog);
      }
      ::Sleep(kPoll);
    }
  }

  void Close(HWND dialog) {
    std::vector<HWND> children;
    (void)::EnumChildWindows(
        dialog,
        [](HWND child, LPARAM found) -> BOOL {
          reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    std::wstring note = TextOf(dialog);
    bool sheet = false;
    for (const HWND child : children) {
      const std::wstring name = ClassOf(child);
      const std::wstring text = TextOf(child);
      if (name == L"SysTabControl32") sheet = true;
      if (name == L"Static" && !text.empty()) note += L"|" + text;
      if (text == test_camera::kPageButtonText && pressTakePicture_ &&
          TextOf(dialog).find(L"Video Format") != std::wstring::npos && pressTakePicture_()) {
        note += L"|asked";
      }
      if (text == test_camera::kPageButtonText) {
        // As a click does: the page hears of it from its button.
        (void)::SendMessageW(::GetParent(child), WM_COMMAND,
                             MAKEWPARAM(::GetDlgCtrlID(child), BN_CLICKED),
                             reinterpret_cast<LPARAM>(child));
        note += L"|clicked";
      }
    }
    {
      // Noted before it closes: the call that opened it returns then.
      const std::lock_guard<std::mutex> hold(lock_);
      seen_.push_back(note);
    }
    if (sheet) {
      (void)::SendMessageW(dialog, PSM_PRESSBUTTON, PSBTN_OK, 0);
    } else {
      (void)::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    // A modal loop looks at its end only when a message is posted to it.
    (void)::PostMessageW(dialog, WM_NULL, 0, 0);
    (void)WaitFor([dialog] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); },
                  kCloseWait);
  }

  HWND main_;
  std::function<bool()> pressTakePicture_;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<std::wstring> seen_;
  std::thread thread_;
};

TEST_F(CameraTest, DriverPropertyFramesOpenAndTheFormatPageRebuildsTheGraphInTheNewSize) {
  Register({kCard});
  ASSERT_TRUE(RegisteredCameras::SetControl(kCardName, test_camera::kCrossbar, L"1,2"));
  ASSERT_TRUE(RegisteredCameras::SetControl(kCardName, test_camera::kTuner, 1));
  ASSERT_TRUE(RegisteredCameras::SetControl(
      kCardName, test_camera::kPages,
      test_camera::kPagesFilter | test_camera::kPagesCapturePin | test_camera::kPagesTuner));
  settings.devicePath = kCardPath;
  Start();
  // "Take a Picture Now" pressed while the format frame is open is refused:
  // the graph is taken apart then.
  DialogCloser closer(window.handle(), [this] {
    const int before = host.buttonRequests;
    (void)::PostMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(IDC_TAKE_PICTURE, BN_CLICKED), 0);
    return WaitFor([&] { return host.buttonRequests > before; }, kGrabWait);
  });
  VideoDeviceControls& controls = *camera->DeviceControls();

  EXPECT_TRUE(controls.ShowImageProperties(window.handle()));
  EXPECT_NE(closer.Last().find(L"Image"), std::wstring::npos) << closer.Last();
  EXPECT_TRUE(controls.ShowTunerProperties(window.handle()));
  EXPECT_NE(closer.Last().find(L"TV Tuner"), std::wstring::npos) << closer.Last();
  EXPECT_TRUE(controls.ShowVideoFormatProperties(window.handle()));
  EXPECT_NE(closer.Last().find(L"Video Format"), std::wstring::npos) << closer.Last();
  EXPECT_NE(closer.Last().find(L"|asked|clicked"), std::wstring::npos) << closer.Last();
  EXPECT_TRUE(host.buttonRequestRefused);
  EXPECT_EQ(closer.Count(), 3u);

  // The page switched 640 x 480 to 320 x 240; the graph is whole again.
  controls.ReadCaptureSize();
  EXPECT_EQ(settings.capturewidth, 320u);
  EXPECT_EQ(settings.captureheight, 240u);
  EXPECT_NE(VideoWindow(), nullptr);
  Grab grab = RequestPicture();
  ExpectFrame(grab, static_cast<std::uint8_t>(kCard.tag));
  ASSERT_NE(grab.frame, nullptr);
  EXPECT_EQ(grab.frame->GetWidth(), 320u);
}

TEST_F(CameraTest, FormatPickedOnTheFormatPageIsKeptForTheNextStart) {
  constexpr std::uint32_t kMjpg = MAKEFOURCC('M', 'J', 'P', 'G');
  Register({kUsb});
  ASSERT_TRUE(
      RegisteredCameras::SetControl(kUsb.name, test_camera::kPages, test_camera::kPagesCapturePin));
  ASSERT_TRUE(RegisteredCameras::SetControl(kUsb.name, test_camera::kFormats,
                                            L"YUY2 640x480,MJPG 320x240,YUY2 320x240"));
  Start();
  DialogCloser closer(window.handle());
  VideoDeviceControls& controls = *camera->DeviceControls();
  // The page takes the second capability: MJPG, where Kelpo would take YUY2.
  EXPECT_TRUE(controls.ShowVideoFormatProperties(window.handle()));
  controls.ReadCaptureSize();
  EXPECT_EQ(settings.captureformat, kMjpg);
  Rebuild();
  EXPECT_EQ(camera->CaptureFormat(), kMjpg);
}

TEST_F(CameraTest, DeviceWithoutPagesShowsNothingItselfAndKeepsItsGraph) {
  Register({kCard});
  // An analog input with nothing in front of it: no route and no tuner.
  ASSERT_TRUE(RegisteredCameras::SetControl(kCardName, test_camera::kCrossbar, L""));
  settings.devicePath = kCardPath;
  Start();
  DialogCloser closer(window.handle());
  VideoDeviceControls& controls = *camera->DeviceControls();
  EXPECT_TRUE(controls.VideoInputs().empty());
  // The page that asked tells the user; the device shows nothing itself.
  EXPECT_FALSE(controls.ShowTunerProperties(window.handle()));
  EXPECT_FALSE(controls.ShowImageProperties(window.handle()));
  EXPECT_FALSE(controls.ShowVideoFormatProperties(window.handle()));
  EXPECT_EQ(closer.Count(), 0u);

  Grab grab = RequestPicture();
  ExpectFrame(grab, static_cast<std::uint8_t>(kCard.tag));
  EXPECT_EQ(RouteLog(), L"");
}

}  // namespace
}  // namespace kelpo
