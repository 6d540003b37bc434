#include "upload/upload_rules.h"

#include "app/message_catalogue.h"

namespace kelpo {

UploadTransition NextUploadStep(UploadStep step, bool succeeded) {
  switch (step) {
    case UploadStep::Connecting:
      if (succeeded) {
        return {UploadStep::ChangingDirectory, UploadAction::ChangeDirectory,
                kMsgChangingDirectory};
      }
      return {UploadStep::Idle, UploadAction::Finish, kMsgFtpConnectFailed};
    case UploadStep::ChangingDirectory:
      if (succeeded) return {UploadStep::Uploading, UploadAction::PutFile, kMsgUploading};
      return {UploadStep::Idle, UploadAction::Finish, kMsgNoDirectory};
    case UploadStep::Uploading:
      return {UploadStep::Idle, UploadAction::Finish,
              succeeded ? kMsgUploadSucceeded : kMsgUploadFailed};
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
