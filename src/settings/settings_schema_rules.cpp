#include "settings/settings_schema.h"

#include "settings/setting_rows.h"

#include <iterator>

namespace kelpo {

namespace {

// Copies of the named rows: a Settings constructed during another file's
// static initialisation already finds every one.
constexpr SettingField kSchema[] = {
    setting::kServer,
    setting::kUser,
    setting::kPassword,
    setting::kDirectory,
    setting::kFilename,
    setting::kTimeValue,
    setting::kTimeUnit,
    setting::kDialUp,
    setting::kPassiveFtp,
    setting::kRunAtStartup,
    setting::kDisableFtp,
    setting::kDisableTimer,
    setting::kSaveToFile,
    setting::kLocalFileName,
    setting::kProtocol,
    setting::kPort,
    setting::kHostKey,
    setting::kCertPin,
    setting::kWisdom,
    setting::kTimeStamp,
    setting::kDateStamp,
    setting::kFontSize,
    setting::kFontName,
    setting::kFontBold,
    setting::kFontItalic,
    setting::kFontUnderline,
    setting::kFontStrikeout,
    setting::kSmoothType,
    setting::kTextPosition,
    setting::kDropShadow,
    setting::kTextBackground,
    setting::kBackground,
    setting::kForeground,
    setting::kImageSize,
    setting::kCrossbarInput,
    setting::kCaptureWidth,
    setting::kCaptureHeight,
    setting::kFlipHorizontal,
    setting::kFlipVertical,
    setting::kJpegQuality,
    setting::kUseCustomImageSize,
    setting::kCustomSizeX,
    setting::kCustomSizeY,
    setting::kCropX,
    setting::kCropY,
    setting::kCropWidth,
    setting::kCropHeight,
    setting::kCropEnable,
    setting::kWarmUpTime,
    setting::kCaptureFormat,
    setting::kOverlayFileName,
    setting::kOverlayScale,
    setting::kOverlayScalePercent,
    setting::kOverlayPosition,
    setting::kOverlayOpacity,
    setting::kOverlayColourKey,
    setting::kColourKey,
    setting::kArchiveLocal,
    setting::kArchiveRemote,
    setting::kArchiveMinutes,
    setting::kArchiveKeepDays,
    setting::kArchiveKeepMb,
    setting::kDevicePath,
    setting::kDeviceType,
};

}  // namespace

SettingFields SettingsSchema() { return {kSchema, std::size(kSchema)}; }

Settings::Settings() {
  for (const SettingField& field : kSchema) {
    std::visit([this](const auto& kind) { this->*kind.member = kind.defaultValue; }, field.kind);
  }
}

}  // namespace kelpo
