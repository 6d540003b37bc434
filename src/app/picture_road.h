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
  virtual void OnLocalCopy(bool /*written*/) {}
  virtual void OnUploadEnded(bool /*uploaded*/) {}
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
