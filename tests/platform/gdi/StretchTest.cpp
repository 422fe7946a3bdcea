// StretchBlt in both modes: nearest-neighbour mapping and mirroring, and HALFTONE against a
// plain floating-point area average.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/wingdi.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

namespace {

using gdi_test::Canvas;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Source pixel i of a row gets colour RGB(i, 0, 0), so the destination tells which source
// pixel it came from.
void FillIndexRow(Canvas& c) {
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x) c.Set(x, y, RGB(x, y, 0));
}

std::vector<int> SourceColumns(const Canvas& c, int y = 0) {
  std::vector<int> out;
  for (int x = 0; x < c.width(); ++x) out.push_back(GetRValue(c.At(x, y)));
  return out;
}

TEST(StretchTest, ColorOnColorRepeatsAndDropsWholePixels) {
  Canvas src(3, 1);
  FillIndexRow(src);
  Canvas wide(6, 1, kWhite);
  SetStretchBltMode(wide.dc(), COLORONCOLOR);
  ASSERT_TRUE(StretchBlt(wide.dc(), 0, 0, 6, 1, src.dc(), 0, 0, 3, 1, SRCCOPY));
  EXPECT_EQ(SourceColumns(wide), (std::vector<int>{0, 0, 1, 1, 2, 2}));

  Canvas six(6, 1);
  FillIndexRow(six);
  Canvas narrow(3, 1, kWhite);
  SetStretchBltMode(narrow.dc(), COLORONCOLOR);
  ASSERT_TRUE(StretchBlt(narrow.dc(), 0, 0, 3, 1, six.dc(), 0, 0, 6, 1, SRCCOPY));
  // Each destination pixel takes the source pixel under its centre.
  EXPECT_EQ(SourceColumns(narrow), (std::vector<int>{1, 3, 5}));
}

TEST(StretchTest, ColorOnColorSpreadsUnevenRatiosEvenly) {
  for (int srcWidth : {3, 5, 7}) {
    for (int destWidth : {7, 11, 16, 2}) {
      Canvas src(srcWidth, 1);
      FillIndexRow(src);
      Canvas dst(destWidth, 1, kWhite);
      SetStretchBltMode(dst.dc(), COLORONCOLOR);
      ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, destWidth, 1, src.dc(), 0, 0, srcWidth, 1, SRCCOPY));
      std::vector<int> cols = SourceColumns(dst);
      // In order, never skipping when enlarging, and runs that differ by at most one.
      std::vector<int> runs(srcWidth, 0);
      for (int i = 0; i < destWidth; ++i) {
        if (i > 0) {
          ASSERT_GE(cols[i], cols[i - 1]);
          if (destWidth >= srcWidth) {
            ASSERT_LE(cols[i] - cols[i - 1], 1);
          }
        }
        ++runs[cols[i]];
      }
      if (destWidth >= srcWidth) {
        auto [lo, hi] = std::minmax_element(runs.begin(), runs.end());
        EXPECT_LE(*hi - *lo, 1) << srcWidth << "->" << destWidth;
        // Centre sampling is symmetric: mirrored positions get equal runs.
        for (int i = 0; i < srcWidth; ++i) EXPECT_EQ(runs[i], runs[srcWidth - 1 - i]);
      }
    }
  }
}

TEST(StretchTest, OppositeSignsMirror) {
  Canvas src(4, 3);
  FillIndexRow(src);
  struct Case {
    int x, w, sx, sw;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {4, -4, 0, 4, {3, 2, 1, 0}},   // destination runs left from x = 4
      {0, 4, 4, -4, {3, 2, 1, 0}},   // source runs left from x = 4
      {4, -4, 4, -4, {0, 1, 2, 3}},  // both: no mirror
      {8, -8, 0, 4, {3, 3, 2, 2, 1, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    for (int mode : {COLORONCOLOR, HALFTONE}) {
      Canvas dst(static_cast<int>(c.expected.size()), 1, kWhite);
      SetStretchBltMode(dst.dc(), mode);
      ASSERT_TRUE(StretchBlt(dst.dc(), c.x, 0, c.w, 1, src.dc(), c.sx, 0, c.sw, 1, SRCCOPY));
      EXPECT_EQ(SourceColumns(dst), c.expected)
          << c.x << " " << c.w << " " << c.sx << " " << c.sw << " mode " << mode;
    }
  }
  // Vertically: rows come out bottom first.
  Canvas dst(1, 6, kWhite);
  SetStretchBltMode(dst.dc(), COLORONCOLOR);
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 6, 1, -6, src.dc(), 0, 0, 1, 3, SRCCOPY));
  std::vector<int> rows;
  for (int y = 0; y < 6; ++y) rows.push_back(GetGValue(dst.At(0, y)));
  EXPECT_EQ(rows, (std::vector<int>{2, 2, 1, 1, 0, 0}));
}

