// Times each stage of taking a picture from a camera: a 1280 x 960 frame from
// the test camera, grabbed through Kelpo's capture graph (main window hidden,
// so the graph starts for every picture; warm-up off), to the finished
// 640 x 480 JPEG with an alpha overlay, the colour key and a two-line caption
// with shadow and translucent box. Prints the median of every stage, the
// total, and the total from the frame's arrival. Also writes the first frame
// as raw top-down RGB (frame.rgb) for other tools to start from.
//
//   camera_bench.exe OVERLAY OUTPUT_FOLDER [RUNS]
#include "app/com_session.h"
#include "app/main_window.h"
#include "capture/camera_source.h"
#include "picture/gdiplus_session.h"
#include "support/picture_bench_support.h"
#include "support/test_camera/registered_cameras.h"

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace kelpo::bench;

constexpr DWORD kFrameWait = 15000;
constexpr int kFrameWidth = 1280;
constexpr int kFrameHeight = 960;

const KelpoTestCameraInstance kBenchCamera{L"bench_webcam",
                                           L"Kelpo Test Camera",
                                           nullptr,
                                           L"\\\\?\\usb#vid_4b45&pid_0002&mi_00#1&bench&0&0000#"
                                           L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
                                           0x42,
                                           S_OK};

// The frame as raw RGB, rows top down.
bool WriteRawRgb(Gdiplus::Bitmap& frame, const std::wstring& path) {
  const Gdiplus::Rect all(0, 0, static_cast<INT>(frame.GetWidth()),
                          static_cast<INT>(frame.GetHeight()));
  Gdiplus::BitmapData data{};
  if (frame.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &data) != Gdiplus::Ok) {
    return false;
  }
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  std::vector<char> row(static_cast<size_t>(data.Width) * 3);
  for (UINT y = 0; y < data.Height; ++y) {
    // Signed: LockBits gives a negative stride for a bitmap kept bottom-up.
    const auto* bgr = static_cast<const unsigned char*>(data.Scan0) +
                      static_cast<std::ptrdiff_t>(y) * data.Stride;
    for (UINT x = 0; x < data.Width; ++x) {
      row[x * 3] = static_cast<char>(bgr[x * 3 + 2]);
      row[x * 3 + 1] = static_cast<char>(bgr[x * 3 + 1]);
      row[x * 3 + 2] = static_cast<char>(bgr[x * 3]);
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  (void)frame.UnlockBits(&data);
  return static_cast<bool>(out);
}

// The main window's part in a picture: graph events and the grab timer go to
// the camera; `frameArrived` runs when the frame is there to grab.
class BenchHost final : public kelpo::MainWindowEvents, public kelpo::GrabTimer {
 public:
  kelpo::CameraSource* camera = nullptr;
  kelpo::MainWindow* window = nullptr;
  std::function<void()> frameArrived;
  bool lost = false;

  void OnPictureRequested() override {}
  void OnCaptureTick() override {}
  void OnUploadTimeLimit() override {}
  void OnOneShotBound() override {}
  void OnUploadCompletion(WPARAM, LPARAM) override {}
  void OnGraphNotify() override {
    if (camera->OnGraphEvent(frameArrived) != kelpo::CameraNews::kNone) lost = true;
  }
  void OnGrabTimer() override {
    if (camera->OnGrabTimer() != kelpo::CameraNews::kNone) lost = true;
  }
  void OnSettingsRequested() override {}
  void OnShown(bool) override {}
  void OnSessionEnding() override {}
  void OnUnhandledError(std::exception_ptr) noexcept override { lost = true; }
  void StartGrabTimer(UINT period) override { window->StartGrabTimer(period); }
  void StopGrabTimer() override { window->StopGrabTimer(); }
};

// Handles messages until `done` or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= timeoutMs) return false;
    (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OVERLAY OUTPUT_FOLDER [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = Runs(argc, argv, 3);
  const std::wstring folder = Folder(argv[2]);

  kelpo::ComSession com;
  kelpo::GdiplusSession gdiplus;
  kelpo::test_camera::RegisteredCameras cameras{kBenchCamera};
  if (FAILED(cameras.result())) {
    std::fprintf(stderr, "cannot register the test camera\n");
    return 1;
  }

  kelpo::Settings settings;
  settings.devicePath = kBenchCamera.devicePath;
  settings.capturewidth = kFrameWidth;
  settings.captureheight = kFrameHeight;
  settings.warmuptime = 0;
  SetBenchPicture(settings, Widen(argv[1]));
  const kelpo::PictureSize output = kelpo::OutputSizeFor(
      settings.UseCustomImageSize, settings.CustomSizeX, settings.CustomSizeY, settings.imagesize);

  BenchHost host;
  kelpo::MainWindow window;
  window.Create(host, false);
  host.window = &window;
  kelpo::PreviewHost preview;
  preview.window = window.handle();
  preview.previewControl = window.PreviewControl();
  preview.graphMessage = kelpo::WM_GRAPHNOTIFY;
  preview.grabTimer = &host;
  kelpo::CameraSource camera(settings, preview);
  host.camera = &camera;
  try {
    camera.BuildCaptureGraph();
  } catch (const kelpo::Error& error) {
    std::fprintf(stderr, "cannot build the capture graph: message %d\n", error.id);
    return 1;
  }
  if (settings.capturewidth != kFrameWidth || settings.captureheight != kFrameHeight) {
    std::fprintf(stderr, "the camera did not take the size %dx%d\n", kFrameWidth, kFrameHeight);
    return 1;
  }

  StageTimes times;
  KeptBetweenPictures kept;
  std::vector<double> fromFrame;
  for (int run = 0; run < runs; ++run) {
    StageClock clock;
    bool made = false;
    host.frameArrived = [&] {
      clock.Lap(kSource);
      std::unique_ptr<Gdiplus::Bitmap> frame = camera.GrabFrame();
      clock.Lap(kGrab);
      if (!frame) return;
      if (run == 0) (void)WriteRawRgb(*frame, folder + L"frame.rgb");
      clock.Restart();
      std::wstring path;
      made = FinishPicture(std::move(frame), settings, output, folder, clock, kept, path) ==
             kelpo::TempJpegResult::kWritten;
      // The last picture stays for a look; the others go as the next one starts.
      if (run + 1 < runs) (void)::DeleteFileW(path.c_str());
    };
    if (camera.RequestPicture() != kelpo::FrameRequest::kPending ||
        !PumpUntil([&] { return made || host.lost; }, kFrameWait) || !made) {
      std::fprintf(stderr, "no picture from the camera in run %d\n", run + 1);
      return 1;
    }

    fromFrame.push_back(times.Add(clock) - clock.Stage(kSource));
  }

  std::printf("Kelpo camera path, %dx%d test camera frame -> %ux%u JPEG, %d runs (median ms)\n",
              kFrameWidth, kFrameHeight, output.width, output.height, runs);
  times.Print("camera frame");
  std::printf("  %-14s %8.2f\n", "from frame", Median(fromFrame));
  return 0;
}
