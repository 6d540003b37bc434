#include "support/test_camera/registration.h"

#include <dshow.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "support/test_camera/com_support.h"
#include "support/test_camera/instance_controls.h"

namespace kelpo::test_camera {

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kClassName[] = L"Kelpo Test Camera";
constexpr wchar_t kPageClassName[] = L"Kelpo Test Camera Page";
constexpr wchar_t kInprocServer[] = L"InprocServer32";
constexpr wchar_t kThreadingModel[] = L"ThreadingModel";
constexpr wchar_t kBothThreadingModels[] = L"Both";
constexpr wchar_t kDescription[] = L"Description";
constexpr wchar_t kDevicePath[] = L"DevicePath";
constexpr std::size_t kGuidChars = 39;
constexpr DWORD kKeyNameCapacity = 256;

std::wstring ClassKeyPath(const GUID& clsid = kClsid) {
  wchar_t text[kGuidChars] = {};
  (void)::StringFromGUID2(clsid, text, static_cast<int>(kGuidChars));
  return std::wstring(L"CLSID\\") + text;
}

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

unique_hkey CreateKey(HKEY root, const std::wstring& path, HRESULT& result) {
  unique_hkey key;
  const LSTATUS status = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) key.release();
  result = HRESULT_FROM_WIN32(status);
  return key;
}

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return HRESULT_FROM_WIN32(
      ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes));
}

HRESULT SetDword(HKEY key, const wchar_t* name, DWORD value) {
  return HRESULT_FROM_WIN32(::RegSetValueExW(key, name, 0, REG_DWORD,
                                             reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

// A COM class, served by this DLL from any apartment.
HRESULT RegisterClass(HMODULE module, const GUID& clsid, const wchar_t* name) {
  const std::wstring path = ModulePath(module);
  if (path.empty()) return HRESULT_FROM_WIN32(::GetLastError());
  HRESULT result = S_OK;
  const unique_hkey classKey = CreateKey(HKEY_CLASSES_ROOT, ClassKeyPath(clsid), result);
  if (FAILED(result)) return result;
  result = SetString(classKey.get(), nullptr, name);
  if (FAILED(result)) return result;
  const unique_hkey server = CreateKey(classKey.get(), kInprocServer, result);
  if (FAILED(result)) return result;
  result = SetString(server.get(), nullptr, path);
  if (FAILED(result)) return result;
  return SetString(server.get(), kThreadingModel, kBothThreadingModels);
}

HRESULT WriteProperty(IPropertyBag& bag, const wchar_t* name, const wchar_t* value) {
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = ::SysAllocString(value);
  if (variant.bstrVal == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = bag.Write(name, &variant);
  (void)::VariantClear(&variant);
  return result;
}

// The category entry, as a capture driver's installation makes it, plus the
// values a device has (Description, DevicePath) and the instance's name.
HRESULT RegisterInstance(IFilterMapper2& mapper, const KelpoTestCameraInstance& instance) {
  // The name becomes one registry key name in two places.
  if (instance.name == nullptr || instance.name[0] == L'\0' ||
      std::wcschr(instance.name, L'\\') != nullptr || instance.friendlyName == nullptr) {
    return E_INVALIDARG;
  }
  const REGPINTYPES type{&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24};
  REGFILTERPINS2 pin{};
  pin.dwFlags = REG_PINFLAG_B_OUTPUT;
  pin.cInstances = 1;
  pin.nMediaTypes = 1;
  pin.lpMediaType = &type;
  pin.clsPinCategory = &PIN_CATEGORY_CAPTURE;
  REGFILTER2 filter{};
  filter.dwVersion = 2;
  // Intelligent connection never picks a camera.
  filter.dwMerit = MERIT_DO_NOT_USE;
  filter.cPins2 = 1;
  filter.rgPins2 = &pin;

  ComPtr<IMoniker> moniker;
  HRESULT result = mapper.RegisterFilter(kClsid, instance.friendlyName, &moniker,
                                         &CLSID_VideoInputDeviceCategory, instance.name, &filter);
  if (FAILED(result)) return result;
  if (moniker == nullptr) return E_UNEXPECTED;
  ComPtr<IPropertyBag> bag;
  result = moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag));
  if (FAILED(result)) return result;
  result = WriteProperty(*bag.Get(), kInstanceProperty, instance.name);
  if (SUCCEEDED(result) && instance.description != nullptr) {
    result = WriteProperty(*bag.Get(), kDescription, instance.description);
  }
  if (SUCCEEDED(result) && instance.devicePath != nullptr) {
    result = WriteProperty(*bag.Get(), kDevicePath, instance.devicePath);
  }
  if (FAILED(result)) return result;

  const unique_hkey controls = CreateKey(HKEY_CURRENT_USER, ControlKeyPath(instance.name), result);
  if (FAILED(result)) return result;
  result = SetDword(controls.get(), kTag, instance.tag);
  if (FAILED(result)) return result;
  return SetDword(controls.get(), kRefuseBind, static_cast<DWORD>(instance.refuseBind));
}

// Every instance has a control key named after it.
std::vector<std::wstring> RegisteredInstances() {
  std::vector<std::wstring> names;
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kControlsKey, 0, KEY_ENUMERATE_SUB_KEYS, key.put()) !=
      ERROR_SUCCESS) {
    key.release();
    return names;
  }
  wchar_t name[kKeyNameCapacity];
  for (DWORD index = 0;; ++index) {
    DWORD length = kKeyNameCapacity;
    if (::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

HRESULT CreateMapper(ComPtr<IFilterMapper2>& mapper) {
  return ::CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                            IID_PPV_ARGS(&mapper));
}

HRESULT Unregister() {
  ComPtr<IFilterMapper2> mapper;
  const HRESULT created = CreateMapper(mapper);
  if (FAILED(created)) return created;
  for (const std::wstring& name : RegisteredInstances()) {
    (void)mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, name.c_str(), kClsid);
  }
  const LSTATUS controls = ::RegDeleteTreeW(HKEY_CURRENT_USER, kControlsKey);
  const LSTATUS server = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyPath().c_str());
  const LSTATUS page = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyPath(kPageClsid).c_str());
  for (const LSTATUS status : {controls, server, page}) {
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
      return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

}  // namespace

HRESULT RegisterInstances(HMODULE module, const KelpoTestCameraInstance* instances,
                          UINT count) noexcept {
  if (instances == nullptr && count != 0) return E_POINTER;
  return Guard([&] {
    HRESULT result = Unregister();
    if (SUCCEEDED(result)) result = RegisterClass(module, kClsid, kClassName);
    // OleCreatePropertyFrame makes the page by its class.
    if (SUCCEEDED(result)) result = RegisterClass(module, kPageClsid, kPageClassName);
    ComPtr<IFilterMapper2> mapper;
    if (SUCCEEDED(result)) result = CreateMapper(mapper);
    for (UINT i = 0; i < count && SUCCEEDED(result); ++i) {
      result = RegisterInstance(*mapper.Get(), instances[i]);
    }
    if (FAILED(result)) (void)Unregister();
    return result;
  });
}

HRESULT UnregisterInstances() noexcept {
  return Guard([] { return Unregister(); });
}

}  // namespace kelpo::test_camera
