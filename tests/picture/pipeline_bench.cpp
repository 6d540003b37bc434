// Times each stage of taking a picture from an image file: a 1280 x 960
// source to 640 x 480 with an alpha overlay, the colour key and a two-line
// caption with shadow and translucent box. Prints the median of every stage.
// The source file is written anew (same bytes) before every picture, untimed,
// so nothing the last picture kept of it can be used.
//
//   picture_bench.exe SOURCE OVERLAY OUTPUT_FOLDER [RUNS]
#include "app/com_session.h"
#include "capture/still_image_source.h"
#include "picture/gdiplus_session.h"
#include "picture/jpeg_encoder.h"
#include "picture/overlay_image.h"
#include "picture/picture_rules.h"
#include "picture/picture_steps.h"
#include "picture/text_stamp.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultRuns = 25;
constexpr int kMinimumRuns = 20;

enum Stage { kDecode, kGrab, kResize, kFlip, kOverlay, kCaption, kFlatten, kEncode, kStages };
const char* const kStageNames[kStages] = {"decode source", "grab frame", "resize",  "flip",
                                          "overlay",       "caption",    "flatten", "encode jpeg"};

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

std::vector<char> FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Rewrite(const std::wstring& path, const std::vector<char>& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s SOURCE OVERLAY OUTPUT_FOLDER [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = std::max(kMinimumRuns, argc > 4 ? std::atoi(argv[4]) : kDefaultRuns);
  std::wstring folder = Widen(argv[3]);
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';

  kelpo::ComSession com;
  kelpo::GdiplusSession gdiplus;
  kelpo::Settings settings;
  settings.deviceType = 1;
  settings.devicePath = Widen(argv[1]);
  settings.imagesize = 3;
  settings.fliphorizontal = true;
  settings.overlayfilename = Widen(argv[2]);
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
  kelpo::StillImageSource source(settings, nullptr);
  const std::vector<char> sourceBytes = FileBytes(settings.devicePath);
  if (sourceBytes.empty()) {
    std::fprintf(stderr, "cannot read the source\n");
    return 1;
  }

  LARGE_INTEGER frequency{};
  (void)::QueryPerformanceFrequency(&frequency);
  auto now = [] {
    LARGE_INTEGER counter{};
    (void)::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
  };
  auto milliseconds = [&frequency](LONGLONG from, LONGLONG to) {
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
  };

  std::vector<double> times[kStages];
  std::vector<double> totals;
  for (int run = 0; run < runs; ++run) {
    if (!Rewrite(settings.devicePath, sourceBytes)) {
      std::fprintf(stderr, "cannot rewrite the source\n");
      return 1;
    }
    double stage[kStages] = {};
    LONGLONG start = now();
    auto lap = [&](Stage which) {
      const LONGLONG end = now();
      stage[which] = milliseconds(start, end);
      start = end;
    };
    source.LoadStillImage();
    lap(kDecode);
    std::unique_ptr<Gdiplus::Bitmap> frame = source.GrabFrame();
    lap(kGrab);
    if (!frame) {
      std::fprintf(stderr, "cannot decode the source\n");
      return 1;
    }
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
    const kelpo::TempJpegResult result =
        kelpo::WriteTempJpeg(*picture, folder, settings.JPEGquality, path, exists);
    lap(kEncode);
    if (result != kelpo::TempJpegResult::kWritten) {
      std::fprintf(stderr, "cannot write the JPEG\n");
      return 1;
    }
    // The last picture stays for a look; the others go as the next one starts.
    if (run + 1 < runs) (void)::DeleteFileW(path.c_str());

    double total = 0;
    for (int i = 0; i < kStages; ++i) {
      times[i].push_back(stage[i]);
      total += stage[i];
    }
    totals.push_back(total);
  }

  std::printf("Kelpo picture pipeline, %ux%u -> %ux%u, %d runs (median ms)\n",
              source.StillImage() ? source.StillImage()->GetWidth() : 0,
              source.StillImage() ? source.StillImage()->GetHeight() : 0, output.width,
              output.height, runs);
  for (int i = 0; i < kStages; ++i)
    std::printf("  %-14s %8.2f\n", kStageNames[i], Median(times[i]));
  std::printf("  %-14s %8.2f\n", "total", Median(totals));
  return 0;
}
