#include "upload/ftp_uploader.h"

#include "app/message_catalogue.h"
#include "upload/ftp_features.h"
#include "upload/internet_session.h"
#include "upload/upload_routes.h"

#include <memory>

namespace kelpo {

namespace {

// What the connecting worker needs, its own copies: it may outlive the
// uploader, the job and even the session object.
struct ConnectRequest {
  HINTERNET session;
  DWORD_PTR upload;
  std::wstring server;
  std::wstring user;
  std::wstring password;
  DWORD flags;
  bool wantsUtf8;  // the names differ in UTF-8: ask the server whether it takes it
  DWORD timeout;
};

// Issues the connect away from the UI thread: Wine's InternetConnectW
// completes synchronously, after the whole connect and login. A result it
// returns at once goes the way the status callback sends a later one. Names
// with characters beyond ASCII are first asked about (FEAT).
DWORD WINAPI ConnectWorker(LPVOID parameter) {
  std::unique_ptr<ConnectRequest> request(static_cast<ConnectRequest*>(parameter));
  try {
    HINTERNET connection = nullptr;
    bool pending = false;
    // Abandoned before it began: no connection is made at all.
    if (UploadRouteOpen(request->upload)) {
      SetUploadUtf8(request->upload, request->wantsUtf8 &&
                                         FtpServerAnnouncesUtf8(request->server, request->timeout));
      connection =
          ::InternetConnectW(request->session, request->server.c_str(), INTERNET_DEFAULT_FTP_PORT,
                             request->user.c_str(), request->password.c_str(), INTERNET_SERVICE_FTP,
                             request->flags, request->upload);
      pending =
          ClassifyConnectResult(connection != nullptr, ::GetLastError() == ERROR_IO_PENDING) ==
          RequestOutcome::Pending;
    }
    if (!pending) FinishConnect(request->upload, connection);
  } catch (...) {
    // Nothing may leave a pool thread.
  }
  return 0;
}

}  // namespace

namespace detail {
void CloseFtpConnection(void* connection) noexcept {
  CloseFtpConnectionHandle(static_cast<HINTERNET>(connection));
}
}  // namespace detail

FtpUploader::FtpUploader(InternetSession& session, HWND window, UINT completionMessage,
                         UploadObserver& observer)
    : session_(session),
      window_(window),
      completionMessage_(completionMessage),
      observer_(observer) {}

FtpUploader::~FtpUploader() {
  if (Running()) Abandon();
  // Completions posted before are taken out of the queue, so none reaches the
  // owner after us; a connection one brings is closed. Sent messages wait:
  // no other code runs here. (A message filter of 0 to 0 would take all.)
  if (completionMessage_ == 0) return;
  MSG message;
  while (::PeekMessageW(&message, window_, completionMessage_, completionMessage_,
                        PM_REMOVE | PM_QS_POSTMESSAGE)) {
    if (CompletionIsConnect(message.wParam)) {
      CloseFtpConnectionHandle(reinterpret_cast<HINTERNET>(message.lParam));
    }
  }
}

bool FtpUploader::Start(const UploadJob& job) {
  if (!UploadMayStart(!Running(), true, job.server)) return false;
  job_ = job;
  // Names beyond ASCII go in UTF-8 where the server takes it, and where the
  // ANSI code page can carry its bytes through WinInet.
  utf8Directory_ = AsUtf8ForWinInet(RemoteDirectory(job.directory));
  utf8Filename_ = AsUtf8ForWinInet(job.filename);
  const bool wantsUtf8 = (NeedsUtf8(job.directory) || NeedsUtf8(job.filename)) &&
                         !utf8Directory_.empty() && !utf8Filename_.empty();
  utf8_ = false;
  auto request = std::make_unique<ConnectRequest>(ConnectRequest{
      session_.get(), 0, job.server, job.user, job.password,
      job.passive ? static_cast<DWORD>(INTERNET_FLAG_PASSIVE) : 0u, wantsUtf8, session_.timeout()});
  upload_ = OpenUploadRoute(window_, completionMessage_);
  step_ = UploadStep::Connecting;
  request->upload = upload_;
  if (::QueueUserWorkItem(&ConnectWorker, request.get(), WT_EXECUTELONGFUNCTION)) {
    (void)request.release();
  } else {
    // No worker: the connect fails at once, and says so the usual way.
    (void)ReportUploadCompletion(upload_, 0);
  }
  // Whatever the connect brings arrives as a message, after this status.
  observer_.OnUploadStatus(kMsgConnecting);
  return true;
}

void FtpUploader::Cancel() {
  if (!Running()) return;
  Abandon();
  observer_.StopUploadTimeLimit();
}

void FtpUploader::OnCompletion(WPARAM wParam, LPARAM lParam) {
  const bool connect = CompletionIsConnect(wParam);
  HINTERNET connection = connect ? reinterpret_cast<HINTERNET>(lParam) : nullptr;
  if (CompletionUpload(wParam) != upload_ || !Running() ||
      connect != (step_ == UploadStep::Connecting)) {
    // An abandoned upload's: dropped, and a connection it made after all closed.
    CloseFtpConnectionHandle(connection);
    return;
  }
  if (connect) {
    connection_.reset(connection);
    utf8_ = CompletionIsUtf8(wParam);
  }
  Advance(lParam != 0);
}

bool FtpUploader::OnTimeLimit() {
  // The limit guards a connected upload; one still connecting is bounded by
  // WinInet's own connect time-out.
  if (step_ != UploadStep::ChangingDirectory && step_ != UploadStep::Uploading) {
    observer_.StopUploadTimeLimit();
    return false;
  }
  Finish(kMsgUploadTooLong);
  return true;
}

void FtpUploader::Advance(bool succeeded) {
  const std::uintptr_t upload = upload_;
  for (;;) {
    const UploadTransition transition = NextUploadStep(step_, succeeded);
    step_ = transition.next;
    BOOL issued = FALSE;
    switch (transition.action) {
      case UploadAction::Ignore:
        return;
      case UploadAction::Finish:
        Finish(transition.status);
        return;
      case UploadAction::ChangeDirectory:
        observer_.OnUploadStatus(transition.status);
        // The time limit runs from the moment the connection is made.
        observer_.StartUploadTimeLimit();
        if (upload_ != upload) return;  // the observer cancelled it
        issued = ::FtpSetCurrentDirectoryW(
            connection_.get(),
            utf8_ ? utf8Directory_.c_str() : RemoteDirectory(job_.directory).c_str());
        break;
      case UploadAction::PutFile:
        observer_.OnUploadStatus(transition.status);
        if (upload_ != upload) return;
        issued = ::FtpPutFileW(connection_.get(), job_.localFile.c_str(),
                               utf8_ ? utf8Filename_.c_str() : job_.filename.c_str(),
                               FTP_TRANSFER_TYPE_BINARY, upload);
        break;
    }
    if (ClassifyRequestResult(issued != FALSE, ::GetLastError() == ERROR_IO_PENDING) ==
        RequestOutcome::Pending) {
      return;
    }
    // Refused at once: no completion follows, so the failure is fed in here.
    succeeded = false;
  }
}

void FtpUploader::Finish(int status) {
  Abandon();
  observer_.StopUploadTimeLimit();
  observer_.OnUploadStatus(status);
  observer_.OnUploadEnded(status);
}

void FtpUploader::Abandon() {
  CloseUploadRoute(upload_);
  connection_.reset();
  upload_ = 0;
  step_ = UploadStep::Idle;
}

}  // namespace kelpo
