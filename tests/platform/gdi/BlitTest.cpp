// BitBlt, PatBlt, MaskBlt, StretchDIBits and SetDIBitsToDevice: format conversions,
// clipping, overlapping copies and bad input.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/wingdi.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

namespace {

using gdi_test::Canvas;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A BITMAPINFO with room for a full colour table.
struct DibInfo {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

DibInfo MakeInfo(int width, int height, int bitCount) {
  DibInfo d;
  d.header.biSize = sizeof(BITMAPINFOHEADER);
  d.header.biWidth = width;
  d.header.biHeight = height;
  d.header.biPlanes = 1;
  d.header.biBitCount = static_cast<WORD>(bitCount);
  d.header.biCompression = BI_RGB;
  return d;
}

// Rectangles compared field by field, printable by the test framework.
std::tuple<LONG, LONG, LONG, LONG> Box(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

RGBQUAD Quad(COLORREF c) {
  return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
}

// A memory DC over a DIB section, with direct access to its bits.
class DibCanvas {
 public:
  explicit DibCanvas(const DibInfo& info) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, info.info(), DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~DibCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  uint8_t* bits() const { return static_cast<uint8_t*>(bits_); }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

TEST(BlitTest, ColourToMonochromeMarksTheSourceBackgroundColour) {
  Canvas src(3, 1, kRed);
  src.Set(1, 0, kBlue);
  src.Set(2, 0, RGB(0, 0, 254));  // close to the background is not the background
  Canvas mono(3, 1, kBlack, 1);
  SetBkColor(src.dc(), kBlue);
  // The destination's own colours play no part in this direction.
  SetBkColor(mono.dc(), kRed);
  SetTextColor(mono.dc(), kBlue);
  ASSERT_TRUE(BitBlt(mono.dc(), 0, 0, 3, 1, src.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(mono.At(0, 0), kBlack);
  EXPECT_EQ(mono.At(1, 0), kWhite);
  EXPECT_EQ(mono.At(2, 0), kBlack);
}

TEST(BlitTest, MonochromeToColourUsesTheDestinationTextAndBackground) {
  Canvas mono(2, 1, kBlack, 1);
  mono.Set(1, 0, kWhite);
  Canvas dst(2, 1, kWhite);
  SetTextColor(dst.dc(), kRed);  // 0 bits
  SetBkColor(dst.dc(), kGreen);  // 1 bits
  SetTextColor(mono.dc(), kBlue);
  SetBkColor(mono.dc(), kBlue);
  ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 1, mono.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), kRed);
  EXPECT_EQ(dst.At(1, 0), kGreen);
}

TEST(BlitTest, MonochromeDibSectionKeepsItsColourTable) {
  DibInfo info = MakeInfo(8, 1, 1);
  info.colors[0] = Quad(kBlue);
  info.colors[1] = Quad(kRed);
  DibCanvas dib(info);
  dib.bits()[0] = 0x0F;  // left half index 0, right half index 1
  Canvas dst(8, 1, kWhite);
  SetTextColor(dst.dc(), kBlack);
  SetBkColor(dst.dc(), kWhite);
  ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 8, 1, dib.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), kBlue);
  EXPECT_EQ(dst.At(7, 0), kRed);
}

// How pictures with a key colour are drawn: a mask made by a colour-to-monochrome copy,
// then SRCINVERT, SRCAND with the mask, SRCINVERT again.
TEST(BlitTest, TransparentDrawingThroughMaskLeavesKeyPixelsAlone) {
  const COLORREF key = RGB(255, 0, 255);
  Canvas picture(4, 1, kRed);
  picture.Set(1, 0, key);
  picture.Set(3, 0, key);
  Canvas mask(4, 1, kBlack, 1);
  SetBkColor(picture.dc(), key);
  ASSERT_TRUE(BitBlt(mask.dc(), 0, 0, 4, 1, picture.dc(), 0, 0, SRCCOPY));
  Canvas target(4, 1, kGreen);
  target.Set(3, 0, kBlue);
  SetBkColor(target.dc(), kWhite);
  SetTextColor(target.dc(), kBlack);
  ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 4, 1, picture.dc(), 0, 0, SRCINVERT));
  ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 4, 1, mask.dc(), 0, 0, SRCAND));
  ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 4, 1, picture.dc(), 0, 0, SRCINVERT));
  EXPECT_EQ(target.At(0, 0), kRed);
  EXPECT_EQ(target.At(1, 0), kGreen);
  EXPECT_EQ(target.At(2, 0), kRed);
  EXPECT_EQ(target.At(3, 0), kBlue);
}

