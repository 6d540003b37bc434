// The DLL's entry points: COM's class object and unload check, and the exports
// that tests call to register and remove cameras.
#include "common/win32.h"

#include <unknwn.h>

#include "support/test_camera/camera_filter.h"
#include "support/test_camera/com_support.h"
#include "support/test_camera/property_page.h"
#include "support/test_camera/registration.h"
#include "support/test_camera/test_camera.h"

namespace kelpo::test_camera {

std::atomic<long> moduleReferences{0};

namespace {

HMODULE thisModule = nullptr;

using CreateFn = HRESULT (*)(REFIID iid, void** out) noexcept;

// One class object per class for the process; it counts only its locks.
class ClassFactory final : public IClassFactory {
 public:
  explicit constexpr ClassFactory(CreateFn create) : create_(create) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) return Hand<IClassFactory>(this, out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++moduleReferences;
    } else {
      --moduleReferences;
    }
    return S_OK;
  }

 private:
  CreateFn create_;
};

ClassFactory filterFactory(&CameraFilter::Create);
ClassFactory pageFactory(&CreatePropertyPage);

}  // namespace
}  // namespace kelpo::test_camera

using namespace kelpo::test_camera;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    thisModule = instance;
    (void)::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (clsid == kClsid) return filterFactory.QueryInterface(iid, out);
  if (clsid == kPageClsid) return pageFactory.QueryInterface(iid, out);
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return moduleReferences == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI KelpoTestCameraRegister(const KelpoTestCameraInstance* instances, UINT count) {
  return RegisterInstances(thisModule, instances, count);
}

HRESULT WINAPI KelpoTestCameraUnregister() { return UnregisterInstances(); }

}  // extern "C"
