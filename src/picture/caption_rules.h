// Pure rules of the text stamp: the caption text, the rendering hint and the colours of box, shadow
// and text.
#pragma once

#include "settings/settings.h"

#include <cstdint>
#include <string>

namespace kelpo {

// The message, then (after a line feed when there is a message) the date, " @ "
// and the time, each part only when enabled. Empty means: draw nothing.
std::wstring ComposeCaption(const Settings& settings, const std::wstring& dateText,
                            const std::wstring& timeText);

// GDI+ TextRenderingHint values for `smoothtype`.
constexpr int kHintSingleBitPerPixelGridFit = 1;
constexpr int kHintAntiAliasGridFit = 3;
constexpr int kHintClearTypeGridFit = 5;
int TextRenderingHintFor(std::uint32_t smoothtype);

// ARGB colours (alpha in the high byte). The box colour is 0 when
// `textbackground` asks for no box.
std::uint32_t CaptionBoxColour(const Settings& settings);
std::uint32_t CaptionShadowColour(const Settings& settings);
std::uint32_t CaptionTextColour(const Settings& settings);

// How far the text is drawn up and to the left of its box (and its shadow).
constexpr float kCaptionTextOffset = 1.5f;

}  // namespace kelpo
