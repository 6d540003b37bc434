// A one-shot run ("kelpo.exe oneshot"): one picture, delivered where the
// settings say, then the end. It keeps what became of the picture, for the
// exit code and the texts the run prints, and ends the program once nothing
// more will come of it.
#pragma once

#include "app/one_shot_rules.h"
#include "app/picture_road.h"

#include <vector>

namespace kelpo {

class PictureStatus;
struct Settings;

class OneShotRun final : public PictureRoad {
 public:
  OneShotRun(const Settings& settings, PictureStatus& window);

  // Nowhere to deliver a picture: none is taken.
  bool WantsPicture() const override;
  void OnPictureMade(bool overlayLeftOut) override;
  void OnLocalCopies(bool written, int archiveStatus) override;
  void OnUploadEnded(bool uploaded) override { uploaded_ = uploaded; }
  void OnArchiveUploadWanted(bool wanted) override;
  void OnArchiveUploadEnded(int status) override { remoteArchiveStatus_ = status; }
  // The normal run says nothing then; a one-shot run's log must say why it failed.
  void OnUploadNotStarted() override;
  void OnRoadEnded() override;
  bool GoesOn() const override { return false; }

  // How the run ended, and the catalogue texts that say why.
  OneShotExitCode ExitCode() const { return OneShotExit(Outcome()); }
  std::vector<int> Report() const;

 private:
  OneShotOutcome Outcome() const;

  const Settings& settings_;
  PictureStatus& window_;
  bool pictureMade_ = false;
  bool uploaded_ = false;
  bool localCopyWritten_ = false;
  bool overlayLeftOut_ = false;
  // The picture's archive copies.
  int localArchiveStatus_ = 0;
  int remoteArchiveStatus_ = 0;
  bool archiveUploadWanted_ = false;
};

}  // namespace kelpo
