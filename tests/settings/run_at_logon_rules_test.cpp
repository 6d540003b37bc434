#include "settings/run_at_logon_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

const std::wstring kProgram = L"C:\\Program Files\\Kelpo\\kelpo.exe";

TEST(RunAtLogonRules, TheCommandIsThePathInQuotes) {
  EXPECT_EQ(RunEntryCommand(kProgram), L"\"C:\\Program Files\\Kelpo\\kelpo.exe\"");
}

TEST(RunAtLogonRules, EntryHoldsTheQuotedCommandExactlyWhileOn) {
  const std::wstring command = RunEntryCommand(kProgram);
  EXPECT_EQ(PlanRunEntry(true, std::nullopt, command), RunEntryChange::kWrite);
  EXPECT_EQ(PlanRunEntry(true, command, command), RunEntryChange::kNone);
  // The bare path of earlier versions, or another copy's command.
  EXPECT_EQ(PlanRunEntry(true, kProgram, command), RunEntryChange::kWrite);
  EXPECT_EQ(PlanRunEntry(true, std::wstring(L"\"D:\\Old\\kelpo.exe\""), command),
            RunEntryChange::kWrite);

  EXPECT_EQ(PlanRunEntry(false, std::nullopt, L""), RunEntryChange::kNone);
  EXPECT_EQ(PlanRunEntry(false, command, L""), RunEntryChange::kDelete);
  EXPECT_EQ(PlanRunEntry(false, kProgram, L""), RunEntryChange::kDelete);
}

}  // namespace
}  // namespace kelpo
