// kelpo.exe itself, started as a process and driven through its windows the
// way the shell and the user drive it.
#include "app/main_window.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

using test::KelpoProcess;
using test::TrayIconExists;
using test::WaitFor;

bool ValueExists(const wchar_t* name) { return test::GetRawValue(name).has_value(); }

using KelpoExeTest = test::RegistryTest;

TEST_F(KelpoExeTest, StartsHiddenInTheTrayShowsOnClickAndSavesOnExit) {
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  KelpoProcess kelpo;
  ASSERT_TRUE(kelpo.started());
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(::GetParent(window), nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_TRUE(TrayIconExists(window));

  ::PostMessageW(window, WM_TRAYICON, 0, WM_LBUTTONDOWN);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }, test::kWindowTimeout));
  // Esc reaches the window as a key press, which the message loop turns into
  // the dialog's Cancel command.
  ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) == FALSE; }, test::kWindowTimeout));
  ::PostMessageW(window, WM_TRAYICON, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }, test::kWindowTimeout));
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) == FALSE; }, test::kWindowTimeout));

  // Hidden is still running: the plug-in's message is taken, not fatal.
  ::PostMessageW(window, ::RegisterWindowMessageW(L"KelpoCapture"), 0, 0);
  EXPECT_TRUE(TrayIconExists(window));
  // Nothing is saved before the program ends.
  EXPECT_FALSE(ValueExists(L"fontsize"));

  ::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(TrayIconExists(window));

  // Text, video and file-transfer groups are saved; the overlay group is not.
  for (const wchar_t* saved : {L"fontsize", L"fontname", L"ForegroundR", L"JPEGquality",
                               L"CropWidth", L"filename", L"timevalue", L"server"}) {
    EXPECT_TRUE(ValueExists(saved)) << saved;
  }
  for (const wchar_t* unsaved : {L"overlayfilename", L"overlayopacity", L"ColourKeyR"}) {
    EXPECT_FALSE(ValueExists(unsaved)) << unsaved;
  }
  EXPECT_EQ(test::GetRawDword(kFirstRunValue), std::optional<std::uint32_t>(0));
}

TEST_F(KelpoExeTest, FirstStartShowsTheWindowAndRecordsTheFirstRun) {
  KelpoProcess kelpo;
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }, test::kWindowTimeout));
  EXPECT_EQ(test::GetRawDword(kFirstRunValue), std::optional<std::uint32_t>(0));

  // Log-off: the settings are saved and the log-off may go on; the program
  // ends when the session does.
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                    test::kWindowTimeout, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_TRUE(ValueExists(L"JPEGquality"));
  ASSERT_TRUE(::SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG,
                                    test::kWindowTimeout, &answer));
  DWORD exitCode = 1;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(ValueExists(L"JPEGquality"));
}

}  // namespace
}  // namespace kelpo
