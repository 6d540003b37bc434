// The plug-in against the real kelpo.exe: the window it looks for is the one the
// program creates.
#include "plugin_fixture.h"

#include "app/application.h"
#include "picture/picture_test_support.h"
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

TEST_F(KelpoExeWithPlugin, AKeyMakesTheRunningProgramTakeAPicture) {
  Application gdiplus;  // for writing the source picture
  kelpo::test::ScratchFolder folder;
  const std::wstring source = folder.File(L"source.png");
  const std::wstring localFile = folder.File(L"webcam.jpg");
  kelpo::test::SavePng(*kelpo::test::SolidBitmap(320, 240, kelpo::test::kGreen), source);
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  ASSERT_TRUE(WriteDword(L"deviceType", 1));
  ASSERT_TRUE(WriteString(L"devicePath", source));
  ASSERT_TRUE(WriteBool(L"disableFTP", true));
  ASSERT_TRUE(WriteBool(L"disableTimer", true));
  ASSERT_TRUE(WriteBool(L"savetofile", true));
  ASSERT_TRUE(WriteString(L"localfilename", localFile));
  SetSound(0);
  Plugin plugin;
  ASSERT_NE(plugin.handleKey, nullptr);

  const auto pictureWritten = [&] {
    return ::GetFileAttributesW(localFile.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  kelpo::test::KelpoProcess kelpo;
  ASSERT_NE(kelpo.WaitForMainWindow(), nullptr);
  // The start-up picture comes first; only the key can bring the next one.
  ASSERT_TRUE(kelpo::test::WaitFor(pictureWritten, kelpo::test::kWindowTimeout));
  ASSERT_TRUE(::DeleteFileW(localFile.c_str()));

  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  EXPECT_TRUE(kelpo::test::WaitFor(pictureWritten, kelpo::test::kWindowTimeout));
  EXPECT_TRUE(kelpo::test::IsJpeg(localFile));

  (void)::PostMessageW(kelpo.WaitForMainWindow(), WM_COMMAND, IDC_EXIT, 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(kelpo.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace kelpo::remote::test
