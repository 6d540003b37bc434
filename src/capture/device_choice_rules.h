// Pure rules of the camera choice: which of the enumerated video input devices
// the capture graph binds.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelpo {

// Whether a device path names a USB device: it begins with "\\?\usb#", letter
// case included.
bool IsUsbDevicePath(const std::wstring& path);

// Walks the devices in enumeration order and binds each one that replaces the
// current choice: the first device, while nothing is bound; the configured
// device (paths compared exactly, letter case included); with no configured
// path, a USB device, or one whose path is as empty as the configured one.
// `bind(i)` binds device i, letting go of the one bound before, and says
// whether a filter came of it; a device that does not bind leaves nothing
// bound, so the next device is taken. Returns the device that ends up chosen,
// or nothing when there are no devices.
std::optional<std::size_t> ChooseDevice(const std::vector<std::wstring>& paths,
                                        const std::wstring& configuredPath,
                                        const std::function<bool(std::size_t)>& bind);

}  // namespace kelpo
