#include "app/crash_report_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(CrashReports, NamedByTimeAndTheOldestOfKelposOwnGo) {
  EXPECT_EQ(CrashReportName({2026, 1, 2, 3, 4, 5}, 42), L"kelpo-20260102-030405-42.dmp");
  const std::vector<std::wstring> names = {CrashReportName({2026, 3, 1, 0, 0, 0}, 7),
                                           CrashReportName({2025, 12, 31, 23, 59, 59}, 9),
                                           L"notes.txt",
                                           L"kelpo-2026.dmp",
                                           CrashReportName({2026, 2, 28, 12, 0, 0}, 8),
                                           L"kelpo-20260102-030405-x.dmp"};
  EXPECT_EQ(
      CrashReportsToDelete(names, 1),
      (std::vector<std::wstring>{L"kelpo-20251231-235959-9.dmp", L"kelpo-20260228-120000-8.dmp"}));
  EXPECT_TRUE(CrashReportsToDelete(names, 3).empty());
}

}  // namespace
}  // namespace kelpo
