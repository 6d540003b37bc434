#include "app/main_window.h"
#include "common/message_catalogue.h"
#include "picture/gdiplus_session.h"
#include "picture/picture_test_support.h"
#include "resources/resource.h"
#include "settings/registry_store.h"
#include "settings/run_at_logon_rules.h"
#include "settings/settings_rules.h"
#include "settings/settings_schema.h"
#include "support/kelpo_process.h"
#include "support/registry_fixture.h"
#include "ui/settings_page_rules.h"
#include "ui/sheet_test_support.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <variant>
#include <vector>

namespace kelpo {
namespace {

using test::Click;
using test::ClickLater;
using test::KelpoThread;
using test::SheetDriver;
using test::TextOf;
using test::Type;

constexpr wchar_t kSheetCaption[] = L"Kelpo Settings";
constexpr int kFileTransferTab = 0;
constexpr int kVideoCaptureTab = 1;
constexpr int kTextEffectsTab = 2;
constexpr int kOverlayTab = 3;
constexpr int kArchiveTab = 4;

constexpr int kFtpGroup[] = {IDC_FTP_SERVER,   IDC_FTP_USER, IDC_FTP_PASSWORD, IDC_FTP_DIRECTORY,
                             IDC_FTP_FILENAME, IDC_DIAL_UP,  IDC_PASSIVE_FTP};
constexpr int kTimerGroup[] = {IDC_TIME_VALUE, IDC_TIME_VALUE_SPIN, IDC_TIME_UNIT};
constexpr int kSaveToFileGroup[] = {IDC_LOCAL_FILE, IDC_LOCAL_FILE_BROWSE, IDC_LOCAL_FILE_OPEN};

std::wstring StoredString(const wchar_t* name) {
  std::wstring text;
  return ReadString(name, text) ? text : L"(absent)";
}

std::optional<std::uint32_t> StoredDword(const wchar_t* name) { return test::GetRawDword(name); }

std::wstring ProgramPath() {
  std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return std::wstring(path.data(), length);
}

std::optional<std::wstring> RunEntryText() {
  const std::optional<test::RawValue> entry = test::GetRunEntry();
  if (!entry) return std::nullopt;
  return std::wstring(reinterpret_cast<const wchar_t*>(entry->data.data()));
}

// Whether every control of a group is enabled (or every one disabled).
bool AllEnabled(const SheetDriver& sheet, int page, const int* first, const int* last,
                bool enabled) {
  return std::all_of(first, last, [&](int id) {
    return (::IsWindowEnabled(sheet.Control(page, id)) != FALSE) == enabled;
  });
}
template <std::size_t N>
bool GroupEnabled(const SheetDriver& sheet, int page, const int (&group)[N]) {
  return AllEnabled(sheet, page, group, group + N, true);
}
template <std::size_t N>
bool GroupDisabled(const SheetDriver& sheet, int page, const int (&group)[N]) {
  return AllEnabled(sheet, page, group, group + N, false);
}

bool Near(COLORREF a, COLORREF b, int tolerance = 8) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class SettingsSheetTest : public test::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    test::SavePng(*test::SolidBitmap(160, 120, test::kBlue), source);
    ASSERT_TRUE(WriteDword(L"deviceType", kDeviceImageFile));
    ASSERT_TRUE(WriteString(L"devicePath", source));
    ASSERT_TRUE(WriteDword(L"disableFTP", 1));
  }

  static void NotTheFirstStart() { ASSERT_TRUE(WriteDword(kFirstRunValue, 0)); }

  // Opens the sheet as the main window's "Settings..." button does.
  static SheetDriver OpenFromButton(KelpoThread& kelpo) {
    (void)::PostMessageW(kelpo.MainWindow(), WM_TRAYICON, 0, WM_LBUTTONDOWN);
    ClickLater(::GetDlgItem(kelpo.MainWindow(), IDC_SETTINGS));
    const HWND sheet = test::WaitForOwnWindow(kSheetCaption);
    EXPECT_NE(sheet, nullptr);
    return SheetDriver(sheet);
  }

  GdiplusSession gdiplus;
  test::ScratchFolder folder;
  std::wstring source = folder.File(L"source.png");
};

