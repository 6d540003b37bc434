#include "support/registry_fixture.h"

#include "common/unique_handle.h"
#include "settings/registry_store.h"
#include "settings/run_at_logon.h"

#include <cstring>

namespace kelpo::test {

namespace {

constexpr DWORD kValueNameCapacity = 16384;

std::optional<RawValue> QueryValue(HKEY root, const wchar_t* subKey, const wchar_t* name) {
  unique_hkey key;
  if (::RegOpenKeyExW(root, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    key.release();
    return std::nullopt;
  }
  RawValue value;
  DWORD size = 0;
  if (::RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  if (::RegQueryValueExW(key.get(), name, nullptr, &value.type, value.data.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  return value;
}

}  // namespace

void WipeKelpoRegistry() {
  const LSTATUS result = ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
  ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
  unique_hkey run;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, run.put()) == ERROR_SUCCESS) {
    (void)::RegDeleteValueW(run.get(), kRunValue);
  } else {
    run.release();
  }
  ASSERT_FALSE(GetRunEntry().has_value());
}

void SetRawValue(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
  unique_hkey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data),
                             static_cast<DWORD>(size)),
            ERROR_SUCCESS);
}

void SetRawDword(const wchar_t* name, std::uint32_t value) {
  const DWORD data = value;
  SetRawValue(name, REG_DWORD, &data, sizeof(data));
}

void SetRawString(const wchar_t* name, const std::wstring& text) {
  // RegSetValueExW adds a NUL that the count left out when one follows the
  // data in memory, so the data is followed by something else.
  std::wstring buffer = text + L'~';
  SetRawValue(name, REG_SZ, buffer.data(), text.size() * sizeof(wchar_t));
  const auto stored = GetRawValue(name);
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->data.size(), text.size() * sizeof(wchar_t));
}

std::optional<RawValue> GetRawValue(const wchar_t* name) {
  return QueryValue(HKEY_CURRENT_USER, kProductKey, name);
}

std::optional<std::uint32_t> GetRawDword(const wchar_t* name) {
  const auto value = GetRawValue(name);
  if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) {
    return std::nullopt;
  }
  DWORD data = 0;
  std::memcpy(&data, value->data.data(), sizeof(data));
  return data;
}

std::set<std::wstring> ValueNames() {
  std::set<std::wstring> names;
  unique_hkey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    key.release();
    return names;
  }
  std::vector<wchar_t> name(kValueNameCapacity);
  for (DWORD index = 0;; ++index) {
    DWORD length = kValueNameCapacity;
    if (::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
      break;
    }
    names.emplace(name.data(), length);
  }
  return names;
}

std::optional<RawValue> GetRunEntry() { return QueryValue(HKEY_CURRENT_USER, kRunKey, kRunValue); }

void SetRunEntry(const std::wstring& text) {
  unique_hkey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(
      ::RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
      ERROR_SUCCESS);
}

}  // namespace kelpo::test
