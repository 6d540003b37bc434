// The Video Capture tab. Until the capture settings move here, the tab shows
// its controls disabled and applies nothing: what the capture uses comes from
// the registry as before.
#pragma once

#include "ui/settings_page.h"

namespace kelpo {

class VideoCapturePage final : public SettingsPage {
 public:
  explicit VideoCapturePage(SettingsSheetHost& host);

 private:
  void OnCreated() override;
  void OnApplied() override {}
};

}  // namespace kelpo
