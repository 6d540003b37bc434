#include "upload/ftp_uploader.h"

#include "common/message_catalogue.h"
#include "upload/ftp_features.h"
#include "upload/internet_session.h"
#include "upload/remote_url_rules.h"
#include "upload/upload_routes.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelpo {

namespace {

// What the worker needs, its own copies: it may outlive the uploader.
struct FtpRequest {
  DWORD_PTR upload;
  UploadJob job;
  DWORD stepTimeout;
  DWORD started;  // tick count when the upload started
  // The remote names, and their form for WinInet to send them in UTF-8 (empty
  // when that cannot be done); asked about (FEAT) only where they differ.
  std::wstring directory;
  std::wstring utf8Directory;
  std::wstring utf8Filename;
  // The createFolders levels, each in both forms; nothing when they may not
  // be made.
  std::optional<std::vector<std::wstring>> levels;
  std::vector<std::wstring> utf8Levels;
  bool wantsUtf8;
};

void SetTimeouts(HINTERNET handle, std::initializer_list<DWORD> options, DWORD timeout) {
  for (DWORD option : options) {
    DWORD value = timeout;
    (void)::InternetSetOptionW(handle, option, &value, sizeof(value));
  }
}

// Asks the server to take names in UTF-8. Servers that announce UTF8 take them
// anyway (RFC 2640); some want to be told. The answer does not matter.
void SwitchUtf8On(HINTERNET connection) {
  (void)::FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, L"OPTS UTF8 ON", 0, nullptr);
}

// Enters each level below the current directory, making the ones missing.
// WinInet has no way to tell a missing folder from a refused one: a level
// that cannot be entered is made, then entered.
bool EnterLevels(HINTERNET connection, const std::vector<std::wstring>& levels) {
  for (const std::wstring& level : levels) {
    if (::FtpSetCurrentDirectoryW(connection, level.c_str())) continue;
    (void)::FtpCreateDirectoryW(connection, level.c_str());
    if (!::FtpSetCurrentDirectoryW(connection, level.c_str())) return false;
  }
  return true;
}

void RunFtpUpload(const FtpRequest& request) {
  // Abandoned before it began: no connection is made at all.
  if (!UploadRouteOpen(request.upload)) return;
  const UploadJob& job = request.job;
  const bool utf8 = request.wantsUtf8 && FtpServerAnnouncesUtf8(job.server, request.stepTimeout);
  // A session of its own, without INTERNET_FLAG_ASYNC: every call returns when
  // its step is over, and the worker owns every handle it makes.
  unique_hinternet session(
      ::InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (session) {
    SetTimeouts(session.get(),
                {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                 INTERNET_OPTION_SEND_TIMEOUT},
                request.stepTimeout);
  }
  unique_hinternet connection(
      session ? ::InternetConnectW(session.get(), job.server.c_str(), INTERNET_DEFAULT_FTP_PORT,
                                   job.user.c_str(), job.password.c_str(), INTERNET_SERVICE_FTP,
                                   job.passive ? INTERNET_FLAG_PASSIVE : 0, 0)
              : nullptr);
  if (!PostUploadNews(request.upload, UploadNews::Connected, connection ? TRUE : FALSE) ||
      !connection) {
    return;
  }
  if (utf8) SwitchUtf8On(connection.get());
  // A transfer still under way is ended by the owner's limit, not by these.
  SetTimeouts(connection.get(), {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT},
              StretchedTimeout(job.timeLimit, ::GetTickCount() - request.started));
  const BOOL entered =
      request.levels && !HasControlCharacter(job.directory) &&
      ::FtpSetCurrentDirectoryW(connection.get(),
                                utf8 ? request.utf8Directory.c_str() : request.directory.c_str()) &&
      EnterLevels(connection.get(), utf8 ? request.utf8Levels : *request.levels);
  if (!PostUploadNews(request.upload, UploadNews::DirectoryEntered, entered) || !entered) return;
  // A name that would end the command early is not sent.
  const BOOL sent = !HasControlCharacter(job.filename) &&
                    ::FtpPutFileW(connection.get(), job.localFile.c_str(),
                                  utf8 ? request.utf8Filename.c_str() : job.filename.c_str(),
                                  FTP_TRANSFER_TYPE_BINARY, 0);
  (void)PostUploadNews(request.upload, UploadNews::Sent, sent);
}

DWORD WINAPI FtpWorker(LPVOID parameter) {
  const std::unique_ptr<FtpRequest> request(static_cast<FtpRequest*>(parameter));
  try {
    RunFtpUpload(*request);
  } catch (...) {
    // Nothing may leave a pool thread.
  }
  return 0;
}

}  // namespace

