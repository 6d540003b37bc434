#include "app/command_line_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(CommandLine, OneshotInAnySpellingIsAOneShotRunAndAnythingElseIsNamed) {
  for (const char* line : {"oneshot", "ONESHOT", "/OneShot", "-oneshot", "oneshot ", "\toneshot ",
                           "\"oneshot\"", "oneshot \"\""}) {
    EXPECT_EQ(ParseCommandLine(line).kind, RunKind::kOneShot) << line;
  }
  for (const char* line : {"--version", "/VERSION", "-version"})
    EXPECT_EQ(ParseCommandLine(line).kind, RunKind::kVersion) << line;
  for (const char* line : {"", "   ", "\"\""})
    EXPECT_EQ(ParseCommandLine(line).kind, RunKind::kTray);
  const std::pair<const char*, const char*> unknown[] = {
      {"oneshot now", "now"}, {"one shot", "one"},          {"--oneshot", "--oneshot"},
      {"onesho", "onesho"},   {"\"one shot\"", "one shot"}, {"/oneshot /x", "/x"},
      {"version", "version"}, {"--version now", "now"}};
  for (const auto& [line, argument] : unknown) {
    const CommandLineChoice choice = ParseCommandLine(line);
    EXPECT_EQ(choice.kind, RunKind::kUnknown) << line;
    EXPECT_EQ(choice.unknown, argument) << line;
  }
}

}  // namespace
}  // namespace kelpo
