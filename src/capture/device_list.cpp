#include "capture/device_list.h"

#include "capture/video_devices.h"
#include "settings/settings_rules.h"

namespace kelpo {

void FillDeviceList(HWND comboBox, const Settings& settings,
                    std::vector<DeviceRecord>& deviceList) {
  std::optional<std::vector<VideoDevice>> devices = EnumerateVideoDevices();
  if (!devices) return;
  deviceList.clear();
  LRESULT configured = CB_ERR;
  for (VideoDevice& device : *devices) {
    deviceList.push_back(std::move(device.record));
    const DeviceRecord& record = deviceList.back();
    const LRESULT item =
        ::SendMessageW(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.name.c_str()));
    // No room for the item: the record stays listed without one.
    if (item < 0) continue;
    (void)::SendMessageW(comboBox, CB_SETITEMDATA, static_cast<WPARAM>(item),
                         static_cast<LPARAM>(deviceList.size() - 1));
    // A sorted list moves the items after an insertion point down by one.
    if (configured != CB_ERR && item <= configured) ++configured;
    if (settings.deviceType == kDeviceCamera && record.path == settings.devicePath) {
      configured = item;
    }
  }
  // The configured camera wherever the sorting put it, else the first name.
  (void)::SendMessageW(comboBox, CB_SETCURSEL,
                       static_cast<WPARAM>(configured != CB_ERR ? configured : 0), 0);
}

}  // namespace kelpo
