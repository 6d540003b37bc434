#include "upload/upload_rules.h"

namespace kelpo {

UploadTransition NextUploadStep(UploadStep step, bool succeeded) {
  switch (step) {
    case UploadStep::Connecting:
      if (succeeded) {
        return {UploadStep::ChangingDirectory, UploadAction::ChangeDirectory,
                IDS_CHANGING_DIRECTORY};
      }
      return {UploadStep::Idle, UploadAction::Finish, IDS_FTP_CONNECT_FAILED};
    case UploadStep::ChangingDirectory:
      if (succeeded) return {UploadStep::Uploading, UploadAction::PutFile, IDS_UPLOADING};
      return {UploadStep::Idle, UploadAction::Finish, IDS_NO_DIRECTORY};
    case UploadStep::Uploading:
      return {UploadStep::Idle, UploadAction::Finish,
              succeeded ? IDS_UPLOAD_SUCCEEDED : IDS_UPLOAD_FAILED};
    case UploadStep::Idle:
      break;
  }
  return {UploadStep::Idle, UploadAction::Ignore, 0};
}

bool UploadMayStart(bool idle, bool dialUpConnected, const std::wstring& server) {
  return idle && dialUpConnected && server.size() >= 2 && server[0] != L'\0';
}

std::wstring RemoteDirectory(const std::wstring& directory) {
  if (directory.empty() || directory[0] == L'\0') return L".";
  return directory;
}

RequestOutcome ClassifyConnectResult(bool handleReturned, bool ioPending) {
  if (handleReturned) return RequestOutcome::Succeeded;
  return ioPending ? RequestOutcome::Pending : RequestOutcome::Failed;
}

RequestOutcome ClassifyRequestResult(bool returnedTrue, bool ioPending) {
  return returnedTrue || ioPending ? RequestOutcome::Pending : RequestOutcome::Failed;
}

bool PictureAfterTimeLimit(bool uploadWasRunning, bool oneShot, bool disableTimer) {
  return uploadWasRunning && !oneShot && !disableTimer;
}

}  // namespace kelpo
