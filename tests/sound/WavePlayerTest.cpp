// Wave players on the test audio device, which plays on the virtual clock: the test moves
// the clock in steps and lets the players' threads catch up in between.
#include <gtest/gtest.h>

#include "platform/kernel/Clock.h"
#include "platform/kernel/Waitable.h"
#include "platform/testing/TestAudio.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/sound/SoundRequest.h"
#include "sound/MidiPlayer.h"
#include "sound/SoundService.h"
#include "sound/WavePlayer.h"
#include "tests/sound/SoundTestSupport.h"

namespace {

using platform::testing::PlayedDevice;
using platform::testing::TestAudio;
using namespace sndtest;

class WavePlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { snd::InstallSoundService(); }
  void TearDown() override {
    snd::StopAllSound(true);
    EXPECT_EQ(snd::LiveWavePlayers(), 0u);
    rt::SetSoundPlayer(nullptr);
    rt::SetSoundStopper(nullptr);
  }

  intptr_t Play(const std::vector<uint8_t>& bytes, bool loop = false) {
    rt::PlaySoundRequest record{bytes.data(), static_cast<intptr_t>(bytes.size()), loop ? 1 : 0};
    return rt::RuntimeNotify(2015, reinterpret_cast<intptr_t>(&record), 0);
  }

  // Waits until every open device has as much queued as its player can give it: 20 buffers,
  // or (for a player that has handed over its last byte) everything it had.
  void WaitForPlayers(const std::vector<size_t>& totals) {
    ASSERT_TRUE(audio.WaitUntil([&](const std::vector<PlayedDevice>& devices) {
      if (devices.size() < totals.size()) return false;
      for (size_t i = 0; i < totals.size(); ++i) {
        const PlayedDevice& d = devices[i];
        if (!d.open) continue;
        const size_t handed = d.played.size() % totals[i] + d.queuedBytes;
        if (d.queuedBuffers < 20 && handed < totals[i]) return false;
      }
      return true;
    }));
  }

  // Plays `ms` of virtual time in steps that never outrun the players' 20 buffers.
  void PlayFor(uint64_t ms, const std::vector<size_t>& totals, uint64_t step = 100) {
    for (uint64_t t = 0; t < ms; t += step) {
      WaitForPlayers(totals);
      platform::kernel::AdvanceVirtualClock(step);
    }
  }

  TestAudio audio;
};

TEST_F(WavePlayerTest, ShortSoundIsOneBufferAndThePlayerEndsWhenItHasBeenHeard) {
  const std::vector<uint8_t> samples = Ramp(5000);  // 0.625 s at 8000 bytes a second
  ASSERT_EQ(Play(MakeWav(samples)), 1);
  WaitForPlayers({samples.size()});
  std::vector<PlayedDevice> devices = audio.Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].queuedBuffers, 1u);
  EXPECT_EQ(devices[0].format.nSamplesPerSec, 8000u);

  PlayFor(600, {samples.size()});
  EXPECT_EQ(snd::LiveWavePlayers(), 1u);  // 25 ms still to play
  platform::kernel::AdvanceVirtualClock(100);
  ASSERT_TRUE(snd::WaitForWavePlayersToEnd(20000));
  devices = audio.Devices();
  EXPECT_EQ(devices[0].played, samples);
  EXPECT_FALSE(devices[0].open);
}

TEST_F(WavePlayerTest, LongSoundPlaysEveryByteInOrderAndTwoSoundsPlayAtOnce) {
  // 50000 bytes are four buffers: three of 15360 and one of 3920; the second sound is
  // 16-bit stereo.
  const std::vector<uint8_t> first = Ramp(50000);
  std::vector<uint8_t> second = Ramp(64000);
  std::reverse(second.begin(), second.end());
  ASSERT_EQ(Play(MakeWav(first)), 1);
  ASSERT_EQ(Play(MakeWav(second, 8000, 2, 16)), 1);
  PlayFor(1000, {first.size(), second.size()});
  std::vector<PlayedDevice> devices = audio.Devices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_TRUE(devices[0].open && devices[1].open);
  EXPECT_EQ(devices[0].played.size(), 8000u);
  EXPECT_EQ(devices[1].played.size(), 32000u);

  PlayFor(6500, {first.size(), second.size()});
  ASSERT_TRUE(snd::WaitForWavePlayersToEnd(20000));
  devices = audio.Devices();
  EXPECT_EQ(devices[0].played, first);
  EXPECT_EQ(devices[1].played, second);
}

TEST_F(WavePlayerTest, LoopingSoundStartsAgainAtTheFirstDataByteUntilStopped) {
  const std::vector<uint8_t> samples = Ramp(20000);
  ASSERT_EQ(Play(MakeWav(samples), /*loop=*/true), 1);
  PlayFor(6000, {samples.size()});  // 48000 bytes: two rounds and a part
  std::vector<PlayedDevice> devices = audio.Devices();
  ASSERT_EQ(devices.size(), 1u);
  const std::vector<uint8_t>& played = devices[0].played;
  ASSERT_GE(played.size(), 2 * samples.size() + 1000);
  for (size_t i = 0; i < played.size(); ++i) {
    ASSERT_EQ(played[i], samples[i % samples.size()]) << "byte " << i;
  }
  EXPECT_EQ(snd::LiveWavePlayers(), 1u);

  // Request 2016 stops it without waiting; it then ends on its own thread.
  rt::RuntimeNotify(2016, 0, 0);
  ASSERT_TRUE(snd::WaitForWavePlayersToEnd(20000));
  EXPECT_FALSE(audio.Devices()[0].open);
}

