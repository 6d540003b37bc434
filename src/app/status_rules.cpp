#include "app/status_rules.h"

namespace kelpo {

std::uint32_t CaptureTimerPeriod(std::uint32_t timevalue, std::uint32_t timeunit) {
  constexpr std::uint32_t kSecond = 1000;
  constexpr std::uint32_t kMinute = 60 * kSecond;
  constexpr std::uint32_t kHour = 60 * kMinute;
  switch (timeunit) {
    case 1:
      return timevalue * kMinute;
    case 2:
      return timevalue * kHour;
    default:
      return timevalue * kSecond;
  }
}

}  // namespace kelpo
