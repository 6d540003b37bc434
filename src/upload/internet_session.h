// The program's WinInet session, opened at start so that a system without
// WinInet is told at once; it keeps the time-out of each upload step. Each
// upload's worker opens a session of its own with that time-out.
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

  // Opens the session with `timeout` (ms) for connecting, receiving and
  // sending. Raises kMsgInternetFailed with the platform's error.
  explicit InternetSession(DWORD timeout = kDefaultTimeout);
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
