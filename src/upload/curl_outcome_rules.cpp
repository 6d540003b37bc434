#include "upload/curl_outcome_rules.h"

#include "common/message_catalogue.h"

namespace kelpo {

namespace {

constexpr long kHttpOkFirst = 200;
constexpr long kHttpOkLast = 299;
constexpr long kHttpUnauthorized = 401;
constexpr long kHttpForbidden = 403;
constexpr long kHttpNotFound = 404;
// What WebDAV answers a PUT into a collection that does not exist.
constexpr long kHttpConflict = 409;
// What WebDAV answers a MKCOL of a collection that exists already.
constexpr long kHttpMethodNotAllowed = 405;

}  // namespace

int CurlFinalStatus(int result, long httpCode, ServerVerdict verdict) {
  // A refusal of Kelpo's own check says why, whatever curl made of it.
  switch (verdict) {
    case ServerVerdict::kHostKeyChanged:
      return kMsgHostKeyChanged;
    case ServerVerdict::kNotTrusted:
      return kMsgCertificateNotTrusted;
    case ServerVerdict::kNotPinned:
      return kMsgCertificateNotPinned;
    case ServerVerdict::kNotAsked:
    case ServerVerdict::kAccepted:
      break;
  }
  switch (result) {
    case kCurlOk:
      if (httpCode == 0 || (httpCode >= kHttpOkFirst && httpCode <= kHttpOkLast)) {
        return kMsgUploadSucceeded;
      }
      if (httpCode == kHttpUnauthorized || httpCode == kHttpForbidden) return kMsgFtpConnectFailed;
      if (httpCode == kHttpNotFound || httpCode == kHttpConflict) return kMsgNoDirectory;
      return kMsgUploadFailed;
    case kCurlCouldntResolveHost:
    case kCurlCouldntConnect:
    case kCurlLoginDenied:
      return kMsgFtpConnectFailed;
    case kCurlRemoteAccessDenied:
    case kCurlRemoteFileNotFound:
      return kMsgNoDirectory;
    case kCurlOperationTimedOut:
      return kMsgUploadTooLong;
    case kCurlUseSslFailed:
      return kMsgTlsRefused;
    default:
      return kMsgUploadFailed;
  }
}

int CollectionStatus(int result, long httpCode, ServerVerdict verdict) {
  if (result == kCurlOk && httpCode == kHttpMethodNotAllowed) return 0;
  const int status = CurlFinalStatus(result, httpCode, verdict);
  if (status == kMsgUploadSucceeded) return 0;
  // The server refused the level; a broken exchange says so as a PUT would.
  return result == kCurlOk && status == kMsgUploadFailed ? kMsgNoDirectory : status;
}

}  // namespace kelpo
