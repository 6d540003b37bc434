#include "app/one_shot_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(OneShotExit, ZeroOnlyWhenEveryWantedDeliverySucceeded) {
  struct Case {
    OneShotOutcome outcome;  // upload wanted, local copy wanted, picture, uploaded, copy written
    OneShotExitCode code;
  };
  const Case cases[] = {
      {{false, false, false, false, false}, kExitDelivered},  // nothing to deliver
      {{true, false, true, true, false}, kExitDelivered},
      {{false, true, true, false, true}, kExitDelivered},
      {{true, true, true, true, true}, kExitDelivered},
      {{true, true, false, false, false}, kExitNoPicture},
      {{false, true, false, false, false}, kExitNoPicture},
      {{true, false, true, false, false}, kExitUploadFailed},
      {{true, true, true, false, false}, kExitUploadFailed},  // both failed: the upload says it
      {{true, true, true, true, false}, kExitLocalCopyFailed},
      {{false, true, true, false, false}, kExitLocalCopyFailed},
  };
  for (const Case& c : cases) {
    const OneShotOutcome& o = c.outcome;
    EXPECT_EQ(OneShotExit(o), c.code)
        << o.uploadWanted << o.localCopyWanted << o.pictureMade << o.uploaded << o.localCopyWritten;
  }
}

TEST(OneShotExit, BoundCoversTheUploadTimeLimitAndTheConnect) {
  EXPECT_EQ(OneShotBound(60000), 120000u);
  EXPECT_EQ(OneShotBound(0), kOneShotAllowance);
  EXPECT_EQ(OneShotBound(0xFFFFFFF0u), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace kelpo