TEST(BlitTest, CopiesBetweenFormatsGoThroughColour) {
  // 32 -> 16 -> 8 -> 24 -> 32 with colours every format holds exactly.
  Canvas a(3, 1, kBlack);
  a.Set(0, 0, kRed);
  a.Set(1, 0, kWhite);
  Canvas b(3, 1, kWhite, 16);
  Canvas c(3, 1, kWhite, 8);
  Canvas d(3, 1, kWhite, 24);
  Canvas e(3, 1, kWhite, 32);
  ASSERT_TRUE(BitBlt(b.dc(), 0, 0, 3, 1, a.dc(), 0, 0, SRCCOPY));
  ASSERT_TRUE(BitBlt(c.dc(), 0, 0, 3, 1, b.dc(), 0, 0, SRCCOPY));
  ASSERT_TRUE(BitBlt(d.dc(), 0, 0, 3, 1, c.dc(), 0, 0, SRCCOPY));
  ASSERT_TRUE(BitBlt(e.dc(), 0, 0, 3, 1, d.dc(), 0, 0, SRCCOPY));
  for (Canvas* canvas : {&b, &c, &d, &e}) {
    EXPECT_EQ(canvas->At(0, 0), kRed);
    EXPECT_EQ(canvas->At(1, 0), kWhite);
    EXPECT_EQ(canvas->At(2, 0), kBlack);
  }
  // A colour 16 bits cannot hold comes out as its nearest 5-5-5 neighbour.
  a.Set(2, 0, RGB(13, 200, 77));
  ASSERT_TRUE(BitBlt(b.dc(), 0, 0, 3, 1, a.dc(), 0, 0, SRCCOPY));
  COLORREF got = b.At(2, 0);
  EXPECT_LE(std::abs(GetRValue(got) - 13), 8);
  EXPECT_LE(std::abs(GetGValue(got) - 200), 8);
  EXPECT_LE(std::abs(GetBValue(got) - 77), 8);
}

TEST(BlitTest, PatternIsTheSelectedBrushInTheDestinationFormat) {
  Canvas mono(4, 1, kBlack, 1);
  HBRUSH light = CreateSolidBrush(RGB(200, 200, 200));
  HGDIOBJ old = SelectObject(mono.dc(), light);
  ASSERT_TRUE(PatBlt(mono.dc(), 0, 0, 2, 1, PATCOPY));
  EXPECT_EQ(mono.At(0, 0), kWhite);  // nearest of black and white
  EXPECT_EQ(mono.At(2, 0), kBlack);
  SelectObject(mono.dc(), old);
  DeleteObject(light);

  Canvas colour(2, 1, kWhite);
  SelectObject(colour.dc(), GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(PatBlt(colour.dc(), 0, 0, 2, 1, PATCOPY));
  EXPECT_EQ(colour.At(0, 0), kWhite);  // the null brush paints nothing
  SelectObject(colour.dc(), GetStockObject(DC_BRUSH));
  SetDCBrushColor(colour.dc(), kGreen);
  EXPECT_TRUE(PatBlt(colour.dc(), 0, 0, 2, 1, PATCOPY));
  EXPECT_EQ(colour.At(1, 0), kGreen);
}

TEST(BlitTest, PatBltOperationsAndNegativeExtents) {
  Canvas c(6, 1, kBlack);
  EXPECT_TRUE(PatBlt(c.dc(), 0, 0, 2, 1, WHITENESS));
  EXPECT_TRUE(PatBlt(c.dc(), 1, 0, 2, 1, DSTINVERT));
  EXPECT_EQ(c.At(0, 0), kWhite);
  EXPECT_EQ(c.At(1, 0), kBlack);
  EXPECT_EQ(c.At(2, 0), kWhite);
  // A negative width runs left of the origin: pixels 3 and 4 for x = 5, width -2.
  EXPECT_TRUE(PatBlt(c.dc(), 5, 0, -2, 1, WHITENESS));
  EXPECT_EQ(c.At(3, 0), kWhite);
  EXPECT_EQ(c.At(4, 0), kWhite);
  EXPECT_EQ(c.At(5, 0), kBlack);
  EXPECT_TRUE(PatBlt(c.dc(), 0, 0, 6, 1, BLACKNESS));
  EXPECT_EQ(c.Count(kBlack), 6);
  // PatBlt takes no source.
  EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));
}

