#include "common/dll_version.h"

#include "common/unique_handle.h"

#include <shlwapi.h>

namespace kelpo {

namespace {

constexpr DWORD kDllVersionInfoSize = 20;  // the first, shortest DLLVERSIONINFO

}  // namespace

DWORD QueryDllVersion(const wchar_t* fileName) {
  unique_hmodule library(::LoadLibraryW(fileName));
  if (!library) return 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllGetVersion")));
  if (getVersion == nullptr) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = kDllVersionInfoSize;
  if (FAILED(getVersion(&info))) return 0;
  return (static_cast<DWORD>(LOWORD(info.dwMajorVersion)) << 16) | LOWORD(info.dwMinorVersion);
}

}  // namespace kelpo
