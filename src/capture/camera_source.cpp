#include "capture/camera_source.h"

#include "app/message_catalogue.h"
#include "capture/crossbar_router.h"
#include "capture/device_pages.h"
#include "capture/frame_bitmap.h"
#include "capture/frame_conversion.h"
#include "capture/frame_conversion_rules.h"
#include "capture/frame_file_rules.h"
#include "capture/graph_pins.h"
#include "capture/stream_format.h"
#include "capture/video_devices.h"
#include "capture/video_preview_rules.h"
#include "common/unique_handle.h"
#include "picture/picture_rules.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"

#include <vector>

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// Events read per notification message at most: the queue is drained, but a
// graph that keeps adding events cannot hold the window for ever.
constexpr int kMaxEventsPerNotice = 32;
// How long GraphRunning waits for a graph in transition.
constexpr DWORD kStateWait = 200;
// EC_DEVICE_LOST's second parameter when the device went away (1: it is back).
constexpr LONG_PTR kDeviceRemoved = 0;

// The connected format's BITMAPINFOHEADER, and the grabbed sample read into
// `rows` for an RGB24 frame (used where it lies) or into `sample` for any
// other (converted into the rows); nothing when either cannot be had.
std::optional<BitmapHeader> ReadSample(ISampleGrabber& grabber, PixelRows& rows,
                                       std::vector<std::uint8_t>& sample) {
  AM_MEDIA_TYPE type{};
  if (FAILED(grabber.GetConnectedMediaType(&type))) return std::nullopt;
  const auto freeType = scope_exit([&type] { FreeMediaType(type); });
  // The header where the format type puts it; a format Kelpo cannot read
  // gives no picture rather than a misread one.
  const std::optional<BitmapHeader> header = MediaTypeBitmapHeader(type);
  if (!header) return std::nullopt;
  std::vector<std::uint8_t>& buffer =
      FrameFormatOf(*header) == FrameFormat::kRgb24 ? rows.bytes : sample;
  long size = 0;
  if (FAILED(grabber.GetCurrentBuffer(&size, nullptr)) || size <= 0) return std::nullopt;
  buffer.resize(static_cast<std::size_t>(size));
  if (FAILED(grabber.GetCurrentBuffer(&size, reinterpret_cast<long*>(buffer.data())))) {
    return std::nullopt;
  }
  buffer.resize(static_cast<std::size_t>(size));
  return header;
}

ComPtr<IMediaEventEx> MediaEvents(IGraphBuilder* graph) {
  return QueryByIid<IMediaEventEx>(graph, IID_IMediaEventEx);
}

ComPtr<IMediaControl> MediaControl(IGraphBuilder* graph) {
  ComPtr<IMediaControl> control;
  if (graph == nullptr || FAILED(graph->QueryInterface(IID_PPV_ARGS(&control)))) return nullptr;
  return control;
}

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

CameraSource::CameraSource(Settings& settings, const PreviewHost& host, UINT grabTimeLimit)
    : settings_(settings), host_(host), grabTimeLimit_(grabTimeLimit) {}

CameraSource::~CameraSource() { TearDownGraph(); }

void CameraSource::BuildCaptureGraph() { Build(false); }

