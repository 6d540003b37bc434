// How the plug-in and the program meet: the program's main window is found by
// its class and caption and is sent the registered message below. Constants
// only, so both deliverables include this without sharing any code. The
// program speaks wide characters, the plug-in ANSI, so each name comes twice.
#pragma once

#define KELPO_WIDEN_(text) L##text
#define KELPO_WIDEN(text) KELPO_WIDEN_(text)

#define KELPO_WINDOW_CLASS "#32770"  // the system dialog class: the main window is a dialog
#define KELPO_WINDOW_TITLE "Kelpo"
#define KELPO_CAPTURE_MESSAGE "KelpoCapture"

namespace kelpo {

inline constexpr char kKelpoWindowClass[] = KELPO_WINDOW_CLASS;
inline constexpr char kKelpoWindowTitle[] = KELPO_WINDOW_TITLE;
inline constexpr char kCaptureMessageName[] = KELPO_CAPTURE_MESSAGE;

inline constexpr wchar_t kKelpoWindowClassW[] = KELPO_WIDEN(KELPO_WINDOW_CLASS);
inline constexpr wchar_t kKelpoWindowTitleW[] = KELPO_WIDEN(KELPO_WINDOW_TITLE);
inline constexpr wchar_t kCaptureMessageNameW[] = KELPO_WIDEN(KELPO_CAPTURE_MESSAGE);

// Sent by the shell to every top-level window when the taskbar is (re)created.
inline constexpr wchar_t kTaskbarCreatedMessageName[] = L"TaskbarCreated";

}  // namespace kelpo
