// The camera's graph: building it, its preview, running and stopping it, and
// letting it go.
#include "capture/camera_source.h"
#include "capture/crossbar_router.h"
#include "capture/frame_conversion_rules.h"
#include "capture/graph_pins.h"
#include "capture/stream_format.h"
#include "capture/video_devices.h"
#include "capture/video_preview_rules.h"
#include "common/message_catalogue.h"
#include "common/unique_handle.h"
#include "picture/picture_rules.h"
#include "settings/settings_rules.h"
#include "settings/settings_store.h"

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// How long GraphRunning waits for a graph in transition.
constexpr DWORD kStateWait = 200;
// The graph ran, but the camera stayed stopped.
const HRESULT kCameraRefusedToStart = HRESULT_FROM_WIN32(ERROR_BUSY);

}  // namespace

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
    // A rebuild after a loss leaves the stored choice alone: the Change Video
    // Device dialog may have written another camera for the next start.
    if (!sameDeviceOnly) {
      settings_.devicePath = chosen.record->path;
      SaveDevicePath(settings_.devicePath);
    }
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
    // Any video: the grabber takes the camera's own format, which Kelpo
    // converts itself. Converters are not there for every format (Wine has
    // none for YUY2, NV12 or MJPG) and cost a copy per frame where they are.
    AM_MEDIA_TYPE video{};
    video.majortype = MEDIATYPE_Video;
    result = grabber->SetMediaType(&video);
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

  shown_ = ::IsWindowVisible(host_.window) != FALSE;
  if (shown_) {
    if (!MediaControl(graphBuilder_.Get())) Raise(kMsgNoCaptureDevice);
    // A camera busy elsewhere is no reason to give it up: the next picture
    // request tries it again and says so.
    (void)RunGraph();
  }
  ReadCaptureSize();
  PlacePreview();
}

void CameraSource::RenderStreams() {
  // The preview to the default video renderer. Where it cannot connect (the
  // renderer refuses the camera's format), what it left goes again and Kelpo
  // shows the frames it converts instead.
  const std::vector<ComPtr<IBaseFilter>> before = GraphFilters(*graphBuilder_.Get());
  const HRESULT preview = captureBuilder_->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video,
                                                        captureFilter_.Get(), nullptr, nullptr);
  previewRenderer_ = SUCCEEDED(preview) ? ConnectedVideoRenderer(*graphBuilder_.Get()) : nullptr;
  if (!previewRenderer_) {
    RemoveDownstream(*graphBuilder_.Get(), *captureFilter_.Get());
    RemoveUnconnectedFilters(*graphBuilder_.Get(), before);
    convertedPreview_ = std::make_unique<ConvertedPreview>(host_.previewControl, settings_,
                                                           [this] { return PreviewFrame(); });
  } else {
    convertedPreview_.reset();
  }
  // The capture stream to the null renderer (a device without a preview pin
  // gets a tee), with the grabber in front of it. Without it there is no
  // picture: the graph is not used half built.
  const HRESULT capture = captureBuilder_->RenderStream(
      &PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, captureFilter_.Get(), nullptr, nullRenderer_.Get());
  if (FAILED(capture)) Raise(kMsgCannotRenderStream, capture);
  SpliceGrabber();
  CheckGrabberFormat();
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
  if (!previewRenderer_) return;
  (void)video->put_Owner(reinterpret_cast<OAHWND>(host_.previewControl));
  (void)video->put_WindowStyle(WS_CHILD);
  (void)video->put_AutoShow(OAFALSE);
  PlaceVideoWindow();
  (void)video->put_Visible(OATRUE);
}

void CameraSource::PlaceVideoWindow() {
  if (!graphBuilder_ || !previewRenderer_) return;
  const auto video = QueryByIid<IVideoWindow>(graphBuilder_.Get(), IID_IVideoWindow);
  RECT client{};
  if (!video || !::GetClientRect(host_.previewControl, &client)) return;
  // In the control's client coordinates: once owned, the video window is its
  // child.
  (void)video->SetWindowPosition(0, 0, client.right - client.left, client.bottom - client.top);
}

void CameraSource::RenderDownstream() {
  if (!graphBuilder_) return;
  (void)graphBuilder_->AddFilter(sampleGrabberFilter_.Get(), L"sample grabber");
  const HRESULT result = graphBuilder_->AddFilter(nullRenderer_.Get(), L"null renderer");
  if (FAILED(result)) Raise(kMsgCannotAddNullRenderer, result);
  RenderStreams();
  AttachToWindow(false);
  (void)RunGraph();
  PlacePreview();
}

