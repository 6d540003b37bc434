#include "upload/curl_uploader.h"

#include "common/message_catalogue.h"
#include "upload/curl_library.h"
#include "upload/curl_transfer.h"
#include "upload/remote_url_rules.h"
#include "upload/upload_routes.h"

namespace kelpo {

namespace {

DWORD WINAPI CurlWorker(LPVOID parameter) {
  const std::unique_ptr<CurlRequest> request(static_cast<CurlRequest*>(parameter));
  try {
    RunCurlTransfer(*request);
  } catch (...) {
    // Nothing may leave a pool thread; the owner's limit ends the upload.
  }
  return 0;
}

}  // namespace

CurlUploader::CurlUploader(const CurlLibrary& library, HWND window, UINT newsMessage,
                           UploadObserver& observer)
    : library_(library), window_(window), newsMessage_(newsMessage), observer_(observer) {}

CurlUploader::~CurlUploader() {
  if (Running()) Abandon();
}

bool CurlUploader::Start(const UploadJob& job) {
  if (!UploadMayStart(!Running(), true, job.server)) return false;
  auto request = std::make_unique<CurlRequest>();
  request->job = job;
  request->started = ::GetTickCount();
  // Empty when a name cannot travel: the worker says so.
  const RemoteTarget target{job.protocol,  job.server,   job.port,
                            job.directory, job.filename, job.createFolders};
  request->url = RemoteUrl(target).value_or(std::string());
  request->folders = FolderSteps(target).value_or(std::vector<std::string>());
  report_ = std::make_shared<TransferReport>();
  request->report = report_;
  changesDirectory_ = job.protocol == TransferProtocol::kFtps;
  upload_ = OpenUploadRoute(window_, newsMessage_);
  step_ = UploadStep::Connecting;
  request->upload = upload_;
  if (library_.ready() && ::QueueUserWorkItem(&CurlWorker, request.get(), WT_EXECUTELONGFUNCTION)) {
    (void)request.release();
  } else {
    // No worker: the connect fails, and says so the usual way.
    (void)PostUploadNews(upload_, UploadNews::Sent, kMsgFtpConnectFailed);
  }
  observer_.OnUploadStatus(kMsgConnecting);
  observer_.StartUploadTimeLimit();
  return true;
}

void CurlUploader::Cancel() {
  if (!Running()) return;
  Abandon();
  observer_.StopUploadTimeLimit();
}

void CurlUploader::OnNews(WPARAM wParam, LPARAM lParam) {
  // News of another upload, or of an abandoned one, is dropped.
  if (NewsUpload(wParam) != upload_ || !Running()) return;
  switch (NewsKind(wParam)) {
    case UploadNews::Connected:
      if (step_ != UploadStep::Connecting) return;
      step_ = changesDirectory_ ? UploadStep::ChangingDirectory : UploadStep::Uploading;
      observer_.OnUploadStatus(changesDirectory_ ? kMsgChangingDirectory : kMsgUploading);
      return;
    case UploadNews::DirectoryEntered:
      if (step_ != UploadStep::ChangingDirectory) return;
      step_ = UploadStep::Uploading;
      observer_.OnUploadStatus(kMsgUploading);
      return;
    case UploadNews::Sent: {
      const std::shared_ptr<TransferReport> report = report_;
      std::vector<std::wstring> values;
      std::wstring learned;
      if (report) {
        std::lock_guard<std::mutex> lock(report->mutex);
        values = report->values;
        learned = report->learnedHostKey;
      }
      const int status = static_cast<int>(lParam);
      if (!learned.empty()) observer_.OnHostKeyLearned(learned);
      Finish(status, values);
      return;
    }
  }
}

bool CurlUploader::OnTimeLimit() {
  if (!Running()) {
    observer_.StopUploadTimeLimit();
    return false;
  }
  Finish(kMsgUploadTooLong, {});
  return true;
}

void CurlUploader::Finish(int status, const std::vector<std::wstring>& values) {
  Abandon();
  observer_.StopUploadTimeLimit();
  if (values.empty()) {
    observer_.OnUploadStatus(status);
  } else {
    observer_.OnUploadStatusWith(status, values);
  }
  observer_.OnUploadEnded(status);
}

void CurlUploader::Abandon() {
  CloseUploadRoute(upload_);
  upload_ = 0;
  step_ = UploadStep::Idle;
  report_.reset();
}

}  // namespace kelpo
