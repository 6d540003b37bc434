// The soak's eyes: starts kelpo.exe (the tray program, configured by the
// caller), and every 100 pictures the FTP server has received prints what
// Kelpo holds: resident memory, handles, GDI and USER objects, and the
// temporary pictures in the temporary folder. At the end it asks Kelpo to
// exit, looks again for temporary files, and prints the growth per 100
// pictures. Run by tools/soak.
//
//   soak_monitor.exe PICTURES RECEIVED_COUNT_FILE
#include "common/unique_handle.h"
#include "common/win32.h"
#include "resources/resource.h"
#include "started_program.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kPicturesPerReport = 100;
constexpr DWORD kPoll = 250;
// One picture a second, with room for slow ones.
constexpr DWORD kMillisecondsPerPicture = 3000;
constexpr DWORD kStartAllowance = 60000;
constexpr DWORD kExitWait = 20000;
constexpr double kMebibyte = 1024.0 * 1024.0;

std::wstring ProgramFolder() {
  std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring folder(path.data(), length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

int ReadCount(const std::wstring& path) {
  kelpo::unique_file file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return -1;
  char text[32] = {};
  DWORD got = 0;
  if (!::ReadFile(file.get(), text, sizeof(text) - 1, &got, nullptr)) return -1;
  return std::atoi(text);
}

int TempPictures() {
  wchar_t folder[MAX_PATH];
  const DWORD length = ::GetTempPathW(MAX_PATH, folder);
  WIN32_FIND_DATAW found;
  kelpo::unique_hfind search(
      ::FindFirstFileW((std::wstring(folder, length) + L"cam*.tmp").c_str(), &found));
  if (!search) return 0;
  int count = 1;
  while (::FindNextFileW(search.get(), &found)) ++count;
  return count;
}

struct Sample {
  int pictures = 0;
  double residentMiB = 0;
  double peakResidentMiB = 0;
  long handles = -1;  // -1: the system does not count them
  long gdiObjects = -1;
  long userObjects = -1;
  long windows = 0;  // Kelpo's windows, top-level and child: USER objects Wine can show
  int tempFiles = 0;
};

// The handle count of another process. GetProcessHandleCount answers 0 under
// Wine; the system's handle table, which Wine keeps, tells the same.
long Handles(HANDLE process, DWORD processId) {
  DWORD count = 0;
  if (::GetProcessHandleCount(process, &count) && count > 0) return static_cast<long>(count);
  struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  struct Table {
    ULONG count;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  std::vector<BYTE> buffer(1 << 16);
  for (;;) {
    ULONG needed = 0;
    const LONG status =
        query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
      continue;
    }
    if (status < 0) return -1;
    break;
  }
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  long mine = 0;
  for (ULONG i = 0; i < table->count; ++i) {
    if (table->entries[i].ownerPid == processId) ++mine;
  }
  return mine;
}

struct WindowCount {
  DWORD processId;
  long count;
};

long Windows(DWORD processId) {
  WindowCount windows{processId, 0};
  const auto countTopLevel = [](HWND window, LPARAM context) -> BOOL {
    auto& windows = *reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    (void)::GetWindowThreadProcessId(window, &owner);
    if (owner != windows.processId) return TRUE;
    ++windows.count;
    (void)::EnumChildWindows(
        window,
        [](HWND, LPARAM inner) -> BOOL {
          ++reinterpret_cast<WindowCount*>(inner)->count;
          return TRUE;
        },
        context);
    return TRUE;
  };
  (void)::EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
  return windows.count;
}

long GuiObjects(HANDLE process, DWORD kind) {
  ::SetLastError(ERROR_SUCCESS);
  const DWORD count = ::GetGuiResources(process, kind);
  if (count == 0 && ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return -1;
  return static_cast<long>(count);
}

Sample Measure(HANDLE process, DWORD processId, int pictures) {
  Sample sample;
  sample.pictures = pictures;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  if (::GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
    sample.residentMiB = static_cast<double>(memory.WorkingSetSize) / kMebibyte;
    sample.peakResidentMiB = static_cast<double>(memory.PeakWorkingSetSize) / kMebibyte;
  }
  sample.handles = Handles(process, processId);
  sample.windows = Windows(processId);
  sample.gdiObjects = GuiObjects(process, GR_GDIOBJECTS);
  sample.userObjects = GuiObjects(process, GR_USEROBJECTS);
  sample.tempFiles = TempPictures();
  return sample;
}

std::string Count(long value) { return value < 0 ? "n/a" : std::to_string(value); }

void Print(const Sample& s) {
  std::printf("%8d %12.1f %8.1f %8s %5s %5s %8ld %10d\n", s.pictures, s.residentMiB,
              s.peakResidentMiB, Count(s.handles).c_str(), Count(s.gdiObjects).c_str(),
              Count(s.userObjects).c_str(), s.windows, s.tempFiles);
  std::fflush(stdout);
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

HWND FindKelpoWindow(DWORD processId) {
  WindowSearch search{processId, nullptr};
  (void)::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& search = *reinterpret_cast<WindowSearch*>(context);
        DWORD owner = 0;
        (void)::GetWindowThreadProcessId(window, &owner);
        wchar_t title[16] = {};
        (void)::GetWindowTextW(window, title, 16);
        if (owner != search.processId || std::wstring(title) != L"Kelpo") return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: soak_monitor PICTURES RECEIVED_COUNT_FILE\n");
    return 2;
  }
  const int wanted = std::max(kPicturesPerReport, _wtoi(argv[1]));
  const std::wstring countFile = argv[2];
  const int tempAtStart = TempPictures();

  kelpo::soak::StartedProgram started;
  if (!kelpo::soak::StartProgram(ProgramFolder() + L"kelpo.exe", started)) {
    std::fprintf(stderr, "soak: kelpo.exe did not start\n");
    return 1;
  }
  const kelpo::unique_handle_value& process = started.process;

  std::printf("%8s %12s %8s %8s %5s %5s %8s %10s\n", "pictures", "resident MiB", "peak MiB",
              "handles", "GDI", "USER", "windows", "temp files");
  std::vector<Sample> samples;
  samples.push_back(Measure(process.get(), started.processId, 0));
  Print(samples.back());
  const DWORD start = ::GetTickCount();
  const DWORD longest = kStartAllowance + static_cast<DWORD>(wanted) * kMillisecondsPerPicture;
  int next = kPicturesPerReport;
  int received = 0;
  bool ended = false;
  while (received < wanted) {
    if (::WaitForSingleObject(process.get(), kPoll) == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
    if (::GetTickCount() - start > longest) break;
    received = ReadCount(countFile);
    if (received >= next) {
      samples.push_back(Measure(process.get(), started.processId, received));
      Print(samples.back());
      next = (received / kPicturesPerReport + 1) * kPicturesPerReport;
    }
  }

  bool failed = false;
  if (ended) {
    DWORD code = 0;
    (void)::GetExitCodeProcess(process.get(), &code);
    std::printf("Kelpo ended by itself after %d pictures (exit code %lu)\n", received,
                static_cast<unsigned long>(code));
    failed = true;
  } else {
    if (received < wanted) {
      std::printf("only %d pictures arrived in %lu s\n", received,
                  static_cast<unsigned long>(longest / 1000));
      failed = true;
    }
    const HWND window = FindKelpoWindow(started.processId);
    if (window != nullptr) (void)::PostMessageW(window, WM_COMMAND, IDC_EXIT, 0);
    if (window == nullptr || ::WaitForSingleObject(process.get(), kExitWait) != WAIT_OBJECT_0) {
      std::printf("Kelpo did not exit when asked\n");
      (void)::TerminateProcess(process.get(), 1);
      failed = true;
    }
  }
  const int tempAtEnd = TempPictures();
  std::printf("temporary pictures: %d before, %d after Kelpo ended\n", tempAtStart, tempAtEnd);
  if (tempAtEnd > tempAtStart) failed = true;

  // Growth from the first report to the last, per 100 pictures: the first
  // 100 pictures warm the caches up.
  if (samples.size() >= 3) {
    const Sample& first = samples[1];
    const Sample& last = samples.back();
    const double hundreds =
        static_cast<double>(last.pictures - first.pictures) / kPicturesPerReport;
    if (hundreds > 0) {
      const auto per = [hundreds](double a, double b) { return (b - a) / hundreds; };
      std::printf(
          "growth per 100 pictures (from %d to %d): resident %+.2f MiB, handles %+.1f, "
          "windows %+.1f",
          first.pictures, last.pictures, per(first.residentMiB, last.residentMiB),
          per(static_cast<double>(first.handles), static_cast<double>(last.handles)),
          per(static_cast<double>(first.windows), static_cast<double>(last.windows)));
      if (first.gdiObjects >= 0 && last.gdiObjects >= 0) {
        std::printf(
            ", GDI %+.1f, USER %+.1f",
            per(static_cast<double>(first.gdiObjects), static_cast<double>(last.gdiObjects)),
            per(static_cast<double>(first.userObjects), static_cast<double>(last.userObjects)));
      } else {
        std::printf(", GDI and USER not counted by this system");
      }
      std::printf("\n");
    }
  }
  std::printf("%d pictures received\n", received);
  return failed ? 1 : 0;
}
