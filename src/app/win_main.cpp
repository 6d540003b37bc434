#include "app/application.h"
#include "app/command_line.h"
#include "app/console_report.h"
#include "app/message_catalogue.h"
#include "app/one_shot_rules.h"

#include <memory>

namespace {

constexpr UINT kErrorBoxStyle = MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND;
constexpr wchar_t kFallbackText[] = L"An unexpected error occurred.";
constexpr wchar_t kFallbackTextOther[] = L"An unexpected error occurred";

void ShowError(const std::wstring& text) {
  (void)::MessageBoxW(nullptr, text.c_str(), nullptr, kErrorBoxStyle);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  kelpo::Application::Options options;
  options.oneShot = kelpo::IsOneShotCommandLine(commandLine);
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
    std::wstring text = kelpo::LoadText(kelpo::kMsgUnexpectedError, kelpo::kErrorTextCapacity);
    if (text.empty()) text = kFallbackTextOther;
    fail(text);
    application.reset();
  }
  if (!options.oneShot) return 0;
  kelpo::ReportToConsole(report);
  return exitCode;
}
