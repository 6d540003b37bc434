// A capture card's TV tuner: an analog video output feeding a crossbar's tuner
// input, IAMTVTuner (which does nothing here) and, when asked, the test
// property page.
#pragma once

#include "common/win32.h"

#include <dshow.h>
#include <ocidl.h>

#include "support/test_camera/analog_pin.h"
#include "support/test_camera/base_filter.h"

namespace kelpo::test_camera {

class TunerFilter final : public BaseFilter, public IAMTVTuner, public ISpecifyPropertyPages {
 public:
  static Microsoft::WRL::ComPtr<TunerFilter> Create(bool pages);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IAMTuner
  HRESULT STDMETHODCALLTYPE put_Channel(LONG, LONG, LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Channel(LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ChannelMinMax(LONG*, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_CountryCode(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_CountryCode(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_TuningSpace(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TuningSpace(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Logon(HANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Logout() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SignalPresent(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Mode(AMTunerModeType) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Mode(AMTunerModeType*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAvailableModes(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterNotificationCallBack(IAMTunerNotification*, LONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnRegisterNotificationCallBack(IAMTunerNotification*) override {
    return E_NOTIMPL;
  }

  // IAMTVTuner
  HRESULT STDMETHODCALLTYPE get_AvailableTVFormats(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TVFormat(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AutoTune(LONG, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE StoreAutoTune() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_NumInputConnections(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_InputType(LONG, TunerInputType) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_InputType(LONG, TunerInputType*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_ConnectInput(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ConnectInput(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_VideoFrequency(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_AudioFrequency(LONG*) override { return E_NOTIMPL; }

  // ISpecifyPropertyPages
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

  AnalogPin& Output() { return output_; }

 protected:
  IPin* PinAt(std::size_t index) override;
  HRESULT QueryExtraInterface(REFIID iid, void** out) override;

 private:
  explicit TunerFilter(bool pages);
  ~TunerFilter() override;

  AnalogPin output_;
  const bool pages_;
};

}  // namespace kelpo::test_camera