TEST(StretchTest, SourceOutsideItsBitmapIsNotDrawn) {
  Canvas src(2, 1, RGB(200, 0, 0));
  for (int mode : {COLORONCOLOR, HALFTONE}) {
    Canvas dst(8, 1, kWhite);
    SetStretchBltMode(dst.dc(), mode);
    // Source x from -2 to 2: the left half of the destination has nothing to show.
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 8, 1, src.dc(), -2, 0, 4, 1, SRCCOPY));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.At(x, 0), kWhite) << mode;
    for (int x = 4; x < 8; ++x) EXPECT_EQ(dst.At(x, 0), RGB(200, 0, 0)) << mode;
  }
}

TEST(StretchTest, OperationsApplyToTheStretchedSource) {
  Canvas src(1, 1, RGB(0x0F, 0xF0, 0x33));
  for (int mode : {COLORONCOLOR, HALFTONE}) {
    Canvas dst(3, 2, RGB(0xFF, 0x0F, 0x30));
    SetStretchBltMode(dst.dc(), mode);
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 3, 2, src.dc(), 0, 0, 1, 1, SRCINVERT));
    EXPECT_EQ(dst.Count(RGB(0xF0, 0xFF, 0x03)), 6) << mode;
  }
}

TEST(StretchTest, StretchWithinOneBitmapReadsTheOriginal) {
  Canvas c(8, 1, kBlack);
  for (int x = 0; x < 4; ++x) c.Set(x, 0, RGB(x * 10, 0, 0));
  SetStretchBltMode(c.dc(), COLORONCOLOR);
  ASSERT_TRUE(StretchBlt(c.dc(), 0, 0, 8, 1, c.dc(), 0, 0, 4, 1, SRCCOPY));
  std::vector<int> got = SourceColumns(c);
  EXPECT_EQ(got, (std::vector<int>{0, 0, 10, 10, 20, 20, 30, 30}));
}

// The area average computed the obvious way: every source pixel weighted by how much of
// the destination pixel it covers, in floating point.
std::vector<double> ReferenceAverage(const std::vector<uint8_t>& src, int sw, int sh, int dw,
                                     int dh, int dx, int dy) {
  const double fx = static_cast<double>(sw) / dw;
  const double fy = static_cast<double>(sh) / dh;
  const double x0 = dx * fx, x1 = (dx + 1) * fx, y0 = dy * fy, y1 = (dy + 1) * fy;
  double sum[3] = {0, 0, 0};
  double area = 0;
  for (int y = static_cast<int>(std::floor(y0)); y < sh && y < y1; ++y) {
    double wy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
    if (wy <= 0) continue;
    for (int x = static_cast<int>(std::floor(x0)); x < sw && x < x1; ++x) {
      double wx = std::min<double>(x + 1, x1) - std::max<double>(x, x0);
      if (wx <= 0) continue;
      for (int c = 0; c < 3; ++c)
        sum[c] += wx * wy * src[3 * (static_cast<size_t>(y) * sw + x) + c];
      area += wx * wy;
    }
  }
  return {sum[0] / area, sum[1] / area, sum[2] / area};
}

