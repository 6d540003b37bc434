// kelpo.exe with a camera: a registered test camera as the picture source,
// pictures kept as a local file (no upload), configured through the registry.
#include "capture/camera_test_support.h"
#include "capture/camera_turn.h"
#include "common/message_catalogue.h"
#include "picture/gdiplus_session.h"
#include "picture/picture_test_support.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"
#include "support/test_camera/registered_cameras.h"

#include <gtest/gtest.h>

#include <memory>

namespace kelpo {
namespace {

using test::KelpoProcess;
using test::WaitFor;
using test_camera::Orientation;
using test_camera::RegisteredCameras;

constexpr wchar_t kUsbPath[] =
    L"\\\\?\\usb#vid_046d&pid_0825&mi_00#6&2d9b1f2e&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const KelpoTestCameraInstance kWebcam{L"cam_webcam", L"Test Webcam", L"Kelpo USB Webcam",
                                      kUsbPath,      0x21,           S_OK};
constexpr std::uint8_t kLaterTag = 0x42;
// Kelpo's own bound on the wait for a frame, and room for a start under Wine.
constexpr DWORD kGrabBound = 10000;
constexpr DWORD kRunTimeout = kGrabBound + 20000;
constexpr DWORD kBalloonTimeout = 10000;
constexpr DWORD kAnswerWait = 1000;
// Far longer than a one-shot run from the test camera takes.
constexpr DWORD kTurnHeld = 6000;

struct Com {
  Com() { EXPECT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  ~Com() { ::CoUninitialize(); }
};

class KelpoCamera : public test::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
    ASSERT_TRUE(WriteDword(L"deviceType", kDeviceCamera));
    ASSERT_TRUE(WriteString(L"devicePath", kUsbPath));
    ASSERT_TRUE(WriteDword(L"disableFTP", 1));
    ASSERT_TRUE(WriteDword(L"savetofile", 1));
    ASSERT_TRUE(WriteString(L"localfilename", picture));
    ASSERT_TRUE(WriteDword(L"imagesize", 3));  // 640 x 480
    ASSERT_TRUE(WriteDword(L"capturewidth", 1280));
    ASSERT_TRUE(WriteDword(L"captureheight", 960));
  }

  void Register() {
    cameras = std::make_unique<RegisteredCameras>(
        std::initializer_list<KelpoTestCameraInstance>{kWebcam});
    ASSERT_EQ(cameras->result(), S_OK);
  }

  // Runs "kelpo.exe oneshot" to its end; false when it did not end in time.
  bool RunOneShot(DWORD& exitCode, DWORD& milliseconds) {
    const DWORD start = ::GetTickCount();
    KelpoProcess kelpo(L"oneshot");
    if (!kelpo.started()) return false;
    const bool ended = kelpo.WaitForExit(exitCode, kRunTimeout);
    milliseconds = ::GetTickCount() - start;
    return ended;
  }

  // The picture kept, checked to be the camera's, upright, in the output size.
  std::optional<test_camera::FrameStamp> KeptPicture() {
    const std::unique_ptr<Gdiplus::Bitmap> kept = test::ReadPicture(picture);
    EXPECT_NE(kept, nullptr);
    if (!kept) return std::nullopt;
    EXPECT_EQ(kept->GetWidth(), 640u);
    EXPECT_EQ(kept->GetHeight(), 480u);
    EXPECT_EQ(test::OrientationOf(*kept), Orientation::kUpright);
    return test::StampOf(*kept);
  }

  Com com;
  GdiplusSession gdiplus;
  test::ScratchFolder folder;
  const std::wstring picture = folder.File(L"kept.jpg");
  std::unique_ptr<RegisteredCameras> cameras;
};

TEST_F(KelpoCamera, OneShotKeepsAFreshUprightPictureFromTheCamera) {
  Register();
  DWORD exitCode = 1;
  DWORD took = 0;
  ASSERT_TRUE(RunOneShot(exitCode, took));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(test::IsJpeg(picture));
  const auto first = KeptPicture();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->tag, kWebcam.tag);

  // The next run's picture is the camera's picture of that moment.
  ASSERT_TRUE(RegisteredCameras::SetControl(kWebcam.name, test_camera::kTag, kLaterTag));
  ASSERT_TRUE(RunOneShot(exitCode, took));
  const auto second = KeptPicture();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->tag, kLaterTag);
}