TEST_F(SettingsSheetTest, FirstStartOpensTheSheetOnFileTransferAndOkSavesOnlyThatPage) {
  KelpoThread kelpo;
  const HWND window = test::WaitForOwnWindow(kSheetCaption);
  ASSERT_NE(window, nullptr);
  const SheetDriver sheet(window);
  // Modal to the main window, which is shown on the first start.
  EXPECT_EQ(::GetWindow(window, GW_OWNER), kelpo.MainWindow());
  EXPECT_TRUE(::IsWindowVisible(kelpo.MainWindow()));
  EXPECT_FALSE(::IsWindowEnabled(kelpo.MainWindow()));

  // Five tabs in order, on the first; only its page exists so far.
  const auto tabs = reinterpret_cast<HWND>(::SendMessageW(window, PSM_GETTABCONTROL, 0, 0));
  ASSERT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 5);
  std::vector<std::wstring> captions;
  for (int i = 0; i < 5; ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    (void)::SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    captions.emplace_back(text);
  }
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"File Transfer", L"Video Capture",
                                                 L"Text Effects", L"Overlay", L"Archive"}));
  EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), kFileTransferTab);
  EXPECT_NE(sheet.Page(kFileTransferTab), nullptr);
  for (int tab : {kVideoCaptureTab, kTextEffectsTab, kOverlayTab, kArchiveTab}) {
    EXPECT_EQ(sheet.Page(tab), nullptr) << tab;
  }

  // Filling the page is no edit; typing is.
  EXPECT_FALSE(::IsWindowEnabled(sheet.ApplyButton()));
  EXPECT_EQ(TextOf(sheet.Control(kFileTransferTab, IDC_FTP_FILENAME)), L"webcam.jpg");
  EXPECT_EQ(TextOf(sheet.Control(kFileTransferTab, IDC_TIME_UNIT)), L"Minutes");
  Type(sheet.Control(kFileTransferTab, IDC_FTP_SERVER), L"ftp.example.com");
  Type(sheet.Control(kFileTransferTab, IDC_FTP_DIRECTORY), L"htdocs");
  EXPECT_TRUE(::IsWindowEnabled(sheet.ApplyButton()));
  EXPECT_EQ(kelpo.SettingsNow().server, L"");

  sheet.Ok();
  EXPECT_EQ(kelpo.SettingsNow().server, L"ftp.example.com");
  EXPECT_EQ(StoredString(L"server"), L"ftp.example.com");
  EXPECT_EQ(StoredString(L"directory"), L"htdocs");
  // The file-transfer group and nothing else: no text, video or overlay value.
  std::set<std::wstring> expected{kFirstRunValue, L"deviceType", L"devicePath"};
  for (const SettingField& field : SettingsSchema()) {
    if (field.group != SettingsGroup::kFileTransfer) continue;
    const auto* text = std::get_if<StringSetting>(&field.kind);
    expected.insert(text != nullptr && text->protectedName != nullptr ? text->protectedName
                                                                      : field.name);
  }
  EXPECT_EQ(test::ValueNames(), expected);
  EXPECT_FALSE(test::GetRunEntry().has_value());
}

// "Settings..." from the tray menu while the sheet is open and minimised
// brings that sheet back to the front; no second one opens.
TEST_F(SettingsSheetTest, SettingsAskedAgainBringsTheOpenSheetBack) {
  NotTheFirstStart();
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  (void)::ShowWindow(sheet.sheet(), SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(sheet.sheet()));
  (void)::PostMessageW(kelpo.MainWindow(), WM_COMMAND, IDM_TRAY_SETTINGS, 0);
  EXPECT_TRUE(test::WaitFor([&] { return !::IsIconic(sheet.sheet()); }, test::kDialogTimeout));
  EXPECT_EQ(::GetForegroundWindow(), sheet.sheet());
  int sheets = 0;
  (void)::EnumThreadWindows(
      ::GetWindowThreadProcessId(kelpo.MainWindow(), nullptr),
      [](HWND window, LPARAM count) -> BOOL {
        if (TextOf(window) == kSheetCaption) ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&sheets));
  EXPECT_EQ(sheets, 1);
  sheet.CloseBox();
}

