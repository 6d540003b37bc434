#include "upload/curl_transfer.h"

#include "common/message_catalogue.h"
#include "common/unique_handle.h"
#include "upload/curl_outcome_rules.h"
#include "upload/remote_url_rules.h"
#include "upload/server_check.h"
#include "upload/upload_routes.h"
#include "upload/upload_rules.h"

#include <curl/curl.h>

#include <memory>

namespace kelpo {

static_assert(kCurlCouldntResolveHost == static_cast<int>(CURLE_COULDNT_RESOLVE_HOST));
static_assert(kCurlCouldntConnect == static_cast<int>(CURLE_COULDNT_CONNECT));
static_assert(kCurlRemoteAccessDenied == static_cast<int>(CURLE_REMOTE_ACCESS_DENIED));
static_assert(kCurlOperationTimedOut == static_cast<int>(CURLE_OPERATION_TIMEDOUT));
static_assert(kCurlAbortedByCallback == static_cast<int>(CURLE_ABORTED_BY_CALLBACK));
static_assert(kCurlPeerFailedVerification == static_cast<int>(CURLE_PEER_FAILED_VERIFICATION));
static_assert(kCurlUseSslFailed == static_cast<int>(CURLE_USE_SSL_FAILED));
static_assert(kCurlLoginDenied == static_cast<int>(CURLE_LOGIN_DENIED));
static_assert(kCurlRemoteFileNotFound == static_cast<int>(CURLE_REMOTE_FILE_NOT_FOUND));

namespace {

struct EasyCloser {
  void operator()(CURL* easy) const noexcept { ::curl_easy_cleanup(easy); }
};
struct ListCloser {
  void operator()(curl_slist* list) const noexcept { ::curl_slist_free_all(list); }
};

// The transfer's state, shared by its callbacks on the worker.
struct Transfer {
  explicit Transfer(const CurlRequest& forRequest) : request(forRequest) {}

