#include "settings/registry_store.h"

namespace kelpo {

bool ReadDword(const wchar_t*, std::uint32_t&) { return false; }
bool ReadBool(const wchar_t*, bool&) { return false; }
bool ReadString(const wchar_t*, std::wstring&) { return false; }
bool WriteDword(const wchar_t*, std::uint32_t) { return false; }
bool WriteBool(const wchar_t*, bool) { return false; }
bool WriteString(const wchar_t*, const std::wstring&) { return false; }

}  // namespace kelpo
