// What the home area's tests share: a started program with the test audio and the virtual
// clock, the skin taken off again at the end, and references read from the source tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/testing/TestAudio.h"
#include "platform/wingdi.h"
#include "tests/velmora/HomeTestDriver.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {

class HomeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // Starts the program from a copy of its image whose splash does not animate: the
  // animation's player sleeps frame by frame, and in virtual time every sleep moves the
  // clock, so with it running the timers' moments could not be seen exactly.
  void StartWithStillSplash();
  void TearDown() override;

  // Opens the home window, as the program does at start, with `driver` watching; returns
  // when its start sequence is over.
  void StartHome(HomeDriver& driver);

  std::unique_ptr<platform::testing::TestAudio> audio_;
};

// The WAV file's sound data: its size and bytes per second, read here with a reader of the
// test's own.
struct WavFacts {
  size_t dataBytes = 0;
  uint32_t bytesPerSecond = 0;
};
WavFacts ReadWavFacts(const std::string& path);

// The face colour of skin `number` as the table of skins gives it.
COLORREF SkinFaceColour(int number);

// The folder of the test executable, which is the program's folder in tests.
std::string ExecutableFolder();

}  // namespace velmoratest
