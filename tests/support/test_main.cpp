// Entry point of the test programs that run under Wine.
#include "common/win32.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // A crashing test must fail the run, not open Wine's crash dialog.
  (void)::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
