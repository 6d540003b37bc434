#include "capture/camera_source.h"

#include "app/message_catalogue.h"
#include "common/unique_handle.h"

#include <dshow.h>
#include <qedit.h>

#include <vector>

namespace kelpo {

namespace {

constexpr WORD kBitmapFileType = 0x4D42;  // "BM"

void FreeMediaType(AM_MEDIA_TYPE& type) {
  if (type.cbFormat != 0) ::CoTaskMemFree(type.pbFormat);
  type.cbFormat = 0;
  type.pbFormat = nullptr;
  if (type.pUnk != nullptr) type.pUnk->Release();
  type.pUnk = nullptr;
}

// The grabbed sample as an in-memory Windows bitmap file: file header, the
// connected format's BITMAPINFOHEADER, then the sample's rows unchanged.
Microsoft::WRL::ComPtr<IStream> SampleAsBitmapFile(ISampleGrabber& grabber) {
  long size = 0;
  if (FAILED(grabber.GetCurrentBuffer(&size, nullptr)) || size <= 0) return nullptr;
  std::vector<BYTE> pixels(static_cast<size_t>(size));
  if (FAILED(grabber.GetCurrentBuffer(&size, reinterpret_cast<long*>(pixels.data())))) {
    return nullptr;
  }

  AM_MEDIA_TYPE type{};
  if (FAILED(grabber.GetConnectedMediaType(&type))) return nullptr;
  const auto freeType = scope_exit([&type] { FreeMediaType(type); });
  if (type.pbFormat == nullptr || type.cbFormat < sizeof(VIDEOINFOHEADER)) return nullptr;
  const BITMAPINFOHEADER& info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;

  BITMAPFILEHEADER header{};
  header.bfType = kBitmapFileType;
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = info.biSizeImage + header.bfOffBits;

  Microsoft::WRL::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return nullptr;
  ULARGE_INTEGER streamSize{};
  streamSize.QuadPart = header.bfSize;
  if (FAILED(stream->SetSize(streamSize))) return nullptr;
  const LARGE_INTEGER start{};
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
      FAILED(stream->Write(&header, sizeof(header), nullptr)) ||
      FAILED(stream->Write(&info, sizeof(info), nullptr)) ||
      FAILED(stream->Write(pixels.data(), static_cast<ULONG>(size), nullptr))) {
    return nullptr;
  }
  return stream;
}

// mingw-w64's headers give IMediaEventEx no __uuidof, so it is asked for by IID.
Microsoft::WRL::ComPtr<IMediaEventEx> MediaEvents(IGraphBuilder* graph) {
  Microsoft::WRL::ComPtr<IMediaEventEx> events;
  if (graph == nullptr ||
      FAILED(graph->QueryInterface(IID_IMediaEventEx,
                                   reinterpret_cast<void**>(events.GetAddressOf())))) {
    return nullptr;
  }
  return events;
}

}  // namespace

CameraSource::CameraSource(Settings& settings, const PreviewHost& host)
    : settings_(settings), host_(host) {}

CameraSource::~CameraSource() { ReleaseCaptureGraph(); }

// The camera graph is not built yet: every start falls back to the image file.
void CameraSource::BuildCaptureGraph() { Raise(kMsgNoCaptureDevice); }

void CameraSource::ReleaseCaptureGraph() {
  nullRenderer_.Reset();
  sampleGrabberFilter_.Reset();
  captureFilter_.Reset();
  graphBuilder_.Reset();
  captureBuilder_.Reset();
}

void CameraSource::StopGraph() {}
void CameraSource::RestartGraph() {}

void CameraSource::OnWindowShown(bool shown) {
  if (!graphBuilder_) return;
  if (shown) {
    RestartGraph();
  } else {
    StopGraph();
  }
}

FrameRequest CameraSource::RequestPicture() {
  if (!sampleGrabberFilter_) return FrameRequest::kNone;
  Microsoft::WRL::ComPtr<ISampleGrabber> grabber;
  Microsoft::WRL::ComPtr<IMediaEventEx> events = MediaEvents(graphBuilder_.Get());
  if (FAILED(sampleGrabberFilter_.As(&grabber)) || !events) return FrameRequest::kNone;
  (void)events->CancelDefaultHandling(EC_COMPLETE);
  (void)events->SetNotifyFlags(0);
  (void)grabber->SetOneShot(TRUE);
  (void)grabber->SetBufferSamples(TRUE);
  RestartGraph();
  return FrameRequest::kPending;
}

void CameraSource::OnGraphEvent(const std::function<void()>& takePicture) {
  Microsoft::WRL::ComPtr<IMediaEventEx> events = MediaEvents(graphBuilder_.Get());
  if (!events) return;
  long code = 0;
  LONG_PTR first = 0;
  LONG_PTR second = 0;
  if (FAILED(events->GetEvent(&code, &first, &second, 0))) return;
  (void)events->FreeEventParams(code, first, second);
  if (code != EC_COMPLETE) return;

  takePicture();
  (void)events->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY);
  Microsoft::WRL::ComPtr<ISampleGrabber> grabber;
  if (sampleGrabberFilter_ && SUCCEEDED(sampleGrabberFilter_.As(&grabber))) {
    (void)grabber->SetBufferSamples(FALSE);
    (void)grabber->SetOneShot(FALSE);
  }
  StopGraph();
  if (::IsWindowVisible(host_.window)) RestartGraph();
}

std::unique_ptr<Gdiplus::Bitmap> CameraSource::GrabFrame() {
  if (!sampleGrabberFilter_) return nullptr;
  Microsoft::WRL::ComPtr<ISampleGrabber> grabber;
  if (FAILED(sampleGrabberFilter_.As(&grabber))) return nullptr;
  Microsoft::WRL::ComPtr<IStream> stream = SampleAsBitmapFile(*grabber.Get());
  grabber.Reset();
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> frame(Gdiplus::Bitmap::FromStream(stream.Get(), FALSE));
  if (!frame || frame->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return frame;
}

}  // namespace kelpo
