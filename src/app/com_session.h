// The UI thread's COM apartment for as long as the object lives.
#pragma once

#include "common/message_catalogue.h"
#include "common/win32.h"

#include <objbase.h>

namespace kelpo {

class ComSession {
 public:
  // Raises kMsgComFailed when COM does not start.
  ComSession() {
    const HRESULT result = ::CoInitialize(nullptr);
    if (FAILED(result)) Raise(kMsgComFailed, result);
  }
  ~ComSession() { ::CoUninitialize(); }
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
};

}  // namespace kelpo