TEST(StretchTest, HalftoneMatchesAFloatingPointAreaAverage) {
  std::mt19937 random(20240611);
  const int sizes[][4] = {{7, 5, 3, 2},    {10, 10, 4, 7},  {5, 3, 11, 8},  {13, 11, 13, 4},
                          {40, 30, 11, 5}, {17, 23, 16, 9}, {3, 3, 1, 1},   {64, 2, 5, 2},
                          {2, 70, 2, 1},   {9, 9, 20, 3},   {100, 1, 3, 1}, {31, 37, 30, 36}};
  for (const auto& s : sizes) {
    const int sw = s[0], sh = s[1], dw = s[2], dh = s[3];
    std::vector<uint8_t> pixels(static_cast<size_t>(3 * sw * sh));
    for (auto& p : pixels) p = static_cast<uint8_t>(random());
    for (int bitCount : {32, 24}) {
      Canvas src(sw, sh, kBlack, bitCount);
      for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
          const uint8_t* p = &pixels[3 * (static_cast<size_t>(y) * sw + x)];
          src.Set(x, y, RGB(p[0], p[1], p[2]));
        }
      Canvas dst(dw, dh, kBlack);
      SetStretchBltMode(dst.dc(), HALFTONE);
      ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, dw, dh, src.dc(), 0, 0, sw, sh, SRCCOPY));
      for (int y = 0; y < dh; ++y) {
        for (int x = 0; x < dw; ++x) {
          std::vector<double> want = ReferenceAverage(pixels, sw, sh, dw, dh, x, y);
          COLORREF got = dst.At(x, y);
          const int channels[3] = {GetRValue(got), GetGValue(got), GetBValue(got)};
          for (int c = 0; c < 3; ++c) {
            ASSERT_LE(std::fabs(channels[c] - want[c]), 1.0)
                << sw << "x" << sh << "->" << dw << "x" << dh << " bits " << bitCount << " at " << x
                << "," << y << " channel " << c;
          }
        }
      }
    }
  }
}

// Many source rows under one destination row take the wider-weight path.
TEST(StretchTest, HalftoneAveragesLongRunsAccurately) {
  for (bool vertical : {false, true}) {
    const int n = 1000;
    Canvas src(vertical ? 1 : n, vertical ? n : 1, kBlack);
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      // Alternating extremes are the hardest case for rounded weights.
      int v = (i % 2 == 0) ? 255 : (i * 7) % 256;
      sum += v;
      src.Set(vertical ? 0 : i, vertical ? i : 0, RGB(v, 255 - v, 0));
    }
    Canvas dst(1, 1, kBlack);
    SetStretchBltMode(dst.dc(), HALFTONE);
    ASSERT_TRUE(
        StretchBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, src.width(), src.height(), SRCCOPY));
    EXPECT_LE(std::fabs(GetRValue(dst.At(0, 0)) - sum / n), 1.0) << vertical;
    EXPECT_LE(std::fabs(GetGValue(dst.At(0, 0)) - (255 - sum / n)), 1.0) << vertical;
  }
}

TEST(StretchTest, HalftoneOfOtherFormats) {
  // A monochrome bitmap turns into the destination's text and background colours first.
  Canvas mono(2, 1, kBlack, 1);
  mono.Set(1, 0, kWhite);
  Canvas dst(1, 1, kBlack);
  SetTextColor(dst.dc(), RGB(0, 0, 200));
  SetBkColor(dst.dc(), RGB(200, 0, 0));
  SetStretchBltMode(dst.dc(), HALFTONE);
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 1, 1, mono.dc(), 0, 0, 2, 1, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(100, 0, 100));

  // An 8-bit source through its palette, into a 16-bit destination.
  Canvas indexed(2, 2, RGB(255, 0, 0), 8);
  indexed.Set(0, 0, RGB(0, 0, 255));
  indexed.Set(1, 1, RGB(0, 0, 255));
  Canvas d16(1, 1, kBlack, 16);
  SetStretchBltMode(d16.dc(), HALFTONE);
  ASSERT_TRUE(StretchBlt(d16.dc(), 0, 0, 1, 1, indexed.dc(), 0, 0, 2, 2, SRCCOPY));
  COLORREF got = d16.At(0, 0);
  EXPECT_NEAR(GetRValue(got), 128, 8);
  EXPECT_EQ(GetGValue(got), 0);
  EXPECT_NEAR(GetBValue(got), 128, 8);

  // A monochrome destination has no colours to average into: nearest neighbour.
  Canvas monoDst(2, 1, kBlack, 1);
  Canvas grey(4, 1, kWhite);
  SetStretchBltMode(monoDst.dc(), HALFTONE);
  SetBkColor(grey.dc(), kWhite);
  ASSERT_TRUE(StretchBlt(monoDst.dc(), 0, 0, 2, 1, grey.dc(), 0, 0, 4, 1, SRCCOPY));
  EXPECT_EQ(monoDst.Count(kWhite), 2);
}