  const CurlRequest& request;
  CURL* easy = nullptr;
  HANDLE file = nullptr;
  bool tls = false;
  ServerCheck check;
  bool connectedPosted = false;
  bool flowPosted = false;
  std::unique_ptr<curl_slist, ListCloser> headers;
  std::unique_ptr<curl_slist, ListCloser> quotes;
};

// Checks the TLS server's certificate as soon as the handshake brought it.
// False when the server is refused.
bool CheckCertificateOnce(Transfer& transfer) {
  if (!transfer.tls || transfer.check.verdict != ServerVerdict::kNotAsked) {
    return transfer.check.verdict != ServerVerdict::kNotTrusted &&
           transfer.check.verdict != ServerVerdict::kNotPinned;
  }
  curl_tlssessioninfo* session = nullptr;
  if (::curl_easy_getinfo(transfer.easy, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK ||
      session == nullptr || session->backend != CURLSSLBACKEND_SCHANNEL) {
    return true;
  }
  transfer.check =
      CheckServerCertificate(static_cast<CtxtHandle*>(session->internals),
                             transfer.request.job.server, transfer.request.job.certPin);
  return transfer.check.verdict == ServerVerdict::kNotAsked ||
         transfer.check.verdict == ServerVerdict::kAccepted;
}

// Called between every step of the exchange, connect and login included.
int OnProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept {
  auto& transfer = *static_cast<Transfer*>(data);
  try {
    // An abandoned upload stops here, as does a refused server.
    return UploadRouteOpen(transfer.request.upload) && CheckCertificateOnce(transfer) ? 0 : 1;
  } catch (...) {
    return 1;
  }
}

// Called once connected and logged in, before the request: the last gate
// before the picture goes.
int OnPrerequest(void* data, char*, char*, int, int) noexcept {
  auto& transfer = *static_cast<Transfer*>(data);
  try {
    if (!CheckCertificateOnce(transfer)) return CURL_PREREQFUNC_ABORT;
    // A TLS server nobody checked hears no request.
    if (transfer.tls && transfer.check.verdict != ServerVerdict::kAccepted) {
      transfer.check.verdict = ServerVerdict::kNotTrusted;
      return CURL_PREREQFUNC_ABORT;
    }
    if (!transfer.connectedPosted) {
      transfer.connectedPosted = true;
      if (!PostUploadNews(transfer.request.upload, UploadNews::Connected, TRUE)) {
        return CURL_PREREQFUNC_ABORT;
      }
    }
    return CURL_PREREQFUNC_OK;
  } catch (...) {
    return CURL_PREREQFUNC_ABORT;
  }
}

int OnHostKey(void* data, int, const char* key, size_t size) noexcept {
  auto& transfer = *static_cast<Transfer*>(data);
  try {
    transfer.check = CheckHostKey(key, size, transfer.request.job.hostKey);
    return transfer.check.verdict == ServerVerdict::kAccepted ? CURLKHMATCH_OK
                                                              : CURLKHMATCH_MISMATCH;
  } catch (...) {
    transfer.check.verdict = ServerVerdict::kHostKeyChanged;
    return CURLKHMATCH_MISMATCH;
  }
}

size_t OnRead(char* buffer, size_t size, size_t count, void* data) noexcept {
  auto& transfer = *static_cast<Transfer*>(data);
  if (!transfer.flowPosted) {
    transfer.flowPosted = true;
    if (!PostUploadNews(transfer.request.upload, UploadNews::DirectoryEntered, TRUE)) {
      return CURL_READFUNC_ABORT;
    }
  }
  const size_t wanted = size * count;
  constexpr size_t kMaxRead = 1 << 20;
  DWORD got = 0;
  if (!::ReadFile(transfer.file, buffer, static_cast<DWORD>(wanted < kMaxRead ? wanted : kMaxRead),
                  &got, nullptr)) {
    return CURL_READFUNC_ABORT;
  }
  return got;
}

// Curl starts the picture again when an authentication round asks for it.
int OnSeek(void* data, curl_off_t offset, int origin) noexcept {
  auto& transfer = *static_cast<Transfer*>(data);
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  const DWORD method = origin == SEEK_CUR   ? FILE_CURRENT
                       : origin == SEEK_END ? FILE_END
                                            : FILE_BEGIN;
  return ::SetFilePointerEx(transfer.file, distance, nullptr, method) ? CURL_SEEKFUNC_OK
                                                                      : CURL_SEEKFUNC_FAIL;
}

// What the server answers a PUT (a short page) is not wanted.
size_t OnWrite(char*, size_t size, size_t count, void*) noexcept { return size * count; }

const char* AllowedProtocols(TransferProtocol protocol) {
  switch (protocol) {
    case TransferProtocol::kSftp:
      return "sftp";
    case TransferProtocol::kHttps:
      return "https";
    case TransferProtocol::kFtp:
    case TransferProtocol::kFtps:
      break;
  }
  return "ftp,ftps";
}

// Sets the handle up for the request; false when curl refused an option.
bool Configure(Transfer& transfer, const std::string& user, const std::string& password,
               curl_off_t size) {
  const CurlRequest& request = transfer.request;
  const UploadJob& job = request.job;
  CURL* easy = transfer.easy;
  const long timeout =
      static_cast<long>(StretchedTimeout(job.timeLimit, ::GetTickCount() - request.started));
  bool ok = true;
  auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
  set(::curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str()));
  set(::curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, AllowedProtocols(job.protocol)));
  set(::curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str()));
  set(::curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str()));
  set(::curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L));
  set(::curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, size));
  set(::curl_easy_setopt(easy, CURLOPT_READFUNCTION, &OnRead));
  set(::curl_easy_setopt(easy, CURLOPT_READDATA, &transfer));
  set(::curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &OnSeek));
  set(::curl_easy_setopt(easy, CURLOPT_SEEKDATA, &transfer));
  set(::curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnWrite));
  set(::curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L));
  set(::curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress));
  set(::curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer));
  set(::curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &OnPrerequest));
  set(::curl_easy_setopt(easy, CURLOPT_PREREQDATA, &transfer));
  set(::curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L));
  // The owner's limit governs; these only end a worker that outlived it.
  set(::curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, timeout));
  set(::curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeout));
  switch (job.protocol) {
    case TransferProtocol::kSftp:
      // The password only: no key files of whoever runs Kelpo.
      set(::curl_easy_setopt(easy, CURLOPT_SSH_AUTH_TYPES,
                             static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD)));
      set(::curl_easy_setopt(easy, CURLOPT_SSH_HOSTKEYFUNCTION, &OnHostKey));
      set(::curl_easy_setopt(easy, CURLOPT_SSH_HOSTKEYDATA, &transfer));
      break;
    case TransferProtocol::kFtps:
      set(::curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL)));
      set(::curl_easy_setopt(easy, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS)));
      // Always passive (curl's default), whatever `passiveftp` says: active
      // TLS data connections are reset by common servers (vsftpd), and a
      // router cannot open the port of an encrypted PORT command.
      break;
    case TransferProtocol::kHttps:
      // Neither the password nor the picture goes with the first request.
      set(::curl_easy_setopt(easy, CURLOPT_HTTPAUTH,
                             static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST)));
      // The picture waits for the server's go-ahead: a request the server
      // refuses for want of a password does not carry it.
      transfer.headers.reset(::curl_slist_append(nullptr, "Expect: 100-continue"));
      set(transfer.headers ? ::curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headers.get())
                           : CURLE_OUT_OF_MEMORY);
      break;
    case TransferProtocol::kFtp:
      return false;
  }
  if (job.protocol != TransferProtocol::kHttps && !request.folders.empty()) {
    // Each level made before curl enters the path, so only these are made:
    // curl's own creation of missing folders would make `directory` too.
    for (const std::string& command : request.folders) {
      curl_slist* const longer = ::curl_slist_append(transfer.quotes.get(), command.c_str());
      if (longer == nullptr) return false;
      (void)transfer.quotes.release();
      transfer.quotes.reset(longer);
    }
    set(::curl_easy_setopt(easy, CURLOPT_QUOTE, transfer.quotes.get()));
  }
  if (transfer.tls) {
    // Kelpo checks the certificate itself, with the same chain engine, once
    // curl has it: Schannel refusing it first would hide the fingerprint a
    // user needs to pin a self-signed server.
    set(::curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L));
    set(::curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L));
  }
  return ok;
}