TEST(BlitTest, ClipRegionLimitsEveryPrimitive) {
  Canvas src(8, 8, kRed);
  Canvas dst(8, 8, kWhite);
  // Two separate squares: (1,1)-(3,3) and (5,5)-(7,7).
  HRGN a = CreateRectRgn(1, 1, 3, 3);
  HRGN b = CreateRectRgn(5, 5, 7, 7);
  CombineRgn(a, a, b, RGN_OR);
  SelectClipRgn(dst.dc(), a);
  ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 8, 8, src.dc(), 0, 0, SRCCOPY));
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      bool inside = (x >= 1 && x < 3 && y >= 1 && y < 3) || (x >= 5 && x < 7 && y >= 5 && y < 7);
      ASSERT_EQ(dst.At(x, y), inside ? kRed : kWhite) << x << "," << y;
    }
  }
  dst.Fill(kWhite);
  ASSERT_TRUE(PatBlt(dst.dc(), 0, 0, 8, 8, BLACKNESS));
  EXPECT_EQ(dst.Count(kBlack), 8);
  EXPECT_EQ(Box(dst.Ink(kWhite)), Box(RECT{1, 1, 7, 7}));
  dst.Fill(kWhite);
  SetStretchBltMode(dst.dc(), HALFTONE);
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 8, 8, src.dc(), 0, 0, 4, 4, SRCCOPY));
  EXPECT_EQ(dst.Count(kRed), 8);
  EXPECT_EQ(Box(dst.Ink(kWhite)), Box(RECT{1, 1, 7, 7}));
  SelectClipRgn(dst.dc(), nullptr);
  DeleteObject(a);
  DeleteObject(b);
}

TEST(BlitTest, OriginsMoveDestinationAndSource) {
  Canvas src(4, 4, kWhite);
  src.Set(2, 3, kRed);
  Canvas dst(4, 4, kWhite);
  SetViewportOrgEx(dst.dc(), 1, 0, nullptr);
  SetWindowOrgEx(src.dc(), 1, 1, nullptr);
  // Source logical (1,1) is its device (0,0); destination logical (0,0) is device (1,0).
  ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 3, 4, src.dc(), 1, 1, SRCCOPY));
  // Source pixel (2,3) lies (2,3) into the source rectangle -> destination device (3,3).
  EXPECT_EQ(dst.At(3, 3), kRed);
  EXPECT_EQ(dst.Count(kRed), 1);
}

TEST(BlitTest, SourceOutsideItsBitmapLeavesTheDestinationAlone) {
  Canvas src(2, 2, kRed);
  Canvas dst(4, 4, kWhite);
  ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), -1, -1, SRCCOPY));
  EXPECT_EQ(Box(dst.Ink(kWhite)), Box(RECT{1, 1, 3, 3}));
  EXPECT_EQ(dst.Count(kRed), 4);
}

