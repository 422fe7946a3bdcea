// Plays the user through the home area's windows while the program waits in them: the
// driver looks at the windows each time the loop runs out of work (an idle routine, or a
// timer of its own where the runtime clears idle routines) and answers what it sees.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/testing/TestAudio.h"
#include "platform/user32.h"

namespace velmoratest {

// What the driver saw of the start sequence, in clock milliseconds after Begin (-1: never).
struct StartRecord {
  int64_t splashShownAt = -1;
  int64_t nameShownAt = -1;
  int64_t splashGoneAt = -1;
  int64_t webPageShownAt = -1;
  // Bytes the sound device had played when the splash went away.
  size_t musicBytesAtSplashEnd = 0;
  // Sound devices opened by then: one per time the music was started.
  size_t devicesAtSplashEnd = 0;
  // GetSysColor(COLOR_BTNFACE) while the web page was shown (before any skin).
  COLORREF faceWhileWebPage = 0;
  // The other windows that opened, in order.
  std::vector<uint32_t> opened;
};

class HomeDriver {
 public:
  // `audio` (may be null) is waited for when the music should have started.
  explicit HomeDriver(platform::testing::TestAudio* audio) : audio_(audio) {}
  ~HomeDriver();
  HomeDriver(const HomeDriver&) = delete;
  HomeDriver& operator=(const HomeDriver&) = delete;

  // Starts watching: as an idle routine of the runtime, or (`timerMs` > 0) from a timer,
  // which also runs when the runtime is started after this.
  void Begin(int timerMs = 0);

  // The splash is clicked when the driver first sees it (0) or once the clock is this far
  // (ms); -1 leaves it to its timers.
  int64_t clickSplashAt = -1;
  // Called with every other window of the program that opens while the driver watches; the
  // driver closes the window afterwards unless the call closed it.
  std::function<void(uint32_t window)> onWindow;
  // The size of the music's sound data: the driver waits until the device holds all of it.
  size_t musicDataBytes = 0;
  // Clicks the home window's close box once the start sequence is over.
  bool closeHomeAfterStart = false;

  const StartRecord& Record() const { return record_; }

  // One look at the windows; public for the timer and idle entry points.
  void Step();

 private:
  void WatchSplash(int64_t now);

  platform::testing::TestAudio* audio_;
  uint64_t start_ = 0;
  HWND anchor_ = nullptr;
  bool splashSeen_ = false;
  bool musicWaited_ = false;
  bool splashClicked_ = false;
  bool homeClosed_ = false;
  StartRecord record_;
};

// The screen point of a window's close box, found the way the window manager finds it.
POINT CloseBoxOf(HWND window);

}  // namespace velmoratest
