#include "upload/transfer_library.h"

#include <curl/curl.h>

namespace kelpo {

std::string TransferLibraryVersion() {
  const char* version = curl_version();
  return version != nullptr ? version : "";
}

}  // namespace kelpo
