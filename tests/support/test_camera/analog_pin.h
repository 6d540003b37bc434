// A pin that carries no samples: the analog video and audio wires between a
// card's tuner, its crossbars and its capture filter. It connects and tells
// what it is connected to, nothing more.
#pragma once

#include "common/win32.h"

#include <dshow.h>
#include <wrl/client.h>

#include <string>

#include "support/test_camera/base_filter.h"

namespace kelpo::test_camera {

class AnalogPin final : public IPin, public IKsPropertySet {
 public:
  // majorType: MEDIATYPE_AnalogVideo or MEDIATYPE_AnalogAudio. category: what
  // AMPROPERTY_PIN_CATEGORY reports; GUID_NULL for none.
  AnalogPin(BaseFilter& filter, std::wstring name, PIN_DIRECTION direction, const GUID& majorType,
            const GUID& category = GUID_NULL);
  AnalogPin(const AnalogPin&) = delete;
  AnalogPin& operator=(const AnalogPin&) = delete;
  ~AnalogPin();

  // IUnknown: shares the filter's reference count.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IPin
  HRESULT STDMETHODCALLTYPE Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
  HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
  HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
  HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* type) override;
  HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
  HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
  HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override {
    return S_OK;
  }

  // IKsPropertySet: the pin category only.
  HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instanceSize,
                                void* data, DWORD dataSize) override;
  HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instanceSize,
                                void* data, DWORD dataSize, DWORD* returned) override;
  HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

  bool IsConnected();

 private:
  AM_MEDIA_TYPE WireType() const;

  BaseFilter& filter_;
  const std::wstring name_;
  const PIN_DIRECTION direction_;
  const GUID majorType_;
  const GUID category_;
  Microsoft::WRL::ComPtr<IPin> peer_;
};

}  // namespace kelpo::test_camera
