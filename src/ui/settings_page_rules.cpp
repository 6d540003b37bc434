#include "ui/settings_page_rules.h"

#include "resources/resource.h"
#include "settings/setting_rows.h"
#include "settings/settings_rules.h"

#include <limits>

namespace kelpo {

namespace {

using R = BindingRole;
using M = MissingInput;
using G = SettingsGroup;

// File Transfer page.
constexpr ControlBinding kFileTransferControls[] = {
    {IDC_FTP_SERVER, setting::kServer, R::kText},
    {IDC_FTP_USER, setting::kUser, R::kText},
    {IDC_FTP_PASSWORD, setting::kPassword, R::kText},
    {IDC_FTP_DIRECTORY, setting::kDirectory, R::kText},
    {IDC_FTP_FILENAME, setting::kFilename, R::kText},
    {IDC_TIME_VALUE, setting::kTimeValue, R::kNumber},
    {IDC_TIME_UNIT, setting::kTimeUnit, R::kListIndex},
    {IDC_DIAL_UP, setting::kDialUp, R::kCheck},
    {IDC_PASSIVE_FTP, setting::kPassiveFtp, R::kCheck},
    {IDC_RUN_AT_STARTUP, setting::kRunAtStartup, R::kCheck},
    {IDC_DISABLE_FTP, setting::kDisableFtp, R::kCheck},
    {IDC_DISABLE_TIMER, setting::kDisableTimer, R::kCheck},
    {IDC_SAVE_TO_FILE, setting::kSaveToFile, R::kCheck},
    {IDC_LOCAL_FILE, setting::kLocalFileName, R::kText},
    {IDC_PROTOCOL, setting::kProtocol, R::kListIndex, M::kKept},
    {IDC_PORT, setting::kPort, R::kNumber},
    {IDC_CERT_PIN, setting::kCertPin, R::kText},
};
// The page itself enables the passive box, the host key and the certificate
// pin by the protocol as well.
constexpr int kFtpGroup[] = {IDC_PROTOCOL,     IDC_FTP_SERVER,   IDC_PORT,
                             IDC_FTP_USER,     IDC_FTP_PASSWORD, IDC_FTP_DIRECTORY,
                             IDC_FTP_FILENAME, IDC_DIAL_UP,      IDC_PASSIVE_FTP};
constexpr int kTimerGroup[] = {IDC_TIME_VALUE, IDC_TIME_VALUE_SPIN, IDC_TIME_UNIT};
constexpr int kSaveToFileGroup[] = {IDC_LOCAL_FILE, IDC_LOCAL_FILE_BROWSE, IDC_LOCAL_FILE_OPEN};
constexpr EnableRule kFileTransferRules[] = {
    {IDC_DISABLE_FTP, false, ViewOf(kFtpGroup)},
    {IDC_DISABLE_TIMER, false, ViewOf(kTimerGroup)},
    {IDC_SAVE_TO_FILE, true, ViewOf(kSaveToFileGroup)},
};
constexpr PageLayout kFileTransferLayout{
    G::kFileTransfer, ViewOf(kFileTransferControls), {}, ViewOf(kFileTransferRules)};
static_assert(LayoutFits(kFileTransferLayout));

// Video Capture page. The size radio buttons show a flag, and the video
// source list and device buttons belong to the device, not to a setting.
constexpr ControlBinding kVideoCaptureControls[] = {
    {IDC_IMAGE_SIZE, setting::kImageSize, R::kListIndex},
    {IDC_CUSTOM_WIDTH, setting::kCustomSizeX, R::kNumber, M::kKept},
    {IDC_CUSTOM_HEIGHT, setting::kCustomSizeY, R::kNumber, M::kKept},
    {IDC_FLIP_HORIZONTAL, setting::kFlipHorizontal, R::kCheck},
    {IDC_FLIP_VERTICAL, setting::kFlipVertical, R::kCheck},
    {IDC_JPEG_QUALITY, setting::kJpegQuality, R::kSlider},
    {IDC_CROP_ENABLE, setting::kCropEnable, R::kCheck},
    {IDC_CROP_LEFT, setting::kCropX, R::kNumber, M::kKept},
    {IDC_CROP_TOP, setting::kCropY, R::kNumber, M::kKept},
    {IDC_CROP_WIDTH, setting::kCropWidth, R::kNumber, M::kKept},
    {IDC_CROP_HEIGHT, setting::kCropHeight, R::kNumber, M::kKept},
};
constexpr int kStandardSizeGroup[] = {IDC_IMAGE_SIZE};
constexpr int kCustomSizeGroup[] = {IDC_CUSTOM_WIDTH, IDC_CUSTOM_HEIGHT};
constexpr int kCropGroup[] = {IDC_CROP_LEFT, IDC_CROP_TOP, IDC_CROP_WIDTH, IDC_CROP_HEIGHT};
constexpr EnableRule kVideoCaptureRules[] = {
    {IDC_STANDARD_SIZE, true, ViewOf(kStandardSizeGroup)},
    {IDC_CUSTOM_SIZE, true, ViewOf(kCustomSizeGroup)},
    {IDC_CROP_ENABLE, true, ViewOf(kCropGroup)},
};
constexpr PageLayout kVideoCaptureLayout{
    G::kVideo, ViewOf(kVideoCaptureControls), {}, ViewOf(kVideoCaptureRules)};
static_assert(LayoutFits(kVideoCaptureLayout));

// Text Effects page. The colours have buttons of their own.
constexpr ControlBinding kTextEffectsControls[] = {
    {IDC_MESSAGE, setting::kWisdom, R::kText},
    {IDC_DATE_STAMP, setting::kDateStamp, R::kCheck},
    {IDC_TIME_STAMP, setting::kTimeStamp, R::kCheck},
    {IDC_TEXT_POSITION, setting::kTextPosition, R::kListIndex, M::kKept},
    {IDC_FONT_NAME, setting::kFontName, R::kListText},
    {IDC_FONT_SIZE, setting::kFontSize, R::kNumber},
    {IDC_FONT_BOLD, setting::kFontBold, R::kCheck},
    {IDC_FONT_ITALIC, setting::kFontItalic, R::kCheck},
    {IDC_FONT_UNDERLINE, setting::kFontUnderline, R::kCheck},
    {IDC_FONT_STRIKEOUT, setting::kFontStrikeout, R::kCheck},
    {IDC_DROP_SHADOW, setting::kDropShadow, R::kCheck},
    {IDC_BACKGROUND_STYLE, setting::kTextBackground, R::kListIndex, M::kKept},
};
constexpr int kSmoothingButtons[] = {IDC_SMOOTH_NONE, IDC_SMOOTH_STANDARD, IDC_SMOOTH_CLEARTYPE};
constexpr RadioBinding kTextEffectsRadios[] = {
    {setting::kSmoothType, ViewOf(kSmoothingButtons), kSmoothStandard},
};
constexpr PageLayout kTextEffectsLayout{
    G::kText, ViewOf(kTextEffectsControls), ViewOf(kTextEffectsRadios), {}};
static_assert(LayoutFits(kTextEffectsLayout));

// Overlay page. The key colour has a button of its own.
constexpr ControlBinding kOverlayControls[] = {
    {IDC_OVERLAY_FILE, setting::kOverlayFileName, R::kText},
    {IDC_OVERLAY_PERCENT, setting::kOverlayScalePercent, R::kSlider},
    {IDC_OVERLAY_OPACITY, setting::kOverlayOpacity, R::kSlider},
    {IDC_OVERLAY_COLOUR_KEY, setting::kOverlayColourKey, R::kCheck},
    {IDC_OVERLAY_POSITION, setting::kOverlayPosition, R::kListIndex, M::kKept},
};
// In the order of the values: original size, best fit, percentage.
constexpr int kScaleButtons[] = {IDC_OVERLAY_ORIGINAL_SIZE, IDC_OVERLAY_BEST_FIT,
                                 IDC_OVERLAY_PERCENTAGE};
constexpr RadioBinding kOverlayRadios[] = {
    {setting::kOverlayScale, ViewOf(kScaleButtons), 0},
};
constexpr int kColourKeyGroup[] = {IDC_OVERLAY_CHOOSE_COLOUR};
constexpr int kPercentageGroup[] = {IDC_OVERLAY_PERCENT, IDC_OVERLAY_PERCENT_TEXT};
constexpr EnableRule kOverlayRules[] = {
    {IDC_OVERLAY_COLOUR_KEY, true, ViewOf(kColourKeyGroup)},
    {IDC_OVERLAY_PERCENTAGE, true, ViewOf(kPercentageGroup)},
};
constexpr PageLayout kOverlayLayout{G::kOverlay, ViewOf(kOverlayControls), ViewOf(kOverlayRadios),
                                    ViewOf(kOverlayRules)};
static_assert(LayoutFits(kOverlayLayout));

// Archive page. An empty name keeps no archive there, so no box enables them;
// an empty number is 0, which means no limit.
constexpr ControlBinding kArchiveControls[] = {
    {IDC_ARCHIVE_LOCAL, setting::kArchiveLocal, R::kText},
    {IDC_ARCHIVE_REMOTE, setting::kArchiveRemote, R::kText},
    {IDC_ARCHIVE_MINUTES, setting::kArchiveMinutes, R::kNumber},
    {IDC_ARCHIVE_KEEP_DAYS, setting::kArchiveKeepDays, R::kNumber},
    {IDC_ARCHIVE_KEEP_MB, setting::kArchiveKeepMb, R::kNumber},
};
constexpr PageLayout kArchiveLayout{G::kArchive, ViewOf(kArchiveControls), {}, {}};
static_assert(LayoutFits(kArchiveLayout));

constexpr bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

const PageLayout& FileTransferLayout() { return kFileTransferLayout; }
const PageLayout& VideoCaptureLayout() { return kVideoCaptureLayout; }
const PageLayout& TextEffectsLayout() { return kTextEffectsLayout; }
const PageLayout& OverlayLayout() { return kOverlayLayout; }
const PageLayout& ArchiveLayout() { return kArchiveLayout; }

const SettingField* FindSetting(std::wstring_view name) {
  for (const SettingField& field : SettingsSchema()) {
    if (name == field.name) return &field;
  }
  return nullptr;
}

std::optional<std::uint32_t> ParseUnsigned(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
  constexpr std::uint64_t kBase = 10;
  std::uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * kBase + static_cast<std::uint64_t>(c - L'0');
    if (value > kMax) value = kMax;
  }
  return static_cast<std::uint32_t>(value);
}

std::uint32_t NumberFromText(std::wstring_view text, std::uint32_t current,
                             const std::optional<SettingRange>& range, MissingInput missing) {
  const std::optional<std::uint32_t> number = ParseUnsigned(text);
  if (!range) return number.value_or(current);
  if (!number && missing == MissingInput::kKept) return current;
  return InRange(number.value_or(0), *range);
}

std::uint32_t IndexFromSelection(long selection, std::uint32_t current,
                                 const std::optional<SettingRange>& range, MissingInput missing) {
  if (selection < 0 && (!range || missing == MissingInput::kKept)) return current;
  const auto index = static_cast<std::uint32_t>(selection);
  return range ? InRange(index, *range) : index;
}

std::wstring CutToFieldLength(std::wstring text) {
  if (text.size() > kMaxFieldLength) text.resize(kMaxFieldLength);
  return text;
}

std::size_t RadioIndexFor(const RadioBinding& radios, std::uint32_t value) {
  return value < radios.buttons.size() ? value : radios.fallback;
}

std::uint32_t RadioValue(const RadioBinding& radios, std::optional<std::size_t> checked) {
  if (!checked || *checked >= radios.buttons.size()) return radios.fallback;
  return static_cast<std::uint32_t>(*checked);
}

}  // namespace kelpo
