#include "capture/device_list.h"

#include "capture/video_devices.h"

namespace kelpo {

std::optional<std::vector<DeviceRecord>> ListVideoDevices() {
  std::optional<std::vector<VideoDevice>> devices = EnumerateVideoDevices();
  if (!devices) return std::nullopt;
  std::vector<DeviceRecord> records;
  records.reserve(devices->size());
  for (VideoDevice& device : *devices) records.push_back(std::move(device.record));
  return records;
}

}  // namespace kelpo
