// Encoding the finished picture: GDI+ encoders by MIME type and the temporary
// JPEG file.
#pragma once

#include "picture/gdiplus_include.h"

#include <cstdint>
#include <string>

namespace kelpo {

// Index of the first encoder whose MIME type matches exactly (case-sensitive),
// storing its class ID in `clsid`; -1 when there is none.
int FindEncoderClsid(const wchar_t* mimeType, CLSID* clsid);

// The one-entry EncoderParameters block for the JPEG encoder's quality. The
// block points at `quality`, which must outlive it.
Gdiplus::EncoderParameters JpegQualityParameters(ULONG& quality);

enum class TempJpegResult { kNoFileName, kEncodingFailed, kWritten };

// Makes a "cam" file in `directory` (setting `tempFilePath` and, once the file
// exists, `tempFileExists`) and encodes the picture into it as a JPEG of the
// given quality.
TempJpegResult WriteTempJpeg(Gdiplus::Image& picture, const std::wstring& directory,
                             std::uint32_t quality, std::wstring& tempFilePath,
                             bool& tempFileExists);

// The user's temporary folder, or false when the system gives none.
bool TemporaryDirectory(std::wstring& directory);

}  // namespace kelpo
