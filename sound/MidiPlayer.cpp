#include "sound/MidiPlayer.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/audio/MidiSynth.h"
#include "platform/kernel32.h"
#include "platform/mmsystem.h"
#include "sound/MidiFile.h"
#include "sound/WavePlayer.h"

namespace snd {
namespace {

using platform::audio::MidiSynth;

constexpr int kBufferCount = 8;
constexpr int kFramesPerBuffer = 2048;  // about 46 ms of sound each
constexpr int kChannels = 2;
// Notes still sounding at the last event are given this long to fade before the end.
constexpr uint64_t kTailFrames = MidiSynth::kSampleRate;

struct Player {
  std::mutex calls;  // one start or stop at a time
  std::atomic<int32_t> state{0};
  HANDLE thread = nullptr;
  HANDLE wake = nullptr;  // auto reset: tells the thread to look at the state word
  std::vector<uint8_t> data;
  std::optional<MidiSong> song;
  bool loop = false;
  // Made on the player's thread the first time it plays and kept: loading the SoundFont
  // takes longer than a short sound lasts.
  std::unique_ptr<MidiSynth> synth;
  bool synthTried = false;
};

Player& ThePlayer() {
  static auto* player = new Player();
  return *player;
}

struct Output {
  HWAVEOUT device = nullptr;
  std::vector<int16_t> samples = std::vector<int16_t>(kBufferCount * kFramesPerBuffer * kChannels);
  WAVEHDR headers[kBufferCount] = {};
  HANDLE freeBuffers = CreateSemaphoreA(nullptr, kBufferCount, kBufferCount, nullptr);
  std::atomic<int> freeCount{kBufferCount};
  int next = 0;

  ~Output() { CloseHandle(freeBuffers); }

  static void CALLBACK_Done(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (message != WOM_DONE) return;
    auto* self = reinterpret_cast<Output*>(instance);
    ++self->freeCount;
    ReleaseSemaphore(self->freeBuffers, 1, nullptr);
  }

  bool Open() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = MidiSynth::kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kChannels * 2;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    for (int i = 0; i < kBufferCount; ++i) {
      headers[i].lpData =
          reinterpret_cast<LPSTR>(samples.data() + i * kFramesPerBuffer * kChannels);
    }
    return waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&CALLBACK_Done),
                       reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) == MMSYSERR_NOERROR;
  }

  int16_t* NextBuffer() {
    WAVEHDR& header = headers[next];
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
    return reinterpret_cast<int16_t*>(header.lpData);
  }

  void WriteNext() {
    WAVEHDR& header = headers[next];
    header.dwBufferLength = kFramesPerBuffer * kChannels * sizeof(int16_t);
    waveOutPrepareHeader(device, &header, sizeof(WAVEHDR));
    --freeCount;
    waveOutWrite(device, &header, sizeof(WAVEHDR));
    next = (next + 1) % kBufferCount;
  }

  void Close(bool stopped) {
    if (stopped) {
      waveOutPause(device);
      waveOutReset(device);
    }
    for (WAVEHDR& header : headers) {
      if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
    }
    waveOutClose(device);
  }
};

uint64_t FrameOf(uint64_t timeUs) {
  return timeUs * MidiSynth::kSampleRate / 1000000u;
}

// Renders one buffer's worth of the song from `frame`, sending each message at its frame.
void RenderBlock(MidiSynth& synth, const MidiSong& song, size_t* index, uint64_t frame,
                 int16_t* out) {
  int done = 0;
  const uint64_t blockEnd = frame + kFramesPerBuffer;
  while (*index < song.messages.size()) {
    const MidiMessage& message = song.messages[*index];
    const uint64_t at = FrameOf(message.timeUs);
    if (at >= blockEnd) break;
    const int upTo = static_cast<int>(std::max<uint64_t>(at, frame) - frame);
    if (upTo > done) {
      synth.Render(out + done * kChannels, upTo - done);
      done = upTo;
    }
    synth.Send(message.status, message.data1, message.data2);
    ++*index;
  }
  synth.Render(out + done * kChannels, kFramesPerBuffer - done);
}

DWORD WINAPI PlayerThread(LPVOID) {
  Player& p = ThePlayer();
  auto finish = [&] {
    p.state.store(static_cast<int32_t>(MidiState::kIdle));
    return DWORD{0};
  };
  if (!p.synthTried) {
    p.synthTried = true;
    p.synth = MidiSynth::Create();
  }
  if (!p.synth || waveOutGetNumDevs() == 0) return finish();
  Output output;
  if (!output.Open()) return finish();
  p.synth->Reset();

  const MidiSong& song = *p.song;
  const uint64_t endFrame = FrameOf(song.lengthUs) + (p.loop ? 0 : kTailFrames);
  size_t index = 0;
  uint64_t frame = 0;
  bool stopped = false;
  const HANDLE waits[2] = {output.freeBuffers, p.wake};
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kWaveIdleTimeoutMs);
    if (p.state.load() == static_cast<int32_t>(MidiState::kStopRequested) ||
        woke != WAIT_OBJECT_0) {
      stopped = true;
      break;
    }
    if (frame >= endFrame) {
      if (output.freeCount.load() == kBufferCount) break;  // the last buffer has been heard
      continue;
    }
    RenderBlock(*p.synth, song, &index, frame, output.NextBuffer());
    output.WriteNext();
    frame += kFramesPerBuffer;
    if (frame >= endFrame && p.loop) {
      index = 0;
      frame = 0;
      p.synth->Reset();
    }
  }
  output.Close(stopped);
  return finish();
}

// With the calls lock held.
void StopLocked(Player& p) {
  if (p.thread != nullptr) {
    int32_t playing = static_cast<int32_t>(MidiState::kPlaying);
    p.state.compare_exchange_strong(playing, static_cast<int32_t>(MidiState::kStopRequested));
    SetEvent(p.wake);
    // The thread sets the state word back to idle as its last act.
    WaitForSingleObject(p.thread, INFINITE);
    CloseHandle(p.thread);
    p.thread = nullptr;
  }
  p.data.clear();
  p.data.shrink_to_fit();
  p.song.reset();
  p.state.store(static_cast<int32_t>(MidiState::kIdle));
}

}  // namespace

void PlayMidiSound(const uint8_t* bytes, size_t length, bool loop) {
  Player& p = ThePlayer();
  std::lock_guard guard(p.calls);
  StopLocked(p);
  p.data.assign(bytes, bytes + length);
  p.song = ReadMidiFile(p.data.data(), p.data.size());
  if (!p.song) return;
  p.loop = loop;
  if (p.wake == nullptr) p.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ResetEvent(p.wake);
  p.state.store(static_cast<int32_t>(MidiState::kPlaying));
  p.thread = CreateThread(nullptr, 0, &PlayerThread, nullptr, 0, nullptr);
}

void StopMidiSound() {
  Player& p = ThePlayer();
  std::lock_guard guard(p.calls);
  StopLocked(p);
}

MidiState CurrentMidiState() {
  return static_cast<MidiState>(ThePlayer().state.load());
}

}  // namespace snd
