#include "picture/gdiplus_session.h"

#include "common/message_catalogue.h"

namespace kelpo {

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput startup;
  const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token_, &startup, nullptr);
  if (status != Gdiplus::Ok) Raise(kMsgGdiplusFailed, status);
}

GdiplusSession::~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }

}  // namespace kelpo
