// Composing, layering, snapshots and hit tests of the animation box's scene, checked against
// values worked out by a simpler route (floating-point blending, hand-placed pixels).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "pictures/cartoon/Blend.h"
#include "pictures/cartoon/CartoonScene.h"
#include "tests/common/BmpFile.h"

namespace {

using pic::CartoonScene;
using pic::SceneObject;

constexpr COLORREF kWhite = 0xFFFFFF;

pic::SharedFrames Solid(int w, int h, uint32_t pixel, uint32_t key = pic::kNoTransparentKey) {
  auto f = std::make_shared<pic::AnimationFrames>();
  f->width = w;
  f->height = h;
  f->transparentKey = key;
  f->frames.emplace_back(static_cast<size_t>(w) * h, pixel);
  return f;
}

SceneObject Object(pic::SharedFrames frames, double x, double y, int layer = 0, int alpha = 0) {
  SceneObject o;
  o.source = std::move(frames);
  o.x = x;
  o.y = y;
  o.layer = layer;
  o.alpha = alpha;
  return o;
}

std::vector<uint32_t> ComposeAll(const CartoonScene& scene) {
  const int w = scene.Canvas().Width(), h = scene.Canvas().Height();
  std::vector<uint32_t> out(static_cast<size_t>(w) * h);
  scene.Compose(RECT{0, 0, w, h}, pic::kNoTransparentKey, out.data());
  return out;
}

// One channel as the blending rule reads in real numbers; 255 is odd, so no half-way ties.
int ReferenceChannel(int d, int s, int loss) {
  if (loss <= 0) return s;
  if (loss >= 255) return d;
  return d + static_cast<int>(std::round((s - d) * (255 - loss) / 255.0));
}

TEST(CartoonBlendTest, RowsMatchTheRealNumberRuleAtEveryLengthAndOpacity) {
  std::mt19937 random(7);
  const int alphas[] = {-10, 0, 1, 25, 50, 75, 99, 100, 150};
  for (int alpha : alphas) {
    for (int length = 0; length < 38; ++length) {
      for (int variant = 0; variant < 3; ++variant) {
        // 0: every fourth byte 0 (the uniform path); 1: random fourth bytes; 2: a key colour.
        std::vector<uint32_t> src(length), dst(length);
        for (int i = 0; i < length; ++i) {
          src[i] = random() & (variant == 1 ? 0xFFFFFFFFu : 0x00FFFFFFu);
          dst[i] = random();
          if (variant == 2 && i % 3 == 0) src[i] = 0x00123456;
        }
        pic::RowBlend how;
        how.baseLoss = static_cast<int>(std::round(alpha * 2.55));
        how.keyed = variant == 2;
        how.keyPixel = 0x123456;
        how.plain = variant != 1;
        std::vector<uint32_t> out = dst;
        pic::BlendRow(out.data(), src.data(), length, how);
        for (int i = 0; i < length; ++i) {
          const bool skipped = how.keyed && (src[i] & 0xFFFFFF) == how.keyPixel;
          const int loss = how.baseLoss + static_cast<int>(src[i] >> 24);
          for (int shift = 0; shift < 24; shift += 8) {
            const int d = (dst[i] >> shift) & 0xFF, s = (src[i] >> shift) & 0xFF;
            const int expected = skipped ? d : ReferenceChannel(d, s, loss);
            ASSERT_EQ(static_cast<int>(out[i] >> shift) & 0xFF, expected)
                << "alpha " << alpha << " length " << length << " variant " << variant << " pixel "
                << i << " shift " << shift;
          }
        }
      }
    }
  }
}

class CartoonSceneTest : public ::testing::Test {
 protected:
  CartoonSceneTest() : scene_([this](const RECT& r) { reported_.push_back(r); }) {
    scene_.Canvas().Build(20, 10, {}, pic::kCanvasTopLeft, kWhite);
  }
  uint32_t Pixel(int x, int y) { return ComposeAll(scene_)[static_cast<size_t>(y) * 20 + x]; }
  std::vector<int32_t> Order() const {
    std::vector<int32_t> ids;
    for (const SceneObject& o : scene_.Objects()) ids.push_back(o.id);
    return ids;
  }

