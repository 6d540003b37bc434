// The rows of the settings table, each by name. The Settings sheet's pages
// bind their controls to these, so a setting renamed or taken out no longer
// compiles where it is shown; the table (settings_schema_rules.cpp) lists each
// row once. Registry names and kinds are what Kelpo has always stored.
#pragma once

#include "common/transfer_protocol.h"
#include "settings/settings.h"
#include "settings/settings_rules.h"
#include "settings/settings_schema.h"

namespace kelpo::setting {

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

inline constexpr SettingField kServer{L"server", SettingsGroup::kFileTransfer,
                                      StringSetting{&Settings::server, L""}};
inline constexpr SettingField kUser{L"user", SettingsGroup::kFileTransfer,
                                    StringSetting{&Settings::user, L""}};
inline constexpr SettingField kPassword{
    L"password", SettingsGroup::kFileTransfer,
    StringSetting{&Settings::password, L"", L"passwordprotected"}};
inline constexpr SettingField kDirectory{L"directory", SettingsGroup::kFileTransfer,
                                         StringSetting{&Settings::directory, L""}};
inline constexpr SettingField kFilename{L"filename", SettingsGroup::kFileTransfer,
                                        StringSetting{&Settings::filename, L"webcam.jpg"}};
inline constexpr SettingField kTimeValue{L"timevalue", SettingsGroup::kFileTransfer,
                                         DwordSetting{&Settings::timevalue, 1, kTimeValueRange}};
inline constexpr SettingField kTimeUnit{
    L"timeunit", SettingsGroup::kFileTransfer,
    DwordSetting{&Settings::timeunit, kTimeUnitMinutes, kTimeUnitRange}};
// The Application replaces this with whether a modem connection is up.
inline constexpr SettingField kDialUp{L"dialup", SettingsGroup::kFileTransfer,
                                      FlagSetting{&Settings::dialup, false}};
inline constexpr SettingField kPassiveFtp{L"passiveftp", SettingsGroup::kFileTransfer,
                                          FlagSetting{&Settings::passiveftp, false}};
inline constexpr SettingField kRunAtStartup{L"runatstartup", SettingsGroup::kFileTransfer,
                                            FlagSetting{&Settings::runatstartup, false}};
inline constexpr SettingField kDisableFtp{L"disableFTP", SettingsGroup::kFileTransfer,
                                          FlagSetting{&Settings::disableFTP, false}};
inline constexpr SettingField kDisableTimer{L"disableTimer", SettingsGroup::kFileTransfer,
                                            FlagSetting{&Settings::disableTimer, false}};
inline constexpr SettingField kSaveToFile{L"savetofile", SettingsGroup::kFileTransfer,
                                          FlagSetting{&Settings::savetofile, false}};
inline constexpr SettingField kLocalFileName{L"localfilename", SettingsGroup::kFileTransfer,
                                             StringSetting{&Settings::localfilename, L""}};
inline constexpr SettingField kProtocol{L"protocol", SettingsGroup::kFileTransfer,
                                        DwordSetting{&Settings::protocol, 0, kProtocolRange}};
inline constexpr SettingField kPort{L"port", SettingsGroup::kFileTransfer,
                                    DwordSetting{&Settings::port, 0, kPortRange}};
inline constexpr SettingField kHostKey{L"hostkey", SettingsGroup::kFileTransfer,
                                       StringSetting{&Settings::hostkey, L""}};
inline constexpr SettingField kCertPin{L"certpin", SettingsGroup::kFileTransfer,
                                       StringSetting{&Settings::certpin, L""}};

inline constexpr SettingField kWisdom{L"wisdom", SettingsGroup::kText,
                                      StringSetting{&Settings::wisdom, L""}};
inline constexpr SettingField kTimeStamp{L"timestamp", SettingsGroup::kText,
                                         FlagSetting{&Settings::timestamp, true}};
inline constexpr SettingField kDateStamp{L"datestamp", SettingsGroup::kText,
                                         FlagSetting{&Settings::datestamp, true}};
inline constexpr SettingField kFontSize{L"fontsize", SettingsGroup::kText,
                                        DwordSetting{&Settings::fontsize, 14, kFontSizeRange}};
inline constexpr SettingField kFontName{L"fontname", SettingsGroup::kText,
                                        StringSetting{&Settings::fontname, L"Arial"}};
inline constexpr SettingField kFontBold{L"fontbold", SettingsGroup::kText,
                                        FlagSetting{&Settings::fontbold, false}};
inline constexpr SettingField kFontItalic{L"fontitalic", SettingsGroup::kText,
                                          FlagSetting{&Settings::fontitalic, false}};
inline constexpr SettingField kFontUnderline{L"fontunderline", SettingsGroup::kText,
                                             FlagSetting{&Settings::fontunderline, false}};
inline constexpr SettingField kFontStrikeout{L"fontstrikeout", SettingsGroup::kText,
                                             FlagSetting{&Settings::fontstrikeout, false}};
inline constexpr SettingField kSmoothType{
    L"smoothtype", SettingsGroup::kText,
    DwordSetting{&Settings::smoothtype, kSmoothStandard, kSmoothTypeRange}};
// Positions count 3 x row + column: 7 is bottom centre, the overlay's 6 lower left.
inline constexpr SettingField kTextPosition{
    L"textposition", SettingsGroup::kText,
    DwordSetting{&Settings::textposition, 7, kPositionRange}};
inline constexpr SettingField kDropShadow{L"dropshadow", SettingsGroup::kText,
                                          FlagSetting{&Settings::dropshadow, true}};
// 0 solid, 1 translucent, 2 none.
inline constexpr SettingField kTextBackground{
    L"textbackground", SettingsGroup::kText,
    DwordSetting{&Settings::textbackground, 1, kTextBackgroundRange}};
inline constexpr SettingField kBackground{
    L"Background", SettingsGroup::kText,
    ColourSetting{&Settings::Background,
                  ComposeColour(96, 16, 16),
                  {L"BackgroundR", L"BackgroundG", L"BackgroundB"}}};
inline constexpr SettingField kForeground{
    L"Foreground", SettingsGroup::kText,
    ColourSetting{&Settings::Foreground,
                  ComposeColour(255, 255, 128),
                  {L"ForegroundR", L"ForegroundG", L"ForegroundB"}}};

// 320 x 240
inline constexpr SettingField kImageSize{L"imagesize", SettingsGroup::kVideo,
                                         DwordSetting{&Settings::imagesize, 1, kImageSizeRange}};
inline constexpr SettingField kCrossbarInput{
    L"crossbarinput", SettingsGroup::kVideo,
    DwordSetting{&Settings::crossbarinput, 0, kCrossbarInputRange}};
inline constexpr SettingField kCaptureWidth{
    L"capturewidth", SettingsGroup::kVideo,
    DwordSetting{&Settings::capturewidth, 320, kPictureSideRange}};
inline constexpr SettingField kCaptureHeight{
    L"captureheight", SettingsGroup::kVideo,
    DwordSetting{&Settings::captureheight, 240, kPictureSideRange}};
inline constexpr SettingField kFlipHorizontal{L"fliphorizontal", SettingsGroup::kVideo,
                                              FlagSetting{&Settings::fliphorizontal, false}};
inline constexpr SettingField kFlipVertical{L"flipvertical", SettingsGroup::kVideo,
                                            FlagSetting{&Settings::flipvertical, false}};
inline constexpr SettingField kJpegQuality{L"JPEGquality", SettingsGroup::kVideo,
                                           DwordSetting{&Settings::JPEGquality, 75, kPercentRange}};
inline constexpr SettingField kUseCustomImageSize{
    L"UseCustomImageSize", SettingsGroup::kVideo,
    FlagSetting{&Settings::UseCustomImageSize, false}};
inline constexpr SettingField kCustomSizeX{
    L"CustomSizeX", SettingsGroup::kVideo,
    DwordSetting{&Settings::CustomSizeX, 320, kPictureSideRange}};
inline constexpr SettingField kCustomSizeY{
    L"CustomSizeY", SettingsGroup::kVideo,
    DwordSetting{&Settings::CustomSizeY, 240, kPictureSideRange}};
inline constexpr SettingField kCropX{L"CropX", SettingsGroup::kVideo,
                                     DwordSetting{&Settings::CropX, 0, kCropOriginRange}};
inline constexpr SettingField kCropY{L"CropY", SettingsGroup::kVideo,
                                     DwordSetting{&Settings::CropY, 0, kCropOriginRange}};
inline constexpr SettingField kCropWidth{
    L"CropWidth", SettingsGroup::kVideo,
    DwordSetting{&Settings::CropWidth, 320, kPictureSideRange}};
inline constexpr SettingField kCropHeight{
    L"CropHeight", SettingsGroup::kVideo,
    DwordSetting{&Settings::CropHeight, 240, kPictureSideRange}};
inline constexpr SettingField kCropEnable{L"CropEnable", SettingsGroup::kVideo,
                                          FlagSetting{&Settings::CropEnable, false}};
inline constexpr SettingField kWarmUpTime{
    L"warmuptime", SettingsGroup::kVideo,
    DwordSetting{&Settings::warmuptime, kWarmUpTimeDefault, kWarmUpTimeRange}};
inline constexpr SettingField kCaptureFormat{
    L"captureformat", SettingsGroup::kVideo,
    DwordSetting{&Settings::captureformat, 0, std::nullopt}};

inline constexpr SettingField kOverlayFileName{L"overlayfilename", SettingsGroup::kOverlay,
                                               StringSetting{&Settings::overlayfilename, L""}};
// original
inline constexpr SettingField kOverlayScale{
    L"overlayscale", SettingsGroup::kOverlay,
    DwordSetting{&Settings::overlayscale, 0, kOverlayScaleRange}};
inline constexpr SettingField kOverlayScalePercent{
    L"overlayscalepercent", SettingsGroup::kOverlay,
    DwordSetting{&Settings::overlayscalepercent, 100, kOverlayPercentRange}};
inline constexpr SettingField kOverlayPosition{
    L"overlayposition", SettingsGroup::kOverlay,
    DwordSetting{&Settings::overlayposition, 6, kPositionRange}};
inline constexpr SettingField kOverlayOpacity{
    L"overlayopacity", SettingsGroup::kOverlay,
    DwordSetting{&Settings::overlayopacity, 100, kPercentRange}};
inline constexpr SettingField kOverlayColourKey{L"overlaycolourkey", SettingsGroup::kOverlay,
                                                FlagSetting{&Settings::overlaycolourkey, false}};
inline constexpr SettingField kColourKey{
    L"ColourKey", SettingsGroup::kOverlay,
    ColourSetting{&Settings::ColourKey,
                  ComposeColour(255, 255, 255),
                  {L"ColourKeyR", L"ColourKeyG", L"ColourKeyB"}}};

// Full local path, and a path below the remote directory; both with fields.
inline constexpr SettingField kArchiveLocal{L"archivelocal", SettingsGroup::kArchive,
                                            StringSetting{&Settings::archivelocal, L""}};
inline constexpr SettingField kArchiveRemote{L"archiveremote", SettingsGroup::kArchive,
                                             StringSetting{&Settings::archiveremote, L""}};
inline constexpr SettingField kArchiveMinutes{
    L"archiveminutes", SettingsGroup::kArchive,
    DwordSetting{&Settings::archiveminutes, 0, kArchiveMinutesRange}};
inline constexpr SettingField kArchiveKeepDays{
    L"archivekeepdays", SettingsGroup::kArchive,
    DwordSetting{&Settings::archivekeepdays, 0, kArchiveKeepDaysRange}};
inline constexpr SettingField kArchiveKeepMb{
    L"archivekeepmb", SettingsGroup::kArchive,
    DwordSetting{&Settings::archivekeepmb, 0, kArchiveKeepMbRange}};

inline constexpr SettingField kDevicePath{L"devicePath", SettingsGroup::kDevice,
                                          StringSetting{&Settings::devicePath, L""}};
inline constexpr SettingField kDeviceType{
    L"deviceType", SettingsGroup::kDevice,
    DwordSetting{&Settings::deviceType, kDeviceCamera, kDeviceTypeRange}};

}  // namespace kelpo::setting
