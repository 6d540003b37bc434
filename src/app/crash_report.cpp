#include "app/crash_report.h"

#include "app/console_report.h"
#include "app/crash_report_rules.h"
#include "app/one_shot_rules.h"
#include "common/message_catalogue.h"
#include "common/unique_handle.h"
#include "common/win32.h"

#include <dbghelp.h>
#include <shlobj.h>

#include <exception>
#include <iterator>
#include <string>
#include <vector>

namespace kelpo {

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

// Everything the handlers need is found before anything can crash: a crashed
// process may no longer load a library or walk the folder tree safely.
struct CrashSetting {
  bool oneShot = false;
  std::wstring kelpoFolder;   // %LOCALAPPDATA%\Kelpo
  std::wstring reportFolder;  // ...\crashes
  // dbghelp is a system library, loaded rather than linked so that the
  // program imports only what every Windows has loaded at start.
  MiniDumpWriteDumpFn writeDump = nullptr;
  volatile LONG reportingThread = 0;
};

CrashSetting crash;

// A dump that takes longer is given up: the user hears of the crash anyway.
// Windows writes one at once; Wine's dbghelp takes half a minute here.
constexpr DWORD kDumpBound = 60000;

std::wstring LocalAppDataFolder() {
  std::vector<wchar_t> buffer(MAX_PATH * 2, L'\0');
  const DWORD length =
      ::GetEnvironmentVariableW(L"LOCALAPPDATA", buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > 0 && length < buffer.size()) return std::wstring(buffer.data(), length);
  std::fill(buffer.begin(), buffer.end(), L'\0');
  if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                   buffer.data()))) {
    return buffer.data();
  }
  return {};
}

void DeleteOldReports(std::size_t keep) {
  WIN32_FIND_DATAW found{};
  std::vector<std::wstring> names;
  {
    unique_hfind search(::FindFirstFileW((crash.reportFolder + L"\\kelpo-*.dmp").c_str(), &found));
    if (!search) return;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        names.push_back(found.cFileName);
    } while (::FindNextFileW(search.get(), &found));
  }
  for (const std::wstring& name : CrashReportsToDelete(std::move(names), keep)) {
    (void)::DeleteFileW((crash.reportFolder + L"\\" + name).c_str());
  }
}

struct DumpJob {
  HANDLE file;
  EXCEPTION_POINTERS* exception;
  DWORD threadId;
  BOOL written;
};

// A thread of its own writes the dump: the crashed thread cannot dump itself
// reliably (under Wine it never returns), but it can be read while it waits.
DWORD WINAPI WriteDump(void* context) {
  auto& job = *static_cast<DumpJob*>(context);
  MINIDUMP_EXCEPTION_INFORMATION where{};
  where.ThreadId = job.threadId;
  where.ExceptionPointers = job.exception;
  where.ClientPointers = FALSE;
  job.written =
      crash.writeDump(::GetCurrentProcess(), ::GetCurrentProcessId(), job.file, MiniDumpNormal,
                      job.exception != nullptr ? &where : nullptr, nullptr, nullptr);
  return 0;
}

// The report's path, or empty when none could be written.
std::wstring WriteReport(EXCEPTION_POINTERS* exception) {
  if (crash.writeDump == nullptr || crash.reportFolder.empty()) return {};
  (void)::CreateDirectoryW(crash.kelpoFolder.c_str(), nullptr);
  (void)::CreateDirectoryW(crash.reportFolder.c_str(), nullptr);
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  const std::wstring path =
      crash.reportFolder + L"\\" +
      CrashReportName({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond},
                      ::GetCurrentProcessId());
  unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  // Static: a writer that overruns its bound still has it, and the file.
  static DumpJob job;
  job = {file.get(), exception, ::GetCurrentThreadId(), FALSE};
  unique_handle_value writer(::CreateThread(nullptr, 0, &WriteDump, &job, 0, nullptr));
  if (!writer) return {};
  if (::WaitForSingleObject(writer.get(), kDumpBound) != WAIT_OBJECT_0) {
    (void)file.release();
    return {};
  }
  if (job.written) return path;
  file.reset();
  (void)::DeleteFileW(path.c_str());
  return {};
}