void CameraSource::Build(bool sameDeviceOnly) {
  HRESULT result = ::CoCreateInstance(CLSID_FilterGraph, nullptr, kDirectShowContext,
                                      IID_PPV_ARGS(&graphBuilder_));
  if (FAILED(result)) Raise(kMsgNoFilterGraph, result);
  result = ::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, kDirectShowContext,
                              IID_PPV_ARGS(&captureBuilder_));
  if (FAILED(result)) Raise(kMsgNoCaptureGraphBuilder, result);
  (void)captureBuilder_->SetFiltergraph(graphBuilder_.Get());

  ChosenDevice chosen = ChooseCaptureDevice(settings_.devicePath);
  // After a loss only the lost camera will do: another one would take over
  // the user's choice for good.
  if (sameDeviceOnly && (!chosen.record || chosen.record->path != settings_.devicePath)) {
    Raise(kMsgNoCaptureDevice);
  }
  if (chosen.record) {
    deviceName_ = chosen.record->name;
    settings_.devicePath = chosen.record->path;
    (void)WriteString(L"devicePath", settings_.devicePath);
  }
  captureFilter_ = std::move(chosen.filter);
  if (!captureFilter_) Raise(kMsgNoCaptureDevice);
  result = graphBuilder_->AddFilter(captureFilter_.Get(), L"vidcap");
  if (FAILED(result)) Raise(kMsgCannotAddCaptureDevice, result);
  ApplyCaptureSize(*captureBuilder_.Get(), *captureFilter_.Get(), settings_);

  result = ::CoCreateInstance(CLSID_SampleGrabber, nullptr, kDirectShowContext,
                              IID_PPV_ARGS(&sampleGrabberFilter_));
  if (FAILED(result)) Raise(kMsgNoSampleGrabber, result);
  result = graphBuilder_->AddFilter(sampleGrabberFilter_.Get(), L"sample grabber");
  if (FAILED(result)) Raise(kMsgCannotAddSampleGrabber, result);
  {
    ComPtr<ISampleGrabber> grabber;
    result = sampleGrabberFilter_.As(&grabber);
    if (FAILED(result)) Raise(kMsgNoSampleGrabberInterface, result);
    AM_MEDIA_TYPE rgb24{};
    rgb24.majortype = MEDIATYPE_Video;
    rgb24.subtype = MEDIASUBTYPE_RGB24;
    result = grabber->SetMediaType(&rgb24);
    if (FAILED(result)) Raise(kMsgCannotSetMediaType, result);
  }
  result = ::CoCreateInstance(CLSID_NullRenderer, nullptr, kDirectShowContext,
                              IID_PPV_ARGS(&nullRenderer_));
  if (FAILED(result)) Raise(kMsgNoNullRenderer, result);
  result = graphBuilder_->AddFilter(nullRenderer_.Get(), L"null renderer");
  if (FAILED(result)) Raise(kMsgCannotAddNullRenderer, result);

  RenderStreams();
  // An analog card's stored input choice, at every build.
  kelpo::RouteVideoInput(*captureFilter_.Get(), static_cast<int>(settings_.crossbarinput));
  AttachToWindow(true);

  if (::IsWindowVisible(host_.window)) {
    if (!MediaControl(graphBuilder_.Get())) Raise(kMsgNoCaptureDevice);
    RunGraph();
  }
  ReadCaptureSize();
  PlacePreview();
}

void CameraSource::RenderStreams() {
  // The preview to the default video renderer, the capture stream to the null
  // renderer; a device without a preview pin gets a tee.
  (void)captureBuilder_->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, captureFilter_.Get(),
                                      nullptr, nullptr);
  (void)captureBuilder_->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, captureFilter_.Get(),
                                      nullptr, nullRenderer_.Get());
  SpliceGrabber();
}

void CameraSource::AttachToWindow(bool requireVideoWindow) {
  if (const ComPtr<IMediaEventEx> events = MediaEvents(graphBuilder_.Get())) {
    (void)events->SetNotifyWindow(reinterpret_cast<OAHWND>(host_.window),
                                  static_cast<long>(host_.graphMessage), 0);
    // Notifications stay on for the graph's life, so a camera lost while the
    // preview runs is noticed; the null renderer's completion must reach
    // Kelpo rather than the graph's own bookkeeping.
    (void)events->CancelDefaultHandling(EC_COMPLETE);
    (void)events->SetNotifyFlags(0);
  }
  const ComPtr<IVideoWindow> video =
      QueryByIid<IVideoWindow>(graphBuilder_.Get(), IID_IVideoWindow);
  if (!video) {
    if (requireVideoWindow) Raise(kMsgNoCaptureDevice);
    return;
  }
  (void)video->put_Owner(reinterpret_cast<OAHWND>(host_.previewControl));
  (void)video->put_WindowStyle(WS_CHILD);
  RECT client{};
  (void)::GetClientRect(host_.previewControl, &client);
  (void)video->put_Top(0);
  (void)video->put_Left(0);
  (void)video->put_Width(client.right - client.left);
  (void)video->put_Height(client.bottom - client.top);
  (void)video->put_AutoShow(OAFALSE);
  (void)video->put_Visible(OATRUE);
}

