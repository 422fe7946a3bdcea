// The wave-output devices. A device keeps the buffers written to it in a queue; the backend's
// stream pulls bytes from the front and every buffer that has been played to its end goes
// back to its owner through the callback (WOM_DONE), in the order written.
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/AudioBackend.h"
#include "platform/mmsystem.h"

namespace platform::audio {
namespace {

class WaveOutDevice final : public AudioSource {
 public:
  WaveOutDevice(HWAVEOUT handle, const WAVEFORMATEX& format, LPWAVECALLBACK callback,
                DWORD_PTR instance)
      : handle_(handle), format_(format), callback_(callback), instance_(instance) {}

  size_t Pull(uint8_t* out, size_t bytes) override {
    std::lock_guard pulling(pulling_);
    std::vector<WAVEHDR*> played;
    size_t filled = 0;
    {
      std::lock_guard lock(mutex_);
      while (filled < bytes && !queue_.empty()) {
        WAVEHDR* header = queue_.front();
        const size_t n = std::min<size_t>(header->dwBufferLength - offset_, bytes - filled);
        std::memcpy(out + filled, header->lpData + offset_, n);
        filled += n;
        offset_ += n;
        if (offset_ >= header->dwBufferLength) {
          queue_.pop_front();
          offset_ = 0;
          header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
          played.push_back(header);
        }
      }
    }
    // The owner may reuse a buffer as soon as it hears of it, so nothing here touches a
    // header after reporting it.
    for (WAVEHDR* header : played) Report(WOM_DONE, header);
    return filled;
  }

  MMRESULT Write(WAVEHDR* header) {
    std::lock_guard lock(mutex_);
    if ((header->dwFlags & WHDR_PREPARED) == 0) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    queue_.push_back(header);
    return MMSYSERR_NOERROR;
  }

  // Returns every queued buffer as played, the one under way included.
  void Reset() {
    std::vector<WAVEHDR*> returned;
    {
      std::lock_guard pulling(pulling_);
      std::lock_guard lock(mutex_);
      for (WAVEHDR* header : queue_) {
        header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        returned.push_back(header);
      }
      queue_.clear();
      offset_ = 0;
    }
    for (WAVEHDR* header : returned) Report(WOM_DONE, header);
  }

  Queue Queued() override {
    std::lock_guard lock(mutex_);
    Queue queued;
    queued.buffers = queue_.size();
    for (const WAVEHDR* header : queue_) queued.bytes += header->dwBufferLength;
    queued.bytes -= offset_;
    return queued;
  }

  void Report(UINT message, WAVEHDR* header) {
    if (callback_ != nullptr) {
      callback_(handle_, message, instance_, reinterpret_cast<DWORD_PTR>(header), 0);
    }
  }

  const WAVEFORMATEX& Format() const { return format_; }
  std::unique_ptr<AudioStream> stream;

