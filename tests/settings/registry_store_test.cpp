#include "common/win32.h"

#include "settings/registry_store.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kelpo {
namespace {

using test::GetRawDword;
using test::GetRawValue;
using test::SetRawDword;
using test::SetRawString;
using test::SetRawValue;

using RegistryStore = test::RegistryTest;

std::wstring StoredText(const wchar_t* name) {
  const auto value = GetRawValue(name);
  if (!value) return L"<absent>";
  std::wstring text(value->data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), value->data.data(), text.size() * sizeof(wchar_t));
  return text;
}

TEST_F(RegistryStore, EveryValueKindRoundTrips) {
  for (std::uint32_t value : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    ASSERT_TRUE(WriteDword(L"number", value));
    EXPECT_EQ(GetRawDword(L"number"), value);
    std::uint32_t read = 77;
    ASSERT_TRUE(ReadDword(L"number", read));
    EXPECT_EQ(read, value);
  }

  for (bool flag : {true, false}) {
    ASSERT_TRUE(WriteBool(L"flag", flag));
    EXPECT_EQ(GetRawDword(L"flag"), flag ? 1u : 0u);
    bool read = !flag;
    ASSERT_TRUE(ReadBool(L"flag", read));
    EXPECT_EQ(read, flag);
  }

  const std::wstring texts[] = {L"", L"webcam.jpg",
                                L"C:\\Pictures\\h\u00e9t\u00e9 \u65e5\u672c.jpg",
                                std::wstring(8192, L'x')};
  for (const std::wstring& text : texts) {
    ASSERT_TRUE(WriteString(L"text", text));
    const auto raw = GetRawValue(L"text");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw->data.size(), (text.size() + 1) * sizeof(wchar_t));
    std::wstring read = L"default";
    ASSERT_TRUE(ReadString(L"text", read));
    EXPECT_EQ(read, text);
  }
}

TEST_F(RegistryStore, FlagsReadAnyNonZeroAsTrue) {
  SetRawDword(L"flag", 7);
  bool flag = false;
  ASSERT_TRUE(ReadBool(L"flag", flag));
  EXPECT_TRUE(flag);
}

TEST_F(RegistryStore, WritesStopAtTheFirstNul) {
  ASSERT_TRUE(WriteString(L"text", std::wstring(L"ab\0cd", 5)));
  EXPECT_EQ(StoredText(L"text"), std::wstring(L"ab\0", 3));
}

TEST_F(RegistryStore, MissingKeyOrValueLeavesTheFieldAndCountsFirstRun) {
  std::uint32_t number = 5;
  bool flag = true;
  std::wstring text = L"default";
  EXPECT_FALSE(ReadDword(L"number", number));
  EXPECT_FALSE(ReadBool(L"flag", flag));
  EXPECT_FALSE(ReadString(L"text", text));
  std::uint32_t firstRun = 1;
  EXPECT_FALSE(ReadDword(kFirstRunValue, firstRun));
  EXPECT_EQ(firstRun, 1u);

  ASSERT_TRUE(WriteDword(L"other", 3));
  EXPECT_FALSE(ReadDword(L"number", number));
  EXPECT_FALSE(ReadBool(L"flag", flag));
  EXPECT_FALSE(ReadString(L"text", text));
  EXPECT_EQ(number, 5u);
  EXPECT_TRUE(flag);
  EXPECT_EQ(text, L"default");
}

TEST_F(RegistryStore, StringsWithAndWithoutTerminatingNul) {
  std::wstring text;
  SetRawString(L"text", L"abc");
  ASSERT_TRUE(ReadString(L"text", text));
  EXPECT_EQ(text, L"abc");

  SetRawString(L"text", std::wstring(L"abc\0", 4));
  ASSERT_TRUE(ReadString(L"text", text));
  EXPECT_EQ(text, L"abc");

  // Padding after the text ends it at the first NUL.
  SetRawString(L"text", std::wstring(L"ab\0cd\0", 6));
  ASSERT_TRUE(ReadString(L"text", text));
  EXPECT_EQ(text, L"ab");

  // An empty REG_SZ replaces a non-empty value.
  text = L"webcam.jpg";
  SetRawString(L"text", std::wstring(1, L'\0'));
  ASSERT_TRUE(ReadString(L"text", text));
  EXPECT_EQ(text, L"");

  // The longest text that fits, with and without its NUL.
  SetRawString(L"text", std::wstring(8192, L'y'));
  ASSERT_TRUE(ReadString(L"text", text));
  EXPECT_EQ(text, std::wstring(8192, L'y'));
}

TEST_F(RegistryStore, UnreadableStringsLeaveTheField) {
  std::wstring text = L"default";
  const auto expectUnchanged = [&](const char* what) {
    EXPECT_FALSE(ReadString(L"text", text)) << what;
    EXPECT_EQ(text, L"default") << what;
  };

  SetRawValue(L"text", REG_SZ, nullptr, 0);
  expectUnchanged("no bytes");
  SetRawValue(L"text", REG_SZ, "a", 1);
  expectUnchanged("one byte");
  SetRawString(L"text", std::wstring(9000, L'z') + L'\0');
  expectUnchanged("9000 characters");
  SetRawString(L"text", std::wstring(8193, L'z'));
  expectUnchanged("8193 characters filling the buffer without a NUL");
  SetRawDword(L"text", 0x00410041);
  expectUnchanged("a DWORD");
  SetRawValue(L"text", REG_BINARY, L"ab", 6);
  expectUnchanged("binary data");
}

TEST_F(RegistryStore, BadDwordDataLeavesTheField) {
  std::uint32_t number = 42;
  bool flag = true;
  const auto expectUnchanged = [&](const char* what) {
    EXPECT_FALSE(ReadDword(L"number", number)) << what;
    EXPECT_EQ(number, 42u) << what;
    EXPECT_FALSE(ReadBool(L"number", flag)) << what;
    EXPECT_TRUE(flag) << what;
  };

  // "5" with its NUL is exactly four bytes.
  SetRawString(L"number", std::wstring(L"5\0", 2));
  expectUnchanged("a four-byte REG_SZ");
  SetRawString(L"number", L"0\0\0");
  expectUnchanged("a longer REG_SZ");
  const BYTE twoBytes[] = {0, 0};
  SetRawValue(L"number", REG_BINARY, twoBytes, sizeof(twoBytes));
  expectUnchanged("a two-byte REG_BINARY");
  const BYTE fourBytes[] = {0, 0, 0, 0};
  SetRawValue(L"number", REG_BINARY, fourBytes, sizeof(fourBytes));
  expectUnchanged("a four-byte REG_BINARY");
  const std::uint64_t wide = 0;
  SetRawValue(L"number", REG_QWORD, &wide, sizeof(wide));
  expectUnchanged("a REG_QWORD");
  SetRawValue(L"number", REG_DWORD, twoBytes, sizeof(twoBytes));
  expectUnchanged("a two-byte REG_DWORD");
  SetRawString(L"number", std::wstring(9000, L'9'));
  expectUnchanged("a 9000-character string");
}

}  // namespace
}  // namespace kelpo
