// PLACEHOLDER until the upload branch lands.
#pragma once

#include "common/win32.h"

namespace kelpo {

class InternetSession {
 public:
  explicit InternetSession(unsigned long timeoutMs = 30000);
  ~InternetSession();
  InternetSession(const InternetSession&) = delete;
  InternetSession& operator=(const InternetSession&) = delete;
};

}  // namespace kelpo
