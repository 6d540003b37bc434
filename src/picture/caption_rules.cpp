#include "picture/caption_rules.h"

#include "settings/settings_rules.h"

namespace kelpo {

namespace {

constexpr std::uint32_t kSolidBox = 0;
constexpr std::uint32_t kTranslucentBox = 1;
constexpr std::uint32_t kOpaque = 0xFF;
constexpr std::uint32_t kTranslucent = 0x7F;
constexpr std::uint32_t kShadowAlpha = 0xC0;

constexpr std::uint32_t kAlphaShift = 24;
constexpr std::uint32_t kRedShift = 16;
constexpr std::uint32_t kGreenShift = 8;

// Settings hold colours with red in the low byte; GDI+ wants alpha, red, green, blue.
std::uint32_t Argb(std::uint32_t alpha, std::uint32_t colour) {
  return (alpha << kAlphaShift) | (ColourRed(colour) << kRedShift) |
         (ColourGreen(colour) << kGreenShift) | ColourBlue(colour);
}

}  // namespace

std::wstring ComposeCaption(const Settings& settings, const std::wstring& dateText,
                            const std::wstring& timeText) {
  std::wstring caption;
  // The message ends at its first NUL, as the stored string would.
  caption.assign(settings.wisdom.c_str());
  if (settings.datestamp || settings.timestamp) {
    if (!caption.empty()) caption += L'\n';
    if (settings.datestamp) caption += dateText;
    if (settings.datestamp && settings.timestamp) caption += L" @ ";
    if (settings.timestamp) caption += timeText;
  }
  return caption;
}

int TextRenderingHintFor(std::uint32_t smoothtype) {
  switch (smoothtype) {
    case kSmoothNone:
      return kHintSingleBitPerPixelGridFit;
    case kSmoothClearType:
      return kHintClearTypeGridFit;
    default:
      return kHintAntiAliasGridFit;
  }
}

std::uint32_t CaptionBoxColour(const Settings& settings) {
  switch (settings.textbackground) {
    case kSolidBox:
      return Argb(kOpaque, settings.Background);
    case kTranslucentBox:
      return Argb(kTranslucent, settings.Background);
    default:
      return 0;
  }
}

std::uint32_t CaptionShadowColour(const Settings& settings) {
  return Argb(kShadowAlpha, settings.Background);
}

std::uint32_t CaptionTextColour(const Settings& settings) {
  return Argb(kOpaque, settings.Foreground);
}

}  // namespace kelpo