TEST_F(SettingsSheetTest, IntervalIsCorrectedOnApplyAndTheTimerRestartsWithIt) {
  NotTheFirstStart();
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  const HWND interval = sheet.Control(kFileTransferTab, IDC_TIME_VALUE);
  for (const auto& [typed, shown] : std::initializer_list<std::pair<const wchar_t*, std::uint32_t>>{
           {L"0", 1}, {L"", 1}, {L"letters", 1}, {L"5000", 999}, {L"25", 25}}) {
    Type(interval, typed);
    ASSERT_TRUE(::IsWindowEnabled(sheet.ApplyButton())) << typed;
    sheet.Apply();
    EXPECT_EQ(TextOf(interval), std::to_wstring(shown)) << typed;
    EXPECT_EQ(kelpo.SettingsNow().timevalue, shown) << typed;
    EXPECT_EQ(StoredDword(L"timevalue"), shown) << typed;
    // Applied: Apply waits for the next edit, and what was applied cannot be cancelled.
    EXPECT_FALSE(::IsWindowEnabled(sheet.ApplyButton())) << typed;
  }
  EXPECT_EQ(TextOf(sheet.Button(IDOK)), L"Close");
  EXPECT_FALSE(::IsWindowEnabled(sheet.Button(IDCANCEL)));
  // The interval's arrows wrap around at their ends.
  Type(interval, L"999");
  test::PressKey(interval, VK_UP);
  EXPECT_EQ(TextOf(interval), L"1");
  test::PressKey(interval, VK_DOWN);
  EXPECT_EQ(TextOf(interval), L"999");

  // One second, a local copy chosen in the Save As dialog: the timer takes
  // pictures at the new period as soon as the page is applied.
  const std::wstring localFile = folder.File(L"copy.jpg");
  Type(interval, L"1");
  const HWND unit = sheet.Control(kFileTransferTab, IDC_TIME_UNIT);
  test::PressKey(unit, VK_HOME);
  EXPECT_EQ(TextOf(unit), L"Seconds");
  Click(sheet.Control(kFileTransferTab, IDC_SAVE_TO_FILE));
  ClickLater(sheet.Control(kFileTransferTab, IDC_LOCAL_FILE_BROWSE));
  test::CancelDialog(L"Save As");
  EXPECT_EQ(TextOf(sheet.Control(kFileTransferTab, IDC_LOCAL_FILE)), L"");
  ClickLater(sheet.Control(kFileTransferTab, IDC_LOCAL_FILE_BROWSE));
  test::ConfirmFileDialog(L"Save As", localFile);
  EXPECT_EQ(TextOf(sheet.Control(kFileTransferTab, IDC_LOCAL_FILE)), localFile);
  EXPECT_EQ(::GetFileAttributesW(localFile.c_str()), INVALID_FILE_ATTRIBUTES);
  sheet.Apply();
  EXPECT_EQ(StoredString(L"localfilename"), localFile);
  EXPECT_EQ(StoredDword(L"timeunit"), kTimeUnitSeconds);
  EXPECT_TRUE(test::WaitFor(
      [&] { return ::GetFileAttributesW(localFile.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000));
  sheet.Ok();
}

TEST_F(SettingsSheetTest, FileTransferGroupsFollowTheirBoxesAtOnceAndCancelKeepsWhatWasApplied) {
  NotTheFirstStart();
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  const int page = kFileTransferTab;
  // Stored: FTP off, timer on, no local copy.
  EXPECT_TRUE(GroupDisabled(sheet, page, kFtpGroup));
  EXPECT_TRUE(GroupEnabled(sheet, page, kTimerGroup));
  EXPECT_TRUE(GroupDisabled(sheet, page, kSaveToFileGroup));
  Click(sheet.Control(page, IDC_DISABLE_FTP));
  EXPECT_TRUE(GroupEnabled(sheet, page, kFtpGroup));
  Click(sheet.Control(page, IDC_DISABLE_TIMER));
  EXPECT_TRUE(GroupDisabled(sheet, page, kTimerGroup));
  Click(sheet.Control(page, IDC_SAVE_TO_FILE));
  EXPECT_TRUE(GroupEnabled(sheet, page, kSaveToFileGroup));
  // The boxes themselves stay usable.
  for (int box : {IDC_DISABLE_FTP, IDC_DISABLE_TIMER, IDC_SAVE_TO_FILE}) {
    EXPECT_TRUE(::IsWindowEnabled(sheet.Control(page, box))) << box;
  }
  Click(sheet.Control(page, IDC_DISABLE_FTP));
  EXPECT_TRUE(GroupDisabled(sheet, page, kFtpGroup));
  // Nothing of this is applied before Apply.
  EXPECT_TRUE(kelpo.SettingsNow().disableFTP);
  EXPECT_FALSE(kelpo.SettingsNow().disableTimer);

  // Text longer than a field keeps is cut.
  const std::wstring longName(600, L'n');
  Type(sheet.Control(page, IDC_FTP_SERVER), longName);
  sheet.Apply();
  // A local copy without a file to go to is no local copy.
  EXPECT_EQ(::IsDlgButtonChecked(sheet.Page(page), IDC_SAVE_TO_FILE), BST_UNCHECKED);
  EXPECT_TRUE(GroupDisabled(sheet, page, kSaveToFileGroup));
  EXPECT_FALSE(kelpo.SettingsNow().savetofile);
  EXPECT_EQ(StoredDword(L"savetofile"), 0u);
  EXPECT_EQ(kelpo.SettingsNow().server, longName.substr(0, 511));
  EXPECT_EQ(StoredString(L"server"), longName.substr(0, 511));
  EXPECT_TRUE(kelpo.SettingsNow().disableTimer);
  // The enable state is the page's, applied or not.
  EXPECT_TRUE(GroupDisabled(sheet, page, kTimerGroup));

  // Cancel (the close box, once Cancel reads Close) undoes nothing applied
  // and applies nothing since.
  Type(sheet.Control(page, IDC_FTP_SERVER), L"unapplied.example.com");
  sheet.CloseBox();
  EXPECT_EQ(kelpo.SettingsNow().server, longName.substr(0, 511));
  EXPECT_EQ(StoredString(L"server"), longName.substr(0, 511));
}

TEST_F(SettingsSheetTest, TheProtocolChoosesTheServerChecksAndABadPinIsNotApplied) {
  NotTheFirstStart();
  const std::wstring key = L"SHA256:" + std::wstring(43, L'k');
  ASSERT_TRUE(WriteString(L"hostkey", key));
  ASSERT_TRUE(WriteDword(L"passiveftp", 1));
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  const auto control = [&](int id) { return sheet.Control(kFileTransferTab, id); };
  const auto enabled = [&](int id) { return ::IsWindowEnabled(control(id)) != FALSE; };
  EXPECT_EQ(TextOf(control(IDC_HOST_KEY)), key);
  // SFTP: no passive mode, the host key and Forget, but only while uploading.
  test::PressKey(control(IDC_PROTOCOL), VK_END);
  test::PressKey(control(IDC_PROTOCOL), VK_UP);
  EXPECT_EQ(TextOf(control(IDC_PROTOCOL)), L"SFTP (SSH)");
  wchar_t hint[8] = {};
  (void)::SendMessageW(control(IDC_PORT), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(hint), 8);
  EXPECT_STREQ(hint, L"22");
  Click(control(IDC_DISABLE_FTP));
  EXPECT_FALSE(enabled(IDC_PASSIVE_FTP) || enabled(IDC_CERT_PIN));
  EXPECT_TRUE(enabled(IDC_HOST_KEY) && enabled(IDC_FORGET_HOST_KEY));
  Click(control(IDC_FORGET_HOST_KEY));
  EXPECT_EQ(TextOf(control(IDC_HOST_KEY)), L"None yet: stored at the first connection");
  EXPECT_EQ(StoredString(L"hostkey"), key);
  Click(control(IDC_DISABLE_FTP));
  sheet.Apply();
  EXPECT_EQ(StoredString(L"hostkey"), L"");
  EXPECT_EQ(StoredDword(L"protocol"), 2u);
  EXPECT_EQ(StoredDword(L"passiveftp"), 1u);

  // HTTPS: a pin that is no SHA-256 fingerprint is refused, and nothing applied.
  test::PressKey(control(IDC_PROTOCOL), VK_END);
  Click(control(IDC_DISABLE_FTP));
  EXPECT_TRUE(enabled(IDC_CERT_PIN) && !enabled(IDC_HOST_KEY));
  Type(control(IDC_CERT_PIN), L"12:34:56");
  ClickLater(sheet.ApplyButton());
  HWND box = nullptr;
  ASSERT_TRUE(
      test::WaitFor([&] { return (box = ::GetLastActivePopup(sheet.sheet())) != sheet.sheet(); },
                    test::kDialogTimeout));
  const std::wstring refusal = LoadText(kMsgCertPinInvalid, kErrorTextCapacity);
  EXPECT_NE(::FindWindowExW(box, nullptr, L"Static", refusal.c_str()), nullptr);
  Click(::GetDlgItem(box, IDOK));
  ASSERT_TRUE(test::WaitUntilGone(box));
  EXPECT_EQ(StoredDword(L"disableFTP"), 1u);
  Type(control(IDC_CERT_PIN), std::wstring(64, L'C'));
  Click(control(IDC_DISABLE_FTP));
  sheet.Ok();
  EXPECT_EQ(StoredString(L"certpin"), std::wstring(64, L'c'));
  EXPECT_EQ(StoredDword(L"protocol"), 3u);
}

TEST_F(SettingsSheetTest, EveryApplyBringsTheStartAtLogonEntryInLine) {
  NotTheFirstStart();
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  const std::wstring command = RunEntryCommand(ProgramPath());
  Click(sheet.Control(kFileTransferTab, IDC_RUN_AT_STARTUP));
  sheet.Apply();
  EXPECT_EQ(RunEntryText(), command);
  EXPECT_EQ(StoredDword(L"runatstartup"), 1u);
  // Another program changed the entry: the next apply writes it again.
  test::SetRunEntry(L"C:\\elsewhere\\kelpo.exe");
  Type(sheet.Control(kFileTransferTab, IDC_FTP_USER), L"webcam");
  sheet.Apply();
  EXPECT_EQ(RunEntryText(), command);
  Click(sheet.Control(kFileTransferTab, IDC_RUN_AT_STARTUP));
  sheet.Apply();
  EXPECT_FALSE(RunEntryText().has_value());
  // Absent already: applying again is no error.
  Type(sheet.Control(kFileTransferTab, IDC_FTP_USER), L"webcam2");
  sheet.Ok();
  EXPECT_FALSE(RunEntryText().has_value());
  EXPECT_EQ(StoredString(L"user"), L"webcam2");
}

TEST_F(SettingsSheetTest, TextEffectsListTheFontsKeepLineBreaksAndCorrectTheSize) {
  NotTheFirstStart();
  ASSERT_TRUE(WriteString(L"fontname", L"liberation sans"));
  ASSERT_TRUE(WriteDword(L"textposition", 12));
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  ASSERT_NE(sheet.ShowTab(kTextEffectsTab), nullptr);
  const int tab = kTextEffectsTab;
  // Filling a page shown later is no edit either.
  EXPECT_FALSE(::IsWindowEnabled(sheet.ApplyButton()));

  // Every installed family, sorted; the stored name found in another letter case.
  const HWND fonts = sheet.Control(tab, IDC_FONT_NAME);
  const auto count = ::SendMessageW(fonts, CB_GETCOUNT, 0, 0);
  EXPECT_GT(count, 1);
  std::vector<std::wstring> names;
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t name[LF_FACESIZE + 1] = {};
    (void)::SendMessageW(fonts, CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(name));
    names.emplace_back(name);
  }
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
    return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
  }));
  EXPECT_EQ(TextOf(fonts), L"Liberation Sans");
  // ClearType only where the system offers it.
  bool clearType = false;
  kelpo.Call([&](Application& application) { clearType = application.ClearTypeAvailable(); });
  EXPECT_EQ(::IsWindowEnabled(sheet.Control(tab, IDC_SMOOTH_CLEARTYPE)) != FALSE, clearType);
  // A stored position beyond the list has loaded as the first, which it always meant.
  EXPECT_EQ(::SendMessageW(sheet.Control(tab, IDC_TEXT_POSITION), CB_GETCURSEL, 0, 0), 0);

  const std::wstring message = L"Harbour cam\r\n" + std::wstring(600, L'~');
  Type(sheet.Control(tab, IDC_MESSAGE), message);
  EXPECT_EQ(TextOf(sheet.Control(tab, IDC_MESSAGE)), message.substr(0, 511));
  const HWND size = sheet.Control(tab, IDC_FONT_SIZE);
  Type(size, L"0");
  sheet.Apply();
  EXPECT_EQ(TextOf(size), L"1");
  EXPECT_EQ(StoredDword(L"fontsize"), 1u);
  Type(size, L"1000");
  sheet.Apply();
  EXPECT_EQ(TextOf(size), L"999");
  // The size's arrows stop at the end.
  test::PressKey(size, VK_UP);
  EXPECT_EQ(TextOf(size), L"999");
  const Settings applied = kelpo.SettingsNow();
  EXPECT_EQ(applied.fontsize, 999u);
  EXPECT_EQ(applied.wisdom, message.substr(0, 511));
  EXPECT_EQ(StoredString(L"wisdom"), message.substr(0, 511));
  EXPECT_EQ(applied.fontname, L"Liberation Sans");
  EXPECT_EQ(StoredString(L"fontname"), L"Liberation Sans");
  EXPECT_EQ(StoredDword(L"textposition"), 0u);

  // Tabs never shown are not applied.
  sheet.Ok();
  for (const SettingField& field : SettingsSchema()) {
    if (field.group == SettingsGroup::kVideo || field.group == SettingsGroup::kOverlay) {
      EXPECT_EQ(test::ValueNames().count(field.name), 0u) << field.name;
    }
  }
  // A font no longer installed is shown, and kept by an apply.
  kelpo.Call([](Application& application) { application.settings().fontname = L"Gone Sans"; });
  const SheetDriver again = OpenFromButton(kelpo);
  ASSERT_NE(again.ShowTab(kTextEffectsTab), nullptr);
  EXPECT_EQ(TextOf(again.Control(tab, IDC_FONT_NAME)), L"Gone Sans");
  Click(again.Control(tab, IDC_FONT_BOLD));
  again.Apply();
  EXPECT_EQ(kelpo.SettingsNow().fontname, L"Gone Sans");
  EXPECT_EQ(StoredString(L"fontname"), L"Gone Sans");
  again.Ok();
}

