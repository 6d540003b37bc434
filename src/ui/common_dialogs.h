// The system's file and colour dialogs as the Settings pages use them.
#pragma once

#include "common/win32.h"

#include <commdlg.h>

#include <array>
#include <optional>
#include <string>

namespace kelpo {

enum class FileDialogKind { kOpen, kSave };

struct FileDialogOptions {
  const wchar_t* filter = nullptr;  // pairs of label and patterns, each ending in NUL
  const wchar_t* defaultExtension = nullptr;
  const wchar_t* title = nullptr;          // null: the dialog's own
  const wchar_t* initialFolder = nullptr;  // null: the dialog's choice
  DWORD flags = 0;                         // OFN_ flags
};

// The image types GDI+ reads, each type on its own and all together first.
extern const wchar_t kImageFileFilter[];

// Where a dialog for pictures starts: the user's pictures folder where the
// shell knows it, else their documents; empty when neither can be found.
std::wstring PicturesFolder();

// The file the user confirms, or nothing when they cancel. `initialName` is
// offered first; a name the dialog refuses to start with (a path that no
// longer fits) is dropped rather than keeping the dialog from opening.
std::optional<std::wstring> AskForFile(HWND owner, FileDialogKind kind,
                                       const std::wstring& initialName,
                                       const FileDialogOptions& options);

// The folder the user confirms in the shell's folder browser, or nothing.
// `initialFolder` is selected first where it exists.
std::optional<std::wstring> AskForFolder(HWND owner, const std::wstring& title,
                                         const std::wstring& initialFolder);

// A colour dialog's custom colours, kept by its caller for the process's life.
using CustomColours = std::array<COLORREF, 16>;

// The colour the user confirms in the full colour dialog, or nothing.
std::optional<COLORREF> AskForColour(HWND owner, COLORREF initial, CustomColours& customColours);

}  // namespace kelpo
