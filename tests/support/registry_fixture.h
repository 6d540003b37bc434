// A test fixture for tests that touch Kelpo's registry: the product key and the
// Run entry are wiped before and after every test, and raw helpers store or
// inspect values exactly as another program might have written them.
#pragma once

#include "common/win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelpo::test {

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Deletes HKCU\Software\Marrowby\Kelpo with everything below it, and the
// MarrowbyKelpo value of the Run key.
void WipeKelpoRegistry();

// Stores a value in the product key (creating the key) with exactly the given
// type and bytes.
void SetRawValue(const wchar_t* name, DWORD type, const void* data, std::size_t size);
void SetRawDword(const wchar_t* name, std::uint32_t value);
// The characters of text and nothing else: no terminating NUL unless text has one.
void SetRawString(const wchar_t* name, const std::wstring& text);

// A value of the product key as stored, or nothing when it is absent.
std::optional<RawValue> GetRawValue(const wchar_t* name);
std::optional<std::uint32_t> GetRawDword(const wchar_t* name);

// The names of every value in the product key.
std::set<std::wstring> ValueNames();

// The MarrowbyKelpo value of the Run key, or nothing when it is absent.
std::optional<RawValue> GetRunEntry();
// Stores text, with its NUL, as the MarrowbyKelpo value of the Run key.
void SetRunEntry(const std::wstring& text);

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { WipeKelpoRegistry(); }
  void TearDown() override { WipeKelpoRegistry(); }
};

}  // namespace kelpo::test