TEST_F(SettingsSheetTest, AColourChoiceIsInForceAndSavedAtOnce) {
  NotTheFirstStart();
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  ASSERT_NE(sheet.ShowTab(kTextEffectsTab), nullptr);
  const int tab = kTextEffectsTab;
  // An edit left unapplied stays unapplied when the colour is saved.
  Type(sheet.Control(tab, IDC_MESSAGE), L"not applied");

  const COLORREF sea = RGB(0, 128, 255);
  ClickLater(sheet.Control(tab, IDC_BACKGROUND));
  test::ConfirmColourDialog(sea);
  EXPECT_TRUE(test::WaitFor([&] { return kelpo.SettingsNow().Background == sea; }, 2000));
  EXPECT_EQ(StoredDword(L"BackgroundR"), 0u);
  EXPECT_EQ(StoredDword(L"BackgroundG"), 128u);
  EXPECT_EQ(StoredDword(L"BackgroundB"), 255u);
  EXPECT_EQ(StoredString(L"wisdom"), L"");
  EXPECT_TRUE(test::WaitFor([&] { return TextOf(sheet.Button(IDOK)) == L"Close"; }, 2000));
  // The sample shows the colour at once.
  EXPECT_TRUE(Near(test::PixelOf(sheet.Control(tab, IDC_COLOUR_SAMPLE), 3, 3), sea));

  // A cancelled dialog changes nothing.
  ClickLater(sheet.Control(tab, IDC_FOREGROUND));
  test::CancelDialog(L"Color");
  const COLORREF sun = RGB(250, 200, 20);
  ClickLater(sheet.Control(tab, IDC_FOREGROUND));
  test::ConfirmColourDialog(sun);
  EXPECT_TRUE(test::WaitFor([&] { return kelpo.SettingsNow().Foreground == sun; }, 2000));
  EXPECT_EQ(StoredDword(L"ForegroundB"), 20u);

  sheet.CloseBox();
  EXPECT_EQ(kelpo.SettingsNow().Background, sea);
  EXPECT_EQ(kelpo.SettingsNow().wisdom, L"");
  EXPECT_EQ(StoredDword(L"BackgroundB"), 255u);
}

