// How the plug-in and the program meet: the program's main window is found by its
// class and caption and is sent the registered message below. Constants only, so
// both deliverables may include this without sharing any code.
#pragma once

namespace kelpo::remote {

// The system dialog class: Kelpo's main window is a dialog.
inline constexpr char kKelpoWindowClass[] = "#32770";
inline constexpr char kKelpoWindowTitle[] = "Kelpo";
inline constexpr char kCaptureMessageName[] = "KelpoCapture";

}  // namespace kelpo::remote
