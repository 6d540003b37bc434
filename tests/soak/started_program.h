// A program a monitor starts and watches from outside.
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"

#include <string>

namespace kelpo::soak {

struct StartedProgram {
  unique_handle_value process;
  unique_handle_value thread;
  DWORD processId = 0;
};

// Starts `path` without arguments; false when it did not start.
inline bool StartProgram(const std::wstring& path, StartedProgram& started) {
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
    return false;
  }
  started.process.reset(info.hProcess);
  started.thread.reset(info.hThread);
  started.processId = info.dwProcessId;
  return true;
}

}  // namespace kelpo::soak
