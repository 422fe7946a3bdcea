// The object processing pipeline against pictures whose expected result can be worked out
// by hand: zooms by whole factors, flips, quarter turns, and colour changes computed in
// floating point.
#include <gtest/gtest.h>

#include <cmath>

#include "pictures/cartoon/FramePipeline.h"

namespace {

using pic::AnimationFrames;
using pic::FrameProcessing;
using pic::SharedFrames;

// Every pixel names its own position: B = x, G = y, R = 7.
SharedFrames Numbered(int w, int h, uint32_t key = pic::kNoTransparentKey) {
  auto f = std::make_shared<AnimationFrames>();
  f->width = w;
  f->height = h;
  f->transparentKey = key;
  std::vector<uint32_t> pixels;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) pixels.push_back(0x070000u | (uint32_t(y) << 8) | uint32_t(x));
  }
  f->frames.push_back(pixels);
  return f;
}

uint32_t At(const AnimationFrames& f, int x, int y) {
  return f.frames[0][static_cast<size_t>(y) * f.width + x];
}

TEST(FramePipelineTest, ZoomByWholeFactorsPicksTheExpectedSourcePixels) {
  struct Case {
    int zoomX, zoomY, width, height;
    double factorX, factorY;  // target (x, y) shows source (x·factorX, y·factorY)
  } cases[] = {
      {500, 500, 4, 3, 2, 2},
      {2000, 2000, 16, 12, 0.5, 0.5},
      {250, 1000, 2, 6, 4, 1},
      {1000, 4000, 8, 24, 1, 0.25},
  };
  for (const Case& c : cases) {
    FrameProcessing p;
    p.zoomX = c.zoomX;
    p.zoomY = c.zoomY;
    SharedFrames out = pic::ProcessFrames(Numbered(8, 6), p);
    ASSERT_EQ(out->width, c.width) << c.zoomX;
    ASSERT_EQ(out->height, c.height) << c.zoomY;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const int sx = static_cast<int>(x * c.factorX), sy = static_cast<int>(y * c.factorY);
        ASSERT_EQ(At(*out, x, y), 0x070000u | (uint32_t(sy) << 8) | uint32_t(sx))
            << c.zoomX << "/" << c.zoomY << " at " << x << "," << y;
      }
    }
  }
}

TEST(FramePipelineTest, ZoomedSizesRoundHalfAwayAndEmptyBelowOnePixelOrBeyondTheBudget) {
  struct Case {
    int zoom, width, height;
  } cases[] = {{500, 4, 3}, {333, 2, 2},   {1, 0, 0},
               {100, 1, 1}, {1500, 11, 8}, {2000000000, 0, 0}};  // beyond the frame budget
  for (const Case& c : cases) {
    FrameProcessing p;
    p.zoomX = p.zoomY = c.zoom;
    SharedFrames out = pic::ProcessFrames(Numbered(7, 5), p);  // 3.5 → 4, 2.5 → 3
    EXPECT_EQ(out->width, c.width) << c.zoom;
    EXPECT_EQ(out->height, c.height) << c.zoom;
    EXPECT_EQ(out->frames.empty(), c.width == 0) << c.zoom;
  }
}

