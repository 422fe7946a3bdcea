// Regions against a per-pixel reference: small grids of booleans combined cell by cell.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "platform/gdi/Region.h"
#include "platform/wingdi.h"

namespace {

using platform::gdi::Region;

constexpr int kGrid = 12;
using Grid = std::array<std::array<bool, kGrid>, kGrid>;

Grid Rasterise(const Region& r) {
  Grid g{};
  for (int y = 0; y < kGrid; ++y) {
    for (int x = 0; x < kGrid; ++x) g[y][x] = r.Contains(x, y);
  }
  return g;
}

// A random union of a few rectangles, built both as a region and as a grid.
Region RandomRegion(std::mt19937& random, Grid* grid) {
  *grid = Grid{};
  Region region;
  std::uniform_int_distribution<int> coordinate(0, kGrid);
  int count = std::uniform_int_distribution<int>(0, 4)(random);
  for (int i = 0; i < count; ++i) {
    int x0 = coordinate(random), x1 = coordinate(random), y0 = coordinate(random),
        y1 = coordinate(random);
    RECT r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    region = Region::Combine(region, Region(r), RGN_OR);
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) (*grid)[y][x] = true;
    }
  }
  return region;
}

bool Reference(int mode, bool a, bool b) {
  switch (mode) {
    case RGN_AND:
      return a && b;
    case RGN_OR:
      return a || b;
    case RGN_XOR:
      return a != b;
    case RGN_DIFF:
      return a && !b;
    default:
      return a;
  }
}

// The banded form: rectangles sorted by top then left, each band's rectangles sharing top and
// bottom, disjoint and not touching within a band, and no two bands overlapping.
void ExpectBanded(const Region& region) {
  const auto& rects = region.rects();
  for (size_t i = 0; i < rects.size(); ++i) {
    const RECT& r = rects[i];
    ASSERT_LT(r.left, r.right);
    ASSERT_LT(r.top, r.bottom);
    if (i == 0) continue;
    const RECT& p = rects[i - 1];
    if (p.top == r.top) {
      ASSERT_EQ(p.bottom, r.bottom);
      ASSERT_LT(p.right, r.left) << "touching spans in one band should have been merged";
    } else {
      ASSERT_LE(p.bottom, r.top);
    }
  }
}

TEST(RegionTest, CombineMatchesPerPixelReferenceInEveryMode) {
  std::mt19937 random(20240607);
  for (int round = 0; round < 400; ++round) {
    Grid ga, gb;
    Region a = RandomRegion(random, &ga);
    Region b = RandomRegion(random, &gb);
    for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY}) {
      Region c = Region::Combine(a, b, mode);
      ExpectBanded(c);
      Grid gc = Rasterise(c);
      for (int y = 0; y < kGrid; ++y) {
        for (int x = 0; x < kGrid; ++x) {
          ASSERT_EQ(gc[y][x], Reference(mode, ga[y][x], gb[y][x]))
              << "round " << round << " mode " << mode << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(RegionTest, EqualPixelSetsHaveEqualRepresentations) {
  // Two ways of building the same L shape must compare equal (EqualRgn relies on this).
  Region a = Region::Combine(Region(RECT{0, 0, 4, 2}), Region(RECT{0, 2, 2, 6}), RGN_OR);
  Region b = Region::Combine(Region(RECT{0, 0, 2, 6}), Region(RECT{2, 0, 4, 2}), RGN_OR);
  EXPECT_TRUE(a == b);
  // Stacked rectangles of equal width merge into one.
  Region c = Region::Combine(Region(RECT{1, 1, 5, 3}), Region(RECT{1, 3, 5, 8}), RGN_OR);
  EXPECT_EQ(c.Complexity(), SIMPLEREGION);
  EXPECT_EQ(c.rects().size(), 1u);
  // Side by side rectangles of the same band merge too.
  Region d = Region::Combine(Region(RECT{0, 0, 3, 3}), Region(RECT{3, 0, 6, 3}), RGN_OR);
  EXPECT_EQ(d.Complexity(), SIMPLEREGION);
}

TEST(RegionTest, ComplexityBoundsAndEmptyRectangles) {
  EXPECT_EQ(Region().Complexity(), NULLREGION);
  EXPECT_EQ(Region(RECT{5, 5, 5, 9}).Complexity(), NULLREGION);
  EXPECT_EQ(Region(RECT{5, 5, 2, 9}).Complexity(), NULLREGION);
  Region hole = Region::Combine(Region(RECT{0, 0, 10, 10}), Region(RECT{3, 3, 6, 6}), RGN_DIFF);
  EXPECT_EQ(hole.Complexity(), COMPLEXREGION);
  RECT box = hole.Bounds();
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_FALSE(hole.Contains(4, 4));
  EXPECT_TRUE(hole.Contains(2, 4));
  EXPECT_FALSE(hole.Contains(10, 0));  // right and bottom edges are outside
  EXPECT_TRUE(hole.Intersects(RECT{5, 5, 7, 7}));
  EXPECT_FALSE(hole.Intersects(RECT{3, 3, 6, 6}));
}

TEST(RegionTest, ClipRectReturnsThePartsInside) {
  Region hole = Region::Combine(Region(RECT{0, 0, 10, 10}), Region(RECT{3, 3, 6, 6}), RGN_DIFF);
  std::vector<RECT> parts;
  hole.ClipRect(RECT{2, 2, 8, 8}, &parts);
  long area = 0;
  for (const RECT& r : parts) area += (r.right - r.left) * (r.bottom - r.top);
  EXPECT_EQ(area, 36 - 9);
  parts.clear();
  hole.ClipRect(RECT{8, 8, 2, 2}, &parts);
  EXPECT_TRUE(parts.empty());
}

TEST(RegionTest, OffsetMovesAndSaturatesAtTheLimits) {
  Region r(RECT{0, 0, 4, 4});
  r.Offset(10, -3);
  EXPECT_TRUE(r.Contains(10, -3));
  EXPECT_FALSE(r.Contains(9, -3));
  // Moving far past the coordinate range must not overflow; the region collapses instead.
  r.Offset(0x7FFFFFFF, 0x7FFFFFFF);
  r.Offset(0x7FFFFFFF, 0x7FFFFFFF);
  EXPECT_TRUE(r.IsEmpty());
}

}  // namespace
