// The plug-in's decisions, kept free of platform calls so they are tested natively.
// Window handles travel as plain integers; 0 means "no window".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kelpo::remote {

// The key groups the plug-in asks the host for; the host defines the bits.
inline constexpr std::uint32_t kWantedKeyGroups = 2050;

// Key code the host sends for the plug-in's fixed key, and the event code of a press.
inline constexpr std::uint32_t kFixedKeyCode = 40;
inline constexpr std::uint32_t kKeyPressEvent = 1;

// Index of "Take a Picture", the one programmable function.
inline constexpr std::uint32_t kTakePictureIndex = 0;

// Values of the `sound` setting.
inline constexpr std::uint32_t kSoundNone = 0;
inline constexpr std::uint32_t kSoundDefaultBeep = 1;
inline constexpr std::uint32_t kSoundFile = 2;

// Longest `soundfile` value accepted, terminating zero included: what the dialog's
// 512-character text buffer can show.
inline constexpr std::size_t kSoundFileCapacity = 512;

enum class SoundAction { None, DefaultBeep, File };

// The host passes 32-bit values of which only the low 16 bits carry meaning.
constexpr std::uint32_t LowWord(std::uint32_t value) { return value & 0xFFFFu; }

bool IsTakePictureIndex(std::uint32_t index);

// HandleKey's decision: a press of the programmable function's key, or of the fixed key.
bool IsCaptureKey(std::uint32_t programmable, std::uint32_t key, std::uint32_t event);

// AreYouInFocus: Kelpo's window is the foreground window or its direct owner.
bool IsKelpoInFocus(std::uintptr_t kelpoWindow, std::uintptr_t foregroundWindow,
                    std::uintptr_t foregroundOwner);

SoundAction SoundActionFor(std::uint32_t sound);

// The radio button the dialog checks for a stored `sound`, and the value its
// check marks store.
int SoundChoiceControl(std::uint32_t sound);
std::uint32_t SoundFromChoice(bool noSoundChecked, bool soundFileChecked);

// A `soundfile` value as stored in the registry, in characters of either width:
// the text before its terminating zero. Values without a terminator, or longer
// than kSoundFileCapacity characters, count as absent.
template <typename Char>
std::optional<std::basic_string<Char>> SoundFileFromValue(const Char* units, std::size_t count) {
  if (units == nullptr || count == 0 || count > kSoundFileCapacity) return std::nullopt;
  for (std::size_t length = 0; length < count; ++length) {
    if (units[length] == Char{}) return std::basic_string<Char>(units, length);
  }
  return std::nullopt;
}

}  // namespace kelpo::remote
