#include "app/application.h"

#include "app/crash_report.h"
#include "app/one_shot_rules.h"
#include "app/status_rules.h"
#include "capture/camera_turn.h"
#include "common/dll_version.h"
#include "common/message_catalogue.h"
#include "picture/leftover_files.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "settings/settings_store.h"
#include "ui/settings_sheet.h"
#include "upload/dial_up.h"
#include "upload/protocol_uploader.h"

#include <utility>

namespace kelpo {

namespace {

// Whether the system can say which font smoothing it supports; ClearType may
// be chosen only then.
bool QueryClearTypeAvailable() {
  UINT smoothing = 0;
  return ::SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &smoothing, 0) != FALSE;
}

}  // namespace

Application::Application(const Options& options)
    : clearTypeAvailable_(QueryClearTypeAvailable()),
      options_(options),
      oneShot_(options.oneShot ? std::make_unique<OneShotRun>(settings_, window_) : nullptr),
      cycle_(settings_, pictures_, window_,
             oneShot_ ? static_cast<PictureRoad&>(*oneShot_) : trayRoad_, options.uploadTimeLimit) {
  // Without a stored value, dial-up follows how the machine is connected now.
  settings_.dialup = IsModemConnection();
}

Application::~Application() {
  window_.Withdraw();
  // Waits for a picture being made, which is cut short at its next step.
  maker_.reset();
  // A transfer cut short here may hold its file for a long while (Wine's
  // WinInet, until its wait for the server ends): the pipeline does not wait
  // for it at exit, the next start deletes it.
  if (uploader_ && uploader_->Running()) {
    uploader_->Cancel();
    pictures_.ReleaseLastPicture();
  }
  // The window must not call back into parts that are going.
  window_.Detach();
  // The camera's video window lives in the main window: the graph goes while
  // the window is still there.
  source_.reset();
}

void Application::Start() {
  // What an earlier run could not delete, nothing holds any more.
  DeleteRememberedLeftoverFiles();
  LoadSettings(settings_, clearTypeAvailable_);
  pictures_.ComputeOutputSize(settings_);

  constexpr DWORD kShell5 = 0x50000;
  window_.Create(*this, QueryDllVersion(L"shell32.dll") >= kShell5);
  if (!OneShot()) window_.MarkAsTrayProgram();
  uploader_ = std::make_unique<ProtocolUploader>(internet_, curl_, window_.handle(),
                                                 WM_UPLOADCOMPLETE, cycle_);
  maker_ = std::make_unique<PictureMaker>(pictures_, window_.handle(), WM_PICTUREMADE);
  OpenSource();

  // A one-shot run ends within its bound whatever happens, and asks nothing:
  // the first run's Settings sheet waits for the next normal start.
  if (OneShot()) {
    // The archive copy's upload has a time limit of its own.
    const UINT limit = options_.uploadTimeLimit;
    const bool archiveUpload = !settings_.disableFTP && !settings_.archiveremote.empty();
    window_.StartOneShotBound(OneShotBound(limit) + (archiveUpload ? limit : 0));
  }
  std::uint32_t firstRun = 1;
  (void)ReadDword(kFirstRunValue, firstRun);
  if (firstRun != 0 && !OneShot()) {
    (void)WriteDword(kFirstRunValue, 0);
    window_.ShowNormal();
    OnSettingsRequested();
    RaisePendingError();
  }

  RaiseCrashForTests();
  cycle_.RequestPicture();
  StartCaptureTimer();
}

int Application::Run() {
  Start();
  MSG message{};
  for (;;) {
    const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
    if (result == 0 || result == -1) break;
    if (!::IsDialogMessageW(window_.handle(), &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  RaisePendingError();
  window_.StopCaptureTimer();
  SaveAllSettings(settings_);
  return OneShot() ? oneShot_->ExitCode() : 0;
}

std::wstring Application::OneShotReport() const {
  std::wstring report;
  if (!OneShot()) return report;
  for (int id : oneShot_->Report()) {
    if (!report.empty()) report += L"\r\n";
    // The last status as shown, with the values its text names.
    report += id == window_.LastStatus() && !window_.LastStatusText().empty()
                  ? window_.LastStatusText()
                  : LoadText(id, kStatusTextCapacity);
  }
  return report;
}

void Application::OpenSource() {
  PreviewHost host;
  host.window = window_.handle();
  host.previewControl = window_.PreviewControl();
  host.graphMessage = WM_GRAPHNOTIFY;
  host.grabTimer = this;
  host.cameraTurnWait = OneShot() ? CameraTurn::kWaitBound : 0;
  // The new source is made before the old one goes: if it cannot be made,
  // the old one stays in use. The cycle is told first, so that nothing the
  // old one's end sets off (its graph's last messages) reaches it half gone.
  std::unique_ptr<FrameSource> source = OpenFrameSource(settings_, host);
  // The worker may be making the old source's frame: it lets go of it first.
  maker_->WaitForWorker();
  cycle_.Connect(*source, *uploader_, *maker_);
  source_.swap(source);
}

void Application::StartCaptureTimer() {
  window_.StartCaptureTimer(CaptureTimerPeriod(settings_.timevalue, settings_.timeunit));
}

void Application::StopCaptureTimer() { window_.StopCaptureTimer(); }

void Application::PlacePreview() {
  if (source_) source_->PlacePreview();
}

VideoDeviceControls* Application::DeviceControls() {
  return source_ ? source_->DeviceControls() : nullptr;
}

std::wstring Application::DeviceName() const { return source_ ? source_->DeviceName() : L""; }

void Application::UseImageFileInstead() {
  settings_.deviceType = kDeviceImageFile;
  settings_.devicePath.clear();
  OpenSource();
  // A new source has not yet heard whether the window shows.
  source_->OnWindowShown(::IsWindowVisible(window_.handle()) != FALSE);
}

void Application::OnUploadCompletion(WPARAM wParam, LPARAM lParam) {
  if (uploader_) uploader_->OnNews(wParam, lParam);
}

void Application::OnSettingsRequested() { OpenSettingsSheet(window_.handle(), *this); }

void Application::OnShown(bool shown) {
  if (source_) source_->OnWindowShown(shown);
}

void Application::OnMoved() {
  if (source_) source_->PlacePreview();
}

void Application::OnPreviewResized() {
  if (source_) source_->OnPreviewResized();
}

void Application::OnSessionEnding() { SaveAllSettings(settings_); }

void Application::OnUnhandledError(std::exception_ptr error) noexcept {
  // The first error is the one the user sees; later ones follow from it.
  if (!pendingError_) pendingError_ = error;
  ::PostQuitMessage(0);
}

void Application::RaisePendingError() {
  if (pendingError_) std::rethrow_exception(std::exchange(pendingError_, nullptr));
}

}  // namespace kelpo
