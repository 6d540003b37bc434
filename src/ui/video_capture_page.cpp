#include "ui/video_capture_page.h"

#include "common/message_catalogue.h"
#include "resources/resource.h"
#include "ui/change_device_dialog.h"
#include "ui/device_choice.h"

#include <commctrl.h>

#include <vector>

namespace kelpo {

namespace {

constexpr int kImageSizeCount = 4;  // small to extra large
constexpr int kQualityMax = 100;
constexpr int kQualityTick = 25;

// What only a camera offers.
constexpr int kDeviceControls[] = {IDC_VIDEO_SOURCE, IDC_TV_TUNER, IDC_IMAGE_CONTROLS,
                                   IDC_VIDEO_FORMAT};

}  // namespace

VideoCapturePage::VideoCapturePage(SettingsSheetHost& host)
    : SettingsPage(host, VideoCaptureLayout()) {}

void VideoCapturePage::OnCreated() {
  (void)::SendDlgItemMessageW(window(), IDC_JPEG_QUALITY, TBM_SETRANGE, FALSE,
                              MAKELPARAM(0, kQualityMax));
  (void)::SendDlgItemMessageW(window(), IDC_JPEG_QUALITY, TBM_SETTICFREQ, kQualityTick, 0);
  FillList(IDC_IMAGE_SIZE, IDS_SIZE_SMALL, kImageSizeCount);
  ShowBindings();
  (void)::CheckDlgButton(
      window(), settings().UseCustomImageSize ? IDC_CUSTOM_SIZE : IDC_STANDARD_SIZE, BST_CHECKED);
  ApplyEnableRules();
  ShowDevice();
}

void VideoCapturePage::ShowDevice() {
  for (int id : kDeviceControls) (void)::EnableWindow(Control(id), FALSE);
  (void)::SendDlgItemMessageW(window(), IDC_VIDEO_SOURCE, CB_RESETCONTENT, 0, 0);
  SetControlText(IDC_VIDEO_DEVICE_NAME, host().DeviceName());
  VideoDeviceControls* controls = host().DeviceControls();
  if (controls == nullptr) return;

  const std::vector<VideoInput> inputs = controls->VideoInputs();
  const auto stored = static_cast<int>(settings().crossbarinput);
  for (const VideoInput& input : inputs) {
    const LRESULT item = ::SendDlgItemMessageW(window(), IDC_VIDEO_SOURCE, CB_ADDSTRING, 0,
                                               reinterpret_cast<LPARAM>(input.name.c_str()));
    if (item < 0) continue;
    (void)::EnableWindow(Control(IDC_VIDEO_SOURCE), TRUE);
    // The list sorts its names; each keeps the route's own index.
    (void)::SendDlgItemMessageW(window(), IDC_VIDEO_SOURCE, CB_SETITEMDATA,
                                static_cast<WPARAM>(item), input.index);
    if (input.index == stored) {
      (void)::SendDlgItemMessageW(window(), IDC_VIDEO_SOURCE, CB_SETCURSEL,
                                  static_cast<WPARAM>(item), 0);
      (void)::SendDlgItemMessageW(window(), IDC_VIDEO_SOURCE, CB_SETTOPINDEX,
                                  static_cast<WPARAM>(item), 0);
    }
  }
  // The input the card is on may have been switched by another program.
  if (!inputs.empty()) controls->RouteVideoInput(stored);

  (void)::EnableWindow(Control(IDC_TV_TUNER), controls->HasTuner() ? TRUE : FALSE);
  (void)::EnableWindow(Control(IDC_IMAGE_CONTROLS), TRUE);
  (void)::EnableWindow(Control(IDC_VIDEO_FORMAT), TRUE);
}

void VideoCapturePage::OnCommand(int controlId, int notification) {
  if (controlId == IDC_VIDEO_SOURCE && notification == CBN_SELCHANGE) MarkChanged();
  if (notification != BN_CLICKED) return;
  VideoDeviceControls* controls = host().DeviceControls();
  switch (controlId) {
    case IDC_STANDARD_SIZE:
    case IDC_CUSTOM_SIZE:
      MarkChanged();
      break;
    case IDC_CHANGE_DEVICE:
      // The choice is for the next start: this page goes on showing the source in use.
      ShowChangeVideoDeviceDialog(window(), settings());
      break;
    case IDC_TV_TUNER:
      if (controls != nullptr && !controls->ShowTunerProperties(window())) {
        ShowDeviceWarning(window(), kMsgCannotModifyTuner);
      }
      break;
    case IDC_IMAGE_CONTROLS:
      if (controls != nullptr && !controls->ShowImageProperties(window())) {
        ShowDeviceWarning(window(), kMsgCannotModifyCapture);
      }
      break;
    case IDC_VIDEO_FORMAT:
      if (controls != nullptr) ChangeVideoFormat();
      break;
    default:
      break;
  }
}

void VideoCapturePage::ChangeVideoFormat() {
  // No picture may ask the graph for a frame while it is taken apart.
  host().StopCaptureTimer();
  try {
    VideoDeviceControls& controls = *host().DeviceControls();
    controls.StopGraph();
    if (!controls.ShowVideoFormatProperties(window())) {
      ShowDeviceWarning(window(), kMsgCannotModifyFormat);
    }
    controls.RestartGraph();
  } catch (const Error& error) {
    // The camera's graph could not be built again. Kelpo runs on without the
    // camera, as after a start without one, rather than ending.
    host().UseImageFileInstead();
    ShowDevice();
    std::wstring text = LoadText(error.id, kErrorTextCapacity);
    if (text.empty()) text = LoadText(kMsgUnexpectedError, kErrorTextCapacity);
    const std::wstring caption = LoadText(kMsgProductName, kErrorTextCapacity);
    (void)::MessageBoxW(window(), text.c_str(), caption.c_str(), MB_ICONERROR);
  }
  host().RestartCaptureTimer();
  // The new format is in force and cannot be taken back.
  MarkChanged();
  CancelToClose();
}

void VideoCapturePage::RouteChosenInput(VideoDeviceControls& controls) {
  const LRESULT item = ::SendDlgItemMessageW(window(), IDC_VIDEO_SOURCE, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return;
  const LRESULT index = ::SendDlgItemMessageW(window(), IDC_VIDEO_SOURCE, CB_GETITEMDATA,
                                              static_cast<WPARAM>(item), 0);
  if (index == CB_ERR) return;
  settings().crossbarinput = static_cast<std::uint32_t>(index);
  controls.RouteVideoInput(static_cast<int>(index));
}

void VideoCapturePage::OnApplied() {
  ReadBindings();
  settings().UseCustomImageSize = !Checked(IDC_STANDARD_SIZE);
  if (VideoDeviceControls* controls = host().DeviceControls()) {
    RouteChosenInput(*controls);
    // The input just routed may carry another frame size.
    controls->ReadCaptureSize();
  }
  SaveGroup();
  host().OutputSizeChanged();
  host().PlacePreview();
  CancelToClose();
}

}  // namespace kelpo
