// Routing a capture card's analog inputs: the ways a video signal reaches the
// capture filter through the crossbars in front of it, and switching the
// crossbars to one of them.
#pragma once

#include "capture/crossbar_route_rules.h"
#include "capture/directshow.h"
#include "capture/video_device_controls.h"

#include <optional>
#include <string>
#include <vector>

namespace kelpo {

// Lives for one use: built on the capture filter's analog video input, asked,
// and dropped.
class CrossbarRouter {
 public:
  // A null or unconnected pin, or one not fed by a crossbar, gives no routes.
  explicit CrossbarRouter(IPin* startPin);

  int InputCount() const { return static_cast<int>(routes_.size()); }
  // The PhysConn_* type of the connector route `index` starts at; nothing
  // outside the list.
  std::optional<long> InputType(int index) const;
  // "Video Composite", ...; empty outside the list.
  std::wstring InputName(int index) const;
  // Switches every crossbar of the route, most upstream first, and the sound
  // with the picture where both pins have related sound pins. The result of
  // the last video Route; E_FAIL, with nothing routed, outside the list.
  HRESULT SelectInput(int index);

  // The routes in the Video Capture page's terms.
  std::vector<VideoInput> Inputs() const;

 private:
  std::vector<Microsoft::WRL::ComPtr<IAMCrossbar>> crossbars_;
  std::vector<CrossbarRoute> routes_;
  int selected_ = 0;
};

// The routes through the crossbars in front of the capture filter's analog
// video input; empty without one.
std::vector<VideoInput> VideoInputsOf(IBaseFilter& captureFilter);

// Switches the crossbars in front of the capture filter to route `index`;
// nothing happens without an analog video input or outside the list.
void RouteVideoInput(IBaseFilter& captureFilter, int index);

}  // namespace kelpo
