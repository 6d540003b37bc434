#include "support/kelpo_process.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace kelpo::test {

namespace {

constexpr DWORD kPollInterval = 50;
constexpr DWORD kTextTimeout = 1000;
constexpr int kClassNameCapacity = 64;
constexpr int kBalloonTextCapacity = 512;

std::wstring ClassName(HWND window) {
  wchar_t name[kClassNameCapacity] = {};
  (void)::GetClassNameW(window, name, kClassNameCapacity);
  return name;
}

// The window text of a window of any process: WM_GETTEXT is sent, since
// GetWindowTextW does not ask windows of other processes.
std::wstring SentWindowText(HWND window) {
  std::vector<wchar_t> text(kBalloonTextCapacity, L'\0');
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kTextTimeout, &copied)) {
    return {};
  }
  return std::wstring(text.data());
}

struct WindowSearch {
  std::function<bool(HWND)> matches;
  HWND found = nullptr;
};

HWND FindTopLevelWindow(std::function<bool(HWND)> matches) {
  WindowSearch search{std::move(matches)};
  (void)::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& search = *reinterpret_cast<WindowSearch*>(context);
        if (!search.matches(window)) return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::wstring ProgramFolder() {
  std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring folder(path.data(), length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  // A quit request is not ours to take: it is left for the code under test.
  bool quit = false;
  int quitCode = 0;
  const auto finish = [&](bool result) {
    if (quit) ::PostQuitMessage(quitCode);
    return result;
  };
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start >= timeoutMs) return finish(done());
    (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollInterval, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(message.wParam);
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return finish(true);
}

HWND FindKelpoWindow(DWORD processId) {
  return FindTopLevelWindow([processId](HWND window) {
    DWORD owner = 0;
    (void)::GetWindowThreadProcessId(window, &owner);
    if (owner != processId || ClassName(window) != L"#32770") return false;
    wchar_t title[kClassNameCapacity] = {};
    (void)::GetWindowTextW(window, title, kClassNameCapacity);
    return std::wstring(title) == L"Kelpo";
  });
}

bool TrayIconExists(HWND window, UINT id) {
  NOTIFYICONDATAW probe{};
  probe.cbSize = NOTIFYICONDATAW_V1_SIZE;
  probe.hWnd = window;
  probe.uID = id;
  return ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

HWND FindBalloon(const std::wstring& text) {
  return FindTopLevelWindow([&text](HWND window) {
    return ::IsWindowVisible(window) && ClassName(window) == TOOLTIPS_CLASSW &&
           (::GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON) != 0 &&
           SentWindowText(window) == text;
  });
}

KelpoProcess::KelpoProcess(const std::wstring& arguments, bool captureOutput) {
  const std::wstring program = ProgramFolder() + L"kelpo.exe";
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  unique_handle_value childOutput;
  if (captureOutput) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!::CreatePipe(&read, &write, &inheritable, 0)) return;
    output_.reset(read);
    childOutput.reset(write);
    (void)::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
  }
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                        captureOutput ? TRUE : FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return;
  }
  (void)::CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  processId_ = info.dwProcessId;
}

KelpoProcess::~KelpoProcess() {
  if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    (void)::TerminateProcess(process_.get(), 1);
    (void)::WaitForSingleObject(process_.get(), kExitTimeout);
  }
}

HWND KelpoProcess::WaitForMainWindow(DWORD timeoutMs) {
  if (!process_) return nullptr;
  (void)::WaitForInputIdle(process_.get(), timeoutMs);
  HWND window = nullptr;
  (void)WaitFor([&] { return (window = FindKelpoWindow(processId_)) != nullptr; }, timeoutMs);
  return window;
}

std::string KelpoProcess::Output() {
  std::string text;
  if (!output_) return text;
  char buffer[512];
  DWORD got = 0;
  // The pipe ends when the program does: only it still held the other end.
  while (::ReadFile(output_.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  output_.reset();
  return text;
}

bool KelpoProcess::WaitForExit(DWORD& exitCode, DWORD timeoutMs) {
  if (!process_ || ::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return false;
  return ::GetExitCodeProcess(process_.get(), &exitCode) != FALSE;
}

}  // namespace kelpo::test
