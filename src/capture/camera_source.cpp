#include "capture/camera_source.h"

#include "capture/frame_bitmap.h"
#include "capture/frame_conversion.h"
#include "capture/frame_conversion_rules.h"
#include "capture/stream_format.h"
#include "common/unique_handle.h"

#include <vector>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// The connected format's BITMAPINFOHEADER, and the grabbed sample read into
// `rows` for an RGB24 frame (used where it lies) or into `sample` for any
// other (converted into the rows); nothing when either cannot be had.
std::optional<BitmapHeader> ReadSample(ISampleGrabber& grabber, PixelRows& rows,
                                       std::vector<std::uint8_t>& sample) {
  AM_MEDIA_TYPE type{};
  if (FAILED(grabber.GetConnectedMediaType(&type))) return std::nullopt;
  const auto freeType = scope_exit([&type] { FreeMediaType(type); });
  // The header where the format type puts it; a format Kelpo cannot read
  // gives no picture rather than a misread one.
  const std::optional<BitmapHeader> header = MediaTypeBitmapHeader(type);
  if (!header) return std::nullopt;
  std::vector<std::uint8_t>& buffer =
      FrameFormatOf(*header) == FrameFormat::kRgb24 ? rows.bytes : sample;
  long size = 0;
  if (FAILED(grabber.GetCurrentBuffer(&size, nullptr)) || size <= 0) return std::nullopt;
  buffer.resize(static_cast<std::size_t>(size));
  if (FAILED(grabber.GetCurrentBuffer(&size, reinterpret_cast<long*>(buffer.data())))) {
    return std::nullopt;
  }
  buffer.resize(static_cast<std::size_t>(size));
  return header;
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
  const auto letGoOfLarge = scope_exit([this] {
    if (sample_.capacity() > kKeptBufferLimit) std::vector<std::uint8_t>().swap(sample_);
  });
  const std::optional<BitmapHeader> info = ReadSample(*grabber.Get(), *frameRows_, sample_);
  if (!info) return nullptr;
  // An RGB24 frame is used where it lies; any other is converted into the rows.
  if (FrameFormatOf(*info) == FrameFormat::kRgb24) return FrameInPlace(*info, frameRows_);
  return FrameFromSample(*info, sample_.data(), sample_.size(), frameRows_);
}

}  // namespace kelpo
