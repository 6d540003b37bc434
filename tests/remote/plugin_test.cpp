// The plug-in's exports as the host calls them, against a stand-in Kelpo window.
#include "plugin_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kelpo::remote::test {
namespace {

// Long enough for an asynchronous PlaySound to open its file.
constexpr DWORD kSoundWait = 2000;
// Long enough to be sure a sound that should not start did not.
constexpr DWORD kSilenceWait = 500;

TEST(RemoteExports, OffersTakeAPictureAndItsKeyGroups) {
  Plugin plugin;
  ASSERT_NE(plugin.whatKeysDoYouWant, nullptr);
  ASSERT_NE(plugin.enumerateProgrammableFunction, nullptr);
  ASSERT_NE(plugin.areYouInFocus, nullptr);
  ASSERT_NE(plugin.handleKey, nullptr);
  ASSERT_NE(plugin.configure, nullptr);

  EXPECT_EQ(plugin.whatKeysDoYouWant(), 2050u);
  ASSERT_NE(plugin.enumerateProgrammableFunction(0), nullptr);
  EXPECT_STREQ(plugin.enumerateProgrammableFunction(0), "Take a Picture");
  ASSERT_NE(plugin.enumerateProgrammableFunction(0x10000), nullptr);
  EXPECT_STREQ(plugin.enumerateProgrammableFunction(0x10000), "Take a Picture");
  EXPECT_EQ(plugin.enumerateProgrammableFunction(1), nullptr);
  EXPECT_EQ(plugin.enumerateProgrammableFunction(0xFFFFFFFFu), nullptr);
}

TEST(RemoteHandleKey, RequestsAPictureForItsKeysOnly) {
  CleanRemoteKey key;
  SetSound(0);
  Plugin plugin;
  ASSERT_NE(plugin.handleKey, nullptr);
  StandInKelpo kelpo;

  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  PumpMessages(100);
  EXPECT_EQ(kelpo.captures(), 1);

  EXPECT_EQ(plugin.handleKey(1, 1, 1), FALSE);
  EXPECT_EQ(plugin.handleKey(0, 0, 1), FALSE);
  EXPECT_EQ(plugin.handleKey(1, 0, 2), FALSE);
  EXPECT_EQ(plugin.handleKey(0, 40, 0), FALSE);
  EXPECT_EQ(plugin.handleKey(0, 40, 0xFFFFFFFFu), FALSE);
  PumpMessages(100);
  EXPECT_EQ(kelpo.captures(), 1);

  EXPECT_EQ(plugin.handleKey(0, 40, 1), TRUE);
  // Only the low 16 bits of key and event count; any non-zero flag is programmable.
  EXPECT_EQ(plugin.handleKey(0xFFFFFFFFu, 0xFFFF0000u, 0x12340001u), TRUE);
  EXPECT_EQ(plugin.handleKey(0, 0x10028, 0x10001), TRUE);
  PumpMessages(100);
  EXPECT_EQ(kelpo.captures(), 4);
}

TEST(RemoteHandleKey, ReachesTheMainWindowWhileAKelpoMessageBoxIsOpen) {
  CleanRemoteKey key;
  SetSound(0);
  Plugin plugin;
  ASSERT_NE(plugin.handleKey, nullptr);
  {
    // A Kelpo from before the property: its window is the only one.
    StandInKelpo older;
    EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
    PumpMessages(100);
    EXPECT_EQ(older.captures(), 1);
  }
  StandInKelpo kelpo(true);
  StandInKelpo box;
  (void)::ShowWindow(box.window(), SW_SHOW);
  ASSERT_EQ(::FindWindowW(L"#32770", L"Kelpo"), box.window());
  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  PumpMessages(100);
  EXPECT_EQ(kelpo.captures(), 1);
  EXPECT_EQ(box.captures(), 0);
}

TEST(RemoteHandleKey, WithoutKelpoEveryCallIsZeroAndSilent) {
  CleanRemoteKey key;
  SoundFileProbe probe;
  SetSound(2);
  SetSoundFile(probe.path());
  Plugin plugin;
  ASSERT_NE(plugin.handleKey, nullptr);

  EXPECT_EQ(plugin.handleKey(1, 0, 1), FALSE);
  EXPECT_EQ(plugin.handleKey(0, 40, 1), FALSE);
  EXPECT_EQ(plugin.handleKey(1, 1, 1), FALSE);
  EXPECT_EQ(plugin.handleKey(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu), FALSE);
  EXPECT_FALSE(probe.Opened(kSilenceWait));
}

TEST(RemoteHandleKey, PlaysTheSoundFileOnlyWhenSoundIsTwo) {
  CleanRemoteKey key;
  Plugin plugin;
  ASSERT_NE(plugin.handleKey, nullptr);
  StandInKelpo kelpo;

  for (DWORD silent : {0u, 1u, 3u}) {
    SoundFileProbe probe;
    SetSound(silent);
    SetSoundFile(probe.path());
    EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
    EXPECT_FALSE(probe.Opened(kSilenceWait)) << "sound " << silent;
  }

  SoundFileProbe probe;
  SetSound(2);
  SetSoundFile(probe.path());
  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  EXPECT_TRUE(probe.Opened(kSoundWait));
  PumpMessages(100);
  EXPECT_EQ(kelpo.captures(), 4);
}

TEST(RemoteHandleKey, MalformedSoundValuesGiveNoFileSound) {
  CleanRemoteKey key;
  Plugin plugin;
  ASSERT_NE(plugin.handleKey, nullptr);
  StandInKelpo kelpo;

  // `sound` 2 stored as text or as 8 bytes counts as absent: the beep, not the file.
  SoundFileProbe textProbe;
  SetRawValue("sound", REG_SZ, "2", 2);
  SetSoundFile(textProbe.path());
  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  EXPECT_FALSE(textProbe.Opened(kSilenceWait));

  SoundFileProbe wideProbe;
  const unsigned long long wide = 2;
  SetRawValue("sound", REG_QWORD, &wide, sizeof(wide));
  SetSoundFile(wideProbe.path());
  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  EXPECT_FALSE(wideProbe.Opened(kSilenceWait));

  // An unterminated file name is no file name.
  SetSound(2);
  SoundFileProbe unterminatedProbe;
  SetUnterminatedString("soundfile", unterminatedProbe.path());
  EXPECT_EQ(plugin.handleKey(1, 0, 1), TRUE);
  EXPECT_FALSE(unterminatedProbe.Opened(kSilenceWait));
  PumpMessages(100);
  EXPECT_EQ(kelpo.captures(), 3);
}

// A plain top-level window, optionally owned, shown and brought to the front.
unique_hwnd FrontWindow(HWND owner) {
  unique_hwnd window(::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 10, 10, 50,
                                       50, owner, nullptr, nullptr, nullptr));
  EXPECT_TRUE(window);
  (void)::SetForegroundWindow(window.get());
  PumpMessages(50);
  return window;
}

