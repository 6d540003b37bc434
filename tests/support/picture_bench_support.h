// What the picture benchmarks share: the picture they make (640 x 480 with an
// alpha overlay, the colour key and a two-line caption with shadow and
// translucent box), the steps from a frame to the finished JPEG, each timed,
// and the medians they print.
#pragma once

#include "common/win32.h"
#include "picture/jpeg_encoder.h"
#include "picture/overlay_file.h"
#include "picture/overlay_rules.h"
#include "picture/picture_rules.h"
#include "picture/picture_steps.h"
#include "picture/text_stamp.h"
#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace kelpo::bench {

constexpr int kDefaultRuns = 25;
constexpr int kMinimumRuns = 20;

// The first stage is where the frame comes from: a file or a camera.
enum Stage { kSource, kGrab, kResize, kFlip, kOverlay, kCaption, kEncode, kStages };

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline std::wstring Widen(const char* text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(length, 1)), L'\0');
  (void)::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(wide.size() - 1);
  return wide;
}

// RUNS from the command line, never fewer than the medians need.
inline int Runs(int argc, char** argv, int index) {
  return std::max(kMinimumRuns, argc > index ? std::atoi(argv[index]) : kDefaultRuns);
}

// A folder from the command line, ending in a backslash.
inline std::wstring Folder(const char* text) {
  std::wstring folder = Widen(text);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

// The picture every benchmark makes, the same as ImageMagick is asked for.
inline void SetBenchPicture(Settings& settings, const std::wstring& overlay) {
  settings.imagesize = 3;
  settings.fliphorizontal = true;
  settings.overlayfilename = overlay;
  settings.overlayscale = kOverlayOriginalSize;
  settings.overlayposition = 8;
  settings.overlayopacity = 60;
  settings.overlaycolourkey = true;
  settings.ColourKey = 0xFF00FF;  // magenta
  settings.wisdom = L"Kelpo harbour camera";
  settings.textbackground = 1;
  settings.dropshadow = true;
  settings.JPEGquality = 75;
}

// The time of each stage of one picture.
class StageClock {
 public:
  StageClock() { (void)::QueryPerformanceFrequency(&frequency_); }

  void Restart() { start_ = Now(); }
  // The stage that just ended took the time since the last lap.
  void Lap(Stage stage) {
    const LONGLONG end = Now();
    stages_[stage] =
        static_cast<double>(end - start_) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    start_ = end;
  }
  double Stage(int stage) const { return stages_[stage]; }

 private:
  static LONGLONG Now() {
    LARGE_INTEGER counter{};
    (void)::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
  }

  LARGE_INTEGER frequency_{};
  LONGLONG start_ = Now();
  double stages_[kStages] = {};
};

// What the pipeline keeps from one picture to the next.
struct KeptBetweenPictures {
  std::unique_ptr<Gdiplus::Bitmap> lastPicture;
  OverlayFile overlay;
};

// The steps from a frame to the finished JPEG in `folder`, each timed.
inline TempJpegResult FinishPicture(std::unique_ptr<Gdiplus::Bitmap> frame,
                                    const Settings& settings, PictureSize output,
                                    const std::wstring& folder, StageClock& clock,
                                    KeptBetweenPictures& kept, std::wstring& path) {
  std::unique_ptr<Gdiplus::Bitmap> picture =
      ResizeAndCrop(*frame, settings, output.width, output.height, std::move(kept.lastPicture));
  frame.reset();
  clock.Lap(kResize);
  FlipPicture(*picture, settings);
  clock.Lap(kFlip);
  kept.overlay.DrawOn(*picture, settings);
  clock.Lap(kOverlay);
  DrawTextStamp(*picture, settings, output.width, output.height);
  clock.Lap(kCaption);
  bool exists = false;
  const TempJpegResult result = WriteTempJpeg(*picture, folder, settings.JPEGquality, path, exists);
  clock.Lap(kEncode);
  kept.lastPicture = KeptForNextPicture(std::move(picture));
  return result;
}

// Every picture's stages, and their medians.
class StageTimes {
 public:
  // Adds one picture; returns its total.
  double Add(const StageClock& clock) {
    double total = 0;
    for (int i = 0; i < kStages; ++i) {
      times_[i].push_back(clock.Stage(i));
      total += clock.Stage(i);
    }
    totals_.push_back(total);
    return total;
  }

  // One line per stage, the first named `sourceName`, then the total.
  void Print(const char* sourceName) const {
    const char* const names[kStages] = {sourceName, "grab frame", "resize",     "flip",
                                        "overlay",  "caption",    "encode jpeg"};
    for (int i = 0; i < kStages; ++i) std::printf("  %-14s %8.2f\n", names[i], Median(times_[i]));
    std::printf("  %-14s %8.2f\n", "total", Median(totals_));
  }

 private:
  std::vector<double> times_[kStages];
  std::vector<double> totals_;
};

}  // namespace kelpo::bench
