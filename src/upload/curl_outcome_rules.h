// Pure rules of how a curl transfer ended: its result and the server's
// answer, read as the status the user is shown.
#pragma once

namespace kelpo {

// The curl results Kelpo tells apart (the values of curl's CURLcode, which
// curl keeps stable; the transfer checks them against curl.h).
enum CurlResult : int {
  kCurlOk = 0,
  kCurlCouldntResolveHost = 6,
  kCurlCouldntConnect = 7,
  kCurlRemoteAccessDenied = 9,
  kCurlOperationTimedOut = 28,
  kCurlAbortedByCallback = 42,
  kCurlPeerFailedVerification = 60,
  kCurlUseSslFailed = 64,
  kCurlLoginDenied = 67,
  kCurlRemoteFileNotFound = 78,
};

// What Kelpo's own check of the server decided before curl went on.
enum class ServerVerdict {
  kNotAsked,  // nothing checked yet (or the check is not Kelpo's)
  kAccepted,
  kHostKeyChanged,
  kNotTrusted,  // the chain engine refused the certificate
  kNotPinned,   // a pin is set and the certificate is another one
};

// The final status of a transfer that ended with `result`; `httpCode` is the
// last HTTP answer (0 for other protocols).
int CurlFinalStatus(int result, long httpCode, ServerVerdict verdict);

// How a WebDAV MKCOL of one folder level ended: 0 when the collection is
// there now (made, or there already), else the upload's final status; a level
// the server would not make reads as a missing directory.
int CollectionStatus(int result, long httpCode, ServerVerdict verdict);

}  // namespace kelpo
