#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/filters/FilterPass.h"
#include "app/filters/GdiPixelSurface.h"

namespace {

using app::FilterKind;
using app::MemoryPixelSurface;
using app::PixelColor;

// Offsets from a list, repeated; counts how the pass asks for them.
class ScriptedRandom final : public app::FilterRandom {
 public:
  explicit ScriptedRandom(std::vector<int32_t> values) : values_(std::move(values)) {}
  void SeedFromClock() override { ++seeds; }
  int32_t Between(int32_t low, int32_t high) override {
    EXPECT_EQ(low, 2);
    EXPECT_EQ(high, 5);
    ++draws;
    return values_[(draws - 1) % values_.size()];
  }
  int seeds = 0;
  size_t draws = 0;

 private:
  std::vector<int32_t> values_;
};

uint32_t Raw(PixelColor c) {
  return static_cast<uint32_t>(c.blue) << 16 | static_cast<uint32_t>(c.green) << 8 |
         static_cast<uint32_t>(c.red);
}

MemoryPixelSurface Uniform(int32_t w, int32_t h, PixelColor c) {
  return {w, h, Raw(c)};
}

PixelColor FilteredAt(FilterKind kind, MemoryPixelSurface& s, int32_t x, int32_t y) {
  ScriptedRandom random({2});
  app::RunFilterPass(kind, s, random);
  return app::ReadPixel(s, x, y);
}

struct PixelCase {
  FilterKind kind;
  PixelColor expected;
};

// One pixel (200, 100, 50) alone: every neighbour lies outside and reads as white. The
// values were worked out by hand, including the low-byte writes (Ice's blue 375, Comic's
// grey 401, Brightness's red 316).
TEST(FilterPassTest, EveryFilterOnALonePixel) {
  const PixelCase cases[] = {
      {FilterKind::kEmboss, {73, 27, 77}},       {FilterKind::kSharpen, {45, 0, 0}},
      {FilterKind::kDiffuse, {255, 255, 255}},   {FilterKind::kRects, {199, 100, 50}},
      {FilterKind::kBrightness, {60, 216, 166}}, {FilterKind::kIce, {75, 225, 119}},
      {FilterKind::kDark, {136, 36, 14}},        {FilterKind::kHeat, {161, 50, 19}},
      {FilterKind::kStrange, {131, 141, 131}},   {FilterKind::kAqua, {0, 1, 0}},
      {FilterKind::kNight, {156, 39, 9}},        {FilterKind::kAfrika, {19, 3, 0}},
      {FilterKind::kBlur, {224, 214, 209}},      {FilterKind::kGreyscale, {124, 124, 124}},
      {FilterKind::kComic, {145, 145, 145}},     {FilterKind::kBlackAndWhite, {255, 255, 255}},
  };
  ASSERT_EQ(std::size(cases), static_cast<size_t>(app::kFilterCount));
  for (const PixelCase& c : cases) {
    MemoryPixelSurface s = Uniform(1, 1, {200, 100, 50});
    EXPECT_EQ(FilteredAt(c.kind, s, 0, 0), c.expected) << app::FilterName(c.kind);
  }
}

// The top-left pixel of black and of white pictures: white beyond the left and top edges
// matters only to Sharpen, Blur and Rects.
TEST(FilterPassTest, BlackAndWhitePictures) {
  const PixelCase black[] = {
      {FilterKind::kEmboss, {128, 128, 128}}, {FilterKind::kSharpen, {0, 0, 0}},
      {FilterKind::kRects, {0, 0, 0}},        {FilterKind::kBrightness, {0, 0, 0}},
      {FilterKind::kIce, {0, 0, 0}},          {FilterKind::kDark, {64, 64, 64}},
      {FilterKind::kHeat, {25, 25, 25}},      {FilterKind::kStrange, {0, 0, 0}},
      {FilterKind::kAqua, {0, 0, 0}},         {FilterKind::kNight, {0, 0, 0}},
      {FilterKind::kBlur, {127, 127, 127}},   {FilterKind::kBlackAndWhite, {0, 0, 0}},
  };
  for (const PixelCase& c : black) {
    MemoryPixelSurface s = Uniform(2, 2, {0, 0, 0});
    EXPECT_EQ(FilteredAt(c.kind, s, 0, 0), c.expected) << "black " << app::FilterName(c.kind);
  }
  const PixelCase white[] = {
      {FilterKind::kDark, {191, 191, 191}},      {FilterKind::kNight, {254, 254, 254}},
      {FilterKind::kGreyscale, {255, 255, 255}}, {FilterKind::kBlackAndWhite, {255, 255, 255}},
      {FilterKind::kStrange, {108, 108, 108}},   {FilterKind::kEmboss, {128, 128, 128}},
  };
  for (const PixelCase& c : white) {
    MemoryPixelSurface s = Uniform(2, 2, {255, 255, 255});
    EXPECT_EQ(FilteredAt(c.kind, s, 0, 0), c.expected) << "white " << app::FilterName(c.kind);
  }
}

TEST(FilterPassTest, LowByteWritesAndEdgeReads) {
  MemoryPixelSurface s(2, 2);
  app::WritePixel(s, 0, 0, {-1, 256, 300});
  EXPECT_EQ(app::ReadPixel(s, 0, 0), (PixelColor{255, 0, 44}));
  app::WritePixel(s, 2, 0, {1, 2, 3});  // one past the right edge
  app::WritePixel(s, 0, 2, {1, 2, 3});
  EXPECT_EQ(app::ReadPixel(s, 2, 1), (PixelColor{255, 255, 255}));
  EXPECT_EQ(app::ReadPixel(s, 1, 2), (PixelColor{255, 255, 255}));
  EXPECT_EQ(s.Pixels(), (std::vector<uint32_t>{0x2C00FF, 0, 0, 0}));

  // A lower-right neighbour 255 darker: 255 - 0 + 128 = 383, written as 127.
  MemoryPixelSurface e(2, 2);
  e.SetRaw(0, 0, 0x0000FF);
  EXPECT_EQ(FilteredAt(FilterKind::kEmboss, e, 0, 0), (PixelColor{127, 128, 128}));

  // Aqua's negative quotients: (-250 xor 2) / 125 = -2, written as 254.
  MemoryPixelSurface a = Uniform(1, 1, {0, 0, 250});
  EXPECT_EQ(FilteredAt(FilterKind::kAqua, a, 0, 0), (PixelColor{254, 254, 0}));
}

// Left and upper neighbours are read after this pass rewrote them.
TEST(FilterPassTest, NeighboursAlreadyRewrittenAreReadAsRewritten) {
  // Sharpen: the three pixels before (1, 1) see white up-left and become 0; (1, 1) then
  // sees its rewritten neighbour, 150 - 0, not the original 150 - 100.
  MemoryPixelSurface s = Uniform(2, 2, {100, 100, 100});
  EXPECT_EQ(FilteredAt(FilterKind::kSharpen, s, 1, 1), (PixelColor{150, 150, 150}));
  EXPECT_EQ(app::ReadPixel(s, 0, 0), (PixelColor{0, 0, 0}));

  // Blur over 100s, worked down column 0 and into column 1 by hand:
  // (0,0) = (5*255 + 4*100) / 10 = 167; (0,1) = (3*255 + 167 + 5*100) / 10 = 143;
  // (0,2) = (5*255 + 143 + 3*100) / 10 = 171; (1,0) = 147; (1,1) = 112.
  MemoryPixelSurface b = Uniform(3, 3, {100, 100, 100});
  ScriptedRandom random({2});
  app::RunFilterPass(FilterKind::kBlur, b, random);
  const int32_t expected[][3] = {{167, 143, 171}, {147, 112, -1}};
  for (int32_t x = 0; x < 2; ++x) {
    for (int32_t y = 0; y < 3; ++y) {
      if (expected[x][y] < 0) continue;
      EXPECT_EQ(app::ReadPixel(b, x, y).red, expected[x][y]) << x << y;
    }
  }
}

TEST(FilterPassTest, DiffuseSeedsOnceAndDrawsThreeOffsetsPerPixel) {
  // One column of six rows, red = 10 * row, green = 1, blue = 2 * row.
  MemoryPixelSurface s(1, 6);
  for (int32_t y = 0; y < 6; ++y) app::WritePixel(s, 0, y, {10 * y, 1, 2 * y});
  ScriptedRandom random({3, 2, 2});
  app::RunFilterPass(FilterKind::kDiffuse, s, random);
  EXPECT_EQ(random.seeds, 1);
  EXPECT_EQ(random.draws, 3u * 2u * 7u);  // (W + 1) * (H + 1) pixels
  // Red comes from three rows down (rows 3, 4, 5; row 3 onward reads past the bottom);
  // green and blue from columns to the right, outside.
  const int32_t reds[] = {30, 40, 50, 255, 255, 255};
  for (int32_t y = 0; y < 6; ++y)
    EXPECT_EQ(app::ReadPixel(s, 0, y), (PixelColor{reds[y], 255, 255})) << y;

  MemoryPixelSurface other(1, 1);
  ScriptedRandom unused({2});
  app::RunFilterPass(FilterKind::kDark, other, unused);
  EXPECT_EQ(unused.seeds, 0);
}

TEST(FilterPassTest, FiltersCompoundAndReportProgressPerColumn) {
  MemoryPixelSurface s = Uniform(4, 1, {200, 100, 50});
  ScriptedRandom random({2});
  std::vector<int32_t> progress;
  auto record = [&](int32_t p) {
    progress.push_back(p);
    return true;
  };
  app::RunFilterPass(FilterKind::kDark, s, random, record);
  app::RunFilterPass(FilterKind::kDark, s, random);
  EXPECT_EQ(app::ReadPixel(s, 3, 0), (PixelColor{72, 28, 50}));  // |14 - 64| = 50
  EXPECT_EQ(progress, (std::vector<int32_t>{0, 25, 50, 75, 100}));

  MemoryPixelSurface empty(0, 3);
  progress.clear();
  app::RunFilterPass(FilterKind::kBlur, empty, random, record);
  EXPECT_EQ(progress, (std::vector<int32_t>{0}));  // 0 / 0 gives NaN, truncated to 0
}

TEST(FilterPassTest, TruncationKeepsTheLowHalfOfA64BitResult) {
  EXPECT_EQ(app::TruncateLow32(-1.9), -1);
  EXPECT_EQ(app::TruncateLow32(4294967296.0 + 5.7), 5);
  EXPECT_EQ(app::TruncateLow32(2147483648.0), INT32_MIN);
  EXPECT_EQ(app::TruncateLow32(std::nan("")), 0);
  EXPECT_EQ(app::TruncateLow32(1e30), 0);
}

// A surface type the pass does not know, so it goes through the virtual calls.
class ForwardingSurface final : public app::PixelSurface {
 public:
  explicit ForwardingSurface(PixelSurface& inner) : inner_(inner) {}
  int32_t Width() const override { return inner_.Width(); }
  int32_t Height() const override { return inner_.Height(); }
  uint32_t GetRaw(int32_t x, int32_t y) override { return inner_.GetRaw(x, y); }
  void SetRaw(int32_t x, int32_t y, uint32_t c) override { inner_.SetRaw(x, y, c); }

