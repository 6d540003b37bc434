#include "common/win32.h"

#include "picture/jpeg_encoder.h"

#include <vector>

namespace kelpo {

namespace {

constexpr wchar_t kTempPrefix[] = L"cam";

}  // namespace

int FindEncoderClsid(const wchar_t* mimeType, CLSID* clsid) {
  UINT count = 0;
  UINT size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return -1;
  std::vector<unsigned char> buffer;
  try {
    buffer.resize(size);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return -1;
  for (UINT i = 0; i < count; ++i) {
    if (codecs[i].MimeType != nullptr && std::wcscmp(codecs[i].MimeType, mimeType) == 0) {
      *clsid = codecs[i].Clsid;
      return static_cast<int>(i);
    }
  }
  return -1;
}

Gdiplus::EncoderParameters JpegQualityParameters(ULONG& quality) {
  Gdiplus::EncoderParameters parameters{};
  parameters.Count = 1;
  parameters.Parameter[0].Guid = Gdiplus::EncoderQuality;
  parameters.Parameter[0].NumberOfValues = 1;
  parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
  parameters.Parameter[0].Value = &quality;
  return parameters;
}

TempJpegResult WriteTempJpeg(Gdiplus::Image& picture, const std::wstring& directory,
                             std::uint32_t quality, std::wstring& tempFilePath,
                             bool& tempFileExists) {
  wchar_t name[MAX_PATH] = {};
  if (::GetTempFileNameW(directory.c_str(), kTempPrefix, 0, name) == 0) {
    return TempJpegResult::kNoFileName;
  }
  tempFilePath = name;
  tempFileExists = true;

  CLSID jpeg{};
  (void)FindEncoderClsid(L"image/jpeg", &jpeg);
  ULONG value = quality;
  const Gdiplus::EncoderParameters parameters = JpegQualityParameters(value);
  if (picture.Save(tempFilePath.c_str(), &jpeg, &parameters) != Gdiplus::Ok) {
    return TempJpegResult::kEncodingFailed;
  }
  return TempJpegResult::kWritten;
}

bool TemporaryDirectory(std::wstring& directory) {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = ::GetTempPathW(MAX_PATH, buffer.data());
  if (length == 0) return false;
  if (length > MAX_PATH) {
    const DWORD needed = length;
    buffer.assign(needed, L'\0');
    length = ::GetTempPathW(needed, buffer.data());
    if (length == 0 || length > needed) return false;
  }
  directory.assign(buffer.data(), length);
  return true;
}

}  // namespace kelpo
