// Pure rules of a one-shot run ("kelpo.exe oneshot"): the exit code that says
// how it ended, and the bound within which it always ends.
#pragma once

#include <cstdint>

namespace kelpo {

// The exit codes of a one-shot run (the README has the table).
enum OneShotExitCode : int {
  kExitDelivered = 0,        // every delivery it was configured for succeeded
  kExitCouldNotRun = 1,      // Kelpo could not start, or failed unexpectedly
  kExitNoPicture = 2,        // no picture could be taken
  kExitUploadFailed = 3,     // the upload failed or could not start
  kExitLocalCopyFailed = 4,  // the local copy could not be written
};

// What a one-shot run was configured to deliver and what it did.
struct OneShotOutcome {
  bool uploadWanted = false;     // FTP is on
  bool localCopyWanted = false;  // savetofile is on
  bool pictureMade = false;      // the temporary JPEG was written
  bool uploaded = false;         // the upload ended with "Image uploaded successfully."
  bool localCopyWritten = false;
};

// 0 only when every wanted delivery succeeded (so also when none was wanted);
// otherwise the first failure along the picture's road: no picture, then the
// upload, then the local copy.
OneShotExitCode OneShotExit(const OneShotOutcome& outcome);

// Time for the picture and for the connect, which WinInet bounds by its own
// 30-second time-outs (connecting, then each reply of the login).
constexpr std::uint32_t kOneShotAllowance = 60000;

// The longest a one-shot run takes, in milliseconds: the upload's own time
// limit (which runs from the connection) and the allowance before it.
std::uint32_t OneShotBound(std::uint32_t uploadTimeLimit);

}  // namespace kelpo
