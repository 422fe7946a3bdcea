// DIBs in and out of bitmaps: GetDIBits and CreateDIBitmap at every depth in both row
// orders, checked against bytes worked out by hand, round trips, the conformance BMP files,
// and bad headers.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/gdi/DibFormat.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/wingdi.h"
#include "tests/common/TestData.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A BITMAPINFO with room for a full colour table (or masks).
struct Info {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};

  Info(int width, int height, int bitCount, DWORD compression = BI_RGB) {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = compression;
  }
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(this); }
  DWORD* masks() { return reinterpret_cast<DWORD*>(colors); }
};

// The reference picture, 3x2: top row red, green, blue; bottom row white, black, grey.
constexpr COLORREF kPicture[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                     {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)}};

// A 32-bit device bitmap holding the reference picture (rows of CreateBitmap: BGRX, top-down).
HBITMAP ReferenceBitmap() {
  uint32_t bits[6];
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      COLORREF c = kPicture[y][x];
      bits[y * 3 + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  }
  return CreateBitmap(3, 2, 1, 32, bits);
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  auto object = platform::gdi::Lookup<platform::gdi::BitmapObject>(bitmap);
  return object->surface->RawToColor(object->surface->ReadRaw(x, y)) & 0xFFFFFF;
}

class DibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dc_ = CreateCompatibleDC(nullptr);
    reference_ = ReferenceBitmap();
  }
  void TearDown() override {
    DeleteObject(reference_);
    DeleteDC(dc_);
  }

  // GetDIBits of the whole reference picture at a depth, bottom-up or top-down.
  Bytes Fetch(int bitCount, bool topDown, Info* info = nullptr) {
    Info local(3, topDown ? -2 : 2, bitCount);
    Info& i = info != nullptr ? *info : local;
    Bytes out(static_cast<size_t>(platform::gdi::DibStride(3, bitCount)) * 2, 0xCD);
    EXPECT_EQ(GetDIBits(dc_, reference_, 0, 2, out.data(), i.get(), DIB_RGB_COLORS), 2);
    return out;
  }

  HDC dc_ = nullptr;
  HBITMAP reference_ = nullptr;
};

// Expected rows, top row first; the bottom-up layout stores them the other way round.
Bytes InOrder(const Bytes& top, const Bytes& bottom, bool topDown) {
  Bytes out = topDown ? top : bottom;
  const Bytes& second = topDown ? bottom : top;
  out.insert(out.end(), second.begin(), second.end());
  return out;
}

TEST_F(DibTest, FetchAt32And24BitsInBothRowOrders) {
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    EXPECT_EQ(Fetch(32, topDown),
              InOrder({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0},
                      {255, 255, 255, 0, 0, 0, 0, 0, 128, 128, 128, 0}, topDown));
    EXPECT_EQ(Fetch(24, topDown),
              InOrder({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0},
                      {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0}, topDown));
  }
}

TEST_F(DibTest, FetchAt16BitsUses555OrTheMasksAsked) {
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    // red 7C00, green 03E0, blue 001F; white 7FFF, black 0, grey 128 -> 16 in each field.
    EXPECT_EQ(Fetch(16, topDown), InOrder({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0},
                                          {0xFF, 0x7F, 0x00, 0x00, 0x10, 0x42, 0, 0}, topDown));
  }
  // BI_BITFIELDS without masks gets 5-6-5, and the masks are written back.
  Info info(3, 2, 16, BI_BITFIELDS);
  Bytes out = Fetch(16, false, &info);
  EXPECT_EQ(info.masks()[0], 0xF800u);
  EXPECT_EQ(info.masks()[1], 0x07E0u);
  EXPECT_EQ(info.masks()[2], 0x001Fu);
  // grey 128: 16 in 5 bits, 32 in 6 -> 1000 0100 0001 0000.
  EXPECT_EQ(out, Bytes({0xFF, 0xFF, 0x00, 0x00, 0x10, 0x84, 0, 0, 0x00, 0xF8, 0xE0, 0x07, 0x1F,
                        0x00, 0, 0}));
  // 32 bits with blue and red swapped.
  Info swapped(3, -2, 32, BI_BITFIELDS);
  swapped.masks()[0] = 0x000000FF;
  swapped.masks()[1] = 0x0000FF00;
  swapped.masks()[2] = 0x00FF0000;
  Bytes rgb = Fetch(32, true, &swapped);
  EXPECT_EQ(Bytes(rgb.begin(), rgb.begin() + 12),
            Bytes({255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0}));
}

