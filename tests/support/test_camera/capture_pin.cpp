#include "support/test_camera/capture_pin.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "support/test_camera/frame_pattern.h"
#include "support/test_camera/property_page.h"
#include "support/test_camera/test_camera.h"

namespace kelpo::test_camera {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// From the DirectShow documentation of IKsPropertySet; the MinGW headers lack
// them.
const HRESULT kPropertySetUnsupported = HRESULT_FROM_WIN32(ERROR_SET_NOT_FOUND);
const HRESULT kPropertyIdUnsupported = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
constexpr DWORD kSupportGet = 1;  // KSPROPERTY_SUPPORT_GET

// Several buffers in flight: a Smart Tee copies each frame into two more
// buffers of the same allocator, and a renderer may keep one.
constexpr long kBufferCount = 6;

// The canonical media type of a format: the pin's own fields whatever the
// caller left out.
MediaType Canonical(const CaptureFormat& format) {
  return CaptureMediaType(format.camera, format.frameInterval);
}

}  // namespace

CapturePin::CapturePin(BaseFilter& filter, std::wstring name, const GUID& category)
    : OutputPin(filter, std::move(name)), category_(category), streamer_(filter) {}

HRESULT CapturePin::QueryInterface(REFIID iid, void** out) {
  return OutputPin::QueryInterface(iid, out);
}

ULONG CapturePin::AddRef() { return OutputPin::AddRef(); }

ULONG CapturePin::Release() { return OutputPin::Release(); }

HRESULT CapturePin::QueryExtraInterface(REFIID iid, void** out) {
  if (iid == IID_IAMStreamConfig) return Hand<IAMStreamConfig>(this, out);
  if (iid == IID_IKsPropertySet) return Hand<IKsPropertySet>(this, out);
  if (iid == IID_ISpecifyPropertyPages && (pages_ & kPagesCapturePin) != 0) {
    return Hand<ISpecifyPropertyPages>(this, out);
  }
  return E_NOINTERFACE;
}

void CapturePin::SetControls(DWORD pages, DWORD extraFormats, const std::wstring& formats) {
  const Lock hold(filter().lock());
  pages_ = pages;
  formats_ = CameraFormats(formats);
  extras_ = ExtraCapabilities(extraFormats);
}

HRESULT CapturePin::GetPages(CAUUID* pages) { return TestPages(pages); }

std::vector<MediaType> CapturePin::OfferedTypes() {
  if (chosen_) return {*chosen_};
  std::vector<MediaType> types;
  for (const CameraFormat& format : formats_) {
    types.push_back(CaptureMediaType(format, kDefaultFrameInterval));
  }
  return types;
}

bool CapturePin::Accepts(const AM_MEDIA_TYPE& type) {
  const auto format = FindCaptureFormat(type, formats_);
  if (!format) return false;
  if (!chosen_) return true;
  return SameMediaType(Canonical(*format).get(), chosen_->get());
}

MediaType CapturePin::CurrentType() {
  if (IsConnected()) return connectedType();
  if (chosen_) return *chosen_;
  return CaptureMediaType(formats_.front(), kDefaultFrameInterval);
}

HRESULT CapturePin::DecideBufferSize(IMemAllocator& allocator,
                                     const ALLOCATOR_PROPERTIES& request) {
  const auto format = FindCaptureFormat(connectedType().get(), formats_);
  if (!format) return VFW_E_TYPE_NOT_ACCEPTED;
  const long imageSize = FrameBytes(format->camera);
  ALLOCATOR_PROPERTIES wanted{};
  wanted.cBuffers = std::max(request.cBuffers, kBufferCount);
  wanted.cbBuffer = std::max(request.cbBuffer, imageSize);
  wanted.cbAlign = std::max(request.cbAlign, 1L);
  wanted.cbPrefix = request.cbPrefix;
  ALLOCATOR_PROPERTIES actual{};
  const HRESULT result = allocator.SetProperties(&wanted, &actual);
  if (FAILED(result)) return result;
  return actual.cbBuffer >= imageSize && actual.cBuffers >= 1 ? S_OK : E_FAIL;
}

