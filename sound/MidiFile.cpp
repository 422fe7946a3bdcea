#include "sound/MidiFile.h"

#include <algorithm>
#include <cstring>

namespace snd {
namespace {

constexpr uint32_t kDefaultTempoUs = 500000;  // microseconds per quarter note: 120 bpm

uint32_t ReadBigEndian(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

// A track event before timing: a channel message or a tempo change, at a tick.
struct TickedEvent {
  uint64_t tick;
  uint64_t order;  // track, then place in the track: keeps simultaneous events in file order
  bool tempo;
  uint32_t tempoUs;
  uint8_t status, data1, data2;
};

class TrackReader {
 public:
  TrackReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  bool AtEnd() const { return p_ >= end_; }

  // Variable-length quantity of at most four bytes; false when the track ends inside it.
  bool ReadQuantity(uint32_t* value) {
    *value = 0;
    for (int i = 0; i < 4; ++i) {
      if (p_ >= end_) return false;
      const uint8_t byte = *p_++;
      *value = *value << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) return true;
    }
    return false;  // longer than four bytes: not a quantity
  }

  bool ReadByte(uint8_t* byte) {
    if (p_ >= end_) return false;
    *byte = *p_++;
    return true;
  }

  // Skips `count` bytes; false when fewer remain.
  bool Skip(uint32_t count, const uint8_t** start = nullptr) {
    if (static_cast<size_t>(end_ - p_) < count) return false;
    if (start != nullptr) *start = p_;
    p_ += count;
    return true;
  }

  uint8_t Peek() const { return *p_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

int DataBytesOf(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Reads one track's events onto `out`; stops quietly at the first damage.
void ReadTrack(const uint8_t* data, size_t size, uint32_t track, std::vector<TickedEvent>* out,
               uint64_t* lastTick) {
  TrackReader in(data, size);
  uint64_t tick = 0;
  uint8_t running = 0;
  uint64_t order = static_cast<uint64_t>(track) << 32;
  while (!in.AtEnd()) {
    uint32_t delta;
    if (!in.ReadQuantity(&delta)) return;
    tick += delta;
    uint8_t status;
    if (in.AtEnd()) return;
    if (in.Peek() & 0x80) {
      in.ReadByte(&status);
    } else if (running != 0) {
      status = running;  // running status: the data byte is read below
    } else {
      return;  // a data byte with no status to run on
    }
    if (status == 0xFF) {
      uint8_t type;
      uint32_t length;
      const uint8_t* body = nullptr;
      if (!in.ReadByte(&type) || !in.ReadQuantity(&length) || !in.Skip(length, &body)) return;
      *lastTick = std::max(*lastTick, tick);
      if (type == 0x2F) return;  // end of track
      if (type == 0x51 && length == 3) {
        out->push_back({tick, order++, true, ReadBigEndian(body, 3), 0, 0, 0});
      }
      continue;  // meta events do not change the running status
    }
    if (status == 0xF0 || status == 0xF7) {
      uint32_t length;
      if (!in.ReadQuantity(&length) || !in.Skip(length)) return;
      running = 0;
      continue;
    }
    if (status >= 0xF0) {
      running = 0;  // other system messages carry no data in a file we can play
      continue;
    }
    running = status;
    uint8_t d1 = 0, d2 = 0;
    if (!in.ReadByte(&d1) || (d1 & 0x80)) return;
    if (DataBytesOf(status) == 2 && (!in.ReadByte(&d2) || (d2 & 0x80))) return;
    out->push_back({tick, order++, false, 0, status, d1, d2});
    *lastTick = std::max(*lastTick, tick);
  }
}

}  // namespace

std::optional<MidiSong> ReadMidiFile(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr || length < 14 || std::memcmp(bytes, "MThd", 4) != 0) return std::nullopt;
  const uint32_t headerLength = ReadBigEndian(bytes + 4, 4);
  if (headerLength < 6 || headerLength > length - 8) return std::nullopt;
  const uint32_t format = ReadBigEndian(bytes + 8, 2);
  const uint32_t division = ReadBigEndian(bytes + 12, 2);
  if (format > 1 || division == 0) return std::nullopt;

  // Microseconds per tick are tempo / ticksPerQuarter, or fixed for SMPTE time.
  double smpteUsPerTick = 0;
  if (division & 0x8000) {
    const int framesPerSecond = -static_cast<int8_t>(division >> 8);
    const int ticksPerFrame = static_cast<int>(division & 0xFF);
    if (framesPerSecond <= 0 || ticksPerFrame == 0) return std::nullopt;
    smpteUsPerTick = 1e6 / (framesPerSecond * ticksPerFrame);
  }

  // Every "MTrk" chunk is read, whatever the header's track count says: a format-0 file
  // with two tracks plays both. A chunk running past the end is cut there.
  std::vector<TickedEvent> events;
  uint64_t lastTick = 0;
  uint32_t tracks = 0;
  size_t at = 8 + static_cast<size_t>(headerLength);
  while (at + 8 <= length && tracks < 65535) {
    const uint64_t declared = ReadBigEndian(bytes + at + 4, 4);
    const size_t present = static_cast<size_t>(std::min<uint64_t>(declared, length - at - 8));
    if (std::memcmp(bytes + at, "MTrk", 4) == 0) {
      ReadTrack(bytes + at + 8, present, tracks++, &events, &lastTick);
    }
    at += 8 + present;
  }
  if (tracks == 0) return std::nullopt;

  std::sort(events.begin(), events.end(), [](const TickedEvent& a, const TickedEvent& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  MidiSong song;
  song.messages.reserve(events.size());
  double us = 0;
  uint64_t tick = 0;
  double usPerTick = smpteUsPerTick != 0 ? smpteUsPerTick : double(kDefaultTempoUs) / division;
  for (const TickedEvent& e : events) {
    us += static_cast<double>(e.tick - tick) * usPerTick;
    tick = e.tick;
    if (e.tempo) {
      if (smpteUsPerTick == 0 && e.tempoUs != 0) usPerTick = double(e.tempoUs) / division;
      continue;
    }
    song.messages.push_back({static_cast<uint64_t>(us), e.status, e.data1, e.data2});
  }
  us += static_cast<double>(lastTick - std::min(lastTick, tick)) * usPerTick;
  song.lengthUs = static_cast<uint64_t>(us);
  return song;
}

}  // namespace snd
