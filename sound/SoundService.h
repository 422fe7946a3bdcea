// The runtime's sound service: hands recognised WAV data to a wave player of its own and MIDI
// data to the MIDI player.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/sound/SoundRequest.h"

namespace snd {

bool PlayRecognisedSound(const rt::RecognisedSound& sound, const uint8_t* bytes, size_t length,
                         bool loop);
// Stops every wave player and the MIDI player; with `wait` the wave players' threads have
// ended when it returns (the MIDI player's always has).
void StopAllSound(bool wait);

// Lends the service to the runtime (requests 2015 and 2016, and the program's end).
void InstallSoundService();

}  // namespace snd
