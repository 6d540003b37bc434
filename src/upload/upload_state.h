// The running upload's own state, kept apart from the status line: WinInet
// completions are matched against it, never against the last status shown.
#pragma once

#include "upload/upload_rules.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

namespace kelpo {

class Application;

// The context WinInet hands back with each completion. The slots live for the
// whole process, so a completion that arrives late, even after its
// Application is gone, still reads valid memory; each new upload takes the
// next slot, so a completion carrying another slot belongs to an abandoned
// upload.
struct UploadContext {
  std::atomic<Application*> application{nullptr};
  bool connectPending = false;  // its InternetConnectW has not reported back yet
};

struct UploadState {
  UploadState() = default;
  UploadState(const UploadState&) = delete;
  UploadState& operator=(const UploadState&) = delete;
  // Detaches the slots from the Application, waiting for a callback that is
  // still using it.
  ~UploadState();

  std::mutex mutex;
  UploadStep step = UploadStep::Idle;
  UploadContext* context = nullptr;
  // Copies taken when the upload starts: the UI thread may replace the
  // settings and the temporary file while the upload runs.
  std::wstring directory;
  std::wstring filename;
  std::wstring localFile;
};

}  // namespace kelpo
