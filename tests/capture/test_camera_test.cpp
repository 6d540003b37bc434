// The test camera as DirectShow sees it: listed by the system device
// enumerator with its properties, bound through its moniker, and streaming its
// pattern through a capture graph like the one Kelpo builds (capture graph
// builder with preview and capture streams, sample grabber, null renderer).
#include "common/win32.h"

#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/camera_test_support.h"
#include "capture/frame_conversion.h"
#include "capture/mjpeg_rules.h"
#include "picture/gdiplus_session.h"
#include "support/test_camera/frame_pattern.h"
#include "support/test_camera/registered_cameras.h"

// In the strmiids library, but declared by no MinGW header.
EXTERN_C const CLSID CLSID_SampleGrabber;
EXTERN_C const CLSID CLSID_NullRenderer;

namespace kelpo {
namespace {

using Microsoft::WRL::ComPtr;
using test_camera::FrameStamp;
using test_camera::Orientation;
using test_camera::RegisteredCameras;
using test_camera::Rgb24View;

constexpr wchar_t kUsbPath[] =
    L"\\\\?\\usb#vid_046d&pid_0825&mi_00#6&2d9b1f2e&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
constexpr wchar_t kUpperCaseUsbPath[] =
    L"\\\\?\\USB#VID_045E&PID_0779&MI_00#7&1a2b3c4d&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const HRESULT kBusy = HRESULT_FROM_WIN32(ERROR_BUSY);
constexpr DWORD kUsbTag = 0x5A;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr long kGrabTimeoutMs = 10000;

// As the enumerator lists them: in the order of their instance names.
const KelpoTestCameraInstance kUsbCamera{L"cam_a_usb", L"Test Webcam", L"Kelpo USB Webcam",
                                         kUsbPath,     kUsbTag,        S_OK};
const KelpoTestCameraInstance kBusyCamera{
    L"cam_b_busy", L"Busy Webcam", nullptr, kUpperCaseUsbPath, 0, kBusy};
const KelpoTestCameraInstance kCaptureCard{
    L"cam_c_card", L"Capture Card", L"Kelpo PCI Capture Card", nullptr, 0, S_OK};

struct Device {
  std::optional<std::wstring> friendlyName;
  std::optional<std::wstring> description;
  std::optional<std::wstring> devicePath;
  ComPtr<IMoniker> moniker;
};

std::optional<std::wstring> ReadProperty(IPropertyBag& bag, const wchar_t* name) {
  VARIANT value;
  ::VariantInit(&value);
  if (FAILED(bag.Read(name, &value, nullptr)) || value.vt != VT_BSTR) {
    (void)::VariantClear(&value);
    return std::nullopt;
  }
  std::wstring text(value.bstrVal, ::SysStringLen(value.bstrVal));
  (void)::VariantClear(&value);
  return text;
}

// The video input devices as the system device enumerator lists them.
std::vector<Device> EnumerateCameras() {
  std::vector<Device> devices;
  ComPtr<ICreateDevEnum> enumerator;
  EXPECT_EQ(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(&enumerator)),
            S_OK);
  ComPtr<IEnumMoniker> monikers;
  if (!enumerator ||
      enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) != S_OK) {
    return devices;
  }
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, &moniker, nullptr) == S_OK) {
    Device device;
    ComPtr<IPropertyBag> bag;
    EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag)), S_OK);
    if (bag) {
      device.friendlyName = ReadProperty(*bag.Get(), L"FriendlyName");
      device.description = ReadProperty(*bag.Get(), L"Description");
      device.devicePath = ReadProperty(*bag.Get(), L"DevicePath");
    }
    device.moniker = std::move(moniker);
    devices.push_back(std::move(device));
  }
  return devices;
}

std::optional<std::wstring> Text(const wchar_t* text) {
  return text != nullptr ? std::optional<std::wstring>(text) : std::nullopt;
}

