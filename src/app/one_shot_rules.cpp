#include "app/one_shot_rules.h"

#include <limits>

namespace kelpo {

OneShotExitCode OneShotExit(const OneShotOutcome& outcome) {
  if (!outcome.uploadWanted && !outcome.localCopyWanted) return kExitDelivered;
  if (!outcome.pictureMade) return kExitNoPicture;
  if (outcome.uploadWanted && !outcome.uploaded) return kExitUploadFailed;
  if (outcome.localCopyWanted && !outcome.localCopyWritten) return kExitLocalCopyFailed;
  return kExitDelivered;
}

std::uint32_t OneShotBound(std::uint32_t uploadTimeLimit) {
  constexpr std::uint32_t kLongest = std::numeric_limits<std::uint32_t>::max();
  if (uploadTimeLimit > kLongest - kOneShotAllowance) return kLongest;
  return uploadTimeLimit + kOneShotAllowance;
}

}  // namespace kelpo