TEST_F(DibTest, FetchAtIndexedDepthsMapsToTheNearestPaletteEntry) {
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    // 8 bits: the palette starts with the 16 VGA colours: red 9, green 10, blue 12, white 15,
    // black 0, grey 8.
    Info i8(3, topDown ? -2 : 2, 8);
    EXPECT_EQ(Fetch(8, topDown, &i8), InOrder({9, 10, 12, 0}, {15, 0, 8, 0}, topDown));
    EXPECT_EQ(i8.colors[9].rgbRed, 255);
    EXPECT_EQ(i8.colors[8].rgbGreen, 128);
    EXPECT_EQ(i8.colors[255].rgbRed, i8.colors[255].rgbBlue);  // ends with greys
    // 4 bits: the same indices, two to a byte.
    Info i4(3, topDown ? -2 : 2, 4);
    EXPECT_EQ(Fetch(4, topDown, &i4), InOrder({0x9A, 0xC0, 0, 0}, {0xF0, 0x80, 0, 0}, topDown));
    EXPECT_EQ(i4.colors[7].rgbRed, 192);
    EXPECT_EQ(i4.colors[12].rgbBlue, 255);
    // 1 bit: black and white; red, green and blue are nearer black, mid grey nearer white.
    Info i1(3, topDown ? -2 : 2, 1);
    EXPECT_EQ(Fetch(1, topDown, &i1), InOrder({0x00, 0, 0, 0}, {0xA0, 0, 0, 0}, topDown));
    EXPECT_EQ(i1.colors[0].rgbRed, 0);
    EXPECT_EQ(i1.colors[1].rgbGreen, 255);
  }
}

TEST_F(DibTest, FetchHonoursAShortColourTable) {
  Info info(3, 2, 8);
  info.header.biClrUsed = 2;  // room for two entries only: black and dark red
  std::memset(info.colors, 0x77, sizeof(info.colors));
  Bytes out = Fetch(8, false, &info);
  EXPECT_EQ(info.colors[1].rgbRed, 128);
  EXPECT_EQ(info.colors[2].rgbRed, 0x77);  // untouched
  for (size_t i : {0u, 1u, 2u, 4u, 5u, 6u}) EXPECT_LT(out[i], 2) << i;
}

