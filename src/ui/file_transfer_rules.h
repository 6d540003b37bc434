// Pure rules of the File Transfer page: which transfer controls a protocol
// uses, and how a typed certificate fingerprint becomes the stored pin.
#pragma once

#include "common/transfer_protocol.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelpo {

// Passive mode is a choice of plain FTP's data connection only: FTPS is
// always passive, since a router cannot open the port of an encrypted PORT
// command.
constexpr bool UsesPassiveMode(TransferProtocol protocol) {
  return protocol == TransferProtocol::kFtp;
}
// SFTP checks the server by the host key learnt at the first connection.
constexpr bool UsesHostKey(TransferProtocol protocol) {
  return protocol == TransferProtocol::kSftp;
}
// TLS checks the server by its certificate, or by a pinned fingerprint.
constexpr bool UsesCertificatePin(TransferProtocol protocol) {
  return protocol == TransferProtocol::kFtps || protocol == TransferProtocol::kHttps;
}

// The pin stored for a typed SHA-256 fingerprint: 64 lowercase hex digits, or
// empty for no pin. Colons and blanks between the digits are dropped, as
// browsers and `openssl x509 -fingerprint` print them, and so is a leading
// "sha256 Fingerprint=". Nothing for any other text.
std::optional<std::wstring> CertPinFromText(std::wstring_view text);

}  // namespace kelpo