// 24-bit rows are averaged where they lie, not widened to BGRX words first; the result must
// be the very words a 32-bit copy of the same picture gives, whatever the ratio, the source
// rectangle, the direction or the number of rows under one destination row.
TEST(StretchTest, HalftoneOf24BitRowsEqualsThatOfTheirBgrxCopy) {
  struct Case {
    int sw, sh;                // source bitmap
    int sx, sy, swide, shigh;  // source rectangle
    int dw, dh;                // destination extents (negative mirrors)
  };
  const Case cases[] = {
      {37, 29, 0, 0, 37, 29, 10, 7},   {101, 67, 5, 3, 90, 60, 33, 20},
      {50, 400, 0, 0, 50, 400, 7, 3},  {13, 9, 0, 0, 13, 9, 40, 25},
      {64, 48, 0, 0, 64, 48, -20, 15}, {30, 30, -5, 2, 40, 30, 12, 12},
      {11, 70, 0, 0, 11, 70, 11, 9},   {257, 5, 0, 0, 257, 5, 3, 2},
  };
  std::mt19937 random(77);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh);
    Canvas packed(c.sw, c.sh, kBlack, 24), words(c.sw, c.sh, kBlack, 32);
    for (int y = 0; y < c.sh; ++y)
      for (int x = 0; x < c.sw; ++x) {
        const COLORREF colour = random() & 0xFFFFFF;
        packed.Set(x, y, colour);
        words.Set(x, y, colour);
      }
    const int w = std::abs(c.dw), h = c.dh;
    Canvas got(w, h, RGB(9, 8, 7)), want(w, h, RGB(9, 8, 7));
    for (Canvas* d : {&got, &want}) SetStretchBltMode(d->dc(), HALFTONE);
    const int x0 = c.dw < 0 ? w - 1 : 0;
    ASSERT_TRUE(
        StretchBlt(got.dc(), x0, 0, c.dw, h, packed.dc(), c.sx, c.sy, c.swide, c.shigh, SRCCOPY));
    ASSERT_TRUE(
        StretchBlt(want.dc(), x0, 0, c.dw, h, words.dc(), c.sx, c.sy, c.swide, c.shigh, SRCCOPY));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(got.surface().ReadRaw(x, y), want.surface().ReadRaw(x, y)) << x << "," << y;
  }
}

// A clip changes which pixels one call averages together; each pixel must come out the same.
TEST(StretchTest, HalftoneInsideAClipMatchesTheUnclippedResult) {
  std::mt19937 random(5);
  Canvas src(30, 20, kBlack);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) src.Set(x, y, RGB(random() & 255, random() & 255, random() & 255));
  Canvas whole(11, 7, kBlack);
  SetStretchBltMode(whole.dc(), HALFTONE);
  ASSERT_TRUE(StretchBlt(whole.dc(), 0, 0, 11, 7, src.dc(), 0, 0, 30, 20, SRCCOPY));
  const RECT clips[] = {{3, 2, 8, 6}, {0, 0, 1, 7}, {5, 0, 11, 7}, {1, 3, 10, 4}, {2, 0, 7, 7}};
  for (const RECT& clip : clips) {
    Canvas part(11, 7, kBlack);
    SetStretchBltMode(part.dc(), HALFTONE);
    IntersectClipRect(part.dc(), clip.left, clip.top, clip.right, clip.bottom);
    ASSERT_TRUE(StretchBlt(part.dc(), 0, 0, 11, 7, src.dc(), 0, 0, 30, 20, SRCCOPY));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 11; ++x) {
        bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        ASSERT_EQ(part.At(x, y), inside ? whole.At(x, y) : kBlack) << x << "," << y;
      }
  }
}

}  // namespace
