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
#include "picture/jpeg_encoder.h"
#include "picture/overlay_image.h"
#include "picture/overlay_rules.h"
#include "picture/picture_rules.h"
#include "picture/picture_steps.h"
#include "picture/text_stamp.h"
#include "support/test_camera/registered_cameras.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultRuns = 25;
constexpr int kMinimumRuns = 20;
constexpr DWORD kFrameWait = 15000;
constexpr int kFrameWidth = 1280;
constexpr int kFrameHeight = 960;

enum Stage { kCamera, kGrab, kResize, kFlip, kOverlay, kCaption, kFlatten, kEncode, kStages };
const char* const kStageNames[kStages] = {"camera frame", "grab frame", "resize",  "flip",
                                          "overlay",      "caption",    "flatten", "encode jpeg"};

const KelpoTestCameraInstance kBenchCamera{L"bench_webcam",
                                           L"Kelpo Test Camera",
                                           nullptr,
                                           L"\\\\?\\usb#vid_4b45&pid_0002&mi_00#1&bench&0&0000#"
                                           L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
                                           0x42,
                                           S_OK};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring Widen(const char* text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(length, 1)), L'\0');
  (void)::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(wide.size() - 1);
  return wide;
}

LONGLONG Now() {
  LARGE_INTEGER counter{};
  (void)::QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

double Milliseconds(LONGLONG from, LONGLONG to) {
  LARGE_INTEGER frequency{};
  (void)::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

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
    const auto* bgr = static_cast<const unsigned char*>(data.Scan0) + y * data.Stride;
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
  const int runs = std::max(kMinimumRuns, argc > 3 ? std::atoi(argv[3]) : kDefaultRuns);
  std::wstring folder = Widen(argv[2]);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';

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
  settings.imagesize = 3;
  settings.fliphorizontal = true;
  settings.overlayfilename = Widen(argv[1]);
  settings.overlayscale = kelpo::kOverlayOriginalSize;
  settings.overlayposition = 8;
  settings.overlayopacity = 60;
  settings.overlaycolourkey = true;
  settings.ColourKey = 0xFF00FF;  // magenta
  settings.wisdom = L"Kelpo harbour camera";
  settings.textbackground = 1;
  settings.dropshadow = true;
  settings.JPEGquality = 75;
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

  std::vector<double> times[kStages];
  std::vector<double> totals;
  std::vector<double> fromFrame;
  for (int run = 0; run < runs; ++run) {
    double stage[kStages] = {};
    LONGLONG start = Now();
    auto lap = [&](Stage which) {
      const LONGLONG end = Now();
      stage[which] = Milliseconds(start, end);
      start = end;
    };
    bool made = false;
    host.frameArrived = [&] {
      lap(kCamera);
      std::unique_ptr<Gdiplus::Bitmap> frame = camera.GrabFrame();
      lap(kGrab);
      if (!frame) return;
      if (run == 0) (void)WriteRawRgb(*frame, folder + L"frame.rgb");
      start = Now();
      std::unique_ptr<Gdiplus::Bitmap> picture =
          kelpo::ResizeAndCrop(*frame, settings, output.width, output.height);
      frame.reset();
      lap(kResize);
      kelpo::FlipPicture(*picture, settings);
      lap(kFlip);
      kelpo::DrawOverlay(*picture, nullptr, settings.overlayfilename, false,
                         kelpo::OverlayParametersFrom(settings));
      lap(kOverlay);
      kelpo::DrawTextStamp(*picture, settings, output.width, output.height);
      lap(kCaption);
      kelpo::FlattenThroughBmp(picture);
      lap(kFlatten);
      std::wstring path;
      bool exists = false;
      made = kelpo::WriteTempJpeg(*picture, folder, settings.JPEGquality, path, exists) ==
             kelpo::TempJpegResult::kWritten;
      lap(kEncode);
      // The last picture stays for a look; the others go as the next one starts.
      if (run + 1 < runs) (void)::DeleteFileW(path.c_str());
    };
    if (camera.RequestPicture() != kelpo::FrameRequest::kPending ||
        !PumpUntil([&] { return made || host.lost; }, kFrameWait) || !made) {
      std::fprintf(stderr, "no picture from the camera in run %d\n", run + 1);
      return 1;
    }

    double total = 0;
    for (int i = 0; i < kStages; ++i) {
      times[i].push_back(stage[i]);
      total += stage[i];
    }
    totals.push_back(total);
    fromFrame.push_back(total - stage[kCamera]);
  }

  std::printf("Kelpo camera path, %dx%d test camera frame -> %ux%u JPEG, %d runs (median ms)\n",
              kFrameWidth, kFrameHeight, output.width, output.height, runs);
  for (int i = 0; i < kStages; ++i)
    std::printf("  %-14s %8.2f\n", kStageNames[i], Median(times[i]));
  std::printf("  %-14s %8.2f\n", "total", Median(totals));
  std::printf("  %-14s %8.2f\n", "from frame", Median(fromFrame));
  return 0;
}
