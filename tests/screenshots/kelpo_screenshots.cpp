// kelpo_screenshots: the pictures of Kelpo's windows in the README. It starts
// kelpo.exe (configured beforehand by tools/screenshots), shows the main
// window once its first upload has ended and the tray icon's menu, opens the
// Settings sheet on each of
// its tabs; starts kelpo.exe again with the test camera as its source for the
// Video Capture tab and the Change Video Device dialog; then opens the
// plug-in's Configure dialog through the stand-in host, and saves each window
// as a PNG file:
//
//   kelpo_screenshots OUTPUT-FOLDER [SCALE]
//
// With a SCALE (the prefix set to that scale beforehand), only the main window
// and the Overlay and Archive tabs, their files named with it:
// main-window-150.png.
//
// kelpo.exe, kelpo_remote.dll, kelpo-remote-host.exe and kelpo_test_camera.dll
// lie next to it. The
// exit code is 0 when every picture was saved, 1 otherwise.
#include "app/main_window.h"
#include "common/unique_handle.h"
#include "common/win32.h"
#include "picture/gdiplus_session.h"
#include "picture/jpeg_encoder.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "support/kelpo_process.h"
#include "support/test_camera/registered_cameras.h"

#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using kelpo::test::WaitFor;

constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kUploadTimeout = 30000;
// Time for a window that was just shown or changed to paint itself.
constexpr DWORD kPaintDelay = 700;
constexpr wchar_t kSheetCaption[] = L"Kelpo Settings";
constexpr wchar_t kPluginCaption[] = L"Kelpo Plug-In for ATI Remote Wonder";
constexpr wchar_t kDeviceDialogCaption[] = L"Change Video Device";
constexpr int kVideoCaptureTab = 1;
constexpr int kOverlayTab = 3;
constexpr int kArchiveTab = 4;
// The tabs shown with the demo's image file; the Video Capture tab is shown
// with the camera.
constexpr const wchar_t* kTabFiles[] = {L"settings-file-transfer", nullptr,
                                        L"settings-text-effects", L"settings-overlay",
                                        L"settings-archive"};
constexpr wchar_t kCameraPath[] =
    L"\\\\?\\usb#vid_046d&pid_0825&mi_00#6&2d9b1f2e&0&0000#"
    L"{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
const KelpoTestCameraInstance kCamera{
    L"cam_demo", L"Capture Card", L"Harbour Capture Card", kCameraPath, 0x21, S_OK};
// The statuses an upload ends with.
constexpr int kFinalStatuses[] = {IDS_UPLOAD_SUCCEEDED, IDS_FTP_CONNECT_FAILED, IDS_UPLOAD_FAILED,
                                  IDS_NO_DIRECTORY,     IDS_UPLOAD_TOO_LONG,    IDS_PICTURE_FAILED};

std::wstring TextOf(HWND window) {
  std::vector<wchar_t> text(512, L'\0');
  DWORD_PTR copied = 0;
  (void)::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                              reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 1000,
                              &copied);
  return text.data();
}

std::wstring CatalogueText(int id) {
  wchar_t text[256] = {};
  (void)::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id), text, 256);
  return text;
}

// A popup menu's window class.
constexpr wchar_t kMenuClass[] = L"#32768";

struct WindowSearch {
  DWORD processId;
  const wchar_t* caption;  // or, when null, the class
  const wchar_t* className;
  HWND found;
};

