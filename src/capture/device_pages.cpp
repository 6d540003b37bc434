#include "capture/device_pages.h"

#include "common/unique_handle.h"

#include <ocidl.h>
#include <olectl.h>

namespace kelpo {

bool ShowPropertyFrame(HWND owner, const wchar_t* caption, IUnknown* object) {
  Microsoft::WRL::ComPtr<ISpecifyPropertyPages> specify;
  if (object == nullptr || FAILED(object->QueryInterface(IID_PPV_ARGS(&specify)))) return false;
  CAUUID pages{};
  if (FAILED(specify->GetPages(&pages))) return false;
  const auto free = scope_exit([&pages] { ::CoTaskMemFree(pages.pElems); });
  // A driver that names no page has none to show.
  if (pages.cElems == 0 || pages.pElems == nullptr) return false;
  IUnknown* objects[] = {object};
  (void)::OleCreatePropertyFrame(owner, 0, 0, caption, 1, objects, pages.cElems, pages.pElems, 0, 0,
                                 nullptr);
  return true;
}

}  // namespace kelpo
