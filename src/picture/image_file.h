// Decoding an image file without keeping it open: the file is read into memory
// and decoded from there, so it can be replaced or deleted at any time. An
// image larger than the pixel budget is refused before it is decoded.
#pragma once

#include "picture/gdiplus_include.h"

#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelpo {

// A decoded image and the memory stream behind it. GDI+ may decode lazily from
// the stream, so the stream lives as long as the image; members are destroyed
// in reverse order, the image first.
struct LoadedImage {
  Microsoft::WRL::ComPtr<IStream> stream;
  std::unique_ptr<Gdiplus::Bitmap> image;
  // Its header, or the decoder, declares more than kMaxImagePixels: it was
  // not decoded, or not kept.
  bool tooLarge = false;

  explicit operator bool() const { return image != nullptr; }
};

enum class ImageRead {
  kRead,
  kUnreadable,  // missing, unreadable, too long a file, or no image whose size its header tells
  kTooLarge,    // its header declares more than kMaxImagePixels
  // Held open by a program that writes it, empty, or an image's header that
  // ends before its size: a file being written, readable again in a moment.
  kIncomplete,
};

// Reads the whole file into `bytes`, whose memory is reused, and checks the
// size its header declares.
ImageRead ReadImageBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes);

// Decodes the bytes an image file held (as ReadImageBytes left them), from a
// copy of them the image keeps.
LoadedImage DecodeImageBytes(const std::vector<std::uint8_t>& bytes, bool useColourManagement);

// Reads the whole file and decodes it. Empty when the file is missing, empty,
// unreadable, too large (`tooLarge` set), of a kind whose size its header
// does not tell, or no image GDI+ can decode (or decodes to a zero size).
// `useColourManagement` applies the image's embedded colour profile.
LoadedImage LoadImageFile(const std::wstring& path, bool useColourManagement);

}  // namespace kelpo
