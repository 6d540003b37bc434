#include "upload/upload_routes.h"

#include <mutex>
#include <unordered_map>

namespace kelpo {

namespace {

struct Route {
  HWND window;  // null once the upload was abandoned
  UINT message;
  bool connecting;  // the connect has not reported back yet
};

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
  routes.byUpload.emplace(upload, Route{window, message, true});
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
      ::PostMessageW(route.window, route.message, CompletionWParam(upload, connect),
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
    // Closing a connection inside its own callback is allowed.
    CloseFtpConnectionHandle(
        ReportUploadCompletion(context, static_cast<const INTERNET_ASYNC_RESULT*>(info)->dwResult));
  } catch (...) {
    // Nothing may cross back into WinInet.
  }
}

}  // namespace kelpo
