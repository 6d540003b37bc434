// The Text Effects tab: the caption's message, date and time, position,
// font, smoothing, shadow, colours and background style. The two colour
// buttons take effect and are saved at once, without Apply.
#pragma once

#include "common/unique_handle.h"
#include "ui/settings_page.h"

namespace kelpo {

class TextEffectsPage final : public SettingsPage {
 public:
  explicit TextEffectsPage(SettingsSheetHost& host);

 private:
  void OnCreated() override;
  void OnApplied() override;
  void OnCommand(int controlId, int notification) override;
  HBRUSH OnStaticColour(int controlId, HDC dc) override;

  // Every installed font family, by its neutral name.
  void FillFontList();
  // "Foreground..." or "Background...": the colour dialog, then the colour
  // is in force and saved.
  void ChooseColour(std::uint32_t Settings::*colour);

  // Paints the sample's background; replaced at every repaint.
  unique_hbrush sampleBrush_;
};

}  // namespace kelpo
