// Any bytes given to the MIDI file reader: it must stay inside them and give times that
// never go backwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sound/MidiFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto song = snd::ReadMidiFile(data, size);
  if (song) {
    uint64_t last = 0;
    for (const auto& message : song->messages) {
      if (message.timeUs < last || message.status < 0x80 || message.status >= 0xF0) abort();
      last = message.timeUs;
    }
  }
  return 0;
}
