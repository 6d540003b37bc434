#include "common/win32.h"

#include "picture/image_file.h"

#include "common/unique_handle.h"
#include "picture/image_size_rules.h"

#include <cstring>
#include <new>

namespace kelpo {

namespace {

// Larger files are not pictures Kelpo can use; refusing them early keeps a
// wrongly chosen file from exhausting memory.
constexpr LONGLONG kLargestImageFile = 256LL * 1024 * 1024;

unique_file OpenToRead(const std::wstring& path, LARGE_INTEGER& size) {
  if (path.empty()) return unique_file();
  // Others may write, rename or delete the file while it is being read.
  unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > kLargestImageFile) {
    return unique_file();
  }
  return file;
}

// The size is checked before anything decodes the image: GDI+ would take
// all the memory a huge one asks for, and far longer than a picture may.
ImageRead CheckDimensions(const std::uint8_t* bytes, std::size_t size) {
  const std::optional<ImageDimensions> dimensions = ReadImageDimensions(bytes, size);
  if (!dimensions) return ImageRead::kUnreadable;
  if (!WithinPixelBudget(dimensions->width, dimensions->height)) return ImageRead::kTooLarge;
  return ImageRead::kRead;
}

LoadedImage DecodeStream(Microsoft::WRL::ComPtr<IStream> stream, bool useColourManagement) {
  LoadedImage loaded;
  loaded.stream = std::move(stream);
  std::unique_ptr<Gdiplus::Bitmap> image(
      Gdiplus::Bitmap::FromStream(loaded.stream.Get(), useColourManagement ? TRUE : FALSE));
  if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 ||
      image->GetHeight() == 0) {
    return loaded;
  }
  loaded.image = std::move(image);
  return loaded;
}

}  // namespace

ImageRead ReadImageBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  LARGE_INTEGER size{};
  const unique_file file = OpenToRead(path, size);
  if (!file) return ImageRead::kUnreadable;
  const auto length = static_cast<DWORD>(size.QuadPart);
  try {
    bytes.resize(length);
  } catch (const std::bad_alloc&) {
    return ImageRead::kUnreadable;
  }
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), length, &read, nullptr) || read != length) {
    return ImageRead::kUnreadable;
  }
  return CheckDimensions(bytes.data(), bytes.size());
}

LoadedImage DecodeImageBytes(const std::vector<std::uint8_t>& bytes, bool useColourManagement) {
  if (bytes.empty()) return LoadedImage();
  unique_hglobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (!memory) return LoadedImage();
  void* copy = ::GlobalLock(memory.get());
  if (copy == nullptr) return LoadedImage();
  std::memcpy(copy, bytes.data(), bytes.size());
  (void)::GlobalUnlock(memory.get());
  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) return LoadedImage();
  (void)memory.release();  // the stream frees it now
  return DecodeStream(std::move(stream), useColourManagement);
}

LoadedImage LoadImageFile(const std::wstring& path, bool useColourManagement) {
  std::vector<std::uint8_t> bytes;
  switch (ReadImageBytes(path, bytes)) {
    case ImageRead::kRead:
      return DecodeImageBytes(bytes, useColourManagement);
    case ImageRead::kTooLarge: {
      LoadedImage refused;
      refused.tooLarge = true;
      return refused;
    }
    case ImageRead::kUnreadable:
      break;
  }
  return LoadedImage();
}

}  // namespace kelpo
