// The plug-in's settings in HKEY_CURRENT_USER, read afresh on every use.
#pragma once

#include "common/win32.h"

#include <optional>
#include <string>

namespace kelpo::remote {

inline constexpr char kRemoteRegistryKey[] = "Software\\Marrowby\\Kelpo\\ATIRemoteWonder";
inline constexpr char kSoundValue[] = "sound";
inline constexpr char kSoundFileValue[] = "soundfile";

// `sound`, or fallback when it is missing or not a 4-byte REG_DWORD.
DWORD ReadSound(DWORD fallback);
// `soundfile`, or nothing when it is missing, not REG_SZ, too long or unterminated.
std::optional<std::string> ReadSoundFile();

// Failures to write are not reported: the user sees the old choice next time.
void WriteSound(DWORD sound);
void WriteSoundFile(const std::string& path);

}  // namespace kelpo::remote
