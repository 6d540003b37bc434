#include "app/application.h"

#include "app/message_catalogue.h"
#include "picture/jpeg_encoder.h"
#include "picture/overlay_image.h"
#include "picture/picture_rules.h"
#include "picture/picture_steps.h"
#include "picture/text_stamp.h"

namespace kelpo {

void Application::ComputeOutputSize() {
  const PictureSize size = OutputSizeFor(settings.UseCustomImageSize, settings.CustomSizeX,
                                         settings.CustomSizeY, settings.imagesize);
  outputWidth = size.width;
  outputHeight = size.height;
}

void Application::TakePicture() {
  // A picture supersedes the upload of the one before.
  CancelUpload();
  // The file of the transfer just abandoned may still be held open by WinInet:
  // it joins the leftovers, which go as soon as nothing holds them.
  if (tempFileExists) {
    leftoverTempFiles.push_back(tempFilePath);
    tempFileExists = false;
  }
  DeleteLeftoverTempFiles();

  std::unique_ptr<Gdiplus::Bitmap> frame = GrabFrame();
  if (!frame) return;

  std::wstring tempDirectory;
  if (!TemporaryDirectory(tempDirectory)) {
    SetStatus(kMsgPictureFailed);
    return;
  }

  // Unlike carrying on with the unresized frame, a size that cannot be drawn
  // (zero, or too large to allocate) ends the picture here, so no picture of
  // the wrong size is ever written or copied.
  std::unique_ptr<Gdiplus::Bitmap> picture =
      ResizeAndCrop(*frame, settings, outputWidth, outputHeight);
  frame.reset();
  if (!picture) {
    SetStatus(kMsgPictureFailed);
    return;
  }

  FlipPicture(*picture, settings);
  DrawOverlay(*picture, nullptr, settings.overlayfilename, false, OverlayParametersFrom(settings));
  DrawTextStamp(*picture, settings, outputWidth, outputHeight);
  FlattenThroughBmp(picture);

  switch (
      WriteTempJpeg(*picture, tempDirectory, settings.JPEGquality, tempFilePath, tempFileExists)) {
    case TempJpegResult::kNoFileName:
      return;
    case TempJpegResult::kEncodingFailed:
      SetStatus(kMsgPictureFailed);
      return;
    case TempJpegResult::kWritten:
      break;
  }
  picture.reset();

  if (settings.savetofile) {
    (void)::CopyFileW(tempFilePath.c_str(), settings.localfilename.c_str(), FALSE);
    if (oneShot && settings.disableFTP) ::SendMessageW(mainWindow, WM_QUITAPP, 0, 0);
  }
  if (settings.disableFTP) return;
  StartUpload();
}

}  // namespace kelpo
