#include "support/test_camera/instance_controls.h"

#include "common/unique_handle.h"
#include "support/test_camera/test_camera.h"

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
    controls.deviceLost = ReadDword(key.get(), kDeviceLost) != 0;
    controls.darkFrames = ReadDword(key.get(), kDarkFrames);
  } catch (...) {
    // Out of memory for the key's path: the controls stay at their defaults.
  }
  return controls;
}

HRESULT ControlAsFailure(DWORD value) noexcept {
  const auto result = static_cast<HRESULT>(value);
  if (result == S_OK) return S_OK;
  return FAILED(result) ? result : E_FAIL;
}

}  // namespace kelpo::test_camera
