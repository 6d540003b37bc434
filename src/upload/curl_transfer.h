// One secure upload's work on its worker thread: curl's easy handle, its
// callbacks, and the check of the server before it hears the password or
// the picture.
#pragma once

#include "common/win32.h"
#include "upload/curl_library.h"
#include "upload/uploader.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kelpo {

// What the worker leaves for the owner beside the final status it posts:
// filled before that news goes out, read once it arrives.
struct TransferReport {
  std::mutex mutex;
  std::vector<std::wstring> values;  // what the final status's text names
  std::wstring learnedHostKey;       // an SFTP server's key seen for the first time
};

// What the worker needs, its own copies: it may outlive the uploader.
struct CurlRequest {
  DWORD_PTR upload = 0;
  UploadJob job;
  std::string url;
  std::vector<std::string> folders;  // FolderSteps of the job
  DWORD started = 0;                 // tick count when the upload started
  std::shared_ptr<TransferReport> report;
  CurlWorkerMark mark;
};

// Runs the upload and posts its news: Connected once the server is checked
// and logged in, DirectoryEntered when the picture starts to flow, Sent with
// the final status. Stops early once the upload is abandoned.
void RunCurlTransfer(const CurlRequest& request);

}  // namespace kelpo
