#include "common/win32.h"

#include "app/application.h"
#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <variant>
#include <vector>

namespace kelpo {
namespace {

using test::GetRawDword;
using test::GetRawValue;
using test::GetRunEntry;
using test::SetRawDword;
using test::SetRawString;
using test::SetRawValue;
using test::ValueNames;

enum class Group { kFileTransfer, kText, kVideo, kOverlay, kDevice };

struct Field {
  const wchar_t* name;
  Group group;
  std::variant<std::wstring Settings::*, std::uint32_t Settings::*, bool Settings::*> member;
};

struct Colour {
  const wchar_t* names[3];
  Group group;
  std::uint32_t Settings::*member;
};

const Field kFields[] = {
    {L"server", Group::kFileTransfer, &Settings::server},
    {L"user", Group::kFileTransfer, &Settings::user},
    {L"password", Group::kFileTransfer, &Settings::password},
    {L"directory", Group::kFileTransfer, &Settings::directory},
    {L"filename", Group::kFileTransfer, &Settings::filename},
    {L"timevalue", Group::kFileTransfer, &Settings::timevalue},
    {L"timeunit", Group::kFileTransfer, &Settings::timeunit},
    {L"dialup", Group::kFileTransfer, &Settings::dialup},
    {L"passiveftp", Group::kFileTransfer, &Settings::passiveftp},
    {L"runatstartup", Group::kFileTransfer, &Settings::runatstartup},
    {L"disableFTP", Group::kFileTransfer, &Settings::disableFTP},
    {L"disableTimer", Group::kFileTransfer, &Settings::disableTimer},
    {L"savetofile", Group::kFileTransfer, &Settings::savetofile},
    {L"localfilename", Group::kFileTransfer, &Settings::localfilename},
    {L"wisdom", Group::kText, &Settings::wisdom},
    {L"timestamp", Group::kText, &Settings::timestamp},
    {L"datestamp", Group::kText, &Settings::datestamp},
    {L"fontsize", Group::kText, &Settings::fontsize},
    {L"fontname", Group::kText, &Settings::fontname},
    {L"fontbold", Group::kText, &Settings::fontbold},
    {L"fontitalic", Group::kText, &Settings::fontitalic},
    {L"fontunderline", Group::kText, &Settings::fontunderline},
    {L"fontstrikeout", Group::kText, &Settings::fontstrikeout},
    {L"smoothtype", Group::kText, &Settings::smoothtype},
    {L"textposition", Group::kText, &Settings::textposition},
    {L"dropshadow", Group::kText, &Settings::dropshadow},
    {L"textbackground", Group::kText, &Settings::textbackground},
    {L"imagesize", Group::kVideo, &Settings::imagesize},
    {L"UseCustomImageSize", Group::kVideo, &Settings::UseCustomImageSize},
    {L"CustomSizeX", Group::kVideo, &Settings::CustomSizeX},
    {L"CustomSizeY", Group::kVideo, &Settings::CustomSizeY},
    {L"crossbarinput", Group::kVideo, &Settings::crossbarinput},
    {L"capturewidth", Group::kVideo, &Settings::capturewidth},
    {L"captureheight", Group::kVideo, &Settings::captureheight},
    {L"fliphorizontal", Group::kVideo, &Settings::fliphorizontal},
    {L"flipvertical", Group::kVideo, &Settings::flipvertical},
    {L"JPEGquality", Group::kVideo, &Settings::JPEGquality},
    {L"CropEnable", Group::kVideo, &Settings::CropEnable},
    {L"CropX", Group::kVideo, &Settings::CropX},
    {L"CropY", Group::kVideo, &Settings::CropY},
    {L"CropWidth", Group::kVideo, &Settings::CropWidth},
    {L"CropHeight", Group::kVideo, &Settings::CropHeight},
    {L"overlayfilename", Group::kOverlay, &Settings::overlayfilename},
    {L"overlayscale", Group::kOverlay, &Settings::overlayscale},
    {L"overlayscalepercent", Group::kOverlay, &Settings::overlayscalepercent},
    {L"overlayposition", Group::kOverlay, &Settings::overlayposition},
    {L"overlayopacity", Group::kOverlay, &Settings::overlayopacity},
    {L"overlaycolourkey", Group::kOverlay, &Settings::overlaycolourkey},
    {L"devicePath", Group::kDevice, &Settings::devicePath},
    {L"deviceType", Group::kDevice, &Settings::deviceType},
};

const Colour kColours[] = {
    {{L"BackgroundR", L"BackgroundG", L"BackgroundB"}, Group::kText, &Settings::Background},
    {{L"ForegroundR", L"ForegroundG", L"ForegroundB"}, Group::kText, &Settings::Foreground},
    {{L"ColourKeyR", L"ColourKeyG", L"ColourKeyB"}, Group::kOverlay, &Settings::ColourKey},
};

std::set<std::wstring> NamesOf(std::initializer_list<Group> groups) {
  std::set<std::wstring> names;
  for (Group group : groups) {
    for (const Field& field : kFields) {
      if (field.group == group) names.insert(field.name);
    }
    for (const Colour& colour : kColours) {
      if (colour.group == group) names.insert(std::begin(colour.names), std::end(colour.names));
    }
  }
  return names;
}

void ExpectSameSettings(const Settings& expected, const Settings& actual) {
  for (const Field& field : kFields) {
    std::visit([&](auto member) { EXPECT_EQ(expected.*member, actual.*member) << field.name; },
               field.member);
  }
  for (const Colour& colour : kColours) {
    EXPECT_EQ(expected.*colour.member, actual.*colour.member) << colour.names[0];
  }
}

// Every field away from its default and inside its load range; smoothtype
// becomes ClearType, so the loading side must have it available.
void MakeDistinct(Settings& settings) {
  for (const Field& field : kFields) {
    if (auto text = std::get_if<std::wstring Settings::*>(&field.member)) {
      settings.*(*text) = std::wstring(field.name) + L" \u00e9\u65e5";
    } else if (auto number = std::get_if<std::uint32_t Settings::*>(&field.member)) {
      settings.*(*number) += 1;
    } else {
      auto flag = std::get<bool Settings::*>(field.member);
      settings.*flag = !(settings.*flag);
    }
  }
  settings.Background = ComposeColour(1, 2, 3);
  settings.Foreground = ComposeColour(4, 5, 6);
  settings.ColourKey = ComposeColour(7, 8, 9);
}

void SaveEverything(Application& application) {
  application.SaveAllSettings();
  application.SaveOverlaySettings();
  (void)WriteString(L"devicePath", application.settings.devicePath);
  (void)WriteDword(L"deviceType", application.settings.deviceType);
}

std::wstring ModulePath() {
  std::vector<wchar_t> path(MAX_PATH * 4);
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return std::wstring(path.data(), length);
}

using SettingsStore = test::RegistryTest;

TEST_F(SettingsStore, EmptyKeyLeavesEveryDefault) {
  Application application;
  Settings expected;
  expected.dialup = application.settings.dialup;
  application.LoadSettings();
  ExpectSameSettings(expected, application.settings);
  EXPECT_TRUE(ValueNames().empty());
}

TEST_F(SettingsStore, EverySavedValueLoadsBackExactly) {
  Settings saved;
  {
    Application writer;
    MakeDistinct(writer.settings);
    saved = writer.settings;
    SaveEverything(writer);
  }
  EXPECT_EQ(ValueNames(), NamesOf({Group::kFileTransfer, Group::kText, Group::kVideo,
                                   Group::kOverlay, Group::kDevice}));

  Application reader;
  reader.clearTypeAvailable = true;
  reader.LoadSettings();
  ExpectSameSettings(saved, reader.settings);
}

TEST_F(SettingsStore, EachGroupWritesExactlyItsValues) {
  Application application;
  const std::pair<void (Application::*)(), std::set<std::wstring>> saves[] = {
      {&Application::SaveFileTransferSettings, NamesOf({Group::kFileTransfer})},
      {&Application::SaveTextSettings, NamesOf({Group::kText})},
      {&Application::SaveVideoSettings, NamesOf({Group::kVideo})},
      {&Application::SaveOverlaySettings, NamesOf({Group::kOverlay})},
      {&Application::SaveAllSettings, NamesOf({Group::kFileTransfer, Group::kText, Group::kVideo})},
  };
  for (const auto& [save, names] : saves) {
    test::WipeKelpoRegistry();
    (application.*save)();
    EXPECT_EQ(ValueNames(), names);
  }
}

TEST_F(SettingsStore, EndingWithoutApplyingTheOverlayKeepsItsStoredValues) {
  Settings stored;
  {
    Application writer;
    MakeDistinct(writer.settings);
    stored = writer.settings;
    writer.SaveOverlaySettings();
  }
  {
    Application application;
    application.LoadSettings();
    application.settings.overlayfilename = L"changed.png";
    application.settings.overlayopacity = 10;
    application.settings.ColourKey = 0;
    application.SaveAllSettings();
  }
  Application reader;
  reader.LoadSettings();
  EXPECT_EQ(reader.settings.overlayfilename, stored.overlayfilename);
  EXPECT_EQ(reader.settings.overlayopacity, stored.overlayopacity);
  EXPECT_EQ(reader.settings.ColourKey, stored.ColourKey);
}

TEST_F(SettingsStore, StoredValuesOutOfRangeAreClamped) {
  SetRawDword(L"timevalue", 0);
  SetRawDword(L"fontsize", 1000);
  SetRawDword(L"timeunit", 7);
  SetRawDword(L"imagesize", 0xFFFFFFFF);
  SetRawDword(L"deviceType", 2);
  SetRawDword(L"smoothtype", 2);
  SetRawDword(L"JPEGquality", 250);

  Application application;
  application.clearTypeAvailable = false;
  application.LoadSettings();
  EXPECT_EQ(application.settings.timevalue, 1u);
  EXPECT_EQ(application.settings.fontsize, 999u);
  EXPECT_EQ(application.settings.timeunit, 2u);
  EXPECT_EQ(application.settings.imagesize, 3u);
  EXPECT_EQ(application.settings.deviceType, 1u);
  EXPECT_EQ(application.settings.smoothtype, 1u);
  EXPECT_EQ(application.settings.JPEGquality, 250u);

  SetRawDword(L"timevalue", 1000);
  SetRawDword(L"fontsize", 0);
  Application withClearType;
  withClearType.clearTypeAvailable = true;
  withClearType.LoadSettings();
  EXPECT_EQ(withClearType.settings.timevalue, 999u);
  EXPECT_EQ(withClearType.settings.fontsize, 1u);
  EXPECT_EQ(withClearType.settings.smoothtype, 2u);
}

TEST_F(SettingsStore, ColourComponentsAreReadSinglyAndClamped) {
  SetRawDword(L"BackgroundR", 300);
  SetRawDword(L"ForegroundG", 0xFFFFFFFF);
  SetRawDword(L"ColourKeyB", 0);

  Application application;
  application.LoadSettings();
  EXPECT_EQ(application.settings.Background, ComposeColour(255, 16, 16));
  EXPECT_EQ(application.settings.Foreground, ComposeColour(255, 255, 128));
  EXPECT_EQ(application.settings.ColourKey, ComposeColour(255, 255, 0));

  application.SaveTextSettings();
  EXPECT_EQ(GetRawDword(L"BackgroundR"), 255u);
  EXPECT_EQ(GetRawDword(L"BackgroundG"), 16u);
  EXPECT_EQ(GetRawDword(L"ForegroundG"), 255u);
  EXPECT_EQ(GetRawDword(L"ForegroundB"), 128u);
}

TEST_F(SettingsStore, StringsWithoutNulOrEmptyLoadAsStored) {
  SetRawString(L"filename", L"snap.jpg");
  SetRawString(L"fontname", std::wstring(1, L'\0'));
  Application application;
  application.LoadSettings();
  EXPECT_EQ(application.settings.filename, L"snap.jpg");
  EXPECT_EQ(application.settings.fontname, L"");

  SetRawString(L"filename", std::wstring(1, L'\0'));
  Application again;
  again.LoadSettings();
  EXPECT_EQ(again.settings.filename, L"");
}

TEST_F(SettingsStore, BadStoredDataLeavesTheDefaults) {
  SetRawString(L"timevalue", std::wstring(L"5\0", 2));
  const BYTE twoBytes[] = {3, 0};
  SetRawValue(L"fontsize", REG_BINARY, twoBytes, sizeof(twoBytes));
  SetRawValue(L"BackgroundR", REG_BINARY, twoBytes, sizeof(twoBytes));
  SetRawString(L"fontname", std::wstring(9000, L'F') + L'\0');
  SetRawDword(L"filename", 0x00410041);

  Application application;
  const Settings defaults = application.settings;
  application.LoadSettings();
  ExpectSameSettings(defaults, application.settings);
}

TEST_F(SettingsStore, RunEntryFollowsRunAtStartup) {
  Application application;
  application.settings.runatstartup = true;
  application.SaveFileTransferSettings();
  const auto entry = GetRunEntry();
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->type, static_cast<DWORD>(REG_SZ));
  const std::wstring path = ModulePath();
  ASSERT_FALSE(path.empty());
  ASSERT_EQ(entry->data.size(), (path.size() + 1) * sizeof(wchar_t));
  std::wstring stored(path.size() + 1, L'?');
  std::memcpy(stored.data(), entry->data.data(), entry->data.size());
  EXPECT_EQ(stored, path + L'\0');
  EXPECT_NE(stored.front(), L'"');

  application.settings.runatstartup = false;
  application.SaveFileTransferSettings();
  EXPECT_FALSE(GetRunEntry());
  EXPECT_EQ(GetRawDword(L"runatstartup"), 0u);

  application.settings.disableTimer = true;
  application.SaveFileTransferSettings();
  EXPECT_FALSE(GetRunEntry());
  EXPECT_EQ(GetRawDword(L"disableTimer"), 1u);
}

}  // namespace
}  // namespace kelpo
