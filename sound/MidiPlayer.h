// The runtime's one MIDI player: reads a standard MIDI file and plays it through the MIDI
// synthesiser into the wave-output device, from a thread of its own, once or in a loop.
#pragma once

#include <cstddef>
#include <cstdint>

namespace snd {

// The player's state word.
enum class MidiState : int32_t { kIdle = 0, kPlaying = 1, kStopRequested = 2 };

// Stops the sound playing, takes a private copy of `bytes` and, when it reads as a MIDI
// file, starts playing it.
void PlayMidiSound(const uint8_t* bytes, size_t length, bool loop);

// Stops the sound playing (if any), waits for the player's thread and frees the song.
void StopMidiSound();

MidiState CurrentMidiState();

}  // namespace snd
