// The uploader the picture cycle talks to: each job goes by its protocol,
// plain FTP through WinInet, the secure ones through curl. Both post news on
// the same message; each takes only its own uploads' news.
#pragma once

#include "upload/curl_uploader.h"
#include "upload/ftp_uploader.h"

namespace kelpo {

class ProtocolUploader final : public Uploader {
 public:
  ProtocolUploader(const InternetSession& session, const CurlLibrary& library, HWND window,
                   UINT newsMessage, UploadObserver& observer);

  bool Start(const UploadJob& job) override;
  void Cancel() override;
  void OnNews(WPARAM wParam, LPARAM lParam) override;
  bool OnTimeLimit() override;
  bool Running() const override { return active_->Running(); }

 private:
  FtpUploader ftp_;
  CurlUploader curl_;
  Uploader* active_;
};

}  // namespace kelpo
