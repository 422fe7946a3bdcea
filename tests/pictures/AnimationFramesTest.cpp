// Frames for the animation box: GIF composition against giflib's images composed by the same
// rule, PNG and other pictures, the transparent key and the memory limit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pictures/AnimationFrames.h"
#include "pictures/DecodedPicture.h"
#include "pictures/decoders/PngFrames.h"
#include "tests/common/TestData.h"
#include "tests/pictures/GifTestSupport.h"

namespace {

using namespace gif_testing;

// giflib's images composed the way the animation box does it: a canvas of 0xFF bytes; the
// area under a frame with disposal 2 or 3 is saved and put back before the next frame;
// transparent indices leave the canvas alone.
std::vector<std::vector<uint32_t>> ComposeReference(const GifFileType* gif) {
  const int w = gif->SWidth, h = gif->SHeight;
  std::vector<uint32_t> canvas(static_cast<size_t>(w) * h, 0xFFFFFFFFu);
  std::vector<uint32_t> before;
  bool restore = false;
  std::vector<std::vector<uint32_t>> frames;
  for (int i = 0; i < gif->ImageCount; ++i) {
    if (restore) canvas = before;
    restore = false;
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(const_cast<GifFileType*>(gif), i, &gcb);
    if (gcb.DisposalMode == DISPOSE_BACKGROUND || gcb.DisposalMode == DISPOSE_PREVIOUS) {
      before = canvas;
      restore = true;
    }
    const SavedImage& image = gif->SavedImages[i];
    const GifImageDesc& d = image.ImageDesc;
    const std::vector<uint32_t> palette = PaletteOf(gif, i);
    for (int y = 0; y < d.Height; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const int cx = d.Left + x, cy = d.Top + y;
        if (cx >= w || cy >= h) continue;
        const uint8_t index = image.RasterBits[static_cast<size_t>(y) * d.Width + x];
        if (index == gcb.TransparentColor) continue;
        canvas[static_cast<size_t>(cy) * w + cx] = palette[index];
      }
    }
    frames.push_back(canvas);
  }
  return frames;
}

void ExpectComposedLikeGiflib(const std::vector<uint8_t>& bytes, const std::string& name) {
  MemoryReader reader;
  GifPtr ref = Slurp(bytes, &reader);
  ASSERT_TRUE(ref) << name;
  pic::AnimationFrames frames;
  ASSERT_TRUE(pic::LoadAnimationFrames(bytes.data(), bytes.size(), false, 0x123456, &frames))
      << name;
  EXPECT_EQ(frames.width, ref->SWidth) << name;
  EXPECT_EQ(frames.height, ref->SHeight) << name;
  EXPECT_EQ(frames.transparentKey, 0x123456u);
  const auto expected = ComposeReference(ref.get());
  ASSERT_EQ(frames.frames.size(), expected.size()) << name;
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(frames.frames[i] == expected[i]) << name << " frame " << i;
  }
}

TEST(AnimationFrames, PublicAnimationsComposeLikeGiflib) {
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name :
       {"gif/welcome2.gif", "gif/fire.gif", "gif/dispose_none.gif", "gif/dispose_bgnd.gif",
        "gif/dispose_prev.gif", "gif/x-trans.gif", "gif/treescap-interlaced.gif",
        "gif/pygif-test-suite/animation.gif", "gif/pygif-test-suite/dispose-none.gif",
        "gif/pygif-test-suite/dispose-keep.gif",
        "gif/pygif-test-suite/dispose-restore-background.gif",
        "gif/pygif-test-suite/dispose-restore-previous.gif",
        "gif/pygif-test-suite/images-overlap.gif", "gif/pygif-test-suite/image-overlap-bg.gif",
        "gif/pygif-test-suite/image-outside-bg.gif", "gif/pygif-test-suite/high-color.gif",
        "gif/pygif-test-suite/gif87a-animation.gif", "gif/pygif-test-suite/transparent.gif"}) {
    ExpectComposedLikeGiflib(ReadFile(testing_data::Path(name)), name);
  }
}

