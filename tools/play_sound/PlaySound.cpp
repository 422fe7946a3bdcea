// Plays sound files through the program's sound service and real audio output, one after
// another, and returns when each has ended: a way to hear (or, with SDL's disk driver,
// record) exactly what the program plays.
//
//   play_sound FILE...        WAV or MIDI files
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/kernel32.h"
#include "platform/mmsystem.h"
#include "runtime/sound/SoundRequest.h"
#include "sound/MidiPlayer.h"
#include "sound/SoundService.h"
#include "sound/WavePlayer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE...\n", argv[0]);
    return 2;
  }
  snd::InstallSoundService();
  if (waveOutGetNumDevs() == 0) {
    std::fprintf(stderr, "no audio device: nothing will be heard\n");
  }
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    rt::PlaySoundRequest request{bytes.data(), static_cast<intptr_t>(bytes.size()), 0};
    if (!rt::PlaySoundData(&request)) {
      std::fprintf(stderr, "%s: not WAV or MIDI data the player takes\n", argv[i]);
      ++failures;
      continue;
    }
    snd::WaitForWavePlayersToEnd(UINT32_MAX);
    while (snd::CurrentMidiState() == snd::MidiState::kPlaying) Sleep(20);
    snd::StopMidiSound();
  }
  return failures == 0 ? 0 : 1;
}
