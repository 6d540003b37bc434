#include "app/win32.h"

#include "picture/text_stamp.h"

#include "picture/caption_rules.h"

namespace kelpo {

namespace {

constexpr int kDateTimeCapacity = 512;

std::wstring CurrentDateText() {
  wchar_t text[kDateTimeCapacity] = {};
  if (::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, text,
                       kDateTimeCapacity) == 0) {
    return std::wstring();
  }
  return text;
}

std::wstring CurrentTimeText() {
  wchar_t text[kDateTimeCapacity] = {};
  if (::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, kDateTimeCapacity) == 0) {
    return std::wstring();
  }
  return text;
}

INT FontStyleFor(const Settings& settings) {
  INT style = Gdiplus::FontStyleRegular;
  if (settings.fontbold) style |= Gdiplus::FontStyleBold;
  if (settings.fontitalic) style |= Gdiplus::FontStyleItalic;
  if (settings.fontunderline) style |= Gdiplus::FontStyleUnderline;
  if (settings.fontstrikeout) style |= Gdiplus::FontStyleStrikeout;
  return style;
}

Gdiplus::StringAlignment AlignmentFor(CaptionColumn column) {
  switch (column) {
    case CaptionColumn::kCenter:
      return Gdiplus::StringAlignmentCenter;
    case CaptionColumn::kFar:
      return Gdiplus::StringAlignmentFar;
    default:
      return Gdiplus::StringAlignmentNear;
  }
}

}  // namespace

std::unique_ptr<Gdiplus::FontFamily> CaptionFontFamily(const std::wstring& fontname) {
  auto family = std::make_unique<Gdiplus::FontFamily>(fontname.c_str());
  if (family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable()) return family;
  // By name rather than through FontFamily::GenericSansSerif, whose cached
  // object would outlive a GDI+ shutdown and restart.
  Gdiplus::GpFontFamily* generic = nullptr;
  if (Gdiplus::DllExports::GdipGetGenericFontFamilySansSerif(&generic) != Gdiplus::Ok ||
      generic == nullptr) {
    return family;
  }
  wchar_t name[LF_FACESIZE] = {};
  const Gdiplus::Status named = Gdiplus::DllExports::GdipGetFamilyName(generic, name, LANG_NEUTRAL);
  (void)Gdiplus::DllExports::GdipDeleteFontFamily(generic);
  if (named != Gdiplus::Ok) return family;
  return std::make_unique<Gdiplus::FontFamily>(name);
}

void DrawTextStamp(Gdiplus::Image& picture, const Settings& settings, std::uint32_t outputWidth,
                   std::uint32_t outputHeight) {
  const std::wstring caption =
      ComposeCaption(settings, settings.datestamp ? CurrentDateText() : std::wstring(),
                     settings.timestamp ? CurrentTimeText() : std::wstring());
  DrawCaption(picture, settings, outputWidth, outputHeight, caption);
}

void DrawCaption(Gdiplus::Image& picture, const Settings& settings, std::uint32_t outputWidth,
                 std::uint32_t outputHeight, const std::wstring& caption) {
  if (caption.empty()) return;

  Gdiplus::Graphics graphics(&picture);
  const std::unique_ptr<Gdiplus::FontFamily> family = CaptionFontFamily(settings.fontname);
  const Gdiplus::Font font(family.get(), static_cast<Gdiplus::REAL>(settings.fontsize),
                           FontStyleFor(settings), Gdiplus::UnitPixel);
  (void)graphics.SetTextRenderingHint(
      static_cast<Gdiplus::TextRenderingHint>(TextRenderingHintFor(settings.smoothtype)));

  Gdiplus::StringFormat format(0, LANG_NEUTRAL);
  const CaptionPlacement placement = CaptionPlacementFor(settings.textposition);
  if (placement.setsAlignment) (void)format.SetAlignment(AlignmentFor(placement.column));

  const auto pictureHeight = static_cast<Gdiplus::REAL>(outputHeight);
  const Gdiplus::RectF layout(0.0f, 0.0f, static_cast<Gdiplus::REAL>(outputWidth), pictureHeight);
  const auto length = static_cast<INT>(caption.size());
  Gdiplus::RectF box;
  (void)graphics.MeasureString(caption.c_str(), length, &font, layout, &format, &box);
  box.Y = CaptionBoxTop(placement.row, box.Y, box.Height, pictureHeight);

  const std::uint32_t boxColour = CaptionBoxColour(settings);
  if (boxColour != 0) {
    const Gdiplus::SolidBrush boxBrush{Gdiplus::Color(boxColour)};
    (void)graphics.FillRectangle(&boxBrush, box);
  }
  if (settings.dropshadow) {
    const Gdiplus::SolidBrush shadowBrush{Gdiplus::Color(CaptionShadowColour(settings))};
    (void)graphics.DrawString(caption.c_str(), length, &font, box, &format, &shadowBrush);
  }
  Gdiplus::RectF textBox = box;
  textBox.X -= kCaptionTextOffset;
  textBox.Y -= kCaptionTextOffset;
  const Gdiplus::SolidBrush textBrush{Gdiplus::Color(CaptionTextColour(settings))};
  (void)graphics.DrawString(caption.c_str(), length, &font, textBox, &format, &textBrush);
}

}  // namespace kelpo
