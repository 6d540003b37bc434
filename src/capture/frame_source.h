// Where pictures come from: a camera or a still image file, behind one
// interface. The picture pipeline sees only this.
#pragma once

#include "common/win32.h"
#include "picture/gdiplus_include.h"
#include "settings/settings.h"

#include <functional>
#include <memory>
#include <string>

namespace kelpo {

// The main window as a source sees it: where the preview goes and where the
// camera's graph events are sent.
struct PreviewHost {
  HWND window = nullptr;
  HWND previewControl = nullptr;
  UINT graphMessage = 0;
};

// What a picture request leads to.
enum class FrameRequest {
  kReady,    // GrabFrame has the frame now
  kPending,  // the frame arrives later: OnGraphEvent hands it over
  kNone,     // no frame will come
  kFailed,   // no frame will come, and the picture has failed ("Cannot take picture")
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;

  virtual FrameRequest RequestPicture() = 0;

  // The graph's event message arrived; when it completes a requested grab,
  // `takePicture` runs while the frame is there to grab.
  virtual void OnGraphEvent(const std::function<void()>& takePicture) = 0;

  // The frame of the last request, a new bitmap the caller owns; null when
  // there is none.
  virtual std::unique_ptr<Gdiplus::Bitmap> GrabFrame() = 0;

  // The live preview runs only while the main window is visible.
  virtual void OnWindowShown(bool shown) = 0;

  // What the user knows the source by: the camera's name or the file's path.
  virtual std::wstring DeviceName() const = 0;
};

// The source the settings choose. A camera that cannot be used leaves an
// image-file source without a file; `settings` then say so (device type and
// path), but only for this run: nothing is stored.
std::unique_ptr<FrameSource> OpenFrameSource(Settings& settings, const PreviewHost& host);

}  // namespace kelpo
