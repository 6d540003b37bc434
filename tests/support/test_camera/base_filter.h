// What every DirectShow filter does the same way: identity, the state machine
// (stopped, paused, running), the reference clock, membership of a filter graph,
// and the pin list. A concrete filter supplies its pins and what happens to its
// streams at each state change.
#pragma once

#include "common/win32.h"

#include <dshow.h>
#include <wrl/client.h>

#include <mutex>
#include <string>

#include "support/test_camera/com_support.h"

namespace kelpo::test_camera {

class BaseFilter : public IBaseFilter {
 public:
  explicit BaseFilter(const CLSID& clsid);
  BaseFilter(const BaseFilter&) = delete;
  BaseFilter& operator=(const BaseFilter&) = delete;
  virtual ~BaseFilter();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IPersist
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;

  // IMediaFilter
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
  HRESULT STDMETHODCALLTYPE GetState(DWORD milliseconds, FILTER_STATE* state) override;
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;

  // IBaseFilter
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
  HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

  // The filter lock: state, clock and connections change under it. The
  // streaming threads never take it, so a state change may wait for them.
  std::recursive_mutex& lock() { return lock_; }
  FILTER_STATE state();

  // The graph the filter is in, without a reference (a filter must not hold
  // one: the graph holds the filter), or null.
  IFilterGraph* graph();

  // Passes an event to the graph's IMediaEventSink; nothing outside a graph.
  void NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);

 protected:
  // The pins, by index; null past the last.
  virtual IPin* PinAt(std::size_t index) = 0;
  // Interfaces of the concrete filter beyond IBaseFilter's.
  virtual HRESULT QueryExtraInterface(REFIID iid, void** out);

  // State changes, called under the lock: stopped to paused, paused to
  // running, running to paused, paused to stopped.
  virtual HRESULT InitStream() { return S_OK; }
  virtual HRESULT StartStream(REFERENCE_TIME start, IReferenceClock* clock) {
    (void)start;
    (void)clock;
    return S_OK;
  }
  virtual HRESULT StopStream() { return S_OK; }
  virtual HRESULT CleanupStream() { return S_OK; }
  // A live source delivers nothing while paused; its GetState says so.
  virtual bool DeliversWhilePaused() { return true; }

 private:
  ModuleReference module_;
  RefCount references_;
  const CLSID clsid_;
  std::recursive_mutex lock_;
  FILTER_STATE state_ = State_Stopped;
  Microsoft::WRL::ComPtr<IReferenceClock> clock_;

  // The graph and the name it gave; a lock of their own, as streaming threads
  // send events.
  std::mutex graphLock_;
  IFilterGraph* graph_ = nullptr;
  std::wstring name_;
};

}  // namespace kelpo::test_camera