// A visible top-level window of the process with exactly this caption, or,
// without one, of this class.
HWND FindWindowOf(DWORD processId, const wchar_t* caption, const wchar_t* className = nullptr) {
  WindowSearch search{processId, caption, className, nullptr};
  (void)::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& search = *reinterpret_cast<WindowSearch*>(context);
        DWORD owner = 0;
        (void)::GetWindowThreadProcessId(window, &owner);
        if (owner != search.processId || !::IsWindowVisible(window)) return TRUE;
        if (search.caption != nullptr) {
          if (TextOf(window) != search.caption) return TRUE;
        } else {
          wchar_t name[64] = {};
          (void)::GetClassNameW(window, name, 64);
          if (std::wstring(name) != search.className) return TRUE;
        }
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindowOf(DWORD processId, const wchar_t* caption, const wchar_t* className = nullptr) {
  HWND window = nullptr;
  (void)WaitFor([&] { return (window = FindWindowOf(processId, caption, className)) != nullptr; },
                kWindowTimeout);
  return window;
}

// What the screen shows in `area`, as a PNG.
bool SaveScreenArea(const RECT& area, const std::wstring& file) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const HDC screen = ::GetDC(nullptr);
  const kelpo::unique_hdc memory(::CreateCompatibleDC(screen));
  const kelpo::unique_hbitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
  const HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
  const BOOL copied =
      ::BitBlt(memory.get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  (void)::SelectObject(memory.get(), previous);
  (void)::ReleaseDC(nullptr, screen);
  if (!copied) return false;
  Gdiplus::Bitmap picture(bitmap.get(), nullptr);
  CLSID png{};
  if (kelpo::FindEncoderClsid(L"image/png", &png) < 0) return false;
  const bool saved = picture.Save(file.c_str(), &png, nullptr) == Gdiplus::Ok;
  std::printf("%ls: %s\n", file.c_str(), saved ? "saved" : "FAILED");
  return saved;
}

// The window as the screen shows it, frame and caption included, as a PNG.
bool SaveWindow(HWND window, const std::wstring& file) {
  (void)::SetForegroundWindow(window);
  (void)::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  (void)WaitFor([] { return false; }, kPaintDelay);
  RECT area{};
  return ::GetWindowRect(window, &area) && SaveScreenArea(area, file);
}

// The tray icon's menu as a right click opens it: the shell's version-4 news
// with the click's point, here just below the window. Taken where it opens,
// without asking for the foreground, which would close it.
bool SaveTrayMenu(DWORD processId, HWND main, const std::wstring& file) {
  RECT below{};
  (void)::GetWindowRect(main, &below);
  (void)::PostMessageW(main, kelpo::WM_TRAYICON, MAKEWPARAM(below.right, below.bottom),
                       MAKELPARAM(WM_CONTEXTMENU, kelpo::kTrayIconId));
  const HWND menu = WaitForWindowOf(processId, nullptr, kMenuClass);
  if (menu == nullptr) {
    std::printf("the tray menu did not open\n");
    return false;
  }
  (void)WaitFor([] { return false; }, kPaintDelay);
  RECT area{};
  const bool saved = ::GetWindowRect(menu, &area) && SaveScreenArea(area, file);
  (void)::PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  (void)WaitFor([&] { return !::IsWindowVisible(menu); }, kWindowTimeout);
  return saved;
}

bool IsFinalStatus(const std::wstring& status) {
  for (int id : kFinalStatuses) {
    if (status == CatalogueText(id)) return true;
  }
  return false;
}

// The main window after its first picture, then each tab of the sheet; at a
// scale (a suffix such as "-150"), the Overlay and Archive tabs alone.
bool ShootKelpo(const std::wstring& folder, const std::wstring& scale) {
  kelpo::test::KelpoProcess kelpo;
  const HWND main = kelpo.WaitForMainWindow();
  if (main == nullptr) {
    std::printf("kelpo.exe did not start\n");
    return false;
  }
  (void)::PostMessageW(main, kelpo::WM_TRAYICON, 0, WM_LBUTTONDOWN);  // a click on the icon
  // Found by its caption, the window may still be making its controls.
  const auto status = [main] { return TextOf(::GetDlgItem(main, IDC_STATUS)); };
  if (!WaitFor([&] { return IsFinalStatus(status()); }, kUploadTimeout)) {
    std::printf("no upload ended; the status reads: %ls\n", status().c_str());
  }
  bool saved = SaveWindow(main, folder + L"main-window" + scale + L".png");
  if (scale.empty()) saved = SaveTrayMenu(kelpo.id(), main, folder + L"tray-menu.png") && saved;

  (void)::PostMessageW(::GetDlgItem(main, IDC_SETTINGS), BM_CLICK, 0, 0);
  const HWND sheet = WaitForWindowOf(kelpo.id(), kSheetCaption);
  if (sheet == nullptr) {
    std::printf("the Settings sheet did not open\n");
    return false;
  }
  // SFTP chosen (the last but one protocol), to show the stored host key.
  const HWND protocol = ::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_PROTOCOL);
  for (UINT key : {VK_END, VK_UP}) (void)::SendMessageW(protocol, WM_KEYDOWN, key, 0);
  for (int tab = 0; tab < static_cast<int>(std::size(kTabFiles)); ++tab) {
    const bool scaled = tab == kOverlayTab || tab == kArchiveTab;
    if (kTabFiles[tab] == nullptr || (!scale.empty() && !scaled)) continue;
    (void)::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    saved = SaveWindow(sheet, folder + kTabFiles[tab] + scale + L".png") && saved;
  }
  (void)::PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
  (void)WaitFor([&] { return !::IsWindow(sheet); }, kWindowTimeout);
  (void)::PostMessageW(main, WM_COMMAND, IDC_EXIT, 0);
  DWORD exitCode = 0;
  (void)kelpo.WaitForExit(exitCode);
  return saved;
}