TEST(FramePipelineTest, FlipsAndQuarterTurnsMoveEveryPixel) {
  const int w = 3, h = 2;
  struct Case {
    int turnType, angle;
    int width, height;
    // The source pixel shown at (x, y) of the result.
    int (*sx)(int x, int y);
    int (*sy)(int x, int y);
  } cases[] = {
      {1, 0, w, h, [](int x, int) { return w - 1 - x; }, [](int, int y) { return y; }},
      {2, 0, w, h, [](int x, int) { return x; }, [](int, int y) { return h - 1 - y; }},
      {3, 0, w, h, [](int x, int) { return w - 1 - x; }, [](int, int y) { return h - 1 - y; }},
      // Clockwise on the screen: the top-left corner goes to the top right.
      {0, 90, h, w, [](int, int y) { return y; }, [](int x, int) { return h - 1 - x; }},
      {0, -90, h, w, [](int, int y) { return w - 1 - y; }, [](int x, int) { return x; }},
      {0, 180, w, h, [](int x, int) { return w - 1 - x; }, [](int, int y) { return h - 1 - y; }},
      // Flipped left to right first, then turned.
      {1, 90, h, w, [](int, int y) { return w - 1 - y; }, [](int x, int) { return h - 1 - x; }},
  };
  for (const Case& c : cases) {
    FrameProcessing p;
    p.turnType = c.turnType;
    p.angle = c.angle;
    p.rotateFollow = true;
    SharedFrames out = pic::ProcessFrames(Numbered(w, h), p);
    ASSERT_EQ(out->width, c.width) << c.turnType << "/" << c.angle;
    ASSERT_EQ(out->height, c.height) << c.turnType << "/" << c.angle;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        EXPECT_EQ(At(*out, x, y), 0x070000u | (uint32_t(c.sy(x, y)) << 8) | uint32_t(c.sx(x, y)))
            << c.turnType << "/" << c.angle << " at " << x << "," << y;
      }
    }
  }
}

TEST(FramePipelineTest, AnAngleWithoutRotateFollowAndAHalfTurnCornerAreHandled) {
  FrameProcessing still;
  still.angle = 45;
  SharedFrames source = Numbered(10, 10);
  EXPECT_EQ(pic::ProcessFrames(source, still), source);

  FrameProcessing turned = still;
  turned.rotateFollow = true;
  SharedFrames out = pic::ProcessFrames(source, turned);
  EXPECT_EQ(out->width, 15);  // 10·√2 rounded up
  EXPECT_EQ(out->height, 15);
  EXPECT_EQ(At(*out, 0, 0) >> 24, 0xFFu) << "outside the picture is transparent";
  EXPECT_EQ(At(*out, 7, 7) >> 24, 0u);
}

// Channel arithmetic in floating point, rounding half away from zero.
int Round(double v) {
  return static_cast<int>(std::round(v));
}

TEST(FramePipelineTest, TrendAndBrightnessFollowTheRoundedPercentages) {
  // B, G, R = 100, 50, 200 and the key colour (R, G, B = 1, 2, 3) beside it.
  auto f = std::make_shared<AnimationFrames>();
  f->width = 2;
  f->height = 1;
  f->transparentKey = 0x030201;
  f->frames.push_back({0x00C83264u, 0x00010203u});
  struct Case {
    uint32_t trend;
    int depth, light;
  } cases[] = {{0xFFFFFF, 50, 0}, {0x000000, 33, 0},  {0x204060, 100, 0}, {0xFFFFFF, 150, 0},
               {0xFFFFFF, 0, 50}, {0xFFFFFF, 0, -30}, {0x000000, 25, 40}, {0xFFFFFF, -50, 10}};
  for (const Case& c : cases) {
    FrameProcessing p;
    p.trendColor = c.trend;
    p.trendDepth = c.depth;
    p.light = c.light;
    SharedFrames out = pic::ProcessFrames(f, p);
    const int target[3] = {int(c.trend >> 16) & 0xFF, int(c.trend >> 8) & 0xFF,
                           int(c.trend) & 0xFF};
    const int source[3] = {100, 50, 200};
    const int depth = std::clamp(c.depth, 0, 100);
    for (int ch = 0; ch < 3; ++ch) {
      int v = source[ch] + Round((target[ch] - source[ch]) * depth / 100.0);
      v = std::clamp(v + Round(v * c.light / 100.0), 0, 255);
      EXPECT_EQ(int(out->frames[0][0] >> (8 * ch)) & 0xFF, v)
          << "trend " << c.trend << " depth " << c.depth << " light " << c.light << " ch " << ch;
    }
    EXPECT_EQ(out->frames[0][1], 0x00010203u) << "the key colour keeps its value";
  }
}

}  // namespace
