// Where the picture cycle's pictures lead. The tray run's road goes on from
// picture to picture and needs nothing of these (the defaults); a one-shot
// run (one_shot_run.h) follows its one picture and ends when nothing more
// will come of it.
#pragma once

namespace kelpo {

class PictureRoad {
 public:
  // Whether a picture is worth taking with what the settings deliver.
  virtual bool WantsPicture() const { return true; }
  // What became of the picture.
  virtual void OnPictureMade(bool /*overlayLeftOut*/) {}
  // Every local copy wanted was written; what became of the archive's
  // (a catalogue status, or none).
  virtual void OnLocalCopies(bool /*written*/, int /*archiveStatus*/) {}
  virtual void OnUploadEnded(bool /*uploaded*/) {}
  // The picture's upload starts, and its archive copy follows it or not.
  virtual void OnArchiveUploadWanted(bool /*wanted*/) {}
  // What became of the archive copy's upload.
  virtual void OnArchiveUploadEnded(int /*status*/) {}
  // The upload could not start (no dial-up connection, or refused).
  virtual void OnUploadNotStarted() {}
  // Nothing more will come of the picture asked for.
  virtual void OnRoadEnded() {}
  // Whether more pictures follow this one.
  virtual bool GoesOn() const { return true; }

 protected:
  ~PictureRoad() = default;
};

// The tray run's road.
class TrayRoad final : public PictureRoad {};

}  // namespace kelpo
