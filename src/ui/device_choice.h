// The dialogs' side of the video device: the camera list of the Change Video
// Device dialog, and the warning when a device has no pages to show.
#pragma once

#include "capture/device_list.h"
#include "common/message_catalogue.h"
#include "common/win32.h"
#include "settings/settings.h"

#include <vector>

namespace kelpo {

// Refills `deviceList` with every video input device, in enumeration order,
// and adds each name to the combo box with the record's index as its item
// data. The configured camera's item is selected when the settings' source is
// a camera that is listed, otherwise the first item. Without devices the list
// and the combo box stay as they are.
void FillDeviceList(HWND comboBox, const Settings& settings, std::vector<DeviceRecord>& deviceList);

// A catalogue text in a warning box captioned with the product's name.
void ShowDeviceWarning(HWND owner, MessageId id);

}  // namespace kelpo
