// Lines, rectangles, ellipses, polygons, the rectangle helpers of the controls, and the
// brushes and pens they draw with.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <tuple>
#include <vector>

#include "platform/wingdi.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

namespace {

using gdi_test::Canvas;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

std::tuple<LONG, LONG, LONG, LONG> Box(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// A pen and a brush selected into a DC for the life of the guard.
class Tools {
 public:
  Tools(HDC dc, HPEN pen, HBRUSH brush) : dc_(dc), pen_(pen), brush_(brush) {
    oldPen_ = SelectObject(dc, pen);
    oldBrush_ = SelectObject(dc, brush);
  }
  ~Tools() {
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBrush_);
    DeleteObject(pen_);
    DeleteObject(brush_);
  }

 private:
  HDC dc_;
  HPEN pen_;
  HBRUSH brush_;
  HGDIOBJ oldPen_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
};

std::vector<POINT> Painted(const Canvas& c, COLORREF color) {
  std::vector<POINT> out;
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (c.At(x, y) == color) out.push_back(POINT{x, y});
  return out;
}

TEST(ShapesTest, LinesStopOnePixelShortOfTheirEnd) {
  struct Case {
    POINT from, to;
    std::vector<POINT> pixels;
  };
  const Case cases[] = {
      {{1, 1}, {5, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
      {{5, 1}, {1, 1}, {{2, 1}, {3, 1}, {4, 1}, {5, 1}}},
      {{2, 0}, {2, 3}, {{2, 0}, {2, 1}, {2, 2}}},
      {{1, 1}, {4, 4}, {{1, 1}, {2, 2}, {3, 3}}},
      {{0, 0}, {6, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}},
      {{3, 3}, {3, 3}, {}},
  };
  for (const Case& c : cases) {
    Canvas canvas(8, 6, kWhite);
    POINT old{};
    ASSERT_TRUE(MoveToEx(canvas.dc(), c.from.x, c.from.y, &old));
    ASSERT_TRUE(LineTo(canvas.dc(), c.to.x, c.to.y));
    std::vector<POINT> got = Painted(canvas, kBlack);
    std::vector<std::pair<int, int>> a, b;
    for (POINT p : got) a.emplace_back(p.x, p.y);
    for (POINT p : c.pixels) b.emplace_back(p.x, p.y);
    std::sort(b.begin(), b.end(), [](auto l, auto r) {
      return std::tie(l.second, l.first) < std::tie(r.second, r.first);
    });
    EXPECT_EQ(a, b) << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
    // The current position follows the line.
    MoveToEx(canvas.dc(), 0, 0, &old);
    EXPECT_EQ(old.x, c.to.x);
    EXPECT_EQ(old.y, c.to.y);
  }
}

TEST(ShapesTest, LinesAcrossTheWholeCoordinateRangeDrawTheirVisiblePartQuickly) {
  Canvas c(16, 16, kWhite);
  auto start = std::chrono::steady_clock::now();
  MoveToEx(c.dc(), INT32_MIN, 3, nullptr);
  ASSERT_TRUE(LineTo(c.dc(), INT32_MAX, 3));
  MoveToEx(c.dc(), 5, INT32_MAX, nullptr);
  ASSERT_TRUE(LineTo(c.dc(), 5, INT32_MIN));
  MoveToEx(c.dc(), INT32_MIN, INT32_MIN, nullptr);
  ASSERT_TRUE(LineTo(c.dc(), INT32_MAX, INT32_MAX));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(c.At(i, 3), kBlack);
    EXPECT_EQ(c.At(5, i), kBlack);
  }
  // The diagonal through the origin of the range passes (x, x) only approximately; it does
  // cross the bitmap.
  EXPECT_GT(c.Count(kBlack), 31);
}

TEST(ShapesTest, MixModesCombinePenAndDestination) {
  Canvas c(4, 1, RGB(0x12, 0x34, 0x56));
  Tools tools(c.dc(), CreatePen(PS_SOLID, 1, RGB(0xFF, 0x00, 0x0F)), CreateSolidBrush(kWhite));
  SetROP2(c.dc(), R2_XORPEN);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 2, 0);
  EXPECT_EQ(c.At(0, 0), RGB(0xED, 0x34, 0x59));
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 2, 0);
  EXPECT_EQ(c.At(0, 0), RGB(0x12, 0x34, 0x56));
  SetROP2(c.dc(), R2_NOT);
  MoveToEx(c.dc(), 2, 0, nullptr);
  LineTo(c.dc(), 4, 0);
  EXPECT_EQ(c.At(3, 0), RGB(0xED, 0xCB, 0xA9));
  EXPECT_EQ(c.At(1, 0), RGB(0x12, 0x34, 0x56));
}

