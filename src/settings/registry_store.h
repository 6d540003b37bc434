// Reading and writing single values of Kelpo's key under HKEY_CURRENT_USER.
// Each call opens the key afresh and closes it again; each returns true on
// success, and a failed read leaves the field as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelpo {

constexpr wchar_t kProductKey[] = L"Software\\Marrowby\\Kelpo";
constexpr wchar_t kFirstRunValue[] = L"FirstRun";

bool ReadDword(const wchar_t* name, std::uint32_t& field);
bool ReadBool(const wchar_t* name, bool& flag);
bool ReadString(const wchar_t* name, std::wstring& text);
bool WriteDword(const wchar_t* name, std::uint32_t value);
bool WriteBool(const wchar_t* name, bool flag);
bool WriteString(const wchar_t* name, const std::wstring& text);
// REG_BINARY, at most 64 KB.
bool ReadBinary(const wchar_t* name, std::vector<std::uint8_t>& bytes);
bool WriteBinary(const wchar_t* name, const std::vector<std::uint8_t>& bytes);
// True also when there was no such value.
bool DeleteValue(const wchar_t* name);

}  // namespace kelpo
