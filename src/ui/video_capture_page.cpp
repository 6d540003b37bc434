#include "ui/video_capture_page.h"

namespace kelpo {

namespace {

BOOL CALLBACK DisableControl(HWND control, LPARAM /*unused*/) {
  (void)::EnableWindow(control, FALSE);
  return TRUE;
}

}  // namespace

VideoCapturePage::VideoCapturePage(SettingsSheetHost& host)
    : SettingsPage(host, VideoCaptureLayout()) {}

void VideoCapturePage::OnCreated() { (void)::EnumChildWindows(window(), DisableControl, 0); }

}  // namespace kelpo
