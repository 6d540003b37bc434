// The camera's video output pin: its category (IKsPropertySet, AMPROPSETID_Pin),
// its formats (IAMStreamConfig) and its streaming thread.
#pragma once

#include "common/win32.h"

#include <dshow.h>
#include <ocidl.h>

#include <optional>
#include <string>
#include <vector>

#include "support/test_camera/frame_streamer.h"
#include "support/test_camera/output_pin.h"
#include "support/test_camera/stream_formats.h"

namespace kelpo::test_camera {

class CapturePin : public OutputPin,
                   public IAMStreamConfig,
                   public IKsPropertySet,
                   public ISpecifyPropertyPages {
 public:
  // category: what AMPROPERTY_PIN_CATEGORY reports, e.g. PIN_CATEGORY_CAPTURE.
  CapturePin(BaseFilter& filter, std::wstring name, const GUID& category);

  // The instance's controls that shape the pin: which objects offer the test
  // page, its capabilities and which extra ones it has (test_camera.h). Before
  // the pin connects.
  void SetControls(DWORD pages, DWORD extraFormats, const std::wstring& formats);

  // IUnknown, for all four interfaces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IAMStreamConfig
  HRESULT STDMETHODCALLTYPE SetFormat(AM_MEDIA_TYPE* type) override;
  HRESULT STDMETHODCALLTYPE GetFormat(AM_MEDIA_TYPE** type) override;
  HRESULT STDMETHODCALLTYPE GetNumberOfCapabilities(int* count, int* size) override;
  HRESULT STDMETHODCALLTYPE GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

  // IKsPropertySet
  HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instanceSize,
                                void* data, DWORD dataSize) override;
  HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instanceSize,
                                void* data, DWORD dataSize, DWORD* returned) override;
  HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

  // ISpecifyPropertyPages
  HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

  // The filter's state changes, under the filter lock. instance names the
  // control key the stream follows.
  HRESULT InitStream(const std::wstring& instance);
  void StartStream(REFERENCE_TIME start, IReferenceClock* clock);
  void StopStream();
  void CleanupStream();

 protected:
  std::vector<MediaType> OfferedTypes() override;
  bool Accepts(const AM_MEDIA_TYPE& type) override;
  HRESULT DecideBufferSize(IMemAllocator& allocator, const ALLOCATOR_PROPERTIES& request) override;
  HRESULT QueryExtraInterface(REFIID iid, void** out) override;

 private:
  // The type the pin streams or will connect with: the connection's, the one
  // set through SetFormat, or the first capability.
  MediaType CurrentType();

  const GUID category_;
  // Set by SetFormat: then the only type the pin offers and accepts.
  std::optional<MediaType> chosen_;
  DWORD pages_ = 0;
  std::vector<CameraFormat> formats_ = CameraFormats(L"");
  std::vector<ExtraCapability> extras_;
  bool streaming_ = false;
  FrameStreamer streamer_;
};

}  // namespace kelpo::test_camera
