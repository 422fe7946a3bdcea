// Cutting a rectangle out of BMP bytes. Each source pixel byte is a formula of its place, so
// what a crop should hold is known without the code under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/capture/BmpCrop.h"
#include "app/capture/WindowCapture.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace {

int BytesPerPixel(int bpp) {
  return bpp / 8;
}
int Stride(int width, int bpp) {
  return (width * bpp + 31) / 32 * 4;
}
int DataOffset(int bpp) {
  return bpp == 8 ? 1078 : 54;
}

// Byte k of the pixel at (x, y), y from the top.
uint8_t PixelByte(int x, int y, int k) {
  return static_cast<uint8_t>(x * 7 + y * 13 + k * 29 + 1);
}
uint8_t PaletteByte(int i) {
  return static_cast<uint8_t>(i * 3 + 1);
}

// A bottom-up BMP as a byte-set block (the block's two header words first).
std::vector<uint8_t> SourceBlock(int bpp, int width, int height, uint32_t compression = 0) {
  const int stride = Stride(width, bpp), b = BytesPerPixel(bpp);
  const size_t size = static_cast<size_t>(DataOffset(bpp)) + static_cast<size_t>(stride) * height;
  std::vector<uint8_t> block(rt::kByteSetHeader + size);
  rt::WriteInt32(block.data(), 1);
  rt::WriteInt32(block.data() + 4, static_cast<int32_t>(size));
  uint8_t* f = block.data() + rt::kByteSetHeader;
  const uint32_t fields[][3] = {{0, 0x4D42, 2},
                                {2, static_cast<uint32_t>(size), 4},
                                {10, static_cast<uint32_t>(DataOffset(bpp)), 4},
                                {14, 40, 4},
                                {18, static_cast<uint32_t>(width), 4},
                                {22, static_cast<uint32_t>(height), 4},
                                {26, 1, 2},
                                {28, static_cast<uint32_t>(bpp), 2},
                                {30, compression, 4}};
  for (const auto& [at, value, bytes] : fields) {
    for (uint32_t i = 0; i < bytes; ++i) f[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  for (int i = 0; bpp == 8 && i < 1024; ++i) f[54 + i] = PaletteByte(i);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width * b; ++x) {
      f[DataOffset(bpp) + (height - 1 - y) * stride + x] = PixelByte(x / b, y, x % b);
    }
  }
  return block;
}

// Cuts the file part of a block to `length` bytes.
void Truncate(std::vector<uint8_t>& block, size_t length) {
  block.resize(rt::kByteSetHeader + length);
  rt::WriteInt32(block.data() + 4, static_cast<int32_t>(length));
}

