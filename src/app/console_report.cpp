#include "app/console_report.h"

#include "common/unique_handle.h"
#include "common/win32.h"

#include <string>

namespace kelpo {

namespace {

bool WriteTo(HANDLE out, const std::wstring& text) {
  DWORD mode = 0;
  DWORD written = 0;
  if (::GetConsoleMode(out, &mode)) {
    return ::WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr) !=
           FALSE;
  }
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
  if (length <= 0) return false;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  (void)::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                              length, nullptr, nullptr);
  return ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) !=
             FALSE &&
         written == bytes.size();
}

}  // namespace

void ReportToConsole(const std::wstring& text) {
  if (text.empty()) return;
  const std::wstring line = text + L"\r\n";
  // A program that redirected Kelpo's output (a script's log) gets it there.
  const HANDLE given = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (given != nullptr && given != INVALID_HANDLE_VALUE &&
      ::GetFileType(given) != FILE_TYPE_UNKNOWN && WriteTo(given, line)) {
    return;
  }
  // Otherwise the console of the program that started Kelpo, if it has one.
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
  const auto detach = scope_exit([] { (void)::FreeConsole(); });
  unique_file console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (console) (void)WriteTo(console.get(), line);
}

}  // namespace kelpo