TEST(ShapesTest, DashedPensAlternateAndFillGapsWhenOpaque) {
  Canvas c(12, 2, kWhite);
  Tools tools(c.dc(), CreatePen(PS_DOT, 1, kRed), CreateSolidBrush(kWhite));
  SetBkColor(c.dc(), kBlue);
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 12, 0);
  SetBkMode(c.dc(), OPAQUE);
  MoveToEx(c.dc(), 0, 1, nullptr);
  LineTo(c.dc(), 12, 1);
  for (int x = 0; x < 12; ++x) {
    const bool on = (x / 3) % 2 == 0;
    EXPECT_EQ(c.At(x, 0), on ? kRed : kWhite) << x;
    EXPECT_EQ(c.At(x, 1), on ? kRed : kBlue) << x;
  }
}

TEST(ShapesTest, WidePensCoverTheirWidth) {
  for (int width : {2, 3, 5}) {
    Canvas c(20, 20, kWhite);
    Tools tools(c.dc(), CreatePen(PS_SOLID, width, kBlack), CreateSolidBrush(kWhite));
    MoveToEx(c.dc(), 5, 10, nullptr);
    LineTo(c.dc(), 15, 10);
    // A column in the middle of the line is exactly `width` pixels tall.
    int rows = 0;
    for (int y = 0; y < 20; ++y) rows += c.At(10, y) == kBlack;
    EXPECT_EQ(rows, width);
    // Round caps: the line reaches past both ends by about half the width.
    RECT ink = c.Ink(kWhite);
    EXPECT_LE(ink.left, 5 - (width - 1) / 2);
    EXPECT_GE(ink.right, 15 + (width - 1) / 2);
    EXPECT_LE(ink.right, 15 + width);
  }
  // A wide XOR polyline inverts each pixel once, even where its segments overlap.
  Canvas c(20, 20, kWhite);
  Tools tools(c.dc(), CreatePen(PS_SOLID, 4, kWhite), CreateSolidBrush(kWhite));
  SetROP2(c.dc(), R2_XORPEN);
  const POINT path[] = {{3, 3}, {15, 3}, {15, 15}, {3, 3}};
  ASSERT_TRUE(Polyline(c.dc(), path, 4));
  EXPECT_EQ(c.At(15, 3), kBlack);
  EXPECT_EQ(c.At(3, 3), kBlack);
}

TEST(ShapesTest, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  Canvas c(8, 8, kWhite);
  {
    Tools tools(c.dc(), CreatePen(PS_SOLID, 1, kRed), CreateSolidBrush(kBlue));
    ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 6, 5));
  }
  // Right and bottom edges are exclusive: the outline sits on x = 1, 5 and y = 1, 4.
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(RECT{1, 1, 6, 5}));
  EXPECT_EQ(Box(c.Ink(kWhite, RECT{0, 0, 8, 8})), Box(RECT{1, 1, 6, 5}));
  EXPECT_EQ(c.Count(kBlue), 3 * 2);
  EXPECT_EQ(c.At(2, 2), kBlue);
  EXPECT_EQ(c.Count(kRed), 5 * 4 - 3 * 2);
  // Corners given the other way round draw the same.
  Canvas d(8, 8, kWhite);
  {
    Tools tools(d.dc(), CreatePen(PS_SOLID, 1, kRed), CreateSolidBrush(kBlue));
    ASSERT_TRUE(Rectangle(d.dc(), 6, 5, 1, 1));
  }
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(c.At(x, y), d.At(x, y));
}

