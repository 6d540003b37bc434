#include "capture/stream_format.h"

#include "capture/frame_conversion_rules.h"
#include "capture/stream_format_rules.h"
#include "common/unique_handle.h"

#include <memory>
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

struct MediaTypeDeleter {
  void operator()(AM_MEDIA_TYPE* type) const noexcept { DeleteMediaType(type); }
};
using MediaTypePointer = std::unique_ptr<AM_MEDIA_TYPE, MediaTypeDeleter>;

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
  std::vector<MediaTypePointer> types;
  std::vector<CaptureCapability> capabilities;
  for (int i = 0; i < count; ++i) {
    AM_MEDIA_TYPE* type = nullptr;
    if (FAILED(config->GetStreamCaps(i, &type, caps.data())) || type == nullptr) continue;
    MediaTypePointer held(type);
    const std::optional<BitmapHeader> header = MediaTypeBitmapHeader(*type);
    if (!header) continue;
    capabilities.push_back(CaptureCapability{header->width(), header->height(), type->subtype.Data1,
                                             FormatPreference(FrameFormatOf(*header))});
    types.push_back(std::move(held));
  }
  const std::optional<std::size_t> chosen =
      ChooseCapability(capabilities, static_cast<std::int32_t>(settings.capturewidth),
                       static_cast<std::int32_t>(settings.captureheight), settings.captureformat);
  // The device's own capability, unchanged: its frame rate and image size.
  if (chosen) (void)config->SetFormat(types[*chosen].get());
}

std::uint32_t CaptureFormatCode(ICaptureGraphBuilder2& builder, IBaseFilter& captureFilter) {
  const ComPtr<IAMStreamConfig> config = CaptureStreamConfig(builder, captureFilter);
  AM_MEDIA_TYPE* type = nullptr;
  if (!config || FAILED(config->GetFormat(&type)) || type == nullptr) return 0;
  const MediaTypePointer held(type);
  return type->subtype.Data1;
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
