// Inputs the fuzzers once broke, kept beside the tests: each must fail cleanly or decode into
// a block exactly as long as its header says, through the still decoder and the animation
// loader alike.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "pictures/AnimationFrames.h"
#include "pictures/decoders/GifDecoder.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/pictures/GifTestSupport.h"

namespace {

TEST(PictureRegressionFiles, FuzzerFindingsDecodeOrFailCleanly) {
  const auto dir = std::filesystem::path(VELMORA_SOURCE_DIR) / "tests/pictures/regressions";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const auto bytes = gif_testing::ReadFile(entry.path().string());
    const std::string name = entry.path().filename().string();
    ++files;
    pic::DecodedPicture record;
    if (pic::DecodeGifStill(bytes.data(), bytes.size(), &record)) {
      int32_t width, height;
      std::memcpy(&width, record.pixels + 4, 4);
      std::memcpy(&height, record.pixels + 8, 4);
      EXPECT_EQ(record.size, 1064 + ((width + 3) & ~3) * -height) << name;
      rt::FreeMem(record.pixels);
    } else {
      EXPECT_EQ(record.pixels, nullptr) << name;
    }
    pic::AnimationFrames frames;
    if (pic::LoadAnimationFrames(bytes.data(), bytes.size(), true, 0, &frames)) {
      for (const auto& f : frames.frames) {
        EXPECT_EQ(f.size(), static_cast<size_t>(frames.width) * frames.height) << name;
      }
    }
  }
  EXPECT_GE(files, 1);
}

}  // namespace
