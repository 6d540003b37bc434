#include "capture/graph_pins.h"

#include <algorithm>

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

bool IsConnected(IPin& pin) {
  ComPtr<IPin> connected;
  return pin.ConnectedTo(&connected) == S_OK && connected;
}

std::vector<ComPtr<IBaseFilter>> GraphFilters(IFilterGraph& graph) {
  std::vector<ComPtr<IBaseFilter>> filters;
  ComPtr<IEnumFilters> all;
  if (FAILED(graph.EnumFilters(&all)) || !all) return filters;
  ComPtr<IBaseFilter> filter;
  while (all->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) filters.push_back(filter);
  return filters;
}

void RemoveUnconnectedFilters(IFilterGraph& graph, const std::vector<ComPtr<IBaseFilter>>& kept) {
  // Collected first: removing a filter while enumerating invalidates the
  // enumeration.
  for (const ComPtr<IBaseFilter>& filter : GraphFilters(graph)) {
    if (std::find(kept.begin(), kept.end(), filter) != kept.end()) continue;
    bool connected = false;
    for (unsigned i = 0; !connected; ++i) {
      const ComPtr<IPin> input = FindPin(*filter.Get(), PINDIR_INPUT, i);
      const ComPtr<IPin> output = FindPin(*filter.Get(), PINDIR_OUTPUT, i);
      if (!input && !output) break;
      connected = (input && IsConnected(*input.Get())) || (output && IsConnected(*output.Get()));
    }
    if (!connected) (void)graph.RemoveFilter(filter.Get());
  }
}

ComPtr<IBaseFilter> ConnectedVideoRenderer(IFilterGraph& graph) {
  for (const ComPtr<IBaseFilter>& filter : GraphFilters(graph)) {
    if (!QueryByIid<IVideoWindow>(filter.Get(), IID_IVideoWindow)) continue;
    const ComPtr<IPin> input = FindPin(*filter.Get(), PINDIR_INPUT, 0);
    if (input && IsConnected(*input.Get())) return filter;
  }
  return nullptr;
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
