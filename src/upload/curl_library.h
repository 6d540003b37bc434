// libcurl's process-wide state: set up once on the UI thread at start, torn
// down at the end only when no transfer's worker can still be using it.
#pragma once

#include <string>

namespace kelpo {

// libcurl's own version text, e.g. "libcurl/7.88.1 Schannel libssh2/1.11.1".
std::string CurlVersionText();

class CurlLibrary {
 public:
  CurlLibrary();
  // Leaves curl set up when a worker still runs (an abandoned transfer ends
  // at its next callback or time-out): the process ends soon after anyway.
  ~CurlLibrary();
  CurlLibrary(const CurlLibrary&) = delete;
  CurlLibrary& operator=(const CurlLibrary&) = delete;

  // False when curl could not be set up: secure uploads fail to connect.
  bool ready() const { return ready_; }

 private:
  bool ready_;
};

// A transfer's worker holds one while it uses curl.
class CurlWorkerMark {
 public:
  CurlWorkerMark();
  ~CurlWorkerMark();
  CurlWorkerMark(const CurlWorkerMark&) = delete;
  CurlWorkerMark& operator=(const CurlWorkerMark&) = delete;
};

}  // namespace kelpo