HRESULT CapturePin::SetFormat(AM_MEDIA_TYPE* type) {
  const Lock hold(filter().lock());
  if (filter().state() != State_Stopped) return VFW_E_NOT_STOPPED;
  return Guard([&] {
    if (type == nullptr) {
      // Back to the default format, as the documentation allows.
      chosen_.reset();
      return S_OK;
    }
    const auto format = FindCaptureFormat(*type, formats_);
    if (!format) {
      // An extra capability is taken as it is, while nothing is connected.
      for (const ExtraCapability& extra : extras_) {
        if (!IsConnected() && SameMediaType(*type, extra.type.get())) {
          chosen_ = extra.type;
          return S_OK;
        }
      }
      return VFW_E_INVALIDMEDIATYPE;
    }
    MediaType wanted = Canonical(*format);
    if (!IsConnected()) {
      chosen_ = std::move(wanted);
      return S_OK;
    }
    if (SameMediaType(wanted.get(), connectedType().get())) {
      chosen_ = std::move(wanted);
      return S_OK;
    }
    // Connected: reconnect with the new format if the other pin takes it,
    // otherwise keep the connection as it is.
    const Connection current = connection();
    if (current.peer->QueryAccept(&wanted.get()) != S_OK) return VFW_E_INVALIDMEDIATYPE;
    IFilterGraph* graph = filter().graph();
    if (graph == nullptr) return VFW_E_NOT_IN_GRAPH;
    std::optional<MediaType> previous = std::move(chosen_);
    chosen_ = std::move(wanted);
    const HRESULT result = graph->Reconnect(this);
    if (FAILED(result)) chosen_ = std::move(previous);
    return result;
  });
}

HRESULT CapturePin::GetFormat(AM_MEDIA_TYPE** type) {
  if (type == nullptr) return E_POINTER;
  const Lock hold(filter().lock());
  return Guard([&] {
    *type = CurrentType().CreateTaskMemCopy();
    return *type != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT CapturePin::GetNumberOfCapabilities(int* count, int* size) {
  if (count == nullptr || size == nullptr) return E_POINTER;
  const Lock hold(filter().lock());
  *count = static_cast<int>(formats_.size() + extras_.size());
  *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
  return S_OK;
}

HRESULT CapturePin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
  if (type == nullptr || caps == nullptr) return E_POINTER;
  if (index < 0) return E_INVALIDARG;
  const Lock hold(filter().lock());
  if (static_cast<std::size_t>(index) >= formats_.size() + extras_.size()) return S_FALSE;
  return Guard([&] {
    const auto position = static_cast<std::size_t>(index);
    if (position >= formats_.size()) {
      const ExtraCapability& extra = extras_[position - formats_.size()];
      *type = extra.type.CreateTaskMemCopy();
      if (*type == nullptr) return E_OUTOFMEMORY;
      std::memcpy(caps, &extra.caps, sizeof(extra.caps));
      return S_OK;
    }
    *type = CaptureMediaType(formats_[position], kDefaultFrameInterval).CreateTaskMemCopy();
    if (*type == nullptr) return E_OUTOFMEMORY;
    const VIDEO_STREAM_CONFIG_CAPS capabilities = CaptureCaps(formats_[position]);
    std::memcpy(caps, &capabilities, sizeof(capabilities));
    return S_OK;
  });
}

HRESULT CapturePin::Set(REFGUID set, DWORD id, void*, DWORD, void*, DWORD) {
  if (set != AMPROPSETID_Pin) return kPropertySetUnsupported;
  if (id != AMPROPERTY_PIN_CATEGORY) return kPropertyIdUnsupported;
  // The category can be read, not set.
  return kPropertyIdUnsupported;
}

HRESULT CapturePin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataSize,
                        DWORD* returned) {
  if (set != AMPROPSETID_Pin) return kPropertySetUnsupported;
  if (id != AMPROPERTY_PIN_CATEGORY) return kPropertyIdUnsupported;
  if (data == nullptr && returned == nullptr) return E_POINTER;
  if (returned != nullptr) *returned = sizeof(GUID);
  if (data == nullptr) return S_OK;  // the caller asks for the size
  if (dataSize < sizeof(GUID)) return E_UNEXPECTED;
  std::memcpy(data, &category_, sizeof(GUID));
  return S_OK;
}

HRESULT CapturePin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
  if (set != AMPROPSETID_Pin) return kPropertySetUnsupported;
  if (id != AMPROPERTY_PIN_CATEGORY) return kPropertyIdUnsupported;
  if (support != nullptr) *support = kSupportGet;
  return S_OK;
}

HRESULT CapturePin::InitStream(const std::wstring& instance) {
  if (!IsConnected()) return S_OK;
  return Guard([&] {
    Connection current = connection();
    const auto format = FindCaptureFormat(current.type.get(), formats_);
    if (!format) return VFW_E_TYPE_NOT_ACCEPTED;
    FrameStreamer::Setup setup{std::move(current.peer), std::move(current.input),
                               std::move(current.allocator), *format, instance};
    const HRESULT result = streamer_.Start(std::move(setup));
    streaming_ = SUCCEEDED(result);
    return result;
  });
}

void CapturePin::StartStream(REFERENCE_TIME start, IReferenceClock* clock) {
  if (streaming_) streamer_.Run(start, clock);
}

void CapturePin::StopStream() {
  if (streaming_) streamer_.Pause();
}

void CapturePin::CleanupStream() {
  if (streaming_) streamer_.Stop();
  streaming_ = false;
}

}  // namespace kelpo::test_camera
