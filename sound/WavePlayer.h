// Streams one WAV sound to the wave-output device from a worker thread of its own. Any
// number of players may play at once; each frees itself when its sound has ended, when it
// is stopped, or when the device has not taken a buffer for 8888 ms.
#pragma once

#include <cstddef>
#include <cstdint>

namespace snd {

constexpr int kWaveBufferCount = 20;
constexpr uint32_t kWaveBufferBytes = 15360;
constexpr uint32_t kWaveIdleTimeoutMs = 8888;

// Copies the "data" chunk and starts a player for it; the "fmt " chunk is the device format.
// False (nothing plays) for an empty data chunk.
bool StartWavePlayer(const uint8_t* format, size_t formatBytes, const uint8_t* samples,
                     size_t sampleBytes, bool loop);

// Asks every player to stop; with `wait`, returns after they have all ended.
void StopAllWavePlayers(bool wait);

// Players not yet ended.
size_t LiveWavePlayers();
// Waits until no player is left (for tests and program end). False if that took longer
// than `realMs` of real time.
bool WaitForWavePlayersToEnd(uint32_t realMs);

}  // namespace snd