 private:
  const HWAVEOUT handle_;
  const WAVEFORMATEX format_;
  const LPWAVECALLBACK callback_;
  const DWORD_PTR instance_;
  // Held through a whole pull, reports included, so that a reset waits for a pull under way.
  std::mutex pulling_;
  std::mutex mutex_;
  std::deque<WAVEHDR*> queue_;
  size_t offset_ = 0;
};

struct Devices {
  std::mutex mutex;
  std::map<uintptr_t, std::shared_ptr<WaveOutDevice>> open;
  // Handles are small numbers, as the program keeps handles in 32-bit integers.
  uintptr_t next = 0x5A00;
  std::shared_ptr<AudioBackend> backend;
};

Devices& AllDevices() {
  static auto* devices = new Devices();
  return *devices;
}

std::shared_ptr<WaveOutDevice> Find(HWAVEOUT handle) {
  std::lock_guard lock(AllDevices().mutex);
  auto it = AllDevices().open.find(reinterpret_cast<uintptr_t>(handle));
  return it == AllDevices().open.end() ? nullptr : it->second;
}

}  // namespace

void InstallAudioBackend(std::shared_ptr<AudioBackend> backend) {
  std::lock_guard lock(AllDevices().mutex);
  AllDevices().backend = std::move(backend);
}

std::shared_ptr<AudioBackend> CurrentAudioBackend() {
  static std::shared_ptr<AudioBackend> sdl = CreateSdlAudioBackend();
  std::lock_guard lock(AllDevices().mutex);
  return AllDevices().backend ? AllDevices().backend : sdl;
}

bool IsPlayableFormat(const WAVEFORMATEX& f) {
  if (f.wFormatTag != WAVE_FORMAT_PCM && f.wFormatTag != WAVE_FORMAT_EXTENSIBLE) return false;
  if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
  if (f.nChannels != 1 && f.nChannels != 2) return false;
  if (f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 384000) return false;
  return f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

}  // namespace platform::audio

using platform::audio::AllDevices;
using platform::audio::Find;

UINT waveOutGetNumDevs() {
  return platform::audio::CurrentAudioBackend()->DeviceCount();
}

MMRESULT waveOutOpen(LPHWAVEOUT device, UINT deviceId, LPCWAVEFORMATEX format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags) {
  namespace audio = platform::audio;
  if (device != nullptr) *device = nullptr;
  if (device == nullptr || format == nullptr) return MMSYSERR_INVALPARAM;
  const DWORD callbackType = flags & CALLBACK_TYPEMASK;
  if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_FUNCTION) {
    return MMSYSERR_INVALFLAG;
  }
  auto backend = audio::CurrentAudioBackend();
  const unsigned count = backend->DeviceCount();
  if (count == 0) return MMSYSERR_NODRIVER;
  if (deviceId != WAVE_MAPPER && deviceId >= count) return MMSYSERR_BADDEVICEID;
  if (!audio::IsPlayableFormat(*format)) return WAVERR_BADFORMAT;

  HWAVEOUT handle;
  {
    std::lock_guard lock(AllDevices().mutex);
    handle = reinterpret_cast<HWAVEOUT>(AllDevices().next);
    AllDevices().next += 4;
  }
  auto opened = std::make_shared<audio::WaveOutDevice>(
      handle, *format,
      callbackType == CALLBACK_FUNCTION ? reinterpret_cast<LPWAVECALLBACK>(callback) : nullptr,
      instance);
  // Registered before the stream starts, so that a pull reporting at once finds the handle.
  {
    std::lock_guard lock(AllDevices().mutex);
    AllDevices().open[reinterpret_cast<uintptr_t>(handle)] = opened;
  }
  opened->stream = backend->Open(*format, *opened);
  if (!opened->stream) {
    std::lock_guard lock(AllDevices().mutex);
    AllDevices().open.erase(reinterpret_cast<uintptr_t>(handle));
    return MMSYSERR_ERROR;
  }
  *device = handle;
  opened->Report(WOM_OPEN, nullptr);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size) {
  if (!Find(device)) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || size < sizeof(WAVEHDR) || header->lpData == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size) {
  if (!Find(device)) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
  auto found = Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || size < sizeof(WAVEHDR) || header->lpData == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  const MMRESULT result = found->Write(header);
  if (result == MMSYSERR_NOERROR) found->stream->QueueChanged();
  return result;
}

MMRESULT waveOutPause(HWAVEOUT device) {
  auto found = Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  found->stream->SetPaused(true);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutRestart(HWAVEOUT device) {
  auto found = Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  found->stream->SetPaused(false);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT device) {
  auto found = Find(device);
  if (!found) return MMSYSERR_INVALHANDLE;
  found->Reset();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT device) {
  std::shared_ptr<platform::audio::WaveOutDevice> closing;
  {
    std::lock_guard lock(AllDevices().mutex);
    auto it = AllDevices().open.find(reinterpret_cast<uintptr_t>(device));
    if (it == AllDevices().open.end()) return MMSYSERR_INVALHANDLE;
    if (it->second->Queued().buffers != 0) return WAVERR_STILLPLAYING;
    closing = it->second;
    AllDevices().open.erase(it);
  }
  // Stopping the stream waits for a pull under way; none starts afterwards.
  closing->stream.reset();
  closing->Report(WOM_CLOSE, nullptr);
  return MMSYSERR_NOERROR;
}