TEST(BlitTest, OverlappingCopyWithinOneBitmapReadsTheOriginalPixels) {
  for (int bitCount : {32, 8, 1}) {
    Canvas c(6, 6, kBlack, bitCount);
    // A diagonal the copy would smear if it read pixels it had already written.
    for (int i = 0; i < 6; ++i) c.Set(i, i, kWhite);
    std::vector<COLORREF> before;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) before.push_back(c.At(x, y));
    // Down-right by one, through a clip region of two bands so it is drawn in pieces.
    HRGN clip = CreateRectRgn(0, 0, 6, 3);
    HRGN lower = CreateRectRgn(0, 3, 6, 6);
    CombineRgn(clip, clip, lower, RGN_OR);
    SelectClipRgn(c.dc(), clip);
    ASSERT_TRUE(BitBlt(c.dc(), 1, 1, 5, 5, c.dc(), 0, 0, SRCCOPY));
    for (int y = 1; y < 6; ++y)
      for (int x = 1; x < 6; ++x)
        ASSERT_EQ(c.At(x, y), before[(y - 1) * 6 + (x - 1)]) << bitCount << " " << x << "," << y;
    // And back up-left.
    SelectClipRgn(c.dc(), nullptr);
    ASSERT_TRUE(BitBlt(c.dc(), 0, 0, 5, 5, c.dc(), 1, 1, SRCCOPY));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(c.At(x, y), before[y * 6 + x]) << bitCount;
    DeleteObject(clip);
    DeleteObject(lower);
  }
}

TEST(BlitTest, NegativeExtentsInBitBltFlipBothRectanglesWithoutMirroring) {
  Canvas src(4, 1, kBlack);
  src.Set(0, 0, kRed);
  src.Set(1, 0, kGreen);
  Canvas dst(4, 1, kWhite);
  // Width -2 from x = 2 covers pixels 0 and 1 of both bitmaps.
  ASSERT_TRUE(BitBlt(dst.dc(), 2, 0, -2, 1, src.dc(), 2, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), kRed);
  EXPECT_EQ(dst.At(1, 0), kGreen);
  EXPECT_EQ(dst.At(2, 0), kWhite);
}

TEST(BlitTest, MaskBltChoosesForegroundOrBackgroundPerMaskBit) {
  Canvas src(4, 1, kRed);
  Canvas dst(4, 1, kGreen);
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, nullptr);
  {
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mask);
    SetPixel(mdc, 1, 0, kWhite);
    SetPixel(mdc, 3, 0, kWhite);
    SelectObject(mdc, old);
    DeleteDC(mdc);
  }
  // Foreground (mask 1) copies the source; background (mask 0) keeps the destination.
  ASSERT_TRUE(
      MaskBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  EXPECT_EQ(dst.At(0, 0), kGreen);
  EXPECT_EQ(dst.At(1, 0), kRed);
  EXPECT_EQ(dst.At(2, 0), kGreen);
  EXPECT_EQ(dst.At(3, 0), kRed);
  // Without a mask it is a BitBlt with the foreground operation.
  ASSERT_TRUE(
      MaskBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, nullptr, 0, 0, MAKEROP4(SRCCOPY, BLACKNESS)));
  EXPECT_EQ(dst.At(0, 0), kRed);
  // The mask must be monochrome.
  HBITMAP colour = CreateBitmap(4, 1, 1, 32, nullptr);
  EXPECT_FALSE(
      MaskBlt(dst.dc(), 0, 0, 4, 1, src.dc(), 0, 0, colour, 0, 0, MAKEROP4(SRCCOPY, BLACKNESS)));
  DeleteObject(colour);
  DeleteObject(mask);
}

