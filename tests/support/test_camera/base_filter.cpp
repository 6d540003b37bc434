#include "support/test_camera/base_filter.h"

#include <cwchar>
#include <new>
#include <utility>
#include <vector>

namespace kelpo::test_camera {

using Microsoft::WRL::ComPtr;

namespace {

// The filter's pins as they were when the enumerator was made; a filter's pin
// list does not change.
class PinEnumerator final : public IEnumPins {
 public:
  PinEnumerator(std::vector<ComPtr<IPin>> pins, std::size_t position)
      : pins_(std::move(pins)), position_(position) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IEnumPins) return Hand<IEnumPins>(this, out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = references_.Remove();
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override {
    if (pins == nullptr || (count != 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    while (done < count && position_ < pins_.size()) {
      pins_[position_].CopyTo(&pins[done]);
      ++done;
      ++position_;
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = pins_.size() - position_;
    if (count > left) {
      position_ = pins_.size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumPins** out) override {
    if (out == nullptr) return E_POINTER;
    return Guard([&] {
      *out = new PinEnumerator(pins_, position_);
      return S_OK;
    });
  }

 private:
  ModuleReference module_;
  RefCount references_;
  std::vector<ComPtr<IPin>> pins_;
  std::size_t position_;
};

}  // namespace

BaseFilter::BaseFilter(const CLSID& clsid) : clsid_(clsid) {}

BaseFilter::~BaseFilter() = default;

HRESULT BaseFilter::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter ||
      iid == IID_IBaseFilter) {
    return Hand<IBaseFilter>(this, out);
  }
  *out = nullptr;
  return QueryExtraInterface(iid, out);
}

ULONG BaseFilter::AddRef() { return references_.Add(); }

ULONG BaseFilter::Release() {
  const ULONG left = references_.Remove();
  if (left == 0) delete this;
  return left;
}

HRESULT BaseFilter::QueryExtraInterface(REFIID, void**) { return E_NOINTERFACE; }

HRESULT BaseFilter::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT BaseFilter::Stop() {
  const std::lock_guard<std::recursive_mutex> hold(lock_);
  HRESULT result = S_OK;
  if (state_ == State_Running) result = StopStream();
  if (state_ != State_Stopped) {
    const HRESULT cleanup = CleanupStream();
    if (SUCCEEDED(result)) result = cleanup;
  }
  state_ = State_Stopped;
  return result;
}

HRESULT BaseFilter::Pause() {
  const std::lock_guard<std::recursive_mutex> hold(lock_);
  HRESULT result = S_OK;
  if (state_ == State_Stopped) {
    result = InitStream();
  } else if (state_ == State_Running) {
    result = StopStream();
  }
  if (SUCCEEDED(result)) state_ = State_Paused;
  return result;
}

HRESULT BaseFilter::Run(REFERENCE_TIME start) {
  const std::lock_guard<std::recursive_mutex> hold(lock_);
  if (state_ == State_Running) return S_OK;
  if (state_ == State_Stopped) {
    const HRESULT paused = Pause();
    if (FAILED(paused)) return paused;
  }
  const HRESULT result = StartStream(start, clock_.Get());
  if (SUCCEEDED(result)) state_ = State_Running;
  return result;
}

HRESULT BaseFilter::GetState(DWORD, FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  const std::lock_guard<std::recursive_mutex> hold(lock_);
  *state = state_;
  return state_ == State_Paused && !DeliversWhilePaused() ? VFW_S_CANT_CUE : S_OK;
}

HRESULT BaseFilter::SetSyncSource(IReferenceClock* clock) {
  const std::lock_guard<std::recursive_mutex> hold(lock_);
  clock_ = clock;
  return S_OK;
}

HRESULT BaseFilter::GetSyncSource(IReferenceClock** clock) {
  if (clock == nullptr) return E_POINTER;
  const std::lock_guard<std::recursive_mutex> hold(lock_);
  *clock = ComPtr<IReferenceClock>(clock_).Detach();
  return S_OK;
}

FILTER_STATE BaseFilter::state() {
  const std::lock_guard<std::recursive_mutex> hold(lock_);
  return state_;
}

HRESULT BaseFilter::EnumPins(IEnumPins** pins) {
  if (pins == nullptr) return E_POINTER;
  *pins = nullptr;
  return Guard([&] {
    std::vector<ComPtr<IPin>> list;
    for (std::size_t i = 0; IPin* pin = PinAt(i); ++i) list.emplace_back(pin);
    *pins = new PinEnumerator(std::move(list), 0);
    return S_OK;
  });
}

HRESULT BaseFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (id == nullptr || pin == nullptr) return E_POINTER;
  *pin = nullptr;
  for (std::size_t i = 0; IPin* candidate = PinAt(i); ++i) {
    LPWSTR candidateId = nullptr;
    if (FAILED(candidate->QueryId(&candidateId))) continue;
    const bool same = std::wcscmp(candidateId, id) == 0;
    ::CoTaskMemFree(candidateId);
    if (same) {
      *pin = candidate;
      candidate->AddRef();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT BaseFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (info == nullptr) return E_POINTER;
  const std::lock_guard<std::mutex> hold(graphLock_);
  (void)::lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
  info->pGraph = graph_;
  if (graph_ != nullptr) graph_->AddRef();
  return S_OK;
}

HRESULT BaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  return Guard([&] {
    std::wstring newName = name != nullptr ? name : L"";
    const std::lock_guard<std::mutex> hold(graphLock_);
    graph_ = graph;
    name_ = std::move(newName);
    return S_OK;
  });
}

HRESULT BaseFilter::QueryVendorInfo(LPWSTR* info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

IFilterGraph* BaseFilter::graph() {
  const std::lock_guard<std::mutex> hold(graphLock_);
  return graph_;
}

void BaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
  ComPtr<IMediaEventSink> sink;
  {
    const std::lock_guard<std::mutex> hold(graphLock_);
    if (graph_ == nullptr || FAILED(graph_->QueryInterface(IID_PPV_ARGS(&sink)))) return;
  }
  (void)sink->Notify(code, param1, param2);
}

}  // namespace kelpo::test_camera
