// Region handles and the clip region of DCs, observed through GetClipBox, PtVisible and the
// rectangles the drawing code is given by ClipDeviceRect.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/wingdi.h"

namespace {

using platform::gdi::DeviceContext;
using platform::gdi::Region;

// A memory DC holding a 20x20 colour bitmap.
class ClipDC {
 public:
  ClipDC() {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateBitmap(20, 20, 1, 32, nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~ClipDC() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  // Which pixels of the bitmap the DC may draw on, read through PtVisible.
  std::vector<bool> VisibleMap() const {
    std::vector<bool> map;
    POINT org;
    GetWindowOrgEx(dc_, &org);
    POINT vp;
    GetViewportOrgEx(dc_, &vp);
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x)
        map.push_back(PtVisible(dc_, x + org.x - vp.x, y + org.y - vp.y) != 0);
    }
    return map;
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

RECT Box(HDC dc, int* complexity = nullptr) {
  RECT r{-1, -1, -1, -1};
  int c = GetClipBox(dc, &r);
  if (complexity != nullptr) *complexity = c;
  return r;
}

void ExpectRect(const RECT& r, LONG l, LONG t, LONG rt, LONG b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rt);
  EXPECT_EQ(r.bottom, b);
}

TEST(ClippingTest, RegionHandlesCombineTestAndCompare) {
  HRGN a = CreateRectRgn(10, 10, 0, 0);  // corners in either order
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  RECT box;
  EXPECT_EQ(GetRgnBox(a, &box), SIMPLEREGION);
  ExpectRect(box, 0, 0, 10, 10);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(out, 14, 14));
  EXPECT_FALSE(PtInRegion(out, 14, 2));
  EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
  EXPECT_EQ(GetRgnBox(out, &box), SIMPLEREGION);
  ExpectRect(box, 5, 5, 10, 10);
  EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_COPY), SIMPLEREGION);  // COPY ignores the second
  EXPECT_TRUE(EqualRgn(out, a));
  EXPECT_FALSE(EqualRgn(out, b));
  // The destination may be one of the sources.
  EXPECT_EQ(CombineRgn(a, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(a, 7, 7));
  EXPECT_TRUE(PtInRegion(a, 2, 2));
  RECT probe{6, 6, 9, 9};
  EXPECT_FALSE(RectInRegion(a, &probe));
  probe = RECT{9, 9, 11, 11};
  EXPECT_TRUE(RectInRegion(a, &probe));
  EXPECT_EQ(OffsetRgn(b, -5, -5), SIMPLEREGION);
  EXPECT_TRUE(PtInRegion(b, 0, 0));
  EXPECT_TRUE(SetRectRgn(b, 3, 3, 1, 1));
  GetRgnBox(b, &box);
  ExpectRect(box, 1, 1, 3, 3);
  for (HRGN r : {a, b, out}) EXPECT_TRUE(DeleteObject(r));
}