void CameraSource::SpliceGrabber() {
  const ComPtr<IPin> rendererInput = FindPin(*nullRenderer_.Get(), PINDIR_INPUT, 0);
  const ComPtr<IPin> grabberInput = FindPin(*sampleGrabberFilter_.Get(), PINDIR_INPUT, 0);
  const ComPtr<IPin> grabberOutput = FindPin(*sampleGrabberFilter_.Get(), PINDIR_OUTPUT, 0);
  ComPtr<IPin> upstream;
  if (!rendererInput || !grabberInput || !grabberOutput ||
      rendererInput->ConnectedTo(&upstream) != S_OK || !upstream) {
    Raise(kMsgCannotRenderStream);
  }
  HRESULT result = graphBuilder_->Disconnect(upstream.Get());
  if (SUCCEEDED(result)) result = graphBuilder_->Disconnect(rendererInput.Get());
  // Directly: no converter comes in between the camera and the grabber.
  if (SUCCEEDED(result)) {
    result = graphBuilder_->ConnectDirect(upstream.Get(), grabberInput.Get(), nullptr);
  }
  if (SUCCEEDED(result)) {
    result = graphBuilder_->ConnectDirect(grabberOutput.Get(), rendererInput.Get(), nullptr);
  }
  if (FAILED(result)) Raise(kMsgCannotRenderStream, result);
  if (!IsConnected(*grabberInput.Get()) || !IsConnected(*grabberOutput.Get())) {
    Raise(kMsgCannotRenderStream);
  }
}

void CameraSource::CheckGrabberFormat() {
  const ComPtr<ISampleGrabber> grabber = Grabber();
  AM_MEDIA_TYPE type{};
  if (!grabber || FAILED(grabber->GetConnectedMediaType(&type))) Raise(kMsgCannotRenderStream);
  const auto freeType = scope_exit([&type] { FreeMediaType(type); });
  const std::optional<BitmapHeader> header = MediaTypeBitmapHeader(type);
  // A format Kelpo cannot read would give no picture, ever.
  if (!header || !FormatPreference(FrameFormatOf(*header))) Raise(kMsgCannotRenderStream);
}

void CameraSource::ReleaseCaptureGraph() {
  convertedPreview_.reset();
  previewRenderer_.Reset();
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
    HideVideoWindow();
  }
  ReleaseCaptureGraph();
}

void CameraSource::HideVideoWindow() {
  if (!previewRenderer_) return;
  if (const auto video = QueryByIid<IVideoWindow>(graphBuilder_.Get(), IID_IVideoWindow)) {
    (void)video->put_Visible(OAFALSE);
    (void)video->put_Owner(0);
  }
}

HRESULT CameraSource::RunGraph() {
  const ComPtr<IMediaControl> control = MediaControl(graphBuilder_.Get());
  if (!control) return E_NOINTERFACE;
  turn_.Take(host_.cameraTurnWait);
  HRESULT result = control->Run();
  // A camera held by another program refuses to start, but the graph may
  // report only its own start (Wine's does): the camera itself is asked.
  FILTER_STATE cameraState = State_Running;
  if (SUCCEEDED(result) && SUCCEEDED(captureFilter_->GetState(0, &cameraState)) &&
      cameraState == State_Stopped) {
    result = kCameraRefusedToStart;
  }
  running_ = SUCCEEDED(result);
  lastStart_ = ::GetTickCount();
  UpdateConvertedPreview();
  return result;
}

void CameraSource::StopGraph() {
  const ComPtr<IMediaControl> control = MediaControl(graphBuilder_.Get());
  if (!control) return;
  (void)control->Stop();
  turn_.Give();
  running_ = false;
  UpdateConvertedPreview();
}

void CameraSource::UpdateConvertedPreview() {
  if (!convertedPreview_) return;
  if (!running_ || state_ != GrabState::kIdle || formatPageOpen_ || !shown_) {
    convertedPreview_->Stop();
    return;
  }
  // The grabber keeps the latest frame for the preview to read; a picture
  // request empties it first, so its frame is always a fresh one.
  if (const ComPtr<ISampleGrabber> grabber = Grabber()) (void)grabber->SetBufferSamples(TRUE);
  convertedPreview_->Start();
}

std::unique_ptr<Gdiplus::Bitmap> CameraSource::PreviewFrame() {
  if (!running_ || state_ != GrabState::kIdle || formatPageOpen_) return nullptr;
  return GrabFrame();
}

void CameraSource::RestartGraph() { (void)Restart(); }

HRESULT CameraSource::Restart() {
  if (!graphBuilder_) return E_UNEXPECTED;
  StopGraph();
  return RunGraph();
}

bool CameraSource::GraphRunning() const {
  const ComPtr<IMediaControl> control = MediaControl(graphBuilder_.Get());
  OAFilterState state = State_Stopped;
  return control && SUCCEEDED(control->GetState(kStateWait, &state)) && state == State_Running;
}

void CameraSource::OnWindowShown(bool shown) {
  shown_ = shown;
  if (shown) PlaceVideoWindow();
  // A grab on its way keeps the graph as it is; it stops or restarts the
  // graph itself when its frame is in.
  if (!graphBuilder_ || state_ != GrabState::kIdle || formatPageOpen_) return;
  if (shown) {
    RestartGraph();
  } else {
    StopGraph();
  }
  UpdateConvertedPreview();
}

void CameraSource::PlacePreview() {
  if (settings_.deviceType != kDeviceCamera || !graphBuilder_) return;
  PlaceVideoWindow();
  // Only a connected renderer knows its video's size; an unconnected one may
  // not even survive the question.
  if (!previewRenderer_) return;
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

}  // namespace kelpo
