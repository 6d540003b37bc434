#include "remote/remote_rules.h"

#include "remote/remote_resource.h"

namespace kelpo::remote {

bool IsTakePictureIndex(std::uint32_t index) { return LowWord(index) == kTakePictureIndex; }

bool IsCaptureKey(std::uint32_t programmable, std::uint32_t key, std::uint32_t event) {
  if (LowWord(event) != kKeyPressEvent) return false;
  const std::uint32_t wanted = programmable != 0 ? kTakePictureIndex : kFixedKeyCode;
  return LowWord(key) == wanted;
}

bool IsKelpoInFocus(std::uintptr_t kelpoWindow, std::uintptr_t foregroundWindow,
                    std::uintptr_t foregroundOwner) {
  if (kelpoWindow == 0) return false;
  return foregroundWindow == kelpoWindow || foregroundOwner == kelpoWindow;
}

SoundAction SoundActionFor(std::uint32_t sound) {
  switch (sound) {
    case kSoundDefaultBeep:
      return SoundAction::DefaultBeep;
    case kSoundFile:
      return SoundAction::File;
    default:
      return SoundAction::None;
  }
}

int SoundChoiceControl(std::uint32_t sound) {
  switch (sound) {
    case kSoundNone:
      return IDC_NO_SOUND;
    case kSoundFile:
      return IDC_SOUND_FILE;
    default:
      return IDC_DEFAULT_BEEP;
  }
}

std::uint32_t SoundFromChoice(bool noSoundChecked, bool soundFileChecked) {
  if (noSoundChecked) return kSoundNone;
  if (soundFileChecked) return kSoundFile;
  return kSoundDefaultBeep;
}

}  // namespace kelpo::remote
