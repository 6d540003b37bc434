// kelpo.exe itself, started as a process and driven through its windows the
// way the shell and the user drive it.
#include "app/main_window.h"
#include "common/message_catalogue.h"
#include "picture/picture_test_support.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kelpo {
namespace {

using test::KelpoProcess;
using test::TrayIconExists;
using test::WaitFor;

bool ValueExists(const wchar_t* name) { return test::GetRawValue(name).has_value(); }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string ReadText(const std::wstring& path) {
  std::ostringstream text;
  text << std::ifstream(std::filesystem::path(path), std::ios::binary).rdbuf();
  return text.str();
}

// Wine's dbghelp takes up to a minute for a dump.
constexpr DWORD kCrashTimeout = 120000;

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

// The README's recipe: a command script, run here through cmd /c, waits for
// Kelpo and appends its line to the log.
TEST_F(KelpoExeTest, CommandScriptLogsTheOneShotLineAndAnUnknownArgumentFails) {
  test::ScratchFolder folder;
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  ASSERT_TRUE(WriteDword(L"deviceType", 1));
  ASSERT_TRUE(WriteString(L"devicePath", folder.File(L"missing.png")));
  ASSERT_TRUE(WriteBool(L"disableFTP", true));
  ASSERT_TRUE(WriteBool(L"savetofile", true));
  const std::string log = Narrow(folder.File(L"kelpo.log"));
  const std::wstring script = folder.File(L"picture.cmd");
  std::ofstream(std::filesystem::path(script), std::ios::binary) << "@echo off\r\n";
  for (const char* arguments : {"oneshot", "oneshot now"}) {
    std::ofstream(std::filesystem::path(script), std::ios::app | std::ios::binary)
        << "\"" << Narrow(test::ProgramFolder()) << "kelpo.exe\" " << arguments << " >> \"" << log
        << "\"\r\necho exit %ERRORLEVEL% >> \"" << log << "\"\r\n";
  }
  ASSERT_NE(::_wsystem((L"\"" + script + L"\"").c_str()), -1);
  EXPECT_EQ(
      ReadText(folder.File(L"kelpo.log")),
      Narrow(LoadText(kMsgPictureFailed, kStatusTextCapacity) + L"\r\nexit 2 \r\n" +
             LoadTextWith(kMsgUnknownArgument, kStatusTextCapacity, L"now") + L"\r\nexit 1 \r\n"));
}

TEST_F(KelpoExeTest, CrashInAOneShotRunEndsWithCodeOneAndKeepsTheNewestReports) {
  test::ScratchFolder folder;
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  const std::filesystem::path reports = folder.File(L"Kelpo\\crashes");
  std::filesystem::create_directories(reports);
  for (int day = 1; day <= 6; ++day) {
    std::ofstream(reports / (L"kelpo-2020010" + std::to_wstring(day) + L"-000000-1.dmp"));
  }
  const auto names = [&] {
    std::vector<std::wstring> found;
    for (const auto& entry : std::filesystem::directory_iterator(reports)) {
      found.push_back(entry.path().filename().wstring());
    }
    std::sort(found.begin(), found.end());
    return found;
  };
  wchar_t appData[MAX_PATH] = {};
  (void)::GetEnvironmentVariableW(L"LOCALAPPDATA", appData, MAX_PATH);
  const auto restore = scope_exit([&] {
    (void)::SetEnvironmentVariableW(L"LOCALAPPDATA", appData);
    (void)::SetEnvironmentVariableW(L"KELPO_TEST_CRASH", nullptr);
    std::filesystem::remove_all(folder.File(L"Kelpo"));
  });
  ASSERT_TRUE(
      ::SetEnvironmentVariableW(L"LOCALAPPDATA", reports.parent_path().parent_path().c_str()));
  for (const wchar_t* crash : {L"fault", L"terminate"}) {
    ASSERT_TRUE(::SetEnvironmentVariableW(L"KELPO_TEST_CRASH", crash));
    const std::vector<std::wstring> before = names();
    KelpoProcess kelpo(L"oneshot", true);
    DWORD exitCode = 0;
    ASSERT_TRUE(kelpo.WaitForExit(exitCode, kCrashTimeout));
    EXPECT_EQ(exitCode, 1u);
    std::wstring report;
    for (const std::wstring& name : names()) {
      if (std::find(before.begin(), before.end(), name) == before.end()) report = reports / name;
    }
    EXPECT_EQ(kelpo.Output(),
              Narrow(LoadText(kMsgCrashed, kStatusTextCapacity) + L" " +
                     LoadTextWith(kMsgCrashReportWritten, kStatusTextCapacity, report) + L"\r\n"));
    EXPECT_EQ(ReadText(report).substr(0, 4), "MDMP");
  }
  // The two new reports and the three newest before them.
  const std::vector<std::wstring> kept = names();
  ASSERT_EQ(kept.size(), 5u);
  EXPECT_EQ(kept[0], L"kelpo-20200104-000000-1.dmp");
}

TEST_F(KelpoExeTest, SecondStartShowsTheFirstProgramsWindowAndEnds) {
  ASSERT_TRUE(WriteDword(kFirstRunValue, 0));
  KelpoProcess first;
  const HWND window = first.WaitForMainWindow();
  ASSERT_NE(window, nullptr);
  KelpoProcess second;
  DWORD exitCode = 1;
  ASSERT_TRUE(second.WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }, test::kWindowTimeout));
  ::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  EXPECT_TRUE(first.WaitForExit(exitCode));
}

}  // namespace
}  // namespace kelpo
