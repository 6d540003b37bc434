// Text kept in the registry protected for the current Windows user (DPAPI):
// only this user, on this machine, can read it back.
#pragma once

#include <string>

namespace kelpo {

// Reads the binary value `name` and unprotects it. False when the value is
// missing or cannot be unprotected (another user's, another machine's); the
// text keeps its value then.
bool ReadProtectedText(const wchar_t* name, std::wstring& text);

// Protects `text` and stores it as the binary value `name`. False, with
// nothing written, when it cannot be protected.
bool WriteProtectedText(const wchar_t* name, const std::wstring& text);

}  // namespace kelpo
