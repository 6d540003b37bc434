#include "ui/overlay_page.h"

#include "resources/resource.h"
#include "ui/common_dialogs.h"

#include <commctrl.h>

#include <vector>

namespace kelpo {

namespace {

constexpr int kPositionCount = 9;
constexpr int kPercentMax = 400;
constexpr int kPercentTick = 50;
constexpr int kOpacityMax = 100;
constexpr int kOpacityTick = 20;

constexpr wchar_t kOverlayDialogTitle[] = L"Overlay Image";
constexpr wchar_t kJpegExtension[] = L"jpg";

// This page's own custom colours, kept while the program runs, never saved.
CustomColours gCustomColours{};

}  // namespace

OverlayPage::OverlayPage(SettingsSheetHost& host) : SettingsPage(host, OverlayLayout()) {}

void OverlayPage::OnCreated() {
  preview_ = std::make_unique<OverlayPreview>(host().OutputSize(), window());
  preview_->SetKeyColour(settings().ColourKey);
  FillList(IDC_OVERLAY_POSITION, IDS_POSITION_UPPER_LEFT, kPositionCount);
  (void)::SendDlgItemMessageW(window(), IDC_OVERLAY_PERCENT, TBM_SETRANGE, FALSE,
                              MAKELPARAM(0, kPercentMax));
  (void)::SendDlgItemMessageW(window(), IDC_OVERLAY_PERCENT, TBM_SETTICFREQ, kPercentTick, 0);
  (void)::SendDlgItemMessageW(window(), IDC_OVERLAY_OPACITY, TBM_SETRANGE, FALSE,
                              MAKELPARAM(0, kOpacityMax));
  (void)::SendDlgItemMessageW(window(), IDC_OVERLAY_OPACITY, TBM_SETTICFREQ, kOpacityTick, 0);
  ShowBindings();
  ShowPercentages();
  ApplyEnableRules();
  preview_->SetOverlayPreviewImage(settings().overlayfilename);
}

// The numbers beside the trackbars, as the trackbars stand (a stored value
// beyond a trackbar's end shows where the trackbar stopped).
void OverlayPage::ShowPercentages() {
  for (const auto& [slider, number] : {std::pair{IDC_OVERLAY_PERCENT, IDC_OVERLAY_PERCENT_TEXT},
                                       std::pair{IDC_OVERLAY_OPACITY, IDC_OVERLAY_OPACITY_TEXT}}) {
    const auto position = ::SendDlgItemMessageW(window(), slider, TBM_GETPOS, 0, 0);
    SetControlText(number, std::to_wstring(static_cast<std::uint32_t>(position)));
  }
}

void OverlayPage::OnCommand(int controlId, int notification) {
  switch (controlId) {
    case IDC_OVERLAY_ORIGINAL_SIZE:
    case IDC_OVERLAY_BEST_FIT:
    case IDC_OVERLAY_PERCENTAGE:
    case IDC_OVERLAY_COLOUR_KEY:
      if (notification == BN_CLICKED && preview_) preview_->RenderOverlayPreview();
      break;
    case IDC_OVERLAY_POSITION:
      if (notification == CBN_SELCHANGE && preview_) preview_->RenderOverlayPreview();
      break;
    case IDC_OVERLAY_CHOOSE_COLOUR:
      if (notification == BN_CLICKED) ChooseKeyColour();
      break;
    case IDC_OVERLAY_BROWSE:
      if (notification == BN_CLICKED) ChooseOverlayFile();
      break;
    case IDC_OVERLAY_CLEAR:
      if (notification == BN_CLICKED) {
        SetOverlayFile(std::wstring());
        MarkChanged();
      }
      break;
    default:
      break;
  }
}

void OverlayPage::OnScroll(int controlId) {
  if (controlId != IDC_OVERLAY_PERCENT && controlId != IDC_OVERLAY_OPACITY) return;
  ShowPercentages();
  if (preview_) preview_->RenderOverlayPreview();
}

void OverlayPage::ChooseOverlayFile() {
  const std::wstring folder = PicturesFolder();
  FileDialogOptions options;
  options.filter = kImageFileFilter;
  options.defaultExtension = kJpegExtension;
  options.title = kOverlayDialogTitle;
  options.initialFolder = folder.empty() ? nullptr : folder.c_str();
  options.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  const std::optional<std::wstring> chosen =
      AskForFile(window(), FileDialogKind::kOpen, ControlText(IDC_OVERLAY_FILE), options);
  if (!chosen) return;
  SetOverlayFile(*chosen);
  MarkChanged();
}

void OverlayPage::SetOverlayFile(const std::wstring& path) {
  SetControlText(IDC_OVERLAY_FILE, path);
  if (preview_) preview_->SetOverlayPreviewImage(path);
}

void OverlayPage::ChooseKeyColour() {
  if (!preview_) return;
  const std::optional<COLORREF> chosen =
      AskForColour(window(), preview_->KeyColour(), gCustomColours);
  if (!chosen) return;
  // The working colour: the setting changes only when the page is applied.
  preview_->SetKeyColour(*chosen);
  (void)::InvalidateRect(Control(IDC_OVERLAY_SWATCH), nullptr, TRUE);
  MarkChanged();
  preview_->RenderOverlayPreview();
}

HBRUSH OverlayPage::OnStaticColour(int controlId, HDC /*dc*/) {
  if (controlId != IDC_OVERLAY_SWATCH || !preview_) return nullptr;
  preview_->SwatchBrush().reset(::CreateSolidBrush(preview_->KeyColour()));
  return preview_->SwatchBrush().get();
}

bool OverlayPage::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (item.CtlID != IDC_OVERLAY_PREVIEW || !preview_) return false;
  preview_->Paint(item.hDC, item.rcItem);
  return true;
}

void OverlayPage::OnRescaled() {
  if (preview_) preview_->RenderOverlayPreview();
}

void OverlayPage::OnApplied() {
  ReadBindings();
  if (preview_) settings().ColourKey = preview_->KeyColour();
  SaveGroup();
  CancelToClose();
  if (preview_) preview_->SetOverlayPreviewImage(settings().overlayfilename);
}

void OverlayPage::OnDestroyed() { preview_.reset(); }

}  // namespace kelpo