TEST_F(KelpoCamera, OneShotKeepsAnUprightPictureInEveryFormatAWebcamSends) {
  Register();
  for (const wchar_t* format : {L"YUY2 1280x960", L"NV12 1280x960", L"MJPG 1280x960",
                                L"MJPGNODHT 1280x960", L"UYVY 1280x960", L"I420 1280x960"}) {
    ASSERT_TRUE(RegisteredCameras::SetControl(kWebcam.name, test_camera::kFormats, format));
    (void)::DeleteFileW(picture.c_str());
    DWORD exitCode = 1;
    DWORD took = 0;
    ASSERT_TRUE(RunOneShot(exitCode, took)) << format;
    EXPECT_EQ(exitCode, 0u) << format;
    const auto stamp = KeptPicture();
    EXPECT_TRUE(stamp && stamp->tag == kWebcam.tag) << format;
  }
}

TEST_F(KelpoCamera, OneShotEndsWithoutAPictureWhenThereIsNoCameraOrItDeliversNothing) {
  // No camera at all: the image-file source without a file.
  DWORD exitCode = 0;
  DWORD took = 0;
  EXPECT_TRUE(RunOneShot(exitCode, took));
  EXPECT_FALSE(test::IsJpeg(picture));

  // A camera that delivers nothing: the wait ends at Kelpo's bound.
  Register();
  ASSERT_TRUE(RegisteredCameras::SetControl(kWebcam.name, test_camera::kFrozen, 1));
  EXPECT_TRUE(RunOneShot(exitCode, took));
  EXPECT_GE(took, kGrabBound);
  EXPECT_FALSE(test::IsJpeg(picture));

  // A camera held by another program: said at once, without that wait.
  ASSERT_TRUE(RegisteredCameras::SetControl(kWebcam.name, test_camera::kFrozen, 0));
  ASSERT_TRUE(RegisteredCameras::SetControl(kWebcam.name, test_camera::kFailRun,
                                            static_cast<DWORD>(E_ACCESSDENIED)));
  EXPECT_TRUE(RunOneShot(exitCode, took));
  EXPECT_LT(took, kGrabBound);
  EXPECT_NE(exitCode, 0u);
  EXPECT_FALSE(test::IsJpeg(picture));
}

TEST_F(KelpoCamera, TrayRunTellsOfAStoppedCameraAndTakesPicturesAgainOnceItIsBack) {
  Register();
  ASSERT_TRUE(RegisteredCameras::SetControl(kWebcam.name, test_camera::kFrozen, 1));
  KelpoProcess kelpo;
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);

  // The first picture waits in vain: the status says so, and so does a
  // balloon, as the window is hidden.
  const std::wstring trouble = LoadText(kMsgCameraNotResponding, kStatusTextCapacity);
  EXPECT_TRUE(
      WaitFor([&] { return test::FindBalloon(trouble) != nullptr; }, kGrabBound + kBalloonTimeout));
  wchar_t status[kStatusTextCapacity] = {};
  DWORD_PTR copied = 0;
  (void)::SendMessageTimeoutW(::GetDlgItem(window, IDC_STATUS), WM_GETTEXT, kStatusTextCapacity,
                              reinterpret_cast<LPARAM>(status), SMTO_ABORTIFHUNG, kAnswerWait,
                              &copied);
  EXPECT_EQ(status, trouble);
  EXPECT_FALSE(test::IsJpeg(picture));

  // The camera is back; the next picture comes without a restart.
  ASSERT_TRUE(RegisteredCameras::SetControl(kWebcam.name, test_camera::kFrozen, 0));
  ::PostMessageW(window, WM_COMMAND, IDC_TAKE_PICTURE, 0);
  EXPECT_TRUE(WaitFor([&] { return test::ReadPicture(picture) != nullptr; }, kRunTimeout));
  const auto stamp = KeptPicture();
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->tag, kWebcam.tag);

  ::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  DWORD exitCode = 1;
  EXPECT_TRUE(kelpo.WaitForExit(exitCode));
}

TEST_F(KelpoCamera, OneShotBesideTheTrayProgramWaitsItsTurnForTheCameraAndDelivers) {
  Register();
  ASSERT_TRUE(WriteDword(L"disableTimer", 1));
  KelpoProcess tray;
  ASSERT_NE(tray.WaitForMainWindow(), nullptr);
  // The tray program's start-up picture; then its graph stops.
  ASSERT_TRUE(WaitFor([&] { return test::IsJpeg(picture); }, kRunTimeout));
  // Another Kelpo's grab holds the camera: the one-shot run waits for it,
  // and the tray program does not stop it.
  CameraTurn turn;
  turn.Take(kRunTimeout);
  ASSERT_TRUE(turn.Held());
  ASSERT_TRUE(::DeleteFileW(picture.c_str()));
  KelpoProcess oneShot(L"oneshot");
  DWORD exitCode = 1;
  EXPECT_FALSE(oneShot.WaitForExit(exitCode, kTurnHeld));
  EXPECT_FALSE(test::IsJpeg(picture));
  turn.Give();
  ASSERT_TRUE(oneShot.WaitForExit(exitCode, kRunTimeout));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(KeptPicture());
}

}  // namespace
}  // namespace kelpo
