// From a grabbed frame to the finished JPEG: output size, resize and crop,
// flips, overlay, caption, encoding into a temporary file, and the local copy.
#pragma once

#include "picture/gdiplus_include.h"
#include "picture/overlay_file.h"
#include "picture/picture_rules.h"
#include "settings/settings.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace kelpo {

enum class PictureOutcome {
  kNone,         // no temporary file could be made: nothing written
  kFailed,       // the picture could not be made, or a step of it not drawn ("Cannot take picture")
  kWritten,      // the temporary JPEG holds the finished picture
  kCropOutside,  // the crop rectangle does not overlap the frame
};

class PicturePipeline {
 public:
  PicturePipeline() = default;
  // Deletes the last temporary picture, waiting a moment for whoever still
  // holds it, and the leftovers of abandoned transfers; those still held are
  // remembered for the next start (leftover_files.h). The transfers must have
  // been closed before.
  ~PicturePipeline();
  PicturePipeline(const PicturePipeline&) = delete;
  PicturePipeline& operator=(const PicturePipeline&) = delete;

  void ComputeOutputSize(const Settings& settings);
  PictureSize OutputSize() const { return outputSize_; }

  // Lets go of the last picture's temporary file: deleted at once, or, while
  // the transfer just abandoned still holds it, as soon as nothing does.
  void ReleaseLastPicture();

  // Makes the picture of `frame` into a new temporary JPEG, at the output
  // size `settings` give. A `stop` that turns true ends it between two steps,
  // as failed. May run on a worker thread while no other call runs.
  PictureOutcome MakePicture(Gdiplus::Bitmap& frame, const Settings& settings,
                             const std::atomic<bool>* stop = nullptr);

  // Copies the temporary JPEG over `localfilename`; false when it could not.
  bool SaveLocalCopy(const Settings& settings) const;

  // The last picture was made without its overlay, whose image is too large.
  bool OverlayLeftOut() const { return overlayLeftOut_; }

  const std::wstring& TempFilePath() const { return tempFilePath_; }
  bool HasTempFile() const { return tempFileExists_; }

 private:
  void DeleteLeftoverTempFiles();

  PictureSize outputSize_{320, 240};
  // Kept from one picture to the next: the bitmap the picture is drawn on,
  // and the overlay, decoded again only when its file changed.
  std::unique_ptr<Gdiplus::Bitmap> lastPicture_;
  OverlayFile overlayFile_;
  std::wstring tempFilePath_;
  bool tempFileExists_ = false;
  bool overlayLeftOut_ = false;
  // Temporary pictures that could not be deleted when they were replaced:
  // WinInet may still hold the file of an abandoned transfer (Wine keeps it
  // open, unshared, until its 30-second wait for the server's reply ends).
  // Tried again at every picture and at exit, so none stays behind once
  // WinInet lets go of it.
  std::vector<std::wstring> leftoverTempFiles_;
};

}  // namespace kelpo
