// The DPI a window is shown at and the program's icon at that DPI's sizes,
// through the per-monitor calls where the system has them.
#pragma once

#include "common/win32.h"

namespace kelpo {

// Looked up at run time: the program runs on systems without them.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

// The window's DPI: its monitor's for a per-monitor aware window, else the
// system's.
UINT WindowDpi(HWND window);

// A size metric (SM_CXICON, SM_CXSMICON, ...) at a monitor's DPI.
int MetricForDpi(int metric, UINT dpi);

// The program's icon at a DPI's size (a metric pair such as SM_CXICON and
// SM_CYICON); the caller destroys it.
HICON LoadProgramIcon(UINT dpi, int widthMetric, int heightMetric);

}  // namespace kelpo