void CameraSource::RenderDownstream() {
  if (!graphBuilder_) return;
  (void)graphBuilder_->AddFilter(sampleGrabberFilter_.Get(), L"sample grabber");
  const HRESULT result = graphBuilder_->AddFilter(nullRenderer_.Get(), L"null renderer");
  if (FAILED(result)) Raise(kMsgCannotAddNullRenderer, result);
  RenderStreams();
  AttachToWindow(false);
  RunGraph();
  PlacePreview();
}

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
  }
}

void CameraSource::ShowTunerProperties(HWND owner, bool showMessage) {
  if (!captureBuilder_) return;
  const ComPtr<IAMTVTuner> tuner = Tuner();
  if (!ShowPropertyFrame(owner, L"TV Tuner", tuner.Get()) && showMessage) {
    ShowDeviceWarning(owner, kMsgCannotModifyTuner);
  }
}

void CameraSource::ShowImageProperties(HWND owner, bool showMessage) {
  if (settings_.deviceType != kDeviceCamera || !captureFilter_) return;
  if (!ShowPropertyFrame(owner, L"Image", captureFilter_.Get()) && showMessage) {
    ShowDeviceWarning(owner, kMsgCannotModifyCapture);
  }
}

void CameraSource::ShowVideoFormatProperties(HWND owner, bool showMessage) {
  if (!graphBuilder_ || !captureFilter_) return;
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
  if (const auto video = QueryByIid<IVideoWindow>(graphBuilder_.Get(), IID_IVideoWindow)) {
    (void)video->put_Visible(OAFALSE);
    (void)video->put_Owner(0);
  }
  RemoveDownstream(*graphBuilder_.Get(), *captureFilter_.Get());
  const ComPtr<IPin> capture =
      FindPinByCategory(*captureFilter_.Get(), PINDIR_OUTPUT, PIN_CATEGORY_CAPTURE);
  if (!ShowPropertyFrame(owner, L"Video Format", capture.Get()) && showMessage) {
    ShowDeviceWarning(owner, kMsgCannotModifyFormat);
  }
  RenderDownstream();
}

void CameraSource::SpliceGrabber() {
  const ComPtr<IPin> rendererInput = FindPin(*nullRenderer_.Get(), PINDIR_INPUT, 0);
  if (!rendererInput) return;
  ComPtr<IPin> upstream;
  if (FAILED(rendererInput->ConnectedTo(&upstream)) || !upstream) return;
  const ComPtr<IPin> grabberInput = FindPin(*sampleGrabberFilter_.Get(), PINDIR_INPUT, 0);
  const ComPtr<IPin> grabberOutput = FindPin(*sampleGrabberFilter_.Get(), PINDIR_OUTPUT, 0);
  if (!grabberInput || !grabberOutput) return;
  (void)graphBuilder_->Disconnect(upstream.Get());
  (void)graphBuilder_->Disconnect(rendererInput.Get());
  // Intelligent connection: a converter comes in where the camera gives no
  // RGB24.
  (void)graphBuilder_->Connect(upstream.Get(), grabberInput.Get());
  (void)graphBuilder_->Connect(grabberOutput.Get(), rendererInput.Get());
}

void CameraSource::ReleaseCaptureGraph() {
  nullRenderer_.Reset();
  sampleGrabberFilter_.Reset();
  captureFilter_.Reset();
  graphBuilder_.Reset();
  captureBuilder_.Reset();
  running_ = false;
}

void CameraSource::TearDownGraph() {
  if (graphBuilder_) {
    // Nothing more reaches the window from this graph, and its video window
    // leaves the preview before the graph goes.
    if (const ComPtr<IMediaEventEx> events = MediaEvents(graphBuilder_.Get())) {
      (void)events->SetNotifyWindow(0, 0, 0);
    }
    StopGraph();
    if (const auto video = QueryByIid<IVideoWindow>(graphBuilder_.Get(), IID_IVideoWindow)) {
      (void)video->put_Visible(OAFALSE);
      (void)video->put_Owner(0);
    }
  }
  ReleaseCaptureGraph();
}

