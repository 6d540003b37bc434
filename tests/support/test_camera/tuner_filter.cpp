#include "support/test_camera/tuner_filter.h"

#include "support/test_camera/property_page.h"

namespace kelpo::test_camera {

namespace {

// {8B2C7F3E-1A64-4D0F-B5E9-6C2D8A1F4E37}: not registered; the capture filter
// makes its tuner.
constexpr GUID kTunerClsid = {
    0x8b2c7f3e, 0x1a64, 0x4d0f, {0xb5, 0xe9, 0x6c, 0x2d, 0x8a, 0x1f, 0x4e, 0x37}};

}  // namespace

TunerFilter::TunerFilter(bool pages)
    : BaseFilter(kTunerClsid),
      output_(*this, L"Analog Video", PINDIR_OUTPUT, MEDIATYPE_AnalogVideo),
      pages_(pages) {}

TunerFilter::~TunerFilter() = default;

Microsoft::WRL::ComPtr<TunerFilter> TunerFilter::Create(bool pages) {
  Microsoft::WRL::ComPtr<TunerFilter> filter;
  filter.Attach(new TunerFilter(pages));
  return filter;
}

HRESULT TunerFilter::QueryInterface(REFIID iid, void** out) {
  return BaseFilter::QueryInterface(iid, out);
}

ULONG TunerFilter::AddRef() { return BaseFilter::AddRef(); }

ULONG TunerFilter::Release() { return BaseFilter::Release(); }

HRESULT TunerFilter::QueryExtraInterface(REFIID iid, void** out) {
  if (iid == IID_IAMTuner || iid == IID_IAMTVTuner) return Hand<IAMTVTuner>(this, out);
  if (iid == IID_ISpecifyPropertyPages && pages_) return Hand<ISpecifyPropertyPages>(this, out);
  return E_NOINTERFACE;
}

IPin* TunerFilter::PinAt(std::size_t index) { return index == 0 ? &output_ : nullptr; }

HRESULT TunerFilter::GetPages(CAUUID* pages) { return TestPages(pages); }

}  // namespace kelpo::test_camera
