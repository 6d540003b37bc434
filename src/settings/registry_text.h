// Reading a string value of an open registry key.
#pragma once

#include "common/win32.h"

#include <cstddef>
#include <string>

namespace kelpo {

// The text of a REG_SZ value, read into room for `capacity` characters. A
// REG_SZ need not end with a NUL (other writers may leave it out): the text
// ends at the first NUL if there is one, otherwise at the end of the data.
// Returns RegQueryValueExW's result, or ERROR_INVALID_DATA for a value of
// another type or without even a NUL; `text` changes only on ERROR_SUCCESS.
LSTATUS ReadRegistryText(HKEY key, const wchar_t* name, std::size_t capacity, std::wstring& text);

}  // namespace kelpo
