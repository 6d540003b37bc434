#include "upload/internet_session.h"

#include "common/message_catalogue.h"

#include <initializer_list>
#include <utility>

namespace kelpo {

namespace {

[[noreturn]] void RaiseInternetFailed() {
  Raise(kMsgInternetFailed, static_cast<long>(::GetLastError()));
}

}  // namespace

InternetSession::InternetSession(DWORD timeout) : timeout_(timeout) {
  unique_hinternet handle(
      ::InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!handle) RaiseInternetFailed();
  for (DWORD option : {static_cast<DWORD>(INTERNET_OPTION_CONNECT_TIMEOUT),
                       static_cast<DWORD>(INTERNET_OPTION_RECEIVE_TIMEOUT),
                       static_cast<DWORD>(INTERNET_OPTION_SEND_TIMEOUT)}) {
    DWORD value = timeout;
    if (!::InternetSetOptionW(handle.get(), option, &value, sizeof(value))) RaiseInternetFailed();
  }
  handle_ = std::move(handle);
}

}  // namespace kelpo
