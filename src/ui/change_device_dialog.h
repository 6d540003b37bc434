// The Change Video Device dialog: the picture source for the next start, one
// of the cameras or an image file, written straight to the registry. The
// running program keeps the source it has.
#pragma once

#include "common/win32.h"
#include "settings/settings.h"

namespace kelpo {

// Runs the dialog modally, owned by `owner`. `inUse` holds the source the
// program runs with (deviceType, devicePath); when the choice differs from
// it, the user is told to restart. Raises kMsgChangeDeviceFailed when the
// dialog cannot be made.
void ShowChangeVideoDeviceDialog(HWND owner, const Settings& inUse);

}  // namespace kelpo
