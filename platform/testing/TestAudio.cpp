#include "platform/testing/TestAudio.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/audio/AudioBackend.h"
#include "platform/kernel/Clock.h"

namespace platform::testing {

struct TestAudio::State {
  struct Stream {
    audio::AudioSource* source = nullptr;
    size_t record = 0;
    uint64_t lastMs = 0;
    uint64_t carry = 0;  // bytes-per-second times milliseconds not yet played
  };

  std::mutex mutex;  // held through every pull, so that closing a stream waits for one
  // Announces any change a waiting test may be looking for. Its own small lock, because
  // devices announce writes from threads that may not take `mutex`.
  std::mutex announceMutex;
  std::condition_variable changed;
  uint64_t generation = 0;

  void Announce() {
    {
      std::lock_guard lock(announceMutex);
      ++generation;
    }
    changed.notify_all();
  }
  unsigned deviceCount = 1;
  std::vector<PlayedDevice> devices;
  std::vector<Stream*> streams;
};

namespace {

std::mutex g_activeMutex;
std::shared_ptr<TestAudio::State> g_active;

class TestStream final : public audio::AudioStream {
 public:
  TestStream(std::shared_ptr<TestAudio::State> state, TestAudio::State::Stream* stream)
      : state_(std::move(state)), stream_(stream) {}
  ~TestStream() override {
    {
      std::lock_guard lock(state_->mutex);
      std::erase(state_->streams, stream_);
      state_->devices[stream_->record].open = false;
      delete stream_;
    }
    state_->Announce();
  }
  void QueueChanged() override { state_->Announce(); }
  void SetPaused(bool paused) override {
    std::lock_guard lock(state_->mutex);
    state_->devices[stream_->record].paused = paused;
    // Time spent paused plays nothing.
    stream_->lastMs = kernel::ClockNowMs();
    stream_->carry = 0;
  }

 private:
  std::shared_ptr<TestAudio::State> state_;
  TestAudio::State::Stream* stream_;
};

class TestBackend final : public audio::AudioBackend {
 public:
  explicit TestBackend(std::shared_ptr<TestAudio::State> state) : state_(std::move(state)) {}

  unsigned DeviceCount() override { return state_->deviceCount; }

  std::unique_ptr<audio::AudioStream> Open(const WAVEFORMATEX& format,
                                           audio::AudioSource& source) override {
    if (state_->deviceCount == 0 || !audio::IsPlayableFormat(format)) return nullptr;
    std::lock_guard lock(state_->mutex);
    auto* stream =
        new TestAudio::State::Stream{&source, state_->devices.size(), kernel::ClockNowMs(), 0};
    PlayedDevice device;
    device.format = format;
    state_->devices.push_back(device);
    state_->streams.push_back(stream);
    state_->Announce();
    return std::make_unique<TestStream>(state_, stream);
  }

 private:
  std::shared_ptr<TestAudio::State> state_;
};

// Runs on whichever thread moved the clock.
void PlayUpToNow() {
  std::shared_ptr<TestAudio::State> state;
  {
    std::lock_guard lock(g_activeMutex);
    state = g_active;
  }
  if (!state) return;
  std::unique_lock lock(state->mutex);
  const uint64_t now = kernel::ClockNowMs();
  std::vector<uint8_t> buffer;
  for (auto* stream : state->streams) {
    PlayedDevice& device = state->devices[stream->record];
    const uint64_t elapsed = now > stream->lastMs ? now - stream->lastMs : 0;
    stream->lastMs = now;
    if (device.paused) continue;
    const uint64_t block = device.format.nBlockAlign;
    stream->carry += elapsed * device.format.nAvgBytesPerSec;
    uint64_t bytes = stream->carry / 1000;
    bytes -= bytes % block;
    stream->carry -= bytes * 1000;
    if (bytes == 0) continue;
    buffer.resize(bytes);
    const size_t filled = stream->source->Pull(buffer.data(), bytes);
    device.played.insert(device.played.end(), buffer.begin(), buffer.begin() + filled);
    // A dry queue is silence: the time is gone, not saved up for the next buffer.
    if (filled < bytes) stream->carry = 0;
  }
  lock.unlock();
  state->Announce();
}

}  // namespace

TestAudio::TestAudio(unsigned deviceCount) : state_(std::make_shared<State>()) {
  state_->deviceCount = deviceCount;
  kernel::UseVirtualClock(true);
  {
    std::lock_guard lock(g_activeMutex);
    g_active = state_;
  }
  kernel::AddVirtualClockListener(&PlayUpToNow);
  audio::InstallAudioBackend(std::make_shared<TestBackend>(state_));
}

TestAudio::~TestAudio() {
  audio::InstallAudioBackend(nullptr);
  kernel::RemoveVirtualClockListener(&PlayUpToNow);
  std::lock_guard lock(g_activeMutex);
  g_active.reset();
}

std::vector<PlayedDevice> TestAudio::Devices() const {
  std::lock_guard lock(state_->mutex);
  std::vector<PlayedDevice> devices = state_->devices;
  for (auto* stream : state_->streams) {
    const auto queued = stream->source->Queued();
    devices[stream->record].queuedBuffers = queued.buffers;
    devices[stream->record].queuedBytes = queued.bytes;
  }
  return devices;
}

bool TestAudio::WaitUntil(
    const std::function<bool(const std::vector<PlayedDevice>&)>& holds) const {
  // The bound only guards against a hang: every change is announced by whoever makes it.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    uint64_t seen;
    {
      std::lock_guard lock(state_->announceMutex);
      seen = state_->generation;
    }
    if (holds(Devices())) return true;
    std::unique_lock lock(state_->announceMutex);
    if (!state_->changed.wait_until(lock, giveUp, [&] { return state_->generation != seen; })) {
      return false;
    }
  }
}

}  // namespace platform::testing
