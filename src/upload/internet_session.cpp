#include "upload/internet_session.h"

#include "app/message_catalogue.h"
#include "upload/upload_routes.h"

#include <initializer_list>
#include <utility>

namespace kelpo {

namespace {

[[noreturn]] void RaiseInternetFailed() {
  Raise(kMsgInternetFailed, static_cast<long>(::GetLastError()));
}

}  // namespace

InternetSession::InternetSession(DWORD timeout) : timeout_(timeout) {
  unique_hinternet handle(::InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                          INTERNET_FLAG_ASYNC));
  if (!handle) RaiseInternetFailed();
  // From here a failure closes the handle as the error leaves; opened without
  // a context, it reports nothing while it closes.
  if (::InternetSetStatusCallbackW(handle.get(), &OnUploadInternetStatus) ==
      INTERNET_INVALID_STATUS_CALLBACK) {
    RaiseInternetFailed();
  }
  for (DWORD option : {static_cast<DWORD>(INTERNET_OPTION_CONNECT_TIMEOUT),
                       static_cast<DWORD>(INTERNET_OPTION_RECEIVE_TIMEOUT),
                       static_cast<DWORD>(INTERNET_OPTION_SEND_TIMEOUT)}) {
    DWORD value = timeout;
    if (!::InternetSetOptionW(handle.get(), option, &value, sizeof(value))) RaiseInternetFailed();
  }
  handle_ = std::move(handle);
}

InternetSession::~InternetSession() {
  (void)::InternetSetStatusCallbackW(handle_.get(), nullptr);
  handle_.reset();
}

}  // namespace kelpo
