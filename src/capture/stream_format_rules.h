// Pure rules of the capture format: which of the device's capabilities the
// graph asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelpo {

// One capability of the capture pin as the choice sees it.
struct CaptureCapability {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t formatCode = 0;   // the subtype's code (a FOURCC for YUV and MJPG)
  std::optional<int> preference;  // lower preferred; nothing: Kelpo cannot convert it
};

// The capability to set: only those exactly width x height count. Among them
// the format the user picked (`pickedFormat`, 0 for none) when Kelpo converts
// it, otherwise the one Kelpo prefers, the first of equals; the first of the
// size when Kelpo converts none. Nothing when no capability has the size.
std::optional<std::size_t> ChooseCapability(const std::vector<CaptureCapability>& capabilities,
                                            std::int32_t width, std::int32_t height,
                                            std::uint32_t pickedFormat);

}  // namespace kelpo
