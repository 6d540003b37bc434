#include "ui/video_capture_page.h"

namespace kelpo {

VideoCapturePage::VideoCapturePage(SettingsSheetHost& host)
    : SettingsPage(host, VideoCaptureLayout()) {}

void VideoCapturePage::OnCreated() {
  (void)::EnumChildWindows(
      window(),
      [](HWND control, LPARAM) -> BOOL {
        (void)::EnableWindow(control, FALSE);
        return TRUE;
      },
      0);
}

}  // namespace kelpo
