// Starts Kelpo and, from outside, asks its main window for an answer every
// SAMPLE_PERIOD ms (SendMessageTimeout with WM_NULL) for the given seconds:
// prints the longest and typical waits, how many pictures the local copy saw
// written meanwhile, and how long Exit takes to end the program.
//
//   ui_latency_monitor.exe SECONDS PROGRAM LOCAL_COPY
#include "common/kelpo_window.h"
#include "common/unique_handle.h"
#include "common/win32.h"
#include "resources/resource.h"
#include "started_program.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kSamplePeriod = 10;
constexpr DWORD kWindowWait = 30000;
// The start-up's first picture is not the steady state.
constexpr DWORD kSettle = 3000;
constexpr UINT kAnswerBound = 60000;
constexpr DWORD kExitWait = 60000;

struct Search {
  DWORD processId = 0;
  HWND window = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  (void)::GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || ::GetPropW(window, kelpo::kKelpoWindowPropertyW) == nullptr) {
    return TRUE;
  }
  search->window = window;
  return FALSE;
}

double Milliseconds(LONGLONG ticks, LONGLONG frequency) {
  return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

ULONGLONG WriteTime(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: ui_latency_monitor SECONDS PROGRAM LOCAL_COPY\n");
    return 2;
  }
  const DWORD seconds = static_cast<DWORD>(_wtoi(argv[1]));
  kelpo::soak::StartedProgram program;
  if (!kelpo::soak::StartProgram(argv[2], program)) {
    std::fprintf(stderr, "ui_latency_monitor: the program did not start\n");
    return 1;
  }
  const kelpo::unique_handle_value& process = program.process;

  Search search;
  search.processId = program.processId;
  const DWORD started = ::GetTickCount();
  while (search.window == nullptr && ::GetTickCount() - started < kWindowWait) {
    (void)::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (::WaitForSingleObject(process.get(), kSamplePeriod) == WAIT_OBJECT_0) break;
  }
  if (search.window == nullptr) {
    std::fprintf(stderr, "ui_latency_monitor: no main window\n");
    (void)::TerminateProcess(process.get(), 1);
    return 1;
  }
  ::Sleep(kSettle);

  LARGE_INTEGER frequency{};
  (void)::QueryPerformanceFrequency(&frequency);
  std::vector<double> waits;
  ULONGLONG lastWrite = WriteTime(argv[3]);
  int pictures = 0;
  bool unanswered = false;
  const DWORD begun = ::GetTickCount();
  while (::GetTickCount() - begun < seconds * 1000) {
    LARGE_INTEGER before{}, after{};
    (void)::QueryPerformanceCounter(&before);
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(search.window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerBound, &result) ==
        0) {
      unanswered = true;
    }
    (void)::QueryPerformanceCounter(&after);
    waits.push_back(Milliseconds(after.QuadPart - before.QuadPart, frequency.QuadPart));
    const ULONGLONG write = WriteTime(argv[3]);
    if (write != lastWrite) {
      lastWrite = write;
      ++pictures;
    }
    ::Sleep(kSamplePeriod);
  }

  LARGE_INTEGER exitAsked{}, exited{};
  (void)::QueryPerformanceCounter(&exitAsked);
  (void)::PostMessageW(search.window, WM_COMMAND, IDC_EXIT, 0);
  const bool ended = ::WaitForSingleObject(process.get(), kExitWait) == WAIT_OBJECT_0;
  (void)::QueryPerformanceCounter(&exited);
  if (!ended) (void)::TerminateProcess(process.get(), 1);

  std::vector<double> sorted = waits;
  std::sort(sorted.begin(), sorted.end());
  const auto at = [&](double share) {
    return sorted.empty() ? 0.0 : sorted[static_cast<std::size_t>(share * (sorted.size() - 1))];
  };
  std::printf("  samples %zu over %lu s, pictures written %d\n", sorted.size(),
              static_cast<unsigned long>(seconds), pictures);
  std::printf("  longest wait %.1f ms, 99th percentile %.1f ms, median %.1f ms%s\n", at(1.0),
              at(0.99), at(0.5), unanswered ? " (some unanswered)" : "");
  std::printf("  exit took %.0f ms%s\n",
              Milliseconds(exited.QuadPart - exitAsked.QuadPart, frequency.QuadPart),
              ended ? "" : " (did not end: terminated)");
  return ended ? 0 : 1;
}
