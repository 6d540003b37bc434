#include "support/test_camera/camera_filter.h"

#include <oleauto.h>

#include <new>

#include "support/test_camera/crossbar_filter.h"
#include "support/test_camera/instance_controls.h"
#include "support/test_camera/property_page.h"
#include "support/test_camera/tuner_filter.h"
#include "support/test_camera/test_camera.h"

namespace kelpo::test_camera {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

constexpr wchar_t kCapturePinName[] = L"Capture";
constexpr wchar_t kAnalogPinName[] = L"Analog Video In";

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
  if (iid == IID_ISpecifyPropertyPages && (pages_ & kPagesFilter) != 0) {
    return Hand<ISpecifyPropertyPages>(this, out);
  }
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
    const InstanceControls controls = ReadInstanceControls(instance);
    if (FAILED(controls.refuseBind)) return controls.refuseBind;
    const Lock hold(lock());
    instance_ = std::move(instance);
    pages_ = controls.pages;
    capturePin_.SetControls(controls.pages, controls.extraFormats, controls.formats);
    if (controls.analogInput && !analogPin_) {
      analogPin_ = std::make_unique<AnalogPin>(*this, kAnalogPinName, PINDIR_INPUT,
                                               MEDIATYPE_AnalogVideo, PIN_CATEGORY_ANALOGVIDEOIN);
    }
    return S_OK;
  });
}

HRESULT CameraFilter::Save(IPropertyBag*, BOOL, BOOL) { return E_NOTIMPL; }

ULONG CameraFilter::GetMiscFlags() { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

IPin* CameraFilter::PinAt(std::size_t index) {
  if (index == 0) return &capturePin_;
  return index == 1 ? analogPin_.get() : nullptr;
}

HRESULT CameraFilter::GetPages(CAUUID* pages) { return TestPages(pages); }

HRESULT CameraFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  const HRESULT result = BaseFilter::JoinFilterGraph(graph, name);
  if (FAILED(result) || graph == nullptr || !analogPin_ || analogPin_->IsConnected()) {
    return result;
  }
  return Guard([&] {
    BuildCard(*graph);
    return result;
  });
}

void CameraFilter::BuildCard(IFilterGraph& graph) {
  const InstanceControls controls = ReadInstanceControls(instance_);
  std::vector<CrossbarInputSetup> inputs = ParseCrossbarInputs(controls.crossbar);
  if (inputs.empty()) return;
  const auto first = CrossbarFilter::Create(instance_, 0, std::move(inputs));
  (void)graph.AddFilter(first.Get(), L"Crossbar");
  (void)first->VideoOutput().Connect(analogPin_.get(), nullptr);

  Microsoft::WRL::ComPtr<CrossbarFilter> second;
  const std::vector<CrossbarInputSetup> upstream = ParseCrossbarInputs(controls.upstreamCrossbar);
  for (std::size_t i = 0; i < first->InputSetups().size() && !upstream.empty(); ++i) {
    if (!first->InputSetups()[i].upstream) continue;
    second = CrossbarFilter::Create(instance_, 1, upstream);
    (void)graph.AddFilter(second.Get(), L"Crossbar 2");
    (void)second->VideoOutput().Connect(first->Input(i), nullptr);
    break;
  }

  if (!controls.tuner) return;
  CrossbarFilter& fed = second ? *second.Get() : *first.Get();
  for (std::size_t i = 0; i < fed.InputSetups().size(); ++i) {
    if (fed.InputSetups()[i].physicalType != PhysConn_Video_Tuner) continue;
    const auto tuner = TunerFilter::Create((controls.pages & kPagesTuner) != 0);
    (void)graph.AddFilter(tuner.Get(), L"TV Tuner");
    (void)tuner->Output().Connect(fed.Input(i), nullptr);
    break;
  }
}

HRESULT CameraFilter::InitStream() {
  const HRESULT refused = ReadInstanceControls(instance_).failRun;
  if (FAILED(refused)) return refused;
  return capturePin_.InitStream(instance_);
}

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
