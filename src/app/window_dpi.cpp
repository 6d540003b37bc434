#include "app/window_dpi.h"

#include "common/dpi_rules.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace kelpo {

namespace {

// The system's DPI, which GetSystemMetrics answers for.
UINT SystemDpi() {
  const HDC dc = ::GetDC(nullptr);
  if (dc == nullptr) return kDefaultDpi;
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  (void)::ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

}  // namespace

// The window's DPI: its monitor's for a per-monitor aware window, else the
// system's.
UINT WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi != 0) return dpi;
  }
  const HDC dc = ::GetDC(window);
  if (dc == nullptr) return kDefaultDpi;
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  (void)::ReleaseDC(window, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

// A size metric (SM_CXICON, SM_CXSMICON, ...) at a monitor's DPI.
int MetricForDpi(int metric, UINT dpi) {
  using MetricForDpiFunction = int(WINAPI*)(int, UINT);
  static const auto metricForDpi = User32Function<MetricForDpiFunction>("GetSystemMetricsForDpi");
  if (metricForDpi != nullptr) {
    if (const int size = metricForDpi(metric, dpi); size > 0) return size;
  }
  return ScaleToDpi(::GetSystemMetrics(metric), SystemDpi(), dpi);
}

// The program's icon at a DPI's size: scaled down from a larger image of the
// icon rather than up from a smaller one, where the common controls can.
HICON LoadProgramIcon(UINT dpi, int widthMetric, int heightMetric) {
  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  const int width = MetricForDpi(widthMetric, dpi);
  const int height = MetricForDpi(heightMetric, dpi);
  using ScaleDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto scaleDown = [] {
    const HMODULE controls = ::GetModuleHandleW(L"comctl32.dll");
    return controls == nullptr ? nullptr
                               : reinterpret_cast<ScaleDownFunction>(reinterpret_cast<void*>(
                                     ::GetProcAddress(controls, "LoadIconWithScaleDown")));
  }();
  HICON icon = nullptr;
  if (scaleDown != nullptr &&
      SUCCEEDED(scaleDown(module, MAKEINTRESOURCEW(IDI_KELPO), width, height, &icon))) {
    return icon;
  }
  return static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_KELPO), IMAGE_ICON, width,
                                         height, LR_DEFAULTCOLOR));
}

}  // namespace kelpo
