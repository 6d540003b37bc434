// The capture pin's streaming thread: while the filter runs it fills a buffer
// from the negotiated allocator with the test pattern at the connected frame
// rate, stamps it with the stream time of its capture, and pushes it to the
// connected input pin, as a live camera does. While paused it delivers nothing.
// It follows the instance's controls (test_camera.h) between frames.
#pragma once

#include "common/win32.h"

#include <dshow.h>
#include <wrl/client.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "support/test_camera/base_filter.h"
#include "support/test_camera/frame_encoder.h"
#include "support/test_camera/instance_controls.h"
#include "support/test_camera/stream_formats.h"

namespace kelpo::test_camera {

class FrameStreamer {
 public:
  struct Setup {
    Microsoft::WRL::ComPtr<IPin> peer;
    Microsoft::WRL::ComPtr<IMemInputPin> input;
    Microsoft::WRL::ComPtr<IMemAllocator> allocator;
    CaptureFormat format;
    std::wstring instance;
  };

  // Events go to filter's graph; EC_DEVICE_LOST names the filter.
  explicit FrameStreamer(BaseFilter& filter);
  FrameStreamer(const FrameStreamer&) = delete;
  FrameStreamer& operator=(const FrameStreamer&) = delete;
  ~FrameStreamer();

  // Stopped to paused: commits the allocator and starts the thread, which
  // waits for Run.
  HRESULT Start(Setup setup);
  // Paused to running: frames at once, stamped in stream time (clock time
  // minus start), or untimed and paced by the system's counter when the graph
  // has no clock.
  void Run(REFERENCE_TIME start, IReferenceClock* clock);
  // Running to paused.
  void Pause();
  // Paused to stopped: decommits the allocator, which releases a thread
  // waiting for a buffer, and waits for the thread to end.
  void Stop();

 private:
  // What the thread knows of the current run.
  struct RunState {
    Microsoft::WRL::ComPtr<IReferenceClock> clock;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME nextFrame = 0;  // clock time the next frame is due
    DWORD frames = 0;              // frames delivered in this run
    bool discontinuity = true;
  };

  void Loop(const Setup& setup);
  // Waits up to the given time, or until the state changes.
  void WaitFor(REFERENCE_TIME duration, unsigned runSeen);
  // Fills and delivers one frame; false when no buffer was to be had.
  bool DeliverFrame(const Setup& setup, RunState& run, const InstanceControls& controls,
                    FrameEncoder& encoder);
  REFERENCE_TIME Now(const RunState& run) const;

  BaseFilter& filter_;
  std::thread thread_;
  Microsoft::WRL::ComPtr<IMemAllocator> allocator_;

  // Every frame this camera has produced: the counter in the stamp.
  std::atomic<std::uint32_t> frameCounter_{0};

  // Commands to the thread.
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  bool running_ = false;
  unsigned runNumber_ = 0;
  Microsoft::WRL::ComPtr<IReferenceClock> clock_;
  REFERENCE_TIME start_ = 0;
};

}  // namespace kelpo::test_camera
