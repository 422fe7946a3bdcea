// Reads a standard MIDI file (formats 0 and 1) into one list of channel messages timed in
// microseconds from the start. Meta and system-exclusive events are read past; tempo changes
// set the timing. A damaged file gives what could be read before the damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace snd {

struct MidiMessage {
  uint64_t timeUs = 0;
  uint8_t status = 0;  // 0x80-0xEF
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

struct MidiSong {
  std::vector<MidiMessage> messages;  // in playing order
  uint64_t lengthUs = 0;              // time of the last event of any track
};

// Nothing when the header is not that of a playable file (no "MThd", a short header,
// format 2, no track, or a division of 0).
std::optional<MidiSong> ReadMidiFile(const uint8_t* bytes, size_t length);

}  // namespace snd
