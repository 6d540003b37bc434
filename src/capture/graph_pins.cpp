#include "capture/graph_pins.h"

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// Calls `visit` for each pin of that direction until it returns true; returns
// that pin.
template <typename Visit>
ComPtr<IPin> FindPinWhere(IBaseFilter& filter, PIN_DIRECTION direction, const Visit& visit) {
  ComPtr<IEnumPins> pins;
  if (FAILED(filter.EnumPins(&pins)) || !pins) return nullptr;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
    PIN_DIRECTION pinDirection{};
    if (SUCCEEDED(pin->QueryDirection(&pinDirection)) && pinDirection == direction &&
        visit(*pin.Get())) {
      return pin;
    }
  }
  return nullptr;
}

}  // namespace

ComPtr<IPin> FindPin(IBaseFilter& filter, PIN_DIRECTION direction, unsigned index) {
  unsigned seen = 0;
  return FindPinWhere(filter, direction, [&](IPin&) { return seen++ == index; });
}

ComPtr<IPin> FindPinByCategory(IBaseFilter& filter, PIN_DIRECTION direction, const GUID& category) {
  return FindPinWhere(filter, direction, [&](IPin& pin) {
    GUID pinCategory{};
    return SUCCEEDED(GetPinCategory(pin, pinCategory)) && pinCategory == category;
  });
}

namespace {

// How deep RemoveDownstream follows a chain. A capture graph is a handful of
// filters deep (tee, converter, grabber, renderer); the bound keeps a graph
// whose connections lead back upstream from recursing without end.
constexpr int kMaxDownstreamDepth = 32;

void RemoveDownstreamFrom(IFilterGraph& graph, IBaseFilter& filter, int depth) {
  if (depth >= kMaxDownstreamDepth) return;
  ComPtr<IEnumPins> pins;
  if (FAILED(filter.EnumPins(&pins)) || !pins) return;
  (void)pins->Reset();
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
    ComPtr<IPin> connected;
    if (pin->ConnectedTo(&connected) != S_OK || !connected) continue;
    PIN_INFO info{};
    if (FAILED(connected->QueryPinInfo(&info))) continue;
    ComPtr<IBaseFilter> downstream;
    downstream.Attach(info.pFilter);
    if (info.dir != PINDIR_INPUT || !downstream) continue;
    RemoveDownstreamFrom(graph, *downstream.Get(), depth + 1);
    (void)graph.Disconnect(connected.Get());
    (void)graph.Disconnect(pin.Get());
    (void)graph.RemoveFilter(downstream.Get());
  }
}

}  // namespace

void RemoveDownstream(IFilterGraph& graph, IBaseFilter& filter) {
  RemoveDownstreamFrom(graph, filter, 0);
}

HRESULT GetPinCategory(IPin& pin, GUID& category) {
  ComPtr<IKsPropertySet> properties;
  if (FAILED(pin.QueryInterface(IID_PPV_ARGS(&properties)))) return E_FAIL;
  DWORD returned = 0;
  if (FAILED(properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category,
                             sizeof(category), &returned))) {
    return E_FAIL;
  }
  return S_OK;
}

}  // namespace kelpo
