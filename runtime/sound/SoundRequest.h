// Request 2015, "play sound data": the runtime recognises WAV and MIDI data by their leading
// bytes and hands what it recognised to the sound player, which keeps a private copy and
// plays it asynchronously. The player belongs to the sound layer above the runtime and is
// installed when the program is put together; until then no data is accepted.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

inline constexpr int32_t kNotifyPlaySound = 2015;

// What request 2015 receives, by address in its first argument.
struct PlaySoundRequest {
  const void* data;
  intptr_t length;
  intptr_t loop;  // the command's second argument, 0 when omitted
};

enum class SoundFormat { None, Wave, Midi };

// A recognised sound. For WAV data the "fmt " and "data" chunk bodies, as offsets into the
// bytes; a data chunk that claims more than the bytes hold is cut to what is there.
struct RecognisedSound {
  SoundFormat format = SoundFormat::None;
  size_t formatOffset = 0;
  size_t formatSize = 0;
  size_t dataOffset = 0;
  size_t dataSize = 0;
};

RecognisedSound RecogniseSound(const uint8_t* bytes, size_t length);

// Starts playing a recognised sound; true when it took the data.
using SoundPlayer = bool (*)(const RecognisedSound& sound, const uint8_t* bytes, size_t length,
                             bool loop);
void SetSoundPlayer(SoundPlayer player);

// The whole of request 2015: true when the data was recognised and the player took it.
bool PlaySoundData(const PlaySoundRequest* request);

// Stops every sound playing; with `wait`, returns after the players' threads have ended.
// Request 2016 asks without waiting; the end of the program waits.
using SoundStopper = void (*)(bool wait);
void SetSoundStopper(SoundStopper stopper);
void StopAllSound(bool wait);

}  // namespace rt
