// The test camera's capture filter: a live source with one capture pin. The
// system device enumerator creates it and loads it from the instance's property
// bag, which names the instance whose control key it follows.
#pragma once

#include "common/win32.h"

#include <dshow.h>

#include <memory>
#include <ocidl.h>
#include <string>

#include "support/test_camera/analog_pin.h"
#include "support/test_camera/base_filter.h"
#include "support/test_camera/capture_pin.h"

namespace kelpo::test_camera {

class CameraFilter final : public BaseFilter,
                           public IPersistPropertyBag,
                           public IAMFilterMiscFlags,
                           public ISpecifyPropertyPages {
 public:
  // A new filter, with the interface asked for.
  static HRESULT Create(REFIID iid, void** out) noexcept;

  // IUnknown, for all four interfaces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IPersist (IBaseFilter's and IPersistPropertyBag's)
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;

  // IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

  // IAMFilterMiscFlags
  ULONG STDMETHODCALLTYPE GetMiscFlags() override;

  // ISpecifyPropertyPages
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

  // IBaseFilter: an analog card brings its crossbars and tuner into the graph
  // it joins and wires them to its analog input, as a card's driver has the
  // capture graph builder do on Windows.
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

 protected:
  IPin* PinAt(std::size_t index) override;
  HRESULT QueryExtraInterface(REFIID iid, void** out) override;
  HRESULT InitStream() override;
  HRESULT StartStream(REFERENCE_TIME start, IReferenceClock* clock) override;
  HRESULT StopStream() override;
  HRESULT CleanupStream() override;
  bool DeliversWhilePaused() override { return false; }

 private:
  CameraFilter();
  ~CameraFilter() override;

  // Adds the crossbars and the tuner the controls describe to the graph.
  void BuildCard(IFilterGraph& graph);

  CapturePin capturePin_;
  // The analog video input of a card (category PIN_CATEGORY_ANALOGVIDEOIN);
  // null for a webcam.
  std::unique_ptr<AnalogPin> analogPin_;
  DWORD pages_ = 0;
  // The registered instance this filter was bound as; empty for a filter
  // made directly, which then runs with default controls.
  std::wstring instance_;
};

}  // namespace kelpo::test_camera
