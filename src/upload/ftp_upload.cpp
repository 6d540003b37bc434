// The asynchronous FTP upload: connect, change directory, put. WinInet reports
// each completion on one of its own threads; a request may also end at once
// (Wine's InternetConnectW connects at once), and both ways feed the same step.
#include "app/application.h"

#include "app/message_catalogue.h"

#include <ras.h>
#include <raserror.h>

#include <array>
#include <shared_mutex>
#include <type_traits>
#include <vector>

namespace kelpo {

namespace {

constexpr std::size_t kContextSlots = 8;
std::array<UploadContext, kContextSlots> contextSlots;
std::size_t nextContextSlot = 0;  // UI thread only

// Callbacks hold it shared while they use their Application; only the
// Application's end takes it exclusively, after its window is gone, so a
// callback waiting on that window cannot hold it up.
std::shared_mutex& UploadContextGate() {
  static std::shared_mutex gate;
  return gate;
}

void CloseConnection(HINTERNET connection) {
  if (connection == nullptr) return;
  // Without its callback the closed connection reports nothing more.
  (void)::InternetSetStatusCallbackW(connection, nullptr);
  (void)::InternetCloseHandle(connection);
}

void QuitOneShot(Application& app) {
  if (app.oneShot) (void)::SendMessageW(app.mainWindow, WM_QUITAPP, 0, 0);
}

// Takes the upload out of its step; true when one was running. The caller owns
// the connection it hands back and must close it.
bool Abandon(Application& app, UploadStep& wasStep, HINTERNET& connection) {
  std::lock_guard<std::mutex> lock(app.upload.mutex);
  wasStep = app.upload.step;
  app.upload.step = UploadStep::Idle;
  app.upload.context = nullptr;
  connection = app.ftpConnection.exchange(nullptr);
  return wasStep != UploadStep::Idle;
}

// Feeds one completed request of the upload that owns `context` into its
// step, issues the next request and repeats while requests complete at once.
// Runs on the UI thread (results at once) or on a WinInet thread (callbacks).
void Advance(Application& app, UploadContext* context, DWORD_PTR result) {
  for (;;) {
    UploadStep step = UploadStep::Idle;
    UploadTransition transition{UploadStep::Idle, UploadAction::Ignore, 0};
    HINTERNET connection = nullptr;
    HINTERNET toClose = nullptr;
    std::wstring directory, filename, localFile;
    {
      std::lock_guard<std::mutex> lock(app.upload.mutex);
      const bool connectReport = context->connectPending;
      context->connectPending = false;
      if (app.upload.context != context || app.upload.step == UploadStep::Idle) {
        // An abandoned upload: a connection it made after all is closed here,
        // nothing is shown.
        if (connectReport && result != 0) toClose = reinterpret_cast<HINTERNET>(result);
      } else {
        step = app.upload.step;
        transition = NextUploadStep(step, result != 0);
        app.upload.step = transition.next;
        if (step == UploadStep::Connecting && result != 0) {
          app.ftpConnection = reinterpret_cast<HINTERNET>(result);
        }
        if (transition.action == UploadAction::Finish) {
          app.upload.context = nullptr;
          toClose = app.ftpConnection.exchange(nullptr);
        } else {
          connection = app.ftpConnection.load();
        }
        if (transition.action == UploadAction::PutFile) app.transferIdle = false;
        directory = app.upload.directory;
        filename = app.upload.filename;
        localFile = app.upload.localFile;
      }
    }

    BOOL issued = FALSE;
    switch (transition.action) {
      case UploadAction::Ignore:
        CloseConnection(toClose);
        return;
      case UploadAction::Finish:
        // The time limit guards a running upload only: one that ended leaves
        // no timer behind to take a stray picture later.
        (void)::KillTimer(app.mainWindow, app.uploadTimerId);
        CloseConnection(toClose);
        if (step == UploadStep::Uploading) app.transferIdle = true;
        app.SetStatus(transition.status);
        QuitOneShot(app);
        return;
      case UploadAction::ChangeDirectory:
        app.SetStatus(transition.status);
        (void)::SetTimer(app.mainWindow, app.uploadTimerId, app.uploadTimeLimit, nullptr);
        issued = ::FtpSetCurrentDirectoryW(connection, RemoteDirectory(directory).c_str());
        break;
      case UploadAction::PutFile:
        app.SetStatus(transition.status);
        issued = ::FtpPutFileW(connection, localFile.c_str(), filename.c_str(),
                               FTP_TRANSFER_TYPE_BINARY, reinterpret_cast<DWORD_PTR>(context));
        break;
    }
    if (ClassifyRequestResult(issued != FALSE, ::GetLastError() == ERROR_IO_PENDING) ==
        RequestOutcome::Pending) {
      return;
    }
    // Refused at once: no callback follows, so the failure is fed in here.
    result = FALSE;
  }
}

}  // namespace

UploadState::~UploadState() {
  std::unique_lock<std::shared_mutex> gate(UploadContextGate());
  for (UploadContext& slot : contextSlots) {
    Application* owner = slot.application.load();
    if (owner != nullptr && &owner->upload == this) {
      slot.application = nullptr;
      slot.connectPending = false;
    }
  }
}

bool Application::IsDialUpConnected() {
  if (!settings.dialup) return true;

  // RASCONNW is a macro naming the structure, so it gets a proper type name.
  using RasConnection = std::remove_pointer_t<LPRASCONNW>;
  std::vector<RasConnection> connections(1);
  connections[0].dwSize = sizeof(RasConnection);
  DWORD bytes = sizeof(RasConnection);
  DWORD count = 0;
  DWORD answer = ::RasEnumConnectionsW(connections.data(), &bytes, &count);
  if (answer == ERROR_BUFFER_TOO_SMALL) {
    connections.assign((bytes + sizeof(RasConnection) - 1) / sizeof(RasConnection),
                       RasConnection{});
    connections[0].dwSize = sizeof(RasConnection);
    bytes = static_cast<DWORD>(connections.size() * sizeof(RasConnection));
    count = 0;
    answer = ::RasEnumConnectionsW(connections.data(), &bytes, &count);
  }
  if (answer != ERROR_SUCCESS) return false;

  if (count > connections.size()) count = static_cast<DWORD>(connections.size());
  for (DWORD i = 0; i < count; ++i) {
    RASCONNSTATUSW status{};
    status.dwSize = sizeof(status);
    if (::RasGetConnectStatusW(connections[i].hrasconn, &status) == ERROR_SUCCESS &&
        status.rasconnstate == RASCS_Connected) {
      return true;
    }
  }
  return false;
}

void Application::StartUpload() {
  bool busy = false;
  {
    std::lock_guard<std::mutex> lock(upload.mutex);
    busy = upload.step != UploadStep::Idle;
  }
  if (!UploadMayStart(ftpIdle && !busy, IsDialUpConnected(), settings.server)) {
    QuitOneShot(*this);
    return;
  }

  UploadContext* context = &contextSlots[nextContextSlot];
  nextContextSlot = (nextContextSlot + 1) % kContextSlots;
  context->application = this;
  {
    std::lock_guard<std::mutex> lock(upload.mutex);
    upload.step = UploadStep::Connecting;
    upload.context = context;
    context->connectPending = true;
    upload.directory = settings.directory;
    upload.filename = settings.filename;
    upload.localFile = tempFilePath;
  }

  SetStatus(kMsgConnecting);
  const DWORD flags = settings.passiveftp ? INTERNET_FLAG_PASSIVE : 0;
  HINTERNET connection = ::InternetConnectW(
      internetHandle, settings.server.c_str(), INTERNET_DEFAULT_FTP_PORT, settings.user.c_str(),
      settings.password.c_str(), INTERNET_SERVICE_FTP, flags, reinterpret_cast<DWORD_PTR>(context));
  const RequestOutcome outcome =
      ClassifyConnectResult(connection != nullptr, ::GetLastError() == ERROR_IO_PENDING);
  // A connection made or refused at once gets no completion callback.
  if (outcome != RequestOutcome::Pending) {
    Advance(*this, context, reinterpret_cast<DWORD_PTR>(connection));
  }
}

void Application::CancelUpload() {
  (void)::KillTimer(mainWindow, uploadTimerId);
  UploadStep wasStep = UploadStep::Idle;
  HINTERNET connection = nullptr;
  const bool wasRunning = Abandon(*this, wasStep, connection);
  CloseConnection(connection);
  if (!wasRunning) return;
  // No completion of the abandoned upload will end it: it is over now, and a
  // new upload may start.
  transferIdle = true;
  ftpIdle = true;
  (void)::EnableWindow(::GetDlgItem(mainWindow, IDC_TAKE_PICTURE), TRUE);
}

void Application::OnUploadTimeLimit() {
  (void)::KillTimer(mainWindow, uploadTimerId);
  HINTERNET connection = nullptr;
  bool cutShort = false;
  {
    std::lock_guard<std::mutex> lock(upload.mutex);
    // The limit guards a connected upload; one still connecting has WinInet's
    // own connect time-out.
    if (upload.step == UploadStep::ChangingDirectory || upload.step == UploadStep::Uploading) {
      upload.step = UploadStep::Idle;
      upload.context = nullptr;
      connection = ftpConnection.exchange(nullptr);
      cutShort = true;
    }
  }
  CloseConnection(connection);
  if (cutShort) SetStatus(kMsgUploadTooLong);
  transferIdle = true;
  if (oneShot) {
    QuitOneShot(*this);
    return;
  }
  if (PictureAfterTimeLimit(cutShort, oneShot, settings.disableTimer)) RequestPicture();
}

void CALLBACK Application::OnInternetStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                            DWORD infoLength) {
  if (status != INTERNET_STATUS_REQUEST_COMPLETE || context == 0 || info == nullptr ||
      infoLength < sizeof(INTERNET_ASYNC_RESULT)) {
    return;
  }
  try {
    std::shared_lock<std::shared_mutex> gate(UploadContextGate());
    const auto first = reinterpret_cast<DWORD_PTR>(contextSlots.data());
    if (context < first || context >= first + sizeof(contextSlots)) return;
    auto* slot = reinterpret_cast<UploadContext*>(context);
    Application* app = slot->application;
    if (app == nullptr) return;
    Advance(*app, slot, static_cast<const INTERNET_ASYNC_RESULT*>(info)->dwResult);
  } catch (...) {
    // Nothing may cross back into WinInet; the upload ends by its time limit.
  }
}

}  // namespace kelpo