TEST(ShapesTest, RectangleWithNullPenOrBrush) {
  Canvas c(8, 8, kWhite);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 6, 5));
  // Without an outline the fill is one pixel smaller each way.
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(RECT{1, 1, 5, 4}));
  c.Fill(kWhite);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  ASSERT_TRUE(Rectangle(c.dc(), 1, 1, 6, 5));
  EXPECT_EQ(c.Count(kBlack), 5 * 4 - 3 * 2);
  EXPECT_EQ(c.At(3, 2), kWhite);
}

TEST(ShapesTest, WidePenRectanglesCentreOrStayInside) {
  Canvas c(20, 20, kWhite);
  {
    Tools tools(c.dc(), CreatePen(PS_SOLID, 3, kBlack), CreateSolidBrush(kBlue));
    ASSERT_TRUE(Rectangle(c.dc(), 5, 5, 15, 15));
  }
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(RECT{4, 4, 16, 16}));
  EXPECT_EQ(Box(c.Ink(kBlack, RECT{7, 7, 13, 13})), Box(RECT{7, 7, 13, 13}));  // all blue inside
  c.Fill(kWhite);
  {
    Tools tools(c.dc(), CreatePen(PS_INSIDEFRAME, 3, kBlack), CreateSolidBrush(kBlue));
    ASSERT_TRUE(Rectangle(c.dc(), 5, 5, 15, 15));
  }
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(RECT{5, 5, 15, 15}));
  EXPECT_EQ(c.Count(kBlue), 4 * 4);
}

TEST(ShapesTest, DottedRectangleOutline) {
  Canvas c(10, 10, kWhite);
  Tools tools(c.dc(), CreatePen(PS_DOT, 1, kBlack), CreateSolidBrush(kBlue));
  SetBkMode(c.dc(), TRANSPARENT);
  ASSERT_TRUE(Rectangle(c.dc(), 0, 0, 10, 10));
  // Dots of three along the top: 0-2 on, 3-5 off, 6-8 on.
  EXPECT_EQ(c.At(1, 0), kBlack);
  EXPECT_EQ(c.At(4, 0), kWhite);
  EXPECT_EQ(c.At(7, 0), kBlack);
  EXPECT_EQ(c.Count(kBlue), 64);
}

TEST(ShapesTest, EllipseFillsItsBoxSymmetricallyWithAClosedOutline) {
  for (RECT r : {RECT{0, 0, 12, 8}, RECT{2, 3, 9, 16}, RECT{1, 1, 4, 4}, RECT{0, 0, 2, 2}}) {
    Canvas c(20, 20, kWhite);
    Tools tools(c.dc(), CreatePen(PS_SOLID, 1, kBlack), CreateSolidBrush(kBlue));
    ASSERT_TRUE(Ellipse(c.dc(), r.left, r.top, r.right, r.bottom));
    EXPECT_EQ(Box(c.Ink(kWhite)), Box(r));
    // Mirror symmetric about both axes of the box.
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        ASSERT_EQ(c.At(x, y), c.At(r.right - 1 - (x - r.left), y));
        ASSERT_EQ(c.At(x, y), c.At(x, r.bottom - 1 - (y - r.top)));
      }
    // The outline keeps the brush from touching the outside.
    for (int y = 1; y < 19; ++y)
      for (int x = 1; x < 19; ++x) {
        if (c.At(x, y) != kBlue) continue;
        ASSERT_NE(c.At(x - 1, y), kWhite);
        ASSERT_NE(c.At(x + 1, y), kWhite);
        ASSERT_NE(c.At(x, y - 1), kWhite);
        ASSERT_NE(c.At(x, y + 1), kWhite);
      }
  }
  // A wide pen lands centred on the box edge.
  Canvas c(30, 30, kWhite);
  Tools tools(c.dc(), CreatePen(PS_SOLID, 5, kBlack), CreateSolidBrush(kBlue));
  ASSERT_TRUE(Ellipse(c.dc(), 5, 5, 25, 25));
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(RECT{3, 3, 27, 27}));
  EXPECT_EQ(c.At(15, 15), kBlue);
  EXPECT_EQ(c.At(15, 5), kBlack);
}

