#include "app/application.h"

#include "app/main_window.h"
#include "app/message_catalogue.h"
#include "settings/settings_rules.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

namespace kelpo {

namespace {

constexpr DWORD kInternetTimeout = 30000;
constexpr DWORD kDllVersionInfoSize = 20;  // the first, shortest DLLVERSIONINFO
constexpr DWORD kTempFileWait = 10000;
constexpr DWORD kTempFilePoll = 50;

// Deletes a temporary picture; false only while something still holds it
// open, when a later try may succeed.
bool DeleteUnlessHeld(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD error = ::GetLastError();
  return error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED;
}

}  // namespace

Application::Application() {
  // Registered once, before any window exists, so every window procedure can
  // compare against them.
  kelpoCaptureMessage = ::RegisterWindowMessageW(L"KelpoCapture");
  taskbarCreatedMessage = ::RegisterWindowMessageW(L"TaskbarCreated");

  UINT smoothing = 0;
  clearTypeAvailable = ::SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &smoothing, 0) != FALSE;
  productName = LoadText(kMsgProductName, kStatusTextCapacity);

  if (FAILED(::CoInitialize(nullptr))) Raise(kMsgComFailed);
  comStarted_ = true;

  bool gdiplusStarted = false;
  try {
    DWORD connection = 0;
    settings.dialup = ::InternetGetConnectedState(&connection, 0) != FALSE &&
                      (connection & INTERNET_CONNECTION_MODEM) != 0;

    constexpr DWORD kShell5 = 0x50000;
    balloonTips = QueryDllVersion(L"shell32.dll") >= kShell5;

    smallIcon.reset(static_cast<HICON>(::LoadImageW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KELPO), IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));

    Gdiplus::GdiplusStartupInput startup;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &startup, nullptr) != Gdiplus::Ok) {
      Raise(kMsgGdiplusFailed);
    }
    gdiplusStarted = true;

    internetHandle = ::InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                     INTERNET_FLAG_ASYNC);
    if (internetHandle == nullptr) Raise(kMsgInternetFailed);

    const auto closeInternet = [this] {
      (void)::InternetCloseHandle(internetHandle);
      internetHandle = nullptr;
    };
    if (::InternetSetStatusCallbackW(internetHandle, &Application::OnInternetStatus) ==
        INTERNET_INVALID_STATUS_CALLBACK) {
      closeInternet();
      Raise(kMsgInternetFailed);
    }
    for (DWORD option : {static_cast<DWORD>(INTERNET_OPTION_CONNECT_TIMEOUT),
                         static_cast<DWORD>(INTERNET_OPTION_RECEIVE_TIMEOUT),
                         static_cast<DWORD>(INTERNET_OPTION_SEND_TIMEOUT)}) {
      DWORD timeout = kInternetTimeout;
      if (!::InternetSetOptionW(internetHandle, option, &timeout, sizeof(timeout))) {
        closeInternet();
        Raise(kMsgInternetFailed);
      }
    }
  } catch (...) {
    if (gdiplusStarted) Gdiplus::GdiplusShutdown(gdiplusToken);
    ::CoUninitialize();
    throw;
  }
}

Application::~Application() {
  if (::IsWindow(mainWindow)) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = mainWindow;
    icon.uID = kTrayIconId;
    (void)::Shell_NotifyIconW(NIM_DELETE, &icon);
    (void)::DestroyWindow(mainWindow);
    mainWindow = nullptr;
  }
  if (HINTERNET connection = ftpConnection.exchange(nullptr)) {
    (void)::InternetCloseHandle(connection);
  }
  if (internetHandle != nullptr) {
    (void)::InternetCloseHandle(internetHandle);
    internetHandle = nullptr;
  }
  DeleteTempFile();
  stillImage.reset();
  stillPreview.reset();
  Gdiplus::GdiplusShutdown(gdiplusToken);
  if (settings.deviceType == kDeviceCamera) ReleaseCaptureGraph();
  // A camera graph left half-built by a failed start (deviceType then reads
  // kDeviceImageFile) must still be released while COM is up.
  nullRenderer.Reset();
  sampleGrabberFilter.Reset();
  captureFilter.Reset();
  captureBuilder.Reset();
  graphBuilder.Reset();
  if (comStarted_) ::CoUninitialize();
  sampleTextBrush.reset();
}

void Application::DeleteTempFile() {
  // Pictures of transfers abandoned earlier get their last try on the way
  // out, after the wait below, which gave WinInet time to let go of them too.
  const auto leftovers = scope_exit([this] { DeleteLeftoverTempFiles(); });
  if (!tempFileExists) return;
  const DWORD start = ::GetTickCount();
  for (;;) {
    // WinInet closes the file it sent only after it has reported the end of
    // the transfer, so a sharing violation here just means "not yet".
    if (transferIdle.load() &&
        (::DeleteFileW(tempFilePath.c_str()) || ::GetLastError() != ERROR_SHARING_VIOLATION)) {
      break;
    }
    const DWORD now = ::GetTickCount();
    // A tick count below the start means it wrapped around: stop waiting.
    if (now < start || now - start >= kTempFileWait) {
      (void)::DeleteFileW(tempFilePath.c_str());
      break;
    }
    ::Sleep(kTempFilePoll);
  }
  tempFileExists = false;
}

void Application::DeleteLeftoverTempFiles() {
  leftoverTempFiles.erase(
      std::remove_if(leftoverTempFiles.begin(), leftoverTempFiles.end(), DeleteUnlessHeld),
      leftoverTempFiles.end());
}

void Application::DeferError(std::exception_ptr error) noexcept {
  // The first error is the one the user sees; later ones follow from it.
  if (!pendingError) pendingError = error;
  ::PostQuitMessage(0);
}

void Application::RunOneShot() {
  oneShot = true;
  Run();
}

DWORD QueryDllVersion(const wchar_t* fileName) {
  unique_hmodule library(::LoadLibraryW(fileName));
  if (!library) return 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllGetVersion")));
  if (getVersion == nullptr) return 0;
  DLLVERSIONINFO info{};
  info.cbSize = kDllVersionInfoSize;
  if (FAILED(getVersion(&info))) return 0;
  return (static_cast<DWORD>(LOWORD(info.dwMajorVersion)) << 16) | LOWORD(info.dwMinorVersion);
}

}  // namespace kelpo
