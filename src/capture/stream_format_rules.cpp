#include "capture/stream_format_rules.h"

namespace kelpo {

std::optional<std::size_t> ChooseCapability(const std::vector<CaptureCapability>& capabilities,
                                            std::int32_t width, std::int32_t height,
                                            std::uint32_t pickedFormat) {
  std::optional<std::size_t> firstOfSize;
  std::optional<std::size_t> preferred;
  for (std::size_t i = 0; i < capabilities.size(); ++i) {
    const CaptureCapability& capability = capabilities[i];
    if (capability.width != width || capability.height != height) continue;
    if (!firstOfSize) firstOfSize = i;
    if (!capability.preference) continue;
    if (pickedFormat != 0 && capability.formatCode == pickedFormat) return i;
    if (!preferred || *capability.preference < *capabilities[*preferred].preference) {
      preferred = i;
    }
  }
  return preferred ? preferred : firstOfSize;
}

}  // namespace kelpo