TEST(AnimationFrames, DisposalTwoAndThreeBothPutTheSavedAreaBack) {
  // Frame 1 fills the screen with colour 1; frame 2 (disposal d) paints a 2x2 square of 2;
  // frame 3 paints one pixel of 3 elsewhere. Before frame 3 the square is gone for d = 2 and 3
  // and stays for d = 1.
  const std::vector<GifColorType> palette = {{0, 0, 0}, {10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
  for (int disposal : {1, 2, 3}) {
    Frame f1;
    f1.width = 4;
    f1.height = 4;
    f1.pixels.assign(16, 1);
    Frame f2;
    f2.left = 1;
    f2.top = 1;
    f2.width = 2;
    f2.height = 2;
    f2.pixels.assign(4, 2);
    f2.disposal = disposal;
    Frame f3;
    f3.width = 1;
    f3.height = 1;
    f3.pixels = {3};
    const auto bytes = EncodeGif(4, 4, palette, {f1, f2, f3});
    pic::AnimationFrames frames;
    ASSERT_TRUE(pic::LoadAnimationFrames(bytes.data(), bytes.size(), false, pic::kNoTransparentKey,
                                         &frames));
    ASSERT_EQ(frames.frames.size(), 3u);
    const uint32_t c1 = 0x000A141E, c2 = 0x0028323C;
    EXPECT_EQ(frames.frames[1][5], c2);
    EXPECT_EQ(frames.frames[2][5], disposal == 1 ? c2 : c1) << disposal;
    EXPECT_EQ(frames.frames[2][0], 0x0046505Au);
    EXPECT_EQ(frames.frames[2][15], c1);
    ExpectComposedLikeGiflib(bytes, "disposal " + std::to_string(disposal));
  }
}

TEST(AnimationFrames, FramesReachingPastTheScreenAreClipped) {
  const std::vector<GifColorType> palette = {{0, 0, 0}, {255, 0, 0}};
  Frame big;
  big.left = 2;
  big.top = 1;
  big.width = 7;
  big.height = 5;
  big.pixels.assign(35, 1);
  big.transparent = 0;
  big.disposal = 3;
  for (size_t i = 0; i < big.pixels.size(); i += 3) big.pixels[i] = 0;
  Frame small;
  small.width = 1;
  small.height = 1;
  small.pixels = {1};
  // Wholly right of the screen, with an area to put back that is empty.
  Frame outside = small;
  outside.left = 9;
  outside.top = 1;
  outside.disposal = 2;
  const auto bytes = EncodeGif(5, 3, palette, {big, small, outside, small});
  ExpectComposedLikeGiflib(bytes, "clipped");
}

TEST(AnimationFrames, TransparentKeyIsGivenOrTakenFromTheFirstPixel) {
  const std::vector<GifColorType> palette = {{0x11, 0x22, 0x33}, {0x44, 0x55, 0x66}};
  Frame f;
  f.width = 2;
  f.height = 1;
  f.pixels = {1, 0};
  const auto bytes = EncodeGif(2, 1, palette, {f});
  pic::AnimationFrames frames;
  ASSERT_TRUE(pic::LoadAnimationFrames(bytes.data(), bytes.size(), true, 0x00ABCDEF, &frames));
  EXPECT_EQ(frames.transparentKey, 0x00665544u);  // red lowest
  ASSERT_TRUE(pic::LoadAnimationFrames(bytes.data(), bytes.size(), false, 0x00ABCDEF, &frames));
  EXPECT_EQ(frames.transparentKey, 0x00ABCDEFu);
  ASSERT_TRUE(
      pic::LoadAnimationFrames(bytes.data(), bytes.size(), false, pic::kNoTransparentKey, &frames));
  EXPECT_EQ(frames.transparentKey, pic::kNoTransparentKey);
  // A screen larger than its only frame: the untouched first pixel is the white canvas.
  const auto wider =
      EncodeGif(3, 2, palette, {Frame{1, 1, 2, 1, false, {1, 0}, {}, -1, NO_TRANSPARENT_COLOR, 0}});
  ASSERT_TRUE(pic::LoadAnimationFrames(wider.data(), wider.size(), true, 0, &frames));
  EXPECT_EQ(frames.transparentKey, 0x00FFFFFFu);
  EXPECT_EQ(frames.frames[0][0], 0xFFFFFFFFu);
}

TEST(AnimationFrames, HugeScreensAndTooManyFramesAreRefused) {
  const std::vector<GifColorType> palette = {{0, 0, 0}, {1, 1, 1}};
  Frame dot;
  dot.width = 1;
  dot.height = 1;
  dot.pixels = {1};
  pic::AnimationFrames frames;
  const auto huge = EncodeGif(65535, 65535, palette, {dot});
  EXPECT_FALSE(pic::LoadAnimationFrames(huge.data(), huge.size(), false, 0, &frames));
  // 1024 x 1024 x 4 bytes a frame: 64 frames fit in the limit, 65 do not.
  const auto fits = EncodeGif(1024, 1024, palette, std::vector<Frame>(63, dot));
  EXPECT_TRUE(pic::LoadAnimationFrames(fits.data(), fits.size(), false, 0, &frames));
  EXPECT_EQ(frames.frames.size(), 63u);
  const auto tooMany = EncodeGif(1024, 1024, palette, std::vector<Frame>(65, dot));
  EXPECT_FALSE(pic::LoadAnimationFrames(tooMany.data(), tooMany.size(), false, 0, &frames));
  EXPECT_TRUE(frames.frames.empty());
}

TEST(AnimationFrames, BrokenAndEmptyInputs) {
  pic::AnimationFrames frames;
  EXPECT_FALSE(pic::LoadAnimationFrames(nullptr, 0, true, 0, &frames));
  const uint8_t junk[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  EXPECT_FALSE(pic::LoadAnimationFrames(junk, sizeof junk, true, 0, &frames));
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name :
       {"gif/lzwof.gif", "gif/lzwoob.gif", "gif/issue-117-out-of-range.gif",
        "gif/issue-96-small-codesize.gif", "gif/issue-101-infinite-empty-loop.gif",
        "gif/pygif-test-suite/no-data.gif", "gif/pygif-test-suite/zero-size.gif",
        "png/xs1n0g01.png", "png/xd0n2c08.png"}) {
    const auto bytes = ReadFile(testing_data::Path(name));
    if (pic::LoadAnimationFrames(bytes.data(), bytes.size(), true, 0, &frames)) {
      ASSERT_FALSE(frames.frames.empty()) << name;
      for (const auto& f : frames.frames) {
        EXPECT_EQ(f.size(), static_cast<size_t>(frames.width) * frames.height) << name;
      }
    } else {
      EXPECT_TRUE(frames.frames.empty()) << name;
    }
  }
}

TEST(AnimationFrames, PngGivesOneFrameAndOtherPicturesGoThroughADeviceBitmap) {
  VELMORA_REQUIRE_TESTDATA();
  const auto png = ReadFile(testing_data::Path("png/basn6a08.png"));
  pic::AnimationFrames frames;
  ASSERT_TRUE(pic::LoadAnimationFrames(png.data(), png.size(), true, 0, &frames));
  ASSERT_EQ(frames.frames.size(), 1u);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
  ASSERT_TRUE(pic::DecodePngFrame(png.data(), png.size(), &w, &h, &pixels));
  EXPECT_EQ(frames.width, w);
  EXPECT_EQ(frames.height, h);
  EXPECT_TRUE(frames.frames[0] == pixels);
  const uint32_t first = pixels[0];
  EXPECT_EQ(frames.transparentKey,
            ((first >> 16) & 0xFF) | (first & 0xFF00) | ((first & 0xFF) << 16));

  // A BMP: the frame must show what the BMP decoder itself sees (24-bit, bottom-up rows).
  const auto bmp = ReadFile(testing_data::Path("bmp/g/rgb24.bmp"));
  ASSERT_TRUE(pic::LoadAnimationFrames(bmp.data(), bmp.size(), false, 0, &frames));
  pic::DecodedPicture* picture = pic::DecodePicture(bmp.data(), bmp.size());
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(frames.width, picture->width);
  ASSERT_EQ(frames.height, picture->height);
  ASSERT_EQ(frames.frames.size(), 1u);
  int mismatches = 0;
  for (int y = 0; y < picture->height; ++y) {
    for (int x = 0; x < picture->width; ++x) {
      const uint8_t* bgr =
          picture->pixels + (static_cast<size_t>(picture->height - 1 - y) * picture->width + x) * 3;
      const uint32_t want = uint32_t{bgr[0]} | bgr[1] << 8 | bgr[2] << 16;
      if ((frames.frames[0][static_cast<size_t>(y) * frames.width + x] & 0xFFFFFF) != want)
        ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
  pic::ReleasePicture(picture);
}

}  // namespace
