#include "common/win32.h"

#include "picture/image_file.h"

#include "common/unique_handle.h"
#include "picture/image_size_rules.h"

namespace kelpo {

namespace {

// Larger files are not pictures Kelpo can use; refusing them early keeps a
// wrongly chosen file from exhausting memory.
constexpr LONGLONG kLargestImageFile = 256LL * 1024 * 1024;

Microsoft::WRL::ComPtr<IStream> ReadIntoStream(const std::wstring& path, bool& tooLarge) {
  if (path.empty()) return nullptr;
  // Others may write, rename or delete the file while it is being read.
  unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return nullptr;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > kLargestImageFile) {
    return nullptr;
  }
  const auto length = static_cast<DWORD>(size.QuadPart);
  unique_hglobal memory(::GlobalAlloc(GMEM_MOVEABLE, length));
  if (!memory) return nullptr;
  void* bytes = ::GlobalLock(memory.get());
  if (bytes == nullptr) return nullptr;
  DWORD read = 0;
  const BOOL ok = ::ReadFile(file.get(), bytes, length, &read, nullptr);
  // The size is checked before anything decodes the image: GDI+ would take
  // all the memory a huge one asks for, and far longer than a picture may.
  const std::optional<ImageDimensions> dimensions =
      ReadImageDimensions(static_cast<const std::uint8_t*>(bytes), read);
  (void)::GlobalUnlock(memory.get());
  if (!ok || read != length || !dimensions) return nullptr;
  if (!WithinPixelBudget(dimensions->width, dimensions->height)) {
    tooLarge = true;
    return nullptr;
  }

  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) return nullptr;
  (void)memory.release();  // the stream frees it now
  return stream;
}

}  // namespace

LoadedImage LoadImageFile(const std::wstring& path, bool useColourManagement) {
  LoadedImage loaded;
  loaded.stream = ReadIntoStream(path, loaded.tooLarge);
  if (!loaded.stream) return loaded;
  std::unique_ptr<Gdiplus::Bitmap> image(
      Gdiplus::Bitmap::FromStream(loaded.stream.Get(), useColourManagement ? TRUE : FALSE));
  if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 ||
      image->GetHeight() == 0) {
    return loaded;
  }
  loaded.image = std::move(image);
  return loaded;
}

}  // namespace kelpo
