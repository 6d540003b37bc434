#include "picture/picture_rules.h"
#include "resources/resource.h"
#include "settings/settings_rules.h"
#include "ui/settings_page_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <variant>

namespace kelpo {
namespace {

const SettingRange kInterval{1, 999};

TEST(SettingsPageRules, NumberFieldsWithARangeAreCorrectedLikeTheInterval) {
  // Anything that is no number counts as 0; everything is clamped; numbers
  // too large for 32 bits end at the top, not wherever the overflow left them.
  for (const auto& [text, stored] : std::initializer_list<std::pair<const wchar_t*, std::uint32_t>>{
           {L"0", 1},
           {L"", 1},
           {L"abc", 1},
           {L"12abc", 1},
           {L"-5", 1},
           {L"5000", 999},
           {L"4294967296", 999},
           {L"99999999999999999999", 999},
           {L" 42 ", 42},
           {L"999", 999},
       }) {
    EXPECT_EQ(NumberFromText(text, 7, kInterval), stored) << text;
  }
  // Without a range the field stores what it reads and keeps the value for non-numbers.
  EXPECT_EQ(NumberFromText(L"0", 320, std::nullopt), 0u);
  EXPECT_EQ(NumberFromText(L"abc", 320, std::nullopt), 320u);
  EXPECT_EQ(NumberFromText(L"640", 320, std::nullopt), 640u);
}

TEST(SettingsPageRules, ListsWithoutSelectionClampOrKeep) {
  const SettingRange units{0, 2};
  EXPECT_EQ(IndexFromSelection(-1, 0, units), 2u);  // no selection: Hours
  EXPECT_EQ(IndexFromSelection(1, 0, units), 1u);
  // Without a range, or for the positions, no selection keeps the value.
  EXPECT_EQ(IndexFromSelection(-1, 12, std::nullopt), 12u);
  EXPECT_EQ(IndexFromSelection(4, 12, std::nullopt), 4u);
}

TEST(SettingsPageRules, RadioGroupsShowAndStoreOnlyTheirOwnValues) {
  const RadioBinding& scale = OverlayLayout().radios.first[0];
  // A stored scale of 5 shows "Original Size" and is stored as 0.
  EXPECT_EQ(RadioIndexFor(scale, 5), 0u);
  EXPECT_EQ(RadioValue(scale, RadioIndexFor(scale, 5)), 0u);
  EXPECT_EQ(RadioValue(scale, 2), 2u);
  const RadioBinding& smoothing = TextEffectsLayout().radios.first[0];
  EXPECT_EQ(RadioIndexFor(smoothing, 7), 1u);  // standard
  EXPECT_EQ(RadioValue(smoothing, std::nullopt), 1u);
}

TEST(SettingsPageRules, PictureSidesAreCorrectedToSizesThePictureCanBeMadeIn) {
  for (const auto& [typed, stored] : std::initializer_list<std::pair<std::uint32_t, std::uint32_t>>{
           {0, 1},
           {1, 1},
           {640, 640},
           {kMaxPictureSide, kMaxPictureSide},
           {kMaxPictureSide + 1, kMaxPictureSide},
           {0xFFFFFFFFu, kMaxPictureSide},
       }) {
    EXPECT_EQ(PictureSide(typed), stored) << typed;
  }
  // Whatever is typed, the corrected size is one the pipeline draws.
  EXPECT_TRUE(IsDrawableSize(PictureSide(0), PictureSide(0)));
  EXPECT_TRUE(IsDrawableSize(PictureSide(0xFFFFFFFFu), PictureSide(0xFFFFFFFFu)));
}

TEST(SettingsPageRules, FieldsAreCutTo511Characters) {
  EXPECT_EQ(CutToFieldLength(std::wstring(600, L'x')).size(), 511u);
  EXPECT_EQ(CutToFieldLength(L"short"), L"short");
}

// The File Transfer page as its check boxes leave it: which controls are off.
std::set<int> DisabledControls(const PageLayout& layout, const std::set<int>& checked) {
  std::set<int> disabled;
  for (const EnableRule& rule : layout.enableRules) {
    for (int id : rule.controls) {
      if (!RuleEnables(rule, checked.count(rule.checkBox) != 0)) disabled.insert(id);
    }
  }
  return disabled;
}

TEST(SettingsPageRules, FileTransferGroupsFollowTheirBoxesAndNeverTheBoxItself) {
  const PageLayout& page = FileTransferLayout();
  // Nothing checked: only the local file's controls are off.
  EXPECT_EQ(DisabledControls(page, {}),
            (std::set<int>{IDC_LOCAL_FILE, IDC_LOCAL_FILE_BROWSE, IDC_LOCAL_FILE_OPEN}));
  // Every box checked: FTP fields and interval off, the local file on.
  EXPECT_EQ(DisabledControls(page, {IDC_DISABLE_FTP, IDC_DISABLE_TIMER, IDC_SAVE_TO_FILE}),
            (std::set<int>{IDC_PROTOCOL, IDC_FTP_SERVER, IDC_PORT, IDC_FTP_USER, IDC_FTP_PASSWORD,
                           IDC_FTP_DIRECTORY, IDC_FTP_FILENAME, IDC_DIAL_UP, IDC_PASSIVE_FTP,
                           IDC_TIME_VALUE, IDC_TIME_VALUE_SPIN, IDC_TIME_UNIT}));
  const std::set<int> everything{IDC_DISABLE_FTP, IDC_DISABLE_TIMER, IDC_SAVE_TO_FILE};
  for (int box : everything) {
    EXPECT_EQ(DisabledControls(page, {}).count(box), 0u);
    EXPECT_EQ(DisabledControls(page, everything).count(box), 0u);
  }
  // The size fields go with their radio button, the crop fields with their box.
  EXPECT_EQ(DisabledControls(VideoCaptureLayout(), {IDC_CUSTOM_SIZE}),
            (std::set<int>{IDC_IMAGE_SIZE, IDC_CROP_LEFT, IDC_CROP_TOP, IDC_CROP_WIDTH,
                           IDC_CROP_HEIGHT}));
  EXPECT_EQ(DisabledControls(VideoCaptureLayout(), {IDC_STANDARD_SIZE, IDC_CROP_ENABLE}),
            (std::set<int>{IDC_CUSTOM_WIDTH, IDC_CUSTOM_HEIGHT}));
  // The overlay's percentage goes with its radio button, the key colour with its box.
  EXPECT_EQ(DisabledControls(OverlayLayout(), {IDC_OVERLAY_PERCENTAGE}),
            (std::set<int>{IDC_OVERLAY_CHOOSE_COLOUR}));
}

// A control bound to a name the schema lacks, to a setting of another page's
// group, or in a role its kind cannot fill would silently show and store nothing.
TEST(SettingsPageRules, EveryBindingNamesASettingOfItsPagesGroupInAFittingRole) {
  for (const PageLayout* page :
       {&FileTransferLayout(), &VideoCaptureLayout(), &TextEffectsLayout(), &OverlayLayout()}) {
    for (const ControlBinding& binding : page->controls) {
      // A named row left out of the table is never loaded or saved.
      const SettingField* field = FindSetting(binding.setting.name);
      ASSERT_NE(field, nullptr) << binding.setting.name;
      EXPECT_EQ(field->group, page->group) << binding.setting.name;
      bool fits = false;
      switch (binding.role) {
        case BindingRole::kText:
        case BindingRole::kListText:
          fits = std::holds_alternative<StringSetting>(field->kind);
          break;
        case BindingRole::kCheck:
          fits = std::holds_alternative<FlagSetting>(field->kind);
          break;
        case BindingRole::kNumber:
        case BindingRole::kListIndex:
        case BindingRole::kSlider:
          fits = std::holds_alternative<DwordSetting>(field->kind);
          break;
      }
      EXPECT_TRUE(fits) << binding.setting.name;
    }
    for (const RadioBinding& radios : page->radios) {
      const SettingField* field = FindSetting(radios.setting.name);
      ASSERT_NE(field, nullptr) << radios.setting.name;
      EXPECT_EQ(field->group, page->group) << radios.setting.name;
      EXPECT_TRUE(std::holds_alternative<DwordSetting>(field->kind)) << radios.setting.name;
    }
  }
  // The File Transfer page edits its whole group, each setting once; the host
  // key, which the page only shows or forgets, is its own.
  std::multiset<std::wstring> bound;
  for (const ControlBinding& binding : FileTransferLayout().controls)
    bound.insert(binding.setting.name);
  std::multiset<std::wstring> group;
  for (const SettingField& field : SettingsSchema()) {
    if (field.group == SettingsGroup::kFileTransfer) group.insert(field.name);
  }
  group.erase(L"hostkey");
  EXPECT_EQ(bound, group);
}

}  // namespace
}  // namespace kelpo
