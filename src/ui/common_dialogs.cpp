#include "ui/common_dialogs.h"

#include "common/dll_version.h"
#include "common/unique_handle.h"
#include "ui/settings_page_rules.h"

#include <cderr.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace kelpo {

namespace {

// The file-name buffer: a field's length and its terminator.
constexpr DWORD kFileNameCapacity = kMaxFieldLength + 1;
// Shell 5.0 and later know the user's pictures folder.
constexpr DWORD kShell5 = 0x50000;

// Selects the folder given as the browser's lParam once the browser is up.
int CALLBACK OnFolderBrowserEvent(HWND dialog, UINT message, LPARAM /*unused*/, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) {
    (void)::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  }
  return 0;
}

}  // namespace

const wchar_t kImageFileFilter[] =
    L"All Images\0*.bmp;*.dib;*.gif;*.jpg;*.jpe;*.jpeg;*.jif;*.png;*.tif;*.tiff;*.wmf;*.emf\0"
    L"JPEG Images\0*.jpg;*.jpe;*.jpeg;*.jif\0"
    L"GIF Images\0*.gif\0"
    L"PNG Images\0*.png\0"
    L"BMP Images\0*.bmp;*.dib\0"
    L"TIFF Images\0*.tif;*.tiff\0"
    L"Windows Meta File Images\0*.wmf;*.emf\0"
    L"All Files\0*.*\0";

std::wstring PicturesFolder() {
  const int folder = QueryDllVersion(L"shell32.dll") >= kShell5 ? CSIDL_MYPICTURES : CSIDL_PERSONAL;
  std::vector<wchar_t> path(MAX_PATH, L'\0');
  if (!::SHGetSpecialFolderPathW(nullptr, path.data(), folder, FALSE)) return {};
  return path.data();
}

std::optional<std::wstring> AskForFile(HWND owner, FileDialogKind kind,
                                       const std::wstring& initialName,
                                       const FileDialogOptions& options) {
  const std::wstring initial = CutToFieldLength(initialName);
  std::vector<wchar_t> file(kFileNameCapacity, L'\0');
  for (bool withInitialName : {true, false}) {
    if (withInitialName && initial.empty()) continue;
    std::fill(file.begin(), file.end(), L'\0');
    if (withInitialName) std::copy(initial.begin(), initial.end(), file.begin());

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = options.filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kFileNameCapacity;
    dialog.lpstrInitialDir = options.initialFolder;
    dialog.lpstrTitle = options.title;
    dialog.lpstrDefExt = options.defaultExtension;
    // Kelpo keeps full paths; the process's current folder stays where it was.
    dialog.Flags = options.flags | OFN_NOCHANGEDIR;
    const BOOL confirmed =
        kind == FileDialogKind::kSave ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (confirmed) return std::wstring(file.data());
    if (::CommDlgExtendedError() != FNERR_INVALIDFILENAME) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::wstring> AskForFolder(HWND owner, const std::wstring& title,
                                         const std::wstring& initialFolder) {
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = title.c_str();
  // The new style lets the user make the folder there and then.
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  browse.lpfn = &OnFolderBrowserEvent;
  browse.lParam = initialFolder.empty() ? 0 : reinterpret_cast<LPARAM>(initialFolder.c_str());
  const unique_cotaskmem chosen(::SHBrowseForFolderW(&browse));
  if (!chosen) return std::nullopt;
  std::vector<wchar_t> path(MAX_PATH, L'\0');
  if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), path.data())) {
    return std::nullopt;
  }
  return std::wstring(path.data());
}

std::optional<COLORREF> AskForColour(HWND owner, COLORREF initial, CustomColours& customColours) {
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.rgbResult = initial;
  dialog.lpCustColors = customColours.data();
  dialog.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR;
  if (!::ChooseColorW(&dialog)) return std::nullopt;
  return dialog.rgbResult;
}

}  // namespace kelpo
