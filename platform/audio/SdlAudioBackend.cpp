// Wave output through SDL2 audio. SDL converts our PCM format to whatever the sound card or
// sound server takes, and pulls from the device on its own audio thread.
#include <SDL.h>

#include <cstring>
#include <mutex>

#include "platform/audio/AudioBackend.h"

namespace platform::audio {
namespace {

class SdlAudioStream final : public AudioStream {
 public:
  explicit SdlAudioStream(AudioSource& source) : source_(source) {}
  ~SdlAudioStream() override {
    if (id_ != 0) SDL_CloseAudioDevice(id_);
  }

  // SDL may call back as soon as the device opens, so the stream exists first and SDL's
  // callback data points at it.
  bool Open(SDL_AudioSpec wanted) {
    wanted.callback = &SdlAudioStream::Fill;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts to the hardware's format behind the scenes.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (id == 0) return false;
    SDL_LockAudioDevice(id);
    silence_ = obtained.silence;
    id_ = id;
    SDL_UnlockAudioDevice(id);
    SDL_PauseAudioDevice(id, 0);
    return true;
  }

  void SetPaused(bool paused) override { SDL_PauseAudioDevice(id_, paused ? 1 : 0); }

 private:
  static void Fill(void* user, Uint8* out, int length) {
    auto* self = static_cast<SdlAudioStream*>(user);
    const size_t bytes = static_cast<size_t>(length);
    const size_t filled = self->source_.Pull(out, bytes);
    if (filled < bytes) std::memset(out + filled, self->silence_, bytes - filled);
  }

  AudioSource& source_;
  SDL_AudioDeviceID id_ = 0;
  uint8_t silence_ = 0;
};

class SdlAudioBackend final : public AudioBackend {
 public:
  unsigned DeviceCount() override {
    if (!Started()) return 0;
    // -1 means the driver has a default device but cannot list it (disk, dummy).
    return SDL_GetNumAudioDevices(0) == 0 ? 0u : 1u;
  }

  std::unique_ptr<AudioStream> Open(const WAVEFORMATEX& format, AudioSource& source) override {
    if (!Started() || !IsPlayableFormat(format)) return nullptr;
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.nSamplesPerSec);
    wanted.format = format.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format.nChannels);
    wanted.samples = 1024;
    auto stream = std::make_unique<SdlAudioStream>(source);
    if (!stream->Open(wanted)) return nullptr;
    return stream;
  }

 private:
  bool Started() {
    std::call_once(started_, [this] {
      // SDL's first start would otherwise take SIGINT and SIGTERM for a quit event that no
      // one reads when no SDL window is shown, and the program could no longer be stopped.
      SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
      ok_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    });
    return ok_;
  }

  std::once_flag started_;
  bool ok_ = false;
};

}  // namespace

std::shared_ptr<AudioBackend> CreateSdlAudioBackend() {
  return std::make_shared<SdlAudioBackend>();
}

}  // namespace platform::audio
