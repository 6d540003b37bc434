// The single object that owns Kelpo's settings, main window, tray icon,
// capture graph, GDI+, WinInet handles, upload state and temporary picture.
#pragma once

#include "picture/gdiplus_include.h"
#include "common/unique_handle.h"
#include "common/win32.h"
#include "settings/settings.h"
#include "upload/upload_state.h"

#include <strmif.h>
#include <wininet.h>
#include <wrl/client.h>

#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace kelpo {

// Private window messages of the main window.
constexpr UINT WM_TRAYICON = WM_APP + 1;
constexpr UINT WM_GRAPHNOTIFY = WM_APP + 2;
constexpr UINT WM_QUITAPP = WM_APP + 3;

class Application {
 public:
  // Start-up sequence: defaults, COM, GDI+, the asynchronous WinInet handle.
  // Raises a catalogue ID on failure, having undone what it started.
  Application();
  // Shut-down sequence; does not save settings.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  void Run();
  void RunOneShot();

  // ---- Application core: main window, tray icon, timers, status line
  void CreateMainWindow();
  void AddTrayIcon();
  void ShowMainWindow();
  void SetStatus(int id);
  void StartCaptureTimer();
  void StopCaptureTimer();
  void DeleteTempFile();
  // Deletes the remembered temporary pictures that nothing holds open any more.
  void DeleteLeftoverTempFiles();
  // For a window or dialog procedure that caught an error: exceptions cannot
  // cross the system's frames, so the error is kept, the message loop ends,
  // and Run raises it again to reach WinMain's message box.
  void DeferError(std::exception_ptr error) noexcept;

  // ---- Settings store
  void LoadSettings();
  void SaveFileTransferSettings();
  void SaveTextSettings();
  void SaveVideoSettings();
  void SaveOverlaySettings();
  void SaveAllSettings();

  // ---- Video capture: frame source and capture graph
  void RequestPicture();
  void OnGraphEvent();
  std::unique_ptr<Gdiplus::Bitmap> GrabFrame();
  void LoadStillImage();
  void BuildCaptureGraph();
  void ReleaseCaptureGraph();
  void StopGraph();
  void RestartGraph();
  void PlacePreview();

  // ---- Picture pipeline
  void ComputeOutputSize();
  void TakePicture();

  // ---- FTP upload
  void StartUpload();
  void OnUploadTimeLimit();
  // Abandons a running upload: stops its time limit and closes its connection.
  // TakePicture calls it before every picture.
  void CancelUpload();
  bool IsDialUpConnected();
  static void CALLBACK OnInternetStatus(HINTERNET handle, DWORD_PTR context, DWORD status,
                                        LPVOID info, DWORD infoLength);

  // ---- Settings dialogs
  void OpenSettingsSheet();

  // ---- Settings and run-time state
  Settings settings;

  HWND mainWindow = nullptr;
  unique_hicon smallIcon;
  ULONG_PTR gdiplusToken = 0;
  std::uint32_t outputWidth = 320;
  std::uint32_t outputHeight = 240;
  HINTERNET internetHandle = nullptr;
  std::atomic<HINTERNET> ftpConnection{nullptr};
  std::atomic<int> lastStatusId{1};
  std::wstring tempFilePath;
  bool tempFileExists = false;
  // Temporary pictures that could not be deleted when they were replaced:
  // WinInet may still hold the file of an abandoned transfer (Wine keeps it
  // open, unshared, until its 30-second wait for the server's reply ends).
  // Tried again at every picture and at exit, so none stays behind once
  // WinInet lets go of it. UI thread only.
  std::vector<std::wstring> leftoverTempFiles;
  std::atomic<bool> ftpIdle{true};
  UINT_PTR captureTimerId = 1;
  UINT_PTR uploadTimerId = 2;
  UINT uploadTimeLimit = 60000;
  bool balloonTips = false;
  std::atomic<bool> transferIdle{true};
  std::wstring productName;
  bool clearTypeAvailable = false;
  bool oneShot = false;

  // Registered window messages, obtained once before any window exists.
  UINT kelpoCaptureMessage = 0;
  UINT taskbarCreatedMessage = 0;

  // An error caught inside a window procedure, raised again by Run.
  std::exception_ptr pendingError;

  // ---- Capture state
  std::wstring deviceName;
  std::unique_ptr<Gdiplus::Bitmap> stillImage;
  std::unique_ptr<Gdiplus::Bitmap> stillPreview;
  Microsoft::WRL::ComPtr<IGraphBuilder> graphBuilder;
  Microsoft::WRL::ComPtr<ICaptureGraphBuilder2> captureBuilder;
  Microsoft::WRL::ComPtr<IBaseFilter> captureFilter;
  Microsoft::WRL::ComPtr<IBaseFilter> sampleGrabberFilter;
  Microsoft::WRL::ComPtr<IBaseFilter> nullRenderer;

  // ---- Settings dialogs state
  unique_hbrush sampleTextBrush;

  // ---- FTP upload state
  UploadState upload;

 private:
  bool comStarted_ = false;
};

// A system library's version as (major << 16) | minor, 0 when it reports none.
DWORD QueryDllVersion(const wchar_t* fileName);

}  // namespace kelpo
