// The caption on every picture: message, date and time.
#pragma once

#include "picture/gdiplus_include.h"
#include "settings/settings.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kelpo {

// Composes the caption from the settings and the current date and time in the
// user's locale and draws it onto `picture`, laid out in a picture of
// outputWidth x outputHeight. An empty caption leaves the picture untouched.
void DrawTextStamp(Gdiplus::Image& picture, const Settings& settings, std::uint32_t outputWidth,
                   std::uint32_t outputHeight);

// Draws a given caption as DrawTextStamp does.
void DrawCaption(Gdiplus::Image& picture, const Settings& settings, std::uint32_t outputWidth,
                 std::uint32_t outputHeight, const std::wstring& caption);

// The family DrawCaption uses. When `fontname` names no installed family the
// caption still shows, in GDI+'s generic sans-serif family, else "Arial",
// else the first installed family.
std::unique_ptr<Gdiplus::FontFamily> CaptionFontFamily(const std::wstring& fontname);

}  // namespace kelpo
