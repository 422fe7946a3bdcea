// The pictures, sound and captions the program carries, read the way the program reads
// them: with our own decoders, and the captions as GBK lines ended by CR LF.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "pictures/AnimationFrames.h"
#include "platform/kernel32.h"

namespace {

std::vector<uint8_t> Asset(const char* name) {
  std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/app/assets/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

pic::AnimationFrames Frames(const char* name) {
  const std::vector<uint8_t> bytes = Asset(name);
  pic::AnimationFrames frames;
  EXPECT_TRUE(
      pic::LoadAnimationFrames(bytes.data(), bytes.size(), false, pic::kNoTransparentKey, &frames))
      << name;
  return frames;
}

int Saturation(uint32_t bgrx) {
  const int b = bgrx & 0xFF, g = (bgrx >> 8) & 0xFF, r = (bgrx >> 16) & 0xFF;
  return std::max({r, g, b}) - std::min({r, g, b});
}

TEST(ShippedAssets, PicturesHaveTheirSizesAndTheHomeTilesSitUnderTheClickAreas) {
  const pic::AnimationFrames home = Frames("home.jpg");
  ASSERT_EQ(home.width, 496);
  ASSERT_EQ(home.height, 440);
  // The home window's click areas (left, top, width, height); each must show a coloured
  // tile of its own, not the dark ground between them.
  struct Area {
    int x, y, w, h;
  };
  const Area areas[] = {{0, 24, 328, 128},  {168, 160, 160, 120}, {8, 160, 152, 128},
                        {8, 288, 320, 128}, {336, 160, 152, 120}, {336, 288, 160, 128}};
  std::set<uint32_t> tileColours;
  const auto& pixels = home.frames.at(0);
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * home.width + x]; };
  for (const Area& a : areas) {
    // Sampled in the tile's upper left quarter, clear of the lettering and the icon.
    const uint32_t p = at(a.x + a.w / 4, a.y + 14);
    EXPECT_GT(Saturation(p), 60) << "area at " << a.x << "," << a.y;
    tileColours.insert(p & 0xE0E0E0);
  }
  EXPECT_EQ(tileColours.size(), 6u) << "each area has a colour of its own";
  for (auto [x, y] : {std::pair{332, 200}, {164, 220}, {250, 156}}) {
    EXPECT_LT(Saturation(at(x, y)), 30) << "the gap at " << x << "," << y;
  }

  const pic::AnimationFrames splash = Frames("splash.gif");
  EXPECT_GE(splash.frames.size(), 12u) << "the splash moves";
  EXPECT_EQ(splash.width, 512);
  const pic::AnimationFrames mark = Frames("watermark.png");
  EXPECT_EQ(mark.width, 100);
  EXPECT_EQ(mark.height, 100);
  const pic::AnimationFrames about = Frames("about.jpg");
  EXPECT_GT(about.width, 0);
  const pic::AnimationFrames icon = Frames("velmora.ico");
  EXPECT_GE(icon.width, 16);
}

TEST(ShippedAssets, SplashMusicIsAShortPcmWave) {
  const std::vector<uint8_t> wav = Asset("splash.wav");
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
  const uint32_t rate = wav[24] | wav[25] << 8 | wav[26] << 16 | wav[27] << 24;
  const uint32_t bytesPerSecond = wav[28] | wav[29] << 8 | wav[30] << 16 | wav[31] << 24;
  EXPECT_EQ(wav[20], 1) << "PCM";
  const double seconds = static_cast<double>(wav.size() - 44) / bytesPerSecond;
  EXPECT_GT(rate, 8000u);
  EXPECT_GT(seconds, 1.0);
  EXPECT_LT(seconds, 3.0) << "over before the splash closes";
}

TEST(ShippedAssets, CaptionLibraryIsGbkLinesEndedByCrLf) {
  const std::vector<uint8_t> text = Asset("captions.txt");
  const std::string all(text.begin(), text.end());
  ASSERT_GE(all.size(), 2u);
  EXPECT_EQ(all.substr(all.size() - 2), "\r\n");
  std::set<std::string> lines;
  size_t count = 0;
  for (size_t start = 0; start < all.size();) {
    const size_t end = all.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = all.substr(start, end - start);
    EXPECT_EQ(line.find('\n'), std::string::npos) << "a bare line feed in line " << count + 1;
    EXPECT_FALSE(line.empty()) << "line " << count + 1;
    // Every line is valid GBK: the strict conversion takes all of it.
    const int wide = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, line.data(),
                                         static_cast<int>(line.size()), nullptr, 0);
    EXPECT_GT(wide, 0) << "line " << count + 1;
    lines.insert(line);
    ++count;
    start = end + 2;
  }
  EXPECT_GE(count, 200u);
  EXPECT_EQ(lines.size(), count) << "no caption twice";
}

}  // namespace
