// Starting the sound device must leave SIGTERM and SIGINT to the program: the SDL audio
// start would otherwise catch them for a quit event that nothing reads when no SDL window
// is shown, and a headless run or one playing its splash music could no longer be stopped.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "platform/audio/AudioBackend.h"

namespace {

TEST(AudioSignals, StartingTheSoundDeviceLeavesTermAndIntToTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int signal : {SIGTERM, SIGINT}) {
    EXPECT_EXIT(
        {
          setenv("SDL_AUDIODRIVER", "dummy", 1);
          platform::audio::CreateSdlAudioBackend()->DeviceCount();
          std::raise(signal);
          std::_Exit(0);
        },
        ::testing::KilledBySignal(signal), "");
  }
}

}  // namespace
