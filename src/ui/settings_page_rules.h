// Pure rules of the Settings sheet's pages: which control shows which setting
// (bound to the setting's named row, settings/setting_rows.h), which check box
// enables which controls, and how typed text and list selections become
// values. The pages themselves only move values between controls and the
// settings record as these tables say.
#pragma once

#include "settings/settings_schema.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kelpo {

// Text fields keep at most this many characters; longer text is cut.
constexpr std::size_t kMaxFieldLength = 511;

// A read-only view of a constant table.
template <typename T>
struct TableView {
  const T* first = nullptr;
  std::size_t count = 0;

  constexpr const T* begin() const { return first; }
  constexpr const T* end() const { return first + count; }
  constexpr std::size_t size() const { return count; }
};

template <typename T, std::size_t N>
constexpr TableView<T> ViewOf(const T (&table)[N]) {
  return {table, N};
}

// How one control shows one setting.
enum class BindingRole {
  kText,       // edit or static text: a string setting
  kCheck,      // check box: a flag
  kNumber,     // edit holding an unsigned decimal number: a DWORD
  kListIndex,  // drop-down list whose selected index is a DWORD
  kListText,   // drop-down list whose selected entry's text is a string
  kSlider,     // trackbar whose position is a DWORD
};

// What a number field without a number, or a list without a selection,
// applies to a setting that has a range.
enum class MissingInput {
  kClamped,  // 0 (for a list, -1 as an unsigned number), clamped to the range
  kKept,     // the setting keeps its value
};

struct ControlBinding {
  int controlId;
  const SettingField& setting;  // a row of settings/setting_rows.h
  BindingRole role;
  MissingInput missing = MissingInput::kClamped;
};

// Radio buttons that together show one DWORD setting: button i stands for
// value i. A value no button stands for shows, and a group with no button
// checked reads as, `fallback`.
struct RadioBinding {
  const SettingField& setting;  // a DWORD row of settings/setting_rows.h
  TableView<int> buttons;
  std::uint32_t fallback;
};

// The controls a check box (or radio button) enables: exactly when it is
// checked, or exactly when it is not.
struct EnableRule {
  int checkBox;
  bool enabledWhenChecked;
  TableView<int> controls;
};

// Everything a page binds, all within one group of the settings schema.
struct PageLayout {
  SettingsGroup group;
  TableView<ControlBinding> controls;
  TableView<RadioBinding> radios;
  TableView<EnableRule> enableRules;
};

const PageLayout& FileTransferLayout();
const PageLayout& VideoCaptureLayout();
const PageLayout& TextEffectsLayout();
const PageLayout& OverlayLayout();
const PageLayout& ArchiveLayout();

// The schema's row for a registry value name, or null.
const SettingField* FindSetting(std::wstring_view name);

// Whether a role can show a setting of that kind.
constexpr bool RoleFits(BindingRole role, const SettingKind& kind) {
  switch (role) {
    case BindingRole::kText:
    case BindingRole::kListText:
      return std::holds_alternative<StringSetting>(kind);
    case BindingRole::kCheck:
      return std::holds_alternative<FlagSetting>(kind);
    case BindingRole::kNumber:
    case BindingRole::kListIndex:
    case BindingRole::kSlider:
      return std::holds_alternative<DwordSetting>(kind);
  }
  return false;
}

// Whether every control and radio group of a layout shows a setting of the
// page's group in a role its kind fits. Each layout is checked with it where
// it is defined, so a page that binds a control wrongly does not compile.
constexpr bool LayoutFits(const PageLayout& layout) {
  for (const ControlBinding& binding : layout.controls) {
    if (binding.setting.group != layout.group || !RoleFits(binding.role, binding.setting.kind)) {
      return false;
    }
  }
  for (const RadioBinding& radios : layout.radios) {
    if (radios.setting.group != layout.group ||
        !std::holds_alternative<DwordSetting>(radios.setting.kind)) {
      return false;
    }
  }
  return true;
}

// Whether a control a rule governs is enabled, given its check box.
constexpr bool RuleEnables(const EnableRule& rule, bool checked) {
  return checked == rule.enabledWhenChecked;
}

// An unsigned decimal number, blanks around it allowed; nothing for any other
// text. Numbers beyond 32 bits read as the largest 32-bit number, so a
// clamped field shows its maximum rather than whatever the overflow left.
std::optional<std::uint32_t> ParseUnsigned(std::wstring_view text);

// The value a number field applies: the number brought into the setting's
// range (the one loading applies). Text that is no number keeps the current
// value without a range or when `missing` says so, and otherwise counts as 0.
std::uint32_t NumberFromText(std::wstring_view text, std::uint32_t current,
                             const std::optional<SettingRange>& range,
                             MissingInput missing = MissingInput::kClamped);

// The value a list applies; `selection` is the list's answer (-1 for none).
// No selection keeps the current value without a range or when `missing`
// says so; otherwise it counts as -1 taken as an unsigned number and is
// brought into the range like any other index.
std::uint32_t IndexFromSelection(long selection, std::uint32_t current,
                                 const std::optional<SettingRange>& range,
                                 MissingInput missing = MissingInput::kClamped);

// The first kMaxFieldLength characters.
std::wstring CutToFieldLength(std::wstring text);

// The button that shows `value` (its index in the group).
std::size_t RadioIndexFor(const RadioBinding& radios, std::uint32_t value);
// The value a group applies, given the index of its checked button, if any.
std::uint32_t RadioValue(const RadioBinding& radios, std::optional<std::size_t> checked);

}  // namespace kelpo
