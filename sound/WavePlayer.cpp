#include "sound/WavePlayer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/kernel32.h"
#include "platform/mmsystem.h"

namespace snd {
namespace {

struct WavePlayer {
  std::vector<uint8_t> samples;  // private copy of the "data" chunk
  size_t position = 0;           // bytes already handed to the device
  bool loop = false;
  // The buffers and their headers, allocated together and zero-filled.
  std::vector<uint8_t> buffers;
  WAVEHDR headers[kWaveBufferCount] = {};
  int next = 0;
  int freeCount = kWaveBufferCount;
  HANDLE freeBuffers = nullptr;  // counting semaphore mirroring freeCount
  HANDLE stop = nullptr;         // manual reset
  CRITICAL_SECTION lock;
  HWAVEOUT device = nullptr;
  HANDLE thread = nullptr;
};

// The player list and its lock, and the count of players whose thread has not finished yet
// (a player leaves the list before it has finished tearing itself down).
struct Players {
  CRITICAL_SECTION lock;
  std::vector<WavePlayer*> list;
  std::mutex unfinishedMutex;
  std::condition_variable finished;
  size_t unfinished = 0;
  Players() { InitializeCriticalSection(&lock); }
};

Players& AllPlayers() {
  static auto* players = new Players();
  return *players;
}

void CALLBACK_BufferDone(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
  if (message != WOM_DONE) return;
  auto* player = reinterpret_cast<WavePlayer*>(instance);
  EnterCriticalSection(&player->lock);
  ++player->freeCount;
  LeaveCriticalSection(&player->lock);
  ReleaseSemaphore(player->freeBuffers, 1, nullptr);
}

void UnprepareAll(WavePlayer* player) {
  for (WAVEHDR& header : player->headers) {
    if (header.dwFlags & WHDR_PREPARED) {
      waveOutUnprepareHeader(player->device, &header, sizeof(WAVEHDR));
    }
  }
}

void EndPlayer(WavePlayer* player) {
  Players& players = AllPlayers();
  EnterCriticalSection(&players.lock);
  std::erase(players.list, player);
  LeaveCriticalSection(&players.lock);
  if (player->device != nullptr) waveOutClose(player->device);
  CloseHandle(player->thread);
  CloseHandle(player->freeBuffers);
  CloseHandle(player->stop);
  DeleteCriticalSection(&player->lock);
  delete player;
  {
    std::lock_guard guard(players.unfinishedMutex);
    --players.unfinished;
  }
  players.finished.notify_all();
}

int FreeCount(WavePlayer* player) {
  EnterCriticalSection(&player->lock);
  const int count = player->freeCount;
  LeaveCriticalSection(&player->lock);
  return count;
}

// Fills the next buffer from the play position and writes it.
void WriteNextBuffer(WavePlayer* player, size_t remaining) {
  WAVEHDR& header = player->headers[player->next];
  const size_t length = std::min<size_t>(remaining, kWaveBufferBytes);
  std::memcpy(header.lpData, player->samples.data() + player->position, length);
  header.dwBufferLength = static_cast<DWORD>(length);
  player->position += length;
  waveOutPrepareHeader(player->device, &header, sizeof(WAVEHDR));
  waveOutWrite(player->device, &header, sizeof(WAVEHDR));
  EnterCriticalSection(&player->lock);
  --player->freeCount;
  LeaveCriticalSection(&player->lock);
  player->next = (player->next + 1) % kWaveBufferCount;
}

DWORD WINAPI PlayerThread(LPVOID parameter) {
  auto* player = static_cast<WavePlayer*>(parameter);
  const HANDLE waits[2] = {player->freeBuffers, player->stop};
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kWaveIdleTimeoutMs);
    if (woke != WAIT_OBJECT_0) break;  // stopped, or the device took nothing for too long

