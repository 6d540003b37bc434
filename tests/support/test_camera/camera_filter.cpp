#include "support/test_camera/camera_filter.h"

#include <oleauto.h>

#include <new>

#include "support/test_camera/instance_controls.h"
#include "support/test_camera/test_camera.h"

namespace kelpo::test_camera {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr wchar_t kCapturePinName[] = L"Capture";

// Owns a VARIANT read from a property bag.
struct Variant {
  VARIANT value;
  Variant() { ::VariantInit(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { (void)::VariantClear(&value); }
};

}  // namespace

CameraFilter::CameraFilter()
    : BaseFilter(kClsid), capturePin_(*this, kCapturePinName, PIN_CATEGORY_CAPTURE) {}

CameraFilter::~CameraFilter() = default;

HRESULT CameraFilter::Create(REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  auto* filter = new (std::nothrow) CameraFilter();
  if (filter == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = filter->QueryInterface(iid, out);
  filter->Release();
  return result;
}

HRESULT CameraFilter::QueryInterface(REFIID iid, void** out) {
  return BaseFilter::QueryInterface(iid, out);
}

ULONG CameraFilter::AddRef() { return BaseFilter::AddRef(); }

ULONG CameraFilter::Release() { return BaseFilter::Release(); }

HRESULT CameraFilter::GetClassID(CLSID* clsid) { return BaseFilter::GetClassID(clsid); }

HRESULT CameraFilter::QueryExtraInterface(REFIID iid, void** out) {
  if (iid == IID_IPersistPropertyBag) return Hand<IPersistPropertyBag>(this, out);
  if (iid == IID_IAMFilterMiscFlags) return Hand<IAMFilterMiscFlags>(this, out);
  return E_NOINTERFACE;
}

HRESULT CameraFilter::InitNew() { return S_OK; }

HRESULT CameraFilter::Load(IPropertyBag* bag, IErrorLog* log) {
  if (bag == nullptr) return E_POINTER;
  Variant name;
  name.value.vt = VT_BSTR;
  const HRESULT read = bag->Read(kInstanceProperty, &name.value, log);
  if (FAILED(read)) return read;
  if (name.value.vt != VT_BSTR || name.value.bstrVal == nullptr) return E_INVALIDARG;
  return Guard([&] {
    std::wstring instance(name.value.bstrVal, ::SysStringLen(name.value.bstrVal));
    // A camera in use elsewhere cannot be opened.
    const HRESULT refusal = ReadInstanceControls(instance).refuseBind;
    if (FAILED(refusal)) return refusal;
    const Lock hold(lock());
    instance_ = std::move(instance);
    return S_OK;
  });
}

HRESULT CameraFilter::Save(IPropertyBag*, BOOL, BOOL) { return E_NOTIMPL; }

ULONG CameraFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

IPin* CameraFilter::PinAt(std::size_t index) {
  return index == 0 ? static_cast<IPin*>(&capturePin_) : nullptr;
}

HRESULT CameraFilter::InitStream() { return capturePin_.InitStream(instance_); }

HRESULT CameraFilter::StartStream(REFERENCE_TIME start, IReferenceClock* clock) {
  capturePin_.StartStream(start, clock);
  return S_OK;
}

HRESULT CameraFilter::StopStream() {
  capturePin_.StopStream();
  return S_OK;
}

HRESULT CameraFilter::CleanupStream() {
  capturePin_.CleanupStream();
  return S_OK;
}

}  // namespace kelpo::test_camera
