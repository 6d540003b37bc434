#include "capture/directshow.h"

namespace kelpo {

void FreeMediaType(AM_MEDIA_TYPE& type) noexcept {
  if (type.cbFormat != 0) ::CoTaskMemFree(type.pbFormat);
  type.cbFormat = 0;
  type.pbFormat = nullptr;
  if (type.pUnk != nullptr) type.pUnk->Release();
  type.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE* type) noexcept {
  if (type == nullptr) return;
  FreeMediaType(*type);
  ::CoTaskMemFree(type);
}

Microsoft::WRL::ComPtr<IMediaEventEx> MediaEvents(IGraphBuilder* graph) {
  return QueryByIid<IMediaEventEx>(graph, IID_IMediaEventEx);
}

Microsoft::WRL::ComPtr<IMediaControl> MediaControl(IGraphBuilder* graph) {
  Microsoft::WRL::ComPtr<IMediaControl> control;
  if (graph == nullptr || FAILED(graph->QueryInterface(IID_PPV_ARGS(&control)))) return nullptr;
  return control;
}

}  // namespace kelpo
