#include "ui/text_effects_page.h"

#include "picture/gdiplus_include.h"
#include "resources/resource.h"
#include "ui/common_dialogs.h"

#include <commctrl.h>

#include <vector>

namespace kelpo {

namespace {

constexpr int kPositionCount = 9;
constexpr int kBackgroundStyleCount = 3;  // solid, translucent, none
constexpr int kFontSizeMin = 1;
constexpr int kFontSizeMax = 999;

// Shared by both colour buttons, kept while the program runs, never saved.
CustomColours gCustomColours{};

}  // namespace

TextEffectsPage::TextEffectsPage(SettingsSheetHost& host)
    : SettingsPage(host, TextEffectsLayout()) {}

void TextEffectsPage::OnCreated() {
  (void)::EnableWindow(Control(IDC_SMOOTH_CLEARTYPE), host().ClearTypeAvailable() ? TRUE : FALSE);
  (void)::SendDlgItemMessageW(window(), IDC_FONT_SIZE_SPIN, UDM_SETRANGE32, kFontSizeMin,
                              kFontSizeMax);
  FillFontList();
  FillList(IDC_TEXT_POSITION, IDS_POSITION_UPPER_LEFT, kPositionCount);
  FillList(IDC_BACKGROUND_STYLE, IDS_BACKGROUND_SOLID, kBackgroundStyleCount);
  ShowBindings();
}

void TextEffectsPage::FillFontList() {
  const Gdiplus::InstalledFontCollection fonts;
  const INT count = fonts.GetFamilyCount();
  if (count <= 0) return;
  std::vector<Gdiplus::FontFamily> families(static_cast<std::size_t>(count));
  INT found = 0;
  if (fonts.GetFamilies(count, families.data(), &found) != Gdiplus::Ok) return;
  for (INT i = 0; i < found; ++i) {
    WCHAR name[LF_FACESIZE] = {};
    if (families[static_cast<std::size_t>(i)].GetFamilyName(name, LANG_NEUTRAL) != Gdiplus::Ok) {
      continue;
    }
    // The list sorts every family into place.
    (void)::SendDlgItemMessageW(window(), IDC_FONT_NAME, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(name));
  }
}

void TextEffectsPage::OnCommand(int controlId, int notification) {
  if (notification != BN_CLICKED) return;
  if (controlId == IDC_FOREGROUND) ChooseColour(&Settings::Foreground);
  if (controlId == IDC_BACKGROUND) ChooseColour(&Settings::Background);
}

void TextEffectsPage::ChooseColour(std::uint32_t Settings::*colour) {
  const std::optional<COLORREF> chosen = AskForColour(window(), settings().*colour, gCustomColours);
  if (!chosen) return;
  settings().*colour = *chosen;
  (void)::InvalidateRect(Control(IDC_COLOUR_SAMPLE), nullptr, TRUE);
  (void)::UpdateWindow(Control(IDC_COLOUR_SAMPLE));
  // Saved from the record: the page's unapplied edits stay unapplied.
  SaveGroup();
  CancelToClose();
}

HBRUSH TextEffectsPage::OnStaticColour(int controlId, HDC dc) {
  if (controlId != IDC_COLOUR_SAMPLE) return nullptr;
  sampleBrush_.reset(::CreateSolidBrush(settings().Background));
  (void)::SetTextColor(dc, settings().Foreground);
  (void)::SetBkMode(dc, TRANSPARENT);
  return sampleBrush_.get();
}

void TextEffectsPage::OnApplied() {
  ReadBindings();
  SaveGroup();
  CancelToClose();
}

}  // namespace kelpo
