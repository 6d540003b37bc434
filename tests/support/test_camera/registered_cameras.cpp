#include "support/test_camera/registered_cameras.h"

#include <string>
#include <vector>

namespace kelpo::test_camera {
namespace {

// The DLL next to the running program.
std::wstring DllPath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      std::wstring program(path.data(), length);
      return program.substr(0, program.find_last_of(L'\\') + 1) + kDllName;
    }
    path.resize(path.size() * 2);
  }
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

RegisteredCameras::RegisteredCameras(std::initializer_list<KelpoTestCameraInstance> instances)
    : module_(::LoadLibraryW(DllPath().c_str())) {
  if (!module_) {
    result_ = HRESULT_FROM_WIN32(::GetLastError());
    return;
  }
  const auto registerCameras = Export<KelpoTestCameraRegisterFn>(module_.get(), kRegisterExport);
  unregister_ = Export<KelpoTestCameraUnregisterFn>(module_.get(), kUnregisterExport);
  if (registerCameras == nullptr || unregister_ == nullptr) {
    result_ = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return;
  }
  result_ = registerCameras(instances.begin(), static_cast<UINT>(instances.size()));
}

RegisteredCameras::~RegisteredCameras() {
  if (unregister_ != nullptr) (void)unregister_();
}

bool RegisteredCameras::SetControl(const wchar_t* instance, const wchar_t* control, DWORD value) {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, ControlKeyPath(instance).c_str(), 0, KEY_SET_VALUE,
                      key.put()) != ERROR_SUCCESS) {
    key.release();
    return false;
  }
  return ::RegSetValueExW(key.get(), control, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

bool RegisteredCameras::SetControl(const wchar_t* instance, const wchar_t* control,
                                   const std::wstring& text) {
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, ControlKeyPath(instance).c_str(), 0, KEY_SET_VALUE,
                      key.put()) != ERROR_SUCCESS) {
    key.release();
    return false;
  }
  return ::RegSetValueExW(key.get(), control, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring RegisteredCameras::ReadText(const wchar_t* instance, const wchar_t* control) {
  // Far more than any route log a test makes.
  constexpr std::size_t kTextCapacity = 1024;
  wchar_t text[kTextCapacity] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_CURRENT_USER, ControlKeyPath(instance).c_str(), control, RRF_RT_REG_SZ,
                     nullptr, text, &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return text;
}

}  // namespace kelpo::test_camera
