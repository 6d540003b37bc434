// The test camera's property page (kPageClsid): a button that switches the
// capture pin of the objects it was given between 640 x 480 and 320 x 240.
// The objects that offer it name it through ISpecifyPropertyPages.
#pragma once

#include "common/win32.h"

#include <ocidl.h>

namespace kelpo::test_camera {

// Fills an ISpecifyPropertyPages::GetPages answer with the test page.
HRESULT TestPages(CAUUID* pages) noexcept;

// A new page, with the interface asked for.
HRESULT CreatePropertyPage(REFIID iid, void** out) noexcept;

}  // namespace kelpo::test_camera
