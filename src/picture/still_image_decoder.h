// Decoding the still image file with WIC straight into 32-bit BGRA rows (the
// layout of GDI+'s 32bppARGB), the pixels GDI+ would give for the same file.
// The file's bytes and the rows are kept from one picture to the next and
// reused: fresh memory of picture size costs more than the copy into it.
#pragma once

#include "picture/pixel_bitmap.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelpo {

enum class StillDecode {
  kDecoded,
  kTooLarge,    // its header declares more than kMaxImagePixels: not decoded
  kUnreadable,  // missing, too long a file, or no image whose size its header tells
  kNotDecoded,  // WIC cannot decode it (or WIC is not there): GDI+ may still
  kIncomplete,  // held by a program that writes it, empty, or cut short before its size
};

class StillImageDecoder {
 public:
  // Reads the whole file, never holding it open past the read, and decodes
  // its first frame into `rows` (new rows when null or shared with a bitmap).
  StillDecode Decode(const std::wstring& path, std::shared_ptr<PixelRows>& rows,
                     std::uint32_t& width, std::uint32_t& height);

 private:
  StillDecode ReadFile(const std::wstring& path);

  Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
  std::vector<std::uint8_t> file_;
  // A strip of decoded rows of a format widened to BGRA here.
  std::vector<std::uint8_t> decoded_;
};

}  // namespace kelpo