// Makes each WebDAV collection of the job's folders, one level at a time, on
// the PUT's handle (its connection and authentication), then sets the PUT up
// again. 0 when all are there, else the final status.
int MakeCollections(Transfer& transfer) {
  CURL* easy = transfer.easy;
  for (const std::string& folder : transfer.request.folders) {
    if (::curl_easy_setopt(easy, CURLOPT_URL, folder.c_str()) != CURLE_OK ||
        ::curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L) != CURLE_OK ||
        ::curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "MKCOL") != CURLE_OK ||
        ::curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr) != CURLE_OK) {
      return kMsgFtpConnectFailed;
    }
    const CURLcode result = ::curl_easy_perform(easy);
    long httpCode = 0;
    (void)::curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &httpCode);
    const int status = CollectionStatus(result, httpCode, transfer.check.verdict);
    if (status != 0) return status;
  }
  if (::curl_easy_setopt(easy, CURLOPT_URL, transfer.request.url.c_str()) != CURLE_OK ||
      ::curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L) != CURLE_OK ||
      ::curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr) != CURLE_OK ||
      ::curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headers.get()) != CURLE_OK) {
    return kMsgFtpConnectFailed;
  }
  return 0;
}

int RunTransfer(Transfer& transfer) {
  const CurlRequest& request = transfer.request;
  const UploadJob& job = request.job;
  if (request.url.empty()) return kMsgBadRemoteName;
  const std::optional<std::string> user = Utf8Of(job.user);
  const std::optional<std::string> password = Utf8Of(job.password);
  if (!user || !password) return kMsgFtpConnectFailed;
  unique_file file(::CreateFileW(job.localFile.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.get(), &size)) return kMsgUploadFailed;
  transfer.file = file.get();
  const std::unique_ptr<CURL, EasyCloser> easy(::curl_easy_init());
  if (!easy) return kMsgFtpConnectFailed;
  transfer.easy = easy.get();
  if (!Configure(transfer, *user, *password, size.QuadPart)) return kMsgFtpConnectFailed;
  int status = job.protocol == TransferProtocol::kHttps ? MakeCollections(transfer) : 0;
  if (status == 0) {
    const CURLcode result = ::curl_easy_perform(easy.get());
    long httpCode = 0;
    if (job.protocol == TransferProtocol::kHttps) {
      (void)::curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &httpCode);
    }
    status = CurlFinalStatus(result, httpCode, transfer.check.verdict);
  }
  const ServerVerdict verdict = transfer.check.verdict;
  std::lock_guard<std::mutex> lock(request.report->mutex);
  switch (verdict) {
    case ServerVerdict::kHostKeyChanged:
      request.report->values = {job.hostKey, transfer.check.fingerprint};
      break;
    case ServerVerdict::kNotTrusted:
    case ServerVerdict::kNotPinned:
      request.report->values = {transfer.check.fingerprint};
      break;
    case ServerVerdict::kAccepted:
      if (status == kMsgUploadSucceeded && job.protocol == TransferProtocol::kSftp &&
          job.hostKey.empty()) {
        request.report->learnedHostKey = transfer.check.fingerprint;
      }
      break;
    case ServerVerdict::kNotAsked:
      break;
  }
  return status;
}

}  // namespace

void RunCurlTransfer(const CurlRequest& request) {
  // Abandoned before it began: no connection is made at all.
  if (!UploadRouteOpen(request.upload)) return;
  Transfer transfer(request);
  transfer.tls = request.job.protocol == TransferProtocol::kFtps ||
                 request.job.protocol == TransferProtocol::kHttps;
  const int status = RunTransfer(transfer);
  (void)PostUploadNews(request.upload, UploadNews::Sent, status);
}

}  // namespace kelpo
