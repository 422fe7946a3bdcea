#include "sound/SoundService.h"

#include "sound/MidiPlayer.h"
#include "sound/WavePlayer.h"

namespace snd {

bool PlayRecognisedSound(const rt::RecognisedSound& sound, const uint8_t* bytes, size_t length,
                         bool loop) {
  switch (sound.format) {
    case rt::SoundFormat::Wave:
      return StartWavePlayer(bytes + sound.formatOffset, sound.formatSize, bytes + sound.dataOffset,
                             sound.dataSize, loop);
    case rt::SoundFormat::Midi:
      PlayMidiSound(bytes, length, loop);
      return true;
    case rt::SoundFormat::None:
      break;
  }
  return false;
}

void StopAllSound(bool wait) {
  StopAllWavePlayers(wait);
  StopMidiSound();
}

void InstallSoundService() {
  rt::SetSoundPlayer(&PlayRecognisedSound);
  rt::SetSoundStopper(&StopAllSound);
}

}  // namespace snd
