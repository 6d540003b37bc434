#include "support/test_camera/frame_streamer.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "common/unique_handle.h"
#include "support/test_camera/frame_pattern.h"

namespace kelpo::test_camera {

using Microsoft::WRL::ComPtr;

namespace {

using ReferenceDuration = std::chrono::duration<REFERENCE_TIME, std::ratio<1, kUnitsPerSecond>>;

// How often a camera that delivers nothing looks at its controls again.
constexpr REFERENCE_TIME kIdlePoll = kUnitsPerSecond / 20;

// EC_DEVICE_LOST's second parameter.
constexpr LONG_PTR kDeviceRemoved = 0;
constexpr LONG_PTR kDeviceBack = 1;

REFERENCE_TIME CounterNow() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  (void)::QueryPerformanceFrequency(&frequency);
  (void)::QueryPerformanceCounter(&counter);
  const LONGLONG seconds = counter.QuadPart / frequency.QuadPart;
  const LONGLONG rest = counter.QuadPart % frequency.QuadPart;
  return seconds * kUnitsPerSecond + rest * kUnitsPerSecond / frequency.QuadPart;
}

}  // namespace

FrameStreamer::FrameStreamer(BaseFilter& filter) : filter_(filter) {}

FrameStreamer::~FrameStreamer() { Stop(); }

HRESULT FrameStreamer::Start(Setup setup) {
  if (thread_.joinable()) return E_UNEXPECTED;
  const HRESULT committed = setup.allocator->Commit();
  if (FAILED(committed)) return committed;
  allocator_ = setup.allocator;
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = false;
    running_ = false;
  }
  const HRESULT started = Guard([&] {
    thread_ = std::thread([this, setup = std::move(setup)] {
      try {
        Loop(setup);
      } catch (...) {
        // Nothing may leave a thread; the stream simply ends.
      }
    });
    return S_OK;
  });
  if (FAILED(started)) {
    (void)allocator_->Decommit();
    allocator_.Reset();
  }
  return started;
}

void FrameStreamer::Run(REFERENCE_TIME start, IReferenceClock* clock) {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    running_ = true;
    ++runNumber_;
    clock_ = clock;
    start_ = start;
  }
  changed_.notify_all();
}

void FrameStreamer::Pause() {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    running_ = false;
  }
  changed_.notify_all();
}

void FrameStreamer::Stop() {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
    running_ = false;
    clock_.Reset();
  }
  changed_.notify_all();
  if (allocator_ != nullptr) (void)allocator_->Decommit();
  if (thread_.joinable()) thread_.join();
  allocator_.Reset();
}

void FrameStreamer::Loop(const Setup& setup) {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const auto uninitialize = scope_exit([com] {
    if (SUCCEEDED(com)) ::CoUninitialize();
  });
  const REFERENCE_TIME interval = setup.format.frameInterval;
  auto* const identity = static_cast<IUnknown*>(static_cast<IBaseFilter*>(&filter_));
  FrameEncoder encoder;  // goes before COM does
  RunState run;
  unsigned runSeen = 0;
  bool lost = false;
  bool failed = false;
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(mutex_);
      changed_.wait(hold, [this] { return stopping_ || running_; });
      if (stopping_) return;
      if (runNumber_ != runSeen) {
        runSeen = runNumber_;
        run = RunState{};
        run.clock = clock_;
        run.start = start_;
        // Like a camera, it captures from the moment it runs, not from stream
        // time 0: the graph sets the start a little in the future, and
        // frames taken before it carry negative time stamps.
        run.nextFrame = Now(run);
      }
    }

    const InstanceControls controls = ReadInstanceControls(setup.instance);
    if (controls.deviceLost != lost) {
      lost = controls.deviceLost;
      filter_.NotifyEvent(EC_DEVICE_LOST, reinterpret_cast<LONG_PTR>(identity),
                          lost ? kDeviceRemoved : kDeviceBack);
    }
    if (failed || lost || controls.frozen) {
      WaitFor(kIdlePoll, runSeen);
      continue;
    }
    if (FAILED(controls.failStreaming)) {
      // As a DirectShow source whose device fails: the stream ends downstream
      // and the graph hears why.
      failed = true;
      (void)setup.peer->EndOfStream();
      filter_.NotifyEvent(EC_ERRORABORT, controls.failStreaming, 0);
      continue;
    }

    const REFERENCE_TIME now = Now(run);
    if (now < run.nextFrame) {
      WaitFor(std::min(run.nextFrame - now, kIdlePoll), runSeen);
      continue;
    }
    // A camera held up downstream drops the frames it missed.
    if (now - run.nextFrame > interval) run.nextFrame = now;
    bool delivered = false;
    try {
      delivered = DeliverFrame(setup, run, controls, encoder);
    } catch (...) {
      // Out of memory for the pattern: the frame is dropped.
    }
    run.nextFrame += interval;
    // No buffer: the allocator was decommitted for a stop, or is starved.
    if (!delivered) WaitFor(kIdlePoll, runSeen);
  }
}

void FrameStreamer::WaitFor(REFERENCE_TIME duration, unsigned runSeen) {
  std::unique_lock<std::mutex> hold(mutex_);
  (void)changed_.wait_for(hold, ReferenceDuration(duration), [this, runSeen] {
    return stopping_ || !running_ || runNumber_ != runSeen;
  });
}

bool FrameStreamer::DeliverFrame(const Setup& setup, RunState& run,
                                 const InstanceControls& controls, FrameEncoder& encoder) {
  ComPtr<IMediaSample> sample;
  if (FAILED(setup.allocator->GetBuffer(&sample, nullptr, nullptr, 0))) return false;
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data))) return false;

  const auto counter = static_cast<std::uint16_t>(frameCounter_++);
  const std::optional<long> length =
      encoder.Encode(setup.format.camera, run.frames < controls.darkFrames,
                     FrameStamp{controls.tag, counter}, data, sample->GetSize());
  if (!length) return false;
  (void)sample->SetActualDataLength(*length);

  // Stream time of the capture; without a clock there is no stream time.
  if (run.clock != nullptr) {
    REFERENCE_TIME start = run.nextFrame - run.start;
    REFERENCE_TIME end = start + setup.format.frameInterval;
    (void)sample->SetTime(&start, &end);
  } else {
    (void)sample->SetTime(nullptr, nullptr);
  }
  LONGLONG first = run.frames;
  LONGLONG last = first + 1;
  (void)sample->SetMediaTime(&first, &last);
  (void)sample->SetSyncPoint(TRUE);
  (void)sample->SetPreroll(FALSE);
  (void)sample->SetDiscontinuity(run.discontinuity ? TRUE : FALSE);
  run.discontinuity = false;
  ++run.frames;

  // Like a camera, it goes on whatever the input pin answers: S_FALSE from a
  // one-shot grabber behind a tee must not stop the preview.
  (void)setup.input->Receive(sample.Get());
  return true;
}

REFERENCE_TIME FrameStreamer::Now(const RunState& run) const {
  REFERENCE_TIME now = 0;
  if (run.clock != nullptr && SUCCEEDED(run.clock->GetTime(&now))) return now;
  return CounterNow();
}

}  // namespace kelpo::test_camera
