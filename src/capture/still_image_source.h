// The image-file source: the file named by `devicePath`, decoded afresh for
// every picture, so a file replaced between two pictures shows in the next.
#pragma once

#include "capture/frame_source.h"
#include "capture/still_image_rules.h"
#include "picture/pixel_bitmap.h"
#include "picture/still_image_decoder.h"

#include <optional>

namespace kelpo {

class StillImageSource final : public FrameSource {
 public:
  // Reads `devicePath` from `settings` at every request.
  StillImageSource(const Settings& settings, HWND previewControl);

  FrameRequest RequestPicture() override;
  // The file is decoded on the picture worker, into an image of the worker's
  // own that the preview takes once the picture is in.
  FrameRequest RequestWorkerPicture() override;
  std::unique_ptr<Gdiplus::Bitmap> MakeFrame() override;
  void FrameMade() override;
  CameraNews OnGraphEvent(const std::function<void()>&) override { return CameraNews::kNone; }
  std::unique_ptr<Gdiplus::Bitmap> GrabFrame() override;
  // Draws the preview that was put off while the window was hidden.
  void OnWindowShown(bool shown) override;
  void OnPreviewResized() override { ShowPreview(); }
  std::wstring DeviceName() const override { return settings_.devicePath; }

  // Decodes the file here into the still image and shows it, fitted, in the
  // preview control; while the window is hidden nobody sees the preview, and
  // it is drawn when the window shows. A file being written keeps the image
  // there is for a moment (LastImageStandsIn); a missing, damaged or too
  // large one leaves none, so no picture is taken until the file is usable.
  void LoadStillImage();

  PixelBitmap* StillImage() const { return stillImage_.get(); }
  Gdiplus::Bitmap* StillPreview() const { return stillPreview_.get(); }

 private:
  void ShowPreview();
  void DrawPreview();
  // Decodes `path_` into `decoded_`, on whichever thread makes the frame.
  void DecodeFile();
  // The file gave no image: the last one stands in, or goes.
  void OnFileTrouble(StillFileTrouble trouble);

  const Settings& settings_;
  HWND previewControl_;
  // The thread that makes the frame alone touches these: the file named
  // when the picture was asked for, the decoder and what it decoded.
  std::wstring path_;
  StillImageDecoder decoder_;
  std::shared_ptr<PixelRows> spareRows_;
  std::shared_ptr<PixelBitmap> decoded_;
  // When the file first failed to read since it last read well.
  std::optional<DWORD> troubleSince_;
  // The UI thread's: the image last made, and its preview.
  std::shared_ptr<PixelBitmap> stillImage_;
  std::unique_ptr<Gdiplus::Bitmap> stillPreview_;
  bool previewPending_ = false;
};

}  // namespace kelpo
