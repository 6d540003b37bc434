// The asynchronous FTP upload: connect, change directory, put. Every step, its
// state, its status and its time limit live on the UI thread; WinInet's
// callback (and the thread that issues the connect, which may block) only post
// their news to the owner's window, which hands it to OnCompletion.
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"
#include "upload/upload_rules.h"

#include <cstdint>
#include <string>

namespace kelpo {

class InternetSession;

namespace detail {
// Takes the status callback off an FTP connection (an HINTERNET) and closes it.
void CloseFtpConnection(void* connection) noexcept;
}  // namespace detail

// An FTP connection; the header stays free of <wininet.h>, where HINTERNET is void*.
using unique_ftp_connection = unique_handle<void*, detail::CloseFtpConnection>;

// What one upload sends where, copied when it starts: the settings and the
// next picture's file may change while it runs.
struct UploadJob {
  std::wstring server;
  std::wstring user;
  std::wstring password;
  std::wstring directory;  // empty: the login directory
  std::wstring filename;   // the remote name
  std::wstring localFile;  // the picture to send, unchanged
  bool passive = false;
};

// The uploader's owner. Every call comes on the UI thread, from Start, Cancel,
// OnCompletion or OnTimeLimit.
class UploadObserver {
 public:
  // 16, 18, 17 while it runs; then one final status: 12, 11, 22, 19 or 66.
  virtual void OnUploadStatus(int statusId) = 0;
  // The connection is made: the time limit starts. An upload that ends stops it.
  virtual void StartUploadTimeLimit() = 0;
  virtual void StopUploadTimeLimit() = 0;
  // The upload is over, with its final status (after OnUploadStatus showed it).
  virtual void OnUploadEnded(int finalStatus) = 0;

 protected:
  ~UploadObserver() = default;
};

class FtpUploader {
 public:
  // `window` belongs to the UI thread; its procedure passes every
  // `completionMessage` to OnCompletion.
  FtpUploader(InternetSession& session, HWND window, UINT completionMessage,
              UploadObserver& observer);
  // Abandons a running upload: its connection loses its callback and is
  // closed, and no completion of it reaches anybody afterwards.
  ~FtpUploader();
  FtpUploader(const FtpUploader&) = delete;
  FtpUploader& operator=(const FtpUploader&) = delete;

  // Starts an upload unless one runs or the server name is too short (the
  // caller has checked the dial-up connection). False when nothing started;
  // nothing is shown then.
  bool Start(const UploadJob& job);

  // Abandons a running upload quietly (a new picture supersedes it): no status,
  // no OnUploadEnded; its late completions are dropped, a connection they
  // bring is closed.
  void Cancel();

  // A completion posted for `completionMessage`.
  void OnCompletion(WPARAM wParam, LPARAM lParam);

  // The owner's time-limit timer fired. True when it cut a connected upload
  // short (status 66 shown, OnUploadEnded called).
  bool OnTimeLimit();

  UploadStep Step() const { return step_; }
  bool Running() const { return step_ != UploadStep::Idle; }

 private:
  // Feeds the running upload's completed request into its step and issues the
  // next request, again while requests are refused at once.
  void Advance(bool succeeded);
  // Ends the running upload with its final status.
  void Finish(int status);
  // Leaves the running upload without a word: its route closes, its connection
  // (if made) closes.
  void Abandon();

  InternetSession& session_;
  HWND window_;
  UINT completionMessage_;
  UploadObserver& observer_;
  // The one state of the running upload, on the UI thread only.
  UploadStep step_ = UploadStep::Idle;
  std::uintptr_t upload_ = 0;  // its identity, 0 while none runs
  unique_ftp_connection connection_;
  UploadJob job_;
  // The job's remote names as WinInet must be given them to send UTF-8, and
  // whether the connection takes them.
  std::wstring utf8Directory_;
  std::wstring utf8Filename_;
  bool utf8_ = false;
};

}  // namespace kelpo
