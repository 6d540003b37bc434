// What the picture cycle tells the window that shows it: the status line, the
// upload's button and time limit, and the end of a one-shot run.
#pragma once

#include "common/win32.h"

#include <string>
#include <vector>

namespace kelpo {

class PictureStatus {
 public:
  // A catalogue text, with `values` in place of its "%1", "%2".
  virtual void SetStatus(int id) = 0;
  virtual void SetStatus(int id, const std::vector<std::wstring>& values) = 0;
  virtual int LastStatus() const = 0;
  virtual void SetUploadRunning(bool running) = 0;
  virtual void StartUploadTimer(UINT period) = 0;
  virtual void StopUploadTimer() = 0;
  // Ends the program once the current message is handled.
  virtual void Quit() = 0;

 protected:
  ~PictureStatus() = default;
};

}  // namespace kelpo
