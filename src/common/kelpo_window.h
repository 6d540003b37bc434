// How the plug-in and the program meet: the program's main window is found by
// its class and caption and is sent the registered message below. Kelpo's own
// message boxes have that class and caption too, so the tray program's main
// window also carries the window property below: a lookup takes the window of
// that class and caption that has the property, and the first one of them only
// when none has (a Kelpo from before the property). Constants only, so both
// deliverables include this without sharing any code. The program speaks wide
// characters, the plug-in ANSI, so each name comes twice.
#pragma once

#define KELPO_WIDEN_(text) L##text
#define KELPO_WIDEN(text) KELPO_WIDEN_(text)

#define KELPO_WINDOW_CLASS "#32770"  // the system dialog class: the main window is a dialog
#define KELPO_WINDOW_TITLE "Kelpo"
#define KELPO_CAPTURE_MESSAGE "KelpoCapture"
#define KELPO_WINDOW_PROPERTY "KelpoMainWindow"

namespace kelpo {

inline constexpr char kKelpoWindowClass[] = KELPO_WINDOW_CLASS;
inline constexpr char kKelpoWindowTitle[] = KELPO_WINDOW_TITLE;
inline constexpr char kCaptureMessageName[] = KELPO_CAPTURE_MESSAGE;
inline constexpr char kKelpoWindowProperty[] = KELPO_WINDOW_PROPERTY;

inline constexpr wchar_t kKelpoWindowClassW[] = KELPO_WIDEN(KELPO_WINDOW_CLASS);
inline constexpr wchar_t kKelpoWindowTitleW[] = KELPO_WIDEN(KELPO_WINDOW_TITLE);
inline constexpr wchar_t kCaptureMessageNameW[] = KELPO_WIDEN(KELPO_CAPTURE_MESSAGE);
inline constexpr wchar_t kKelpoWindowPropertyW[] = KELPO_WIDEN(KELPO_WINDOW_PROPERTY);

// Sent by the shell to every top-level window when the taskbar is (re)created.
inline constexpr wchar_t kTaskbarCreatedMessageName[] = L"TaskbarCreated";

}  // namespace kelpo
