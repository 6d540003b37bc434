// Where the news of an upload goes. Each upload gets a process-wide identity,
// which is also the context value WinInet hands back with its completions; a
// registry that lives as long as the process maps it to its uploader's window
// and message. WinInet's threads and the connecting worker only look an
// identity up and post to that window, so they never touch an uploader, and an
// identity that was abandoned or whose uploader is gone reaches nobody.
#pragma once

#include "common/win32.h"

#include <wininet.h>

namespace kelpo {

// A new upload's identity, its connect outstanding. Never 0, the context value
// for which WinInet reports nothing.
DWORD_PTR OpenUploadRoute(HWND window, UINT message);

// Nothing of `upload` reaches its window any more. A connect still outstanding
// keeps the identity until its result comes back, so that the connection it
// may bring is known for what it is and closed.
void CloseUploadRoute(DWORD_PTR upload);

// False once the upload was abandoned: its connect need not be made.
bool UploadRouteOpen(DWORD_PTR upload);

// The upload's names go in UTF-8: the server announced it. Set before the
// connect is issued, and reported with the connection.
void SetUploadUtf8(DWORD_PTR upload, bool utf8);

// The connect of `upload` brought `connection` (or null): switches the server
// to UTF-8 where the upload needs it, then reports the connect. Blocks on the
// network: for the connecting worker, or a worker of its own.
void FinishConnect(DWORD_PTR upload, HINTERNET connection);

// One completion of `upload`: the connect's (its first, `result` the
// connection or null) or a later request's (`result` its BOOL). Posts it to the
// window; returns a connection that nobody took, for the caller to close.
HINTERNET ReportUploadCompletion(DWORD_PTR upload, DWORD_PTR result);

// How the posted message carries a completion: the identity, whether lParam
// is a connection handle (the connect's completion), and whether the names go
// in UTF-8 on that connection.
constexpr WPARAM kCompletionConnect = 1;
constexpr WPARAM kCompletionUtf8 = 2;
constexpr int kCompletionFlagBits = 2;
inline WPARAM CompletionWParam(DWORD_PTR upload, bool connect, bool utf8) {
  return (static_cast<WPARAM>(upload) << kCompletionFlagBits) | (connect ? kCompletionConnect : 0) |
         (utf8 ? kCompletionUtf8 : 0);
}
inline DWORD_PTR CompletionUpload(WPARAM wParam) {
  return static_cast<DWORD_PTR>(wParam >> kCompletionFlagBits);
}
inline bool CompletionIsConnect(WPARAM wParam) { return (wParam & kCompletionConnect) != 0; }
inline bool CompletionIsUtf8(WPARAM wParam) { return (wParam & kCompletionUtf8) != 0; }

// Takes the status callback off an FTP connection, so nothing more of it is
// reported, and closes it.
void CloseFtpConnectionHandle(HINTERNET connection) noexcept;

// The session's status callback: hands each completed request to its route.
void CALLBACK OnUploadInternetStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                     DWORD infoLength);

}  // namespace kelpo
