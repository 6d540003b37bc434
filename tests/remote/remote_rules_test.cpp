#include "remote/remote_rules.h"
#include "remote/remote_resource.h"

#include <gtest/gtest.h>

#include <string>

namespace kelpo::remote {
namespace {

TEST(RemoteKeys, ProgrammableFunctionTakesOnlyItsIndexOnAPress) {
  EXPECT_TRUE(IsCaptureKey(1, 0, 1));
  EXPECT_FALSE(IsCaptureKey(1, 1, 1));
  EXPECT_FALSE(IsCaptureKey(1, 40, 1));
  // Any non-zero 32-bit value means "programmable".
  EXPECT_TRUE(IsCaptureKey(0x80000000u, 0, 1));
  EXPECT_TRUE(IsCaptureKey(1, 0x10000, 0x10001));
}

TEST(RemoteKeys, FixedKeyIsFortyOnAPress) {
  EXPECT_TRUE(IsCaptureKey(0, 40, 1));
  EXPECT_TRUE(IsCaptureKey(0, 0xFFFF0028u, 0xABCD0001u));
  EXPECT_FALSE(IsCaptureKey(0, 0, 1));
  EXPECT_FALSE(IsCaptureKey(0, 41, 1));
  EXPECT_FALSE(IsCaptureKey(0, 0x280000, 1));
}

TEST(RemoteKeys, OnlyEventOneActs) {
  for (std::uint32_t event : {0u, 2u, 3u, 0xFFFFu, 0x10000u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(IsCaptureKey(1, 0, event)) << event;
    EXPECT_FALSE(IsCaptureKey(0, 40, event)) << event;
  }
}

TEST(RemoteFunctions, OnlyTheLowWordOfTheIndexCounts) {
  EXPECT_TRUE(IsTakePictureIndex(0));
  EXPECT_TRUE(IsTakePictureIndex(0x10000));
  EXPECT_TRUE(IsTakePictureIndex(0xFFFF0000u));
  EXPECT_FALSE(IsTakePictureIndex(1));
  EXPECT_FALSE(IsTakePictureIndex(0x10001));
  EXPECT_FALSE(IsTakePictureIndex(0xFFFFFFFFu));
}

TEST(RemoteFocus, KelpoOrItsDirectlyOwnedWindowInFront) {
  constexpr std::uintptr_t kelpo = 0x100, other = 0x200, sheet = 0x300;
  EXPECT_TRUE(IsKelpoInFocus(kelpo, kelpo, 0));
  EXPECT_TRUE(IsKelpoInFocus(kelpo, sheet, kelpo));
  EXPECT_FALSE(IsKelpoInFocus(kelpo, other, 0));
  // A window owned by the sheet is only indirectly Kelpo's.
  EXPECT_FALSE(IsKelpoInFocus(kelpo, 0x400, sheet));
  EXPECT_FALSE(IsKelpoInFocus(kelpo, 0, 0));
}

TEST(RemoteFocus, NoKelpoWindowIsNeverInFocus) {
  // Nothing in front and nobody owning it must not match a missing Kelpo window.
  EXPECT_FALSE(IsKelpoInFocus(0, 0, 0));
  EXPECT_FALSE(IsKelpoInFocus(0, 0x200, 0));
}

TEST(RemoteSound, StoredValueChoosesFeedbackAndRadioButton) {
  EXPECT_EQ(SoundActionFor(0), SoundAction::None);
  EXPECT_EQ(SoundActionFor(1), SoundAction::DefaultBeep);
  EXPECT_EQ(SoundActionFor(2), SoundAction::File);
  EXPECT_EQ(SoundActionFor(3), SoundAction::None);
  EXPECT_EQ(SoundActionFor(0xFFFFFFFFu), SoundAction::None);

  EXPECT_EQ(SoundChoiceControl(0), IDC_NO_SOUND);
  EXPECT_EQ(SoundChoiceControl(1), IDC_DEFAULT_BEEP);
  EXPECT_EQ(SoundChoiceControl(2), IDC_SOUND_FILE);
  // An unknown value shows the beep button, although a key press then stays silent.
  EXPECT_EQ(SoundChoiceControl(3), IDC_DEFAULT_BEEP);
}

TEST(RemoteSoundFile, TerminatedValueIsItsTextBeforeTheZero) {
  const char value[] = "C:\\Sounds\\click.wav";
  EXPECT_EQ(SoundFileFromValue(value, sizeof(value)), std::string("C:\\Sounds\\click.wav"));
  const wchar_t wide[] = L"click.wav";
  EXPECT_EQ(SoundFileFromValue(wide, 10), std::wstring(L"click.wav"));
  const char empty[] = "";
  EXPECT_EQ(SoundFileFromValue(empty, 1), std::string());
  const char inner[] = {'a', '\0', 'b', '\0'};
  EXPECT_EQ(SoundFileFromValue(inner, sizeof(inner)), std::string("a"));
}

TEST(RemoteSoundFile, UnterminatedEmptyOrOversizedValuesAreAbsent) {
  const char unterminated[] = {'a', '.', 'w', 'a', 'v'};
  EXPECT_FALSE(SoundFileFromValue(unterminated, sizeof(unterminated)));
  EXPECT_FALSE(SoundFileFromValue(unterminated, 0));
  EXPECT_FALSE(SoundFileFromValue(static_cast<const char*>(nullptr), 4));
  const wchar_t wide[] = {L'a', L'b'};
  EXPECT_FALSE(SoundFileFromValue(wide, 2));

  const std::string longest(kSoundFileCapacity - 1, 'x');
  EXPECT_EQ(SoundFileFromValue(longest.c_str(), longest.size() + 1), longest);
  const std::string tooLong(kSoundFileCapacity, 'x');
  EXPECT_FALSE(SoundFileFromValue(tooLong.c_str(), tooLong.size() + 1));
}

}  // namespace
}  // namespace kelpo::remote
