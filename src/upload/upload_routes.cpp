#include "upload/upload_routes.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace kelpo {

namespace {

struct Route {
  HWND window;  // null once the upload was abandoned
  UINT message;
  bool connecting;  // the connect has not reported back yet
  bool utf8;        // names in UTF-8
};

// Asks the server to take names in UTF-8. Servers that announce UTF8 take them
// anyway (RFC 2640); some want to be told. The answer does not matter. With no
// context WinInet makes no callback and completes the command before it returns.
void SwitchUtf8On(HINTERNET connection) {
  (void)::FtpCommandW(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, L"OPTS UTF8 ON",
                      INTERNET_NO_CALLBACK, nullptr);
}

struct ConnectResult {
  DWORD_PTR upload;
  HINTERNET connection;
};

DWORD WINAPI FinishConnectWorker(LPVOID parameter) {
  const std::unique_ptr<ConnectResult> result(static_cast<ConnectResult*>(parameter));
  try {
    FinishConnect(result->upload, result->connection);
  } catch (...) {
    // Nothing may leave a pool thread.
  }
  return 0;
}

struct Routes {
  std::mutex mutex;
  std::unordered_map<DWORD_PTR, Route> byUpload;
  DWORD_PTR lastUpload = 0;
};

// Never destroyed: a worker or a WinInet thread may still report while the
// process exits, after the static objects are gone.
Routes& TheRoutes() {
  static Routes* const routes = new Routes;
  return *routes;
}

}  // namespace

DWORD_PTR OpenUploadRoute(HWND window, UINT message) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const DWORD_PTR upload = ++routes.lastUpload;
  routes.byUpload.emplace(upload, Route{window, message, true, false});
  return upload;
}

void CloseUploadRoute(DWORD_PTR upload) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const auto found = routes.byUpload.find(upload);
  if (found == routes.byUpload.end()) return;
  if (found->second.connecting) {
    found->second.window = nullptr;
  } else {
    routes.byUpload.erase(found);
  }
}

bool UploadRouteOpen(DWORD_PTR upload) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const auto found = routes.byUpload.find(upload);
  return found != routes.byUpload.end() && found->second.window != nullptr;
}

void SetUploadUtf8(DWORD_PTR upload, bool utf8) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const auto found = routes.byUpload.find(upload);
  if (found != routes.byUpload.end()) found->second.utf8 = utf8;
}

namespace {

bool ConnectWantsUtf8(DWORD_PTR upload) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const auto found = routes.byUpload.find(upload);
  return found != routes.byUpload.end() && found->second.connecting && found->second.utf8 &&
         found->second.window != nullptr;
}

}  // namespace

void FinishConnect(DWORD_PTR upload, HINTERNET connection) {
  if (connection != nullptr && ConnectWantsUtf8(upload)) SwitchUtf8On(connection);
  CloseFtpConnectionHandle(ReportUploadCompletion(upload, reinterpret_cast<DWORD_PTR>(connection)));
}

HINTERNET ReportUploadCompletion(DWORD_PTR upload, DWORD_PTR result) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const auto found = routes.byUpload.find(upload);
  // Unknown: the upload is over and its connection, if any, is in other hands.
  if (found == routes.byUpload.end()) return nullptr;
  Route& route = found->second;
  const bool connect = route.connecting;
  route.connecting = false;
  // Posted under the lock: once CloseUploadRoute returns, nothing more of the
  // upload is posted.
  if (route.window != nullptr &&
      ::PostMessageW(route.window, route.message, CompletionWParam(upload, connect, route.utf8),
                     static_cast<LPARAM>(result))) {
    return nullptr;
  }
  if (!connect) return nullptr;
  // Abandoned while connecting: this was the last news of it.
  if (route.window == nullptr) routes.byUpload.erase(found);
  return reinterpret_cast<HINTERNET>(result);
}

void CloseFtpConnectionHandle(HINTERNET connection) noexcept {
  if (connection == nullptr) return;
  (void)::InternetSetStatusCallbackW(connection, nullptr);
  (void)::InternetCloseHandle(connection);
}

void CALLBACK OnUploadInternetStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                     DWORD infoLength) {
  if (status != INTERNET_STATUS_REQUEST_COMPLETE || context == 0 || info == nullptr ||
      infoLength < sizeof(INTERNET_ASYNC_RESULT)) {
    return;
  }
  try {
    const DWORD_PTR result = static_cast<const INTERNET_ASYNC_RESULT*>(info)->dwResult;
    // A connect that completed here and must switch the server to UTF-8 first
    // goes on on a worker: the command waits for the server.
    if (result != 0 && ConnectWantsUtf8(context)) {
      auto finish = std::make_unique<ConnectResult>(
          ConnectResult{context, reinterpret_cast<HINTERNET>(result)});
      if (::QueueUserWorkItem(&FinishConnectWorker, finish.get(), WT_EXECUTELONGFUNCTION)) {
        (void)finish.release();
        return;
      }
    }
    // Closing a connection inside its own callback is allowed.
    CloseFtpConnectionHandle(ReportUploadCompletion(context, result));
  } catch (...) {
    // Nothing may cross back into WinInet.
  }
}

}  // namespace kelpo
