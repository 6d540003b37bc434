#include "upload/upload_routes.h"

#include <mutex>
#include <unordered_map>

namespace kelpo {

namespace {

struct Route {
  HWND window;
  UINT message;
};

struct Routes {
  std::mutex mutex;
  std::unordered_map<DWORD_PTR, Route> byUpload;
  DWORD_PTR lastUpload = 0;
};

// Never destroyed: a worker may still report while the process exits, after
// the static objects are gone.
Routes& TheRoutes() {
  static Routes* const routes = new Routes;
  return *routes;
}

}  // namespace

DWORD_PTR OpenUploadRoute(HWND window, UINT message) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const DWORD_PTR upload = ++routes.lastUpload;
  routes.byUpload.emplace(upload, Route{window, message});
  return upload;
}

void CloseUploadRoute(DWORD_PTR upload) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  routes.byUpload.erase(upload);
}

bool UploadRouteOpen(DWORD_PTR upload) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  return routes.byUpload.count(upload) != 0;
}

bool PostUploadNews(DWORD_PTR upload, UploadNews news, LPARAM value) {
  Routes& routes = TheRoutes();
  std::lock_guard<std::mutex> lock(routes.mutex);
  const auto found = routes.byUpload.find(upload);
  if (found == routes.byUpload.end()) return false;
  // Posted under the lock: once CloseUploadRoute returns, nothing more of the
  // upload is posted.
  return ::PostMessageW(found->second.window, found->second.message, NewsWParam(upload, news),
                        value) != FALSE;
}

}  // namespace kelpo
