#include "app/one_shot_run.h"

#include "app/picture_status.h"
#include "app/status_rules.h"
#include "common/message_catalogue.h"
#include "settings/settings.h"

namespace kelpo {

OneShotRun::OneShotRun(const Settings& settings, PictureStatus& window)
    : settings_(settings), window_(window) {}

bool OneShotRun::WantsPicture() const { return !settings_.disableFTP || settings_.savetofile; }

void OneShotRun::OnPictureMade(bool overlayLeftOut) {
  pictureMade_ = true;
  overlayLeftOut_ = overlayLeftOut;
}

void OneShotRun::OnLocalCopies(bool written, int archiveStatus) {
  localCopyWritten_ = written;
  localArchiveStatus_ = archiveStatus;
}

void OneShotRun::OnArchiveUploadWanted(bool wanted) {
  archiveUploadWanted_ = wanted;
  remoteArchiveStatus_ = kMsgNone;
}

void OneShotRun::OnUploadNotStarted() { window_.SetStatus(kMsgFtpConnectFailed); }

void OneShotRun::OnRoadEnded() {
  // A run that ends without its picture says so, also where the source did not.
  if (ExitCode() == kExitNoPicture && !IsErrorStatus(window_.LastStatus())) {
    window_.SetStatus(kMsgPictureFailed);
  }
  window_.Quit();
}

OneShotOutcome OneShotRun::Outcome() const {
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

std::vector<int> OneShotRun::Report() const {
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
