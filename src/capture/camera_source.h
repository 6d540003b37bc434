// The camera source: a DirectShow capture graph with a live preview in the
// main window and a one-shot sample grabber that takes one frame per picture.
#pragma once

#include "capture/camera_turn.h"
#include "capture/directshow.h"
#include "capture/frame_source.h"
#include "capture/preview_control.h"
#include "picture/pixel_bitmap.h"

#include <cstdint>
#include <vector>

namespace kelpo {

class CameraSource final : public FrameSource, public VideoDeviceControls {
 public:
  // How long an armed grab waits for its frame. A webcam's first frame after
  // a start comes within a second or two, and even a slow long-exposure mode
  // delivers a frame every second; ten seconds without one means the camera
  // has stopped, while a one-shot run from the Task Scheduler still ends
  // promptly and well inside the upload's own limit.
  static constexpr UINT kGrabTimeLimit = 10000;

  CameraSource(Settings& settings, const PreviewHost& host, UINT grabTimeLimit = kGrabTimeLimit);
  ~CameraSource() override;
  CameraSource(const CameraSource&) = delete;
  CameraSource& operator=(const CameraSource&) = delete;

  // Builds the capture graph for the configured device and writes the chosen
  // device's path back; raises the catalogue ID of the step that failed
  // (kMsgCannotRenderStream when the camera's picture cannot reach Kelpo).
  void BuildCaptureGraph();
  // Lets go of the graph and everything in it.
  void ReleaseCaptureGraph();

  FrameRequest RequestPicture() override;
  CameraNews OnGraphEvent(const std::function<void()>& takePicture) override;
  CameraNews OnGrabTimer() override;
  std::unique_ptr<Gdiplus::Bitmap> GrabFrame() override;
  void OnWindowShown(bool shown) override;
  std::wstring DeviceName() const override { return deviceName_; }

  VideoDeviceControls* DeviceControls() override { return this; }

  // VideoDeviceControls
  std::vector<VideoInput> VideoInputs() override;
  void RouteVideoInput(int index) override;
  bool HasTuner() override;
  void ReadCaptureSize() override;
  bool ShowTunerProperties(HWND owner) override;
  bool ShowImageProperties(HWND owner) override;
  // Raises kMsgCannotAddNullRenderer when the graph cannot be rebuilt.
  bool ShowVideoFormatProperties(HWND owner) override;
  void StopGraph() override;
  void RestartGraph() override;
  // Letterboxes the video in the preview to the output picture's aspect
  // ratio, showing only the part the picture keeps.
  void PlacePreview() override;

  bool GraphBuilt() const { return static_cast<bool>(graphBuilder_); }
  // The subtype code of the capture format in use; 0 without a graph.
  std::uint32_t CaptureFormat() const;
  // Whether the graph runs (asks the graph itself).
  bool GraphRunning() const;

 private:
  // The grab cycle: a request starts the graph (unless it runs), lets the
  // camera warm up, arms the one-shot grabber and waits, bounded, for its
  // frame.
  enum class GrabState { kIdle, kWarmingUp, kArmed };

  void Build(bool sameDeviceOnly);
  // The preview and capture streams from the capture filter on: preview
  // renderer, sample grabber, null renderer.
  void RenderStreams();
  // Puts the sample grabber between the capture stream and the null renderer,
  // connected directly; raises kMsgCannotRenderStream where it does not connect.
  void SpliceGrabber();
  // Raises kMsgCannotRenderStream unless the grabber's format is one Kelpo
  // converts.
  void CheckGrabberFormat();
  // The graph's events to the window, and its video window into the preview.
  void AttachToWindow(bool requireVideoWindow);
  // The video window fills the preview control.
  void PlaceVideoWindow();
  void HideVideoWindow();
  // Where no video renderer shows the camera: the converted preview runs
  // while the graph does, the window shows and no grab is on its way.
  void UpdateConvertedPreview();
  std::unique_ptr<Gdiplus::Bitmap> PreviewFrame();
  // After the format pages: what RemoveDownstream took out comes back in the
  // new format, and the graph runs.
  void RenderDownstream();
  Microsoft::WRL::ComPtr<IAMTVTuner> Tuner() const;
  // Detaches the graph from the window, stops it and lets go of it.
  void TearDownGraph();
  HRESULT RunGraph();
  HRESULT Restart();
  void Arm();
  void Disarm();
  // Milliseconds of warm-up the camera still needs since it was last started.
  DWORD WarmUpLeft() const;
  bool HasBufferedFrame() const;
  // The camera stopped answering: the graph goes, and the next request builds
  // it again once the same device is back.
  void LoseCamera();
  void StartGrabTimer(UINT period);
  void StopGrabTimer();
  Microsoft::WRL::ComPtr<ISampleGrabber> Grabber() const;

  Settings& settings_;
  PreviewHost host_;
  UINT grabTimeLimit_;
  std::wstring deviceName_;
  // The rows of the last frame grabbed, reused by the next grab.
  std::shared_ptr<PixelRows> frameRows_;
  // The last sample of a format converted into the rows, its memory reused.
  std::vector<std::uint8_t> sample_;
  // Released in this order by ReleaseCaptureGraph. The video renderer only
  // while its input is connected; otherwise the converted preview shows.
  std::unique_ptr<ConvertedPreview> convertedPreview_;
  Microsoft::WRL::ComPtr<IBaseFilter> previewRenderer_;
  Microsoft::WRL::ComPtr<IBaseFilter> nullRenderer_;
  Microsoft::WRL::ComPtr<IBaseFilter> sampleGrabberFilter_;
  Microsoft::WRL::ComPtr<IBaseFilter> captureFilter_;
  Microsoft::WRL::ComPtr<IGraphBuilder> graphBuilder_;
  Microsoft::WRL::ComPtr<ICaptureGraphBuilder2> captureBuilder_;

  GrabState state_ = GrabState::kIdle;
  bool running_ = false;
  DWORD lastStart_ = 0;  // tick count of the graph's last start
  bool lost_ = false;
  bool formatPageOpen_ = false;  // the graph is taken apart for the format pages
  CameraTurn turn_;              // held while the graph runs
  bool shown_ = false;           // the main window shows, or is about to
  // The capture format's subtype code when the Video Format page opened.
  std::uint32_t formatBeforePage_ = 0;
  bool formatPicked_ = false;  // the user picked another format on the page
};

}  // namespace kelpo
