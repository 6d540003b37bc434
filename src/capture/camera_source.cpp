#include "capture/camera_source.h"

#include "capture/frame_bitmap.h"
#include "capture/frame_file_rules.h"
#include "capture/stream_format.h"
#include "common/unique_handle.h"

#include <vector>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// A bitmap decoded from a memory stream, holding the stream for as long as it
// lives: GDI+ may read the stream again after decoding. The stream comes first
// so that it is there before the bitmap and goes after it.
struct StreamHolder {
  explicit StreamHolder(ComPtr<IStream> held) : stream(std::move(held)) {}
  ComPtr<IStream> stream;
};

class StreamBitmap final : private StreamHolder, public Gdiplus::Bitmap {
 public:
  explicit StreamBitmap(ComPtr<IStream> stream)
      : StreamHolder(std::move(stream)), Gdiplus::Bitmap(StreamHolder::stream.Get(), FALSE) {}
};

// The grabbed sample's rows, read into `rows`, and the connected format's
// BITMAPINFOHEADER; nothing when either cannot be had.
std::optional<BitmapHeader> ReadSample(ISampleGrabber& grabber, PixelRows& rows) {
  long size = 0;
  if (FAILED(grabber.GetCurrentBuffer(&size, nullptr)) || size <= 0) return std::nullopt;
  rows.bytes.resize(static_cast<std::size_t>(size));
  if (FAILED(grabber.GetCurrentBuffer(&size, reinterpret_cast<long*>(rows.bytes.data())))) {
    return std::nullopt;
  }
  AM_MEDIA_TYPE type{};
  if (FAILED(grabber.GetConnectedMediaType(&type))) return std::nullopt;
  const auto freeType = scope_exit([&type] { FreeMediaType(type); });
  // The header where the format type puts it; a format Kelpo cannot read
  // gives no picture rather than a misread one.
  return MediaTypeBitmapHeader(type);
}

// The sample as an in-memory Windows bitmap file: file header, the connected
// format's BITMAPINFOHEADER, then the sample's rows unchanged.
ComPtr<IStream> SampleAsBitmapFile(const BitmapHeader& sampleInfo,
                                   const std::vector<std::uint8_t>& pixels) {
  // The file's size is the buffer's, not what the header's image size says
  // (uncompressed formats may leave it 0); a buffer shorter than its rows
  // gives no picture.
  const auto header = FrameFileHeader(sampleInfo, pixels.size());
  if (!header) return nullptr;

  ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
  ULARGE_INTEGER streamSize{};
  streamSize.QuadPart = kBitmapFileHeaderSize + kBitmapInfoHeaderSize + pixels.size();
  if (FAILED(stream->SetSize(streamSize))) return nullptr;
  const LARGE_INTEGER start{};
  const auto& info = sampleInfo.bytes;
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(stream->Write(header->data(), static_cast<ULONG>(header->size()), nullptr)) ||
      FAILED(stream->Write(info.data(), static_cast<ULONG>(info.size()), nullptr)) ||
      FAILED(stream->Write(pixels.data(), static_cast<ULONG>(pixels.size()), nullptr))) {
    return nullptr;
  }
  return stream;
}

}  // namespace

CameraSource::CameraSource(Settings& settings, const PreviewHost& host, UINT grabTimeLimit)
    : settings_(settings), host_(host), grabTimeLimit_(grabTimeLimit) {}

CameraSource::~CameraSource() { TearDownGraph(); }

std::unique_ptr<Gdiplus::Bitmap> CameraSource::GrabFrame() {
  const ComPtr<ISampleGrabber> grabber = Grabber();
  if (!grabber) return nullptr;
  // The last frame's rows take this one once its picture is done with them:
  // fresh memory of a frame's size costs more than the copy into it.
  if (!frameRows_ || frameRows_.use_count() != 1) frameRows_ = std::make_shared<PixelRows>();
  const std::optional<BitmapHeader> info = ReadSample(*grabber.Get(), *frameRows_);
  if (!info) return nullptr;
  // The RGB24 frame the grabber is set up for is used where it lies: the same
  // pixels GDI+ decodes from its bitmap file, without writing and decoding one.
  std::unique_ptr<Gdiplus::Bitmap> frame = FrameInPlace(*info, frameRows_);
  if (frame) return frame;
  ComPtr<IStream> stream = SampleAsBitmapFile(*info, frameRows_->bytes);
  if (!stream) return nullptr;
  frame = std::make_unique<StreamBitmap>(std::move(stream));
  if (frame->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return frame;
}

}  // namespace kelpo
