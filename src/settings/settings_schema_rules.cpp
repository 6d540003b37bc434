#include "settings/settings_schema.h"

#include "common/transfer_protocol.h"
#include "settings/settings_rules.h"

#include <iterator>

namespace kelpo {

namespace {

constexpr SettingRange kTimeValueRange{1, 999};
constexpr SettingRange kTimeUnitRange{kTimeUnitSeconds, kTimeUnitHours};
constexpr SettingRange kFontSizeRange{1, 999};
constexpr SettingRange kSmoothTypeRange{kSmoothNone, kSmoothClearType};
constexpr SettingRange kImageSizeRange{0, 3};  // 160 x 120 to 640 x 480
constexpr SettingRange kDeviceTypeRange{kDeviceCamera, kDeviceImageFile};
// A webcam's exposure settles within about a second of its start; ten seconds
// is the most a picture may wait for it.
constexpr std::uint32_t kWarmUpTimeDefault = 1000;
constexpr SettingRange kWarmUpTimeRange{0, 10000};
// Nine places, 3 x row + column; one beyond them has always meant the first.
constexpr SettingRange kPositionRange{0, 8, true};
constexpr SettingRange kTextBackgroundRange{0, 2};  // solid, translucent, none
constexpr SettingRange kPercentRange{0, 100};       // JPEG quality, overlay opacity
// Original size, best fit, percentage; any other value has meant the original size.
constexpr SettingRange kOverlayScaleRange{0, 2, true};
constexpr SettingRange kOverlayPercentRange{0, 400};
// The left and top of the crop rectangle lie within the largest picture.
constexpr SettingRange kCropOriginRange{0, kMaxPictureSide - 1};
// The crossbar router counts its inputs with an int.
constexpr SettingRange kCrossbarInputRange{0, 0x7FFFFFFF};
// An unknown protocol has always meant plain FTP; an impossible port, the
// protocol's own.
constexpr SettingRange kProtocolRange{0, kLastTransferProtocol, true};
constexpr SettingRange kPortRange{0, kMaxPort, true};
// A week between archived pictures, ten years and a terabyte kept.
constexpr SettingRange kArchiveMinutesRange{0, 7 * 24 * 60};
constexpr SettingRange kArchiveKeepDaysRange{0, 3650};
constexpr SettingRange kArchiveKeepMbRange{0, 1024 * 1024};

using G = SettingsGroup;
using S = Settings;

// Constant-initialised, so a Settings constructed during another file's static
// initialisation already finds every row.
constexpr SettingField kSchema[] = {
    {L"server", G::kFileTransfer, StringSetting{&S::server, L""}},
    {L"user", G::kFileTransfer, StringSetting{&S::user, L""}},
    {L"password", G::kFileTransfer, StringSetting{&S::password, L"", L"passwordprotected"}},
    {L"directory", G::kFileTransfer, StringSetting{&S::directory, L""}},
    {L"filename", G::kFileTransfer, StringSetting{&S::filename, L"webcam.jpg"}},
    {L"timevalue", G::kFileTransfer, DwordSetting{&S::timevalue, 1, kTimeValueRange}},
    {L"timeunit", G::kFileTransfer, DwordSetting{&S::timeunit, kTimeUnitMinutes, kTimeUnitRange}},
    // The Application replaces this with whether a modem connection is up.
    {L"dialup", G::kFileTransfer, FlagSetting{&S::dialup, false}},
    {L"passiveftp", G::kFileTransfer, FlagSetting{&S::passiveftp, false}},
    {L"runatstartup", G::kFileTransfer, FlagSetting{&S::runatstartup, false}},
    {L"disableFTP", G::kFileTransfer, FlagSetting{&S::disableFTP, false}},
    {L"disableTimer", G::kFileTransfer, FlagSetting{&S::disableTimer, false}},
    {L"savetofile", G::kFileTransfer, FlagSetting{&S::savetofile, false}},
    {L"localfilename", G::kFileTransfer, StringSetting{&S::localfilename, L""}},
    {L"protocol", G::kFileTransfer, DwordSetting{&S::protocol, 0, kProtocolRange}},
    {L"port", G::kFileTransfer, DwordSetting{&S::port, 0, kPortRange}},
    {L"hostkey", G::kFileTransfer, StringSetting{&S::hostkey, L""}},
    {L"certpin", G::kFileTransfer, StringSetting{&S::certpin, L""}},

    {L"wisdom", G::kText, StringSetting{&S::wisdom, L""}},
    {L"timestamp", G::kText, FlagSetting{&S::timestamp, true}},
    {L"datestamp", G::kText, FlagSetting{&S::datestamp, true}},
    {L"fontsize", G::kText, DwordSetting{&S::fontsize, 14, kFontSizeRange}},
    {L"fontname", G::kText, StringSetting{&S::fontname, L"Arial"}},
    {L"fontbold", G::kText, FlagSetting{&S::fontbold, false}},
    {L"fontitalic", G::kText, FlagSetting{&S::fontitalic, false}},
    {L"fontunderline", G::kText, FlagSetting{&S::fontunderline, false}},
    {L"fontstrikeout", G::kText, FlagSetting{&S::fontstrikeout, false}},
    {L"smoothtype", G::kText, DwordSetting{&S::smoothtype, kSmoothStandard, kSmoothTypeRange}},
    // Positions count 3 x row + column: 7 is bottom centre, the overlay's 6 lower left.
    {L"textposition", G::kText, DwordSetting{&S::textposition, 7, kPositionRange}},
    {L"dropshadow", G::kText, FlagSetting{&S::dropshadow, true}},
    // 0 solid, 1 translucent, 2 none.
    {L"textbackground", G::kText, DwordSetting{&S::textbackground, 1, kTextBackgroundRange}},
    {L"Background", G::kText,
     ColourSetting{&S::Background,
                   ComposeColour(96, 16, 16),
                   {L"BackgroundR", L"BackgroundG", L"BackgroundB"}}},
    {L"Foreground", G::kText,
     ColourSetting{&S::Foreground,
                   ComposeColour(255, 255, 128),
                   {L"ForegroundR", L"ForegroundG", L"ForegroundB"}}},

    {L"imagesize", G::kVideo, DwordSetting{&S::imagesize, 1, kImageSizeRange}},  // 320 x 240
    {L"crossbarinput", G::kVideo, DwordSetting{&S::crossbarinput, 0, kCrossbarInputRange}},
    {L"capturewidth", G::kVideo, DwordSetting{&S::capturewidth, 320, kPictureSideRange}},
    {L"captureheight", G::kVideo, DwordSetting{&S::captureheight, 240, kPictureSideRange}},
    {L"fliphorizontal", G::kVideo, FlagSetting{&S::fliphorizontal, false}},
    {L"flipvertical", G::kVideo, FlagSetting{&S::flipvertical, false}},
    {L"JPEGquality", G::kVideo, DwordSetting{&S::JPEGquality, 75, kPercentRange}},
    {L"UseCustomImageSize", G::kVideo, FlagSetting{&S::UseCustomImageSize, false}},
    {L"CustomSizeX", G::kVideo, DwordSetting{&S::CustomSizeX, 320, kPictureSideRange}},
    {L"CustomSizeY", G::kVideo, DwordSetting{&S::CustomSizeY, 240, kPictureSideRange}},
    {L"CropX", G::kVideo, DwordSetting{&S::CropX, 0, kCropOriginRange}},
    {L"CropY", G::kVideo, DwordSetting{&S::CropY, 0, kCropOriginRange}},
    {L"CropWidth", G::kVideo, DwordSetting{&S::CropWidth, 320, kPictureSideRange}},
    {L"CropHeight", G::kVideo, DwordSetting{&S::CropHeight, 240, kPictureSideRange}},
    {L"CropEnable", G::kVideo, FlagSetting{&S::CropEnable, false}},
    {L"warmuptime", G::kVideo, DwordSetting{&S::warmuptime, kWarmUpTimeDefault, kWarmUpTimeRange}},
    {L"captureformat", G::kVideo, DwordSetting{&S::captureformat, 0, std::nullopt}},

    {L"overlayfilename", G::kOverlay, StringSetting{&S::overlayfilename, L""}},
    {L"overlayscale", G::kOverlay,
     DwordSetting{&S::overlayscale, 0, kOverlayScaleRange}},  // original
    {L"overlayscalepercent", G::kOverlay,
     DwordSetting{&S::overlayscalepercent, 100, kOverlayPercentRange}},
    {L"overlayposition", G::kOverlay, DwordSetting{&S::overlayposition, 6, kPositionRange}},
    {L"overlayopacity", G::kOverlay, DwordSetting{&S::overlayopacity, 100, kPercentRange}},
    {L"overlaycolourkey", G::kOverlay, FlagSetting{&S::overlaycolourkey, false}},
    {L"ColourKey", G::kOverlay,
     ColourSetting{&S::ColourKey,
                   ComposeColour(255, 255, 255),
                   {L"ColourKeyR", L"ColourKeyG", L"ColourKeyB"}}},

    {L"archivelocal", G::kArchive, StringSetting{&S::archivelocal, L""}},
    {L"archiveremote", G::kArchive, StringSetting{&S::archiveremote, L""}},
    {L"archiveminutes", G::kArchive, DwordSetting{&S::archiveminutes, 0, kArchiveMinutesRange}},
    {L"archivekeepdays", G::kArchive, DwordSetting{&S::archivekeepdays, 0, kArchiveKeepDaysRange}},
    {L"archivekeepmb", G::kArchive, DwordSetting{&S::archivekeepmb, 0, kArchiveKeepMbRange}},

    {L"devicePath", G::kDevice, StringSetting{&S::devicePath, L""}},
    {L"deviceType", G::kDevice, DwordSetting{&S::deviceType, kDeviceCamera, kDeviceTypeRange}},
};

}  // namespace

SettingFields SettingsSchema() { return {kSchema, std::size(kSchema)}; }

Settings::Settings() {
  for (const SettingField& field : kSchema) {
    std::visit([this](const auto& kind) { this->*kind.member = kind.defaultValue; }, field.kind);
  }
}

}  // namespace kelpo
