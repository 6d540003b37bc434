// The road of one picture: a trigger asks the source for a frame, the
// pipeline makes the picture, the local copy is kept, the upload starts, and
// a one-shot run ends when there is nothing more to do.
#pragma once

#include "app/one_shot_rules.h"
#include "app/picture_archive.h"
#include "capture/frame_source.h"
#include "upload/uploader.h"

#include <optional>
#include <vector>

namespace kelpo {

class PicturePipeline;
class PictureStatus;
struct Settings;

class PictureCycle final : public UploadObserver {
 public:
  struct Options {
    bool oneShot = false;
    UINT uploadTimeLimit = 60000;  // from the start of the upload to its end
  };

  // The cycle keeps an SFTP server's host key in `settings` when it learns it.
  PictureCycle(Settings& settings, PicturePipeline& pictures, PictureStatus& window,
               const Options& options);
  PictureCycle(const PictureCycle&) = delete;
  PictureCycle& operator=(const PictureCycle&) = delete;

  // The parts that come to life after the cycle.
  void Connect(FrameSource& source, Uploader& uploader);

  // A trigger: start-up, the button, another program, the timer.
  void RequestPicture();
  void OnCaptureTick();
  void OnGraphEvent();
  void OnGrabTimer();
  void OnUploadTimeLimit();
  // Makes the picture of the frame the source holds, keeps it, sends it.
  void TakePicture();

  bool OneShot() const { return options_.oneShot; }
  const Options& options() const { return options_; }

  // A one-shot run's time is up: what still runs is cut short, and it ends.
  void OnOneShotBound();
  // How a one-shot run ended, and the catalogue texts that say why.
  OneShotExitCode ExitCode() const;
  std::vector<int> OneShotReport() const;

  // UploadObserver
  void OnUploadStatus(int statusId) override;
  void OnUploadStatusWith(int statusId, const std::vector<std::wstring>& values) override;
  void OnHostKeyLearned(const std::wstring& fingerprint) override;
  void StartUploadTimeLimit() override;
  void StopUploadTimeLimit() override;
  void OnUploadEnded(int finalStatus) override;

 private:
  void StartUpload();
  // After the fresh picture's upload: true when the archive's one started.
  bool StartArchiveUpload();
  void CancelUpload();
  void QuitOneShot();
  // The camera stopped answering: the user is told; a one-shot run whose
  // picture will not come ends.
  void OnCameraNews(CameraNews news);
  OneShotOutcome Outcome() const;

  Settings& settings_;
  PicturePipeline& pictures_;
  PictureStatus& window_;
  Options options_;
  FrameSource* source_ = nullptr;
  Uploader* uploader_ = nullptr;
  // What a one-shot run has delivered so far.
  bool pictureMade_ = false;
  bool uploaded_ = false;
  bool localCopyWritten_ = false;
  bool overlayLeftOut_ = false;
  PictureArchive archive_;
  // The picture's archive copies: the remote job waits for the fresh upload.
  int localArchiveStatus_ = 0;
  int remoteArchiveStatus_ = 0;
  bool archiveUploadWanted_ = false;
  bool archiveUploading_ = false;
  std::optional<UploadJob> archiveJob_;
};

}  // namespace kelpo
