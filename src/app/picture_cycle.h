// The road of one picture: a trigger asks the source for a frame, the
// picture worker makes the picture, the local copy is kept, the upload
// starts; the run's road (picture_road.h) hears what became of it.
#pragma once

#include "app/picture_archive.h"
#include "app/picture_road.h"
#include "capture/frame_source.h"
#include "picture/picture_pipeline.h"
#include "upload/uploader.h"

#include <optional>
#include <vector>

namespace kelpo {

class PictureMaker;
class PictureStatus;
struct Settings;

class PictureCycle final : public UploadObserver {
 public:
  // The cycle keeps an SFTP server's host key in `settings` when it learns
  // it. `uploadTimeLimit` runs from the start of an upload to its end.
  PictureCycle(Settings& settings, PicturePipeline& pictures, PictureStatus& window,
               PictureRoad& road, UINT uploadTimeLimit);
  PictureCycle(const PictureCycle&) = delete;
  PictureCycle& operator=(const PictureCycle&) = delete;

  // The parts that come to life after the cycle.
  void Connect(FrameSource& source, Uploader& uploader, PictureMaker& maker);

  // A trigger: start-up, the button, another program, the timer.
  void RequestPicture();
  void OnCaptureTick();
  void OnGraphEvent();
  void OnGrabTimer();
  void OnUploadTimeLimit();
  // Hands the frame the source holds to the picture worker, which makes the
  // picture (and, for a still image, the frame too: RequestWorkerPicture).
  void TakePicture();
  // The worker finished the picture: it is kept, then sent.
  void OnPictureMade();
  // A picture is being made: a request meanwhile is taken once it is in, a
  // timer tick goes by.
  bool MakingPicture() const;

  // A one-shot run's time is up: what still runs is cut short, and it ends.
  void OnOneShotBound();

  // UploadObserver
  void OnUploadStatus(int statusId) override;
  void OnUploadStatusWith(int statusId, const std::vector<std::wstring>& values) override;
  void OnHostKeyLearned(const std::wstring& fingerprint) override;
  void StartUploadTimeLimit() override;
  void StopUploadTimeLimit() override;
  void OnUploadEnded(int finalStatus) override;

 private:
  void DeliverPicture(PictureOutcome outcome);
  // Before every picture: the last one's upload and file go, and the names
  // expand to this moment.
  void BeginPicture();
  // Whether every local copy wanted was written.
  bool SaveLocalCopies();
  void StartUpload();
  // After the fresh picture's upload: true when the archive's one started.
  bool StartArchiveUpload();
  void CancelUpload();
  // The camera stopped answering: the user is told; a one-shot run whose
  // picture will not come ends.
  void OnCameraNews(CameraNews news);

  Settings& settings_;
  PicturePipeline& pictures_;
  PictureStatus& window_;
  PictureRoad& road_;
  UINT uploadTimeLimit_;
  FrameSource* source_ = nullptr;
  Uploader* uploader_ = nullptr;
  PictureMaker* maker_ = nullptr;
  bool pictureAsked_ = false;
  PictureArchive archive_;
  // The remote archive job waits for the fresh upload.
  bool archiveUploading_ = false;
  std::optional<UploadJob> archiveJob_;
};

}  // namespace kelpo