uint32_t Field(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

struct Crop {
  void* block;
  ~Crop() { rt::FreeMem(block); }
  rt::ByteSetView View() const { return rt::ViewByteSet(block); }
};

// The window capture's own answers need the runtime's DLL commands.
using CaptureCropTest = velmoratest::VelmoraTest;

struct Case {
  const char* name;
  int bpp, sw, sh;
  int x, y, w, h;
  bool empty;
  size_t truncateTo = 0;  // 0: the whole source
};

TEST_F(CaptureCropTest, CutsTheRectangleOrGivesNothing) {
  const Case cases[] = {
      // 60-byte rows, 654 bytes, first row 30 bytes into source row 35 from the bottom.
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> source = SourceBlock(c.bpp, c.sw, c.sh);
    const size_t whole = source.size() - rt::kByteSetHeader;
    const size_t length = c.truncateTo != 0 ? c.truncateTo : whole;
    if (c.truncateTo != 0) Truncate(source, c.truncateTo);
    Crop crop(app::capture::CropBmp(source.data(), c.x, c.y, c.w, c.h));
    if (c.empty) {
      EXPECT_EQ(crop.block, nullptr);
      continue;
    }
    ASSERT_NE(crop.block, nullptr);
    const rt::ByteSetView out = crop.View();
    const int ts = Stride(c.w, c.bpp);
    const int offset = DataOffset(c.bpp);
    ASSERT_EQ(out.size, static_cast<size_t>(offset + ts * c.h));
    // Type, file size, data offset, header size, w, h, planes, depth; the rest zero.
    const uint32_t header[] = {
        0x4D42, static_cast<uint32_t>(out.size), static_cast<uint32_t>(offset),
        40,     static_cast<uint32_t>(c.w),      static_cast<uint32_t>(c.h),
        1,      static_cast<uint32_t>(c.bpp)};
    const int field[] = {0, 2, 10, 14, 18, 22, 26, 28}, width[] = {2, 4, 4, 4, 4, 4, 2, 2};
    for (int f = 0; f < 8; ++f)
      EXPECT_EQ(Field(out.data + field[f], width[f]), header[f]) << field[f];
    for (int i = 30; i < 54; ++i) EXPECT_EQ(out.data[i], 0) << i;
    if (c.bpp == 8) {
      for (int i = 0; i < 1024; ++i) ASSERT_EQ(out.data[54 + i], PaletteByte(i)) << i;
    }
    // Each pixel byte comes from where the source holds it, or is zero when the source
    // stops before that place.
    const int b = BytesPerPixel(c.bpp);
    const int ss = Stride(c.sw, c.bpp);
    int mismatches = 0;
    for (int cy = 0; cy < c.h; ++cy) {
      for (int cx = 0; cx < c.w; ++cx) {
        for (int k = 0; k < b; ++k) {
          const int sx = c.x + cx, sy = c.y + cy;
          const size_t at = static_cast<size_t>(offset + (c.sh - 1 - sy) * ss + sx * b + k);
          const uint8_t expected = at < length ? PixelByte(sx, sy, k) : 0;
          const uint8_t got = out.data[offset + (c.h - 1 - cy) * ts + cx * b + k];
          if (got != expected && ++mismatches <= 3) {
            ADD_FAILURE() << "pixel " << cx << "," << cy << " byte " << k << ": " << int(got)
                          << " instead of " << int(expected);
          }
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
}

// Headers no program of ours writes: the answer is empty or zero pixels, never a read
// outside the source or an offset that wraps.
TEST_F(CaptureCropTest, HostileHeadersStayInsideTheSource) {
  struct Hostile {
    const char* name;
    int bpp;
    uint32_t compression;
    int32_t sw, sh;  // written over the real 4 x 4 header
    int x, y, w, h;
    bool empty;
  };
  const Hostile cases[] = {
      {"compressed", 24, 1, 4, 4, 0, 0, 2, 2, true},
      {"top-down", 24, 0, 4, -4, 0, 0, 2, 2, true},
      {"rows longer than any file", 24, 0, 0x7FFFFFFF, 2, 0x7FFFFFF0, 0, 4, 2, false},
      // Found by the fuzzer: the rows' offsets no longer fit 64 bits.
      {"both sizes near the limit", 32, 0, 0x7C320300, 0x7F000000, 1, 1, 16, 16, false},
      {"more than a byte set holds", 32, 0, 0x40000000, 0x40000000, 0, 0, 0x40000000, 0x40000000,
       true},
  };
  for (const Hostile& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> source = SourceBlock(c.bpp, 4, 4, c.compression);
    rt::WriteInt32(source.data() + rt::kByteSetHeader + 18, c.sw);
    rt::WriteInt32(source.data() + rt::kByteSetHeader + 22, c.sh);
    Crop crop(app::capture::CropBmp(source.data(), c.x, c.y, c.w, c.h));
    if (c.empty) {
      EXPECT_EQ(crop.block, nullptr);
      continue;
    }
    ASSERT_NE(crop.block, nullptr);
    const rt::ByteSetView out = crop.View();
    EXPECT_EQ(out.size, 54u + static_cast<size_t>(Stride(c.w, c.bpp)) * c.h);
    EXPECT_EQ(std::count(out.data + 54, out.data + out.size, 0), static_cast<long>(out.size - 54));
  }
  EXPECT_EQ(app::capture::CropBmp(nullptr, 0, 0, 1, 1), nullptr);
  EXPECT_EQ(app::capture::CaptureWindow(0), nullptr);
  EXPECT_EQ(app::capture::CaptureAndCrop(0, 0, 0, 10, 10), nullptr);
}

}  // namespace
