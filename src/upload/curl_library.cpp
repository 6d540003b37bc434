#include "upload/curl_library.h"

#include <curl/curl.h>

#include <atomic>

namespace kelpo {

namespace {

std::atomic<int> runningWorkers{0};

}  // namespace

std::string CurlVersionText() {
  const char* version = ::curl_version();
  return version != nullptr ? version : "";
}

CurlLibrary::CurlLibrary() : ready_(::curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {}

CurlLibrary::~CurlLibrary() {
  if (ready_ && runningWorkers.load() == 0) ::curl_global_cleanup();
}

CurlWorkerMark::CurlWorkerMark() { ++runningWorkers; }

CurlWorkerMark::~CurlWorkerMark() { --runningWorkers; }

}  // namespace kelpo
