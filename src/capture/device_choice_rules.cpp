#include "capture/device_choice_rules.h"

namespace kelpo {

namespace {

constexpr wchar_t kUsbPrefix[] = L"\\\\?\\usb#";

}  // namespace

bool IsUsbDevicePath(const std::wstring& path) { return path.rfind(kUsbPrefix, 0) == 0; }

std::optional<std::size_t> ChooseDevice(const std::vector<std::wstring>& paths,
                                        const std::wstring& configuredPath,
                                        const std::function<bool(std::size_t)>& bind) {
  std::optional<std::size_t> chosen;
  bool bound = false;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const bool takes = !bound || paths[i] == configuredPath ||
                       (configuredPath.empty() && IsUsbDevicePath(paths[i]));
    if (!takes) continue;
    chosen = i;
    bound = bind(i);
  }
  return chosen;
}

}  // namespace kelpo
