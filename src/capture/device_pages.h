// The drivers' own property pages in the standard OLE property frame.
#pragma once

#include "capture/directshow.h"

namespace kelpo {

// Shows the object's pages (ISpecifyPropertyPages) in a modal frame owned by
// `owner`; false, showing nothing, when it offers none.
bool ShowPropertyFrame(HWND owner, const wchar_t* caption, IUnknown* object);

}  // namespace kelpo
