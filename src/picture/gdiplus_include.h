// GDI+'s headers use unqualified min and max, which NOMINMAX takes away.
#pragma once

#include "common/win32.h"

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <objidl.h>
#include <gdiplus.h>