// The Video Capture tab and the Change Video Device dialog with the test
// camera as the source; the demo's own source is put back afterwards.
bool ShootCamera(const std::wstring& folder) {
  struct Com {
    Com() { (void)::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Com() { ::CoUninitialize(); }
  } com;
  std::uint32_t demoType = kelpo::kDeviceImageFile;
  std::wstring demoPath;
  (void)kelpo::ReadDword(L"deviceType", demoType);
  (void)kelpo::ReadString(L"devicePath", demoPath);
  bool saved = false;
  {
    const kelpo::test_camera::RegisteredCameras camera{kCamera};
    if (camera.result() != S_OK) {
      std::printf("the test camera could not be registered\n");
      return false;
    }
    // A capture card: tuner, composite and S-Video inputs, the second in use.
    (void)kelpo::test_camera::RegisteredCameras::SetControl(
        kCamera.name, kelpo::test_camera::kCrossbar, std::wstring(L"1,2,3"));
    (void)kelpo::test_camera::RegisteredCameras::SetControl(kCamera.name,
                                                            kelpo::test_camera::kTuner, 1);
    (void)kelpo::WriteDword(L"crossbarinput", 1);
    (void)kelpo::WriteDword(L"deviceType", kelpo::kDeviceCamera);
    (void)kelpo::WriteString(L"devicePath", kCameraPath);
    kelpo::test::KelpoProcess kelpo;
    const HWND main = kelpo.WaitForMainWindow();
    if (main != nullptr) {
      (void)::PostMessageW(main, kelpo::WM_TRAYICON, 0, WM_LBUTTONDOWN);
      (void)::PostMessageW(::GetDlgItem(main, IDC_SETTINGS), BM_CLICK, 0, 0);
    }
    const HWND sheet = main != nullptr ? WaitForWindowOf(kelpo.id(), kSheetCaption) : nullptr;
    if (sheet != nullptr) {
      (void)::SendMessageW(sheet, PSM_SETCURSEL, kVideoCaptureTab, 0);
      saved = SaveWindow(sheet, folder + L"settings-video-capture.png");
      const auto page =
          reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_INDEXTOHWND, kVideoCaptureTab, 0));
      (void)::PostMessageW(::GetDlgItem(page, IDC_CHANGE_DEVICE), BM_CLICK, 0, 0);
      const HWND dialog = WaitForWindowOf(kelpo.id(), kDeviceDialogCaption);
      saved = dialog != nullptr && SaveWindow(dialog, folder + L"change-video-device.png") && saved;
      if (dialog != nullptr) (void)::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      (void)WaitFor([&] { return !::IsWindow(dialog); }, kWindowTimeout);
      (void)::PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
      (void)WaitFor([&] { return !::IsWindow(sheet); }, kWindowTimeout);
    } else {
      std::printf("kelpo.exe with the camera did not show its Settings sheet\n");
    }
    if (main != nullptr) (void)::PostMessageW(main, WM_COMMAND, IDC_EXIT, 0);
    DWORD exitCode = 0;
    (void)kelpo.WaitForExit(exitCode);
  }
  (void)kelpo::WriteDword(L"deviceType", demoType);
  (void)kelpo::WriteString(L"devicePath", demoPath);
  return saved;
}

// The plug-in's Configure dialog, as the remote-control software opens it.
bool ShootPlugin(const std::wstring& folder) {
  const std::wstring bin = kelpo::test::ProgramFolder();
  const std::wstring host = bin + L"kelpo-remote-host.exe";
  std::wstring commandLine = L"\"" + host + L"\" \"" + bin + L"kelpo_remote.dll\" configure";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(host.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
    std::printf("kelpo-remote-host.exe did not start\n");
    return false;
  }
  const kelpo::unique_handle_value process(info.hProcess);
  const kelpo::unique_handle_value thread(info.hThread);
  const HWND dialog = WaitForWindowOf(info.dwProcessId, kPluginCaption);
  const bool saved = dialog != nullptr && SaveWindow(dialog, folder + L"plugin-configure.png");
  if (dialog != nullptr) (void)::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  if (::WaitForSingleObject(process.get(), kWindowTimeout) != WAIT_OBJECT_0) {
    (void)::TerminateProcess(process.get(), 1);
  }
  return saved;
}

}  // namespace

int main() {
  int argc = 0;
  const kelpo::unique_handle<wchar_t**, ::LocalFree> argv(
      ::CommandLineToArgvW(::GetCommandLineW(), &argc));
  if (!argv || argc < 2 || argc > 3) {
    std::printf("usage: kelpo_screenshots OUTPUT-FOLDER [SCALE]\n");
    return 1;
  }
  std::wstring folder = argv.get()[1];
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  const kelpo::GdiplusSession gdiplus;
  if (argc == 3) return ShootKelpo(folder, L"-" + std::wstring(argv.get()[2])) ? 0 : 1;
  const bool kelpoSaved = ShootKelpo(folder, std::wstring());
  const bool cameraSaved = ShootCamera(folder);
  const bool pluginSaved = ShootPlugin(folder);
  return kelpoSaved && cameraSaved && pluginSaved ? 0 : 1;
}
