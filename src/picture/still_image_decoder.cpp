#include "common/win32.h"

#include "picture/still_image_decoder.h"

#include "common/unique_handle.h"
#include "picture/image_size_rules.h"

#include <new>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// As for every image file Kelpo reads: larger files are no pictures it can use.
constexpr LONGLONG kLargestImageFile = 256LL * 1024 * 1024;
constexpr UINT kBgraBytes = 4;

}  // namespace

StillDecode StillImageDecoder::ReadFile(const std::wstring& path) {
  if (path.empty()) return StillDecode::kUnreadable;
  // Others may write, rename or delete the file while it is being read.
  unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return StillDecode::kUnreadable;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > kLargestImageFile) {
    return StillDecode::kUnreadable;
  }
  const auto length = static_cast<DWORD>(size.QuadPart);
  try {
    file_.resize(length);
  } catch (const std::bad_alloc&) {
    return StillDecode::kUnreadable;
  }
  DWORD read = 0;
  if (!::ReadFile(file.get(), file_.data(), length, &read, nullptr) || read != length) {
    return StillDecode::kUnreadable;
  }
  // The size is checked before anything decodes the image.
  const std::optional<ImageDimensions> dimensions = ReadImageDimensions(file_.data(), read);
  if (!dimensions) return StillDecode::kUnreadable;
  if (!WithinPixelBudget(dimensions->width, dimensions->height)) return StillDecode::kTooLarge;
  return StillDecode::kDecoded;
}

StillDecode StillImageDecoder::Decode(const std::wstring& path, std::shared_ptr<PixelRows>& rows,
                                      std::uint32_t& width, std::uint32_t& height) {
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
  ComPtr<IWICBitmapSource> bgra;
  if (FAILED(factory_->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(file_.data(), static_cast<DWORD>(file_.size()))) ||
      FAILED(factory_->CreateDecoderFromStream(stream.Get(), nullptr,
                                               WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) ||
      FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &bgra))) {
    return StillDecode::kNotDecoded;
  }
  UINT frameWidth = 0;
  UINT frameHeight = 0;
  if (FAILED(bgra->GetSize(&frameWidth, &frameHeight)) || frameWidth == 0 || frameHeight == 0 ||
      !WithinPixelBudget(frameWidth, frameHeight)) {
    return StillDecode::kNotDecoded;
  }

  if (!rows || rows.use_count() != 1) rows = std::make_shared<PixelRows>();
  const UINT stride = frameWidth * kBgraBytes;
  const std::size_t bytes = static_cast<std::size_t>(stride) * frameHeight;
  try {
    rows->bytes.resize(bytes);
  } catch (const std::bad_alloc&) {
    return StillDecode::kNotDecoded;
  }
  rows->firstRow = 0;
  rows->stride = static_cast<int>(stride);
  // A truncated file may decode its header and fail here.
  if (FAILED(bgra->CopyPixels(nullptr, stride, static_cast<UINT>(bytes), rows->bytes.data()))) {
    return StillDecode::kNotDecoded;
  }
  width = frameWidth;
  height = frameHeight;
  return StillDecode::kDecoded;
}

}  // namespace kelpo
