// What happens when Kelpo crashes: a fault no code handles (an access
// violation, say) or a C++ failure that ends in std::terminate. A short crash
// report (a minidump) goes to %LOCALAPPDATA%\Kelpo\crashes, which keeps the
// newest few; a one-shot run then prints why it ended and exits with 1, and
// the tray program tells the user in a message box before it ends.
#pragma once

namespace kelpo {

// Installs the handlers for the whole process, and deletes reports beyond
// the newest few. Call first thing, once.
void InstallCrashReports(bool oneShot);

// Test hook: builds with the tests crash here when the environment variable
// KELPO_TEST_CRASH is "fault" (an access violation) or "terminate"; other
// builds do nothing.
void RaiseCrashForTests();

}  // namespace kelpo
