#include "support/test_camera/frame_encoder.h"

#include <algorithm>
#include <cstring>

#include "capture/mjpeg_rules.h"

namespace kelpo::test_camera {

using Microsoft::WRL::ComPtr;

namespace {

// YUV frames from the top-down RGB24 rows: each pixel's luma, each 4:2:2 pair's
// or 4:2:0 block's chroma from its top-left pixel.
void WriteYuv(const FrameLayout& layout, const std::uint8_t* rgb, std::uint8_t* out) {
  const std::size_t rgbStride = Rgb24View::Stride(static_cast<int>(layout.width));
  const std::uint32_t even = (layout.width + 1) & ~1u;
  auto at = [&](std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* pixel = rgb + y * rgbStride + std::min(x, layout.width - 1) * 3;
    return YuvOf(pixel[2], pixel[1], pixel[0]);
  };
  const std::size_t lumaSize = layout.stride * layout.height;
  const std::uint32_t chromaRows = (layout.height + 1) / 2;
  for (std::uint32_t y = 0; y < layout.height; ++y) {
    std::uint8_t* row = out + y * layout.stride;
    for (std::uint32_t x = 0; x < even; x += 2) {
      const Yuv a = at(x, y);
      const Yuv b = at(x + 1, y);
      switch (layout.format) {
        case FrameFormat::kYuy2: {
          const std::uint8_t pair[] = {a.y, a.u, b.y, a.v};
          std::memcpy(row + 2 * x, pair, sizeof(pair));
          break;
        }
        case FrameFormat::kUyvy: {
          const std::uint8_t pair[] = {a.u, a.y, a.v, b.y};
          std::memcpy(row + 2 * x, pair, sizeof(pair));
          break;
        }
        default:
          row[x] = a.y;
          row[x + 1] = b.y;
          if (y % 2 != 0) break;
          if (layout.format == FrameFormat::kNv12) {
            std::uint8_t* chroma = out + lumaSize + y / 2 * layout.stride + x;
            chroma[0] = a.u;
            chroma[1] = a.v;
          } else {
            const std::size_t chromaStride = layout.stride / 2;
            std::uint8_t* u = out + lumaSize + y / 2 * chromaStride + x / 2;
            u[0] = a.u;
            u[chromaStride * chromaRows] = a.v;
          }
          break;
      }
    }
  }
}

}  // namespace

std::optional<long> FrameEncoder::Encode(const CameraFormat& format, bool dark, FrameStamp stamp,
                                         std::uint8_t* out, long capacity) {
  const int width = format.size.width;
  const int height = format.size.height;
  if (format.pixels == FrameFormat::kRgb24) {
    // Drawn where it goes, bottom-up as the header says.
    const long size = FrameBytes(format);
    if (size > capacity) return std::nullopt;
    if (dark) {
      DrawDarkFrame(out, width, height);
    } else {
      DrawFrame(out, width, height, stamp);
    }
    return size;
  }
  rgb_.resize(Rgb24View::ImageSize(width, height));
  if (dark) {
    DrawDarkFrame(rgb_.data(), width, height);
  } else {
    DrawFrame(rgb_.data(), width, -height, stamp);
  }
  if (format.pixels == FrameFormat::kMjpg) return EncodeJpeg(format, out, capacity);

  const std::optional<FrameLayout> layout = UncompressedLayout(FrameHeader(format));
  if (!layout || static_cast<long>(layout->sampleSize) > capacity) return std::nullopt;
  if (format.pixels == FrameFormat::kRgb32) {
    // Bottom-up, the unused byte opaque.
    for (std::uint32_t y = 0; y < layout->height; ++y) {
      const std::uint8_t* in = rgb_.data() + y * Rgb24View::Stride(width);
      std::uint8_t* row = out + (layout->height - 1 - y) * layout->stride;
      for (std::uint32_t x = 0; x < layout->width; ++x, in += 3, row += 4) {
        std::memcpy(row, in, 3);
        row[3] = 0xFF;
      }
    }
  } else {
    WriteYuv(*layout, rgb_.data(), out);
  }
  return static_cast<long>(layout->sampleSize);
}

std::optional<long> FrameEncoder::EncodeJpeg(const CameraFormat& format, std::uint8_t* out,
                                             long capacity) {
  if (!factory_ && FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_PPV_ARGS(&factory_)))) {
    return std::nullopt;
  }
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  const auto width = static_cast<UINT>(format.size.width);
  const auto height = static_cast<UINT>(format.size.height);
  WICPixelFormatGUID pixels = GUID_WICPixelFormat24bppBGR;
  const auto stride = static_cast<UINT>(Rgb24View::Stride(format.size.width));
  if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(factory_->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &options)) ||
      FAILED(frame->Initialize(options.Get())) || FAILED(frame->SetSize(width, height)) ||
      FAILED(frame->SetPixelFormat(&pixels)) || !IsEqualGUID(pixels, GUID_WICPixelFormat24bppBGR) ||
      FAILED(frame->WritePixels(height, stride, static_cast<UINT>(rgb_.size()), rgb_.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return std::nullopt;
  }
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
      stat.cbSize.QuadPart > static_cast<ULONGLONG>(capacity)) {
    return std::nullopt;
  }
  const auto size = static_cast<ULONG>(stat.cbSize.QuadPart);
  ULONG read = 0;
  const LARGE_INTEGER start{};
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(stream->Read(out, size, &read)) || read != size) {
    return std::nullopt;
  }
  return static_cast<long>(format.huffmanTables ? size : StripHuffmanTables(out, size));
}

std::size_t StripHuffmanTables(std::uint8_t* jpeg, std::size_t size) {
  constexpr std::uint8_t kHuffmanTables = 0xC4;
  for (;;) {
    const std::optional<JpegScanStart> scan = FindFirstScan(jpeg, size);
    if (!scan || !scan->hasTables) return size;
    // Segments after the start of image, up to the scan: drop the first DHT.
    std::size_t at = 2;
    while (jpeg[at + 1] != kHuffmanTables) at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    const std::size_t length = 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    std::memmove(jpeg + at, jpeg + at + length, size - at - length);
    size -= length;
  }
}

}  // namespace kelpo::test_camera
