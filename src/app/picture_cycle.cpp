#include "app/picture_cycle.h"

#include "app/picture_maker.h"
#include "app/picture_status.h"
#include "app/status_rules.h"
#include "common/message_catalogue.h"
#include "picture/picture_pipeline.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "upload/dial_up.h"
#include "upload/upload_rules.h"

#include <utility>

namespace kelpo {

PictureCycle::PictureCycle(Settings& settings, PicturePipeline& pictures, PictureStatus& window,
                           PictureRoad& road, UINT uploadTimeLimit)
    : settings_(settings),
      pictures_(pictures),
      window_(window),
      road_(road),
      uploadTimeLimit_(uploadTimeLimit),
      archive_(settings) {}

void PictureCycle::Connect(FrameSource& source, Uploader& uploader, PictureMaker& maker) {
  source_ = &source;
  uploader_ = &uploader;
  maker_ = &maker;
  // Settings are loaded by now: the local archive's limit applies at start.
  archive_.StartLimit();
}

bool PictureCycle::MakingPicture() const { return maker_ != nullptr && maker_->Busy(); }

void PictureCycle::RequestPicture() {
  if (source_ == nullptr) return;
  // Taken once the picture being made is in, superseding its upload, as a
  // request during an upload does.
  if (MakingPicture()) {
    pictureAsked_ = true;
    return;
  }
  if (!road_.WantsPicture()) {
    road_.OnRoadEnded();
    return;
  }
  switch (source_->RequestWorkerPicture()) {
    case FrameRequest::kReady:
      TakePicture();
      break;
    case FrameRequest::kOnWorker:
      BeginPicture();
      window_.SetUploadRunning(true);
      maker_->Start(*source_, settings_);
      break;
    case FrameRequest::kPending:
      break;
    case FrameRequest::kNone:
      // No picture will come.
      road_.OnRoadEnded();
      break;
    case FrameRequest::kLost:
      OnCameraNews(CameraNews::kPictureLost);
      break;
    case FrameRequest::kFailed:
      window_.SetStatus(kMsgPictureFailed);
      road_.OnRoadEnded();
      break;
    case FrameRequest::kBusy:
      window_.SetStatus(kMsgCameraInUse);
      road_.OnRoadEnded();
      break;
  }
}

void PictureCycle::OnCaptureTick() {
  // A tick while a picture is made goes by, as one during an upload does.
  if (CaptureTickTakesPicture(settings_.disableTimer,
                              MakingPicture() || (uploader_ != nullptr && uploader_->Running()))) {
    RequestPicture();
  }
}

void PictureCycle::OnGraphEvent() {
  if (source_ != nullptr) OnCameraNews(source_->OnGraphEvent([this] { TakePicture(); }));
}

void PictureCycle::OnGrabTimer() {
  if (source_ != nullptr) OnCameraNews(source_->OnGrabTimer());
}

void PictureCycle::OnCameraNews(CameraNews news) {
  if (news == CameraNews::kNone) return;
  window_.SetStatus(kMsgCameraNotResponding);
  if (news == CameraNews::kPictureLost) road_.OnRoadEnded();
}

void PictureCycle::BeginPicture() {
  // A picture supersedes the upload of the one before.
  CancelUpload();
  // The file of the transfer just abandoned may still be held open by WinInet:
  // it goes as soon as nothing holds it.
  pictures_.ReleaseLastPicture();
  // Names expand to the moment the frame is taken.
  archive_.BeginPicture();
}

void PictureCycle::TakePicture() {
  if (MakingPicture()) {
    pictureAsked_ = true;
    return;
  }
  BeginPicture();

  std::unique_ptr<Gdiplus::Bitmap> frame = source_->GrabFrame();
  if (!frame) {
    window_.SetStatus(kMsgPictureFailed);
    road_.OnRoadEnded();
    return;
  }
  // The camera answers again: its trouble is over.
  if (window_.LastStatus() == kMsgCameraNotResponding || window_.LastStatus() == kMsgCameraInUse) {
    window_.SetStatus(kMsgNone);
  }
  // The picture button is off while a picture is made, as during an upload.
  window_.SetUploadRunning(true);
  maker_->Start(std::move(frame), settings_);
}

void PictureCycle::OnPictureMade() {
  const PictureOutcome outcome = maker_->Finish();
  source_->FrameMade();
  window_.SetUploadRunning(false);
  DeliverPicture(outcome);
  if (std::exchange(pictureAsked_, false) && road_.GoesOn()) RequestPicture();
}

// Picture finished -> local copy -> upload.
void PictureCycle::DeliverPicture(PictureOutcome outcome) {
  switch (outcome) {
    case PictureOutcome::kNone:
    case PictureOutcome::kFailed:
      window_.SetStatus(kMsgPictureFailed);
      road_.OnRoadEnded();
      return;
    case PictureOutcome::kCropOutside:
      window_.SetStatus(kMsgCropOutsidePicture);
      road_.OnRoadEnded();
      return;
    case PictureOutcome::kWritten:
      break;
  }
  const bool overlayLeftOut = pictures_.OverlayLeftOut();
  road_.OnPictureMade(overlayLeftOut);
  const bool copied = SaveLocalCopies();
  // Every picture says what became of it; an earlier error does not stay.
  const int ended =
      PictureEndStatus(!settings_.disableFTP, settings_.savetofile, copied, overlayLeftOut);
  if (ended != kMsgNone) window_.SetStatus(ended);
  if (settings_.disableFTP) {
    road_.OnRoadEnded();
    return;
  }
  StartUpload();
}

bool PictureCycle::SaveLocalCopies() {
  // A local copy that cannot be written does not stop the upload.
  const PictureArchive::LocalCopies copies = archive_.SaveLocalCopies(pictures_.TempFilePath());
  road_.OnLocalCopies(copies.written, copies.archiveStatus);
  return copies.written;
}

void PictureCycle::StartUpload() {
  UploadJob job;
  job.server = settings_.server;
  job.user = settings_.user;
  job.password = settings_.password;
  archive_.AimFresh(job);
  job.localFile = pictures_.TempFilePath();
  job.passive = settings_.passiveftp;
  job.timeLimit = uploadTimeLimit_;
  job.protocol = TransferProtocolOf(settings_.protocol);
  job.port = TransferPort(job.protocol, settings_.port);
  job.hostKey = settings_.hostkey;
  job.certPin = settings_.certpin;
  archiveJob_ = job;
  if (!archive_.AimArchive(*archiveJob_)) archiveJob_.reset();
  road_.OnArchiveUploadWanted(archiveJob_.has_value());
  const bool connected = !settings_.dialup || IsDialUpConnected();
  if (!connected || !uploader_->Start(job)) {
    road_.OnUploadNotStarted();
    road_.OnRoadEnded();
    return;
  }
  window_.SetUploadRunning(uploader_->Running());
}

bool PictureCycle::StartArchiveUpload() {
  if (!archiveJob_) return false;
  UploadJob job = std::move(*archiveJob_);
  archiveJob_.reset();
  // The fresh upload may have just learnt the SFTP server's key.
  job.hostKey = settings_.hostkey;
  if (!uploader_->Start(job)) {
    window_.SetStatus(kMsgArchiveUploadFailed,
                      {LoadText(kMsgFtpConnectFailed, kStatusTextCapacity)});
    road_.OnArchiveUploadEnded(kMsgArchiveUploadFailed);
    return false;
  }
  archiveUploading_ = true;
  window_.SetUploadRunning(uploader_->Running());
  return true;
}

void PictureCycle::CancelUpload() {
  window_.StopUploadTimer();
  uploader_->Cancel();
  archiveUploading_ = false;
  archiveJob_.reset();
  window_.SetUploadRunning(false);
}

void PictureCycle::OnUploadTimeLimit() {
  window_.StopUploadTimer();
  const bool cutShort = uploader_->OnTimeLimit();
  if (!road_.GoesOn()) {
    road_.OnRoadEnded();
    return;
  }
  if (PictureAfterTimeLimit(cutShort, /*oneShot=*/false, settings_.disableTimer)) RequestPicture();
}

void PictureCycle::OnUploadStatus(int statusId) { window_.SetStatus(statusId); }

void PictureCycle::OnUploadStatusWith(int statusId, const std::vector<std::wstring>& values) {
  window_.SetStatus(statusId, values);
}

void PictureCycle::OnHostKeyLearned(const std::wstring& fingerprint) {
  settings_.hostkey = fingerprint;
  // Kept at once: a one-shot run, or a tray run that ends without saving,
  // checks the server by it next time.
  SaveSettings(settings_, SettingsGroup::kFileTransfer);
}

void PictureCycle::StartUploadTimeLimit() { window_.StartUploadTimer(uploadTimeLimit_); }

void PictureCycle::StopUploadTimeLimit() { window_.StopUploadTimer(); }

void PictureCycle::OnUploadEnded(int finalStatus) {
  const bool succeeded = finalStatus == kMsgUploadSucceeded;
  if (archiveUploading_) {
    archiveUploading_ = false;
    road_.OnArchiveUploadEnded(succeeded ? kMsgArchiveUploaded : kMsgArchiveUploadFailed);
    // The fresh picture is on the server: the status says which copy failed.
    if (!succeeded) {
      window_.SetStatus(kMsgArchiveUploadFailed, {LoadText(finalStatus, kStatusTextCapacity)});
    }
  } else {
    road_.OnUploadEnded(succeeded);
    // The archive copy follows a delivered picture; a server that refused
    // the fresh one is not asked twice.
    if (succeeded && StartArchiveUpload()) return;
    archiveJob_.reset();
  }
  window_.SetUploadRunning(false);
  road_.OnRoadEnded();
}

void PictureCycle::OnOneShotBound() {
  if (uploader_ != nullptr && uploader_->Running()) {
    CancelUpload();
    window_.SetStatus(kMsgUploadTooLong);
  }
  road_.OnRoadEnded();
}

}  // namespace kelpo
