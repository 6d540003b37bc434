// What the Video Capture page may do with a camera: list and route a capture
// card's video inputs, read the capture size back and open the drivers' own
// property pages. Only a camera source offers these; everything runs on the
// UI thread.
#pragma once

#include "common/win32.h"

#include <string>
#include <vector>

namespace kelpo {

// One way a video signal reaches the capture filter through its crossbars.
struct VideoInput {
  int index = 0;          // the route's place in the list: what crossbarinput stores
  long physicalType = 0;  // PhysConn_* of the connector the route starts at
  std::wstring name;      // "Video Composite", "Video SVideo", ...
};

class VideoDeviceControls {
 public:
  // The routes through the device's crossbars in the order they were found;
  // empty for a device without a crossbar.
  virtual std::vector<VideoInput> VideoInputs() = 0;
  // Switches every crossbar of route `index` (and the sound with it); an
  // index outside the list routes nothing.
  virtual void RouteVideoInput(int index) = 0;
  // Whether a TV tuner sits upstream of the capture filter.
  virtual bool HasTuner() = 0;
  // Copies the device's frame size in use into capturewidth and
  // captureheight (in memory only).
  virtual void ReadCaptureSize() = 0;

  // The drivers' property frames, modal, owned by `owner`; false, showing
  // nothing, when the device offers no such pages (the caller tells the user).
  virtual bool ShowTunerProperties(HWND owner) = 0;
  virtual bool ShowImageProperties(HWND owner) = 0;
  // The stream format pages, with everything downstream of the capture
  // filter taken out of the graph while they are open and rendered again
  // afterwards; raises when the graph cannot be rebuilt.
  virtual bool ShowVideoFormatProperties(HWND owner) = 0;

  virtual void StopGraph() = 0;
  // Stops the graph and runs it again.
  virtual void RestartGraph() = 0;

 protected:
  ~VideoDeviceControls() = default;
};

}  // namespace kelpo
