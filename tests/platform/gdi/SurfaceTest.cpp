// Pixel storage: where each format keeps a pixel, and how raw values map to colours.
#include <gtest/gtest.h>

#include <random>

#include "platform/gdi/StandardPalettes.h"
#include "platform/gdi/Surface.h"

namespace {

using platform::gdi::Surface;

TEST(SurfaceTest, CreateRefusesSizesAndDepthsItCannotHold) {
  EXPECT_EQ(Surface::Create(0, 5, 32, true), nullptr);
  EXPECT_EQ(Surface::Create(5, -1, 32, true), nullptr);
  EXPECT_EQ(Surface::Create(Surface::kMaxSide + 1, 1, 32, true), nullptr);
  EXPECT_EQ(Surface::Create(Surface::kMaxSide, Surface::kMaxSide, 1, true),
            nullptr);  // too many pixels
  EXPECT_EQ(Surface::Create(4, 4, 2, true), nullptr);
  EXPECT_EQ(Surface::Create(4, 4, 0, true), nullptr);
  auto s = Surface::Create(3, 2, 24, false);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->stride(), 12);
  EXPECT_EQ(s->byteSize(), 24u);
  for (size_t i = 0; i < s->byteSize(); ++i) ASSERT_EQ(s->bits()[i], 0);
}

TEST(SurfaceTest, DibStrideRoundsRowsToFourBytes) {
  EXPECT_EQ(platform::gdi::DibStride(1, 1), 4);
  EXPECT_EQ(platform::gdi::DibStride(33, 1), 8);
  EXPECT_EQ(platform::gdi::DibStride(9, 4), 8);
  EXPECT_EQ(platform::gdi::DibStride(3, 24), 12);
  EXPECT_EQ(platform::gdi::DibStride(3, 16), 8);
  EXPECT_EQ(platform::gdi::DibStride(0, 32), 0);
  EXPECT_EQ(platform::gdi::DibStride(-4, 32), 0);
  EXPECT_EQ(platform::gdi::DibStride(0x7FFFFFFF, 32), 0);  // overflow is reported as 0
}

TEST(SurfaceTest, SubBytePixelsArePackedMostSignificantFirst) {
  auto mono = Surface::Create(10, 1, 1, true);
  mono->WriteRaw(0, 0, 1);
  mono->WriteRaw(9, 0, 1);
  EXPECT_EQ(mono->bits()[0], 0x80);
  EXPECT_EQ(mono->bits()[1], 0x40);
  mono->WriteRaw(0, 0, 0);
  EXPECT_EQ(mono->bits()[0], 0x00);
  EXPECT_EQ(mono->ReadRaw(9, 0), 1u);

  auto nibble = Surface::Create(3, 1, 4, true);
  nibble->WriteRaw(0, 0, 0xA);
  nibble->WriteRaw(1, 0, 0x5);
  nibble->WriteRaw(2, 0, 0xF);
  EXPECT_EQ(nibble->bits()[0], 0xA5);
  EXPECT_EQ(nibble->bits()[1], 0xF0);
  nibble->WriteRaw(1, 0, 0x3);
  EXPECT_EQ(nibble->bits()[0], 0xA3);
}

TEST(SurfaceTest, WideFormatsAreLittleEndianAndBottomUpRowsAreReversed) {
  auto s16 = Surface::Create(2, 1, 16, true);
  s16->WriteRaw(1, 0, 0x1234);
  EXPECT_EQ(s16->bits()[2], 0x34);
  EXPECT_EQ(s16->bits()[3], 0x12);
  auto s24 = Surface::Create(2, 2, 24, false);  // bottom-up: picture row 0 is the last in memory
  s24->WriteRaw(1, 0, 0x00AABBCC);
  const uint8_t* p = s24->bits() + s24->stride() + 3;
  EXPECT_EQ(p[0], 0xCC);  // blue
  EXPECT_EQ(p[1], 0xBB);
  EXPECT_EQ(p[2], 0xAA);  // red
  EXPECT_EQ(s24->ReadRaw(1, 0), 0x00AABBCCu);
  EXPECT_EQ(s24->RawToColor(0x00AABBCC), RGB(0xAA, 0xBB, 0xCC));
  auto s32 = Surface::Create(1, 1, 32, true);
  EXPECT_EQ(s32->ColorToRaw(RGB(1, 2, 3)), 0x00010203u);
  EXPECT_EQ(s32->RawMask(), 0xFFFFFFFFu);
  EXPECT_EQ(s24->RawMask(), 0xFFFFFFu);
}