TEST(ClippingTest, RegionFunctionsRefuseBadHandlesAndModes) {
  HRGN r = CreateRectRgn(0, 0, 4, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  RECT box;
  EXPECT_EQ(CombineRgn(r, r, r, 0), ERROR);
  EXPECT_EQ(CombineRgn(r, r, r, 6), ERROR);
  EXPECT_EQ(CombineRgn(r, r, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(CombineRgn(dc, r, r, RGN_AND), ERROR);  // a DC is not a region
  EXPECT_EQ(GetRgnBox(nullptr, &box), ERROR);
  EXPECT_EQ(GetRgnBox(r, nullptr), ERROR);
  EXPECT_FALSE(PtInRegion(dc, 0, 0));
  EXPECT_FALSE(SetRectRgn(dc, 0, 0, 1, 1));
  EXPECT_EQ(OffsetRgn(reinterpret_cast<HRGN>(0x1234), 1, 1), ERROR);
  EXPECT_FALSE(RectInRegion(r, nullptr));
  EXPECT_EQ(CreateRectRgnIndirect(nullptr), nullptr);
  EXPECT_TRUE(DeleteObject(r));
  EXPECT_FALSE(PtInRegion(r, 1, 1));  // deleted
  EXPECT_EQ(CombineRgn(r, r, r, RGN_OR), ERROR);
  DeleteDC(dc);
}

TEST(ClippingTest, SelectClipRgnCopiesTheRegion) {
  ClipDC c;
  HRGN r = CreateRectRgn(2, 3, 8, 9);
  EXPECT_EQ(SelectClipRgn(c.dc(), r), SIMPLEREGION);
  // Changing or deleting the region afterwards leaves the DC's clip alone.
  SetRectRgn(r, 0, 0, 1, 1);
  DeleteObject(r);
  ExpectRect(Box(c.dc()), 2, 3, 8, 9);
  EXPECT_TRUE(PtVisible(c.dc(), 2, 3));
  EXPECT_FALSE(PtVisible(c.dc(), 8, 3));
  // NULL removes the clip region.
  EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
  ExpectRect(Box(c.dc()), 0, 0, 20, 20);
  // SelectObject with a region does the same and reports the complexity.
  HRGN two = CreateRectRgn(0, 0, 5, 5);
  HRGN other = CreateRectRgn(10, 10, 12, 12);
  CombineRgn(two, two, other, RGN_OR);
  EXPECT_EQ(reinterpret_cast<intptr_t>(SelectObject(c.dc(), two)), COMPLEXREGION);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.dc(), copy), 1);
  EXPECT_TRUE(EqualRgn(copy, two));
  SelectClipRgn(c.dc(), nullptr);
  EXPECT_EQ(GetClipRgn(c.dc(), copy), 0);
  // A region wholly outside the bitmap leaves nothing to draw on.
  SetRectRgn(other, 30, 30, 40, 40);
  int complexity = -1;
  EXPECT_EQ(SelectClipRgn(c.dc(), other), NULLREGION);
  ExpectRect(Box(c.dc(), &complexity), 0, 0, 0, 0);
  EXPECT_EQ(complexity, NULLREGION);
  for (HRGN h : {two, other, copy}) DeleteObject(h);
}

TEST(ClippingTest, ExtSelectClipRgnCombinesWithTheCurrentClip) {
  ClipDC c;
  HRGN left = CreateRectRgn(0, 0, 10, 20);
  HRGN top = CreateRectRgn(0, 0, 20, 10);
  // Without a clip region the current clip is the whole bitmap.
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), top, RGN_AND), SIMPLEREGION);
  ExpectRect(Box(c.dc()), 0, 0, 20, 10);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), left, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtVisible(c.dc(), 5, 15));
  EXPECT_FALSE(PtVisible(c.dc(), 15, 15));
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), left, RGN_XOR), SIMPLEREGION);
  ExpectRect(Box(c.dc()), 10, 0, 20, 10);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), top, RGN_DIFF), NULLREGION);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), left, RGN_COPY), SIMPLEREGION);
  ExpectRect(Box(c.dc()), 0, 0, 10, 20);
  // Only RGN_COPY takes a null region.
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_AND), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_COPY), SIMPLEREGION);
  ExpectRect(Box(c.dc()), 0, 0, 20, 20);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), left, 9), ERROR);
  EXPECT_EQ(ExtSelectClipRgn(nullptr, left, RGN_COPY), ERROR);
  DeleteObject(left);
  DeleteObject(top);
}

TEST(ClippingTest, ClipRectanglesTakeLogicalCoordinates) {
  ClipDC c;
  // Logical (x, y) lands on device (x - 5 + 2, y - 5 + 2).
  SetWindowOrgEx(c.dc(), 5, 5, nullptr);
  SetViewportOrgEx(c.dc(), 2, 2, nullptr);
  EXPECT_EQ(IntersectClipRect(c.dc(), 5, 5, 15, 15), SIMPLEREGION);
  // GetClipBox answers in logical coordinates too.
  ExpectRect(Box(c.dc()), 5, 5, 15, 15);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  GetClipRgn(c.dc(), clip);
  RECT device;
  GetRgnBox(clip, &device);
  ExpectRect(device, 2, 2, 12, 12);
  EXPECT_EQ(ExcludeClipRect(c.dc(), 8, 8, 10, 10), COMPLEXREGION);
  EXPECT_FALSE(PtVisible(c.dc(), 9, 9));
  EXPECT_TRUE(PtVisible(c.dc(), 7, 9));
  // Inverted rectangles are taken with their corners swapped.
  EXPECT_EQ(IntersectClipRect(c.dc(), 11, 11, 6, 6), COMPLEXREGION);
  ExpectRect(Box(c.dc()), 6, 6, 11, 11);
  EXPECT_EQ(IntersectClipRect(nullptr, 0, 0, 1, 1), ERROR);
  EXPECT_EQ(ExcludeClipRect(nullptr, 0, 0, 1, 1), ERROR);
  DeleteObject(clip);
}

