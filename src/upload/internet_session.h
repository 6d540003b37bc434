// The program's asynchronous WinInet session: every upload's connection is
// made on it and inherits its status callback and time-outs.
#pragma once

#include "common/unique_handle.h"
#include "common/win32.h"

#include <wininet.h>

namespace kelpo {

namespace detail {
inline void CloseInternetHandle(HINTERNET handle) noexcept { (void)::InternetCloseHandle(handle); }
}  // namespace detail

using unique_hinternet = unique_handle<HINTERNET, detail::CloseInternetHandle>;

class InternetSession {
 public:
  static constexpr DWORD kDefaultTimeout = 30000;

  // Opens the session with the upload status callback and `timeout` (ms) for
  // connecting, receiving and sending. Raises kMsgInternetFailed with the
  // platform's error, having closed what it opened.
  explicit InternetSession(DWORD timeout = kDefaultTimeout);
  // Detaches the callback and closes the session.
  ~InternetSession();
  InternetSession(const InternetSession&) = delete;
  InternetSession& operator=(const InternetSession&) = delete;

  HINTERNET get() const { return handle_.get(); }
  // The time-out of each step, in milliseconds.
  DWORD timeout() const { return timeout_; }

 private:
  unique_hinternet handle_;
  DWORD timeout_;
};

}  // namespace kelpo
