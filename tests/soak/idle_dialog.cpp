// The smallest Win32 dialog program: one modal dialog with a button, made from
// an in-memory template. tools/bench measures it idle beside Kelpo, for what
// Wine itself costs a program that only waits for messages.
#include "common/win32.h"

#include <cstdint>

namespace {

constexpr short kDialogWidth = 160;
constexpr short kDialogHeight = 60;

// A DLGTEMPLATE with no menu, the default class and an empty title: the three
// WORDs after the header are those zeros.
struct alignas(DWORD) DialogTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WORD title;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    (void)::EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  DialogTemplate dialog{};
  dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
  dialog.header.cx = kDialogWidth;
  dialog.header.cy = kDialogHeight;
  return static_cast<int>(
      ::DialogBoxIndirectParamW(instance, &dialog.header, nullptr, DialogProc, 0));
}
