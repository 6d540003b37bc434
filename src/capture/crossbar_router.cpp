#include "capture/crossbar_router.h"

#include "capture/graph_pins.h"

namespace kelpo {

namespace {

using Microsoft::WRL::ComPtr;

// The crossbars met on the way, each with its pins in IAMCrossbar numbering:
// a crossbar lists its inputs first, then its outputs.
class GraphCrossbarWalk final : public CrossbarWalk {
 public:
  explicit GraphCrossbarWalk(IPin* startPin) : startPin_(startPin) {}

  Link UpstreamOf(std::size_t crossbar, long input, Upstream& upstream) override {
    IPin* pin = startPin_;
    if (crossbar != kStartPin) {
      const auto& inputs = entries_[crossbar].inputs;
      if (input < 0 || static_cast<std::size_t>(input) >= inputs.size()) return Link::kNone;
      pin = inputs[static_cast<std::size_t>(input)].Get();
    }
    ComPtr<IPin> connected;
    if (pin == nullptr || pin->ConnectedTo(&connected) != S_OK || !connected) return Link::kNone;
    PIN_INFO info{};
    if (connected->QueryPinInfo(&info) != S_OK) return Link::kOther;
    ComPtr<IBaseFilter> filter;
    filter.Attach(info.pFilter);
    ComPtr<IAMCrossbar> bar;
    if (!filter || FAILED(filter.As(&bar))) return Link::kOther;
    const std::optional<std::size_t> number = Enter(*filter.Get(), bar);
    if (!number) return Link::kOther;
    const auto& outputs = entries_[*number].outputs;
    for (std::size_t j = 0; j < outputs.size(); ++j) {
      if (outputs[j].Get() == connected.Get()) {
        upstream.crossbar = *number;
        upstream.output = static_cast<long>(j);
        return Link::kCrossbar;
      }
    }
    return Link::kOther;
  }

  long InputCount(std::size_t crossbar) override {
    return static_cast<long>(entries_[crossbar].inputs.size());
  }

  std::optional<CrossbarPinInfo> PinInfo(std::size_t crossbar, bool input, long index) override {
    CrossbarPinInfo info;
    if (FAILED(entries_[crossbar].crossbar->get_CrossbarPinInfo(
            input ? TRUE : FALSE, index, &info.related, &info.physicalType))) {
      return std::nullopt;
    }
    return info;
  }

  bool CanRoute(std::size_t crossbar, long output, long input) override {
    return entries_[crossbar].crossbar->CanRoute(output, input) == S_OK;
  }

  std::vector<ComPtr<IAMCrossbar>> Crossbars() const {
    std::vector<ComPtr<IAMCrossbar>> crossbars;
    for (const Entry& entry : entries_) crossbars.push_back(entry.crossbar);
    return crossbars;
  }

 private:
  struct Entry {
    ComPtr<IBaseFilter> filter;
    ComPtr<IAMCrossbar> crossbar;
    std::vector<ComPtr<IPin>> inputs;
    std::vector<ComPtr<IPin>> outputs;
  };

  // The crossbar's number, numbering it when it is new; nothing when its pins
  // do not add up to its counts.
  std::optional<std::size_t> Enter(IBaseFilter& filter, const ComPtr<IAMCrossbar>& crossbar) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].filter.Get() == &filter) return i;
    }
    long outputCount = 0;
    long inputCount = 0;
    if (FAILED(crossbar->get_PinCounts(&outputCount, &inputCount)) || outputCount < 0 ||
        inputCount < 0) {
      return std::nullopt;
    }
    Entry entry{&filter, crossbar, {}, {}};
    ComPtr<IEnumPins> pins;
    if (FAILED(filter.EnumPins(&pins)) || !pins) return std::nullopt;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
      if (entry.inputs.size() < static_cast<std::size_t>(inputCount)) {
        entry.inputs.push_back(pin);
      } else if (entry.outputs.size() < static_cast<std::size_t>(outputCount)) {
        entry.outputs.push_back(pin);
      }
    }
    if (entry.outputs.size() != static_cast<std::size_t>(outputCount)) return std::nullopt;
    entries_.push_back(std::move(entry));
    return entries_.size() - 1;
  }

  IPin* startPin_;
  std::vector<Entry> entries_;
};

}  // namespace

CrossbarRouter::CrossbarRouter(IPin* startPin) {
  if (startPin == nullptr) return;
  GraphCrossbarWalk walk(startPin);
  routes_ = FindCrossbarRoutes(walk);
  crossbars_ = walk.Crossbars();
}

std::optional<long> CrossbarRouter::InputType(int index) const {
  if (index < 0 || index >= InputCount()) return std::nullopt;
  return routes_[static_cast<std::size_t>(index)].front().inputType;
}

std::wstring CrossbarRouter::InputName(int index) const {
  const std::optional<long> type = InputType(index);
  return type ? ConnectorTypeName(*type) : std::wstring();
}

HRESULT CrossbarRouter::SelectInput(int index) {
  if (index < 0 || index >= InputCount()) return E_FAIL;
  HRESULT result = S_OK;
  for (const CrossbarHop& hop : routes_[static_cast<std::size_t>(index)]) {
    IAMCrossbar& crossbar = *crossbars_[hop.crossbar].Get();
    result = crossbar.Route(hop.videoOutput, hop.videoInput);
    // The sound follows the picture.
    if (hop.audioOutput != kNoPin && hop.audioInput != kNoPin) {
      (void)crossbar.Route(hop.audioOutput, hop.audioInput);
    }
  }
  selected_ = index;
  return result;
}

std::vector<VideoInput> CrossbarRouter::Inputs() const {
  std::vector<VideoInput> inputs;
  for (int i = 0; i < InputCount(); ++i) {
    inputs.push_back(VideoInput{i, *InputType(i), InputName(i)});
  }
  return inputs;
}

std::vector<VideoInput> VideoInputsOf(IBaseFilter& captureFilter) {
  const ComPtr<IPin> analog =
      FindPinByCategory(captureFilter, PINDIR_INPUT, PIN_CATEGORY_ANALOGVIDEOIN);
  return CrossbarRouter(analog.Get()).Inputs();
}

void RouteVideoInput(IBaseFilter& captureFilter, int index) {
  const ComPtr<IPin> analog =
      FindPinByCategory(captureFilter, PINDIR_INPUT, PIN_CATEGORY_ANALOGVIDEOIN);
  if (!analog) return;
  (void)CrossbarRouter(analog.Get()).SelectInput(index);
}

}  // namespace kelpo
