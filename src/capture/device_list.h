// The video input devices as the user sees them: a name and a device path
// each, listed for the Change Video Device dialog.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelpo {

struct DeviceRecord {
  std::wstring name;  // "Description", else "FriendlyName", else empty
  std::wstring path;  // "DevicePath", or empty
};

// Every video input device, in enumeration order; nothing when the devices
// cannot be enumerated or there are none.
std::optional<std::vector<DeviceRecord>> ListVideoDevices();

}  // namespace kelpo
