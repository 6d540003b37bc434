#include "support/test_camera/stream_formats.h"

#include "support/test_camera/frame_pattern.h"
#include "support/test_camera/test_camera.h"

#include <dvdmedia.h>

#include <cstring>
#include <sstream>

namespace kelpo::test_camera {
namespace {

constexpr WORD kBitsPerPixel = 24;

// What each format is called in kFormats, and how a bitmap header says it.
struct PixelFormatName {
  const wchar_t* name;
  FrameFormat pixels;
  bool huffmanTables;
  DWORD compression;  // BI_RGB or the FOURCC
  WORD bits;
};

constexpr DWORD FourCc(const char (&code)[5]) {
  return static_cast<DWORD>(code[0]) | static_cast<DWORD>(code[1]) << 8 |
         static_cast<DWORD>(code[2]) << 16 | static_cast<DWORD>(code[3]) << 24;
}

constexpr PixelFormatName kPixelFormats[] = {
    {L"RGB24", FrameFormat::kRgb24, true, BI_RGB, 24},
    {L"RGB32", FrameFormat::kRgb32, true, BI_RGB, 32},
    {L"YUY2", FrameFormat::kYuy2, true, FourCc("YUY2"), 16},
    {L"UYVY", FrameFormat::kUyvy, true, FourCc("UYVY"), 16},
    {L"NV12", FrameFormat::kNv12, true, FourCc("NV12"), 12},
    {L"I420", FrameFormat::kI420, true, FourCc("I420"), 12},
    {L"MJPG", FrameFormat::kMjpg, true, FourCc("MJPG"), 24},
    {L"MJPGNODHT", FrameFormat::kMjpg, false, FourCc("MJPG"), 24},
};

const PixelFormatName& NameOf(const CameraFormat& format) {
  for (const PixelFormatName& name : kPixelFormats) {
    if (name.pixels == format.pixels && name.huffmanTables == format.huffmanTables) return name;
  }
  return kPixelFormats[0];
}

// Subtypes other than RGB are the FOURCC in the DirectShow base GUID.
GUID Subtype(const PixelFormatName& name) {
  if (name.pixels == FrameFormat::kRgb24) return MEDIASUBTYPE_RGB24;
  if (name.pixels == FrameFormat::kRgb32) return MEDIASUBTYPE_RGB32;
  GUID subtype = MEDIASUBTYPE_YUY2;
  subtype.Data1 = name.compression;
  return subtype;
}

BITMAPINFOHEADER HeaderOf(const CameraFormat& format) {
  const PixelFormatName& name = NameOf(format);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = format.size.width;
  header.biHeight = format.size.height;  // positive: RGB bottom-up
  header.biPlanes = 1;
  header.biBitCount = name.bits;
  header.biCompression = name.compression;
  return header;
}

DWORD BitRate(const CameraFormat& format, REFERENCE_TIME frameInterval) {
  return static_cast<DWORD>(static_cast<LONGLONG>(FrameBytes(format)) * 8 * kUnitsPerSecond /
                            frameInterval);
}

}  // namespace

std::vector<CameraFormat> CameraFormats(const std::wstring& text) {
  std::vector<CameraFormat> formats;
  std::wistringstream items(text);
  std::wstring item;
  while (std::getline(items, item, L',')) {
    std::wistringstream parts(item);
    std::wstring name;
    wchar_t by = 0;
    CameraFormat format;
    if (!(parts >> name >> format.size.width >> by >> format.size.height) || by != L'x' ||
        format.size.width <= 0 || format.size.height <= 0) {
      return CameraFormats(L"");
    }
    bool known = false;
    for (const PixelFormatName& entry : kPixelFormats) {
      if (name == entry.name) {
        format.pixels = entry.pixels;
        format.huffmanTables = entry.huffmanTables;
        known = true;
      }
    }
    if (!known) return CameraFormats(L"");
    formats.push_back(format);
  }
  if (formats.empty()) {
    for (const FrameSize& size : kCaptureSizes)
      formats.push_back({FrameFormat::kRgb24, true, size});
  }
  return formats;
}

BitmapHeader FrameHeader(const CameraFormat& format) {
  const BITMAPINFOHEADER info = HeaderOf(format);
  BitmapHeader header;
  std::memcpy(header.bytes.data(), &info, sizeof(info));
  return header;
}

long FrameBytes(const CameraFormat& format) {
  // Uncompressed frames by Kelpo's own layout; a JPEG fits in the RGB size.
  const std::optional<FrameLayout> layout = UncompressedLayout(FrameHeader(format));
  if (!layout) {
    return static_cast<long>(Rgb24View::ImageSize(format.size.width, format.size.height));
  }
  return static_cast<long>(layout->sampleSize);
}

MediaType CaptureMediaType(const CameraFormat& camera, REFERENCE_TIME frameInterval) {
  const FrameSize size = camera.size;
  VIDEOINFOHEADER format{};
  format.rcSource = RECT{0, 0, size.width, size.height};
  format.rcTarget = format.rcSource;
  format.dwBitRate = BitRate(camera, frameInterval);
  format.AvgTimePerFrame = frameInterval;
  format.bmiHeader = HeaderOf(camera);
  format.bmiHeader.biSizeImage = static_cast<DWORD>(FrameBytes(camera));

  AM_MEDIA_TYPE type{};
  type.majortype = MEDIATYPE_Video;
  type.subtype = Subtype(NameOf(camera));
  type.bFixedSizeSamples = camera.pixels != FrameFormat::kMjpg;
  type.bTemporalCompression = FALSE;
  type.lSampleSize = format.bmiHeader.biSizeImage;
  type.formattype = FORMAT_VideoInfo;
  type.cbFormat = sizeof(format);
  type.pbFormat = reinterpret_cast<BYTE*>(&format);
  return MediaType(type);
}

VIDEO_STREAM_CONFIG_CAPS CaptureCaps(const CameraFormat& format) {
  const FrameSize size = format.size;
  const SIZE extent{size.width, size.height};
  VIDEO_STREAM_CONFIG_CAPS caps{};
  caps.guid = FORMAT_VideoInfo;
  caps.VideoStandard = 0;  // AnalogVideo_None: a digital camera
  caps.InputSize = extent;
  caps.MinCroppingSize = extent;
  caps.MaxCroppingSize = extent;
  caps.CropGranularityX = 1;
  caps.CropGranularityY = 1;
  caps.CropAlignX = 1;
  caps.CropAlignY = 1;
  caps.MinOutputSize = extent;
  caps.MaxOutputSize = extent;
  caps.OutputGranularityX = 0;
  caps.OutputGranularityY = 0;
  caps.MinFrameInterval = kMinFrameInterval;
  caps.MaxFrameInterval = kMaxFrameInterval;
  caps.MinBitsPerSecond = static_cast<LONG>(BitRate(format, kMaxFrameInterval));
  caps.MaxBitsPerSecond = static_cast<LONG>(BitRate(format, kMinFrameInterval));
  return caps;
}

namespace {

constexpr FrameSize kVideoInfo2Size{352, 288};
constexpr FrameSize kTopDownSize{176, -144};  // negative height: rows top to bottom

BITMAPINFOHEADER Rgb24Header(FrameSize size) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = size.width;
  header.biHeight = size.height;
  header.biPlanes = 1;
  header.biBitCount = kBitsPerPixel;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(Rgb24View::ImageSize(size.width, size.height));
  return header;
}

MediaType VideoInfo2Type(FrameSize size) {
  VIDEOINFOHEADER2 format{};
  format.rcSource = RECT{0, 0, size.width, size.height};
  format.rcTarget = format.rcSource;
  format.AvgTimePerFrame = kDefaultFrameInterval;
  format.dwPictAspectRatioX = static_cast<DWORD>(size.width);
  format.dwPictAspectRatioY = static_cast<DWORD>(size.height);
  format.bmiHeader = Rgb24Header(size);
  AM_MEDIA_TYPE type{};
  type.majortype = MEDIATYPE_Video;
  type.subtype = MEDIASUBTYPE_RGB24;
  type.bFixedSizeSamples = TRUE;
  type.lSampleSize = format.bmiHeader.biSizeImage;
  type.formattype = FORMAT_VideoInfo2;
  type.cbFormat = sizeof(format);
  type.pbFormat = reinterpret_cast<BYTE*>(&format);
  return MediaType(type);
}

MediaType TopDownType(FrameSize size) {
  VIDEOINFOHEADER format{};
  format.AvgTimePerFrame = kDefaultFrameInterval;
  format.bmiHeader = Rgb24Header(size);
  AM_MEDIA_TYPE type{};
  type.majortype = MEDIATYPE_Video;
  type.subtype = MEDIASUBTYPE_RGB24;
  type.bFixedSizeSamples = TRUE;
  type.lSampleSize = format.bmiHeader.biSizeImage;
  type.formattype = FORMAT_VideoInfo;
  type.cbFormat = sizeof(format);
  type.pbFormat = reinterpret_cast<BYTE*>(&format);
  return MediaType(type);
}

VIDEO_STREAM_CONFIG_CAPS ExtraCaps(const GUID& formatType, FrameSize size) {
  VIDEO_STREAM_CONFIG_CAPS caps =
      CaptureCaps(CameraFormat{FrameFormat::kRgb24, true, kCaptureSizes[0]});
  const SIZE extent{size.width, size.height < 0 ? -size.height : size.height};
  caps.guid = formatType;
  caps.InputSize = extent;
  caps.MinCroppingSize = extent;
  caps.MaxCroppingSize = extent;
  caps.MinOutputSize = extent;
  caps.MaxOutputSize = extent;
  return caps;
}

}  // namespace

