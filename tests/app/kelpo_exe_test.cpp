// kelpo.exe itself, started as a process and driven through its windows the
// way the shell and the user drive it.
#include "app/application.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

using test::KelpoProcess;
using test::TrayIconExists;
using test::WaitFor;

bool ValueExists(const wchar_t* name) {
  return ::RegGetValueW(HKEY_CURRENT_USER, kProductKey, name, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

class KelpoExeTest : public testing::Test {
 protected:
  void SetUp() override { (void)::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey); }
  void TearDown() override { (void)::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey); }
};

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
  std::uint32_t firstRun = 1;
  EXPECT_TRUE(ReadDword(kFirstRunValue, firstRun));
  EXPECT_EQ(firstRun, 0u);
}

TEST_F(KelpoExeTest, FirstStartShowsTheWindowAndRecordsTheFirstRun) {
  KelpoProcess kelpo;
  const HWND window = kelpo.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }, test::kWindowTimeout));
  std::uint32_t firstRun = 1;
  EXPECT_TRUE(ReadDword(kFirstRunValue, firstRun));
  EXPECT_EQ(firstRun, 0u);

  // Log-off: the settings are saved, the log-off may go on, the program ends.
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                    test::kWindowTimeout, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  DWORD exitCode = 1;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(ValueExists(L"JPEGquality"));
}

TEST_F(KelpoExeTest, EachStartIsAnIndependentInstance) {
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  KelpoProcess first;
  KelpoProcess second;
  const HWND firstWindow = first.WaitForMainWindow();
  const HWND secondWindow = second.WaitForMainWindow();
  ASSERT_NE(firstWindow, nullptr);
  ASSERT_NE(secondWindow, nullptr);
  EXPECT_NE(firstWindow, secondWindow);
  EXPECT_TRUE(TrayIconExists(firstWindow));
  EXPECT_TRUE(TrayIconExists(secondWindow));
  for (HWND window : {firstWindow, secondWindow}) {
    ::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  }
  DWORD exitCode = 1;
  EXPECT_TRUE(first.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(second.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace kelpo
