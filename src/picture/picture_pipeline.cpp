#include "picture/picture_pipeline.h"

#include "common/unique_handle.h"
#include "picture/jpeg_encoder.h"
#include "picture/leftover_files.h"
#include "picture/picture_steps.h"
#include "picture/text_stamp.h"

#include <algorithm>

namespace kelpo {

namespace {

// WinInet lets go of a file it sent just after it reported the end of the
// transfer; one still held after this belongs to a transfer that hangs.
constexpr DWORD kTempFileWait = 2000;
constexpr DWORD kTempFilePoll = 50;

// Deletes a temporary picture; false only while something still holds it
// open, when a later try may succeed.
bool DeleteUnlessHeld(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  return error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED;
}

}  // namespace

PicturePipeline::~PicturePipeline() {
  // Pictures of transfers abandoned earlier get their last try on the way
  // out, after the wait below, which gave WinInet time to let go of them too.
  // What is still held then is deleted by the next start.
  const auto leftovers = scope_exit([this] {
    DeleteLeftoverTempFiles();
    RememberLeftoverFiles(leftoverTempFiles_);
  });
  if (!tempFileExists_) return;
  const DWORD start = ::GetTickCount();
  // WinInet closes the file it sent only after it has reported the end of the
  // transfer, so a sharing violation here just means "not yet".
  while (!DeleteUnlessHeld(tempFilePath_)) {
    const DWORD now = ::GetTickCount();
    // A tick count below the start means it wrapped around: stop waiting.
    if (now < start || now - start >= kTempFileWait) {
      leftoverTempFiles_.push_back(tempFilePath_);
      break;
    }
    ::Sleep(kTempFilePoll);
  }
}

void PicturePipeline::ComputeOutputSize(const Settings& settings) {
  outputSize_ = OutputSizeFor(settings.UseCustomImageSize, settings.CustomSizeX,
                              settings.CustomSizeY, settings.imagesize);
}

void PicturePipeline::ReleaseLastPicture() {
  if (tempFileExists_) {
    leftoverTempFiles_.push_back(tempFilePath_);
    tempFileExists_ = false;
  }
  DeleteLeftoverTempFiles();
}

void PicturePipeline::DeleteLeftoverTempFiles() {
  leftoverTempFiles_.erase(
      std::remove_if(leftoverTempFiles_.begin(), leftoverTempFiles_.end(), DeleteUnlessHeld),
      leftoverTempFiles_.end());
}

PictureOutcome PicturePipeline::MakePicture(Gdiplus::Bitmap& frame, const Settings& settings,
                                            const std::atomic<bool>* stop) {
  overlayLeftOut_ = false;
  const auto stopped = [stop] { return stop != nullptr && stop->load(); };
  // From the settings handed over, not outputSize_: the UI thread may compute
  // that anew meanwhile.
  const PictureSize output = OutputSizeFor(settings.UseCustomImageSize, settings.CustomSizeX,
                                           settings.CustomSizeY, settings.imagesize);
  std::wstring tempDirectory;
  if (!TemporaryDirectory(tempDirectory)) return PictureOutcome::kFailed;

  // A crop beside the frame would leave nothing of it: no picture is better
  // than a black one reported as delivered.
  if (!CropOverlapsFrame(frame, settings)) return PictureOutcome::kCropOutside;

  // Unlike carrying on with the unresized frame, a size that cannot be drawn
  // (zero, or too large to allocate) ends the picture here, so no picture of
  // the wrong size is ever written or copied.
  std::unique_ptr<Gdiplus::Bitmap> picture =
      ResizeAndCrop(frame, settings, output.width, output.height, std::move(lastPicture_));
  if (!picture) return PictureOutcome::kFailed;
  const auto keep = scope_exit([&] { lastPicture_ = KeptForNextPicture(std::move(picture)); });

  if (stopped()) return PictureOutcome::kFailed;
  FlipPicture(*picture, settings);
  switch (overlayFile_.DrawOn(*picture, settings)) {
    case OverlayStep::kDrawn:
      break;
    case OverlayStep::kTooLarge:
      overlayLeftOut_ = true;
      break;
    case OverlayStep::kFailed:
      return PictureOutcome::kFailed;
  }
  if (stopped()) return PictureOutcome::kFailed;
  DrawTextStamp(*picture, settings, output.width, output.height);
  if (stopped()) return PictureOutcome::kFailed;

  switch (WriteTempJpeg(*picture, tempDirectory, settings.JPEGquality, tempFilePath_,
                        tempFileExists_)) {
    case TempJpegResult::kNoFileName:
      return PictureOutcome::kNone;
    case TempJpegResult::kEncodingFailed:
      return PictureOutcome::kFailed;
    case TempJpegResult::kWritten:
      break;
  }
  return PictureOutcome::kWritten;
}

bool PicturePipeline::SaveLocalCopy(const Settings& settings) const {
  return tempFileExists_ &&
         ::CopyFileW(tempFilePath_.c_str(), settings.localfilename.c_str(), FALSE) != FALSE;
}

}  // namespace kelpo
