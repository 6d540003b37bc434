// An output pin that connects the way DirectShow output pins do: it proposes its
// own media types first, then the receiving pin's, and after the receiving pin
// takes one it negotiates the allocator (the input pin's own, or a new memory
// allocator) through IMemInputPin. A concrete pin says which types it offers and
// accepts and how large its buffers are.
#pragma once

#include "common/win32.h"

#include <dshow.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "support/test_camera/base_filter.h"
#include "support/test_camera/media_type.h"

namespace kelpo::test_camera {

class OutputPin : public IPin {
 public:
  OutputPin(BaseFilter& filter, std::wstring name);
  OutputPin(const OutputPin&) = delete;
  OutputPin& operator=(const OutputPin&) = delete;
  virtual ~OutputPin();

  // IUnknown: a pin lives as long as its filter and shares its reference count.
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
  HRESULT STDMETHODCALLTYPE EndOfStream() override;
  HRESULT STDMETHODCALLTYPE BeginFlush() override;
  HRESULT STDMETHODCALLTYPE EndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;

  // What a streaming thread needs of the connection, taken under the filter
  // lock when streaming starts.
  struct Connection {
    Microsoft::WRL::ComPtr<IPin> peer;
    Microsoft::WRL::ComPtr<IMemInputPin> input;
    Microsoft::WRL::ComPtr<IMemAllocator> allocator;
    MediaType type;
  };
  // Empty members when the pin is not connected. Under the filter lock.
  Connection connection() const;

 protected:
  BaseFilter& filter() { return filter_; }
  bool IsConnected() const { return peer_ != nullptr; }
  const MediaType& connectedType() const { return type_; }

  // The types the pin offers, most preferred first.
  virtual std::vector<MediaType> OfferedTypes() = 0;
  // Whether the pin can stream this type now.
  virtual bool Accepts(const AM_MEDIA_TYPE& type) = 0;
  // Sets the allocator's properties for the connected type, given what the
  // input pin asked for (all zero when it asked for nothing).
  virtual HRESULT DecideBufferSize(IMemAllocator& allocator,
                                   const ALLOCATOR_PROPERTIES& request) = 0;
  // Interfaces of the concrete pin beyond IPin.
  virtual HRESULT QueryExtraInterface(REFIID iid, void** out);

 private:
  HRESULT TryConnection(IPin* receiver, const AM_MEDIA_TYPE& type);
  HRESULT DecideAllocator(IMemInputPin& input);
  void ClearConnection();

  BaseFilter& filter_;
  const std::wstring name_;
  Microsoft::WRL::ComPtr<IPin> peer_;
  Microsoft::WRL::ComPtr<IMemInputPin> input_;
  Microsoft::WRL::ComPtr<IMemAllocator> allocator_;
  MediaType type_;
};

}  // namespace kelpo::test_camera