TEST(BlitTest, StretchDIBitsReadsBottomUpAndTopDownRowsUpright) {
  // 2x2, 24-bit: top row red, green; bottom row blue, white.
  for (bool topDown : {false, true}) {
    DibInfo info = MakeInfo(2, topDown ? -2 : 2, 24);
    uint8_t bits[2][8] = {};
    auto put = [&](int row, int x, COLORREF c) {
      bits[row][3 * x] = GetBValue(c);
      bits[row][3 * x + 1] = GetGValue(c);
      bits[row][3 * x + 2] = GetRValue(c);
    };
    const int topRow = topDown ? 0 : 1;
    put(topRow, 0, kRed);
    put(topRow, 1, kGreen);
    put(1 - topRow, 0, kBlue);
    put(1 - topRow, 1, kWhite);
    Canvas dst(4, 4, kBlack);
    EXPECT_EQ(
        StretchDIBits(dst.dc(), 0, 0, 2, 2, 0, 0, 2, 2, bits, info.info(), DIB_RGB_COLORS, SRCCOPY),
        2);
    EXPECT_EQ(dst.At(0, 0), kRed) << topDown;
    EXPECT_EQ(dst.At(1, 0), kGreen);
    EXPECT_EQ(dst.At(0, 1), kBlue);
    EXPECT_EQ(dst.At(1, 1), kWhite);
    // Doubled with nearest neighbour.
    SetStretchBltMode(dst.dc(), COLORONCOLOR);
    EXPECT_EQ(
        StretchDIBits(dst.dc(), 0, 0, 4, 4, 0, 0, 2, 2, bits, info.info(), DIB_RGB_COLORS, SRCCOPY),
        2);
    EXPECT_EQ(dst.At(1, 1), kRed);
    EXPECT_EQ(dst.At(3, 3), kWhite);
    // One source pixel: a bottom-up DIB counts ySrc from its bottom row.
    dst.Fill(kBlack);
    EXPECT_EQ(
        StretchDIBits(dst.dc(), 0, 0, 1, 1, 1, 0, 1, 1, bits, info.info(), DIB_RGB_COLORS, SRCCOPY),
        1);
    EXPECT_EQ(dst.At(0, 0), topDown ? kGreen : kWhite);
  }
}

TEST(BlitTest, StretchDIBitsUsesThePaletteOfIndexedDibs) {
  DibInfo info = MakeInfo(4, -1, 8);
  info.header.biClrUsed = 3;
  info.colors[0] = Quad(kRed);
  info.colors[1] = Quad(kGreen);
  info.colors[2] = Quad(kBlue);
  uint8_t bits[4] = {2, 1, 0, 1};
  Canvas dst(4, 1, kWhite);
  ASSERT_EQ(
      StretchDIBits(dst.dc(), 0, 0, 4, 1, 0, 0, 4, 1, bits, info.info(), DIB_RGB_COLORS, SRCCOPY),
      1);
  EXPECT_EQ(dst.At(0, 0), kBlue);
  EXPECT_EQ(dst.At(1, 0), kGreen);
  EXPECT_EQ(dst.At(2, 0), kRed);
  // Bad input gives 0 and draws nothing.
  dst.Fill(kWhite);
  EXPECT_EQ(StretchDIBits(dst.dc(), 0, 0, 4, 1, 0, 0, 4, 1, nullptr, info.info(), DIB_RGB_COLORS,
                          SRCCOPY),
            0);
  EXPECT_EQ(StretchDIBits(dst.dc(), 0, 0, 4, 1, 0, 0, 4, 1, bits, nullptr, DIB_RGB_COLORS, SRCCOPY),
            0);
  EXPECT_EQ(
      StretchDIBits(nullptr, 0, 0, 4, 1, 0, 0, 4, 1, bits, info.info(), DIB_RGB_COLORS, SRCCOPY),
      0);
  DibInfo broken = info;
  broken.header.biSize = 7;
  EXPECT_EQ(
      StretchDIBits(dst.dc(), 0, 0, 4, 1, 0, 0, 4, 1, bits, broken.info(), DIB_RGB_COLORS, SRCCOPY),
      0);
  EXPECT_EQ(dst.Count(kWhite), 4);
}

TEST(BlitTest, SetDIBitsToDeviceDrawsOnlyTheBandItIsGiven) {
  // A 1x4 bottom-up 32-bit DIB; the band holds scan lines 1 and 2 (counted from the bottom),
  // which are picture rows 2 and 1.
  DibInfo info = MakeInfo(1, 4, 32);
  uint32_t band[2] = {0x00FF0000, 0x0000FF00};  // scan 1 red, scan 2 green
  Canvas dst(1, 4, kBlack);
  EXPECT_EQ(SetDIBitsToDevice(dst.dc(), 0, 0, 1, 4, 0, 0, 1, 2, band, info.info(), DIB_RGB_COLORS),
            2);
  EXPECT_EQ(dst.At(0, 0), kBlack);
  EXPECT_EQ(dst.At(0, 1), kGreen);
  EXPECT_EQ(dst.At(0, 2), kRed);
  EXPECT_EQ(dst.At(0, 3), kBlack);
  EXPECT_EQ(SetDIBitsToDevice(dst.dc(), 0, 0, 1, 4, 0, 0, 0, 0, band, info.info(), DIB_RGB_COLORS),
            0);
  EXPECT_EQ(SetDIBitsToDevice(dst.dc(), 0, 0, 1, 4, 0, 0, 9, 2, band, info.info(), DIB_RGB_COLORS),
            0);
  EXPECT_EQ(
      SetDIBitsToDevice(dst.dc(), 0, 0, 1, 4, 0, 0, 0, 2, nullptr, info.info(), DIB_RGB_COLORS), 0);
}