DWORD WINAPI ShowCrashBox(void* text) {
  const std::wstring caption = LoadText(kMsgErrorTitle, kTipTextCapacity);
  (void)::MessageBoxW(nullptr, static_cast<const wchar_t*>(text), caption.c_str(),
                      MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  return 0;
}

[[noreturn]] void EndAfterCrash(EXCEPTION_POINTERS* exception) {
  const LONG self = static_cast<LONG>(::GetCurrentThreadId());
  const LONG reporting = ::InterlockedCompareExchange(&crash.reportingThread, self, 0);
  if (reporting == self) {
    // The report itself failed: end without another word.
    (void)::TerminateProcess(::GetCurrentProcess(), kExitCouldNotRun);
  }
  if (reporting != 0) {
    // Another thread is reporting its crash and ends the process.
    for (;;) ::Sleep(INFINITE);
  }
  const std::wstring path = WriteReport(exception);
  std::wstring text = LoadText(kMsgCrashed, kStatusTextCapacity);
  if (!path.empty()) text += L" " + LoadTextWith(kMsgCrashReportWritten, kStatusTextCapacity, path);
  if (crash.oneShot) {
    ReportToConsole(text);
  } else {
    // The box runs on a thread of its own, so that it dispatches nothing to
    // the crashed program's windows while it is open.
    unique_handle_value box(
        ::CreateThread(nullptr, 0, &ShowCrashBox, const_cast<wchar_t*>(text.c_str()), 0, nullptr));
    if (box) (void)::WaitForSingleObject(box.get(), INFINITE);
  }
  (void)::TerminateProcess(::GetCurrentProcess(), kExitCouldNotRun);
  for (;;) ::Sleep(INFINITE);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) { EndAfterCrash(exception); }

void OnTerminate() { EndAfterCrash(nullptr); }

}  // namespace

void InstallCrashReports(bool oneShot) {
  crash.oneShot = oneShot;
  const std::wstring appData = LocalAppDataFolder();
  if (!appData.empty()) {
    crash.kelpoFolder = appData + L"\\Kelpo";
    crash.reportFolder = crash.kelpoFolder + L"\\crashes";
    // Room for the next report among the newest ones.
    DeleteOldReports(kCrashReportsKept - 1);
  }
  // The system folder only: never a dbghelp.dll that lies next to Kelpo.
  std::vector<wchar_t> system(MAX_PATH, L'\0');
  const UINT length = ::GetSystemDirectoryW(system.data(), static_cast<UINT>(system.size()));
  if (length > 0 && length < system.size()) {
    const std::wstring dbghelp = std::wstring(system.data(), length) + L"\\dbghelp.dll";
    if (const HMODULE module = ::LoadLibraryW(dbghelp.c_str())) {
      crash.writeDump = reinterpret_cast<MiniDumpWriteDumpFn>(
          reinterpret_cast<void*>(::GetProcAddress(module, "MiniDumpWriteDump")));
      // A dump needs no symbols. Wine's dbghelp reads every module's debug
      // information unless asked to defer it, which takes minutes.
      using SymSetOptionsFn = DWORD(WINAPI*)(DWORD);
      if (const auto setOptions = reinterpret_cast<SymSetOptionsFn>(
              reinterpret_cast<void*>(::GetProcAddress(module, "SymSetOptions")))) {
        (void)setOptions(SYMOPT_DEFERRED_LOADS);
      }
    }
  }
  (void)::SetUnhandledExceptionFilter(&OnUnhandledException);
  (void)std::set_terminate(&OnTerminate);
}

void RaiseCrashForTests() {
#ifdef KELPO_TEST_HOOKS
  wchar_t kind[16] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"KELPO_TEST_CRASH", kind, std::size(kind));
  if (length == 0 || length >= std::size(kind)) return;
  if (std::wstring(kind) == L"fault") {
    ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  } else if (std::wstring(kind) == L"terminate") {
    std::terminate();
  }
#endif
}

}  // namespace kelpo
