#include "app/picture_maker.h"

#include "common/message_catalogue.h"

#include <objbase.h>

#include <utility>

namespace kelpo {

namespace {

constexpr DWORD kPostRetryMilliseconds = 50;

}  // namespace

PictureMaker::PictureMaker(PicturePipeline& pictures, HWND window, UINT doneMessage)
    : pictures_(pictures),
      window_(window),
      doneMessage_(doneMessage),
      work_(::CreateThreadpoolWork(&PictureMaker::Work, this, nullptr)) {
  if (!work_) Raise(kMsgUnexpectedError, static_cast<long>(::GetLastError()));
}

PictureMaker::~PictureMaker() {
  stopping_ = true;
  WaitForWorker();
}

void PictureMaker::WaitForWorker() { ::WaitForThreadpoolWorkCallbacks(work_.get(), FALSE); }

void PictureMaker::Start(std::unique_ptr<Gdiplus::Bitmap> frame, const Settings& settings) {
  frame_ = std::move(frame);
  frameSource_ = nullptr;
  settings_ = settings;
  busy_ = true;
  ::SubmitThreadpoolWork(work_.get());
}

void PictureMaker::Start(FrameSource& source, const Settings& settings) {
  frame_.reset();
  frameSource_ = &source;
  settings_ = settings;
  busy_ = true;
  ::SubmitThreadpoolWork(work_.get());
}

PictureOutcome PictureMaker::Finish() {
  busy_ = false;
  return outcome_.load();
}

void CALLBACK PictureMaker::Work(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK) {
  static_cast<PictureMaker*>(context)->MakePicture();
}

void PictureMaker::MakePicture() noexcept {
  PictureOutcome outcome = PictureOutcome::kFailed;
  // GDI+ decodes and encodes through WIC, which wants COM on this thread.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  try {
    if (frameSource_ != nullptr && !stopping_) frame_ = frameSource_->MakeFrame();
    if (frame_) outcome = pictures_.MakePicture(*frame_, settings_, &stopping_);
  } catch (...) {
    // Out of memory: the picture failed; nothing may leave a pool thread.
  }
  // The frame's rows go back to the source before the UI thread hears of it.
  frame_.reset();
  frameSource_ = nullptr;
  if (SUCCEEDED(com)) ::CoUninitialize();
  outcome_ = outcome;
  // A full message queue empties again: without this news the window would
  // wait for the picture for ever. A window gone (Exit) needs no news.
  while (!::PostMessageW(window_, doneMessage_, 0, 0)) {
    if (stopping_ || !::IsWindow(window_)) break;
    ::Sleep(kPostRetryMilliseconds);
  }
}

}  // namespace kelpo
