#include "runtime/sound/SoundRequest.h"

#include <atomic>
#include <cstring>

namespace rt {

namespace {

std::atomic<SoundPlayer> g_player{nullptr};

// A WAV file needs its RIFF head, a "fmt " chunk and a "data" chunk: 36 bytes at the least.
constexpr size_t kRiffHead = 12;
constexpr size_t kMinimumWave = 36;
constexpr size_t kChunkHead = 8;

bool Starts(const uint8_t* bytes, size_t offset, const char (&tag)[5]) {
  return std::memcmp(bytes + offset, tag, 4) == 0;
}

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Walks the chunks after the RIFF head; every size is checked against what is left, so a
// lying size ends the walk instead of reading past the bytes.
RecognisedSound LocateWaveChunks(const uint8_t* bytes, size_t length) {
  RecognisedSound sound;
  bool haveFormat = false;
  bool haveData = false;
  size_t offset = kRiffHead;
  while (length - offset >= kChunkHead && !(haveFormat && haveData)) {
    const size_t body = offset + kChunkHead;
    const size_t size = ReadLe32(bytes + offset + 4);
    const size_t left = length - body;
    if (!haveFormat && Starts(bytes, offset, "fmt ")) {
      if (size > left) break;
      sound.formatOffset = body;
      sound.formatSize = size;
      haveFormat = true;
    } else if (!haveData && Starts(bytes, offset, "data")) {
      sound.dataOffset = body;
      sound.dataSize = size < left ? size : left;
      haveData = true;
    }
    // Chunks are padded to an even length.
    const size_t step = size + (size & 1);
    if (step >= left) break;
    offset = body + step;
  }
  if (haveFormat && haveData) sound.format = SoundFormat::Wave;
  return sound;
}

}  // namespace

RecognisedSound RecogniseSound(const uint8_t* bytes, size_t length) {
  if (bytes == nullptr) return {};
  if (length >= kRiffHead && Starts(bytes, 0, "RIFF") && Starts(bytes, 8, "WAVE")) {
    return length >= kMinimumWave ? LocateWaveChunks(bytes, length) : RecognisedSound{};
  }
  if (length > 4 && Starts(bytes, 0, "MThd")) {
    RecognisedSound sound;
    sound.format = SoundFormat::Midi;
    sound.dataSize = length;
    return sound;
  }
  return {};
}

void SetSoundPlayer(SoundPlayer player) {
  g_player.store(player);
}

bool PlaySoundData(const PlaySoundRequest* request) {
  if (request == nullptr || request->data == nullptr || request->length <= 0) return false;
  const auto* bytes = static_cast<const uint8_t*>(request->data);
  const auto length = static_cast<size_t>(request->length);
  const RecognisedSound sound = RecogniseSound(bytes, length);
  if (sound.format == SoundFormat::None) return false;
  SoundPlayer player = g_player.load();
  return player != nullptr && player(sound, bytes, length, request->loop != 0);
}

}  // namespace rt