TEST(RemoteFocus, KelpoOrAWindowItOwnsInFront) {
  Plugin plugin;
  ASSERT_NE(plugin.areYouInFocus, nullptr);
  {
    const unique_hwnd other = FrontWindow(nullptr);
    ASSERT_EQ(::GetForegroundWindow(), other.get());
    EXPECT_EQ(plugin.areYouInFocus(), FALSE);
  }

  StandInKelpo kelpo;
  (void)::ShowWindow(kelpo.window(), SW_SHOW);
  (void)::SetForegroundWindow(kelpo.window());
  PumpMessages(50);
  ASSERT_EQ(::GetForegroundWindow(), kelpo.window());
  EXPECT_EQ(plugin.areYouInFocus(), TRUE);

  const unique_hwnd sheet = FrontWindow(kelpo.window());
  ASSERT_EQ(::GetForegroundWindow(), sheet.get());
  EXPECT_EQ(plugin.areYouInFocus(), TRUE);

  // Owned by the owned window: not directly Kelpo's.
  {
    const unique_hwnd nested = FrontWindow(sheet.get());
    ASSERT_EQ(::GetForegroundWindow(), nested.get());
    EXPECT_EQ(plugin.areYouInFocus(), FALSE);
  }

  const unique_hwnd other = FrontWindow(nullptr);
  ASSERT_EQ(::GetForegroundWindow(), other.get());
  EXPECT_EQ(plugin.areYouInFocus(), FALSE);
}

}  // namespace
}  // namespace kelpo::remote::test
