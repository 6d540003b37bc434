// The camera's device controls: a card's inputs and tuner, the capture size
// and the drivers' property pages.
#include "capture/camera_source.h"
#include "capture/crossbar_router.h"
#include "capture/device_pages.h"
#include "capture/graph_pins.h"
#include "capture/stream_format.h"
#include "common/unique_handle.h"
#include "settings/settings_rules.h"

namespace kelpo {

using Microsoft::WRL::ComPtr;

std::vector<VideoInput> CameraSource::VideoInputs() {
  if (!captureFilter_) return {};
  return VideoInputsOf(*captureFilter_.Get());
}

void CameraSource::RouteVideoInput(int index) {
  if (captureFilter_) kelpo::RouteVideoInput(*captureFilter_.Get(), index);
}

ComPtr<IAMTVTuner> CameraSource::Tuner() const {
  ComPtr<IAMTVTuner> tuner;
  if (!captureBuilder_ || !captureFilter_ ||
      FAILED(captureBuilder_->FindInterface(&LOOK_UPSTREAM_ONLY, nullptr, captureFilter_.Get(),
                                            IID_IAMTVTuner,
                                            reinterpret_cast<void**>(tuner.GetAddressOf())))) {
    return nullptr;
  }
  return tuner;
}

bool CameraSource::HasTuner() { return static_cast<bool>(Tuner()); }

void CameraSource::ReadCaptureSize() {
  if (captureBuilder_ && captureFilter_) {
    kelpo::ReadCaptureSize(*captureBuilder_.Get(), *captureFilter_.Get(), settings_);
    if (formatPicked_) {
      settings_.captureformat = CaptureFormatCode(*captureBuilder_.Get(), *captureFilter_.Get());
    }
  }
}

std::uint32_t CameraSource::CaptureFormat() const {
  if (!captureBuilder_ || !captureFilter_) return 0;
  return CaptureFormatCode(*captureBuilder_.Get(), *captureFilter_.Get());
}

bool CameraSource::ShowTunerProperties(HWND owner) {
  if (!captureBuilder_) return false;
  const ComPtr<IAMTVTuner> tuner = Tuner();
  return ShowPropertyFrame(owner, L"TV Tuner", tuner.Get());
}

bool CameraSource::ShowImageProperties(HWND owner) {
  if (settings_.deviceType != kDeviceCamera || !captureFilter_) return false;
  return ShowPropertyFrame(owner, L"Image", captureFilter_.Get());
}

bool CameraSource::ShowVideoFormatProperties(HWND owner) {
  if (!graphBuilder_ || !captureFilter_) return false;
  // The frame is modal to the sheet only: the main window's button and other
  // programs may still ask for a picture. None may touch the graph while it is
  // taken apart, and a grab already on its way is given up.
  formatPageOpen_ = true;
  const auto reopen = scope_exit([this] { formatPageOpen_ = false; });
  if (state_ != GrabState::kIdle) {
    StopGrabTimer();
    Disarm();
    state_ = GrabState::kIdle;
  }
  // The format can change only while the capture pin is stopped and
  // unconnected.
  StopGraph();
  // The video renderer goes with the rest: its window leaves the preview
  // first, or it stays there, stale, beside the new one.
  HideVideoWindow();
  const std::uint32_t before = CaptureFormatCode(*captureBuilder_.Get(), *captureFilter_.Get());
  RemoveDownstream(*graphBuilder_.Get(), *captureFilter_.Get());
  const ComPtr<IPin> capture =
      FindPinByCategory(*captureFilter_.Get(), PINDIR_OUTPUT, PIN_CATEGORY_CAPTURE);
  const bool shown = ShowPropertyFrame(owner, L"Video Format", capture.Get());
  // What the user picks here is kept for the next start, once applied.
  if (CaptureFormatCode(*captureBuilder_.Get(), *captureFilter_.Get()) != before) {
    formatPicked_ = true;
  }
  RenderDownstream();
  return shown;
}

}  // namespace kelpo
