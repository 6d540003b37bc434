// The FTP upload through WinInet: connect, change directory, put. A worker
// makes each step with WinInet's blocking calls, where TRUE means done on
// every platform, and posts each step's result to the owner's window; the
// upload's state, statuses and time limit live on the UI thread.
#pragma once

#include "upload/upload_rules.h"
#include "upload/uploader.h"

#include <cstdint>

namespace kelpo {

class InternetSession;

class FtpUploader final : public Uploader {
 public:
  // `window` belongs to the UI thread; its procedure passes every
  // `newsMessage` to OnNews. The connect is bounded by the session's time-out
  // as well.
  FtpUploader(const InternetSession& session, HWND window, UINT newsMessage,
              UploadObserver& observer);
  // Abandons a running upload: nothing of it reaches anybody afterwards.
  ~FtpUploader() override;
  FtpUploader(const FtpUploader&) = delete;
  FtpUploader& operator=(const FtpUploader&) = delete;

  bool Start(const UploadJob& job) override;
  void Cancel() override;
  void OnNews(WPARAM wParam, LPARAM lParam) override;
  bool OnTimeLimit() override;
  bool Running() const override { return step_ != UploadStep::Idle; }

  UploadStep Step() const { return step_; }

 private:
  // Ends the running upload with its final status.
  void Finish(int status);
  // Leaves the running upload without a word; its worker stops at its next
  // step and closes its connection.
  void Abandon();

  unsigned long stepTimeout_;
  HWND window_;
  UINT newsMessage_;
  UploadObserver& observer_;
  // The one state of the running upload, on the UI thread only.
  UploadStep step_ = UploadStep::Idle;
  std::uintptr_t upload_ = 0;  // its identity, 0 while none runs
};

}  // namespace kelpo