TEST(ShapesTest, PolygonFillsByTheAlternateRule) {
  Canvas c(12, 12, kWhite);
  Tools tools(c.dc(), CreatePen(PS_NULL, 1, kBlack), CreateSolidBrush(kBlue));
  const POINT square[] = {{1, 1}, {9, 1}, {9, 9}, {1, 9}};
  ASSERT_TRUE(Polygon(c.dc(), square, 4));
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(RECT{1, 1, 9, 9}));
  EXPECT_EQ(c.Count(kBlue), 64);
  // Two overlapping squares in one outline: the overlap crosses two edges and stays empty.
  c.Fill(kWhite);
  const POINT twice[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0},
                         {3, 3}, {9, 3}, {9, 9}, {3, 9}, {3, 3}};
  ASSERT_TRUE(Polygon(c.dc(), twice, 10));
  EXPECT_EQ(c.At(1, 1), kBlue);
  EXPECT_EQ(c.At(7, 7), kBlue);
  EXPECT_EQ(c.At(4, 4), kWhite);
}

TEST(ShapesTest, PolygonOutlineAndPolylineLeaveTheCurrentPositionAlone) {
  Canvas c(10, 10, kWhite);
  MoveToEx(c.dc(), 7, 7, nullptr);
  const POINT tri[] = {{1, 1}, {8, 1}, {1, 8}};
  ASSERT_TRUE(Polygon(c.dc(), tri, 3));
  EXPECT_EQ(c.At(1, 1), kBlack);
  EXPECT_EQ(c.At(8, 1), kBlack);
  EXPECT_EQ(c.At(1, 8), kBlack);
  EXPECT_EQ(c.At(2, 2), kWhite);  // the default brush is white
  const POINT line[] = {{0, 9}, {9, 9}};
  ASSERT_TRUE(Polyline(c.dc(), line, 2));
  POINT cp{};
  MoveToEx(c.dc(), 0, 0, &cp);
  EXPECT_EQ(cp.x, 7);
  EXPECT_EQ(cp.y, 7);
  EXPECT_FALSE(Polygon(c.dc(), tri, 1));
  EXPECT_FALSE(Polygon(c.dc(), nullptr, 3));
  EXPECT_FALSE(Polyline(c.dc(), line, 0));
  EXPECT_FALSE(Polyline(c.dc(), line, -5));
}

TEST(ShapesTest, FillRectTakesBrushesAndSystemColourIndexes) {
  Canvas c(6, 6, kWhite);
  RECT r{1, 1, 4, 3};
  HBRUSH red = CreateSolidBrush(kRed);
  SetROP2(c.dc(), R2_XORPEN);  // FillRect ignores the mix mode
  EXPECT_NE(FillRect(c.dc(), &r, red), 0);
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(r));
  EXPECT_EQ(c.Count(kRed), 6);
  RECT all{0, 0, 6, 6};
  EXPECT_NE(FillRect(c.dc(), &all, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)), 0);
  EXPECT_EQ(c.Count(GetSysColor(COLOR_BTNFACE)), 36);
  // Inside-out rectangles are empty; bad brushes and rectangles fail.
  RECT inverted{4, 4, 1, 1};
  EXPECT_NE(FillRect(c.dc(), &inverted, red), 0);
  EXPECT_EQ(c.Count(GetSysColor(COLOR_BTNFACE)), 36);
  EXPECT_EQ(FillRect(c.dc(), &r, nullptr), 0);
  EXPECT_EQ(FillRect(c.dc(), &r, reinterpret_cast<HBRUSH>(0x02FFFFF0)), 0);
  EXPECT_EQ(FillRect(c.dc(), nullptr, red), 0);
  EXPECT_EQ(FillRect(nullptr, &r, red), 0);
  DeleteObject(red);
  EXPECT_EQ(FillRect(c.dc(), &r, red), 0);  // deleted
}