class TestCameraTest : public ::testing::Test {
 protected:
  struct Com {
    Com() { EXPECT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    ~Com() { ::CoUninitialize(); }
  };
  Com com;
  RegisteredCameras cameras{kUsbCamera, kBusyCamera, kCaptureCard};
};

TEST_F(TestCameraTest, EnumeratorListsEveryRegisteredCameraAndABusyOneDoesNotBind) {
  ASSERT_EQ(cameras.result(), S_OK);
  const std::vector<Device> devices = EnumerateCameras();
  const KelpoTestCameraInstance expected[] = {kUsbCamera, kBusyCamera, kCaptureCard};
  ASSERT_EQ(devices.size(), std::size(expected));
  for (std::size_t i = 0; i < devices.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(devices[i].friendlyName, Text(expected[i].friendlyName));
    EXPECT_EQ(devices[i].description, Text(expected[i].description));
    EXPECT_EQ(devices[i].devicePath, Text(expected[i].devicePath));
  }

  ComPtr<IBaseFilter> filter;
  EXPECT_EQ(devices[1].moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter)), kBusy);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(devices[2].moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter)), S_OK);
  EXPECT_NE(filter, nullptr);
}

// Kelpo's graph around a camera: preview to the default renderer, capture
// through an RGB24 sample grabber to a null renderer; or, for capability
// `format`, capture alone through a grabber taking the camera's own format.
class CaptureGraph {
 public:
  void Build(IBaseFilter* camera, int format = -1) {
    ASSERT_EQ(
        ::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph_)),
        S_OK);
    ASSERT_EQ(::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&builder_)),
              S_OK);
    ASSERT_EQ(builder_->SetFiltergraph(graph_.Get()), S_OK);
    ASSERT_EQ(graph_->AddFilter(camera, L"vidcap"), S_OK);
    AM_MEDIA_TYPE rgb24{};
    rgb24.majortype = MEDIATYPE_Video;
    rgb24.subtype = MEDIASUBTYPE_RGB24;
    ChooseFormat(camera, format, rgb24.subtype);

    ComPtr<IBaseFilter> grabberFilter;
    ASSERT_EQ(::CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&grabberFilter)),
              S_OK);
    ASSERT_EQ(graph_->AddFilter(grabberFilter.Get(), L"sample grabber"), S_OK);
    ASSERT_EQ(grabberFilter.As(&grabber_), S_OK);
    ASSERT_EQ(grabber_->SetMediaType(&rgb24), S_OK);
    ComPtr<IBaseFilter> nullRenderer;
    ASSERT_EQ(::CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&nullRenderer)),
              S_OK);
    ASSERT_EQ(graph_->AddFilter(nullRenderer.Get(), L"null renderer"), S_OK);

    // The camera has no preview pin: the builder puts a Smart Tee behind the
    // capture pin.
    ASSERT_TRUE(format >= 0 ||
                SUCCEEDED(builder_->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, camera,
                                                 nullptr, nullptr)));
    ASSERT_TRUE(SUCCEEDED(builder_->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera,
                                                 grabberFilter.Get(), nullRenderer.Get())));
    ComPtr<IVideoWindow> window;
    // control.h's interfaces have no __uuidof in MinGW: their IIDs by name.
    ASSERT_EQ(graph_->QueryInterface(IID_IVideoWindow, &window), S_OK);
    (void)window->put_AutoShow(OAFALSE);
    ASSERT_EQ(graph_->QueryInterface(IID_IMediaEventEx, &events_), S_OK);
    ASSERT_EQ(events_->CancelDefaultHandling(EC_COMPLETE), S_OK);
    ASSERT_EQ(graph_.As(&control_), S_OK);
  }

  ~CaptureGraph() {
    if (control_) (void)control_->Stop();
  }

  // One frame: arm the one-shot grabber, run the graph, wait for
  // EC_COMPLETE. The grabber is armed while the graph stands: armed while it
  // runs, it may take a frame just before the stop, whose EC_COMPLETE the
  // stop then swallows.
  std::vector<BYTE> Grab() {
    std::vector<BYTE> frame;
    EXPECT_TRUE(SUCCEEDED(control_->Stop()));
    EXPECT_EQ(grabber_->SetOneShot(TRUE), S_OK);
    EXPECT_EQ(grabber_->SetBufferSamples(TRUE), S_OK);
    EXPECT_TRUE(SUCCEEDED(control_->Run()));
    if (!WaitForCompletion()) return frame;
    long size = 0;
    EXPECT_EQ(grabber_->GetCurrentBuffer(&size, nullptr), S_OK);
    frame.resize(static_cast<std::size_t>(size));
    EXPECT_EQ(grabber_->GetCurrentBuffer(&size, reinterpret_cast<long*>(frame.data())), S_OK);
    EXPECT_EQ(grabber_->SetBufferSamples(FALSE), S_OK);
    EXPECT_EQ(grabber_->SetOneShot(FALSE), S_OK);
    return frame;
  }

  // The grabber's connected format.
  BitmapHeader Header() {
    BitmapHeader header;
    const BITMAPINFOHEADER info = Format();
    std::memcpy(header.bytes.data(), &info, sizeof(info));
    return header;
  }
  BITMAPINFOHEADER Format() {
    AM_MEDIA_TYPE type{};
    BITMAPINFOHEADER header{};
    EXPECT_EQ(grabber_->GetConnectedMediaType(&type), S_OK);
    EXPECT_EQ(type.formattype, FORMAT_VideoInfo);
    if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
      header = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    }
    ::CoTaskMemFree(type.pbFormat);
    if (type.pUnk != nullptr) type.pUnk->Release();
    return header;
  }

 private:
  // Capability `index`, or else the one of kWidth x kHeight; its subtype.
  void ChooseFormat(IBaseFilter* camera, int index, GUID& subtype) {
    ComPtr<IAMStreamConfig> config;
    ASSERT_EQ(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, camera,
                                      IID_PPV_ARGS(&config)),
              S_OK);
    int count = 0;
    int capsSize = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &capsSize), S_OK);
    ASSERT_EQ(capsSize, static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)));
    bool chosen = false;
    for (int i = 0; i < count && !chosen; ++i) {
      AM_MEDIA_TYPE* type = nullptr;
      VIDEO_STREAM_CONFIG_CAPS caps{};
      ASSERT_EQ(config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)), S_OK);
      const auto& header = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat)->bmiHeader;
      if (index >= 0 ? i == index : header.biWidth == kWidth && header.biHeight == kHeight) {
        EXPECT_EQ(config->SetFormat(type), S_OK);
        subtype = type->subtype;
        chosen = true;
      }
      ::CoTaskMemFree(type->pbFormat);
      ::CoTaskMemFree(type);
    }
    ASSERT_TRUE(chosen);
  }

  bool WaitForCompletion() {
    const DWORD deadline = ::GetTickCount() + kGrabTimeoutMs;
    for (;;) {
      const auto left = static_cast<long>(deadline - ::GetTickCount());
      if (left <= 0) {
        ADD_FAILURE() << "no EC_COMPLETE within " << kGrabTimeoutMs << " ms";
        return false;
      }
      long code = 0;
      LONG_PTR first = 0;
      LONG_PTR second = 0;
      // Wine's queue answers E_ABORT at once when its event is still set from
      // the last event taken; the next call waits.
      if (events_->GetEvent(&code, &first, &second, left) != S_OK) continue;
      (void)events_->FreeEventParams(code, first, second);
      if (code == EC_COMPLETE) return true;
      EXPECT_NE(code, EC_ERRORABORT) << std::hex << first;
    }
  }

  ComPtr<IGraphBuilder> graph_;
  ComPtr<ICaptureGraphBuilder2> builder_;
  ComPtr<ISampleGrabber> grabber_;
  ComPtr<IMediaEventEx> events_;
  ComPtr<IMediaControl> control_;
};

