// Pure rules of the FTP upload: when an upload may start, where it goes, and
// how each completed request moves it on.
#pragma once

#include <cstddef>
#include <string>

namespace kelpo {

// Where an upload stands: the step its worker is busy with.
enum class UploadStep {
  Idle,               // no upload, or the last one is over
  Connecting,         // connecting and logging in
  ChangingDirectory,  // entering the remote directory
  Uploading,          // sending the file
};

// What the worker reports: the step it has finished.
enum class UploadNews { Connected, DirectoryEntered, Sent };

// What to do with news of the running upload.
enum class UploadAction {
  Ignore,    // it belongs to no step of the running upload: late, or doubled
  Continue,  // show the next step's status; the worker goes on by itself
  Finish,    // the upload is over: show the final status
};

struct UploadTransition {
  UploadStep next;
  UploadAction action;
  int status;  // catalogue ID to show, 0 for none
};

// The move from `step` on `news` that the step finished with `succeeded`.
UploadTransition NextUploadStep(UploadStep step, UploadNews news, bool succeeded);

// An upload starts only when no other one runs, the dial-up check passes and a
// server name of at least two characters is configured.
bool UploadMayStart(bool idle, bool dialUpConnected, const std::wstring& server);

// The remote directory to enter: `directory`, or the login directory "." when
// none is configured.
std::wstring RemoteDirectory(const std::wstring& directory);

// How long WinInet may wait on one exchange with the server once connected:
// past whatever is left of the owner's `timeLimit` after `elapsed` ms, so the
// owner's limit ends a slow transfer (and says so), never WinInet's time-outs.
// The worker of an abandoned transfer still gives up soon after that limit.
unsigned long StretchedTimeout(unsigned long timeLimit, unsigned long elapsed);

// Whether a remote name travels differently in UTF-8 than in the ANSI code
// page: only names with characters beyond ASCII do.
bool NeedsUtf8(const std::wstring& name);

// The code of the complete FTP reply that `received` starts with (one line
// "ddd text", or the lines from "ddd-" to "ddd "), with its length in bytes;
// 0 while it is incomplete, -1 when it is no reply.
int CompleteFtpReply(const std::string& received, std::size_t& length);

// Whether a FEAT reply lists the feature UTF8: the server takes path names in
// UTF-8 (RFC 2640).
bool FeatAnnouncesUtf8(const std::string& reply);

// The time limit expired. A new picture follows only when it cut a running
// upload short; a tick left over from an upload that already ended takes none.
bool PictureAfterTimeLimit(bool uploadWasRunning, bool oneShot, bool disableTimer);

}  // namespace kelpo