TEST(ShapesTest, FrameInvertAndFocusRectangles) {
  Canvas c(8, 8, kWhite);
  RECT r{1, 1, 7, 6};
  HBRUSH red = CreateSolidBrush(kRed);
  EXPECT_NE(FrameRect(c.dc(), &r, red), 0);
  EXPECT_EQ(c.Count(kRed), 2 * 6 + 2 * 3);
  EXPECT_EQ(c.At(3, 3), kWhite);
  DeleteObject(red);

  c.Fill(RGB(10, 20, 30));
  EXPECT_TRUE(InvertRect(c.dc(), &r));
  EXPECT_EQ(c.At(1, 1), RGB(245, 235, 225));
  EXPECT_EQ(c.At(0, 0), RGB(10, 20, 30));
  EXPECT_TRUE(InvertRect(c.dc(), &r));
  EXPECT_EQ(c.Count(RGB(10, 20, 30)), 64);

  EXPECT_TRUE(DrawFocusRect(c.dc(), &r));
  const int dotted = 64 - c.Count(RGB(10, 20, 30));
  EXPECT_EQ(dotted, (2 * 6 + 2 * 3) / 2);  // every other pixel of the frame
  EXPECT_EQ(c.At(3, 3), RGB(10, 20, 30));
  EXPECT_TRUE(DrawFocusRect(c.dc(), &r));  // a second call takes it away
  EXPECT_EQ(c.Count(RGB(10, 20, 30)), 64);
  EXPECT_FALSE(DrawFocusRect(c.dc(), nullptr));
  EXPECT_FALSE(InvertRect(nullptr, &r));
}