TEST_F(TestCameraTest, CaptureGraphGrabsFreshUprightFramesInTheChosenSize) {
  ASSERT_EQ(cameras.result(), S_OK);
  const std::vector<Device> devices = EnumerateCameras();
  ASSERT_FALSE(devices.empty());
  ComPtr<IBaseFilter> camera;
  ASSERT_EQ(devices[0].moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&camera)), S_OK);
  CaptureGraph graph;
  ASSERT_NO_FATAL_FAILURE(graph.Build(camera.Get()));

  const std::vector<BYTE> first = graph.Grab();
  const BITMAPINFOHEADER format = graph.Format();
  EXPECT_EQ(format.biWidth, kWidth);
  EXPECT_EQ(format.biHeight, kHeight);  // bottom-up
  EXPECT_EQ(format.biBitCount, 24);
  ASSERT_EQ(first.size(), Rgb24View::ImageSize(kWidth, kHeight));
  const Rgb24View firstView(first.data(), kWidth, kHeight);
  EXPECT_EQ(test_camera::ReadOrientation(kWidth, kHeight, firstView), Orientation::kUpright);
  const std::optional<FrameStamp> firstStamp = test_camera::ReadStamp(kWidth, kHeight, firstView);
  ASSERT_TRUE(firstStamp);
  EXPECT_EQ(firstStamp->tag, kUsbTag);

  const std::vector<BYTE> second = graph.Grab();
  ASSERT_EQ(second.size(), first.size());
  const Rgb24View secondView(second.data(), kWidth, kHeight);
  const std::optional<FrameStamp> secondStamp = test_camera::ReadStamp(kWidth, kHeight, secondView);
  ASSERT_TRUE(secondStamp);
  EXPECT_TRUE(test_camera::CounterAdvanced(firstStamp->counter, secondStamp->counter))
      << firstStamp->counter << " then " << secondStamp->counter;
}

