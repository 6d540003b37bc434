// How Kelpo delivers a picture: the values of the `protocol` setting, and the
// port each protocol uses when `port` is 0.
#pragma once

#include <cstdint>

namespace kelpo {

enum class TransferProtocol : std::uint32_t {
  kFtp = 0,    // plain FTP through WinInet, the default
  kFtps = 1,   // FTP with explicit TLS (AUTH TLS); implicit TLS on port 990
  kSftp = 2,   // SSH file transfer
  kHttps = 3,  // HTTPS PUT (WebDAV)
};

constexpr std::uint32_t kLastTransferProtocol = static_cast<std::uint32_t>(TransferProtocol::kHttps);

constexpr std::uint16_t kFtpPort = 21;
constexpr std::uint16_t kFtpsImplicitPort = 990;
constexpr std::uint16_t kSftpPort = 22;
constexpr std::uint16_t kHttpsPort = 443;
constexpr std::uint32_t kMaxPort = 65535;

// The port a connection uses: the stored one, or 0 for the protocol's own.
constexpr std::uint16_t TransferPort(TransferProtocol protocol, std::uint32_t port) {
  if (port != 0 && port <= kMaxPort) return static_cast<std::uint16_t>(port);
  switch (protocol) {
    case TransferProtocol::kSftp:
      return kSftpPort;
    case TransferProtocol::kHttps:
      return kHttpsPort;
    case TransferProtocol::kFtp:
    case TransferProtocol::kFtps:
      break;
  }
  return kFtpPort;
}

// A stored value read as a protocol; anything unknown is plain FTP.
constexpr TransferProtocol TransferProtocolOf(std::uint32_t value) {
  return value <= kLastTransferProtocol ? static_cast<TransferProtocol>(value) : TransferProtocol::kFtp;
}

}  // namespace kelpo
