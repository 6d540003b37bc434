// Pure rules of where a secure upload goes: the URL curl is given for each
// protocol, built from the File Transfer settings.
#pragma once

#include "common/transfer_protocol.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelpo {

struct RemoteTarget {
  TransferProtocol protocol = TransferProtocol::kFtps;
  std::wstring server;
  std::uint16_t port = 0;  // already resolved (TransferPort)
  std::wstring directory;  // relative to the login folder unless it starts with '/'
  std::wstring filename;
};

// The URL in UTF-8, every path segment percent-encoded; nothing when a name
// holds a control character or cannot be encoded, or the server name is not
// a plain host name or address. Credentials never go into it.
std::optional<std::string> RemoteUrl(const RemoteTarget& target);

// `text` in UTF-8; nothing when it holds an unpaired surrogate.
std::optional<std::string> Utf8Of(const std::wstring& text);

}  // namespace kelpo
