#include "remote/remote_sound.h"

#include "common/win32.h"

#include <mmsystem.h>

#include "remote/remote_module.h"
#include "remote/remote_registry.h"
#include "remote/remote_rules.h"

namespace kelpo::remote {

// MessageBeep's type for the system's default sound.
constexpr UINT kDefaultBeepType = 0;

void StopOwnSounds() { (void)::PlaySoundA(nullptr, RemoteModule(), SND_PURGE); }

void PlaySoundFile(const std::string& path) {
  StopOwnSounds();
  // SND_NODEFAULT: a missing or broken file gives silence, not the default sound.
  (void)::PlaySoundA(path.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
}

void GiveSoundFeedback() {
  switch (SoundActionFor(ReadSound(kSoundDefaultBeep))) {
    case SoundAction::DefaultBeep:
      (void)::MessageBeep(kDefaultBeepType);
      break;
    case SoundAction::File:
      if (const auto path = ReadSoundFile(); path && !path->empty()) PlaySoundFile(*path);
      break;
    case SoundAction::None:
      break;
  }
}

}  // namespace kelpo::remote
