// Where the wave-output devices send their sound. The program plays through SDL2 audio;
// tests install a backend that plays on the virtual clock and keeps what it heard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/mmsystem.h"

namespace platform::audio {

// The device side: the backend asks it for the next bytes whenever it has room.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Fills up to `bytes` bytes of `out` with queued sound (whole sample frames) and returns how
  // many it filled; fewer means the queue ran dry. Buffers played to their end are reported
  // back before this returns.
  virtual size_t Pull(uint8_t* out, size_t bytes) = 0;
  // Buffers written and not yet played to their end, and the bytes of them still to play.
  struct Queue {
    size_t buffers = 0;
    size_t bytes = 0;
  };
  virtual Queue Queued() = 0;
};

// One open output stream. Destroying it stops it; no Pull is running or will start after
// the destructor returns.
class AudioStream {
 public:
  virtual ~AudioStream() = default;
  virtual void SetPaused(bool paused) = 0;
  // Called after a buffer was written to the device (no device lock held).
  virtual void QueueChanged() {}
};

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;
  virtual unsigned DeviceCount() = 0;
  // Null when no device opens with this format.
  virtual std::unique_ptr<AudioStream> Open(const WAVEFORMATEX& format, AudioSource& source) = 0;
};

// SDL2 audio; it has no device where SDL finds none (no sound card, no sound server).
std::shared_ptr<AudioBackend> CreateSdlAudioBackend();

// The backend in use; the SDL2 one until another is installed. Installing null restores it.
// Devices already open keep the backend they were opened with.
void InstallAudioBackend(std::shared_ptr<AudioBackend> backend);
std::shared_ptr<AudioBackend> CurrentAudioBackend();

// PCM the devices accept: 8-bit unsigned or 16-bit signed samples, 1 or 2 channels, a rate
// of 1000-384000 per second, and a block alignment that matches.
bool IsPlayableFormat(const WAVEFORMATEX& format);

}  // namespace platform::audio
