// Pure rules of the FTP upload: when an upload may start, where it goes, and
// how each completed request moves it on.
#pragma once

#include <cstddef>
#include <string>

namespace kelpo {

// Where an upload stands: the request it has outstanding.
enum class UploadStep {
  Idle,               // no upload, or the last one is over
  Connecting,         // InternetConnectW outstanding
  ChangingDirectory,  // FtpSetCurrentDirectoryW outstanding
  Uploading,          // FtpPutFileW outstanding
};

// What to do after a request has completed.
enum class UploadAction {
  Ignore,           // the completion belongs to no running upload
  ChangeDirectory,  // connected: start the time limit, enter the directory
  PutFile,          // directory entered: send the file
  Finish,           // the upload is over: close its connection (if any), show the status
};

struct UploadTransition {
  UploadStep next;
  UploadAction action;
  int status;  // catalogue ID to show, 0 for none
};

// The move from `step` once its request completed with `succeeded`.
UploadTransition NextUploadStep(UploadStep step, bool succeeded);

// An upload starts only when no other one runs, the dial-up check passes and a
// server name of at least two characters is configured.
bool UploadMayStart(bool idle, bool dialUpConnected, const std::wstring& server);

// The remote directory to enter: `directory`, or the login directory "." when
// none is configured.
std::wstring RemoteDirectory(const std::wstring& directory);

// How an asynchronous WinInet call stands when it returns.
enum class RequestOutcome { Pending, Succeeded, Failed };
// InternetConnectW: a handle means connected at once (no completion follows);
// no handle and ERROR_IO_PENDING means the completion follows; no handle and
// another error means it failed at once (no completion follows either).
RequestOutcome ClassifyConnectResult(bool handleReturned, bool ioPending);
// FtpSetCurrentDirectoryW and FtpPutFileW: TRUE only says the request was
// accepted (Wine queues it and reports the completion later), so only FALSE
// without ERROR_IO_PENDING ends the request at once.
RequestOutcome ClassifyRequestResult(bool returnedTrue, bool ioPending);

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
