// Cutting a rectangle out of BMP bytes. Each source pixel byte is a formula of its place, so
// what a crop should hold is known without the code under test.

#include "app/capture/BmpCrop.h"
#include "app/capture/WindowCapture.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

int64_t Stride(int64_t width, int bpp) {
  return (width * bpp + 31) / 32 * 4;
}
int DataOffset(int bpp) {
  return bpp == 8 ? 1078 : 54;
}
// Byte k of the pixel at (x, y), y from the top.
uint8_t PixelByte(int x, int y, int k) {
  return static_cast<uint8_t>(x * 7 + y * 13 + k * 29 + 1);
}
uint32_t Field(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}
void PutField(uint8_t* p, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A bottom-up BMP as a byte-set block (the block's two header words first); the palette's
// byte i is i * 3 + 1.
std::vector<uint8_t> SourceBlock(int bpp, int width, int height) {
  const int stride = static_cast<int>(Stride(width, bpp)), b = bpp / 8;
  const size_t size = static_cast<size_t>(DataOffset(bpp) + stride * height);
  std::vector<uint8_t> block(rt::kByteSetHeader + size);
  rt::WriteInt32(block.data(), 1);
  rt::WriteInt32(block.data() + 4, static_cast<int32_t>(size));
  uint8_t* f = block.data() + rt::kByteSetHeader;
  const uint32_t header[] = {0x4D42, uint32_t(size),  uint32_t(DataOffset(bpp)),
                             40,     uint32_t(width), uint32_t(height),
                             1,      uint32_t(bpp)};
  const int at[] = {0, 2, 10, 14, 18, 22, 26, 28}, bytes[] = {2, 4, 4, 4, 4, 4, 2, 2};
  for (int i = 0; i < 8; ++i) PutField(f + at[i], header[i], bytes[i]);
  for (int i = 0; bpp == 8 && i < 1024; ++i) f[54 + i] = static_cast<uint8_t>(i * 3 + 1);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width * b; ++x)
      f[DataOffset(bpp) + (height - 1 - y) * stride + x] = PixelByte(x / b, y, x % b);
  return block;
}

using CaptureCropTest = VelmoraTest;  // the window capture's answers need the runtime

TEST_F(CaptureCropTest, CutsTheRectangleOrGivesNothing) {
  const struct Case {
    const char* name;
    int bpp, sw, sh;
    int x, y, w, h;
    bool empty;
    size_t truncateTo = 0;  // 0: the whole source
    // Headers no program of ours writes, over a real 4 x 4 source: the crop holds zeros.
    uint32_t compression = 0;
    int32_t headerW = 0, headerH = 0;
  } cases[] = {
      {"24-bit inside", 24, 100, 50, 10, 5, 20, 10, false},
      {"right and bottom edges reached", 24, 100, 50, 80, 40, 20, 10, false},
      {"whole picture", 24, 13, 7, 0, 0, 13, 7, false},
      {"one pixel too wide", 24, 100, 50, 81, 0, 20, 10, true},
      {"one pixel too tall", 24, 100, 50, 0, 41, 20, 10, true},
      {"left of the picture", 24, 100, 50, -1, 0, 20, 10, true},
      {"above the picture", 24, 100, 50, 0, -1, 20, 10, true},
      {"no width", 24, 100, 50, 0, 0, 0, 10, true},
      {"no height", 24, 100, 50, 0, 0, 10, 0, true},
      {"32-bit keeps its depth", 32, 9, 6, 3, 2, 5, 4, false},
      {"16-bit with row padding", 16, 7, 5, 1, 1, 3, 3, false},
      {"8-bit keeps its palette", 8, 11, 4, 2, 1, 5, 3, false},
      {"4-bit is refused", 4, 16, 4, 0, 0, 8, 2, true},
      {"48-bit is refused", 48, 4, 4, 0, 0, 2, 2, true},
      {"source cut inside a row", 24, 40, 30, 3, 2, 30, 25, false, 54 + 10 * 120 + 17},
      {"source cut before the pixels", 32, 10, 10, 0, 0, 10, 10, false, 60},
      {"source shorter than its header", 24, 10, 10, 0, 0, 5, 5, true, 20},
      {"compressed", 24, 4, 4, 0, 0, 2, 2, true, 0, 1},
      {"top-down", 24, 4, 4, 0, 0, 2, 2, true, 0, 0, 4, -4},
      {"rows longer than any file", 24, 4, 4, 0x7FFFFFF0, 0, 4, 2, false, 0, 0, 0x7FFFFFFF, 2},
      // Found by the fuzzer: the rows' offsets no longer fit 64 bits.
      {"both sizes near the limit", 32, 4, 4, 1, 1, 16, 16, false, 0, 0, 0x7C320300, 0x7F000000},
      {"more than a byte set holds", 32, 4, 4, 0, 0, 0x40000000, 0x40000000, true, 0, 0, 0x40000000,
       0x40000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> source = SourceBlock(c.bpp, c.sw, c.sh);
    const size_t length = c.truncateTo != 0 ? c.truncateTo : source.size() - rt::kByteSetHeader;
    source.resize(rt::kByteSetHeader + length);
    rt::WriteInt32(source.data() + 4, static_cast<int32_t>(length));
    uint8_t* f = source.data() + rt::kByteSetHeader;
    const bool hostile = c.compression != 0 || c.headerW != 0;
    if (hostile) {
      PutField(f + 30, c.compression, 4);
    }
    if (c.headerW != 0) {
      PutField(f + 18, static_cast<uint32_t>(c.headerW), 4);
      PutField(f + 22, static_cast<uint32_t>(c.headerH), 4);
    }
    void* crop = app::capture::CropBmp(source.data(), c.x, c.y, c.w, c.h);
    const rt::ByteSetView out = rt::ViewByteSet(crop);
    if (c.empty) {
      EXPECT_EQ(crop, nullptr);
      rt::FreeMem(crop);
      continue;
    }
    const int offset = DataOffset(c.bpp), b = c.bpp / 8;
    const int64_t ts = Stride(c.w, c.bpp), ss = Stride(c.sw, c.bpp);
    ASSERT_EQ(out.size, static_cast<size_t>(offset + ts * c.h));
    // Type, file size, data offset, header size, w, h, planes, depth; the rest zero.
    const uint32_t header[] = {0x4D42, uint32_t(out.size), uint32_t(offset),
                               40,     uint32_t(c.w),      uint32_t(c.h),
                               1,      uint32_t(c.bpp)};
    const int at[] = {0, 2, 10, 14, 18, 22, 26, 28}, bytes[] = {2, 4, 4, 4, 4, 4, 2, 2};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Field(out.data + at[i], bytes[i]), header[i]) << at[i];
    for (int i = 30; i < 54; ++i) EXPECT_EQ(out.data[i], 0) << i;
    for (int i = 0; c.bpp == 8 && i < 1024; ++i) ASSERT_EQ(out.data[54 + i], uint8_t(i * 3 + 1));
    // Each byte comes from where the source holds it, or is zero where the source stops.
    int mismatches = 0;
    for (int cy = 0; cy < c.h; ++cy)
      for (int cx = 0; cx < c.w; ++cx)
        for (int k = 0; k < b; ++k) {
          const int sx = c.x + cx, sy = c.y + cy;
          const int64_t from = offset + (c.sh - 1 - sy) * ss + int64_t(sx) * b + k;
          const uint8_t expected = !hostile && from < int64_t(length) ? PixelByte(sx, sy, k) : 0;
          mismatches += out.data[offset + (c.h - 1 - cy) * ts + cx * b + k] != expected;
        }
    EXPECT_EQ(mismatches, 0);
    rt::FreeMem(crop);
  }
  EXPECT_EQ(app::capture::CropBmp(nullptr, 0, 0, 1, 1), nullptr);
  EXPECT_EQ(app::capture::CaptureWindow(0), nullptr);
  EXPECT_EQ(app::capture::CaptureAndCrop(0, 0, 0, 10, 10), nullptr);
}

}  // namespace
}  // namespace velmoratest
