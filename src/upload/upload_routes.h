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

// One completion of `upload`: the connect's (its first, `result` the
// connection or null) or a later request's (`result` its BOOL). Posts it to the
// window; returns a connection that nobody took, for the caller to close.
HINTERNET ReportUploadCompletion(DWORD_PTR upload, DWORD_PTR result);

// How the posted message carries a completion: the identity, and whether
// lParam is a connection handle (the connect's completion).
inline WPARAM CompletionWParam(DWORD_PTR upload, bool connect) {
  return (static_cast<WPARAM>(upload) << 1) | (connect ? 1 : 0);
}
inline DWORD_PTR CompletionUpload(WPARAM wParam) { return static_cast<DWORD_PTR>(wParam >> 1); }
inline bool CompletionIsConnect(WPARAM wParam) { return (wParam & 1) != 0; }

// Takes the status callback off an FTP connection, so nothing more of it is
// reported, and closes it.
void CloseFtpConnectionHandle(HINTERNET connection) noexcept;

// The session's status callback: hands each completed request to its route.
void CALLBACK OnUploadInternetStatus(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                     DWORD infoLength);

}  // namespace kelpo
