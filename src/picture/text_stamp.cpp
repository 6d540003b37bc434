#include "common/win32.h"

#include "picture/text_stamp.h"

#include "picture/caption_rules.h"
#include "picture/position_grid_rules.h"

#include <optional>

namespace kelpo {

namespace {

constexpr int kDateTimeCapacity = 512;
constexpr wchar_t kCommonSansSerif[] = L"Arial";

bool Usable(const Gdiplus::FontFamily& family) {
  return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

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

Gdiplus::StringAlignment AlignmentFor(GridAlign column) {
  switch (column) {
    case GridAlign::kCenter:
      return Gdiplus::StringAlignmentCenter;
    case GridAlign::kFar:
      return Gdiplus::StringAlignmentFar;
    default:
      return Gdiplus::StringAlignmentNear;
  }
}

}  // namespace

std::unique_ptr<Gdiplus::FontFamily> CaptionFontFamily(const std::wstring& fontname) {
  auto family = std::make_unique<Gdiplus::FontFamily>(fontname.c_str());
  if (Usable(*family)) return family;

  // GDI+'s generic sans-serif family, asked for by name rather than through
  // FontFamily::GenericSansSerif, whose cached object would outlive a GDI+
  // restart. Some systems lack it (Wine has no "Microsoft Sans Serif").
  Gdiplus::GpFontFamily* generic = nullptr;
  if (Gdiplus::DllExports::GdipGetGenericFontFamilySansSerif(&generic) == Gdiplus::Ok &&
      generic != nullptr) {
    wchar_t name[LF_FACESIZE] = {};
    const Gdiplus::Status named =
        Gdiplus::DllExports::GdipGetFamilyName(generic, name, LANG_NEUTRAL);
    (void)Gdiplus::DllExports::GdipDeleteFontFamily(generic);
    if (named == Gdiplus::Ok) {
      auto fallback = std::make_unique<Gdiplus::FontFamily>(name);
      if (Usable(*fallback)) return fallback;
    }
  }
  auto common = std::make_unique<Gdiplus::FontFamily>(kCommonSansSerif);
  if (Usable(*common)) return common;

  // Any installed family at all: a caption in an unexpected face beats none.
  Gdiplus::InstalledFontCollection installed;
  const INT count = installed.GetFamilyCount();
  if (count <= 0) return family;
  std::unique_ptr<Gdiplus::FontFamily[]> families(new Gdiplus::FontFamily[count]);
  INT found = 0;
  if (installed.GetFamilies(count, families.get(), &found) != Gdiplus::Ok || found <= 0) {
    return family;
  }
  return std::unique_ptr<Gdiplus::FontFamily>(families[0].Clone());
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
  // A position off the grid keeps the format's own alignment, at the upper left.
  const std::optional<GridCell> cell = GridCellFor(settings.textposition);
  if (cell) (void)format.SetAlignment(AlignmentFor(cell->column));
  const GridCell place = cell.value_or(GridCell{GridAlign::kNear, GridAlign::kNear});

  const auto pictureHeight = static_cast<Gdiplus::REAL>(outputHeight);
  const Gdiplus::RectF layout(0.0f, 0.0f, static_cast<Gdiplus::REAL>(outputWidth), pictureHeight);
  const auto length = static_cast<INT>(caption.size());
  Gdiplus::RectF box;
  (void)graphics.MeasureString(caption.c_str(), length, &font, layout, &format, &box);
  // Wine's GDI+ reports the measured box at the left edge whatever the
  // alignment; placing it by the alignment gives Windows' result everywhere.
  box.X = GridOffset(place.column, box.Width, static_cast<Gdiplus::REAL>(outputWidth));
  box.Y += GridOffset(place.row, box.Height, pictureHeight);

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
