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

#define KELPO_REMOTE_VERSION_TEXT "1.0.96"
#define KELPO_REMOTE_VERSION_BINARY 1, 0, 96, 0
