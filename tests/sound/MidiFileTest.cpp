// Reading MIDI files, against the conformance files and against files made here whose
// timing is known to the microsecond.
#include <gtest/gtest.h>

#include "sound/MidiFile.h"
#include "tests/sound/SoundTestSupport.h"

namespace {

using namespace sndtest;

// A tiny MIDI writer, so that the expected times can be worked out by hand.
struct Track {
  std::vector<uint8_t> bytes;
  Track& Event(uint32_t delta, std::initializer_list<uint8_t> event) {
    std::vector<uint8_t> quantity{static_cast<uint8_t>(delta & 0x7F)};
    for (delta >>= 7; delta != 0; delta >>= 7) {
      quantity.insert(quantity.begin(), static_cast<uint8_t>(0x80 | (delta & 0x7F)));
    }
    bytes.insert(bytes.end(), quantity.begin(), quantity.end());
    bytes.insert(bytes.end(), event);
    return *this;
  }
};

std::vector<uint8_t> MakeMidi(uint16_t format, uint16_t division,
                              const std::vector<Track>& tracks) {
  std::vector<uint8_t> out{'M',
                           'T',
                           'h',
                           'd',
                           0,
                           0,
                           0,
                           6,
                           0,
                           static_cast<uint8_t>(format),
                           0,
                           static_cast<uint8_t>(tracks.size()),
                           static_cast<uint8_t>(division >> 8),
                           static_cast<uint8_t>(division)};
  for (const Track& t : tracks) {
    PutId(out, "MTrk");
    const uint32_t n = static_cast<uint32_t>(t.bytes.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(n >> shift));
    out.insert(out.end(), t.bytes.begin(), t.bytes.end());
  }
  return out;
}

TEST(MidiFileTest, TimingRunningStatusTempoAndMerging) {
  // 96 ticks a quarter. Track 0: tempo 120 bpm, then 60 bpm from tick 192 (1 s).
  Track conductor;
  conductor.Event(0, {0xFF, 0x51, 3, 0x07, 0xA1, 0x20})
      .Event(192, {0xFF, 0x51, 3, 0x0F, 0x42, 0x40})
      .Event(0, {0xFF, 0x2F, 0});
  // Track 1: a note at tick 0, running status for the next two, a sysex between (which
  // cancels the running status, so a status byte follows), then a note at tick 288.
  Track notes;
  notes.Event(0, {0x90, 60, 100})
      .Event(96, {62, 100})  // running status
      .Event(0, {0xF0, 2, 0x7E, 0xF7})
      .Event(96, {0x80, 60, 0})
      .Event(96, {0xC0, 5})  // one data byte
      .Event(0, {0xFF, 0x2F, 0});
  auto song = snd::ReadMidiFile(MakeMidi(1, 96, {conductor, notes}).data(),
                                MakeMidi(1, 96, {conductor, notes}).size());
  ASSERT_TRUE(song);
  struct Expected {
    uint64_t us;
    uint8_t status, d1, d2;
  };
  // Ticks 0-192 at 0.5 s a quarter, then 1 s a quarter.
  const Expected expected[] = {
      {0, 0x90, 60, 100}, {500000, 0x90, 62, 100}, {1000000, 0x80, 60, 0}, {2000000, 0xC0, 5, 0}};
  ASSERT_EQ(song->messages.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(song->messages[i].timeUs, expected[i].us) << i;
    EXPECT_EQ(song->messages[i].status, expected[i].status) << i;
    EXPECT_EQ(song->messages[i].data1, expected[i].d1) << i;
    EXPECT_EQ(song->messages[i].data2, expected[i].d2) << i;
  }
  EXPECT_EQ(song->lengthUs, 2000000u);
}

TEST(MidiFileTest, ConformanceFilesAndDamage) {
  struct Case {
    const char* name;
    size_t noteOns;
  };
  // The scale has eight notes; each two-track file plays notes from both tracks. The
  // damaged file ends one byte early and gives what comes before the damage.
  const Case cases[] = {{"test-c-major-scale.mid", 8},
                        {"test-2-tracks-type-1.mid", 0},
                        {"test-2-tracks-type-0.mid", 0},
                        {"test-corrupt-file-missing-byte.mid", 0}};
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    if (!ReadFile(TestdataDir() + "/midi/" + c.name, &bytes)) GTEST_SKIP() << "no test data";
    auto song = snd::ReadMidiFile(bytes.data(), bytes.size());
    ASSERT_TRUE(song) << c.name;
    size_t noteOns = 0;
    uint64_t last = 0;
    for (const auto& m : song->messages) {
      EXPECT_GE(m.timeUs, last) << c.name;
      last = m.timeUs;
      if ((m.status & 0xF0) == 0x90 && m.data2 != 0) ++noteOns;
    }
    if (c.noteOns != 0) {
      EXPECT_EQ(noteOns, c.noteOns) << c.name;
    }
    EXPECT_GT(noteOns, 0u) << c.name;
    // Every prefix of a file reads without harm.
    for (size_t n = 0; n < bytes.size(); ++n) snd::ReadMidiFile(bytes.data(), n);
  }
  const std::vector<uint8_t> format2 = MakeMidi(2, 96, {Track{}});
  EXPECT_FALSE(snd::ReadMidiFile(format2.data(), format2.size()));
  const std::vector<uint8_t> noDivision = MakeMidi(0, 0, {Track{}});
  EXPECT_FALSE(snd::ReadMidiFile(noDivision.data(), noDivision.size()));
}

}  // namespace
