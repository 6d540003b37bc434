// The sound feedback of a key press and of the dialog's Play button.
#pragma once

#include <string>

namespace kelpo::remote {

// Stops any sound this library started.
void StopOwnSounds();

// Stops our sounds and starts the file asynchronously; an unplayable file is silent.
void PlaySoundFile(const std::string& path);

// The feedback the user chose in the registry: nothing, the default beep, or the file.
void GiveSoundFeedback();

}  // namespace kelpo::remote