TEST_F(SettingsSheetTest, OverlayPreviewFollowsTheControlsAndClearStoresNoFile) {
  NotTheFirstStart();
  const std::wstring green = folder.File(L"green.png");
  const std::wstring red = folder.File(L"red.png");
  test::SavePng(*test::SolidBitmap(100, 100, test::kGreen), green);
  test::SavePng(*test::SolidBitmap(100, 100, test::kRed), red);
  ASSERT_TRUE(WriteString(L"overlayfilename", green));
  ASSERT_TRUE(WriteDword(L"overlayposition", 4));  // centre
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  ASSERT_NE(sheet.ShowTab(kOverlayTab), nullptr);
  const int tab = kOverlayTab;
  EXPECT_FALSE(::IsWindowEnabled(sheet.ApplyButton()));
  const HWND preview = sheet.Control(tab, IDC_OVERLAY_PREVIEW);
  RECT area{};
  ASSERT_TRUE(::GetClientRect(preview, &area));
  const auto centre = [&] { return test::PixelOf(preview, area.right / 2, area.bottom / 2); };
  EXPECT_TRUE(Near(centre(), RGB(0, 255, 0)));
  EXPECT_EQ(TextOf(sheet.Control(tab, IDC_OVERLAY_FILE)), green);

  // The opacity slider moves: its number and the preview follow each step.
  const HWND opacity = sheet.Control(tab, IDC_OVERLAY_OPACITY);
  EXPECT_EQ(TextOf(sheet.Control(tab, IDC_OVERLAY_OPACITY_TEXT)), L"100");
  test::PressKey(opacity, VK_LEFT);
  EXPECT_EQ(TextOf(sheet.Control(tab, IDC_OVERLAY_OPACITY_TEXT)), L"99");
  EXPECT_TRUE(::IsWindowEnabled(sheet.ApplyButton()));
  test::PressKey(opacity, VK_HOME);
  EXPECT_EQ(TextOf(sheet.Control(tab, IDC_OVERLAY_OPACITY_TEXT)), L"0");
  EXPECT_FALSE(Near(centre(), RGB(0, 255, 0), 60));
  test::PressKey(opacity, VK_END);
  EXPECT_TRUE(Near(centre(), RGB(0, 255, 0)));

  // The percentage goes with its radio button.
  EXPECT_FALSE(::IsWindowEnabled(sheet.Control(tab, IDC_OVERLAY_PERCENT)));
  Click(sheet.Control(tab, IDC_OVERLAY_PERCENTAGE));
  EXPECT_TRUE(::IsWindowEnabled(sheet.Control(tab, IDC_OVERLAY_PERCENT)));
  EXPECT_TRUE(::IsWindowEnabled(sheet.Control(tab, IDC_OVERLAY_PERCENT_TEXT)));
  Click(sheet.Control(tab, IDC_OVERLAY_ORIGINAL_SIZE));
  EXPECT_FALSE(::IsWindowEnabled(sheet.Control(tab, IDC_OVERLAY_PERCENT)));

  // Another file through the open dialog.
  ClickLater(sheet.Control(tab, IDC_OVERLAY_BROWSE));
  test::ConfirmFileDialog(L"Overlay Image", red);
  EXPECT_EQ(TextOf(sheet.Control(tab, IDC_OVERLAY_FILE)), red);
  EXPECT_TRUE(Near(centre(), RGB(255, 0, 0)));

  // Clear, then Apply: no file stored, and none in the preview.
  Click(sheet.Control(tab, IDC_OVERLAY_CLEAR));
  EXPECT_EQ(TextOf(sheet.Control(tab, IDC_OVERLAY_FILE)), L"");
  EXPECT_FALSE(Near(centre(), RGB(255, 0, 0), 60));
  sheet.Apply();
  EXPECT_EQ(kelpo.SettingsNow().overlayfilename, L"");
  EXPECT_EQ(StoredString(L"overlayfilename"), L"");
  EXPECT_EQ(StoredDword(L"ColourKeyR"), 255u);

  // A key colour chosen and then cancelled with the sheet never reaches the settings.
  EXPECT_FALSE(::IsWindowEnabled(sheet.Control(tab, IDC_OVERLAY_CHOOSE_COLOUR)));
  Click(sheet.Control(tab, IDC_OVERLAY_COLOUR_KEY));
  ASSERT_TRUE(::IsWindowEnabled(sheet.Control(tab, IDC_OVERLAY_CHOOSE_COLOUR)));
  const COLORREF key = RGB(10, 20, 30);
  ClickLater(sheet.Control(tab, IDC_OVERLAY_CHOOSE_COLOUR));
  test::ConfirmColourDialog(key);
  EXPECT_TRUE(test::WaitFor(
      [&] { return Near(test::PixelOf(sheet.Control(tab, IDC_OVERLAY_SWATCH), 3, 3), key); },
      2000));
  sheet.CloseBox();
  EXPECT_EQ(kelpo.SettingsNow().ColourKey, ComposeColour(255, 255, 255));
  EXPECT_EQ(StoredDword(L"ColourKeyR"), 255u);
  EXPECT_EQ(StoredDword(L"overlaycolourkey"), 0u);
}

