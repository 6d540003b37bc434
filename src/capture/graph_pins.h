// Finding a filter's pins: by direction and position, or by pin category.
#pragma once

#include "capture/directshow.h"

#include <vector>

namespace kelpo {

// The index-th pin (from 0) of the filter whose direction is `direction`, or
// null.
Microsoft::WRL::ComPtr<IPin> FindPin(IBaseFilter& filter, PIN_DIRECTION direction, unsigned index);

// The first pin of that direction whose pin category is `category`, or null.
Microsoft::WRL::ComPtr<IPin> FindPinByCategory(IBaseFilter& filter, PIN_DIRECTION direction,
                                               const GUID& category);

// Takes every filter downstream of `filter` out of the graph, depth first.
// Filters upstream (a card's crossbars) stay.
void RemoveDownstream(IFilterGraph& graph, IBaseFilter& filter);

// Whether the pin is connected to another.
bool IsConnected(IPin& pin);

// The filters in the graph now.
std::vector<Microsoft::WRL::ComPtr<IBaseFilter>> GraphFilters(IFilterGraph& graph);

// Takes out of the graph every filter that is not in `kept` and has no
// connected pin: what a failed render added and left standing.
void RemoveUnconnectedFilters(IFilterGraph& graph,
                              const std::vector<Microsoft::WRL::ComPtr<IBaseFilter>>& kept);

// The graph's video renderer (the filter with a video window) whose input is
// connected; null when there is none.
Microsoft::WRL::ComPtr<IBaseFilter> ConnectedVideoRenderer(IFilterGraph& graph);

// The pin's category (AMPROPERTY_PIN_CATEGORY); E_FAIL when it has none.
HRESULT GetPinCategory(IPin& pin, GUID& category);

}  // namespace kelpo
