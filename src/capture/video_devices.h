// The DirectShow video input devices: enumeration with their properties, and
// the choice of the one the capture graph binds.
#pragma once

#include "capture/device_list.h"
#include "capture/directshow.h"

#include <optional>
#include <vector>

namespace kelpo {

struct VideoDevice {
  Microsoft::WRL::ComPtr<IMoniker> moniker;
  DeviceRecord record;
};

// Every device whose property bag opens, in the system device enumerator's
// order; nothing when there is no enumerator or the category is empty.
std::optional<std::vector<VideoDevice>> EnumerateVideoDevices();

struct ChosenDevice {
  Microsoft::WRL::ComPtr<IBaseFilter> filter;  // null when the chosen device did not bind
  std::optional<DeviceRecord> record;          // nothing when no device could be chosen
};

// Binds the device the choice rules pick for the configured path (see
// device_choice_rules.h). Raises kMsgNoCaptureDevice when no device can be
// enumerated.
ChosenDevice ChooseCaptureDevice(const std::wstring& configuredPath);

}  // namespace kelpo
