// The FTPS, SFTP and HTTPS upload through libcurl. A worker runs the whole
// exchange with curl and posts its news to the owner's window; the upload's
// state, statuses and time limit live on the UI thread, as for plain FTP.
#pragma once

#include "upload/upload_rules.h"
#include "upload/uploader.h"

#include <memory>

namespace kelpo {

class CurlLibrary;
struct TransferReport;

class CurlUploader final : public Uploader {
 public:
  // `window` belongs to the UI thread; its procedure passes every
  // `newsMessage` to OnNews.
  CurlUploader(const CurlLibrary& library, HWND window, UINT newsMessage, UploadObserver& observer);
  // Abandons a running upload: nothing of it reaches anybody afterwards.
  ~CurlUploader() override;
  CurlUploader(const CurlUploader&) = delete;
  CurlUploader& operator=(const CurlUploader&) = delete;

  bool Start(const UploadJob& job) override;
  void Cancel() override;
  void OnNews(WPARAM wParam, LPARAM lParam) override;
  bool OnTimeLimit() override;
  bool Running() const override { return step_ != UploadStep::Idle; }

 private:
  void Finish(int status, const std::vector<std::wstring>& values);
  void Abandon();

  const CurlLibrary& library_;
  HWND window_;
  UINT newsMessage_;
  UploadObserver& observer_;
  UploadStep step_ = UploadStep::Idle;
  bool changesDirectory_ = false;  // FTPS enters the directory once logged in
  std::uintptr_t upload_ = 0;      // its identity, 0 while none runs
  std::shared_ptr<TransferReport> report_;
};

}  // namespace kelpo
