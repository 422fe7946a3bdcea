// The MIDI player on the test audio device: what it renders goes through the same wave
// output as WAV sound, so the test can hear whether notes sounded and when the player
// stopped.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/kernel/Clock.h"
#include "platform/kernel/Waitable.h"
#include "platform/testing/TestAudio.h"
#include "sound/MidiPlayer.h"
#include "sound/SoundService.h"
#include "tests/sound/SoundTestSupport.h"

namespace {

using platform::testing::PlayedDevice;
using platform::testing::TestAudio;
using namespace sndtest;

// The loudest 16-bit sample of a stretch of played sound.
int Peak(const std::vector<uint8_t>& played, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from; i + 1 < to && i + 1 < played.size(); i += 2) {
    const int16_t sample = static_cast<int16_t>(played[i] | played[i + 1] << 8);
    peak = std::max(peak, std::abs(static_cast<int>(sample)));
  }
  return peak;
}

class MidiPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ReadFile(TestdataDir() + "/midi/test-c-major-scale.mid", &scale)) {
      GTEST_SKIP() << "no test data";
    }
  }
  void TearDown() override { snd::StopAllSound(true); }

  intptr_t Play(const std::vector<uint8_t>& bytes, bool loop) {
    const rt::RecognisedSound sound = rt::RecogniseSound(bytes.data(), bytes.size());
    return snd::PlayRecognisedSound(sound, bytes.data(), bytes.size(), loop) ? 1 : 0;
  }

  // Moves the clock in steps; in between, the player's thread fills what it can and blocks.
  void PlayFor(uint64_t ms) {
    for (uint64_t t = 0; t < ms; t += 50) {
      ASSERT_TRUE(platform::kernel::WaitForClockWaiters(
          1, 20000, [] { return snd::CurrentMidiState() != snd::MidiState::kPlaying; }));
      platform::kernel::AdvanceVirtualClock(50);
    }
  }

  TestAudio audio;
  std::vector<uint8_t> scale;
};

TEST_F(MidiPlayerTest, ScaleSoundsThroughTheWaveOutputAndEnds) {
  ASSERT_EQ(Play(scale, false), 1);
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kPlaying);
  PlayFor(1000);
  std::vector<PlayedDevice> devices = audio.Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].format.nSamplesPerSec, 44100u);
  EXPECT_EQ(devices[0].format.nChannels, 2);
  EXPECT_EQ(devices[0].played.size(), 44100u * 4);
  EXPECT_GT(Peak(devices[0].played, 0, devices[0].played.size()), 1000);

  // Eight quarter notes at 120 bpm and a second for the last one to fade.
  PlayFor(5000);
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kIdle);
  devices = audio.Devices();
  EXPECT_FALSE(devices[0].open);
  const size_t total = devices[0].played.size();
  EXPECT_GT(total, 44100u * 4 * 4);
  EXPECT_LT(total, 44100u * 4 * 6);
}

TEST_F(MidiPlayerTest, NewSoundStopsThePlayingOneAndLoopingGoesOn) {
  ASSERT_EQ(Play(scale, true), 1);
  PlayFor(7000);  // longer than the song: still playing, from the start again
  std::vector<PlayedDevice> devices = audio.Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_TRUE(devices[0].open);
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kPlaying);
  const std::vector<uint8_t>& first = devices[0].played;
  // The loop restarts at the end of the last note: sound again in the seventh second.
  EXPECT_GT(Peak(first, 44100u * 4 * 6, first.size()), 1000);

  ASSERT_EQ(Play(scale, false), 1);
  EXPECT_FALSE(audio.Devices()[0].open);  // closed before the new sound was taken
  ASSERT_TRUE(audio.WaitUntil([](const auto& d) { return d.size() == 2; }));
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kPlaying);
  snd::StopMidiSound();
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kIdle);
  EXPECT_FALSE(audio.Devices()[1].open);
}

TEST_F(MidiPlayerTest, DamagedFileAndNoDevice) {
  std::vector<uint8_t> damaged;
  ASSERT_TRUE(ReadFile(TestdataDir() + "/midi/test-corrupt-file-missing-byte.mid", &damaged));
  ASSERT_EQ(Play(damaged, false), 1);
  PlayFor(6000);
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kIdle);
  EXPECT_FALSE(audio.Devices().back().open);

  // Only "MThd" and a byte: accepted as MIDI, but it does not read, so nothing plays.
  const std::vector<uint8_t> header = {'M', 'T', 'h', 'd', 0};
  EXPECT_EQ(Play(header, false), 1);
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kIdle);
}

TEST(MidiPlayerNoDeviceTest, EndsAtOnce) {
  std::vector<uint8_t> scale;
  if (!ReadFile(TestdataDir() + "/midi/test-c-major-scale.mid", &scale)) GTEST_SKIP();
  TestAudio none(0);
  snd::PlayMidiSound(scale.data(), scale.size(), true);
  snd::StopMidiSound();
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kIdle);
  EXPECT_TRUE(none.Devices().empty());
}

}  // namespace
