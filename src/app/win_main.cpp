#include "app/application.h"
#include "app/command_line_rules.h"
#include "app/console_report.h"
#include "app/crash_report.h"
#include "app/one_shot_rules.h"
#include "app/single_instance.h"
#include "common/message_catalogue.h"
#include "upload/curl_library.h"

#include "kelpo_version.h"

#include <memory>

namespace {

constexpr UINT kErrorBoxStyle = MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND;
constexpr wchar_t kFallbackText[] = L"An unexpected error occurred.";
constexpr wchar_t kFallbackTextOther[] = L"An unexpected error occurred";

void ShowError(const std::wstring& text) {
  (void)::MessageBoxW(nullptr, text.c_str(), nullptr, kErrorBoxStyle);
}

std::wstring Widen(const std::string& text) {
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  (void)::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              length);
  return wide;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  const kelpo::CommandLineChoice choice =
      kelpo::ParseCommandLine(commandLine != nullptr ? commandLine : "");
  // A mistyped argument in a script must not start a tray program that never
  // ends: it is refused the way a one-shot run reports.
  if (choice.kind == kelpo::RunKind::kUnknown) {
    kelpo::ReportToConsole(kelpo::LoadTextWith(kelpo::kMsgUnknownArgument,
                                               kelpo::kStatusTextCapacity, Widen(choice.unknown)));
    return kelpo::kExitCouldNotRun;
  }
  if (choice.kind == kelpo::RunKind::kVersion) {
    kelpo::ReportToConsole(Widen("Kelpo " KELPO_VERSION_TEXT "\n" + kelpo::CurlVersionText() +
                                 "\nBuilt from Debian's sources: " KELPO_THIRD_PARTY_TEXT));
    return 0;
  }
  kelpo::Application::Options options;
  options.oneShot = choice.kind == kelpo::RunKind::kOneShot;
  kelpo::InstallCrashReports(options.oneShot);
  kelpo::SingleInstance instance;
  if (!options.oneShot && !instance.Claim()) return 0;

  std::unique_ptr<kelpo::Application> application;
  int exitCode = 0;
  std::wstring report;
  // The normal run shows a failure in a message box. A one-shot run cannot
  // wait for someone to close one: it says it on the console and in its exit
  // code.
  const auto fail = [&](const std::wstring& text) {
    if (!options.oneShot) {
      ShowError(text);
      return;
    }
    report = text;
    exitCode = kelpo::kExitCouldNotRun;
  };
  // The application goes before its box shows: its timers and windows must
  // not run on behind the box.
  try {
    application = std::make_unique<kelpo::Application>(options);
    exitCode = application->Run();
    report = application->OneShotReport();
    application.reset();
  } catch (const kelpo::Error& error) {
    application.reset();
    std::wstring text = kelpo::LoadText(error.id, kelpo::kErrorTextCapacity);
    if (text.empty()) text = kelpo::LoadText(kelpo::kMsgUnexpectedError, kelpo::kErrorTextCapacity);
    if (text.empty()) text = kFallbackText;
    fail(text);
  } catch (...) {
    application.reset();
    std::wstring text = kelpo::LoadText(kelpo::kMsgUnexpectedError, kelpo::kErrorTextCapacity);
    if (text.empty()) text = kFallbackTextOther;
    fail(text);
  }
  if (!options.oneShot) return 0;
  kelpo::ReportToConsole(report);
  return exitCode;
}