    const int freeCount = FreeCount(player);
    if (freeCount < 1) continue;
    WAVEHDR& header = player->headers[player->next];
    if (header.dwFlags & WHDR_PREPARED) {
      waveOutUnprepareHeader(player->device, &header, sizeof(WAVEHDR));
    }
    const size_t remaining = player->samples.size() - player->position;
    if (remaining >= 1) {
      WriteNextBuffer(player, remaining);
      continue;
    }
    if (freeCount < kWaveBufferCount) continue;  // the last buffers are still playing
    if (!player->loop) {
      UnprepareAll(player);
      EndPlayer(player);
      return 0;
    }
    EnterCriticalSection(&player->lock);
    player->position = 0;
    player->next = 0;
    player->freeCount = kWaveBufferCount;
    LeaveCriticalSection(&player->lock);
    // Filled up to its maximum, not released by 20 at once: units not yet taken would make
    // that release fail, and the next round would play with a single buffer in flight.
    for (int i = 0; i < kWaveBufferCount; ++i) {
      if (!ReleaseSemaphore(player->freeBuffers, 1, nullptr)) break;
    }
  }
  waveOutPause(player->device);
  waveOutReset(player->device);
  UnprepareAll(player);
  EndPlayer(player);
  return 0;
}

WAVEFORMATEX FormatFrom(const uint8_t* bytes, size_t length) {
  // A short "fmt " chunk leaves the rest zero, which no device accepts.
  WAVEFORMATEX format{};
  std::memcpy(&format, bytes, std::min(length, sizeof(format)));
  if (length < sizeof(format)) format.cbSize = 0;
  return format;
}

}  // namespace

bool StartWavePlayer(const uint8_t* formatBytes, size_t formatLength, const uint8_t* samples,
                     size_t sampleBytes, bool loop) {
  if (samples == nullptr || sampleBytes == 0) return false;

  auto* player = new WavePlayer();
  player->samples.assign(samples, samples + sampleBytes);
  player->loop = loop;
  player->buffers.assign(static_cast<size_t>(kWaveBufferCount) * kWaveBufferBytes, 0);
  for (int i = 0; i < kWaveBufferCount; ++i) {
    player->headers[i].lpData =
        reinterpret_cast<LPSTR>(player->buffers.data() + static_cast<size_t>(i) * kWaveBufferBytes);
  }
  player->freeBuffers = CreateSemaphoreA(nullptr, kWaveBufferCount, kWaveBufferCount, nullptr);
  player->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  InitializeCriticalSection(&player->lock);

  if (waveOutGetNumDevs() != 0) {
    const WAVEFORMATEX format = FormatFrom(formatBytes, formatLength);
    // Not checked: without a device no buffer ever comes back, and the idle time-out ends
    // the player.
    waveOutOpen(&player->device, WAVE_MAPPER, &format,
                reinterpret_cast<DWORD_PTR>(&CALLBACK_BufferDone),
                reinterpret_cast<DWORD_PTR>(player), CALLBACK_FUNCTION);
  }

  Players& players = AllPlayers();
  {
    std::lock_guard guard(players.unfinishedMutex);
    ++players.unfinished;
  }
  player->thread = CreateThread(nullptr, 0, &PlayerThread, player, CREATE_SUSPENDED, nullptr);
  EnterCriticalSection(&players.lock);
  players.list.push_back(player);
  LeaveCriticalSection(&players.lock);
  ResumeThread(player->thread);
  return true;
}

void StopAllWavePlayers(bool wait) {
  Players& players = AllPlayers();
  EnterCriticalSection(&players.lock);
  for (WavePlayer* player : players.list) SetEvent(player->stop);
  LeaveCriticalSection(&players.lock);
  // Players remove themselves from the list before they have finished; waiting for the
  // count of unfinished ones covers every thread, not only the handles still listed.
  if (wait) WaitForWavePlayersToEnd(UINT32_MAX);
}

size_t LiveWavePlayers() {
  Players& players = AllPlayers();
  std::lock_guard guard(players.unfinishedMutex);
  return players.unfinished;
}

bool WaitForWavePlayersToEnd(uint32_t realMs) {
  Players& players = AllPlayers();
  std::unique_lock guard(players.unfinishedMutex);
  auto none = [&] { return players.unfinished == 0; };
  if (realMs == UINT32_MAX) {
    players.finished.wait(guard, none);
    return true;
  }
  return players.finished.wait_for(guard, std::chrono::milliseconds(realMs), none);
}

}  // namespace snd
