// Where pictures come from: a camera or a still image file, behind one
// interface. The picture pipeline sees only this.
#pragma once

#include "capture/video_device_controls.h"
#include "common/win32.h"
#include "picture/gdiplus_include.h"
#include "settings/settings.h"

#include <functional>
#include <memory>
#include <string>

namespace kelpo {

// A one-shot timer the main window keeps for the camera: the warm-up before a
// grab and the bound on the wait for its frame. When it fires, the window
// calls FrameSource::OnGrabTimer.
class GrabTimer {
 public:
  // Starts the timer anew, replacing one that runs.
  virtual void StartGrabTimer(UINT period) = 0;
  virtual void StopGrabTimer() = 0;

 protected:
  ~GrabTimer() = default;
};

// The main window as a source sees it: where the preview goes, where the
// camera's graph events are sent, and the timer of its grabs.
struct PreviewHost {
  HWND window = nullptr;
  HWND previewControl = nullptr;
  UINT graphMessage = 0;
  GrabTimer* grabTimer = nullptr;
  // How long a camera waits for another Kelpo to finish with it before
  // running anyway: a one-shot run waits its turn, while the tray program
  // never holds its window up for one (a camera still busy then says so).
  DWORD cameraTurnWait = 0;
};

// What a picture request leads to.
enum class FrameRequest {
  kReady,     // GrabFrame has the frame now
  kPending,   // the frame arrives later: OnGraphEvent hands it over
  kNone,      // no frame will come
  kLost,      // no frame will come: the camera does not answer
  kFailed,    // no frame will come, and the picture has failed ("Cannot take picture")
  kBusy,      // no frame will come: another program holds the camera
  kOnWorker,  // the picture worker makes the frame: MakeFrame, then FrameMade
};

// What became of the camera when its graph reported or its grab timer fired.
enum class CameraNews {
  kNone,
  kLost,         // it stopped answering; the next request tries it again
  kPictureLost,  // so it did, and the picture on its way will not come
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;

  virtual FrameRequest RequestPicture() = 0;

  // The request of a picture made on the picture worker. A source whose frame
  // costs its making (a still image, decoded from its file for every picture)
  // answers kOnWorker: the worker calls MakeFrame, and the UI thread
  // FrameMade once the picture is in. Meanwhile the UI thread calls anything
  // else, which MakeFrame must leave alone.
  virtual FrameRequest RequestWorkerPicture() { return RequestPicture(); }
  virtual std::unique_ptr<Gdiplus::Bitmap> MakeFrame() { return nullptr; }
  virtual void FrameMade() {}

  // The graph's event message arrived; when it completes a requested grab,
  // `takePicture` runs while the frame is there to grab.
  virtual CameraNews OnGraphEvent(const std::function<void()>& takePicture) = 0;

  // The grab timer fired.
  virtual CameraNews OnGrabTimer() { return CameraNews::kNone; }

  // The frame of the last request, a new bitmap the caller owns; null when
  // there is none.
  virtual std::unique_ptr<Gdiplus::Bitmap> GrabFrame() = 0;

  // The live preview runs only while the main window is visible.
  virtual void OnWindowShown(bool shown) = 0;

  // The output size or the crop changed: the camera's preview shows the part
  // of the video the picture keeps, in the picture's aspect ratio.
  virtual void PlacePreview() {}

  // The preview control changed its size (the window took another monitor's
  // scale): what it shows is fitted to it again.
  virtual void OnPreviewResized() { PlacePreview(); }

  // What the user knows the source by: the camera's name or the file's path.
  virtual std::wstring DeviceName() const = 0;

  // The device's inputs, capture size and property pages; null for a source
  // that has none (an image file).
  virtual VideoDeviceControls* DeviceControls() { return nullptr; }
};

// The source the settings choose. A camera that cannot be used leaves an
// image-file source without a file; `settings` then say so (device type and
// path), but only for this run: nothing is stored.
std::unique_ptr<FrameSource> OpenFrameSource(Settings& settings, const PreviewHost& host);

}  // namespace kelpo
