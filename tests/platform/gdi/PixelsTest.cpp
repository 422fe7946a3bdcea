// GetPixel, SetPixel and SetPixelV: edges, nearest representable colours, clipping and bad
// handles.
#include <gtest/gtest.h>

#include "platform/gdi/DeviceContext.h"
#include "platform/wingdi.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

namespace {

using gdi_test::Canvas;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(PixelsTest, SetThenGetInsideTheBitmap) {
  Canvas c(5, 4, kWhite);
  EXPECT_EQ(SetPixel(c.dc(), 0, 0, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(SetPixel(c.dc(), 4, 3, RGB(250, 128, 7)), RGB(250, 128, 7));
  EXPECT_TRUE(SetPixelV(c.dc(), 2, 1, RGB(9, 8, 7)));
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc(), 4, 3), RGB(250, 128, 7));
  EXPECT_EQ(GetPixel(c.dc(), 2, 1), RGB(9, 8, 7));
  EXPECT_EQ(c.At(4, 3), RGB(250, 128, 7));
  EXPECT_EQ(c.Count(kWhite), 17);
}

TEST(PixelsTest, OnePastEveryEdgeIsInvalidAndUntouched) {
  Canvas c(5, 4, kWhite);
  const POINT outside[] = {
      {5, 0}, {0, 4}, {-1, 0}, {0, -1}, {5, 4}, {INT32_MAX, 0}, {INT32_MIN, INT32_MIN}};
  for (POINT p : outside) {
    EXPECT_EQ(GetPixel(c.dc(), p.x, p.y), CLR_INVALID) << p.x << "," << p.y;
    EXPECT_EQ(SetPixel(c.dc(), p.x, p.y, kBlack), static_cast<COLORREF>(-1)) << p.x << "," << p.y;
    EXPECT_FALSE(SetPixelV(c.dc(), p.x, p.y, kBlack));
  }
  EXPECT_EQ(c.Count(kWhite), 20);
  EXPECT_NE(GetPixel(c.dc(), 4, 3), CLR_INVALID);
}

TEST(PixelsTest, SetPixelReturnsTheColourTheBitmapCanHold) {
  Canvas mono(2, 1, kBlack, 1);
  EXPECT_EQ(SetPixel(mono.dc(), 0, 0, RGB(200, 200, 200)), kWhite);
  EXPECT_EQ(SetPixel(mono.dc(), 1, 0, RGB(60, 60, 60)), kBlack);
  EXPECT_EQ(GetPixel(mono.dc(), 0, 0), kWhite);

  Canvas c16(1, 1, kBlack, 16);
  COLORREF set = SetPixel(c16.dc(), 0, 0, RGB(13, 200, 77));
  EXPECT_EQ(GetPixel(c16.dc(), 0, 0), set);
  EXPECT_NE(set, RGB(13, 200, 77));  // 5 bits per channel cannot hold it
  EXPECT_LE(std::abs(GetRValue(set) - 13), 8);
  EXPECT_LE(std::abs(GetGValue(set) - 200), 8);

  Canvas c8(1, 1, kBlack, 8);
  set = SetPixel(c8.dc(), 0, 0, RGB(250, 5, 5));
  EXPECT_EQ(set, RGB(255, 0, 0));  // nearest palette entry
  EXPECT_EQ(GetPixel(c8.dc(), 0, 0), set);
}

TEST(PixelsTest, TheHighByteOfAColourIsIgnored) {
  Canvas c(1, 1, kWhite);
  EXPECT_EQ(SetPixel(c.dc(), 0, 0, 0x02112233), 0x00112233u);
  EXPECT_EQ(GetPixel(c.dc(), 0, 0), 0x00112233u);
}

TEST(PixelsTest, ClipRegionAndOriginsDecideWhichPixelIsMeant) {
  Canvas c(6, 6, kWhite);
  IntersectClipRect(c.dc(), 2, 2, 4, 4);
  EXPECT_EQ(GetPixel(c.dc(), 1, 2), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.dc(), 4, 3, kBlack), static_cast<COLORREF>(-1));
  EXPECT_EQ(SetPixel(c.dc(), 3, 3, kBlack), kBlack);
  EXPECT_EQ(c.Count(kBlack), 1);
  SelectClipRgn(c.dc(), nullptr);
  // Logical (0,0) is device (2,1) once the window origin moves to (-2,-1).
  SetWindowOrgEx(c.dc(), -2, -1, nullptr);
  EXPECT_EQ(SetPixel(c.dc(), 0, 0, RGB(1, 1, 1)), RGB(1, 1, 1));
  EXPECT_EQ(c.At(2, 1), RGB(1, 1, 1));
  EXPECT_EQ(GetPixel(c.dc(), 1, 2), kBlack);
  EXPECT_EQ(GetPixel(c.dc(), -3, 0), CLR_INVALID);
}

TEST(PixelsTest, WindowDcSeesOnlyItsVisiblePart) {
  auto surface = platform::gdi::Surface::Create(10, 10, 32, true);
  platform::gdi::Region visible(RECT{0, 0, 10, 5});
  HDC dc = platform::gdi::CreateWindowDC(surface, POINT{2, 3}, visible, nullptr);
  // Device (1,1) is surface (3,4): visible. Device (1,2) is surface (3,5): hidden.
  EXPECT_EQ(SetPixel(dc, 1, 1, RGB(5, 6, 7)), RGB(5, 6, 7));
  EXPECT_EQ(surface->RawToColor(surface->ReadRaw(3, 4)), RGB(5, 6, 7));
  EXPECT_EQ(SetPixel(dc, 1, 2, RGB(5, 6, 7)), static_cast<COLORREF>(-1));
  EXPECT_EQ(GetPixel(dc, 1, 2), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, -3, 0), CLR_INVALID);  // left of the surface
  DeleteDC(dc);
}

TEST(PixelsTest, BadHandles) {
  EXPECT_EQ(GetPixel(nullptr, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(nullptr, 0, 0, kBlack), static_cast<COLORREF>(-1));
  EXPECT_FALSE(SetPixelV(nullptr, 0, 0, kBlack));
  EXPECT_EQ(GetPixel(GetStockObject(BLACK_PEN), 0, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(0x02FFFFF0), 0, 0), CLR_INVALID);
  HDC gone = CreateCompatibleDC(nullptr);
  // A fresh memory DC holds a 1x1 monochrome bitmap.
  EXPECT_EQ(GetPixel(gone, 0, 0), kBlack);
  EXPECT_EQ(GetPixel(gone, 1, 0), CLR_INVALID);
  DeleteDC(gone);
  EXPECT_EQ(GetPixel(gone, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(gone, 0, 0, kBlack), static_cast<COLORREF>(-1));
}

}  // namespace
