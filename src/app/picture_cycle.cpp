#include "app/picture_cycle.h"

#include "app/picture_status.h"
#include "app/status_rules.h"
#include "common/message_catalogue.h"
#include "picture/picture_pipeline.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "upload/dial_up.h"
#include "upload/upload_rules.h"

namespace kelpo {

PictureCycle::PictureCycle(Settings& settings, PicturePipeline& pictures, PictureStatus& window,
                           const Options& options)
    : settings_(settings),
      pictures_(pictures),
      window_(window),
      options_(options),
      archive_(settings) {}

void PictureCycle::Connect(FrameSource& source, Uploader& uploader) {
  source_ = &source;
  uploader_ = &uploader;
  // Settings are loaded by now: the local archive's limit applies at start.
  archive_.StartLimit();
}

void PictureCycle::RequestPicture() {
  if (source_ == nullptr) return;
  if (settings_.disableFTP && !settings_.savetofile && options_.oneShot) {
    // Nowhere to deliver a picture: a one-shot run is done.
    QuitOneShot();
    return;
  }
  switch (source_->RequestPicture()) {
    case FrameRequest::kReady:
      TakePicture();
      break;
    case FrameRequest::kPending:
      break;
    case FrameRequest::kNone:
      // No picture will come; a one-shot run ends here.
      QuitOneShot();
      break;
    case FrameRequest::kLost:
      OnCameraNews(CameraNews::kPictureLost);
      break;
    case FrameRequest::kFailed:
      window_.SetStatus(kMsgPictureFailed);
      QuitOneShot();
      break;
    case FrameRequest::kBusy:
      window_.SetStatus(kMsgCameraInUse);
      QuitOneShot();
      break;
  }
}

void PictureCycle::OnCaptureTick() {
  if (CaptureTickTakesPicture(settings_.disableTimer,
                              uploader_ != nullptr && uploader_->Running())) {
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
  if (news == CameraNews::kPictureLost) QuitOneShot();
}

void PictureCycle::TakePicture() {
  // A picture supersedes the upload of the one before.
  CancelUpload();
  // The file of the transfer just abandoned may still be held open by WinInet:
  // it goes as soon as nothing holds it.
  pictures_.ReleaseLastPicture();

  // Names expand to the moment the frame is taken.
  archive_.BeginPicture();
  // A one-shot run that gets no picture has nothing more to do.
  std::unique_ptr<Gdiplus::Bitmap> frame = source_->GrabFrame();
  if (!frame) {
    window_.SetStatus(kMsgPictureFailed);
    QuitOneShot();
    return;
  }
  // The camera answers again: its trouble is over.
  if (window_.LastStatus() == kMsgCameraNotResponding || window_.LastStatus() == kMsgCameraInUse) {
    window_.SetStatus(kMsgNone);
  }
  const PictureOutcome outcome = pictures_.MakePicture(*frame, settings_);
  frame.reset();
  switch (outcome) {
    case PictureOutcome::kNone:
    case PictureOutcome::kFailed:
      window_.SetStatus(kMsgPictureFailed);
      QuitOneShot();
      return;
    case PictureOutcome::kCropOutside:
      window_.SetStatus(kMsgCropOutsidePicture);
      QuitOneShot();
      return;
    case PictureOutcome::kWritten:
      pictureMade_ = true;
      break;
  }

  // A local copy that cannot be written does not stop the upload.
  const PictureArchive::LocalCopies copies = archive_.SaveLocalCopies(pictures_.TempFilePath());
  localCopyWritten_ = copies.written;
  localArchiveStatus_ = copies.archiveStatus;
  overlayLeftOut_ = pictures_.OverlayLeftOut();
  // Every picture says what became of it; an earlier error does not stay.
  const int ended = PictureEndStatus(!settings_.disableFTP, settings_.savetofile, localCopyWritten_,
                                     overlayLeftOut_);
  if (ended != kMsgNone) window_.SetStatus(ended);
  if (settings_.disableFTP) {
    if (settings_.savetofile) QuitOneShot();
    return;
  }
  StartUpload();
}

void PictureCycle::StartUpload() {
  UploadJob job;
  job.server = settings_.server;
  job.user = settings_.user;
  job.password = settings_.password;
  archive_.AimFresh(job);
  job.localFile = pictures_.TempFilePath();
  job.passive = settings_.passiveftp;
  job.timeLimit = options_.uploadTimeLimit;
  job.protocol = TransferProtocolOf(settings_.protocol);
  job.port = TransferPort(job.protocol, settings_.port);
  job.hostKey = settings_.hostkey;
  job.certPin = settings_.certpin;
  archiveJob_ = job;
  if (!archive_.AimArchive(*archiveJob_)) archiveJob_.reset();
  remoteArchiveStatus_ = kMsgNone;
  archiveUploadWanted_ = archiveJob_.has_value();
  const bool connected = !settings_.dialup || IsDialUpConnected();
  if (!connected || !uploader_->Start(job)) {
    // The normal run says nothing here; a one-shot run's log must say why it failed.
    if (options_.oneShot) window_.SetStatus(kMsgFtpConnectFailed);
    QuitOneShot();
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
    remoteArchiveStatus_ = kMsgArchiveUploadFailed;
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
  if (options_.oneShot) {
    QuitOneShot();
    return;
  }
  if (PictureAfterTimeLimit(cutShort, options_.oneShot, settings_.disableTimer)) RequestPicture();
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

void PictureCycle::StartUploadTimeLimit() { window_.StartUploadTimer(options_.uploadTimeLimit); }

void PictureCycle::StopUploadTimeLimit() { window_.StopUploadTimer(); }

void PictureCycle::OnUploadEnded(int finalStatus) {
  const bool succeeded = finalStatus == kMsgUploadSucceeded;
  if (archiveUploading_) {
    archiveUploading_ = false;
    remoteArchiveStatus_ = succeeded ? kMsgArchiveUploaded : kMsgArchiveUploadFailed;
    // The fresh picture is on the server: the status says which copy failed.
    if (!succeeded) {
      window_.SetStatus(kMsgArchiveUploadFailed, {LoadText(finalStatus, kStatusTextCapacity)});
    }
  } else {
    uploaded_ = succeeded;
    // The archive copy follows a delivered picture; a server that refused
    // the fresh one is not asked twice.
    if (succeeded && StartArchiveUpload()) return;
    archiveJob_.reset();
  }
  window_.SetUploadRunning(false);
  QuitOneShot();
}

void PictureCycle::OnOneShotBound() {
  if (!options_.oneShot) return;
  if (uploader_ != nullptr && uploader_->Running()) {
    CancelUpload();
    window_.SetStatus(kMsgUploadTooLong);
  }
  QuitOneShot();
}

void PictureCycle::QuitOneShot() {
  if (!options_.oneShot) return;
  // A run that ends without its picture says so, also where the source did not.
  if (OneShotExit(Outcome()) == kExitNoPicture && !IsErrorStatus(window_.LastStatus())) {
    window_.SetStatus(kMsgPictureFailed);
  }
  window_.Quit();
}

OneShotOutcome PictureCycle::Outcome() const {
  OneShotOutcome outcome;
  outcome.uploadWanted = !settings_.disableFTP;
  outcome.localCopyWanted = settings_.savetofile;
  outcome.pictureMade = pictureMade_;
  // A run cut short while the archive copy travelled has not delivered it.
  outcome.uploaded =
      uploaded_ && (!archiveUploadWanted_ || remoteArchiveStatus_ == kMsgArchiveUploaded);
  outcome.localCopyWritten = localCopyWritten_;
  return outcome;
}

OneShotExitCode PictureCycle::ExitCode() const { return OneShotExit(Outcome()); }

std::vector<int> PictureCycle::OneShotReport() const {
  std::vector<int> texts;
  const int last = window_.LastStatus();
  if (last != 0) texts.push_back(last);
  const OneShotOutcome outcome = Outcome();
  // What the upload's final status hid: said once.
  if (outcome.pictureMade && overlayLeftOut_ && last != kMsgOverlayTooLarge) {
    texts.push_back(kMsgOverlayTooLarge);
  }
  if (outcome.pictureMade && outcome.localCopyWanted && !outcome.localCopyWritten &&
      last != kMsgLocalCopyFailed) {
    texts.push_back(kMsgLocalCopyFailed);
  }
  // Each archive copy says what became of it, once.
  for (const int archive : {localArchiveStatus_, remoteArchiveStatus_}) {
    if (outcome.pictureMade && archive != kMsgNone && archive != last) texts.push_back(archive);
  }
  return texts;
}

}  // namespace kelpo
