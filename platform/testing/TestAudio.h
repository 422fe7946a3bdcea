// A wave-output backend for tests: it plays on the virtual clock and keeps every byte each
// device played, so that a test can step through a sound without waiting in real time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/mmsystem.h"

namespace platform::testing {

struct PlayedDevice {
  WAVEFORMATEX format{};
  std::vector<uint8_t> played;  // every byte the device took, in order
  size_t queuedBuffers = 0;     // written and not yet played to their end
  size_t queuedBytes = 0;       // of those, the bytes still to play
  bool open = true;
  bool paused = false;
};

// While alive, wave output plays here: every move of the virtual clock by t ms takes
// t * nAvgBytesPerSec / 1000 bytes (whole frames, the rest carried over) from each open,
// unpaused device that has something queued. With `deviceCount` 0 the machine has no
// sound device. Turns the virtual clock on; tests still move it themselves.
class TestAudio {
 public:
  explicit TestAudio(unsigned deviceCount = 1);
  ~TestAudio();
  TestAudio(const TestAudio&) = delete;
  TestAudio& operator=(const TestAudio&) = delete;

  // The devices opened so far, in the order opened.
  std::vector<PlayedDevice> Devices() const;
  // Waits for other threads (players start and end on threads of their own) until `holds`
  // is true of the devices; false if that did not happen within a generous bound.
  bool WaitUntil(const std::function<bool(const std::vector<PlayedDevice>&)>& holds) const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace platform::testing
