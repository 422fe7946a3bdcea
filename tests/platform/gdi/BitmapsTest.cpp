// Device-dependent bitmaps: the depth CreateCompatibleBitmap picks, CreateBitmap's row
// layout, GetBitmapBits.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/GdiObjects.h"
#include "platform/wingdi.h"

namespace {

BITMAP Describe(HBITMAP bitmap) {
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
  return bm;
}

TEST(BitmapsTest, CompatibleBitmapsFollowTheBitmapInTheDC) {
  HDC dc = CreateCompatibleDC(nullptr);
  // A fresh memory DC holds its 1x1 monochrome bitmap, so compatible bitmaps are monochrome.
  HBITMAP mono = CreateCompatibleBitmap(dc, 10, 4);
  EXPECT_EQ(Describe(mono).bmBitsPixel, 1);
  // The screen, and a DC holding a colour bitmap, give 32 bits.
  HBITMAP screen = CreateCompatibleBitmap(nullptr, 10, 4);
  EXPECT_EQ(Describe(screen).bmBitsPixel, 32);
  EXPECT_EQ(Describe(screen).bmWidthBytes, 40);
  HGDIOBJ old = SelectObject(dc, screen);
  HBITMAP colour = CreateCompatibleBitmap(dc, 3, 3);
  EXPECT_EQ(Describe(colour).bmBitsPixel, 32);
  SelectObject(dc, old);
  // A zero size gives a 1x1 monochrome bitmap; negative sizes and bad DCs give nothing.
  HBITMAP empty = CreateCompatibleBitmap(nullptr, 0, 5);
  EXPECT_EQ(Describe(empty).bmWidth, 1);
  EXPECT_EQ(Describe(empty).bmBitsPixel, 1);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(mono, 1, 1), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 100000, 100000), nullptr);
  for (HBITMAP b : {mono, screen, colour, empty}) EXPECT_TRUE(DeleteObject(b));
  DeleteDC(dc);
}

TEST(BitmapsTest, CreateBitmapReadsRowsPaddedToTwoBytes) {
  // 3 pixels at 4 bits take 2 bytes a row; at 24 bits 9 bytes, padded to 10.
  const uint8_t nibbles[4] = {0x9A, 0xC0, 0xF0, 0x80};
  HBITMAP b4 = CreateBitmap(3, 2, 1, 4, nibbles);
  ASSERT_NE(b4, nullptr);
  auto s4 = platform::gdi::Lookup<platform::gdi::BitmapObject>(b4)->surface;
  EXPECT_EQ(s4->bitCount(), 4);
  EXPECT_EQ(s4->RawToColor(s4->ReadRaw(0, 0)), RGB(255, 0, 0));  // VGA 9
  EXPECT_EQ(s4->RawToColor(s4->ReadRaw(2, 1)), RGB(128, 128, 128));
  uint8_t rgb[20] = {};
  rgb[0] = 0x11;   // row 0, pixel 0, blue
  rgb[10] = 0x22;  // row 1 starts after 10 bytes
  HBITMAP b24 = CreateBitmap(3, 2, 1, 24, rgb);
  auto s24 = platform::gdi::Lookup<platform::gdi::BitmapObject>(b24)->surface;
  EXPECT_EQ(s24->RawToColor(s24->ReadRaw(0, 0)), RGB(0, 0, 0x11));
  EXPECT_EQ(s24->RawToColor(s24->ReadRaw(0, 1)), RGB(0, 0, 0x22));
  BITMAP bm = Describe(b24);
  EXPECT_EQ(bm.bmWidthBytes, 10);
  uint8_t back[20];
  std::memset(back, 0xEE, sizeof(back));
  EXPECT_EQ(GetBitmapBits(b24, sizeof(back), back), 20);
  EXPECT_EQ(0, std::memcmp(back, rgb, 20));
  for (HBITMAP b : {b4, b24}) DeleteObject(b);
  for (UINT depth : {1u, 8u, 16u, 32u}) {
    HBITMAP b = CreateBitmap(5, 5, 1, depth, nullptr);
    ASSERT_NE(b, nullptr) << depth;
    EXPECT_EQ(Describe(b).bmBitsPixel, depth);
    DeleteObject(b);
  }
}

TEST(BitmapsTest, CreateBitmapRefusesWhatItCannotMake) {
  EXPECT_EQ(CreateBitmap(4, 4, 2, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 1, 2, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 1, 0, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 1, 64, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(-4, 4, 1, 32, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(40000, 40000, 1, 1, nullptr), nullptr);
  HBITMAP zero = CreateBitmap(0, 0, 1, 32, nullptr);
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(Describe(zero).bmBitsPixel, 1);
  DeleteObject(zero);
}

TEST(BitmapsTest, GetBitmapBitsCopiesWhatFits) {
  uint32_t pixels[6] = {1, 2, 3, 4, 5, 6};
  HBITMAP b = CreateBitmap(3, 2, 1, 32, pixels);
  EXPECT_EQ(GetBitmapBits(b, 0, nullptr), 24);
  uint32_t out[6] = {};
  EXPECT_EQ(GetBitmapBits(b, 14, out), 14);  // three whole pixels and half of the fourth
  EXPECT_EQ(out[2], 3u);
  EXPECT_EQ(out[3], 4u);
  EXPECT_EQ(out[4], 0u);
  EXPECT_EQ(GetBitmapBits(b, 1000, out), 24);
  EXPECT_EQ(out[5], 6u);
  EXPECT_EQ(GetBitmapBits(b, 0, out), 0);
  EXPECT_EQ(GetBitmapBits(b, -5, out), 0);
  EXPECT_EQ(GetBitmapBits(nullptr, 4, out), 0);
  HRGN r = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(GetBitmapBits(r, 4, out), 0);
  DeleteObject(r);
  DeleteObject(b);
}

}  // namespace