TEST(SurfaceTest, MaskedFormatsWidenFieldsByRepeatingTheirBits) {
  auto s = Surface::Create(1, 1, 16, true);
  // 5-5-5 by default.
  EXPECT_EQ(s->RawToColor(0x7FFF), RGB(255, 255, 255));
  EXPECT_EQ(s->RawToColor(0x4210), RGB(132, 132, 132));  // 10000 -> 10000100
  EXPECT_EQ(s->ColorToRaw(RGB(255, 0, 8)), 0x7C01u);
  s->SetMasks(0xF800, 0x07E0, 0x001F);
  EXPECT_EQ(s->RawToColor(0xF800), RGB(255, 0, 0));
  EXPECT_EQ(s->RawToColor(0x0400), RGB(0, 130, 0));  // 100000 -> 10000010
  EXPECT_EQ(s->ColorToRaw(RGB(0, 255, 0)), 0x07E0u);
  // Every colour that a 5-6-5 pixel can show converts back to that pixel.
  for (uint32_t raw = 0; raw < 0x10000; raw += 7) ASSERT_EQ(s->ColorToRaw(s->RawToColor(raw)), raw);
  // Unusual masks: blue in the top byte of a 32-bit pixel, a mask with a hole.
  auto t = Surface::Create(1, 1, 32, true);
  t->SetMasks(0x000000FF, 0x0000FF00, 0xFF000000);
  EXPECT_EQ(t->ColorToRaw(RGB(1, 2, 3)), 0x03000201u);
  EXPECT_EQ(t->RawToColor(0x03000201), RGB(1, 2, 3));
  t->SetMasks(0x00F0000F, 0, 0);
  EXPECT_LE(GetRValue(t->RawToColor(0xFFFFFFFF)), 255);
  EXPECT_EQ(t->RawToColor(0), RGB(0, 0, 0));
}

TEST(SurfaceTest, IndexedFormatsFindTheNearestPaletteEntry) {
  auto s = Surface::Create(1, 1, 8, true);
  s->palette() = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{0, 0, 200, 0}, RGBQUAD{200, 0, 0, 0}};
  EXPECT_EQ(s->ColorToRaw(RGB(180, 10, 10)), 1u);
  EXPECT_EQ(s->ColorToRaw(RGB(10, 10, 180)), 2u);
  EXPECT_EQ(s->ColorToRaw(RGB(20, 20, 20)), 0u);
  EXPECT_EQ(s->RawToColor(1), RGB(200, 0, 0));
  EXPECT_EQ(s->RawToColor(7), RGB(0, 0, 0));  // past the palette
  // A monochrome surface has black and white; mid grey is nearer white.
  auto mono = Surface::Create(1, 1, 1, true);
  EXPECT_EQ(mono->ColorToRaw(RGB(128, 128, 128)), 1u);
  EXPECT_EQ(mono->ColorToRaw(RGB(255, 0, 0)), 0u);
  EXPECT_EQ(mono->RawToColor(1), RGB(255, 255, 255));
}

TEST(SurfaceTest, NearestIndexCacheAgreesWithTheFullSearch) {
  const auto& palette = platform::gdi::HalftonePalette();
  ASSERT_EQ(palette.size(), 256u);
  platform::gdi::NearestIndexCache cache(palette);
  std::mt19937 random(5);
  for (int i = 0; i < 20000; ++i) {
    COLORREF c = random() & 0xFFFFFF;
    if (i % 3 == 0) c &= 0x0F0F0F;  // repeats, so that cached answers are used
    ASSERT_EQ(cache.Find(c), platform::gdi::NearestPaletteIndex(palette, c));
  }
}

}  // namespace
