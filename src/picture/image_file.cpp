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

// A program that writes the file may hold it, unshared, for a moment.
bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

ImageRead OpenToRead(const std::wstring& path, unique_file& file, LARGE_INTEGER& size) {
  if (path.empty()) return ImageRead::kUnreadable;
  // Others may write, rename or delete the file while it is being read.
  const HANDLE opened = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = ::GetLastError();
  file.reset(opened);
  if (!file) return HeldByAnother(error) ? ImageRead::kIncomplete : ImageRead::kUnreadable;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestImageFile) {
    return ImageRead::kUnreadable;
  }
  // Created, and not yet written.
  if (size.QuadPart <= 0) return ImageRead::kIncomplete;
  return ImageRead::kRead;
}

// The size is checked before anything decodes the image: GDI+ would take
// all the memory a huge one asks for, and far longer than a picture may.
ImageRead CheckDimensions(const std::uint8_t* bytes, std::size_t size) {
  const std::optional<ImageDimensions> dimensions = ReadImageDimensions(bytes, size);
  if (!dimensions) {
    return HasImageSignature(bytes, size) ? ImageRead::kIncomplete : ImageRead::kUnreadable;
  }
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
  // What the decoder made of the file is checked too, whatever its header said.
  if (!WithinPixelBudget(image->GetWidth(), image->GetHeight())) {
    loaded.tooLarge = true;
    return loaded;
  }
  loaded.image = std::move(image);
  return loaded;
}

}  // namespace

ImageRead ReadImageBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  LARGE_INTEGER size{};
  unique_file file;
  const ImageRead opened = OpenToRead(path, file, size);
  if (opened != ImageRead::kRead) return opened;
  const auto length = static_cast<DWORD>(size.QuadPart);
  try {
    bytes.resize(length);
  } catch (const std::bad_alloc&) {
    return ImageRead::kUnreadable;
  }
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), length, &read, nullptr)) {
    return HeldByAnother(::GetLastError()) ? ImageRead::kIncomplete : ImageRead::kUnreadable;
  }
  // Shorter than it was a moment ago: it is being written again.
  if (read != length) return ImageRead::kIncomplete;
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
    case ImageRead::kIncomplete:
      break;
  }
  return LoadedImage();
}

}  // namespace kelpo
