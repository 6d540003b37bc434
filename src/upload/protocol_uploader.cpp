#include "upload/protocol_uploader.h"

namespace kelpo {

ProtocolUploader::ProtocolUploader(const InternetSession& session, const CurlLibrary& library,
                                   HWND window, UINT newsMessage, UploadObserver& observer)
    : ftp_(session, window, newsMessage, observer),
      curl_(library, window, newsMessage, observer),
      active_(&ftp_) {}

bool ProtocolUploader::Start(const UploadJob& job) {
  if (Running()) return false;
  Uploader& chosen = job.protocol == TransferProtocol::kFtp ? static_cast<Uploader&>(ftp_)
                                                            : static_cast<Uploader&>(curl_);
  if (!chosen.Start(job)) return false;
  active_ = &chosen;
  return true;
}

void ProtocolUploader::Cancel() { active_->Cancel(); }

void ProtocolUploader::OnNews(WPARAM wParam, LPARAM lParam) { active_->OnNews(wParam, lParam); }

bool ProtocolUploader::OnTimeLimit() { return active_->OnTimeLimit(); }

}  // namespace kelpo
