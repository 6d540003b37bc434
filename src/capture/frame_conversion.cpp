#include "common/win32.h"

#include "capture/frame_conversion.h"

#include "capture/frame_conversion_rules.h"
#include "capture/mjpeg_rules.h"
#include "picture/image_size_rules.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <new>
#include <optional>
#include <vector>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// Sizes `rows` for a top-down 24-bit picture; false when memory runs out.
bool SizeRows(PixelRows& rows, std::uint32_t width, std::uint32_t height) {
  const std::size_t stride = Bgr24Stride(width);
  try {
    rows.bytes.resize(stride * height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  rows.firstRow = 0;
  rows.stride = static_cast<int>(stride);
  return true;
}

std::unique_ptr<Gdiplus::Bitmap> BitmapOver(const std::shared_ptr<PixelRows>& rows,
                                            std::uint32_t width, std::uint32_t height) {
  auto frame = std::make_unique<PixelBitmap>(rows, static_cast<int>(width),
                                             static_cast<int>(height), PixelFormat24bppRGB);
  if (frame->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return frame;
}

// Decodes the JPEG straight into `rows`; WIC's converter only for a decoder
// that gives something other than 24-bit BGR (a grey frame).
std::unique_ptr<Gdiplus::Bitmap> DecodeJpeg(ByteSpan jpeg, const std::shared_ptr<PixelRows>& rows) {
  // The factory is asked for at run time rather than windowscodecs.dll
  // imported, as for the still image.
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
      FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(jpeg.data),
                                          static_cast<DWORD>(jpeg.size))) ||
      FAILED(factory->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, &decoder)) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
      FAILED(decoder->GetFrame(0, &frame))) {
    return nullptr;
  }
  UINT width = 0;
  UINT height = 0;
  WICPixelFormatGUID format{};
  if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
      !WithinPixelBudget(width, height) || FAILED(frame->GetPixelFormat(&format)) ||
      !SizeRows(*rows, width, height)) {
    return nullptr;
  }
  const auto stride = static_cast<UINT>(rows->stride);
  const auto bytes = static_cast<UINT>(rows->bytes.size());
  ComPtr<IWICBitmapSource> source = frame;
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
      return nullptr;
    }
    source = converter;
  }
  // A truncated frame may decode its header and fail here.
  if (FAILED(source->CopyPixels(nullptr, stride, bytes, rows->bytes.data()))) return nullptr;
  return BitmapOver(rows, width, height);
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> FrameFromSample(const BitmapHeader& header,
                                                 const std::uint8_t* sample, std::size_t size,
                                                 const std::shared_ptr<PixelRows>& rows) {
  if (sample == nullptr || !rows) return nullptr;
  if (FrameFormatOf(header) == FrameFormat::kMjpg) {
    std::vector<std::uint8_t> completed;
    const std::optional<ByteSpan> jpeg = DecodableMjpegFrame(sample, size, completed);
    if (!jpeg || jpeg->size > MAXDWORD) return nullptr;
    return DecodeJpeg(*jpeg, rows);
  }
  const std::optional<FrameLayout> layout = UncompressedLayout(header);
  if (!layout || size < layout->sampleSize || !SizeRows(*rows, layout->width, layout->height)) {
    return nullptr;
  }
  if (!ConvertToBgr24(*layout, sample, size, rows->bytes.data(),
                      static_cast<std::size_t>(rows->stride))) {
    return nullptr;
  }
  return BitmapOver(rows, layout->width, layout->height);
}

}  // namespace kelpo
