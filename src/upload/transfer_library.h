// The transfer library Kelpo links for FTPS, SFTP and HTTPS, as it names
// itself and its own parts.
#pragma once

#include <string>

namespace kelpo {

// libcurl's own version text, e.g. "libcurl/7.88.1 Schannel libssh2/1.11.1".
std::string TransferLibraryVersion();

}  // namespace kelpo
