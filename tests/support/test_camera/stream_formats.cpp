#include "support/test_camera/stream_formats.h"

#include "support/test_camera/frame_pattern.h"
#include "support/test_camera/test_camera.h"

#include <dvdmedia.h>

namespace kelpo::test_camera {
namespace {

constexpr WORD kBitsPerPixel = 24;

LONG ImageSize(FrameSize size) {
  return static_cast<LONG>(Rgb24View::ImageSize(size.width, size.height));
}

DWORD BitRate(FrameSize size, REFERENCE_TIME frameInterval) {
  return static_cast<DWORD>(static_cast<LONGLONG>(ImageSize(size)) * 8 * kUnitsPerSecond /
                            frameInterval);
}

}  // namespace

MediaType CaptureMediaType(FrameSize size, REFERENCE_TIME frameInterval) {
  VIDEOINFOHEADER format{};
  format.rcSource = RECT{0, 0, size.width, size.height};
  format.rcTarget = format.rcSource;
  format.dwBitRate = BitRate(size, frameInterval);
  format.AvgTimePerFrame = frameInterval;
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = size.width;
  format.bmiHeader.biHeight = size.height;  // positive: bottom-up
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = kBitsPerPixel;
  format.bmiHeader.biCompression = BI_RGB;
  format.bmiHeader.biSizeImage = static_cast<DWORD>(ImageSize(size));

  AM_MEDIA_TYPE type{};
  type.majortype = MEDIATYPE_Video;
  type.subtype = MEDIASUBTYPE_RGB24;
  type.bFixedSizeSamples = TRUE;
  type.bTemporalCompression = FALSE;
  type.lSampleSize = format.bmiHeader.biSizeImage;
  type.formattype = FORMAT_VideoInfo;
  type.cbFormat = sizeof(format);
  type.pbFormat = reinterpret_cast<BYTE*>(&format);
  return MediaType(type);
}

VIDEO_STREAM_CONFIG_CAPS CaptureCaps(std::size_t index) {
  const FrameSize size = kCaptureSizes[index];
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
  caps.MinBitsPerSecond = static_cast<LONG>(BitRate(size, kMaxFrameInterval));
  caps.MaxBitsPerSecond = static_cast<LONG>(BitRate(size, kMinFrameInterval));
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
  header.biSizeImage = static_cast<DWORD>(
      ImageSize(FrameSize{size.width, size.height < 0 ? -size.height : size.height}));
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
  VIDEO_STREAM_CONFIG_CAPS caps = CaptureCaps(0);
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

std::optional<CaptureFormat> FindCaptureFormat(const AM_MEDIA_TYPE& type) {
  if (type.majortype != MEDIATYPE_Video || type.subtype != MEDIASUBTYPE_RGB24 ||
      type.formattype != FORMAT_VideoInfo || type.pbFormat == nullptr ||
      type.cbFormat < sizeof(VIDEOINFOHEADER)) {
    return std::nullopt;
  }
  const auto& format = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
  const BITMAPINFOHEADER& header = format.bmiHeader;
  if (header.biBitCount != kBitsPerPixel || header.biCompression != BI_RGB) return std::nullopt;
  REFERENCE_TIME interval = format.AvgTimePerFrame;
  if (interval == 0) interval = kDefaultFrameInterval;
  if (interval < kMinFrameInterval || interval > kMaxFrameInterval) return std::nullopt;
  for (const FrameSize& size : kCaptureSizes) {
    if (header.biWidth == size.width && header.biHeight == size.height) {
      return CaptureFormat{size, interval};
    }
  }
  return std::nullopt;
}

}  // namespace kelpo::test_camera
