// Times each stage of taking a picture from an image file: a 1280 x 960
// source to 640 x 480 with an alpha overlay, the colour key and a two-line
// caption with shadow and translucent box. Prints the median of every stage.
// The source file is written anew (same bytes) before every picture, untimed,
// so nothing the last picture kept of it can be used. The main window's
// dialog holds the preview, hidden as the tray program keeps it; with SHOWN
// it shows, and every picture scales its preview too.
//
//   picture_bench.exe SOURCE OVERLAY OUTPUT_FOLDER [RUNS [SHOWN]]
#include "app/com_session.h"
#include "capture/still_image_source.h"
#include "common/unique_handle.h"
#include "picture/gdiplus_session.h"
#include "resources/resource.h"
#include "support/picture_bench_support.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace kelpo::bench;

std::vector<char> FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Rewrite(const std::wstring& path, const std::vector<char>& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s SOURCE OVERLAY OUTPUT_FOLDER [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = Runs(argc, argv, 4);
  const std::wstring folder = Folder(argv[3]);

  kelpo::ComSession com;
  kelpo::GdiplusSession gdiplus;
  kelpo::Settings settings;
  settings.deviceType = 1;
  settings.devicePath = Widen(argv[1]);
  SetBenchPicture(settings, Widen(argv[2]));
  const kelpo::PictureSize output = kelpo::OutputSizeFor(
      settings.UseCustomImageSize, settings.CustomSizeX, settings.CustomSizeY, settings.imagesize);
  const kelpo::unique_hwnd window(::CreateDialogParamW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, PlainDialogProc, 0));
  const bool shown = argc > 5 && std::string(argv[5]) == "SHOWN";
  kelpo::StillImageSource source(settings, ::GetDlgItem(window.get(), IDC_PREVIEW));
  if (shown) {
    (void)::ShowWindow(window.get(), SW_SHOWNA);
    source.OnWindowShown(true);
  }
  const std::vector<char> sourceBytes = FileBytes(settings.devicePath);
  if (sourceBytes.empty()) {
    std::fprintf(stderr, "cannot read the source\n");
    return 1;
  }

  StageTimes times;
  KeptBetweenPictures kept;
  for (int run = 0; run < runs; ++run) {
    if (!Rewrite(settings.devicePath, sourceBytes)) {
      std::fprintf(stderr, "cannot rewrite the source\n");
      return 1;
    }
    StageClock clock;
    source.LoadStillImage();
    clock.Lap(kSource);
    std::unique_ptr<Gdiplus::Bitmap> frame = source.GrabFrame();
    clock.Lap(kGrab);
    if (!frame) {
      std::fprintf(stderr, "cannot decode the source\n");
      return 1;
    }
    std::wstring path;
    const kelpo::TempJpegResult result =
        FinishPicture(std::move(frame), settings, output, folder, clock, kept, path);
    if (result != kelpo::TempJpegResult::kWritten) {
      std::fprintf(stderr, "cannot write the JPEG\n");
      return 1;
    }
    // The last picture stays for a look; the others go as the next one starts.
    if (run + 1 < runs) (void)::DeleteFileW(path.c_str());

    (void)times.Add(clock);
  }

  std::printf("Kelpo picture pipeline, %ux%u -> %ux%u, %d runs (median ms)\n",
              source.StillImage() ? source.StillImage()->GetWidth() : 0,
              source.StillImage() ? source.StillImage()->GetHeight() : 0, output.width,
              output.height, runs);
  times.Print("decode source");
  return 0;
}
