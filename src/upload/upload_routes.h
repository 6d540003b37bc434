// Where the news of an upload goes. Each upload gets a process-wide identity;
// a registry that lives as long as the process maps it to its uploader's
// window and message. Workers only post news under an identity, so they never
// touch an uploader, and news of an identity that was abandoned, or whose
// uploader is gone, reaches nobody.
#pragma once

#include "common/win32.h"
#include "upload/upload_rules.h"

namespace kelpo {

// A new upload's identity. Never 0.
DWORD_PTR OpenUploadRoute(HWND window, UINT message);

// Nothing more of `upload` reaches its window.
void CloseUploadRoute(DWORD_PTR upload);

// False once the upload was abandoned: its worker need not go on.
bool UploadRouteOpen(DWORD_PTR upload);

// Posts `news` of `upload` with `value` to its window. False when the upload
// was abandoned (or the post failed): its worker stops there.
bool PostUploadNews(DWORD_PTR upload, UploadNews news, LPARAM value);

// How the posted message carries news: the identity and the kind in wParam.
constexpr int kNewsBits = 2;
inline WPARAM NewsWParam(DWORD_PTR upload, UploadNews news) {
  return (static_cast<WPARAM>(upload) << kNewsBits) | static_cast<WPARAM>(news);
}
inline DWORD_PTR NewsUpload(WPARAM wParam) { return static_cast<DWORD_PTR>(wParam >> kNewsBits); }
inline UploadNews NewsKind(WPARAM wParam) {
  return static_cast<UploadNews>(wParam & ((WPARAM{1} << kNewsBits) - 1));
}

}  // namespace kelpo
