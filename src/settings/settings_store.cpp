#include "settings/settings_store.h"

#include "settings/protected_text.h"
#include "settings/registry_store.h"
#include "settings/run_at_logon.h"
#include "settings/setting_rows.h"
#include "settings/settings_rules.h"

#include <variant>

namespace kelpo {

namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

void LoadField(Settings& settings, const SettingField& field) {
  std::visit(
      Overloaded{
          [&](const StringSetting& kind) {
            // Every save removes a plain value beside the protected one, so
            // one found here came later: an older Kelpo's, a .reg file's.
            if (ReadString(field.name, settings.*kind.member)) return;
            if (kind.protectedName != nullptr) {
              (void)ReadProtectedText(kind.protectedName, settings.*kind.member);
            }
          },
          [&](const DwordSetting& kind) { (void)ReadDword(field.name, settings.*kind.member); },
          [&](const FlagSetting& kind) { (void)ReadBool(field.name, settings.*kind.member); },
          [&](const ColourSetting& kind) {
            // Each component starts from the current colour's byte, so a
            // missing one keeps it; each is clamped to 255 on composing.
            std::uint32_t& colour = settings.*kind.member;
            std::uint32_t red = ColourRed(colour);
            std::uint32_t green = ColourGreen(colour);
            std::uint32_t blue = ColourBlue(colour);
            (void)ReadDword(kind.componentNames[0], red);
            (void)ReadDword(kind.componentNames[1], green);
            (void)ReadDword(kind.componentNames[2], blue);
            colour = ComposeColour(red, green, blue);
          },
      },
      field.kind);
}

void SaveField(const Settings& settings, const SettingField& field) {
  std::visit(
      Overloaded{
          [&](const StringSetting& kind) {
            if (kind.protectedName == nullptr) {
              (void)WriteString(field.name, settings.*kind.member);
            } else if (WriteProtectedText(kind.protectedName, settings.*kind.member)) {
              // Never in clear beside it; where it cannot be protected, the
              // stored values stay as they were.
              (void)DeleteValue(field.name);
            }
          },
          [&](const DwordSetting& kind) { (void)WriteDword(field.name, settings.*kind.member); },
          [&](const FlagSetting& kind) { (void)WriteBool(field.name, settings.*kind.member); },
          [&](const ColourSetting& kind) {
            const std::uint32_t colour = settings.*kind.member;
            (void)WriteDword(kind.componentNames[0], ColourRed(colour));
            (void)WriteDword(kind.componentNames[1], ColourGreen(colour));
            (void)WriteDword(kind.componentNames[2], ColourBlue(colour));
          },
      },
      field.kind);
}

}  // namespace

void LoadSettings(Settings& settings, bool clearTypeAvailable) {
  for (const SettingField& field : SettingsSchema()) LoadField(settings, field);
  ClampLoadedSettings(settings, clearTypeAvailable);
}

void SaveSettings(const Settings& settings, SettingsGroup group) {
  for (const SettingField& field : SettingsSchema()) {
    if (field.group == group) SaveField(settings, field);
  }
  if (group == SettingsGroup::kFileTransfer) UpdateRunEntry(settings.runatstartup);
}

void SaveAllSettings(const Settings& settings) {
  SaveSettings(settings, SettingsGroup::kText);
  SaveSettings(settings, SettingsGroup::kVideo);
  SaveSettings(settings, SettingsGroup::kFileTransfer);
}

void SaveDevicePath(const std::wstring& path) {
  (void)WriteString(setting::kDevicePath.name, path);
}

void SaveDeviceType(std::uint32_t type) { (void)WriteDword(setting::kDeviceType.name, type); }

}  // namespace kelpo
