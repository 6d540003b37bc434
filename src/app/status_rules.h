// Pure rules of the status line, the error balloon and the capture timer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelpo {

// Capture timer period in milliseconds: timevalue seconds, minutes (unit 1) or
// hours (unit 2), as an unsigned 32-bit product.
std::uint32_t CaptureTimerPeriod(std::uint32_t timevalue, std::uint32_t timeunit);

// The error statuses, the only ones that may appear as a balloon.
bool IsErrorStatus(int statusId);

// A balloon is shown for an error status when the shell supports balloons and
// the main window is hidden (a visible window already shows the status line).
bool StatusRaisesBalloon(int statusId, bool balloonTips, bool windowVisible);

// Longest balloon title and text, in characters (the shell's fields hold 64
// and 256 with their terminating NUL).
constexpr std::size_t kBalloonTitleLength = 62;
constexpr std::size_t kBalloonTextLength = 254;
// At most maxLength characters, never between the halves of a surrogate pair.
std::wstring CutText(const std::wstring& text, std::size_t maxLength);

// The status a finished picture ends with, saying what became of it: its
// local copy failed, its overlay was left out, it was saved, or it was kept
// nowhere. kMsgNone when all went well and an upload follows, whose own
// statuses tell the rest.
int PictureEndStatus(bool uploadFollows, bool localCopyWanted, bool localCopyWritten,
                     bool overlayLeftOut);

// A capture timer tick takes a picture unless the timer is disabled or an
// upload is running (connecting or connected): such a tick is skipped, not
// deferred.
bool CaptureTickTakesPicture(bool disableTimer, bool uploadRunning);

}  // namespace kelpo