TEST_F(WavePlayerTest, ProgramEndStopsLoopingSoundsAndWaitsForThem) {
  std::vector<uint8_t> midi;
  if (!ReadFile(TestdataDir() + "/midi/test-c-major-scale.mid", &midi)) GTEST_SKIP();
  ASSERT_EQ(Play(MakeWav(Ramp(20000)), true), 1);
  ASSERT_EQ(Play(MakeWav(Ramp(3000)), true), 1);
  ASSERT_EQ(Play(midi, true), 1);
  PlayFor(300, {20000, 3000});
  // What the end of the program does; no time passes, and nothing is left running.
  rt::StopAllSound(true);
  EXPECT_EQ(snd::LiveWavePlayers(), 0u);
  EXPECT_EQ(snd::CurrentMidiState(), snd::MidiState::kIdle);
  for (const PlayedDevice& device : audio.Devices()) EXPECT_FALSE(device.open);
}

TEST_F(WavePlayerTest, ConformanceFilesPlayTheirDataChunkOrAreRefused) {
  struct Case {
    const char* name;
    size_t dataOffset;  // 0: refused
    size_t dataBytes;
  };
  const Case cases[] = {{"pcmwaveformat-8bit-44100Hz-mono.wav", 44, 4},
                        {"waveformatex-16bit-44100Hz-stereo.wav", 46, 16},
                        {"pcmwaveformat-16bit-44100Hz-mono-extra.wav", 78, 8},
                        {"waveformatex-8bit-11025Hz-mono.wav", 46, 4},
                        {"oom-48ae4cd061ff8578ad3f23dc87624bd365cf5216.wav", 0, 0}};
  size_t played = 0;
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(TestdataDir() + "/wav/" + c.name, &bytes)) GTEST_SKIP() << "no test data";
    ASSERT_EQ(Play(bytes), c.dataOffset != 0 ? 1 : 0) << c.name;
    if (c.dataOffset == 0) continue;
    ASSERT_TRUE(audio.WaitUntil([&](const auto& d) {
      return d.size() == played + 1 && d.back().queuedBytes == c.dataBytes;
    }));
    platform::kernel::AdvanceVirtualClock(100);
    ASSERT_TRUE(snd::WaitForWavePlayersToEnd(20000)) << c.name;
    const std::vector<uint8_t> expected(bytes.begin() + c.dataOffset,
                                        bytes.begin() + c.dataOffset + c.dataBytes);
    EXPECT_EQ(audio.Devices()[played].played, expected) << c.name;
    ++played;
  }
}

TEST_F(WavePlayerTest, RefusedDataPlaysNothing) {
  const std::vector<uint8_t> wav = MakeWav(Ramp(100));
  std::vector<uint8_t> noData = MakeWav({});
  const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
  EXPECT_EQ(Play(noData), 0);
  EXPECT_EQ(Play(text), 0);
  EXPECT_EQ(Play(std::vector<uint8_t>(wav.begin(), wav.begin() + 35)), 0);
  EXPECT_EQ(rt::RuntimeNotify(2015, 0, 0), 0);
  rt::PlaySoundRequest nullData{nullptr, 100, 0};
  EXPECT_EQ(rt::RuntimeNotify(2015, reinterpret_cast<intptr_t>(&nullData), 0), 0);
  EXPECT_EQ(snd::LiveWavePlayers(), 0u);
  EXPECT_TRUE(audio.Devices().empty());
}

TEST(WavePlayerNoDeviceTest, TheIdleTimeOutEndsThePlayerOnTheVirtualClock) {
  TestAudio none(/*deviceCount=*/0);
  const uint64_t start = platform::kernel::ClockNowMs();
  const std::vector<uint8_t> wav = MakeWav(Ramp(400000));
  ASSERT_TRUE(snd::StartWavePlayer(wav.data() + 20, 16, wav.data() + 44, 400000, false));
  // Without a device no buffer comes back: the player fills its 20 and waits.
  ASSERT_TRUE(platform::kernel::WaitForClockWaiters(1, 20000));
  platform::kernel::AdvanceVirtualClock(8887);
  EXPECT_FALSE(snd::WaitForWavePlayersToEnd(50));
  EXPECT_EQ(snd::LiveWavePlayers(), 1u);
  platform::kernel::AdvanceVirtualClock(1);
  ASSERT_TRUE(snd::WaitForWavePlayersToEnd(20000));
  EXPECT_EQ(platform::kernel::ClockNowMs() - start, 8888u);
  EXPECT_TRUE(none.Devices().empty());
}

}  // namespace
