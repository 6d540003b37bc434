// Makes pictures on a thread-pool worker, so that a large picture never holds
// up the window: the UI thread hands over the frame and a snapshot of the
// settings, the worker runs the picture pipeline, and its outcome comes back
// to the window as a posted message. One picture at a time.
#pragma once

#include "capture/frame_source.h"
#include "common/unique_handle.h"
#include "common/win32.h"
#include "picture/gdiplus_include.h"
#include "picture/picture_pipeline.h"
#include "settings/settings.h"

#include <atomic>
#include <memory>

namespace kelpo {

namespace detail {
inline void CloseWork(PTP_WORK work) noexcept { ::CloseThreadpoolWork(work); }
}  // namespace detail

class PictureMaker {
 public:
  // The worker posts `doneMessage` to `window` when a picture is finished.
  // Raises kMsgUnexpectedError when the thread pool gives no work object.
  PictureMaker(PicturePipeline& pictures, HWND window, UINT doneMessage);
  // Waits for the picture being made: the pipeline, the frame and GDI+ must
  // outlive it. The picture is cut short between its steps.
  ~PictureMaker();
  PictureMaker(const PictureMaker&) = delete;
  PictureMaker& operator=(const PictureMaker&) = delete;

  // A picture is being made: the pipeline is the worker's until Finish.
  bool Busy() const { return busy_; }

  // Makes the picture of `frame` as `settings` say now.
  void Start(std::unique_ptr<Gdiplus::Bitmap> frame, const Settings& settings);
  // The same with the frame `source` makes on the worker (MakeFrame).
  void Start(FrameSource& source, const Settings& settings);

  // Returns once the worker has let go of the source it was given.
  void WaitForWorker();

  // The done message arrived: the picture's outcome; the pipeline is the UI
  // thread's again.
  PictureOutcome Finish();

 private:
  static void CALLBACK Work(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK);
  void MakePicture() noexcept;

  PicturePipeline& pictures_;
  HWND window_;
  UINT doneMessage_;
  unique_handle<PTP_WORK, detail::CloseWork> work_;
  // Handed to the worker with the work, read back after its message: neither
  // thread touches them while the other does.
  std::unique_ptr<Gdiplus::Bitmap> frame_;
  FrameSource* frameSource_ = nullptr;
  Settings settings_;
  std::atomic<PictureOutcome> outcome_{PictureOutcome::kNone};
  std::atomic<bool> stopping_{false};
  bool busy_ = false;
};

}  // namespace kelpo