 private:
  PixelSurface& inner_;
};

// The same pass through GetPixel and SetPixel on a bitmap, and through a surface of a type
// the pass does not know, leaves what it leaves in memory.
TEST(FilterPassTest, DeviceContextSurfaceMatchesMemory) {
  const int32_t w = 5, h = 4;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, w, h);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  for (int k = 0; k < app::kFilterCount; ++k) {
    const auto kind = static_cast<FilterKind>(k);
    MemoryPixelSurface memory(w, h), forwarded(w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const uint32_t c = Raw({40 * x + 3 * y, 255 - 50 * y, (60 * x * y) & 0xFF});
        memory.SetRaw(x, y, c);
        forwarded.SetRaw(x, y, c);
        SetPixel(dc, x, y, c);
      }
    app::GdiPixelSurface gdi(dc, w, h);
    ForwardingSurface generic(forwarded);
    ScriptedRandom r1({2, 5, 3, 4}), r2({2, 5, 3, 4}), r3({2, 5, 3, 4});
    app::RunFilterPass(kind, memory, r1);
    app::RunFilterPass(kind, gdi, r2);
    app::RunFilterPass(kind, generic, r3);
    EXPECT_EQ(forwarded.Pixels(), memory.Pixels()) << app::FilterName(kind);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        ASSERT_EQ(GetPixel(dc, x, y), memory.GetRaw(x, y)) << app::FilterName(kind) << x << y;
  }
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
