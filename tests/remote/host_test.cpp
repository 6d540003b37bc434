// kelpo-remote-host, the stand-in for the remote-control software, run as a user
// would run it.
#include "plugin_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kelpo::remote::test {
namespace {

constexpr DWORD kHostTimeout = 30000;
constexpr DWORD kPipeSize = 64 * 1024;

struct HostRun {
  DWORD exitCode = 0xFFFFFFFFu;
  std::string output;
};

HostRun RunHost(const std::wstring& arguments) {
  HostRun run;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  unique_handle_value readEnd, writeEnd;
  if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inherit, kPipeSize)) {
    ADD_FAILURE() << "no pipe";
    return run;
  }
  (void)::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  const std::wstring host = BinaryDirectory() + L"kelpo-remote-host.exe";
  std::wstring commandLine = L"\"" + host + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(host.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "kelpo-remote-host.exe does not start: " << ::GetLastError();
    return run;
  }
  const unique_handle_value processHandle(process.hProcess), threadHandle(process.hThread);
  writeEnd.reset();
  EXPECT_EQ(::WaitForSingleObject(processHandle.get(), kHostTimeout), WAIT_OBJECT_0);
  (void)::GetExitCodeProcess(processHandle.get(), &run.exitCode);
  // Only what is in the pipe now: a helper process of the platform may have
  // inherited the write end, so waiting for the end of the data could wait forever.
  std::array<char, 4096> chunk{};
  DWORD available = 0;
  while (::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) &&
         available > 0) {
    DWORD read = 0;
    if (!::ReadFile(readEnd.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read,
                    nullptr) ||
        read == 0) {
      break;
    }
    run.output.append(chunk.data(), read);
  }
  return run;
}

std::wstring PluginArgument() { return L"\"" + BinaryDirectory() + L"kelpo_remote.dll\""; }

TEST(RemoteHost, ReportsWhatThePluginOffers) {
  const HostRun run = RunHost(PluginArgument());
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.output.find("WhatKeysDoYouWant: 2050"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("EnumerateProgrammableFunction(0): Take a Picture"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("EnumerateProgrammableFunction(1): (null)"), std::string::npos)
      << run.output;
}

TEST(RemoteHost, PressesKeysAndAsksForFocusAsTold) {
  CleanRemoteKey key;
  SetSound(0);
  EXPECT_NE(RunHost(PluginArgument() + L" handlekey 1 0 1").output.find("HandleKey: 0"),
            std::string::npos);
  EXPECT_NE(RunHost(PluginArgument() + L" focus").output.find("AreYouInFocus: 0"),
            std::string::npos);

  StandInKelpo kelpo;
  EXPECT_NE(RunHost(PluginArgument() + L" handlekey 1 0 1").output.find("HandleKey: 1"),
            std::string::npos);
  EXPECT_NE(RunHost(PluginArgument() + L" handlekey 0 0x28 0x10001").output.find("HandleKey: 1"),
            std::string::npos);
  EXPECT_NE(RunHost(PluginArgument() + L" handlekey 0 40 2").output.find("HandleKey: 0"),
            std::string::npos);
  PumpMessages(100);
  EXPECT_EQ(kelpo.captures(), 2);
}

TEST(RemoteHost, ConfigureWithAStaleOwnerFailsCleanly) {
  const HostRun run = RunHost(PluginArgument() + L" configure 0x12345678");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.output.find("Configure: -1"), std::string::npos) << run.output;
}

TEST(RemoteHost, ExitCodesTellBadUseAMissingPluginAndMissingExports) {
  EXPECT_EQ(RunHost(PluginArgument() + L" handlekey 1 x 1").exitCode, 1u);
  EXPECT_EQ(RunHost(PluginArgument() + L" handlekey 1 0x100000000 1").exitCode, 1u);
  EXPECT_EQ(RunHost(PluginArgument() + L" dance").exitCode, 1u);
  EXPECT_EQ(RunHost(L"C:\\nowhere\\kelpo_remote.dll").exitCode, 2u);
  const HostRun wrong = RunHost(L"version.dll");
  EXPECT_EQ(wrong.exitCode, 3u);
  EXPECT_NE(wrong.output.find("missing export: WhatKeysDoYouWant"), std::string::npos)
      << wrong.output;
}

}  // namespace
}  // namespace kelpo::remote::test
