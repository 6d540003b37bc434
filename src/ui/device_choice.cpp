#include "ui/device_choice.h"

#include "settings/settings_rules.h"

namespace kelpo {

void FillDeviceList(HWND comboBox, const Settings& settings,
                    std::vector<DeviceRecord>& deviceList) {
  std::optional<std::vector<DeviceRecord>> devices = ListVideoDevices();
  if (!devices) return;
  deviceList = std::move(*devices);
  LRESULT configured = CB_ERR;
  for (std::size_t index = 0; index < deviceList.size(); ++index) {
    const DeviceRecord& record = deviceList[index];
    const LRESULT item =
        ::SendMessageW(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.name.c_str()));
    // No room for the item: the record stays listed without one.
    if (item < 0) continue;
    (void)::SendMessageW(comboBox, CB_SETITEMDATA, static_cast<WPARAM>(item),
                         static_cast<LPARAM>(index));
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

void ShowDeviceWarning(HWND owner, MessageId id) {
  const std::wstring text = LoadText(id, kStatusTextCapacity);
  const std::wstring caption = LoadText(kMsgProductName, kStatusTextCapacity);
  (void)::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace kelpo
