// The main window's preview control as Kelpo draws into it itself: the still
// image, and the camera's own frames where no video renderer shows them.
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"
#include "picture/gdiplus_include.h"
#include "settings/settings.h"

#include <functional>
#include <memory>

namespace kelpo {

// Hands the bitmap to the static control and deletes the one it gives back.
void ShowInPreviewControl(HWND control, unique_hbitmap bitmap);

// A live preview of converted frames, a few a second, while it runs. The
// frames are letterboxed and cropped as the video renderer's would be.
class ConvertedPreview {
 public:
  // How often a frame is shown: enough to see the camera, little work.
  static constexpr UINT kPeriod = 250;

  // `nextFrame` gives the camera's latest frame, or null when there is none
  // to show now.
  using NextFrame = std::function<std::unique_ptr<Gdiplus::Bitmap>()>;
  ConvertedPreview(HWND control, const Settings& settings, NextFrame nextFrame);
  ~ConvertedPreview();
  ConvertedPreview(const ConvertedPreview&) = delete;
  ConvertedPreview& operator=(const ConvertedPreview&) = delete;

  void Start();
  void Stop();
  // Draws the frame into the control now.
  void Show(Gdiplus::Bitmap& frame);

 private:
  static void CALLBACK OnTimer(HWND control, UINT message, UINT_PTR id, DWORD time) noexcept;

  HWND control_;
  const Settings& settings_;
  NextFrame nextFrame_;
  bool running_ = false;
};

}  // namespace kelpo
