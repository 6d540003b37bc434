// Resource identifiers of kelpo_remote.dll. Plain macros so the resource compiler
// reads them too.
#pragma once

#define IDD_REMOTE_CONFIGURE 102

#define IDC_NO_SOUND 1000
#define IDC_DEFAULT_BEEP 1001
#define IDC_SOUND_FILE 1002
#define IDC_SOUND_FILE_NAME 1003
#define IDC_BROWSE 1004
#define IDC_PLAY 1005
#define IDC_REMOTE_STATIC (-1)

// The plug-in carries Kelpo's version (KELPO_VERSION_TEXT, KELPO_VERSION_BINARY).
#include "kelpo_version.h"
