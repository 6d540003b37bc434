#include "support/test_camera/analog_pin.h"

#include <cstring>
#include <utility>
#include <vector>

#include "support/test_camera/media_type.h"

namespace kelpo::test_camera {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// From the DirectShow documentation of IKsPropertySet; the MinGW headers lack
// them.
const HRESULT kPropertySetUnsupported = HRESULT_FROM_WIN32(ERROR_SET_NOT_FOUND);
const HRESULT kPropertyIdUnsupported = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
constexpr DWORD kSupportGet = 1;  // KSPROPERTY_SUPPORT_GET

}  // namespace

AnalogPin::AnalogPin(BaseFilter& filter, std::wstring name, PIN_DIRECTION direction,
                     const GUID& majorType, const GUID& category)
    : filter_(filter),
      name_(std::move(name)),
      direction_(direction),
      majorType_(majorType),
      category_(category) {}

AnalogPin::~AnalogPin() = default;

HRESULT AnalogPin::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IPin) return Hand<IPin>(this, out);
  if (iid == IID_IKsPropertySet && category_ != GUID_NULL) return Hand<IKsPropertySet>(this, out);
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG AnalogPin::AddRef() { return filter_.AddRef(); }

ULONG AnalogPin::Release() { return filter_.Release(); }

AM_MEDIA_TYPE AnalogPin::WireType() const {
  AM_MEDIA_TYPE type{};
  type.majortype = majorType_;
  type.formattype = FORMAT_None;
  return type;
}

bool AnalogPin::IsConnected() {
  const Lock hold(filter_.lock());
  return peer_ != nullptr;
}

HRESULT AnalogPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
  if (receiver == nullptr) return E_POINTER;
  if (direction_ != PINDIR_OUTPUT) return E_UNEXPECTED;
  const Lock hold(filter_.lock());
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  if (type != nullptr && type->majortype != GUID_NULL && type->majortype != majorType_) {
    return VFW_E_TYPE_NOT_ACCEPTED;
  }
  const AM_MEDIA_TYPE wire = WireType();
  const HRESULT result = receiver->ReceiveConnection(this, &wire);
  if (FAILED(result)) return result;
  peer_ = receiver;
  return S_OK;
}

HRESULT AnalogPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
  if (connector == nullptr || type == nullptr) return E_POINTER;
  if (direction_ != PINDIR_INPUT) return E_UNEXPECTED;
  const Lock hold(filter_.lock());
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  if (type->majortype != majorType_) return VFW_E_TYPE_NOT_ACCEPTED;
  peer_ = connector;
  return S_OK;
}

HRESULT AnalogPin::Disconnect() {
  const Lock hold(filter_.lock());
  if (!peer_) return S_FALSE;
  peer_.Reset();
  return S_OK;
}

HRESULT AnalogPin::ConnectedTo(IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  const Lock hold(filter_.lock());
  *pin = Microsoft::WRL::ComPtr<IPin>(peer_).Detach();
  return *pin != nullptr ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT AnalogPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  const Lock hold(filter_.lock());
  *type = AM_MEDIA_TYPE{};
  if (!peer_) return VFW_E_NOT_CONNECTED;
  *type = WireType();
  return S_OK;
}

HRESULT AnalogPin::QueryPinInfo(PIN_INFO* info) {
  if (info == nullptr) return E_POINTER;
  (void)::lstrcpynW(info->achName, name_.c_str(), MAX_PIN_NAME);
  info->dir = direction_;
  info->pFilter = &filter_;
  filter_.AddRef();
  return S_OK;
}

HRESULT AnalogPin::QueryDirection(PIN_DIRECTION* direction) {
  if (direction == nullptr) return E_POINTER;
  *direction = direction_;
  return S_OK;
}

HRESULT AnalogPin::QueryId(LPWSTR* id) {
  if (id == nullptr) return E_POINTER;
  const std::size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
  *id = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  if (*id == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*id, name_.c_str(), bytes);
  return S_OK;
}

HRESULT AnalogPin::QueryAccept(const AM_MEDIA_TYPE* type) {
  if (type == nullptr) return E_POINTER;
  return type->majortype == majorType_ ? S_OK : S_FALSE;
}

HRESULT AnalogPin::EnumMediaTypes(IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  *types = nullptr;
  return Guard([&] {
    std::vector<MediaType> list;
    list.emplace_back(WireType());
    return CreateMediaTypeEnumerator(std::move(list), types);
  });
}

HRESULT AnalogPin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

HRESULT AnalogPin::Set(REFGUID set, DWORD, void*, DWORD, void*, DWORD) {
  // The category can be read, not set.
  return set != AMPROPSETID_Pin ? kPropertySetUnsupported : kPropertyIdUnsupported;
}

HRESULT AnalogPin::Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD dataSize,
                       DWORD* returned) {
  if (set != AMPROPSETID_Pin) return kPropertySetUnsupported;
  if (id != AMPROPERTY_PIN_CATEGORY) return kPropertyIdUnsupported;
  if (data == nullptr && returned == nullptr) return E_POINTER;
  if (returned != nullptr) *returned = sizeof(GUID);
  if (data == nullptr) return S_OK;
  if (dataSize < sizeof(GUID)) return E_UNEXPECTED;
  std::memcpy(data, &category_, sizeof(GUID));
  return S_OK;
}

HRESULT AnalogPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
  if (set != AMPROPSETID_Pin) return kPropertySetUnsupported;
  if (id != AMPROPERTY_PIN_CATEGORY) return kPropertyIdUnsupported;
  if (support != nullptr) *support = kSupportGet;
  return S_OK;
}

}  // namespace kelpo::test_camera
