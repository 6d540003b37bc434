// Starts a program, lets it settle, then leaves it alone for the given seconds:
// prints "settled" and "idled" as they begin and end, for tools/bench to read
// the program's CPU time and resident memory from Linux (Wine's own
// GetProcessTimes counts only some of another process's threads), and its
// figures as Windows sees them. Ends it by its Exit command (Kelpo's main
// window only hides when closed) or Cancel (the dialog).
//
//   idle_monitor.exe SECONDS PROGRAM
#include "common/unique_handle.h"
#include "common/win32.h"
#include "resources/resource.h"
#include "started_program.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Start-up (the still image's first decode, the window) is not idling.
constexpr DWORD kSettle = 5000;
constexpr DWORD kExitWait = 10000;
// Time for tools/bench to read the figures before the program is ended.
constexpr DWORD kReadingTime = 1000;
constexpr double kMebibyte = 1024.0 * 1024.0;
constexpr double kHundredNanosecondsPerMillisecond = 10000.0;

double CpuMilliseconds(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto ticks = [](const FILETIME& time) {
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / kHundredNanosecondsPerMillisecond;
}

// Kelpo's main window only hides when closed; its Exit command ends it. The
// dialog ends on Cancel. Each program ignores the other's command.
BOOL CALLBACK AskToEnd(HWND window, LPARAM processId) {
  DWORD owner = 0;
  (void)::GetWindowThreadProcessId(window, &owner);
  if (owner != static_cast<DWORD>(processId)) return TRUE;
  (void)::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
  (void)::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: idle_monitor SECONDS PROGRAM\n");
    return 2;
  }
  const DWORD seconds = static_cast<DWORD>(_wtoi(argv[1]));
  kelpo::soak::StartedProgram program;
  if (!kelpo::soak::StartProgram(argv[2], program)) {
    std::fprintf(stderr, "idle_monitor: the program did not start\n");
    return 1;
  }
  const kelpo::unique_handle_value& process = program.process;

  if (::WaitForSingleObject(process.get(), kSettle) == WAIT_OBJECT_0) {
    std::fprintf(stderr, "idle_monitor: the program ended at start\n");
    return 1;
  }
  const double before = CpuMilliseconds(process.get());
  std::printf("settled\n");
  (void)std::fflush(stdout);
  if (::WaitForSingleObject(process.get(), seconds * 1000) == WAIT_OBJECT_0) {
    std::fprintf(stderr, "idle_monitor: the program ended while idle\n");
    return 1;
  }
  const double after = CpuMilliseconds(process.get());
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  (void)::GetProcessMemoryInfo(process.get(), &memory, sizeof(memory));
  std::printf("idled\n");
  std::printf("  as Windows sees it: cpu %.0f ms, working set %.1f MiB (peak %.1f MiB)\n",
              after - before, static_cast<double>(memory.WorkingSetSize) / kMebibyte,
              static_cast<double>(memory.PeakWorkingSetSize) / kMebibyte);
  (void)std::fflush(stdout);
  ::Sleep(kReadingTime);

  (void)::EnumWindows(AskToEnd, static_cast<LPARAM>(program.processId));
  if (::WaitForSingleObject(process.get(), kExitWait) != WAIT_OBJECT_0) {
    (void)::TerminateProcess(process.get(), 1);
  }
  return 0;
}
