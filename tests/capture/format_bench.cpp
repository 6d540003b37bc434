// Times each stage of taking a picture from a raw camera frame: a YUY2 or MJPG
// frame as the camera sends it (read from a file, untimed), converted or
// decoded into the frame's rows, then to the same finished 640 x 480 JPEG as
// the other benchmarks. A JPEG named as MJPGNODHT loses its Huffman tables
// first, untimed, as most webcams send their frames.
//
//   format_bench.exe YUY2|MJPG|MJPGNODHT FRAME WIDTH HEIGHT OVERLAY OUTPUT_FOLDER [RUNS]
#include "app/com_session.h"
#include "capture/directshow.h"
#include "capture/frame_conversion.h"
#include "capture/mjpeg_rules.h"
#include "picture/gdiplus_session.h"
#include "support/picture_bench_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace kelpo::bench;

kelpo::BitmapHeader HeaderOf(DWORD compression, WORD bits, LONG width, LONG height) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = bits;
  info.biCompression = compression;
  kelpo::BitmapHeader header;
  std::memcpy(header.bytes.data(), &info, sizeof(info));
  return header;
}

void StripHuffmanTables(std::vector<std::uint8_t>& jpeg) {
  constexpr std::uint8_t kHuffmanTables = 0xC4;
  for (auto scan = kelpo::FindFirstScan(jpeg.data(), jpeg.size()); scan && scan->hasTables;
       scan = kelpo::FindFirstScan(jpeg.data(), jpeg.size())) {
    std::size_t at = 2;
    while (jpeg[at + 1] != kHuffmanTables) at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    jpeg.erase(
        jpeg.begin() + static_cast<std::ptrdiff_t>(at),
        jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + (jpeg[at + 2] << 8 | jpeg[at + 3])));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr,
                 "usage: %s YUY2|MJPG|MJPGNODHT FRAME WIDTH HEIGHT OVERLAY OUTPUT_FOLDER [RUNS]\n",
                 argv[0]);
    return 2;
  }
  const std::string format = argv[1];
  const int runs = Runs(argc, argv, 7);
  const std::wstring folder = Folder(argv[6]);
  const bool yuy2 = format == "YUY2";
  const kelpo::BitmapHeader header =
      HeaderOf(yuy2 ? MAKEFOURCC('Y', 'U', 'Y', '2') : MAKEFOURCC('M', 'J', 'P', 'G'),
               yuy2 ? 16 : 24, std::atoi(argv[3]), std::atoi(argv[4]));
  std::ifstream in(Widen(argv[2]).c_str(), std::ios::binary);
  std::vector<std::uint8_t> frameBytes{std::istreambuf_iterator<char>(in),
                                       std::istreambuf_iterator<char>()};
  if (format == "MJPGNODHT") StripHuffmanTables(frameBytes);

  kelpo::ComSession com;
  kelpo::GdiplusSession gdiplus;
  kelpo::Settings settings;
  SetBenchPicture(settings, Widen(argv[5]));
  const kelpo::PictureSize output = kelpo::OutputSizeFor(
      settings.UseCustomImageSize, settings.CustomSizeX, settings.CustomSizeY, settings.imagesize);

  StageTimes times;
  KeptBetweenPictures kept;
  std::shared_ptr<kelpo::PixelRows> rows;
  for (int run = 0; run < runs; ++run) {
    StageClock clock;
    // As GrabFrame does: the rows are reused once the last picture lets go.
    if (!rows || rows.use_count() != 1) rows = std::make_shared<kelpo::PixelRows>();
    std::unique_ptr<Gdiplus::Bitmap> frame =
        kelpo::FrameFromSample(header, frameBytes.data(), frameBytes.size(), rows);
    clock.Lap(kSource);
    clock.Lap(kGrab);
    if (!frame) {
      std::fprintf(stderr, "the frame gives no picture\n");
      return 1;
    }
    std::wstring path;
    if (FinishPicture(std::move(frame), settings, output, folder, clock, kept, path) !=
        kelpo::TempJpegResult::kWritten) {
      std::fprintf(stderr, "cannot write the JPEG\n");
      return 1;
    }
    if (run + 1 < runs) (void)::DeleteFileW(path.c_str());
    (void)times.Add(clock);
  }

  std::printf("Kelpo %s frame path, %sx%s -> %ux%u JPEG, %d runs (median ms)\n", format.c_str(),
              argv[3], argv[4], output.width, output.height, runs);
  times.Print(yuy2 ? "convert frame" : "decode frame");
  return 0;
}
