// The plug-in against the real kelpo.exe: the window it looks for is the one the
// program creates.
#include "plugin_fixture.h"

#include "app/application.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

namespace kelpo::remote::test {
namespace {

using KelpoExeWithPlugin = kelpo::test::RegistryTest;

TEST_F(KelpoExeWithPlugin, FindsTheRunningProgramsWindowForKeysAndFocus) {
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  SetSound(0);
  Plugin plugin;
  ASSERT_NE(plugin.handleKey, nullptr);
  ASSERT_NE(plugin.areYouInFocus, nullptr);
  EXPECT_EQ(plugin.handleKey(1, 0, 1), FALSE);

  kelpo::test::KelpoProcess kelpo;
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);

  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  EXPECT_EQ(plugin.handleKey(0, 40, 1), TRUE);
  EXPECT_EQ(plugin.handleKey(1, 1, 1), FALSE);
  EXPECT_EQ(plugin.handleKey(0, 40, 2), FALSE);

  // Hidden in the tray it is not in front; a tray click brings it there.
  EXPECT_EQ(plugin.areYouInFocus(), FALSE);
  (void)::PostMessageW(window, WM_TRAYICON, 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(kelpo::test::WaitFor([&] { return ::GetForegroundWindow() == window; },
                                   kelpo::test::kWindowTimeout));
  EXPECT_EQ(plugin.areYouInFocus(), TRUE);

  // The requests were taken as pictures, not as anything that ends the program.
  (void)::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(plugin.handleKey(1, 0, 1), FALSE);
  EXPECT_EQ(plugin.areYouInFocus(), FALSE);
}

}  // namespace
}  // namespace kelpo::remote::test