TEST(ShapesTest, DrawEdgeUsesTheThreeDimensionalColours) {
  Canvas c(10, 10, kBlack);
  RECT r{0, 0, 10, 10};
  ASSERT_TRUE(DrawEdge(c.dc(), &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(Box(r), Box(RECT{2, 2, 8, 8}));
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(c.At(9, 9), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(8, 8), GetSysColor(COLOR_BTNSHADOW));
  // Bottom and right own the far corners.
  EXPECT_EQ(c.At(9, 0), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(0, 9), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(5, 5), GetSysColor(COLOR_BTNFACE));

  c.Fill(kBlack);
  r = RECT{0, 0, 10, 10};
  ASSERT_TRUE(DrawEdge(c.dc(), &r, EDGE_SUNKEN, BF_LEFT | BF_TOP));
  EXPECT_EQ(Box(r), Box(RECT{0, 0, 10, 10}));  // no BF_ADJUST
  EXPECT_EQ(c.At(0, 5), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(1, 5), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(9, 5), kBlack);
  EXPECT_EQ(c.At(5, 9), kBlack);

  c.Fill(kBlack);
  r = RECT{0, 0, 10, 10};
  ASSERT_TRUE(DrawEdge(c.dc(), &r, BDR_SUNKENOUTER, BF_RECT | BF_MONO | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(Box(r), Box(RECT{1, 1, 9, 9}));
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(c.At(9, 9), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(c.At(4, 4), GetSysColor(COLOR_WINDOW));

  c.Fill(kBlack);
  r = RECT{0, 0, 10, 10};
  ASSERT_TRUE(DrawEdge(c.dc(), &r, EDGE_RAISED, BF_RECT | BF_SOFT));
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_3DLIGHT));
  EXPECT_FALSE(DrawEdge(c.dc(), nullptr, EDGE_RAISED, BF_RECT));
}

TEST(ShapesTest, ClipRegionLimitsShapes) {
  Canvas c(10, 10, kWhite);
  IntersectClipRect(c.dc(), 2, 2, 6, 6);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(Rectangle(c.dc(), 0, 0, 10, 10));
  ASSERT_TRUE(Ellipse(c.dc(), 0, 0, 10, 10));
  RECT all{0, 0, 10, 10};
  FillRect(c.dc(), &all, reinterpret_cast<HBRUSH>(COLOR_WINDOWTEXT + 1));
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 10, 10);
  EXPECT_EQ(Box(c.Ink(kWhite)), Box(RECT{2, 2, 6, 6}));
}

TEST(ShapesTest, MonochromeTargetsGetTheNearestPenColour) {
  Canvas c(4, 1, kBlack, 1);
  Tools tools(c.dc(), CreatePen(PS_SOLID, 1, RGB(220, 220, 220)), CreateSolidBrush(kWhite));
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 3, 0);
  EXPECT_EQ(c.Count(kWhite), 3);
}

TEST(ShapesTest, BadHandlesAndHugeShapes) {
  EXPECT_FALSE(LineTo(nullptr, 1, 1));
  EXPECT_FALSE(MoveToEx(nullptr, 1, 1, nullptr));
  EXPECT_FALSE(Rectangle(nullptr, 0, 0, 1, 1));
  EXPECT_FALSE(Ellipse(reinterpret_cast<HDC>(0x02FFFFF0), 0, 0, 1, 1));
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  EXPECT_FALSE(Rectangle(gone, 0, 0, 1, 1));
  Canvas c(16, 16, kWhite);
  auto start = std::chrono::steady_clock::now();
  Tools tools(c.dc(), CreatePen(PS_SOLID, 1000000, kBlack), CreateSolidBrush(kBlue));
  EXPECT_TRUE(Rectangle(c.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
  EXPECT_TRUE(Ellipse(c.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
  MoveToEx(c.dc(), INT32_MIN, 0, nullptr);
  EXPECT_TRUE(LineTo(c.dc(), INT32_MAX, 16));
  const POINT far[] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, 0}, {0, INT32_MAX}};
  EXPECT_TRUE(Polygon(c.dc(), far, 3));
  RECT huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_NE(FillRect(c.dc(), &huge, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)), 0);
  EXPECT_TRUE(DrawFocusRect(c.dc(), &huge));
  EXPECT_TRUE(DrawEdge(c.dc(), &huge, EDGE_RAISED, BF_RECT | BF_MIDDLE));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(ShapesTest, BrushAndPenCreation) {
  LOGBRUSH lb{BS_SOLID, RGB(1, 2, 3), 0};
  HBRUSH solid = CreateBrushIndirect(&lb);
  ASSERT_NE(solid, nullptr);
  LOGBRUSH back{};
  ASSERT_EQ(GetObjectA(solid, sizeof(back), &back), static_cast<int>(sizeof(back)));
  EXPECT_EQ(back.lbStyle, BS_SOLID);
  EXPECT_EQ(back.lbColor, RGB(1, 2, 3));
  DeleteObject(solid);

  lb = LOGBRUSH{BS_NULL, 0, 0};
  HBRUSH hollow = CreateBrushIndirect(&lb);
  ASSERT_NE(hollow, nullptr);
  Canvas c(2, 2, kWhite);
  SelectObject(c.dc(), hollow);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  Rectangle(c.dc(), 0, 0, 3, 3);
  EXPECT_EQ(c.Count(kWhite), 4);
  // Hatched brushes paint as solid ones of their colour.
  lb = LOGBRUSH{BS_HATCHED, kRed, 0};
  HBRUSH hatched = CreateBrushIndirect(&lb);
  ASSERT_NE(hatched, nullptr);
  SelectObject(c.dc(), hatched);
  Rectangle(c.dc(), 0, 0, 3, 3);
  EXPECT_EQ(c.Count(kRed), 4);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(hollow);
  DeleteObject(hatched);
  lb = LOGBRUSH{BS_PATTERN, 0, 0};
  EXPECT_EQ(CreateBrushIndirect(&lb), nullptr);
  lb = LOGBRUSH{99, 0, 0};
  EXPECT_EQ(CreateBrushIndirect(&lb), nullptr);
  EXPECT_EQ(CreateBrushIndirect(nullptr), nullptr);

  HPEN pen = CreatePen(PS_DASH, 1, 0x01ABCDEF);
  ASSERT_NE(pen, nullptr);
  LOGPEN lp{};
  ASSERT_EQ(GetObjectA(pen, sizeof(lp), &lp), static_cast<int>(sizeof(lp)));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
  EXPECT_EQ(lp.lopnWidth.x, 1);
  EXPECT_EQ(lp.lopnColor, 0x00ABCDEFu);
  DeleteObject(pen);
  HPEN negative = CreatePen(PS_SOLID, -4, kBlack);
  ASSERT_NE(negative, nullptr);
  GetObjectA(negative, sizeof(lp), &lp);
  EXPECT_EQ(lp.lopnWidth.x, 0);
  DeleteObject(negative);
  LOGPEN in{static_cast<UINT>(PS_INSIDEFRAME), POINT{3, 0}, kRed};
  HPEN indirect = CreatePenIndirect(&in);
  ASSERT_NE(indirect, nullptr);
  DeleteObject(indirect);
  EXPECT_EQ(CreatePen(9, 1, kBlack), nullptr);
  EXPECT_EQ(CreatePenIndirect(nullptr), nullptr);
}

}  // namespace
