// What Kelpo's DirectShow code shares: the headers, the class IDs that MinGW
// declares nowhere, and helpers for media types and interfaces without
// __uuidof.
#pragma once

#include "common/win32.h"

#include <dshow.h>
#include <qedit.h>
#include <wrl/client.h>

// In the strmiids library, but declared by no MinGW header.
EXTERN_C const CLSID CLSID_SampleGrabber;
EXTERN_C const CLSID CLSID_NullRenderer;

namespace kelpo {

// Every DirectShow object Kelpo creates lives in its own process.
constexpr DWORD kDirectShowContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

// Frees what a media type points to (not the type itself).
void FreeMediaType(AM_MEDIA_TYPE& type) noexcept;

// Frees a media type that DirectShow allocated, and what it points to.
void DeleteMediaType(AM_MEDIA_TYPE* type) noexcept;

// An interface of `object` by its IID: for the interfaces MinGW's headers give
// no __uuidof (IMediaEventEx, IVideoWindow, IBasicVideo). Null when it has none.
template <typename Interface>
Microsoft::WRL::ComPtr<Interface> QueryByIid(IUnknown* object, REFIID iid) {
  Microsoft::WRL::ComPtr<Interface> result;
  if (object == nullptr ||
      FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(result.GetAddressOf())))) {
    return nullptr;
  }
  return result;
}

// The graph's event queue and its control; null without a graph.
Microsoft::WRL::ComPtr<IMediaEventEx> MediaEvents(IGraphBuilder* graph);
Microsoft::WRL::ComPtr<IMediaControl> MediaControl(IGraphBuilder* graph);

}  // namespace kelpo
