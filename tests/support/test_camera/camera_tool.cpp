// kelpo-test-camera.exe: registers the test camera (kelpo_test_camera.dll next
// to it) as a video input device that stays registered after the tool ends,
// for programs other than the tests: tools/demo --camera and tools/bench.
//
//   kelpo-test-camera.exe register NAME FRIENDLY_NAME DEVICE_PATH [TAG]
//   kelpo-test-camera.exe unregister
#include "common/unique_handle.h"
#include "common/win32.h"
#include "support/test_camera/test_camera.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr int kUsage = 2;
constexpr int kFailed = 1;

std::wstring DllPath() {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring program(path, length);
  return program.substr(0, program.find_last_of(L'\\') + 1) + kelpo::test_camera::kDllName;
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

int Usage() {
  std::fputs(
      "usage: kelpo-test-camera register NAME FRIENDLY_NAME DEVICE_PATH [TAG]\n"
      "       kelpo-test-camera unregister\n",
      stderr);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring command = argv[1];
  const bool registering = command == L"register" && (argc == 5 || argc == 6);
  if (!registering && !(command == L"unregister" && argc == 2)) return Usage();

  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return kFailed;
  const auto uninitialize = kelpo::scope_exit([] { ::CoUninitialize(); });
  const kelpo::unique_hmodule module(::LoadLibraryW(DllPath().c_str()));
  if (!module) {
    std::fprintf(stderr, "cannot load %ls\n", kelpo::test_camera::kDllName);
    return kFailed;
  }
  HRESULT result = E_FAIL;
  if (registering) {
    const auto registerCameras = Export<KelpoTestCameraRegisterFn>(
        module.get(), kelpo::test_camera::kRegisterExport);
    if (registerCameras == nullptr) return kFailed;
    const KelpoTestCameraInstance instance{
        argv[2], argv[3], nullptr, argv[4],
        argc == 6 ? static_cast<DWORD>(std::wcstoul(argv[5], nullptr, 0)) : 0, S_OK};
    result = registerCameras(&instance, 1);
  } else {
    const auto unregisterCameras = Export<KelpoTestCameraUnregisterFn>(
        module.get(), kelpo::test_camera::kUnregisterExport);
    if (unregisterCameras == nullptr) return kFailed;
    result = unregisterCameras();
  }
  if (FAILED(result)) {
    std::fprintf(stderr, "%ls failed: 0x%08lx\n", command.c_str(),
                 static_cast<unsigned long>(result));
    return kFailed;
  }
  return 0;
}