  std::vector<RECT> reported_;
  CartoonScene scene_;
};

TEST_F(CartoonSceneTest, TransparencyPercentBlendsOverTheCanvas) {
  struct Case {
    int alpha;
    uint32_t expected;
  } cases[] = {{0, 0x000000}, {50, 0x808080}, {100, 0xFFFFFF}, {25, 0x404040}, {-5, 0x000000}};
  for (const Case& c : cases) {
    scene_.Clear();
    scene_.Place(Object(Solid(2, 2, 0x000000), 3, 3, 0, c.alpha));
    EXPECT_EQ(Pixel(3, 3), c.expected) << c.alpha;
    EXPECT_EQ(Pixel(2, 3), 0xFFFFFFu) << "the canvas around it";
  }
  // The fourth byte of a pixel adds to the object's transparency, and never survives.
  scene_.Clear();
  scene_.Place(Object(Solid(2, 2, 0x80000000), 3, 3, 0, 0));
  EXPECT_EQ(Pixel(3, 3), 0x808080u);
  scene_.Clear();
  scene_.Place(Object(Solid(2, 2, 0x80FF0000), 3, 3, 0, -60));
  EXPECT_EQ(Pixel(3, 3), 0xFF0000u);
}

TEST_F(CartoonSceneTest, EqualLayersStackInPlacingOrderAndRelayeringMovesToTheTop) {
  const int32_t red = scene_.Place(Object(Solid(4, 4, 0xFF0000), 0, 0));
  const int32_t green = scene_.Place(Object(Solid(4, 4, 0x00FF00), 0, 0));
  const int32_t below = scene_.Place(Object(Solid(4, 4, 0x0000FF), 0, 0, -1));
  EXPECT_EQ(Order(), (std::vector<int32_t>{below, red, green}));
  EXPECT_EQ(Pixel(1, 1), 0x00FF00u);

  reported_.clear();
  EXPECT_FALSE(scene_.SetLayer(red, 0));
  EXPECT_TRUE(reported_.empty());
  EXPECT_EQ(Order(), (std::vector<int32_t>{below, red, green}));

  EXPECT_TRUE(scene_.SetLayer(red, 5));
  EXPECT_TRUE(scene_.SetLayer(red, 0));
  EXPECT_EQ(Order(), (std::vector<int32_t>{below, green, red}));
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
  EXPECT_FALSE(reported_.empty());

  EXPECT_TRUE(scene_.SetLayer(below, 0));
  EXPECT_EQ(Order(), (std::vector<int32_t>{green, red, below}));
  EXPECT_GT(scene_.Place(Object(Solid(1, 1, 0), 0, 0)), below) << "ids are never reused";
}

TEST_F(CartoonSceneTest, MovingAnObjectReportsOnlyItsOldAndNewRectangles) {
  const int32_t id = scene_.Place(Object(Solid(3, 2, 0), 1, 1));
  scene_.Place(Object(Solid(20, 10, 0x404040), 0, 0, -1));
  reported_.clear();
  scene_.Destroy(id);
  scene_.Place(Object(Solid(3, 2, 0), 6.9, -1.5));
  ASSERT_EQ(reported_.size(), 2u);
  EXPECT_EQ((std::vector<LONG>{reported_[0].left, reported_[0].top, reported_[0].right,
                               reported_[0].bottom}),
            (std::vector<LONG>{1, 1, 4, 3}));
  // Positions truncate toward zero.
  EXPECT_EQ((std::vector<LONG>{reported_[1].left, reported_[1].top, reported_[1].right,
                               reported_[1].bottom}),
            (std::vector<LONG>{6, -1, 9, 1}));
  EXPECT_FALSE(scene_.SetAlpha(id, 30)) << "destroyed";

  // A zoom reports the old and the new size; one that changes nothing reports nothing.
  const int32_t moved = scene_.Objects().back().id;
  reported_.clear();
  EXPECT_TRUE(scene_.SetZoom(moved, 2000, 500));
  EXPECT_FALSE(scene_.SetZoom(moved, 2000, 500));
  EXPECT_FALSE(scene_.SetZoom(moved, 0, 500));
  ASSERT_EQ(reported_.size(), 2u);
  EXPECT_EQ(reported_[0].right, 9);
  EXPECT_EQ(reported_[1].right, 12);
  EXPECT_EQ(reported_[1].bottom, 0);
}

TEST_F(CartoonSceneTest, SnapshotKeepsTheVisiblePartBottomRowFirst) {
  // Row y of the scene is grey level 10·y, so rows can be told apart.
  auto rows = std::make_shared<pic::AnimationFrames>();
  rows->width = 20;
  rows->height = 10;
  rows->frames.emplace_back();
  for (uint32_t y = 0; y < 10; ++y)
    rows->frames[0].insert(rows->frames[0].end(), 20, 0x0A0A0Au * y);
  scene_.Place(Object(rows, 0, 0));

  struct Case {
    int x, y, w, h;
    int left, top, width, height;  // the part inside the 20 × 10 client area
  } cases[] = {
      {15, 5, 10, 10, 15, 5, 5, 5}, {-3, -2, 6, 5, 0, 0, 3, 3}, {0, 0, 20, 10, 0, 0, 20, 10},
      {20, 0, 5, 5, 0, 0, 0, 0},    {2, 2, -4, 4, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> file;
    const size_t n = scene_.Snapshot(c.x, c.y, c.w, c.h, pic::kNoTransparentKey, [&](size_t size) {
      file.resize(size);
      return file.data();
    });
    if (c.width == 0) {
      EXPECT_EQ(n, 0u) << c.x << "," << c.y;
      continue;
    }
    ASSERT_EQ(n, 54u + size_t(c.width) * c.height * 4) << c.x << "," << c.y;
    auto word = [&](size_t at) {
      int32_t v;
      std::memcpy(&v, file.data() + at, 4);
      return v;
    };
    EXPECT_EQ(std::string(file.begin(), file.begin() + 2), "BM");
    EXPECT_EQ(word(2), static_cast<int32_t>(n));
    EXPECT_EQ(word(10), 54);
    EXPECT_EQ(word(14), 40);
    EXPECT_EQ(word(18), c.width);
    EXPECT_EQ(word(22), c.height) << "positive: stored bottom-up";
    EXPECT_EQ(word(26), 1 | (32 << 16));
    EXPECT_EQ(word(30), 0);
    EXPECT_EQ(word(34), c.width * c.height * 4);
    for (int row = 0; row < c.height; ++row) {
      const int sceneY = c.top + c.height - 1 - row;
      EXPECT_EQ(word(54 + size_t(row) * c.width * 4), static_cast<int32_t>(0x0A0A0Au * sceneY))
          << "stored row " << row;
    }
  }
  // A colour instead of the canvas: the red fill shows where no object is.
  scene_.Clear();
  std::vector<uint8_t> file;
  scene_.Snapshot(0, 0, 2, 1, 0x0000FF, [&](size_t size) {
    file.resize(size);
    return file.data();
  });
  EXPECT_EQ(file[54 + 2], 0xFF);
  EXPECT_EQ(file[54 + 1], 0x00);
}

TEST_F(CartoonSceneTest, HitTestLooksThroughTransparentAndKeyedPixels) {
  // Beneath: opaque 10 × 10 at the origin. Above: 10 × 10 at (5, 5) whose left column is
  // the key colour and whose top row is fully transparent.
  const int32_t beneath = scene_.Place(Object(Solid(10, 10, 0x111111), 0, 0));
  auto top = std::make_shared<pic::AnimationFrames>(*Solid(10, 10, 0x222222, 0x030201));
  for (int y = 0; y < 10; ++y) top->frames[0][size_t(y) * 10] = 0x00010203;
  for (int x = 1; x < 10; ++x) top->frames[0][size_t(x)] = 0xFF222222;
  const int32_t above = scene_.Place(Object(top, 5, 5, 1));
  struct Case {
    int x, y;
    int32_t expected;
  } cases[] = {
      {7, 7, above},   {5, 7, beneath},  // keyed
      {7, 5, beneath},                   // fourth byte 0xFF
      {5, 12, -1},     {12, 5, -1},      // keyed or transparent, nothing beneath
      {2, 2, beneath}, {15, 15, -1},    {-1, 0, -1}, {14, 14, above},
  };
  for (const Case& c : cases) EXPECT_EQ(scene_.HitTest(c.x, c.y), c.expected) << c.x << "," << c.y;

  // A zoom drops the key: the keyed column is hit from then on.
  ASSERT_TRUE(scene_.SetZoom(above, 1000, 2000));
  EXPECT_EQ(scene_.HitTest(5, 7), above);
  EXPECT_EQ(scene_.HitTest(7, 6), beneath) << "the transparent row, stretched to two";
}

TEST(CartoonCanvasTest, DisplayModesPlaceThePicture) {
  const std::vector<uint8_t> bmp =
      testing_bmp::Bmp24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
  constexpr COLORREF kBack = 0x804020;  // R 0x20, G 0x40, B 0x80
  constexpr uint32_t kBackPixel = 0x204080;
  struct Probe {
    int x, y;
    uint32_t expected;
  };
  struct Case {
    int mode;
    std::vector<Probe> probes;
  } cases[] = {
      {pic::kCanvasTopLeft,
       {{0, 0, 0xFF0000}, {1, 1, 0xFFFF00}, {2, 0, kBackPixel}, {4, 3, kBackPixel}}},
      {pic::kCanvasCentred,
       {{1, 1, 0xFF0000}, {2, 2, 0xFFFF00}, {0, 0, kBackPixel}, {3, 1, kBackPixel}}},
      {pic::kCanvasTiled, {{2, 0, 0xFF0000}, {4, 2, 0xFF0000}, {3, 3, 0xFFFF00}, {4, 1, 0x0000FF}}},
      {pic::kCanvasStretched,
       {{0, 0, 0xFF0000}, {4, 3, 0xFFFF00}, {4, 0, 0x00FF00}, {0, 3, 0x0000FF}}},
  };
  for (const Case& c : cases) {
    pic::BackgroundCanvas canvas;
    canvas.Build(5, 4, bmp, c.mode, kBack);
    ASSERT_EQ(canvas.Width(), 5);
    for (const Probe& p : c.probes) {
      EXPECT_EQ(canvas.Row(p.y)[p.x] & 0xFFFFFF, p.expected)
          << "mode " << c.mode << " at " << p.x << "," << p.y;
    }
  }
  pic::BackgroundCanvas plain;
  plain.Build(3, 2, {}, pic::kCanvasStretched, kBack);
  EXPECT_EQ(plain.Row(1)[2] & 0xFFFFFF, kBackPixel) << "no picture: the colour";
  plain.Build(0, 2, bmp, 0, kBack);
  EXPECT_EQ(plain.Row(0), nullptr);
}

}  // namespace
