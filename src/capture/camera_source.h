// The camera source: a DirectShow capture graph with a live preview and a
// sample grabber that takes one frame per picture.
#pragma once

#include "capture/frame_source.h"

#include <strmif.h>
#include <wrl/client.h>

namespace kelpo {

class CameraSource final : public FrameSource {
 public:
  CameraSource(Settings& settings, const PreviewHost& host);
  ~CameraSource() override;

  // Builds the capture graph for the configured device; raises the catalogue
  // ID of the step that failed, leaving nothing half-built behind.
  void BuildCaptureGraph();

  FrameRequest RequestPicture() override;
  void OnGraphEvent(const std::function<void()>& takePicture) override;
  std::unique_ptr<Gdiplus::Bitmap> GrabFrame() override;
  void OnWindowShown(bool shown) override;
  std::wstring DeviceName() const override { return deviceName_; }

  void StopGraph();
  void RestartGraph();

 private:
  void ReleaseCaptureGraph();

  Settings& settings_;
  PreviewHost host_;
  std::wstring deviceName_;
  // Released in reverse order: the filters before the graph that holds them.
  Microsoft::WRL::ComPtr<IGraphBuilder> graphBuilder_;
  Microsoft::WRL::ComPtr<ICaptureGraphBuilder2> captureBuilder_;
  Microsoft::WRL::ComPtr<IBaseFilter> captureFilter_;
  Microsoft::WRL::ComPtr<IBaseFilter> sampleGrabberFilter_;
  Microsoft::WRL::ComPtr<IBaseFilter> nullRenderer_;
};

}  // namespace kelpo
