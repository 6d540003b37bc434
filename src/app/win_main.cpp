#include "app/application.h"
#include "app/command_line.h"
#include "app/message_catalogue.h"

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
  std::unique_ptr<kelpo::Application> application;
  try {
    kelpo::Application::Options options;
    options.oneShot = kelpo::IsOneShotCommandLine(commandLine);
    application = std::make_unique<kelpo::Application>(options);
    application->Run();
    application.reset();
  } catch (const kelpo::Error& error) {
    application.reset();
    std::wstring text = kelpo::LoadText(error.id, kelpo::kErrorTextCapacity);
    if (text.empty()) text = kelpo::LoadText(kelpo::kMsgUnexpectedError, kelpo::kErrorTextCapacity);
    if (text.empty()) text = kFallbackText;
    ShowError(text);
  } catch (...) {
    std::wstring text = kelpo::LoadText(kelpo::kMsgUnexpectedError, kelpo::kErrorTextCapacity);
    if (text.empty()) text = kFallbackTextOther;
    ShowError(text);
    application.reset();
  }
  return 0;
}
