#include "settings/registry_store.h"
#include "settings/settings_rules.h"
#include "settings/settings_schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kelpo {
namespace {

struct MemberBytes {
  std::size_t offset;
  std::size_t size;
  std::size_t alignment;
  const wchar_t* name;
};

MemberBytes BytesOf(const Settings& settings, const SettingField& field) {
  return std::visit(
      [&](const auto& kind) {
        const auto& member = settings.*kind.member;
        return MemberBytes{static_cast<std::size_t>(reinterpret_cast<const char*>(&member) -
                                                    reinterpret_cast<const char*>(&settings)),
                           sizeof(member), alignof(decltype(member)), field.name};
      },
      field.kind);
}

std::size_t AlignUp(std::size_t offset, std::size_t alignment) {
  return (offset + alignment - 1) / alignment * alignment;
}

// Registry value names are compared without regard to case.
std::wstring Folded(const wchar_t* name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(c));
  return folded;
}

// Settings has no reflection, so its bytes stand in: the schema's members,
// sorted by offset, must tile the record with nothing between them but the
// padding their alignment needs. A forgotten field leaves a hole (short of a
// flag tucked into padding), a field listed twice overlaps itself.
TEST(SettingsSchema, ListsEveryFieldOfSettingsOnce) {
  const Settings settings;
  std::vector<MemberBytes> members;
  for (const SettingField& field : SettingsSchema()) members.push_back(BytesOf(settings, field));
  std::sort(members.begin(), members.end(),
            [](const MemberBytes& a, const MemberBytes& b) { return a.offset < b.offset; });
  std::size_t end = 0;
  for (const MemberBytes& member : members) {
    EXPECT_EQ(member.offset, AlignUp(end, member.alignment)) << member.name;
    end = member.offset + member.size;
  }
  EXPECT_EQ(sizeof(Settings), AlignUp(end, alignof(Settings)));
}

TEST(SettingsSchema, RegistryNamesAreUniqueAndGroupedAsSaved) {
  std::set<std::wstring> names = {Folded(kFirstRunValue)};
  std::map<SettingsGroup, int> valuesPerGroup;
  const auto add = [&](const wchar_t* name, SettingsGroup group) {
    EXPECT_TRUE(names.insert(Folded(name)).second) << name;
    ++valuesPerGroup[group];
  };
  for (const SettingField& field : SettingsSchema()) {
    if (const auto* colour = std::get_if<ColourSetting>(&field.kind)) {
      const wchar_t* suffixes[] = {L"R", L"G", L"B"};
      for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::wstring(colour->componentNames[i]), field.name + std::wstring(suffixes[i]));
        add(colour->componentNames[i], field.group);
      }
    } else {
      add(field.name, field.group);
    }
  }
  EXPECT_EQ(valuesPerGroup[SettingsGroup::kFileTransfer], 18);
  EXPECT_EQ(valuesPerGroup[SettingsGroup::kText], 19);
  EXPECT_EQ(valuesPerGroup[SettingsGroup::kVideo], 17);
  EXPECT_EQ(valuesPerGroup[SettingsGroup::kOverlay], 9);
  EXPECT_EQ(valuesPerGroup[SettingsGroup::kArchive], 5);
  EXPECT_EQ(valuesPerGroup[SettingsGroup::kDevice], 2);
}

// A default outside its range would change at the first load of an empty key.
TEST(SettingsSchema, DefaultsLieInsideTheirLoadRanges) {
  for (const SettingField& field : SettingsSchema()) {
    const auto* dword = std::get_if<DwordSetting>(&field.kind);
    if (dword == nullptr || !dword->loadRange) continue;
    EXPECT_LE(dword->loadRange->lo, dword->defaultValue) << field.name;
    EXPECT_LE(dword->defaultValue, dword->loadRange->hi) << field.name;
  }
}

}  // namespace
}  // namespace kelpo