TEST_F(DibTest, QueryFormFillsTheHeader) {
  Info info(0, 0, 0);
  info.header.biPlanes = 0;
  EXPECT_NE(GetDIBits(dc_, reference_, 0, 0, nullptr, info.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(info.header.biWidth, 3);
  EXPECT_EQ(info.header.biHeight, 2);
  EXPECT_EQ(info.header.biPlanes, 1);
  EXPECT_EQ(info.header.biBitCount, 32);
  EXPECT_EQ(info.header.biCompression, BI_RGB);
  EXPECT_EQ(info.header.biSizeImage, 24u);
  // The fetch that follows with the filled header gets the device's own layout.
  Bytes out(info.header.biSizeImage);
  EXPECT_EQ(GetDIBits(dc_, reference_, 0, 2, out.data(), info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(out[0], 255);  // bottom-up: white first

  // With a depth given, the query sizes the image for it and fills in its colour table.
  Info at8(0, -1, 8);
  EXPECT_NE(GetDIBits(dc_, reference_, 0, 0, nullptr, at8.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(at8.header.biWidth, 3);
  EXPECT_EQ(at8.header.biHeight, -2);  // the caller's row order is kept
  EXPECT_EQ(at8.header.biSizeImage, 8u);
  EXPECT_EQ(at8.colors[15].rgbBlue, 255);

  // A monochrome bitmap describes itself as 1 bit.
  HBITMAP mono = CreateBitmap(17, 3, 1, 1, nullptr);
  Info m(0, 0, 0);
  GetDIBits(dc_, mono, 0, 0, nullptr, m.get(), DIB_RGB_COLORS);
  EXPECT_EQ(m.header.biBitCount, 1);
  EXPECT_EQ(m.header.biSizeImage, 12u);
  DeleteObject(mono);
}

TEST_F(DibTest, StartScanAndLineCountSelectRows) {
  // A 1x5 picture whose rows are grey levels 0, 10, 20, 30, 40 from the top.
  uint32_t column[5];
  for (uint32_t y = 0; y < 5; ++y) column[y] = (y * 10) * 0x010101u;
  HBITMAP bitmap = CreateBitmap(1, 5, 1, 32, column);
  Info bottomUp(1, 5, 32);
  uint32_t out[5] = {};
  // Bottom-up scan 1 is the second row from the bottom.
  EXPECT_EQ(GetDIBits(dc_, bitmap, 1, 2, out, bottomUp.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(out[0] & 0xFF, 30u);
  EXPECT_EQ(out[1] & 0xFF, 20u);
  Info topDown(1, -5, 32);
  EXPECT_EQ(GetDIBits(dc_, bitmap, 1, 2, out, topDown.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(out[0] & 0xFF, 10u);
  EXPECT_EQ(out[1] & 0xFF, 20u);
  // Lines past the end are not copied.
  std::memset(out, 0xAB, sizeof(out));
  EXPECT_EQ(GetDIBits(dc_, bitmap, 4, 10, out, bottomUp.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(out[0] & 0xFF, 0u);
  EXPECT_EQ(out[1], 0xABABABABu);
  EXPECT_EQ(GetDIBits(dc_, bitmap, 5, 1, out, bottomUp.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetDIBits(dc_, bitmap, 0xFFFFFFFF, 0xFFFFFFFF, out, bottomUp.get(), DIB_RGB_COLORS), 0);
  // SetDIBits addresses the same rows.
  uint32_t white = 0x00FFFFFF;
  EXPECT_EQ(SetDIBits(dc_, bitmap, 3, 1, &white, bottomUp.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(PixelOf(bitmap, 0, 1), RGB(255, 255, 255));
  EXPECT_EQ(SetDIBits(dc_, bitmap, 0, 1, &white, topDown.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(bitmap, 0, 2), RGB(20, 20, 20));
  DeleteObject(bitmap);
}

TEST_F(DibTest, ADibWiderThanTheBitmapGetsZeroPixelsPastItsEdge) {
  Info wide(5, 2, 8);
  Bytes out(16, 0xEE);
  EXPECT_EQ(GetDIBits(dc_, reference_, 0, 2, out.data(), wide.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(out, Bytes({15, 0, 8, 0, 0, 0, 0, 0, 9, 10, 12, 0, 0, 0, 0, 0}));
  Info wide1(5, 2, 1);
  Bytes bitsOut(8, 0xFF);
  EXPECT_EQ(GetDIBits(dc_, reference_, 0, 2, bitsOut.data(), wide1.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(bitsOut, Bytes({0xA0, 0, 0, 0, 0x00, 0, 0, 0}));
}

// A DIB of the reference picture at each depth, made by hand, into a colour bitmap.
TEST_F(DibTest, CreateDIBitmapFromEveryDepthInBothRowOrders) {
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 1, 1);
  HGDIOBJ old = SelectObject(dc_, colour);
  struct Case {
    int bitCount;
    DWORD compression;
    Bytes top;
    Bytes bottom;
  };
  const std::vector<Case> cases = {
      {32,
       BI_RGB,
       {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0},
       {255, 255, 255, 0, 0, 0, 0, 0, 128, 128, 128, 0}},
      {24,
       BI_RGB,
       {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0},
       {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0}},
      {16,
       BI_RGB,
       {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0},
       {0xFF, 0x7F, 0x00, 0x00, 0x10, 0x42, 0, 0}},
      {16,
       BI_BITFIELDS,
       {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0},
       {0xFF, 0xFF, 0x00, 0x00, 0x10, 0x84, 0, 0}},
      {8, BI_RGB, {2, 3, 4, 0}, {5, 0, 1, 0}},
      {4, BI_RGB, {0x23, 0x40, 0, 0}, {0x50, 0x10, 0, 0}},
  };
  // Indexed DIBs carry their own palette: black, grey, red, green, blue, white.
  const RGBQUAD palette[6] = {{0, 0, 0, 0},   {128, 128, 128, 0}, {0, 0, 255, 0},
                              {0, 255, 0, 0}, {255, 0, 0, 0},     {255, 255, 255, 0}};
  for (const Case& c : cases) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(std::to_string(c.bitCount) + (topDown ? " top-down" : " bottom-up"));
      Info info(3, topDown ? -2 : 2, c.bitCount, c.compression);
      if (c.compression == BI_BITFIELDS) {
        info.masks()[0] = 0xF800;
        info.masks()[1] = 0x07E0;
        info.masks()[2] = 0x001F;
      }
      if (c.bitCount <= 8) std::memcpy(info.colors, palette, sizeof(palette));
      info.header.biClrUsed = c.bitCount <= 8 ? 6 : 0;
      Bytes bits = InOrder(c.top, c.bottom, topDown);
      HBITMAP bitmap =
          CreateDIBitmap(dc_, &info.header, CBM_INIT, bits.data(), info.get(), DIB_RGB_COLORS);
      ASSERT_NE(bitmap, nullptr);
      BITMAP bm;
      GetObjectA(bitmap, sizeof(bm), &bm);
      EXPECT_EQ(bm.bmBitsPixel, 32);
      EXPECT_EQ(bm.bmHeight, 2);
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
          COLORREF want = kPicture[y][x];
          // 5-bit channels widen 128 to 132 (10000 -> 10000100); 6-bit green to 130.
          if (c.bitCount == 16 && want == RGB(128, 128, 128))
            want = c.compression == BI_BITFIELDS ? RGB(132, 130, 132) : RGB(132, 132, 132);
          EXPECT_EQ(PixelOf(bitmap, x, y), want) << x << "," << y;
        }
      }
      DeleteObject(bitmap);
    }
  }
  SelectObject(dc_, old);
  DeleteObject(colour);
}

TEST_F(DibTest, CreateDIBitmapFromOneBitAndIntoMonochrome) {
  // 1-bit DIB with a two-colour palette of its own (blue, yellow).
  Info info(9, 2, 1);
  info.colors[0] = RGBQUAD{255, 0, 0, 0};
  info.colors[1] = RGBQUAD{0, 255, 255, 0};
  const uint8_t bits[8] = {0x80, 0x80, 0, 0, 0x7F, 0x00, 0, 0};  // bottom row first
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 1, 1);
  HGDIOBJ old = SelectObject(dc_, colour);
  HBITMAP bitmap = CreateDIBitmap(dc_, &info.header, CBM_INIT, bits, info.get(), DIB_RGB_COLORS);
  EXPECT_EQ(PixelOf(bitmap, 0, 1), RGB(255, 255, 0));
  EXPECT_EQ(PixelOf(bitmap, 8, 1), RGB(255, 255, 0));
  EXPECT_EQ(PixelOf(bitmap, 1, 1), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(bitmap, 7, 0), RGB(255, 255, 0));
  DeleteObject(bitmap);
  SelectObject(dc_, old);
  DeleteObject(colour);

  // A fresh memory DC holds a monochrome bitmap, so the new bitmap is monochrome too:
  // yellow is nearer white, blue nearer black.
  HBITMAP mono = CreateDIBitmap(dc_, &info.header, CBM_INIT, bits, info.get(), DIB_RGB_COLORS);
  BITMAP bm;
  GetObjectA(mono, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(PixelOf(mono, 0, 1), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(mono, 1, 1), RGB(0, 0, 0));
  DeleteObject(mono);
  // Without CBM_INIT the bits start out zero and no pixel data is read.
  HBITMAP blank = CreateDIBitmap(nullptr, &info.header, 0, nullptr, nullptr, DIB_RGB_COLORS);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(PixelOf(blank, 4, 1), RGB(0, 0, 0));
  DeleteObject(blank);
}

TEST_F(DibTest, RoundTripsThroughSetDIBitsAndGetDIBits) {
  // A random 32-bit picture; what comes out at a depth, put back and fetched again, is
  // unchanged (the second conversion finds exactly the colours of the first).
  constexpr int kW = 37, kH = 11;
  std::mt19937 random(99);
  std::vector<uint32_t> pixels(kW * kH);
  for (uint32_t& p : pixels) p = random() & 0xFFFFFF;
  HBITMAP source = CreateBitmap(kW, kH, 1, 32, pixels.data());
  HBITMAP copy = CreateBitmap(kW, kH, 1, 32, nullptr);
  for (int bitCount : {1, 4, 8, 16, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(std::to_string(bitCount) + (topDown ? " top-down" : " bottom-up"));
      Info info(kW, topDown ? -kH : kH, bitCount);
      Bytes first(static_cast<size_t>(platform::gdi::DibStride(kW, bitCount)) * kH);
      ASSERT_EQ(GetDIBits(dc_, source, 0, kH, first.data(), info.get(), DIB_RGB_COLORS), kH);
      ASSERT_EQ(SetDIBits(dc_, copy, 0, kH, first.data(), info.get(), DIB_RGB_COLORS), kH);
      Bytes second(first.size());
      ASSERT_EQ(GetDIBits(dc_, copy, 0, kH, second.data(), info.get(), DIB_RGB_COLORS), kH);
      EXPECT_EQ(first, second);
      if (bitCount >= 24) {
        for (int y = 0; y < kH; ++y) {
          for (int x = 0; x < kW; ++x) ASSERT_EQ(PixelOf(copy, x, y), PixelOf(source, x, y));
        }
      }
    }
  }
  DeleteObject(source);
  DeleteObject(copy);
}

TEST_F(DibTest, MonochromeBitmapsKeepTheirBitsAcrossRowPaddings) {
  // CreateBitmap rows are padded to 2 bytes, DIB rows to 4.
  const uint8_t rows[6] = {0xAA, 0x80, 0x55, 0x00, 0xFF, 0x80};
  HBITMAP mono = CreateBitmap(9, 3, 1, 1, rows);
  Info info(9, -3, 1);
  Bytes out(12, 0xEE);
  ASSERT_EQ(GetDIBits(dc_, mono, 0, 3, out.data(), info.get(), DIB_RGB_COLORS), 3);
  EXPECT_EQ(out, Bytes({0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0, 0xFF, 0x80, 0, 0}));
  EXPECT_EQ(info.colors[0].rgbRed, 0);
  EXPECT_EQ(info.colors[1].rgbRed, 255);
  uint8_t back[6] = {};
  EXPECT_EQ(GetBitmapBits(mono, sizeof(back), back), 6);
  EXPECT_EQ(0, std::memcmp(back, rows, sizeof(rows)));
  DeleteObject(mono);
}

TEST_F(DibTest, DibSectionsKeepTheirLayoutPaletteAndMasks) {
  Info info(4, -2, 8);
  info.header.biClrUsed = 3;
  info.colors[0] = RGBQUAD{0, 0, 0, 0};
  info.colors[1] = RGBQUAD{0, 0, 200, 0};
  info.colors[2] = RGBQUAD{0, 200, 0, 0};
  void* bits = reinterpret_cast<void*>(1);
  HBITMAP section = CreateDIBSection(dc_, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  ASSERT_NE(bits, nullptr);
  auto* b = static_cast<uint8_t*>(bits);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], 0);
  b[1] = 1;  // top row, x = 1: red
  b[6] = 2;  // second row, x = 2: green
  EXPECT_EQ(PixelOf(section, 1, 0), RGB(200, 0, 0));
  EXPECT_EQ(PixelOf(section, 2, 1), RGB(0, 200, 0));
  // GetDIBits at the section's own depth hands back its indices and colour table.
  Info fetch(4, -2, 8);
  Bytes out(8);
  ASSERT_EQ(GetDIBits(dc_, section, 0, 2, out.data(), fetch.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(out, Bytes({0, 1, 0, 0, 0, 0, 2, 0}));
  EXPECT_EQ(fetch.colors[1].rgbRed, 200);
  DIBSECTION ds;
  GetObjectA(section, sizeof(ds), &ds);
  EXPECT_EQ(ds.dsBmih.biClrUsed, 3u);
  DeleteObject(section);

  Info masked(2, 2, 16, BI_BITFIELDS);
  masked.masks()[0] = 0xF800;
  masked.masks()[1] = 0x07E0;
  masked.masks()[2] = 0x001F;
  section = CreateDIBSection(nullptr, masked.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  GetObjectA(section, sizeof(ds), &ds);
  EXPECT_EQ(ds.dsBitfields[0], 0xF800u);
  EXPECT_EQ(ds.dsBmih.biCompression, BI_BITFIELDS);
  static_cast<uint16_t*>(bits)[0] = 0x07E0;  // bottom-up: the first pixel in memory is bottom-left
  EXPECT_EQ(PixelOf(section, 0, 1), RGB(0, 255, 0));
  DeleteObject(section);
}

TEST_F(DibTest, PaletteIndexColourTablesUseTheDefaultPalette) {
  struct {
    BITMAPINFOHEADER header;
    WORD indices[4];
  } info{};
  info.header = BITMAPINFOHEADER{40, 2, 1, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
  info.indices[0] = 13;   // red in the default palette
  info.indices[1] = 999;  // no such entry: black
  const uint8_t bits[4] = {0x40, 0, 0, 0};
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 1, 1);
  HGDIOBJ old = SelectObject(dc_, colour);
  HBITMAP bitmap = CreateDIBitmap(dc_, &info.header, CBM_INIT, bits,
                                  reinterpret_cast<BITMAPINFO*>(&info), DIB_PAL_COLORS);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(bitmap, 1, 0), RGB(0, 0, 0));
  // GetDIBits does not hand out palette indices.
  Info fetch(2, 1, 8);
  Bytes out(4);
  EXPECT_EQ(GetDIBits(dc_, bitmap, 0, 1, out.data(), fetch.get(), DIB_PAL_COLORS), 0);
  DeleteObject(bitmap);
  SelectObject(dc_, old);
  DeleteObject(colour);
}

TEST_F(DibTest, SurfaceFromDibLinesViewsABandOfScanLines) {
  Info info(1, 4, 8);  // bottom-up, 4 rows
  for (int i = 0; i < 4; ++i) info.colors[i] = RGBQUAD{0, 0, static_cast<BYTE>(i * 10), 0};
  // Scan lines 1 and 2 (second and third from the bottom), indices 1 and 2.
  const uint8_t band[8] = {1, 0, 0, 0, 2, 0, 0, 0};
  int firstRow = -1;
  auto s = platform::gdi::SurfaceFromDibLines(info.get(), band, DIB_RGB_COLORS, 1, 2, &firstRow);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->height(), 2);
  EXPECT_EQ(firstRow, 1);  // picture rows 1 and 2 of 0..3
  EXPECT_EQ(s->RawToColor(s->ReadRaw(0, 0)), RGB(20, 0, 0));
  EXPECT_EQ(s->RawToColor(s->ReadRaw(0, 1)), RGB(10, 0, 0));
  EXPECT_EQ(platform::gdi::SurfaceFromDibLines(info.get(), band, DIB_RGB_COLORS, 4, 1, &firstRow),
            nullptr);
  EXPECT_EQ(platform::gdi::SurfaceFromDibLines(info.get(), band, DIB_RGB_COLORS, 0, 0, &firstRow),
            nullptr);
  // More lines than the DIB has are cut at its end.
  s = platform::gdi::SurfaceFromDibLines(info.get(), band, DIB_RGB_COLORS, 3, 9, &firstRow);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->height(), 1);
  EXPECT_EQ(firstRow, 0);
  auto whole = platform::gdi::SurfaceFromDib(info.get(), band, DIB_RGB_COLORS);
  ASSERT_NE(whole, nullptr);
  EXPECT_FALSE(whole->topDown());
  EXPECT_EQ(whole->height(), 4);
}

// The BMP conformance files, read as packed DIBs after their 14-byte file header.
class BmpFile {
 public:
  explicit BmpFile(const std::string& name) {
    std::ifstream in(testing_data::Path("bmp/" + name), std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), {});
  }
  bool ok() const { return bytes_.size() > 54; }
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(bytes_.data() + 14); }
  const void* bits() const {
    DWORD offset;
    std::memcpy(&offset, bytes_.data() + 10, 4);
    return bytes_.data() + offset;
  }

 private:
  Bytes bytes_;
};

// Every pixel of a BMP file, through CreateDIBitmap into a 32-bit bitmap and GetDIBits.
std::vector<uint32_t> Decode(HDC dc, const std::string& name, int* width, int* height) {
  BmpFile file(name);
  EXPECT_TRUE(file.ok()) << name;
  if (!file.ok()) return {};
  // The header sits at offset 14, not 4-aligned: the functions must read it as it is.
  platform::gdi::DibFormat format;
  EXPECT_TRUE(platform::gdi::ParseDibInfo(file.info(), DIB_RGB_COLORS, &format)) << name;
  HBITMAP bitmap = CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(file.info()),
                                  CBM_INIT, file.bits(), file.info(), DIB_RGB_COLORS);
  EXPECT_NE(bitmap, nullptr) << name;
  if (bitmap == nullptr) return {};
  *width = format.width;
  *height = format.height;
  Info info(format.width, -format.height, 32);
  std::vector<uint32_t> pixels(static_cast<size_t>(format.width) * format.height);
  EXPECT_EQ(GetDIBits(dc, bitmap, 0, format.height, pixels.data(), info.get(), DIB_RGB_COLORS),
            format.height);
  DeleteObject(bitmap);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

TEST_F(DibTest, ConformanceFilesOfOnePictureDecodeAlike) {
  VELMORA_REQUIRE_TESTDATA();
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 1, 1);
  HGDIOBJ old = SelectObject(dc_, colour);
  const std::vector<std::vector<std::string>> groups = {
      {"g/pal8.bmp", "g/pal8topdown.bmp", "g/pal8-0.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp",
       "g/pal8os2.bmp"},
      {"g/rgb24.bmp", "g/rgb32.bmp", "g/rgb32bf.bmp", "g/rgb32bfdef.bmp", "g/rgb24pal.bmp"},
      {"g/rgb16.bmp", "g/rgb16bfdef.bmp"},
      {"g/pal1.bmp", "g/pal1wb.bmp"},
      {"g/pal4.bmp", "g/pal4gs.bmp"},
  };
  for (const auto& group : groups) {
    int w0 = 0, h0 = 0;
    std::vector<uint32_t> first = Decode(dc_, group[0], &w0, &h0);
    ASSERT_FALSE(first.empty()) << group[0];
    EXPECT_EQ(w0, 127);
    EXPECT_EQ(h0, 64);
    if (group[0] == "g/pal4.bmp") {
      // The grey version is another picture; only check that it decodes.
      int w, h;
      EXPECT_FALSE(Decode(dc_, group[1], &w, &h).empty());
      continue;
    }
    for (size_t i = 1; i < group.size(); ++i) {
      int w = 0, h = 0;
      std::vector<uint32_t> other = Decode(dc_, group[i], &w, &h);
      EXPECT_EQ(w, w0) << group[i];
      EXPECT_EQ(h, h0) << group[i];
      EXPECT_TRUE(other == first) << group[i] << " differs from " << group[0];
    }
  }
  SelectObject(dc_, old);
  DeleteObject(colour);
}

TEST_F(DibTest, ParsedHeadersGiveTheLayoutOfPackedDibs) {
  VELMORA_REQUIRE_TESTDATA();
  platform::gdi::DibFormat f;
  BmpFile pal8("g/pal8.bmp");
  ASSERT_TRUE(pal8.ok());
  ASSERT_TRUE(platform::gdi::ParseDibInfo(pal8.info(), DIB_RGB_COLORS, &f));
  EXPECT_EQ(f.colorTableEntries, 252);
  EXPECT_EQ(f.headerBytes, 40u + 252 * 4);
  EXPECT_EQ(f.stride, 128);
  BmpFile os2("g/pal8os2.bmp");
  ASSERT_TRUE(platform::gdi::ParseDibInfo(os2.info(), DIB_RGB_COLORS, &f));
  EXPECT_TRUE(f.core);
  EXPECT_EQ(f.headerBytes, 12u + 256 * 3);
  BmpFile bf("g/rgb16-565.bmp");
  ASSERT_TRUE(platform::gdi::ParseDibInfo(bf.info(), DIB_RGB_COLORS, &f));
  EXPECT_EQ(f.masks[1], 0x07E0u);
  EXPECT_EQ(f.headerBytes, 52u);
  // Compressed pictures are refused.
  BmpFile rle("g/pal8rle.bmp");
  EXPECT_FALSE(platform::gdi::ParseDibInfo(rle.info(), DIB_RGB_COLORS, &f));
  EXPECT_EQ(CreateDIBitmap(dc_, reinterpret_cast<const BITMAPINFOHEADER*>(rle.info()), CBM_INIT,
                           rle.bits(), rle.info(), DIB_RGB_COLORS),
            nullptr);
}

TEST_F(DibTest, BadHeadersAndHandlesAreRefused) {
  Bytes bits(1 << 16, 0);
  auto refused = [&](Info info, const char* what) {
    SCOPED_TRACE(what);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(dc_, info.get(), DIB_RGB_COLORS, &out, nullptr, 0), nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CreateDIBitmap(dc_, &info.header, CBM_INIT, bits.data(), info.get(), DIB_RGB_COLORS),
              nullptr);
    EXPECT_EQ(SetDIBits(dc_, reference_, 0, 1, bits.data(), info.get(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(dc_, reference_, 0, 1, bits.data(), info.get(), DIB_RGB_COLORS), 0);
  };
  Info good(2, 2, 24);
  Info i = good;
  i.header.biSize = 39;
  refused(i, "short header");
  i = good;
  i.header.biSize = 41;
  refused(i, "unknown header size");
  i = good;
  i.header.biSize = 0xFFFFFFFF;
  refused(i, "absurd header size");
  i = good;
  i.header.biPlanes = 2;
  refused(i, "two planes");
  i = good;
  i.header.biBitCount = 3;
  refused(i, "3 bits");
  i = good;
  i.header.biBitCount = 8;
  i.header.biCompression = BI_RLE8;
  refused(i, "RLE8");
  i = good;
  i.header.biCompression = BI_BITFIELDS;
  refused(i, "bit fields at 24 bits");
  i = good;
  i.header.biCompression = 77;
  refused(i, "unknown compression");
  i = good;
  i.header.biWidth = 0;
  refused(i, "zero width");
  i = good;
  i.header.biWidth = -2;
  refused(i, "negative width");
  i = good;
  i.header.biHeight = 0;
  refused(i, "zero height");
  i = good;
  i.header.biHeight = INT32_MIN;
  refused(i, "most negative height");
  i = good;
  i.header.biWidth = 40000;
  i.header.biHeight = 40000;
  refused(i, "too many pixels");
  i = good;
  i.header.biWidth = 0x7FFFFFFF;
  i.header.biHeight = 1;
  refused(i, "width whose stride overflows");

  // Usage, pointers and handles.
  void* out = nullptr;
  EXPECT_EQ(CreateDIBSection(dc_, good.get(), 2, &out, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBSection(dc_, nullptr, DIB_RGB_COLORS, &out, nullptr, 0), nullptr);
  EXPECT_EQ(
      CreateDIBSection(dc_, good.get(), DIB_RGB_COLORS, &out, reinterpret_cast<HANDLE>(0x40), 0),
      nullptr);
  EXPECT_EQ(CreateDIBSection(reference_, good.get(), DIB_RGB_COLORS, &out, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBitmap(dc_, nullptr, 0, nullptr, nullptr, DIB_RGB_COLORS), nullptr);
  EXPECT_EQ(CreateDIBitmap(dc_, &good.header, CBM_INIT, nullptr, good.get(), DIB_RGB_COLORS),
            nullptr);
  EXPECT_EQ(CreateDIBitmap(reference_, &good.header, 0, nullptr, nullptr, DIB_RGB_COLORS), nullptr);
  EXPECT_EQ(GetDIBits(nullptr, reference_, 0, 1, bits.data(), good.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetDIBits(dc_, dc_, 0, 1, bits.data(), good.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(GetDIBits(dc_, reference_, 0, 1, bits.data(), nullptr, DIB_RGB_COLORS), 0);
  EXPECT_EQ(SetDIBits(dc_, reference_, 0, 1, nullptr, good.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(SetDIBits(dc_, nullptr, 0, 1, bits.data(), good.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(SetDIBits(dc_, reference_, 0, 1, bits.data(), good.get(), 5), 0);
  HBITMAP gone = CreateBitmap(1, 1, 1, 32, nullptr);
  DeleteObject(gone);
  EXPECT_EQ(GetDIBits(dc_, gone, 0, 1, bits.data(), good.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(platform::gdi::SurfaceFromDib(good.get(), nullptr, DIB_RGB_COLORS), nullptr);
}

}  // namespace
