#include "support/test_camera/crossbar_filter.h"

#include <cwchar>
#include <new>
#include <sstream>
#include <utility>

#include "support/test_camera/instance_controls.h"

namespace kelpo::test_camera {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// {0E6A5E21-7D8B-4C39-A8C2-3F51D9B47C10}: not registered; the filter is made
// by the capture filter that it feeds.
constexpr GUID kCrossbarClsid = {
    0x0e6a5e21, 0x7d8b, 0x4c39, {0xa8, 0xc2, 0x3f, 0x51, 0xd9, 0xb4, 0x7c, 0x10}};

constexpr long kFirstAudioType = PhysConn_Audio_Tuner;
constexpr long kNotRouted = -1;
constexpr long kNoRelatedPin = -1;

}  // namespace

std::vector<CrossbarInputSetup> ParseCrossbarInputs(const std::wstring& text) {
  std::vector<CrossbarInputSetup> inputs;
  std::wstringstream stream(text);
  std::wstring token;
  while (std::getline(stream, token, L',')) {
    const wchar_t* cursor = token.c_str();
    wchar_t* end = nullptr;
    CrossbarInputSetup input;
    input.physicalType = std::wcstol(cursor, &end, 10);
    if (end == cursor) continue;
    for (cursor = end; *cursor != L'\0'; ++cursor) {
      if (*cursor == L'!') input.routable = false;
      if (*cursor == L'@') input.upstream = true;
      if (*cursor == L'~') input.related = std::wcstol(cursor + 1, &end, 10);
    }
    inputs.push_back(input);
  }
  return inputs;
}

CrossbarFilter::CrossbarFilter(std::wstring instance, int depth,
                               std::vector<CrossbarInputSetup> inputs)
    : BaseFilter(kCrossbarClsid),
      instance_(std::move(instance)),
      depth_(depth),
      setups_(std::move(inputs)) {
  bool hasAudio = false;
  for (std::size_t i = 0; i < setups_.size(); ++i) {
    const bool audio = IsAudio(setups_[i].physicalType);
    hasAudio = hasAudio || audio;
    inputs_.push_back(
        std::make_unique<AnalogPin>(*this, L"Input " + std::to_wstring(i), PINDIR_INPUT,
                                    audio ? MEDIATYPE_AnalogAudio : MEDIATYPE_AnalogVideo));
  }
  // The video output and, for a card with sound, the sound output: each is
  // the other's related pin.
  outputSetups_.push_back({PhysConn_Video_VideoDecoder, hasAudio ? 1 : kNoRelatedPin});
  outputs_.push_back(
      std::make_unique<AnalogPin>(*this, L"Video Out", PINDIR_OUTPUT, MEDIATYPE_AnalogVideo));
  if (hasAudio) {
    outputSetups_.push_back({PhysConn_Audio_AudioDecoder, 0});
    outputs_.push_back(
        std::make_unique<AnalogPin>(*this, L"Audio Out", PINDIR_OUTPUT, MEDIATYPE_AnalogAudio));
  }
  routedTo_.assign(outputs_.size(), kNotRouted);
}

CrossbarFilter::~CrossbarFilter() = default;

Microsoft::WRL::ComPtr<CrossbarFilter> CrossbarFilter::Create(
    std::wstring instance, int depth, std::vector<CrossbarInputSetup> inputs) {
  Microsoft::WRL::ComPtr<CrossbarFilter> filter;
  // The new filter's first reference goes to the pointer.
  filter.Attach(new CrossbarFilter(std::move(instance), depth, std::move(inputs)));
  return filter;
}

HRESULT CrossbarFilter::QueryInterface(REFIID iid, void** out) {
  return BaseFilter::QueryInterface(iid, out);
}

ULONG CrossbarFilter::AddRef() { return BaseFilter::AddRef(); }

ULONG CrossbarFilter::Release() { return BaseFilter::Release(); }

HRESULT CrossbarFilter::QueryExtraInterface(REFIID iid, void** out) {
  if (iid == IID_IAMCrossbar) return Hand<IAMCrossbar>(this, out);
  return E_NOINTERFACE;
}

IPin* CrossbarFilter::PinAt(std::size_t index) {
  // Inputs first, then outputs, as crossbar drivers list them.
  if (index < inputs_.size()) return inputs_[index].get();
  index -= inputs_.size();
  return index < outputs_.size() ? outputs_[index].get() : nullptr;
}

AnalogPin* CrossbarFilter::Input(std::size_t index) {
  return index < inputs_.size() ? inputs_[index].get() : nullptr;
}

bool CrossbarFilter::IsAudio(long physicalType) const { return physicalType >= kFirstAudioType; }

HRESULT CrossbarFilter::get_PinCounts(LONG* outputs, LONG* inputs) {
  if (outputs == nullptr || inputs == nullptr) return E_POINTER;
  *outputs = static_cast<LONG>(outputs_.size());
  *inputs = static_cast<LONG>(inputs_.size());
  return S_OK;
}

HRESULT CrossbarFilter::CanRoute(LONG output, LONG input) {
  if (output < 0 || static_cast<std::size_t>(output) >= outputs_.size() || input < 0 ||
      static_cast<std::size_t>(input) >= inputs_.size()) {
    return E_INVALIDARG;
  }
  const CrossbarInputSetup& setup = setups_[static_cast<std::size_t>(input)];
  const bool sameKind = IsAudio(setup.physicalType) ==
                        IsAudio(outputSetups_[static_cast<std::size_t>(output)].physicalType);
  return setup.routable && sameKind ? S_OK : S_FALSE;
}

HRESULT CrossbarFilter::Route(LONG output, LONG input) {
  const HRESULT allowed = CanRoute(output, input);
  if (allowed != S_OK) return FAILED(allowed) ? allowed : E_INVALIDARG;
  return Guard([&] {
    const Lock hold(lock());
    routedTo_[static_cast<std::size_t>(output)] = input;
    AppendRouteLog(instance_, std::to_wstring(depth_) + L":" + std::to_wstring(output) + L"-" +
                                  std::to_wstring(input) + L";");
    return S_OK;
  });
}

HRESULT CrossbarFilter::get_IsRoutedTo(LONG output, LONG* input) {
  if (input == nullptr) return E_POINTER;
  if (output < 0 || static_cast<std::size_t>(output) >= outputs_.size()) return E_INVALIDARG;
  const Lock hold(lock());
  *input = routedTo_[static_cast<std::size_t>(output)];
  return S_OK;
}

HRESULT CrossbarFilter::get_CrossbarPinInfo(WINBOOL isInput, LONG index, LONG* related,
                                            LONG* type) {
  if (related == nullptr || type == nullptr) return E_POINTER;
  if (index < 0) return E_INVALIDARG;
  const auto position = static_cast<std::size_t>(index);
  if (isInput) {
    if (position >= setups_.size()) return E_INVALIDARG;
    *related = setups_[position].related;
    *type = setups_[position].physicalType;
  } else {
    if (position >= outputSetups_.size()) return E_INVALIDARG;
    *related = outputSetups_[position].related;
    *type = outputSetups_[position].physicalType;
  }
  return S_OK;
}

}  // namespace kelpo::test_camera
