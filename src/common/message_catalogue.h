// The numbered user-visible texts. A catalogue ID is also Kelpo's error value:
// an operation that fails raises the ID of the text that describes the failure.
#pragma once

#include "resources/resource.h"

#include <string>
#include <vector>

namespace kelpo {

enum MessageId : int {
  kMsgNone = 0,
  kMsgTrayTip = IDS_TRAY_TIP,
  kMsgTrayTipStatus = IDS_TRAY_TIP_STATUS,
  kMsgUnexpectedError = IDS_UNEXPECTED_ERROR,
  kMsgCameraNotResponding = IDS_CAMERA_NOT_RESPONDING,
  kMsgTrayIconFailed = IDS_TRAY_ICON_FAILED,
  kMsgMainWindowFailed = IDS_MAIN_WINDOW_FAILED,
  kMsgGdiplusFailed = IDS_GDIPLUS_FAILED,
  kMsgPictureFailed = IDS_PICTURE_FAILED,
  kMsgFtpConnectFailed = IDS_FTP_CONNECT_FAILED,
  kMsgUploadSucceeded = IDS_UPLOAD_SUCCEEDED,
  kMsgSeconds = IDS_SECONDS,
  kMsgConnecting = IDS_CONNECTING,
  kMsgUploading = IDS_UPLOADING,
  kMsgChangingDirectory = IDS_CHANGING_DIRECTORY,
  kMsgUploadFailed = IDS_UPLOAD_FAILED,
  kMsgInternetFailed = IDS_INTERNET_FAILED,
  kMsgRestartNeeded = IDS_RESTART_NEEDED,
  kMsgNoDirectory = IDS_NO_DIRECTORY,
  kMsgErrorTitle = IDS_ERROR_TITLE,
  kMsgComFailed = IDS_COM_FAILED,
  kMsgNoFilterGraph = IDS_NO_FILTER_GRAPH,
  kMsgNoCaptureDevice = IDS_NO_CAPTURE_DEVICE,
  kMsgCannotAddCaptureDevice = IDS_CANNOT_ADD_CAPTURE_DEVICE,
  kMsgNoCaptureGraphBuilder = IDS_NO_CAPTURE_GRAPH_BUILDER,
  kMsgNoSampleGrabber = IDS_NO_SAMPLE_GRABBER,
  kMsgNoNullRenderer = IDS_NO_NULL_RENDERER,
  kMsgCannotAddNullRenderer = IDS_CANNOT_ADD_NULL_RENDERER,
  kMsgCannotAddSampleGrabber = IDS_CANNOT_ADD_SAMPLE_GRABBER,
  kMsgNoSampleGrabberInterface = IDS_NO_SAMPLE_GRABBER_INTERFACE,
  kMsgCannotSetMediaType = IDS_CANNOT_SET_MEDIA_TYPE,
  kMsgSizeSmall = IDS_SIZE_SMALL,
  kMsgCannotModifyFormat = IDS_CANNOT_MODIFY_FORMAT,
  kMsgProductName = IDS_PRODUCT_NAME,
  kMsgCannotModifyCapture = IDS_CANNOT_MODIFY_CAPTURE,
  kMsgSettingsCaption = IDS_SETTINGS_CAPTION,
  kMsgNoHostKey = IDS_NO_HOST_KEY,
  kMsgCertPinInvalid = IDS_CERT_PIN_INVALID,
  kMsgCannotModifyTuner = IDS_CANNOT_MODIFY_TUNER,
  kMsgPositionFirst = IDS_POSITION_UPPER_LEFT,
  kMsgBackgroundFirst = IDS_BACKGROUND_SOLID,
  kMsgChangeDeviceFailed = IDS_CHANGE_DEVICE_FAILED,
  kMsgDeviceChangedCaption = IDS_DEVICE_CHANGED_CAPTION,
  kMsgUploadTooLong = IDS_UPLOAD_TOO_LONG,
  kMsgLocalCopyFailed = IDS_LOCAL_COPY_FAILED,
  kMsgCropOutsidePicture = IDS_CROP_OUTSIDE_PICTURE,
  kMsgPictureSaved = IDS_PICTURE_SAVED,
  kMsgPictureTaken = IDS_PICTURE_TAKEN,
  kMsgOverlayTooLarge = IDS_OVERLAY_TOO_LARGE,
  kMsgUnknownArgument = IDS_UNKNOWN_ARGUMENT,
  kMsgCrashed = IDS_CRASHED,
  kMsgCrashReportWritten = IDS_CRASH_REPORT_WRITTEN,
  kMsgCannotRenderStream = IDS_CANNOT_RENDER_STREAM,
  kMsgCameraInUse = IDS_CAMERA_IN_USE,
  kMsgHostKeyChanged = IDS_HOST_KEY_CHANGED,
  kMsgCertificateNotTrusted = IDS_CERTIFICATE_NOT_TRUSTED,
  kMsgCertificateNotPinned = IDS_CERTIFICATE_NOT_PINNED,
  kMsgTlsRefused = IDS_TLS_REFUSED,
  kMsgBadRemoteName = IDS_BAD_REMOTE_NAME,
  kMsgArchiveUploadFailed = IDS_ARCHIVE_UPLOAD_FAILED,
  kMsgArchiveUploaded = IDS_ARCHIVE_UPLOADED,
  kMsgArchiveSaved = IDS_ARCHIVE_SAVED,
  kMsgArchiveSaveFailed = IDS_ARCHIVE_SAVE_FAILED,
  kMsgArchiveLocalNotFull = IDS_ARCHIVE_LOCAL_NOT_FULL,
  kMsgArchiveRemoteOutside = IDS_ARCHIVE_REMOTE_OUTSIDE,
};

// Buffer capacities (in characters, terminating NUL included) of the places
// that show catalogue texts.
constexpr int kErrorTextCapacity = 255;
constexpr int kListLabelCapacity = 256;
constexpr int kStatusTextCapacity = 512;
constexpr int kTipTextCapacity = 64;

// A failed operation: the catalogue ID of the text the user is shown, and the
// platform's own code behind it (an HRESULT or a Win32 error, 0 when there is
// none), so the failure can be told apart where it is caught.
struct Error {
  MessageId id;
  long code = 0;
};

// Raises a catalogue ID: the program's one way of ending a failed operation.
[[noreturn]] inline void Raise(MessageId id, long code = 0) { throw Error{id, code}; }

#ifdef KELPO_WINDOWS
// The text of `id` from the program's string table, cut to capacity - 1
// characters; empty when the ID has no text.
std::wstring LoadText(int id, int capacity);
// The same, with `value` in place of the text's "%1".
std::wstring LoadTextWith(int id, int capacity, const std::wstring& value);
// The same, with values[0] in place of "%1", values[1] of "%2", and so on.
std::wstring LoadTextWith(int id, int capacity, const std::vector<std::wstring>& values);
#endif

}  // namespace kelpo