TEST(BlitTest, BadHandlesAndSizesFailOrDoNothing) {
  Canvas src(4, 4, kRed);
  Canvas dst(4, 4, kWhite);
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, reinterpret_cast<HDC>(0x1234), 0, 0, SRCCOPY));
  // A brush handle is not a DC.
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, GetStockObject(WHITE_BRUSH), 0, 0, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, 2, 2, SRCCOPY));
  // Operations without a source ignore the source handle.
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS));
  EXPECT_EQ(dst.At(0, 0), kBlack);
  dst.Fill(kWhite);
  // Empty, huge and far-away rectangles.
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 0, 4, src.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(
      BitBlt(dst.dc(), 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFFF, 0x7FFFFFFF, src.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc(), INT32_MIN, INT32_MIN, 0x7FFFFFFF, 0x7FFFFFFF, src.dc(), INT32_MAX,
                     INT32_MIN, SRCCOPY));
  EXPECT_TRUE(PatBlt(dst.dc(), INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, BLACKNESS));
  EXPECT_EQ(dst.Count(kBlack), 16);  // that last one covers everything
  dst.Fill(kWhite);
  EXPECT_TRUE(
      StretchBlt(dst.dc(), INT32_MIN, 0, INT32_MAX, 4, src.dc(), 0, 0, INT32_MAX, 4, SRCCOPY));
  EXPECT_TRUE(
      StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), INT32_MIN, INT32_MIN, -5, INT32_MAX, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 0, 4, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 0, 4, src.dc(), 0, 0, 4, 4, SRCCOPY));
  // A deleted DC is gone.
  HDC gone = CreateCompatibleDC(nullptr);
  DeleteDC(gone);
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 1, 1, gone, 0, 0, SRCCOPY));
  EXPECT_FALSE(PatBlt(gone, 0, 0, 1, 1, BLACKNESS));
}

// Two threads drawing through different DCs into one bitmap, each XOR-ing its colour in an
// even number of times. Read-modify-write blits that interleaved would lose some of the
// XORs and leave stray colours; with one lock per primitive the bitmap ends as it began.
TEST(BlitTest, TwoThreadsXorIntoOneBitmapWithoutLosingUpdates) {
  constexpr int kSide = 256;
  HBITMAP target = CreateBitmap(kSide, kSide, 1, 32, nullptr);
  Canvas red(kSide, kSide, kRed);
  Canvas blue(kSide, kSide, kBlue);
  HDC first = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(first, target);
  auto surface = platform::gdi::Lookup<platform::gdi::BitmapObject>(target)->surface;
  // A bitmap is selected into one DC at a time; the second DC is a window-style DC over the
  // same surface, as the window manager makes them.
  HDC second = platform::gdi::CreateWindowDC(surface, POINT{0, 0}, std::nullopt, nullptr);
  // Both start together and sweep the same rows, so unlocked blits would collide.
  std::atomic<int> ready{0};
  auto run = [&](HDC dc, HDC src) {
    ready.fetch_add(1);
    while (ready.load() < 2) std::this_thread::yield();
    for (int i = 0; i < 100; ++i) BitBlt(dc, 0, 0, kSide, kSide, src, 0, 0, SRCINVERT);
  };
  std::thread a(run, first, red.dc());
  std::thread b(run, second, blue.dc());
  a.join();
  b.join();
  int changed = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) changed += surface->ReadRaw(x, y) != 0;
  EXPECT_EQ(changed, 0);
  SelectObject(first, old);
  DeleteDC(first);
  DeleteDC(second);
  DeleteObject(target);
}

}  // namespace
