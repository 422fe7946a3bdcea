#include "runtime/sound/SoundRequest.h"

#include <atomic>
#include <cstring>

namespace rt {

namespace {

std::atomic<SoundPlayer> g_player{nullptr};
std::atomic<SoundStopper> g_stopper{nullptr};

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

// Walks the chunks after the RIFF head until both are known (a later chunk of the same id
// replaces an earlier one) or the walk has covered the RIFF size. Every size is checked
// against what is left, so a lying size never reads past the bytes: a data chunk is cut to
// what is there. Chunks are padded to an even length, as RIFF writers do.
RecognisedSound LocateWaveChunks(const uint8_t* bytes, size_t length) {
  RecognisedSound sound;
  bool haveFormat = false;
  bool haveData = false;
  const uint64_t riffSize = ReadLe32(bytes + 4);
  size_t offset = kRiffHead;
  while (length - offset >= kChunkHead && !(haveFormat && haveData)) {
    const size_t body = offset + kChunkHead;
    const size_t size = ReadLe32(bytes + offset + 4);
    const size_t left = length - body;
    if (Starts(bytes, offset, "fmt ")) {
      if (size > left) break;
      sound.formatOffset = body;
      sound.formatSize = size;
      haveFormat = true;
    } else if (Starts(bytes, offset, "data")) {
      sound.dataOffset = body;
      sound.dataSize = size < left ? size : left;
      haveData = true;
    }
    const size_t step = size + (size & 1);
    if (step >= left || body + step - kRiffHead >= riffSize) break;
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

void SetSoundStopper(SoundStopper stopper) {
  g_stopper.store(stopper);
}

void StopAllSound(bool wait) {
  if (SoundStopper stopper = g_stopper.load()) stopper(wait);
}

}  // namespace rt
