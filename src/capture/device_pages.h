// The drivers' own property pages in the standard OLE property frame, and the
// warning shown when a device has none.
#pragma once

#include "capture/directshow.h"
#include "common/message_catalogue.h"

namespace kelpo {

// Shows the object's pages (ISpecifyPropertyPages) in a modal frame owned by
// `owner`; false, showing nothing, when it offers none.
bool ShowPropertyFrame(HWND owner, const wchar_t* caption, IUnknown* object);

// A catalogue text in a warning box captioned with the product's name.
void ShowDeviceWarning(HWND owner, MessageId id);

}  // namespace kelpo
