#include "common/win32.h"

#include "picture/still_image_decoder.h"

#include "common/unique_handle.h"
#include "picture/image_file.h"
#include "picture/image_size_rules.h"
#include "picture/pixel_format_rules.h"

#include <algorithm>
#include <new>
#include <optional>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// Rows are read from the decoder in strips of about this size.
constexpr UINT kStripBytes = 256 * 1024;

// The decoded formats widened here rather than by WIC's converter.
std::optional<RowFormat> WidenedFormat(const WICPixelFormatGUID& format) {
  if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return RowFormat::kBgr24;
  if (IsEqualGUID(format, GUID_WICPixelFormat32bppBGR)) return RowFormat::kBgrx32;
  if (IsEqualGUID(format, GUID_WICPixelFormat48bppRGB)) return RowFormat::kRgb48;
  return std::nullopt;
}

}  // namespace

StillDecode StillImageDecoder::ReadFile(const std::wstring& path) {
  switch (ReadImageBytes(path, file_)) {
    case ImageRead::kRead:
      return StillDecode::kDecoded;
    case ImageRead::kTooLarge:
      return StillDecode::kTooLarge;
    case ImageRead::kIncomplete:
      return StillDecode::kIncomplete;
    case ImageRead::kUnreadable:
      break;
  }
  return StillDecode::kUnreadable;
}

StillDecode StillImageDecoder::Decode(const std::wstring& path, std::shared_ptr<PixelRows>& rows,
                                      std::uint32_t& width, std::uint32_t& height) {
  const auto letGoOfLarge = scope_exit([this] {
    if (file_.capacity() > kKeptBufferLimit) std::vector<std::uint8_t>().swap(file_);
    if (decoded_.capacity() > kKeptBufferLimit) std::vector<std::uint8_t>().swap(decoded_);
  });
  const StillDecode read = ReadFile(path);
  if (read != StillDecode::kDecoded) return read;

  if (!factory_ && FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_PPV_ARGS(&factory_)))) {
    return StillDecode::kNotDecoded;
  }
  // The stream reads the kept bytes in place.
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(factory_->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(file_.data(), static_cast<DWORD>(file_.size()))) ||
      FAILED(factory_->CreateDecoderFromStream(stream.Get(), nullptr,
                                               WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame))) {
    return StillDecode::kNotDecoded;
  }
  UINT frameWidth = 0;
  UINT frameHeight = 0;
  WICPixelFormatGUID format{};
  if (FAILED(frame->GetSize(&frameWidth, &frameHeight)) || frameWidth == 0 || frameHeight == 0 ||
      !WithinPixelBudget(frameWidth, frameHeight) || FAILED(frame->GetPixelFormat(&format))) {
    return StillDecode::kNotDecoded;
  }

  if (!rows || rows.use_count() != 1) rows = std::make_shared<PixelRows>();
  const UINT stride = frameWidth * static_cast<UINT>(kBgra32Bytes);
  const std::size_t bytes = static_cast<std::size_t>(stride) * frameHeight;
  try {
    rows->bytes.resize(bytes);
  } catch (const std::bad_alloc&) {
    return StillDecode::kNotDecoded;
  }
  rows->firstRow = 0;
  rows->stride = static_cast<int>(stride);

  // A truncated file may decode its header and fail in CopyPixels.
  const std::optional<RowFormat> widened = WidenedFormat(format);
  if (IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA)) {
    if (FAILED(frame->CopyPixels(nullptr, stride, static_cast<UINT>(bytes), rows->bytes.data()))) {
      return StillDecode::kNotDecoded;
    }
  } else if (widened) {
    // WIC's converter would read the whole frame into fresh memory first.
    // A few rows at a time are read and widened while they are in the cache.
    const auto sourceStride = static_cast<UINT>(frameWidth * BytesPerPixel(*widened));
    const UINT stripRows = std::max(1u, kStripBytes / sourceStride);
    try {
      decoded_.resize(static_cast<std::size_t>(sourceStride) * std::min(stripRows, frameHeight));
    } catch (const std::bad_alloc&) {
      return StillDecode::kNotDecoded;
    }
    for (UINT top = 0; top < frameHeight; top += stripRows) {
      const UINT count = std::min(stripRows, frameHeight - top);
      const WICRect strip{0, static_cast<INT>(top), static_cast<INT>(frameWidth),
                          static_cast<INT>(count)};
      if (FAILED(frame->CopyPixels(&strip, sourceStride, sourceStride * count, decoded_.data()))) {
        return StillDecode::kNotDecoded;
      }
      WidenToBgra(*widened, decoded_.data(), sourceStride,
                  rows->bytes.data() + static_cast<std::size_t>(top) * stride, stride, frameWidth,
                  count);
    }
  } else {
    // The factory's converter rather than WICConvertBitmapSource: importing
    // that would tie the program to windowscodecs.dll, where the factory is
    // only asked for at run time (and GDI+ decodes without it).
    ComPtr<IWICFormatConverter> bgra;
    if (FAILED(factory_->CreateFormatConverter(&bgra)) ||
        FAILED(bgra->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom)) ||
        FAILED(bgra->CopyPixels(nullptr, stride, static_cast<UINT>(bytes), rows->bytes.data()))) {
      return StillDecode::kNotDecoded;
    }
  }
  width = frameWidth;
  height = frameHeight;
  return StillDecode::kDecoded;
}

}  // namespace kelpo
