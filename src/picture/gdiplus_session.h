// GDI+ for as long as the object lives: every GDI+ object must be gone before
// it ends.
#pragma once

#include "picture/gdiplus_include.h"

namespace kelpo {

class GdiplusSession {
 public:
  // Raises kMsgGdiplusFailed when GDI+ does not start.
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

}  // namespace kelpo