void CameraSource::RunGraph() {
  const ComPtr<IMediaControl> control = MediaControl(graphBuilder_.Get());
  if (!control) return;
  turn_.Take();
  (void)control->Run();
  running_ = true;
  lastStart_ = ::GetTickCount();
}

void CameraSource::StopGraph() {
  const ComPtr<IMediaControl> control = MediaControl(graphBuilder_.Get());
  if (!control) return;
  (void)control->Stop();
  turn_.Give();
  running_ = false;
}

void CameraSource::RestartGraph() {
  if (!graphBuilder_) return;
  StopGraph();
  RunGraph();
}

bool CameraSource::GraphRunning() const {
  const ComPtr<IMediaControl> control = MediaControl(graphBuilder_.Get());
  OAFilterState state = State_Stopped;
  return control && SUCCEEDED(control->GetState(kStateWait, &state)) && state == State_Running;
}

void CameraSource::OnWindowShown(bool shown) {
  // A grab on its way keeps the graph as it is; it stops or restarts the
  // graph itself when its frame is in.
  if (!graphBuilder_ || state_ != GrabState::kIdle || formatPageOpen_) return;
  if (shown) {
    RestartGraph();
  } else {
    StopGraph();
  }
}

void CameraSource::PlacePreview() {
  if (settings_.deviceType != kDeviceCamera || !graphBuilder_) return;
  const auto video = QueryByIid<IVideoWindow>(graphBuilder_.Get(), IID_IVideoWindow);
  long windowWidth = 0;
  long windowHeight = 0;
  if (!video || FAILED(video->get_Width(&windowWidth)) ||
      FAILED(video->get_Height(&windowHeight))) {
    return;
  }
  const auto basic = QueryByIid<IBasicVideo>(graphBuilder_.Get(), IID_IBasicVideo);
  if (!basic) return;
  long videoWidth = 0;
  long videoHeight = 0;
  // The crop too is cut to the video, as the pictures cut it.
  (void)basic->get_VideoWidth(&videoWidth);
  (void)basic->get_VideoHeight(&videoHeight);
  const VideoRect source =
      PreviewSourceRect(settings_.CropEnable, settings_.CropX, settings_.CropY, settings_.CropWidth,
                        settings_.CropHeight, videoWidth, videoHeight);
  (void)basic->SetSourcePosition(source.left, source.top, source.width, source.height);
  const PictureSize output = OutputSizeFor(settings_.UseCustomImageSize, settings_.CustomSizeX,
                                           settings_.CustomSizeY, settings_.imagesize);
  const VideoRect shown = LetterboxPreview(windowWidth, windowHeight, output.width, output.height);
  (void)basic->SetDestinationPosition(shown.left, shown.top, shown.width, shown.height);
}

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
  // A running preview is not interrupted: its camera is warm already.
  if (!running_) RestartGraph();
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
    RunGraph();
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

std::unique_ptr<Gdiplus::Bitmap> CameraSource::GrabFrame() {
  const ComPtr<ISampleGrabber> grabber = Grabber();
  if (!grabber) return nullptr;
  // The last frame's rows take this one once its picture is done with them:
  // fresh memory of a frame's size costs more than the copy into it.
  if (!frameRows_ || frameRows_.use_count() != 1) frameRows_ = std::make_shared<PixelRows>();
  const auto letGoOfLarge = scope_exit([this] {
    if (sample_.capacity() > kKeptBufferLimit) std::vector<std::uint8_t>().swap(sample_);
  });
  const std::optional<BitmapHeader> info = ReadSample(*grabber.Get(), *frameRows_, sample_);
  if (!info) return nullptr;
  // An RGB24 frame is used where it lies; any other is converted into the rows.
  if (FrameFormatOf(*info) == FrameFormat::kRgb24) return FrameInPlace(*info, frameRows_);
  return FrameFromSample(*info, sample_.data(), sample_.size(), frameRows_);
}

}  // namespace kelpo
