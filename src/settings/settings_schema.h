// The one table of Kelpo's settings: for every field of Settings its registry
// value name, kind, default, load range and save group. Loading, saving, the
// defaults and the Settings sheet's pages all walk this table, so adding a
// setting means adding one named row (settings/setting_rows.h), listing it in
// the table, and one field to Settings.
#pragma once

#include "settings/settings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

namespace kelpo {

// The groups that are saved together: one per page of the Settings sheet, and
// the device fields, which only the Change Video Device dialog and the capture
// graph write.
enum class SettingsGroup { kFileTransfer, kText, kVideo, kOverlay, kArchive, kDevice };

// Inclusive range a value is clamped to after loading, on the pages and in
// the picture steps alike, compared as unsigned (see InRange).
struct SettingRange {
  std::uint32_t lo;
  std::uint32_t hi;
  // A value above hi becomes lo instead of hi: for a list index that the
  // picture steps have always treated as their first choice.
  bool aboveMeansLowest = false;
};

// REG_SZ; or, with `protectedName`, REG_BINARY under that name, protected for
// the current user. A plain REG_SZ under the field's name (an older Kelpo's, a
// .reg file's) is read in its place, and goes at the next save.
struct StringSetting {
  std::wstring Settings::*member;
  const wchar_t* defaultValue;
  const wchar_t* protectedName = nullptr;
};

// REG_DWORD.
struct DwordSetting {
  std::uint32_t Settings::*member;
  std::uint32_t defaultValue;
  std::optional<SettingRange> loadRange;
};

// REG_DWORD written as 1 or 0; any non-zero value reads as true.
struct FlagSetting {
  bool Settings::*member;
  bool defaultValue;
};

// Three REG_DWORD values, red, green and blue, each 0 to 255, held as one
// composed colour (red in the low byte).
struct ColourSetting {
  std::uint32_t Settings::*member;
  std::uint32_t defaultValue;
  std::array<const wchar_t*, 3> componentNames;
};

using SettingKind = std::variant<StringSetting, DwordSetting, FlagSetting, ColourSetting>;

struct SettingField {
  // The registry value's name; for a colour, the field's name, which its three
  // component values extend with R, G and B.
  const wchar_t* name;
  SettingsGroup group;
  SettingKind kind;
};

// A read-only view of the table.
struct SettingFields {
  const SettingField* first;
  std::size_t count;

  const SettingField* begin() const { return first; }
  const SettingField* end() const { return first + count; }
  std::size_t size() const { return count; }
};

// Every setting once, groups in the order file transfer, text, video, overlay,
// archive, device, and each group in the order its values are saved.
SettingFields SettingsSchema();

}  // namespace kelpo
