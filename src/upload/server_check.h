// Kelpo's own check of the server a secure upload talks to, before it hears
// the password or the picture: the TLS certificate through the Windows chain
// engine (or its pinned fingerprint), the SSH host key against the one learnt
// at the first connection.
#pragma once

#include "common/win32.h"
#include "upload/curl_outcome_rules.h"

#define SECURITY_WIN32
#include <security.h>

#include <cstddef>
#include <string>

namespace kelpo {

struct ServerCheck {
  ServerVerdict verdict = ServerVerdict::kNotAsked;
  // What was offered: the certificate's SHA-256 in hex, or the host key's
  // fingerprint as `ssh-keygen -l` prints it.
  std::wstring fingerprint;
};

// The certificate the TLS `context` received, checked for `host`: against
// `pin` when one is set (the chain is not asked then), else by the chain
// engine with the SSL policy. kNotAsked while the handshake has not brought
// a certificate yet.
ServerCheck CheckServerCertificate(CtxtHandle* context, const std::wstring& host,
                                   const std::wstring& pin);

// The raw host key `key` the SSH server offered, against `stored` (empty:
// the first connection, which accepts it).
ServerCheck CheckHostKey(const void* key, std::size_t size, const std::wstring& stored);

}  // namespace kelpo
