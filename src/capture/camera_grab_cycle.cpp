// The camera's grab cycle: a request, the warm-up, the armed one-shot grabber
// and the bounded wait for its frame.
#include "capture/camera_source.h"
#include "common/message_catalogue.h"
#include "common/unique_handle.h"

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// Events read per notification message at most: the queue is drained, but a
// graph that keeps adding events cannot hold the window for ever.
constexpr int kMaxEventsPerNotice = 32;
// EC_DEVICE_LOST's second parameter when the device went away (1: it is back).
constexpr LONG_PTR kDeviceRemoved = 0;

// Whether an event means the camera stopped: it went away, or its stream
// failed.
bool IsCameraFailure(long code, LONG_PTR second) {
  switch (code) {
    case EC_DEVICE_LOST:
      return second == kDeviceRemoved;
    case EC_ERRORABORT:
    case EC_ERRORABORTEX:
    case EC_STREAM_ERROR_STOPPED:
      return true;
    default:
      return false;
  }
}

}  // namespace

ComPtr<ISampleGrabber> CameraSource::Grabber() const {
  ComPtr<ISampleGrabber> grabber;
  if (!sampleGrabberFilter_ || FAILED(sampleGrabberFilter_.As(&grabber))) return nullptr;
  return grabber;
}

FrameRequest CameraSource::RequestPicture() {
  // Nowhere to deliver a picture: no frame is taken.
  if (settings_.disableFTP && !settings_.savetofile) return FrameRequest::kNone;
  // The user is choosing the camera's format: this picture is skipped.
  if (formatPageOpen_) return FrameRequest::kNone;
  if (!graphBuilder_) {
    if (!lost_) return FrameRequest::kNone;
    try {
      Build(true);
      lost_ = false;
    } catch (const Error&) {
      // Not back yet: the next request looks again.
      TearDownGraph();
      return FrameRequest::kLost;
    }
  }
  // A picture already on its way serves this request too: starting over
  // would throw its warm-up away.
  if (state_ != GrabState::kIdle) return FrameRequest::kPending;

  const ComPtr<ISampleGrabber> grabber = Grabber();
  if (!grabber || !MediaEvents(graphBuilder_.Get())) return FrameRequest::kNone;
  // Buffering from an empty buffer on: what the grabber held from an earlier
  // picture is gone, and every frame from now on is kept, so the one the
  // one-shot grab stops at is always there.
  (void)grabber->SetBufferSamples(FALSE);
  (void)grabber->SetBufferSamples(TRUE);
  // A running preview is not interrupted: its camera is warm already. A
  // camera that will not run is held by another program: no frame will come.
  if (!running_ && FAILED(Restart())) {
    StopGraph();
    return FrameRequest::kBusy;
  }
  const DWORD warmUp = WarmUpLeft();
  if (warmUp > 0 && host_.grabTimer != nullptr) {
    state_ = GrabState::kWarmingUp;
    StartGrabTimer(warmUp);
  } else {
    Arm();
  }
  return FrameRequest::kPending;
}

DWORD CameraSource::WarmUpLeft() const {
  const DWORD running = ::GetTickCount() - lastStart_;
  return running >= settings_.warmuptime ? 0 : settings_.warmuptime - running;
}

void CameraSource::Arm() {
  // Armed while the graph runs: the next frame that reaches the grabber ends
  // its stream, and the null renderer reports EC_COMPLETE.
  if (const ComPtr<ISampleGrabber> grabber = Grabber()) (void)grabber->SetOneShot(TRUE);
  state_ = GrabState::kArmed;
  StartGrabTimer(grabTimeLimit_);
}

void CameraSource::Disarm() {
  if (const ComPtr<ISampleGrabber> grabber = Grabber()) {
    (void)grabber->SetBufferSamples(FALSE);
    (void)grabber->SetOneShot(FALSE);
  }
}

bool CameraSource::HasBufferedFrame() const {
  const ComPtr<ISampleGrabber> grabber = Grabber();
  long size = 0;
  return grabber && SUCCEEDED(grabber->GetCurrentBuffer(&size, nullptr)) && size > 0;
}

CameraNews CameraSource::OnGrabTimer() {
  switch (state_) {
    case GrabState::kWarmingUp:
      Arm();
      return CameraNews::kNone;
    case GrabState::kArmed:
      // No frame within the bound: the camera has stopped delivering.
      LoseCamera();
      return CameraNews::kPictureLost;
    case GrabState::kIdle:
      break;
  }
  StopGrabTimer();
  return CameraNews::kNone;
}

CameraNews CameraSource::OnGraphEvent(const std::function<void()>& takePicture) {
  const ComPtr<IMediaEventEx> events = MediaEvents(graphBuilder_.Get());
  if (!events) return CameraNews::kNone;
  // Everything queued is read at once: a failed stream reports its end to
  // both renderers as well as its error, and the error must win.
  bool completed = false;
  bool failed = false;
  for (int i = 0; i < kMaxEventsPerNotice; ++i) {
    long code = 0;
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    if (events->GetEvent(&code, &first, &second, 0) != S_OK) break;
    // The preview's renderer completes too when a stream ends; only the null
    // renderer's completion follows the grab.
    if (code == EC_COMPLETE &&
        (second == 0 || second == reinterpret_cast<LONG_PTR>(nullRenderer_.Get()))) {
      completed = true;
    }
    if (IsCameraFailure(code, second)) failed = true;
    (void)events->FreeEventParams(code, first, second);
  }
  if (failed) {
    const bool pending = state_ != GrabState::kIdle;
    LoseCamera();
    return pending ? CameraNews::kPictureLost : CameraNews::kLost;
  }
  if (!completed || state_ != GrabState::kArmed) return CameraNews::kNone;
  // The stream ended without a frame reaching the grabber: a stream that
  // failed (its error follows), or a frame that slipped through while the
  // grabber was being armed. The stream starts once more, armed while it
  // stands; the bound on the wait still runs.
  if (!HasBufferedFrame()) {
    StopGraph();
    if (const ComPtr<ISampleGrabber> grabber = Grabber()) {
      (void)grabber->SetBufferSamples(FALSE);
      (void)grabber->SetBufferSamples(TRUE);
      (void)grabber->SetOneShot(TRUE);
    }
    (void)RunGraph();
    return CameraNews::kNone;
  }

  StopGrabTimer();
  state_ = GrabState::kIdle;
  {
    const auto disarm = scope_exit([this] {
      Disarm();
      StopGraph();
      if (::IsWindowVisible(host_.window)) RestartGraph();
    });
    takePicture();
  }
  return CameraNews::kNone;
}

void CameraSource::LoseCamera() {
  StopGrabTimer();
  state_ = GrabState::kIdle;
  TearDownGraph();
  lost_ = true;
}

void CameraSource::StartGrabTimer(UINT period) {
  if (host_.grabTimer != nullptr) host_.grabTimer->StartGrabTimer(period);
}

void CameraSource::StopGrabTimer() {
  if (host_.grabTimer != nullptr) host_.grabTimer->StopGrabTimer();
}

}  // namespace kelpo
