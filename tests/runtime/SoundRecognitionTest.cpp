// Recognising sound data by its leading bytes: the boundaries of the WAV and MIDI heads,
// chunk sizes that lie, and the public WAV and MIDI files, whose chunks are checked against
// SDL's own WAV reader.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/sound/SoundRequest.h"
#include "tests/common/TestData.h"

namespace rt {
namespace {

std::string Le32(uint32_t v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}

std::string Chunk(const std::string& id, const std::string& body) {
  return id + Le32(static_cast<uint32_t>(body.size())) + body + std::string(body.size() % 2, '\0');
}

std::string Wave(const std::string& chunks) {
  return "RIFF" + Le32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

RecognisedSound Recognise(const std::string& bytes) {
  return RecogniseSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(SoundRecognition, HeadsChunksAndLyingSizes) {
  const std::string format16(16, '\x01');
  const std::string minimal = Wave(Chunk("fmt ", format16) + Chunk("data", ""));
  ASSERT_EQ(minimal.size(), 44u);
  struct Row {
    const char* what;
    std::string bytes;
    SoundFormat format;
    size_t dataOffset;
    size_t dataSize;
  };
  const Row rows[] = {
      {"minimal wave", minimal, SoundFormat::Wave, 44, 0},
      {"odd chunk padded before data",
       Wave(Chunk("LIST", "abc") + Chunk("fmt ", format16) + Chunk("data", "xyz")),
       SoundFormat::Wave, 56, 3},
      {"data claims more than is there",
       Wave(Chunk("fmt ", format16)) + "data" + Le32(1000) + "1234", SoundFormat::Wave, 44, 4},
      {"thirty-five bytes are too few", minimal.substr(0, 35), SoundFormat::None, 0, 0},
      {"no data chunk", Wave(Chunk("fmt ", format16) + Chunk("LIST", "abcdefgh")),
       SoundFormat::None, 0, 0},
      {"format chunk larger than the bytes", Wave("fmt " + Le32(0xFFFFFFF0u) + format16 + "data"),
       SoundFormat::None, 0, 0},
      {"chunk size that wraps", Wave(Chunk("JUNK", "") + "JUNK" + Le32(0xFFFFFFFFu) + format16),
       SoundFormat::None, 0, 0},
      {"RIFF of another kind", "RIFF" + Le32(40) + "AVI " + std::string(40, '\0'),
       SoundFormat::None, 0, 0},
      // Until both are known, a later chunk of the same id replaces an earlier one.
      {"second data chunk before the format",
       Wave(Chunk("data", "ab") + Chunk("data", "wxyz") + Chunk("fmt ", format16)),
       SoundFormat::Wave, 30, 4},
      // The walk ends where the RIFF size says, whatever follows.
      {"data after the RIFF size",
       "RIFF" + Le32(24) + "WAVE" + Chunk("fmt ", format16) + Chunk("data", "xyz"),
       SoundFormat::None, 0, 0},
      {"midi head and one byte", "MThd\x01", SoundFormat::Midi, 0, 5},
      {"midi head alone", "MThd", SoundFormat::None, 0, 0},
      {"empty", "", SoundFormat::None, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const RecognisedSound sound = Recognise(row.bytes);
    EXPECT_EQ(sound.format, row.format);
    if (row.format == SoundFormat::Wave) {
      EXPECT_EQ(sound.dataOffset, row.dataOffset);
      EXPECT_EQ(sound.dataSize, row.dataSize);
      EXPECT_EQ(sound.formatSize, 16u);
    } else if (row.format == SoundFormat::Midi) {
      EXPECT_EQ(sound.dataSize, row.dataSize);
    }
  }
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SoundRecognition, PublicFilesAgreeWithSdlsWavReader) {
  VELMORA_REQUIRE_TESTDATA();
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing_data::Path("wav"))) {
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = FileBytes(entry.path());
    const RecognisedSound sound = Recognise(bytes);
    SDL_AudioSpec wavFormat;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (SDL_LoadWAV_RW(rw, 1, &wavFormat, &samples, &length) == nullptr) {
      // Files SDL refuses must at least not be taken for something they are not.
      EXPECT_NE(sound.format, SoundFormat::Midi);
      continue;
    }
    ASSERT_EQ(sound.format, SoundFormat::Wave);
    // SDL keeps whole sample frames of the data chunk; the located chunk holds them all.
    const size_t frame = SDL_AUDIO_BITSIZE(wavFormat.format) / 8 * wavFormat.channels;
    EXPECT_EQ(sound.dataSize / frame * frame, length);
    EXPECT_EQ(std::memcmp(bytes.data() + sound.dataOffset, samples, length), 0);
    SDL_FreeWAV(samples);
    ++checked;
  }
  EXPECT_GE(checked, 4);
  for (const auto& entry : std::filesystem::directory_iterator(testing_data::Path("midi"))) {
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(Recognise(FileBytes(entry.path())).format, SoundFormat::Midi);
  }
}

}  // namespace
}  // namespace rt
