#include "support/test_camera/instance_controls.h"

#include "common/unique_handle.h"
#include "support/test_camera/test_camera.h"

#include <cwchar>
#include <optional>

namespace kelpo::test_camera {
namespace {

DWORD ReadDword(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  DWORD type = REG_NONE;
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return 0;
  }
  return value;
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  text.resize(::wcsnlen(text.c_str(), size / sizeof(wchar_t)));
  return text;
}

}  // namespace

InstanceControls ReadInstanceControls(const std::wstring& instance) noexcept {
  InstanceControls controls;
  if (instance.empty()) return controls;
  try {
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, ControlKeyPath(instance).c_str(), 0, KEY_QUERY_VALUE,
                        key.put()) != ERROR_SUCCESS) {
      key.release();
      return controls;
    }
    controls.refuseBind = ControlAsFailure(ReadDword(key.get(), kRefuseBind));
    controls.tag = static_cast<std::uint8_t>(ReadDword(key.get(), kTag));
    controls.frozen = ReadDword(key.get(), kFrozen) != 0;
    controls.failStreaming = ControlAsFailure(ReadDword(key.get(), kFailStreaming));
    controls.failRun = ControlAsFailure(ReadDword(key.get(), kFailRun));
    controls.deviceLost = ReadDword(key.get(), kDeviceLost) != 0;
    controls.darkFrames = ReadDword(key.get(), kDarkFrames);
    const std::optional<std::wstring> crossbar = ReadString(key.get(), kCrossbar);
    controls.analogInput = crossbar.has_value();
    controls.crossbar = crossbar.value_or(L"");
    controls.upstreamCrossbar = ReadString(key.get(), kUpstreamCrossbar).value_or(L"");
    controls.tuner = ReadDword(key.get(), kTuner) != 0;
    controls.pages = ReadDword(key.get(), kPages);
    controls.extraFormats = ReadDword(key.get(), kExtraFormats);
    controls.formats = ReadString(key.get(), kFormats).value_or(L"");
  } catch (...) {
    // Out of memory for the key's path: the controls stay at their defaults.
  }
  return controls;
}

void AppendRouteLog(const std::wstring& instance, const std::wstring& text) noexcept {
  if (instance.empty()) return;
  try {
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, ControlKeyPath(instance).c_str(), 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
      key.release();
      return;
    }
    const std::wstring log = ReadString(key.get(), kRouteLog).value_or(L"") + text;
    (void)::RegSetValueExW(key.get(), kRouteLog, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(log.c_str()),
                           static_cast<DWORD>((log.size() + 1) * sizeof(wchar_t)));
  } catch (...) {
    // Out of memory: the log misses this entry.
  }
}

HRESULT ControlAsFailure(DWORD value) noexcept {
  const auto result = static_cast<HRESULT>(value);
  if (result == S_OK) return S_OK;
  return FAILED(result) ? result : E_FAIL;
}

}  // namespace kelpo::test_camera
