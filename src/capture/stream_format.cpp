#include "capture/stream_format.h"

#include "common/unique_handle.h"

#include <vector>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

ComPtr<IAMStreamConfig> CaptureStreamConfig(ICaptureGraphBuilder2& builder,
                                            IBaseFilter& captureFilter) {
  ComPtr<IAMStreamConfig> config;
  if (FAILED(builder.FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, &captureFilter,
                                   IID_PPV_ARGS(&config)))) {
    return nullptr;
  }
  return config;
}

FormatBlockType BlockTypeOf(const GUID& formatType) {
  if (formatType == FORMAT_VideoInfo) return FormatBlockType::kVideoInfo;
  if (formatType == FORMAT_VideoInfo2) return FormatBlockType::kVideoInfo2;
  return FormatBlockType::kOther;
}

}  // namespace

std::optional<BitmapHeader> MediaTypeBitmapHeader(const AM_MEDIA_TYPE& type) {
  return ReadBitmapHeader(BlockTypeOf(type.formattype), type.pbFormat, type.cbFormat);
}

void ApplyCaptureSize(ICaptureGraphBuilder2& builder, IBaseFilter& captureFilter,
                      const Settings& settings) {
  const ComPtr<IAMStreamConfig> config = CaptureStreamConfig(builder, captureFilter);
  if (!config) return;
  int count = 0;
  int capsSize = 0;
  if (FAILED(config->GetNumberOfCapabilities(&count, &capsSize)) || capsSize <= 0) return;
  std::vector<BYTE> caps(static_cast<std::size_t>(capsSize));
  for (int i = 0; i < count; ++i) {
    AM_MEDIA_TYPE* type = nullptr;
    if (FAILED(config->GetStreamCaps(i, &type, caps.data())) || type == nullptr) continue;
    const auto free = scope_exit([type] { DeleteMediaType(type); });
    const std::optional<BitmapHeader> header = MediaTypeBitmapHeader(*type);
    if (header && header->width() == static_cast<std::int32_t>(settings.capturewidth) &&
        header->height() == static_cast<std::int32_t>(settings.captureheight)) {
      // The device's own capability, unchanged: its frame rate and image size.
      (void)config->SetFormat(type);
      return;
    }
  }
}

void ReadCaptureSize(ICaptureGraphBuilder2& builder, IBaseFilter& captureFilter,
                     Settings& settings) {
  const ComPtr<IAMStreamConfig> config = CaptureStreamConfig(builder, captureFilter);
  AM_MEDIA_TYPE* type = nullptr;
  if (!config || FAILED(config->GetFormat(&type)) || type == nullptr) return;
  const auto free = scope_exit([type] { DeleteMediaType(type); });
  if (const std::optional<BitmapHeader> header = MediaTypeBitmapHeader(*type)) {
    settings.capturewidth = static_cast<std::uint32_t>(header->width());
    settings.captureheight = static_cast<std::uint32_t>(header->height());
  }
}

}  // namespace kelpo