std::vector<ExtraCapability> ExtraCapabilities(DWORD extraFormats) {
  std::vector<ExtraCapability> extras;
  if (extraFormats & kExtraVideoInfo2) {
    extras.push_back(
        {VideoInfo2Type(kVideoInfo2Size), ExtraCaps(FORMAT_VideoInfo2, kVideoInfo2Size)});
  }
  if (extraFormats & kExtraTopDown) {
    extras.push_back({TopDownType(kTopDownSize), ExtraCaps(FORMAT_VideoInfo, kTopDownSize)});
  }
  return extras;
}

std::optional<CaptureFormat> FindCaptureFormat(const AM_MEDIA_TYPE& type,
                                               const std::vector<CameraFormat>& formats) {
  if (type.majortype != MEDIATYPE_Video || type.formattype != FORMAT_VideoInfo ||
      type.pbFormat == nullptr || type.cbFormat < sizeof(VIDEOINFOHEADER)) {
    return std::nullopt;
  }
  const auto& format = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
  const BITMAPINFOHEADER& header = format.bmiHeader;
  REFERENCE_TIME interval = format.AvgTimePerFrame;
  if (interval == 0) interval = kDefaultFrameInterval;
  if (interval < kMinFrameInterval || interval > kMaxFrameInterval) return std::nullopt;
  for (const CameraFormat& camera : formats) {
    const PixelFormatName& name = NameOf(camera);
    if (type.subtype == Subtype(name) && header.biBitCount == name.bits &&
        header.biCompression == name.compression && header.biWidth == camera.size.width &&
        header.biHeight == camera.size.height) {
      return CaptureFormat{camera, interval};
    }
  }
  return std::nullopt;
}

}  // namespace kelpo::test_camera
