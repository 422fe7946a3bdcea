// MIDI output: a General MIDI synthesiser (FluidSynth with the system's GM SoundFont) that
// turns channel messages into 16-bit stereo PCM for the wave-output device.
#pragma once

#include <cstdint>
#include <memory>

namespace platform::audio {

class MidiSynth {
 public:
  static constexpr int kSampleRate = 44100;

  // Null when the synthesiser or no GM SoundFont can be loaded. The SoundFont is found
  // through VELMORA_SOUNDFONT or the system's default GM SoundFont.
  static std::unique_ptr<MidiSynth> Create();
  ~MidiSynth();

  void Send(uint8_t status, uint8_t data1, uint8_t data2);
  // Writes `frames` interleaved stereo frames (left, right) to `out`.
  void Render(int16_t* out, int frames);
  // Every note off and controllers back to their defaults, as before a new song.
  void Reset();

 private:
  struct Impl;
  explicit MidiSynth(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::audio
