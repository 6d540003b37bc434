// The composition root: owns Kelpo's platform sessions and subsystems, wires
// them together, and runs start-up and shut-down in order. Members are
// declared in the order they start, so they end in the reverse order.
#pragma once

#include "app/com_session.h"
#include "app/main_window.h"
#include "app/one_shot_run.h"
#include "app/picture_cycle.h"
#include "app/picture_maker.h"
#include "capture/frame_source.h"
#include "picture/gdiplus_session.h"
#include "picture/picture_pipeline.h"
#include "settings/settings.h"
#include "ui/settings_sheet_host.h"
#include "upload/curl_library.h"
#include "upload/internet_session.h"
#include "upload/uploader.h"

#include <exception>
#include <memory>

namespace kelpo {

// How Kelpo runs: the tray program, or one picture and the end.
struct RunOptions {
  bool oneShot = false;
  UINT uploadTimeLimit = 60000;  // from the start of the upload to its end
};

class Application final : public MainWindowEvents, public SettingsSheetHost, private GrabTimer {
 public:
  using Options = RunOptions;

  // Starts COM, GDI+ and the WinInet session; raises a catalogue ID.
  explicit Application(const Options& options = {});
  // Ends everything in reverse order; does not save settings.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Start-up, the message loop, and saving the settings at its end. Returns
  // the exit code: 0 for the normal run, how it ended for a one-shot run.
  int Run();
  // Start-up alone: settings, window and tray icon, picture source, the first
  // picture and the capture timer.
  void Start();

  Settings& settings() override { return settings_; }
  MainWindow& window() { return window_; }
  PictureCycle& cycle() { return cycle_; }
  // What a one-shot run prints when it has ended: its final status, line by line.
  std::wstring OneShotReport() const;
  const PicturePipeline& pictures() const { return pictures_; }

  // MainWindowEvents
  void OnPictureRequested() override { cycle_.RequestPicture(); }
  void OnCaptureTick() override { cycle_.OnCaptureTick(); }
  void OnUploadTimeLimit() override { cycle_.OnUploadTimeLimit(); }
  void OnOneShotBound() override { cycle_.OnOneShotBound(); }
  void OnUploadCompletion(WPARAM wParam, LPARAM lParam) override;
  void OnPictureMade() override { cycle_.OnPictureMade(); }
  void OnGraphNotify() override { cycle_.OnGraphEvent(); }
  void OnGrabTimer() override { cycle_.OnGrabTimer(); }
  void OnSettingsRequested() override;
  void OnShown(bool shown) override;
  void OnMoved() override;
  void OnPreviewResized() override;
  void OnSessionEnding() override;
  void OnUnhandledError(std::exception_ptr error) noexcept override;

  // SettingsSheetHost
  void RestartCaptureTimer() override { StartCaptureTimer(); }
  void StopCaptureTimer() override;
  void OutputSizeChanged() override { pictures_.ComputeOutputSize(settings_); }
  PictureSize OutputSize() const override { return pictures_.OutputSize(); }
  void PlacePreview() override;
  VideoDeviceControls* DeviceControls() override;
  std::wstring DeviceName() const override;
  void UseImageFileInstead() override;
  bool ClearTypeAvailable() const override { return clearTypeAvailable_; }

 private:
  // GrabTimer: the camera's timer is the main window's.
  void StartGrabTimer(UINT period) override { window_.StartGrabTimer(period); }
  void StopGrabTimer() override { window_.StopGrabTimer(); }

  bool OneShot() const { return oneShot_ != nullptr; }
  void StartCaptureTimer();
  void RaisePendingError();
  // The settings' picture source, in the main window.
  void OpenSource();

  bool clearTypeAvailable_ = false;
  Options options_;
  Settings settings_;
  ComSession com_;
  GdiplusSession gdiplus_;
  InternetSession internet_;
  CurlLibrary curl_;
  PicturePipeline pictures_;
  std::unique_ptr<FrameSource> source_;
  MainWindow window_;
  // The run's road: the tray run's, or the one-shot run's when there is one.
  TrayRoad trayRoad_;
  std::unique_ptr<OneShotRun> oneShot_;
  PictureCycle cycle_;
  std::unique_ptr<Uploader> uploader_;
  // Goes first: the picture it makes uses the pipeline, the source's frame
  // and GDI+.
  std::unique_ptr<PictureMaker> maker_;
  // The first error a window procedure kept, raised again by Run.
  std::exception_ptr pendingError_;
};

}  // namespace kelpo
