// Pure rules of the status line and the capture timer.
#pragma once

#include <cstdint>

namespace kelpo {

// Capture timer period in milliseconds: timevalue seconds, minutes (unit 1) or
// hours (unit 2), as an unsigned 32-bit product.
std::uint32_t CaptureTimerPeriod(std::uint32_t timevalue, std::uint32_t timeunit);

}  // namespace kelpo