FtpUploader::FtpUploader(const InternetSession& session, HWND window, UINT newsMessage,
                         UploadObserver& observer)
    : stepTimeout_(session.timeout()),
      window_(window),
      newsMessage_(newsMessage),
      observer_(observer) {}

FtpUploader::~FtpUploader() {
  if (Running()) Abandon();
}

bool FtpUploader::Start(const UploadJob& job) {
  if (!UploadMayStart(!Running(), true, job.server)) return false;
  auto request = std::make_unique<FtpRequest>();
  request->job = job;
  request->stepTimeout = stepTimeout_;
  request->started = ::GetTickCount();
  // Names beyond ASCII go in UTF-8 where the server takes it, and where the
  // ANSI code page can carry its bytes through WinInet.
  request->directory = RemoteDirectory(job.directory);
  request->utf8Directory = AsUtf8ForWinInet(request->directory);
  request->utf8Filename = AsUtf8ForWinInet(job.filename);
  request->levels = FolderLevels(job.createFolders);
  bool levelsInUtf8 = true;
  for (const std::wstring& level : request->levels.value_or(std::vector<std::wstring>())) {
    request->utf8Levels.push_back(AsUtf8ForWinInet(level));
    levelsInUtf8 = levelsInUtf8 && !request->utf8Levels.back().empty();
  }
  request->wantsUtf8 =
      (NeedsUtf8(job.directory) || NeedsUtf8(job.createFolders) || NeedsUtf8(job.filename)) &&
      !request->utf8Directory.empty() && !request->utf8Filename.empty() && levelsInUtf8;
  upload_ = OpenUploadRoute(window_, newsMessage_);
  step_ = UploadStep::Connecting;
  request->upload = upload_;
  if (::QueueUserWorkItem(&FtpWorker, request.get(), WT_EXECUTELONGFUNCTION)) {
    (void)request.release();
  } else {
    // No worker: the connect fails, and says so the usual way.
    (void)PostUploadNews(upload_, UploadNews::Connected, FALSE);
  }
  // Whatever the worker brings arrives as a message, after these.
  observer_.OnUploadStatus(kMsgConnecting);
  observer_.StartUploadTimeLimit();
  return true;
}

void FtpUploader::Cancel() {
  if (!Running()) return;
  Abandon();
  observer_.StopUploadTimeLimit();
}

void FtpUploader::OnNews(WPARAM wParam, LPARAM lParam) {
  // News of an abandoned upload, or a step reported twice, is dropped.
  if (NewsUpload(wParam) != upload_ || !Running()) return;
  const UploadTransition transition = NextUploadStep(step_, NewsKind(wParam), lParam != 0);
  switch (transition.action) {
    case UploadAction::Ignore:
      return;
    case UploadAction::Continue:
      step_ = transition.next;
      observer_.OnUploadStatus(transition.status);
      return;
    case UploadAction::Finish:
      Finish(transition.status);
      return;
  }
}

bool FtpUploader::OnTimeLimit() {
  if (!Running()) {
    observer_.StopUploadTimeLimit();
    return false;
  }
  Finish(kMsgUploadTooLong);
  return true;
}

void FtpUploader::Finish(int status) {
  Abandon();
  observer_.StopUploadTimeLimit();
  observer_.OnUploadStatus(status);
  observer_.OnUploadEnded(status);
}

void FtpUploader::Abandon() {
  CloseUploadRoute(upload_);
  upload_ = 0;
  step_ = UploadStep::Idle;
}

}  // namespace kelpo
