// The home area's tests: a driver that plays the user through the start sequence while the
// program waits in its windows, and the references the tests read from the source tree.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/TestAudio.h"
#include "platform/user32.h"
#include "platform/wingdi.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {

// What the driver saw, in clock milliseconds after Begin (-1: never).
struct StartRecord {
  int64_t splashShownAt = -1, nameShownAt = -1, splashGoneAt = -1, webPageShownAt = -1;
  // What the sound device had played when the splash went, and how many were opened.
  size_t musicBytesAtSplashEnd = 0, devicesAtSplashEnd = 0;
  COLORREF faceWhileWebPage = 0;  // COLOR_BTNFACE, before any skin
  std::string webPageAddress;
  std::vector<uint32_t> opened;  // the other windows, in order
};

// Looks at the windows each time the loop runs out of work (or from a timer, where the
// runtime clears idle routines) and answers what it sees.
class HomeDriver {
 public:
  explicit HomeDriver(platform::testing::TestAudio* audio) : audio_(audio) {}
  ~HomeDriver();
  HomeDriver(const HomeDriver&) = delete;
  HomeDriver& operator=(const HomeDriver&) = delete;

  // An idle routine, or (`timerMs` > 0) a timer, which also runs for a runtime started later.
  void Begin(int timerMs = 0);
  void Step();

  // The splash clicked at first sight (0) or once the clock is this far; -1: never.
  int64_t clickSplashAt = -1;
  // The music's data size: the clock waits at 1.5 s until the device holds all of it.
  size_t musicDataBytes = 0;
  // Called with each other window that opens; the driver closes it afterwards.
  std::function<void(uint32_t window)> onWindow;
  bool closeHomeAfterStart = false;
  const StartRecord& Record() const { return record_; }

 private:
  platform::testing::TestAudio* audio_;
  uint64_t start_ = 0;
  HWND anchor_ = nullptr;
  bool musicWaited_ = false, splashClicked_ = false, homeClosed_ = false;
  StartRecord record_;
};

class HomeTest : public VelmoraTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The program started again from a copy of its image whose splash does not animate: the
  // animation's player sleeps frame by frame, and in virtual time every sleep moves the
  // clock, so the timers' moments could not be seen exactly.
  void StartWithStillSplash();
  // Opens the home window with `driver` watching; returns once its start sequence is over.
  static void StartHome(HomeDriver& driver);

  std::unique_ptr<platform::testing::TestAudio> audio_;
};

// The face colour of skin `number` as the skin maker's table gives it.
COLORREF SkinFaceColour(int number);
// The test executable's folder, which is the program's folder in tests.
std::string ExecutableFolder();
// The program as if installed in `folder`.
void RunFrom(const std::string& folder);

}  // namespace velmoratest
