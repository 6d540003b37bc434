#include "ui/settings_sheet.h"

#include "common/dpi_rules.h"
#include "common/unique_handle.h"
#include "resources/resource.h"
#include "ui/archive_page.h"
#include "ui/file_transfer_page.h"
#include "ui/overlay_page.h"
#include "ui/text_effects_page.h"
#include "ui/video_capture_page.h"

#include <commctrl.h>
#include <prsht.h>

#include <iterator>
#include <memory>
#include <vector>

namespace kelpo {

namespace {

template <typename Page>
std::unique_ptr<SettingsPage> MakePage(SettingsSheetHost& host) {
  return std::make_unique<Page>(host);
}

struct PageKind {
  int templateId;
  std::unique_ptr<SettingsPage> (*make)(SettingsSheetHost& host);
};

// The tabs, in order; the first is the one the sheet opens on.
constexpr PageKind kPages[] = {
    {IDD_FILE_TRANSFER, &MakePage<FileTransferPage>},
    {IDD_VIDEO_CAPTURE, &MakePage<VideoCapturePage>},
    {IDD_TEXT_EFFECTS, &MakePage<TextEffectsPage>},
    {IDD_OVERLAY, &MakePage<OverlayPage>},
    {IDD_ARCHIVE, &MakePage<ArchivePage>},
};

bool gSheetOpen = false;
// The open sheet's window, once it exists.
HWND gSheetWindow = nullptr;

// The sheet grows to fit its pages after its owner placed it: at a large
// scale it may reach past the screen's edge, its buttons out of reach.
int CALLBACK OnSheetEvent(HWND sheet, UINT event, LPARAM /*unused*/) {
  if (event != PSCB_INITIALIZED) return 0;
  gSheetWindow = sheet;
  RECT placed{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!::GetWindowRect(sheet, &placed) ||
      !::GetMonitorInfoW(::MonitorFromWindow(sheet, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return 0;
  }
  const RECT& work = monitor.rcWork;
  const DpiRect kept = KeepWithin({placed.left, placed.top, placed.right, placed.bottom},
                                  {work.left, work.top, work.right, work.bottom});
  if (kept.left != placed.left || kept.top != placed.top) {
    (void)::SetWindowPos(sheet, nullptr, kept.left, kept.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

}  // namespace

void OpenSettingsSheet(HWND owner, SettingsSheetHost& host) {
  if (gSheetOpen) {
    // Asked again (the tray menu, say): the open sheet comes to the front,
    // out of the taskbar if it was minimised.
    if (gSheetWindow != nullptr) {
      if (::IsIconic(gSheetWindow)) (void)::ShowWindow(gSheetWindow, SW_RESTORE);
      (void)::SetForegroundWindow(gSheetWindow);
    }
    return;
  }
  const HINSTANCE module = ::GetModuleHandleW(nullptr);

  // The page objects outlive their windows, which the sheet makes and ends.
  std::vector<std::unique_ptr<SettingsPage>> pages;
  std::vector<HPROPSHEETPAGE> handles;
  for (const PageKind& kind : kPages) {
    pages.push_back(kind.make(host));
    PROPSHEETPAGEW description{};
    description.dwSize = sizeof(description);
    description.hInstance = module;
    description.pszTemplate = MAKEINTRESOURCEW(kind.templateId);
    description.pfnDlgProc = &SettingsPage::DialogProc;
    description.lParam = reinterpret_cast<LPARAM>(pages.back().get());
    handles.push_back(::CreatePropertySheetPageW(&description));
  }
  const auto destroyUnused = [&handles] {
    for (HPROPSHEETPAGE handle : handles) {
      if (handle != nullptr) (void)::DestroyPropertySheetPage(handle);
    }
  };
  for (HPROPSHEETPAGE handle : handles) {
    if (handle == nullptr) {
      destroyUnused();
      return;
    }
  }

  PROPSHEETHEADERW sheet{};
  sheet.dwSize = sizeof(sheet);
  // Kelpo has no help to offer. The icon is the sheet's own: dialogs share
  // their class.
  sheet.dwFlags = PSH_NOCONTEXTHELP | PSH_USEICONID | PSH_USECALLBACK;
  sheet.pfnCallback = &OnSheetEvent;
  sheet.pszIcon = MAKEINTRESOURCEW(IDI_KELPO);
  sheet.hwndParent = owner;
  sheet.hInstance = module;
  sheet.pszCaption = MAKEINTRESOURCEW(IDS_SETTINGS_CAPTION);
  sheet.nPages = static_cast<UINT>(handles.size());
  sheet.nStartPage = 0;
  sheet.phpage = handles.data();
  gSheetOpen = true;
  const auto closed = scope_exit([] {
    gSheetOpen = false;
    gSheetWindow = nullptr;
  });
  // The sheet destroys the pages it was given.
  (void)::PropertySheetW(&sheet);
}

}  // namespace kelpo
