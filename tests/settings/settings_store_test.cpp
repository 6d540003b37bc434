#include "common/win32.h"

#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "settings/settings_schema.h"
#include "settings/settings_store.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <variant>
#include <vector>

namespace kelpo {
namespace {

using test::GetRawDword;
using test::GetRunEntry;
using test::SetRawDword;
using test::SetRawString;
using test::SetRawValue;
using test::SetRunEntry;
using test::ValueNames;

constexpr SettingsGroup kAllGroups[] = {SettingsGroup::kFileTransfer, SettingsGroup::kText,
                                        SettingsGroup::kVideo,        SettingsGroup::kOverlay,
                                        SettingsGroup::kArchive,      SettingsGroup::kDevice};

std::set<std::wstring> NamesOf(const std::vector<SettingsGroup>& groups) {
  std::set<std::wstring> names;
  for (SettingsGroup group : groups) {
    for (const SettingField& field : SettingsSchema()) {
      if (field.group != group) continue;
      if (const auto* colour = std::get_if<ColourSetting>(&field.kind)) {
        names.insert(colour->componentNames.begin(), colour->componentNames.end());
      } else if (const auto* text = std::get_if<StringSetting>(&field.kind);
                 text != nullptr && text->protectedName != nullptr) {
        names.insert(text->protectedName);
      } else {
        names.insert(field.name);
      }
    }
  }
  return names;
}

void ExpectSameSettings(const Settings& expected, const Settings& actual) {
  for (const SettingField& field : SettingsSchema()) {
    std::visit(
        [&](const auto& kind) {
          EXPECT_EQ(expected.*kind.member, actual.*kind.member) << field.name;
        },
        field.kind);
  }
}

// Every field away from its default and inside its load range; smoothtype
// becomes ClearType, so the loading side must have it available.
Settings DistinctSettings() {
  Settings settings;
  std::uint32_t component = 1;
  for (const SettingField& field : SettingsSchema()) {
    if (const auto* text = std::get_if<StringSetting>(&field.kind)) {
      settings.*text->member = std::wstring(field.name) + L" \u00e9\u65e5";
    } else if (const auto* number = std::get_if<DwordSetting>(&field.kind)) {
      std::uint32_t& value = settings.*number->member;
      value = number->loadRange && value >= number->loadRange->hi ? value - 1 : value + 1;
    } else if (const auto* flag = std::get_if<FlagSetting>(&field.kind)) {
      settings.*flag->member = !(settings.*flag->member);
    } else {
      settings.*std::get<ColourSetting>(field.kind).member =
          ComposeColour(component, component + 1, component + 2);
      component += 3;
    }
  }
  return settings;
}

void SaveEveryGroup(const Settings& settings) {
  for (SettingsGroup group : kAllGroups) SaveSettings(settings, group);
}

std::wstring ModulePath() {
  std::vector<wchar_t> path(MAX_PATH * 4);
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return std::wstring(path.data(), length);
}

// The Run entry's data as stored, terminating NUL included.
std::wstring RunEntryText() {
  const auto entry = GetRunEntry();
  if (!entry) return L"<absent>";
  if (entry->type != REG_SZ) return L"<not REG_SZ>";
  std::wstring text(entry->data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), entry->data.data(), text.size() * sizeof(wchar_t));
  return text;
}

using SettingsStore = test::RegistryTest;

TEST_F(SettingsStore, EmptyKeyLeavesEveryDefault) {
  Settings loaded;
  LoadSettings(loaded, false);
  ExpectSameSettings(Settings(), loaded);
  EXPECT_TRUE(ValueNames().empty());
}

TEST_F(SettingsStore, EverySavedValueLoadsBackExactly) {
  const Settings saved = DistinctSettings();
  SaveEveryGroup(saved);
  EXPECT_EQ(ValueNames(), NamesOf({std::begin(kAllGroups), std::end(kAllGroups)}));

  Settings loaded;
  LoadSettings(loaded, true);
  ExpectSameSettings(saved, loaded);
}

TEST_F(SettingsStore, EachGroupWritesExactlyItsValues) {
  const Settings settings;
  for (SettingsGroup group : kAllGroups) {
    test::WipeKelpoRegistry();
    SaveSettings(settings, group);
    EXPECT_EQ(ValueNames(), NamesOf({group})) << static_cast<int>(group);
  }
  test::WipeKelpoRegistry();
  SaveAllSettings(settings);
  EXPECT_EQ(ValueNames(),
            NamesOf({SettingsGroup::kFileTransfer, SettingsGroup::kText, SettingsGroup::kVideo}));
}

TEST_F(SettingsStore, EndingWithoutApplyingTheOverlayKeepsItsStoredValues) {
  const Settings stored = DistinctSettings();
  SaveSettings(stored, SettingsGroup::kOverlay);

  Settings settings;
  LoadSettings(settings, true);
  settings.overlayfilename = L"changed.png";
  settings.overlayopacity = 10;
  settings.ColourKey = 0;
  SaveAllSettings(settings);

  Settings reloaded;
  LoadSettings(reloaded, true);
  EXPECT_EQ(reloaded.overlayfilename, stored.overlayfilename);
  EXPECT_EQ(reloaded.overlayopacity, stored.overlayopacity);
  EXPECT_EQ(reloaded.ColourKey, stored.ColourKey);
}

TEST_F(SettingsStore, StoredValuesOutOfRangeAreClamped) {
  SetRawDword(L"timevalue", 0);
  SetRawDword(L"fontsize", 1000);
  SetRawDword(L"timeunit", 7);
  SetRawDword(L"imagesize", 0xFFFFFFFF);
  SetRawDword(L"deviceType", 2);
  SetRawDword(L"smoothtype", 2);
  SetRawDword(L"JPEGquality", 250);
  SetRawDword(L"CustomSizeX", 0);

  Settings settings;
  LoadSettings(settings, false);
  EXPECT_EQ(settings.timevalue, 1u);
  EXPECT_EQ(settings.fontsize, 999u);
  EXPECT_EQ(settings.timeunit, 2u);
  EXPECT_EQ(settings.imagesize, 3u);
  EXPECT_EQ(settings.deviceType, 1u);
  EXPECT_EQ(settings.smoothtype, 1u);
  EXPECT_EQ(settings.JPEGquality, 100u);
  EXPECT_EQ(settings.CustomSizeX, 1u);

  SetRawDword(L"timevalue", 1000);
  SetRawDword(L"fontsize", 0);
  Settings withClearType;
  LoadSettings(withClearType, true);
  EXPECT_EQ(withClearType.timevalue, 999u);
  EXPECT_EQ(withClearType.fontsize, 1u);
  EXPECT_EQ(withClearType.smoothtype, 2u);
}

TEST_F(SettingsStore, ColourComponentsAreReadSinglyAndClamped) {
  SetRawDword(L"BackgroundR", 300);
  SetRawDword(L"ForegroundG", 0xFFFFFFFF);
  SetRawDword(L"ColourKeyB", 0);

  Settings settings;
  LoadSettings(settings, false);
  EXPECT_EQ(settings.Background, ComposeColour(255, 16, 16));
  EXPECT_EQ(settings.Foreground, ComposeColour(255, 255, 128));
  EXPECT_EQ(settings.ColourKey, ComposeColour(255, 255, 0));

  SaveSettings(settings, SettingsGroup::kText);
  EXPECT_EQ(GetRawDword(L"BackgroundR"), 255u);
  EXPECT_EQ(GetRawDword(L"BackgroundG"), 16u);
  EXPECT_EQ(GetRawDword(L"ForegroundG"), 255u);
  EXPECT_EQ(GetRawDword(L"ForegroundB"), 128u);
}

TEST_F(SettingsStore, StringsWithoutNulOrEmptyLoadAsStored) {
  SetRawString(L"filename", L"snap.jpg");
  SetRawString(L"fontname", std::wstring(1, L'\0'));
  Settings settings;
  LoadSettings(settings, false);
  EXPECT_EQ(settings.filename, L"snap.jpg");
  EXPECT_EQ(settings.fontname, L"");

  SetRawString(L"filename", std::wstring(1, L'\0'));
  Settings again;
  LoadSettings(again, false);
  EXPECT_EQ(again.filename, L"");
}

TEST_F(SettingsStore, BadStoredDataLeavesTheDefaults) {
  SetRawString(L"timevalue", std::wstring(L"5\0", 2));
  const BYTE twoBytes[] = {3, 0};
  SetRawValue(L"fontsize", REG_BINARY, twoBytes, sizeof(twoBytes));
  SetRawValue(L"BackgroundR", REG_BINARY, twoBytes, sizeof(twoBytes));
  SetRawString(L"fontname", std::wstring(9000, L'F') + L'\0');
  SetRawDword(L"filename", 0x00410041);

  Settings settings;
  LoadSettings(settings, false);
  ExpectSameSettings(Settings(), settings);
}

TEST_F(SettingsStore, PasswordIsStoredProtectedAndAPlainOneIsReadThenReplaced) {
  const std::wstring secret = L"s3cret \u00e9t\u00e9";
  SetRawString(L"password", secret + L'\0');
  Settings settings;
  LoadSettings(settings, false);
  EXPECT_EQ(settings.password, secret);

  SaveSettings(settings, SettingsGroup::kFileTransfer);
  ASSERT_EQ(test::GetRawValue(L"passwordprotected").value_or(test::RawValue{}).type,
            static_cast<DWORD>(REG_BINARY));
  EXPECT_FALSE(test::GetRawValue(L"password"));
  // Nowhere in the key in clear, in UTF-16 or in ANSI.
  const std::string ansi = "s3cret";
  for (const std::wstring& name : ValueNames()) {
    const std::vector<BYTE> data = test::GetRawValue(name.c_str())->data;
    const auto* wide = reinterpret_cast<const BYTE*>(secret.data());
    EXPECT_EQ(std::search(data.begin(), data.end(), wide, wide + secret.size() * 2), data.end())
        << name;
    EXPECT_EQ(std::search(data.begin(), data.end(), ansi.begin(), ansi.end()), data.end()) << name;
  }

  Settings reloaded;
  LoadSettings(reloaded, false);
  EXPECT_EQ(reloaded.password, secret);
  // A plain value written later (a .reg file) is the one that counts.
  SetRawString(L"password", std::wstring(L"newer") + L'\0');
  LoadSettings(reloaded, false);
  EXPECT_EQ(reloaded.password, L"newer");
}

TEST_F(SettingsStore, RunEntryHoldsTheQuotedProgramPathWhileRunAtStartupIsOn) {
  const std::wstring path = ModulePath();
  ASSERT_FALSE(path.empty());
  const std::wstring quoted = L'"' + path + L'"' + L'\0';
  Settings settings;
  settings.runatstartup = true;
  SaveSettings(settings, SettingsGroup::kFileTransfer);
  EXPECT_EQ(RunEntryText(), quoted);
  SaveSettings(settings, SettingsGroup::kFileTransfer);
  EXPECT_EQ(RunEntryText(), quoted);

  // The bare path that earlier versions wrote is ours: quoted when on...
  SetRunEntry(path);
  SaveSettings(settings, SettingsGroup::kFileTransfer);
  EXPECT_EQ(RunEntryText(), quoted);

  // ...and removed when off.
  SetRunEntry(path);
  settings.runatstartup = false;
  SaveSettings(settings, SettingsGroup::kFileTransfer);
  EXPECT_FALSE(GetRunEntry());
  EXPECT_EQ(GetRawDword(L"runatstartup"), 0u);

  settings.disableTimer = true;
  SaveSettings(settings, SettingsGroup::kFileTransfer);
  EXPECT_FALSE(GetRunEntry());
  EXPECT_EQ(GetRawDword(L"disableTimer"), 1u);
}

}  // namespace
}  // namespace kelpo
