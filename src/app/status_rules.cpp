#include "app/status_rules.h"

#include "common/message_catalogue.h"
#include "settings/settings_rules.h"

namespace kelpo {

std::uint32_t CaptureTimerPeriod(std::uint32_t timevalue, std::uint32_t timeunit) {
  constexpr std::uint32_t kSecond = 1000;
  constexpr std::uint32_t kMinute = 60 * kSecond;
  constexpr std::uint32_t kHour = 60 * kMinute;
  switch (timeunit) {
    case kTimeUnitMinutes:
      return timevalue * kMinute;
    case kTimeUnitHours:
      return timevalue * kHour;
    default:
      return timevalue * kSecond;
  }
}

bool IsErrorStatus(int statusId) {
  switch (statusId) {
    case kMsgCameraNotResponding:
    case kMsgPictureFailed:
    case kMsgFtpConnectFailed:
    case kMsgUploadFailed:
    case kMsgInternetFailed:
    case kMsgNoDirectory:
    case kMsgCropOutsidePicture:
    case kMsgLocalCopyFailed:
    case kMsgCameraInUse:
    case kMsgHostKeyChanged:
    case kMsgCertificateNotTrusted:
    case kMsgCertificateNotPinned:
    case kMsgTlsRefused:
    case kMsgBadRemoteName:
    case kMsgArchiveUploadFailed:
    case kMsgArchiveSaveFailed:
      return true;
    default:
      return false;
  }
}

bool StatusRaisesBalloon(int statusId, bool balloonTips, bool windowVisible) {
  return IsErrorStatus(statusId) && balloonTips && !windowVisible;
}

std::wstring CutText(const std::wstring& text, std::size_t maxLength) {
  if (text.size() <= maxLength) return text;
  std::size_t length = maxLength;
  // Half a surrogate pair would show as a broken character.
  constexpr wchar_t kHighSurrogateFirst = 0xD800;
  constexpr wchar_t kHighSurrogateLast = 0xDBFF;
  if (length > 0 && text[length - 1] >= kHighSurrogateFirst &&
      text[length - 1] <= kHighSurrogateLast) {
    --length;
  }
  return text.substr(0, length);
}

int PictureEndStatus(bool uploadFollows, bool localCopyWanted, bool localCopyWritten,
                     bool overlayLeftOut) {
  if (localCopyWanted && !localCopyWritten) return kMsgLocalCopyFailed;
  if (overlayLeftOut) return kMsgOverlayTooLarge;
  if (uploadFollows) return kMsgNone;
  return localCopyWanted ? kMsgPictureSaved : kMsgPictureTaken;
}

bool CaptureTickTakesPicture(bool disableTimer, bool uploadRunning) {
  return !disableTimer && !uploadRunning;
}

}  // namespace kelpo