TEST_F(SettingsSheetTest, ArchiveSavesItsFiveSettingsAndShowsTheNamesOfAPictureTakenNow) {
  NotTheFirstStart();
  ASSERT_TRUE(WriteDword(L"disableTimer", 1));
  ASSERT_TRUE(WriteString(L"directory", L"cam"));
  // Outside the user's profile, where Wine's folder browser at its first start
  // may stop short of the folder it is asked to select.
  (void)::CreateDirectoryW(L"C:\\kelpo-browse", nullptr);
  const std::wstring local = L"C:\\kelpo-browse\\%Y\\100%%.jpg";
  ASSERT_TRUE(WriteString(L"archivelocal", local));
  ASSERT_TRUE(WriteDword(L"archivekeepdays", 30));
  KelpoThread kelpo;
  const SheetDriver sheet = OpenFromButton(kelpo);
  // Unapplied edits on the File Transfer tab show on the Archive tab.
  Type(sheet.Control(kFileTransferTab, IDC_FTP_FILENAME), L"%Y.jpg");
  Click(sheet.Control(kFileTransferTab, IDC_DISABLE_FTP));
  Click(sheet.Control(kFileTransferTab, IDC_SAVE_TO_FILE));
  ASSERT_NE(sheet.ShowTab(kArchiveTab), nullptr);
  const auto control = [&](int id) { return sheet.Control(kArchiveTab, id); };
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const std::wstring year = std::to_wstring(now.wYear);
  EXPECT_EQ(TextOf(control(IDC_ARCHIVE_LOCAL)), local);
  EXPECT_EQ(TextOf(control(IDC_ARCHIVE_LOCAL_EXAMPLE)),
            L"Now: C:\\kelpo-browse\\" + year + L"\\100%.jpg");
  EXPECT_EQ(TextOf(control(IDC_ARCHIVE_REMOTE_EXAMPLE)), L"None");
  EXPECT_EQ(TextOf(control(IDC_FRESH_REMOTE_EXAMPLE)), L"Now: cam/" + year + L".jpg");
  EXPECT_EQ(TextOf(control(IDC_FRESH_LOCAL_EXAMPLE)), L"None");
  EXPECT_EQ(TextOf(control(IDC_ARCHIVE_KEEP_DAYS)), L"30");
  // "Browse..." starts in the archive's folder, and a folder chosen keeps the fields.
  ClickLater(control(IDC_ARCHIVE_BROWSE));
  const HWND browser = test::WaitForOwnWindow(L"Browse for Folder");
  ASSERT_NE(browser, nullptr);
  Click(::GetDlgItem(browser, IDOK));
  ASSERT_TRUE(test::WaitUntilGone(browser));
  EXPECT_EQ(TextOf(control(IDC_ARCHIVE_LOCAL)), local);
  // The example follows the typing.
  Type(control(IDC_ARCHIVE_REMOTE), L"old/%Y%%");
  EXPECT_EQ(TextOf(control(IDC_ARCHIVE_REMOTE_EXAMPLE)), L"Now: cam/old/" + year + L"%");

  // A relative local archive, or a remote one above the directory, is refused.
  for (const auto& [id, bad] : {std::pair{IDC_ARCHIVE_LOCAL, L"history\\%Y.jpg"},
                                std::pair{IDC_ARCHIVE_REMOTE, L"../%Y.jpg"}}) {
    const std::wstring kept = TextOf(control(id));
    Type(control(id), bad);
    ClickLater(sheet.ApplyButton());
    HWND box = nullptr;
    ASSERT_TRUE(
        test::WaitFor([&] { return (box = ::GetLastActivePopup(sheet.sheet())) != sheet.sheet(); },
                      test::kDialogTimeout));
    Click(::GetDlgItem(box, IDOK));
    ASSERT_TRUE(test::WaitUntilGone(box));
    EXPECT_EQ(StoredString(L"archiveremote"), L"(absent)") << bad;
    Type(control(id), kept);
  }
  // Numbers are brought into their ranges; an empty one is no limit.
  Type(control(IDC_ARCHIVE_MINUTES), L"99999999");
  Type(control(IDC_ARCHIVE_KEEP_DAYS), L"");
  Type(control(IDC_ARCHIVE_KEEP_MB), L"500");
  sheet.Ok();
  const Settings applied = kelpo.SettingsNow();
  EXPECT_EQ(StoredString(L"archivelocal"), local);
  EXPECT_EQ(StoredString(L"archiveremote"), L"old/%Y%%");
  EXPECT_EQ(applied.archiveremote, L"old/%Y%%");
  const auto* minutes = std::get_if<DwordSetting>(&FindSetting(L"archiveminutes")->kind);
  ASSERT_TRUE(minutes != nullptr && minutes->loadRange);
  EXPECT_EQ(StoredDword(L"archiveminutes"), minutes->loadRange->hi);
  EXPECT_EQ(StoredDword(L"archivekeepdays"), 0u);
  EXPECT_EQ(StoredDword(L"archivekeepmb"), 500u);
  EXPECT_EQ(applied.archivekeepmb, 500u);
  (void)::RemoveDirectoryW(L"C:\\kelpo-browse");
}

}  // namespace
}  // namespace kelpo