TEST(ClippingTest, ExcludeAndIntersectAgreeWithAPixelReference) {
  ClipDC c;
  std::vector<bool> expected(400, true);
  std::mt19937 random(77);
  std::uniform_int_distribution<int> coordinate(-3, 23);
  for (int step = 0; step < 30; ++step) {
    int l = coordinate(random), t = coordinate(random), r = coordinate(random),
        b = coordinate(random);
    bool exclude = step % 3 != 0;
    if (exclude)
      ExcludeClipRect(c.dc(), l, t, r, b);
    else
      IntersectClipRect(c.dc(), l, t, r, b);
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        bool inside =
            x >= std::min(l, r) && x < std::max(l, r) && y >= std::min(t, b) && y < std::max(t, b);
        auto e = expected[static_cast<size_t>(y * 20 + x)];
        e = exclude ? (e && !inside) : (e && inside);
      }
    }
    ASSERT_EQ(c.VisibleMap(), expected) << "after step " << step;
    if (step % 10 == 9) {
      SelectClipRgn(c.dc(), nullptr);
      std::fill(expected.begin(), expected.end(), true);
    }
  }
}

TEST(ClippingTest, SaveAndRestoreKeepTheClipRegion) {
  ClipDC c;
  IntersectClipRect(c.dc(), 0, 0, 5, 5);
  int level = SaveDC(c.dc());
  ExcludeClipRect(c.dc(), 0, 0, 5, 5);
  EXPECT_FALSE(PtVisible(c.dc(), 1, 1));
  EXPECT_TRUE(RestoreDC(c.dc(), level));
  EXPECT_TRUE(PtVisible(c.dc(), 1, 1));
  EXPECT_FALSE(PtVisible(c.dc(), 6, 1));
}

TEST(ClippingTest, ClipDeviceRectJoinsSurfaceVisibleAndClipRegions) {
  // A window DC over part of a 40x30 surface: its device (0,0) is surface (10,5), and only
  // surface x < 30 is visible.
  auto surface = platform::gdi::Surface::Create(40, 30, 32, true);
  Region visible(RECT{0, 0, 30, 30});
  int refreshed = 0;
  HDC dc = platform::gdi::CreateWindowDC(surface, POINT{10, 5}, visible,
                                         [&](DeviceContext&) { ++refreshed; });
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(dc), OBJ_DC);
  auto context = platform::gdi::LookupDC(dc);
  ASSERT_TRUE(context);
  EXPECT_EQ(refreshed, 1);
  std::vector<RECT> parts;
  context->ClipDeviceRect(RECT{-20, -20, 100, 100}, &parts);
  ASSERT_EQ(parts.size(), 1u);
  ExpectRect(parts[0], 0, 0, 30, 30);
  // The clip region is in device coordinates: device (0..5) is surface (10..15).
  HRGN r = CreateRectRgn(0, 0, 5, 5);
  SelectClipRgn(dc, r);
  context->ClipDeviceRect(RECT{-20, -20, 100, 100}, &parts);
  ASSERT_EQ(parts.size(), 1u);
  ExpectRect(parts[0], 10, 5, 15, 10);
  // Out-of-range rectangles are clipped, not overflowed.
  context->ClipDeviceRect(RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, &parts);
  ASSERT_EQ(parts.size(), 1u);
  ExpectRect(parts[0], 10, 5, 15, 10);
  context->ClipDeviceRect(RECT{6, 6, 2, 2}, &parts);
  EXPECT_TRUE(parts.empty());
  DeleteObject(r);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST(ClippingTest, ClipQueriesRefuseBadInput) {
  RECT box;
  EXPECT_EQ(GetClipBox(nullptr, &box), ERROR);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetClipBox(dc, nullptr), ERROR);
  EXPECT_EQ(GetClipRgn(dc, nullptr), -1);
  EXPECT_FALSE(PtVisible(nullptr, 0, 0));
  // A fresh memory DC draws on its 1x1 bitmap.
  EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
  ExpectRect(box, 0, 0, 1, 1);
  // Extreme origins must not overflow the arithmetic.
  SetViewportOrgEx(dc, INT32_MAX, INT32_MAX, nullptr);
  SetWindowOrgEx(dc, INT32_MIN, INT32_MIN, nullptr);
  EXPECT_FALSE(PtVisible(dc, INT32_MAX, INT32_MAX));
  IntersectClipRect(dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  GetClipBox(dc, &box);
  DeleteDC(dc);
}

}  // namespace