TEST_F(TestCameraTest, CameraStreamsEachFormatOfItsListAsKelpoConvertsIt) {
  GdiplusSession gdiplus;
  ASSERT_EQ(cameras.result(), S_OK);
  // The two MJPG kinds differ only in their frames: they need sizes of their own.
  const std::pair<const wchar_t*, DWORD> formats[] = {
      {L"YUY2 320x240", MAKEFOURCC('Y', 'U', 'Y', '2')},
      {L"UYVY 320x240", MAKEFOURCC('U', 'Y', 'V', 'Y')},
      {L"NV12 320x240", MAKEFOURCC('N', 'V', '1', '2')},
      {L"I420 320x240", MAKEFOURCC('I', '4', '2', '0')},
      {L"RGB32 320x240", BI_RGB},
      {L"MJPG 320x240", MAKEFOURCC('M', 'J', 'P', 'G')},
      {L"MJPGNODHT 640x480", MAKEFOURCC('M', 'J', 'P', 'G')}};
  std::wstring list;
  for (const auto& format : formats)
    list += (list.empty() ? L"" : L",") + std::wstring(format.first);
  ASSERT_TRUE(RegisteredCameras::SetControl(kCaptureCard.name, test_camera::kFormats, list));
  const std::vector<Device> devices = EnumerateCameras();
  ASSERT_EQ(devices.size(), 3u);
  for (int i = 0; i < static_cast<int>(std::size(formats)); ++i) {
    SCOPED_TRACE(formats[i].first);
    ComPtr<IBaseFilter> camera;
    ASSERT_EQ(devices[2].moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&camera)), S_OK);
    CaptureGraph graph;
    ASSERT_NO_FATAL_FAILURE(graph.Build(camera.Get(), i));
    const std::vector<BYTE> sample = graph.Grab();
    const BitmapHeader header = graph.Header();
    EXPECT_EQ(header.compression(), formats[i].second);
    const auto scan = FindFirstScan(sample.data(), sample.size());
    EXPECT_EQ(scan && scan->hasTables, i == 5);
    const auto rows = std::make_shared<PixelRows>();
    const auto frame = FrameFromSample(header, sample.data(), sample.size(), rows);
    ASSERT_TRUE(frame);
    EXPECT_EQ(static_cast<int>(frame->GetWidth()), header.width());
    EXPECT_EQ(test::OrientationOf(*frame), Orientation::kUpright);
    EXPECT_TRUE(test::StampOf(*frame));
  }
}

}  // namespace
}  // namespace kelpo
