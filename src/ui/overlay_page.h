// The Overlay tab: the overlay image, its scale, opacity, colour key and
// position, with a live preview of the controls as they stand.
#pragma once

#include "picture/overlay_preview.h"
#include "ui/settings_page.h"

#include <memory>

namespace kelpo {

class OverlayPage final : public SettingsPage {
 public:
  explicit OverlayPage(SettingsSheetHost& host);

 private:
  void OnCreated() override;
  void OnApplied() override;
  void OnCommand(int controlId, int notification) override;
  void OnScroll(int controlId) override;
  HBRUSH OnStaticColour(int controlId, HDC dc) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void OnRescaled() override;
  void OnDestroyed() override;

  void ShowPercentages();
  void ChooseOverlayFile();
  void ChooseKeyColour();
  void SetOverlayFile(const std::wstring& path);

  // Lives exactly as long as the page's window; holds the working key colour.
  std::unique_ptr<OverlayPreview> preview_;
};

}  // namespace kelpo
