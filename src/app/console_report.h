// A one-shot run's last words: its final status, printed where the script or
// the person that started it can read it.
#pragma once

#include <string>

namespace kelpo {

// Writes `text` and a line break to the standard output Kelpo was given (a
// file or a pipe, in UTF-8) or else, when it was started from a console, to
// that console. Nothing happens when there is neither (Task Scheduler, a
// shortcut).
void ReportToConsole(const std::wstring& text);

}  // namespace kelpo
