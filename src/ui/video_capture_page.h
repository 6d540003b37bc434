// The Video Capture tab: the picture source in use and the way to change it,
// a capture card's video input, the device's own pages, the output size, the
// flips, the JPEG quality and the crop.
#pragma once

#include "ui/settings_page.h"

namespace kelpo {

class VideoCapturePage final : public SettingsPage {
 public:
  explicit VideoCapturePage(SettingsSheetHost& host);

 private:
  void OnCreated() override;
  void OnApplied() override;
  void OnCommand(int controlId, int notification) override;

  // The device's part of the page: its name, its video inputs (routing the
  // stored one again) and which of its buttons it answers.
  void ShowDevice();
  // Routes the input chosen in the list, when there is one.
  void RouteChosenInput(VideoDeviceControls& controls);
  // "Video Format...": the device's format pages, at once, with the timer
  // and the graph stopped around them.
  void ChangeVideoFormat();
};

}  // namespace kelpo
