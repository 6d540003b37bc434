// The video input devices as the user sees them: a name and a device path
// each, listed for the Change Video Device dialog.
#pragma once

#include "common/win32.h"
#include "settings/settings.h"

#include <string>
#include <vector>

namespace kelpo {

struct DeviceRecord {
  std::wstring name;  // "Description", else "FriendlyName", else empty
  std::wstring path;  // "DevicePath", or empty
};

// Refills `deviceList` with every video input device, in enumeration order,
// and adds each name to the combo box with the record's index as its item
// data. The configured camera's item is selected when the settings' source is
// a camera that is listed, otherwise the first item. Without devices the list
// and the combo box stay as they are.
void FillDeviceList(HWND comboBox, const Settings& settings, std::vector<DeviceRecord>& deviceList);

}  // namespace kelpo
