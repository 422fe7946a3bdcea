#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/PcxDecoder.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/TestData.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint16_t Word(const std::vector<uint8_t>& f, size_t at) {
  return static_cast<uint16_t>(f[at] | (f[at + 1] << 8));
}

struct Decoded {
  bool ok = false;
  pic::DecodedPicture record;
  std::vector<uint8_t> block;
};

Decoded Decode(const std::vector<uint8_t>& bytes, size_t limit = pic::kMaxPixelBlockBytes) {
  Decoded d;
  d.ok = pic::DecodePcx(bytes.data(), bytes.size(), &d.record, limit);
  if (d.ok) {
    d.block.assign(d.record.pixels, d.record.pixels + d.record.size);
    rt::FreeMem(d.record.pixels);
  }
  return d;
}

// The whole run-length stream expanded at once, bytes-per-line bytes per line, as a check
// on the decoder's line-by-line reading.
std::vector<uint8_t> ExpandAll(const std::vector<uint8_t>& f, size_t lines, size_t* end) {
  const size_t want = Word(f, 66) * lines;
  std::vector<uint8_t> out;
  size_t i = 128;
  while (out.size() < want && i < f.size()) {
    uint8_t b = f[i++];
    if (b > 0xC0 && i < f.size()) {
      out.insert(out.end(), b - 0xC0u, f[i++]);
    } else {
      out.push_back(b);
    }
  }
  out.resize(want);
  *end = i;
  return out;
}

std::vector<uint8_t> Header(int width, int height, uint8_t bits, uint8_t planes,
                            uint16_t bytesPerLine) {
  std::vector<uint8_t> f(128, 0);
  f[0] = 0x0A;
  f[1] = 5;
  f[2] = 1;
  f[3] = bits;
  f[8] = static_cast<uint8_t>(width - 1);
  f[9] = static_cast<uint8_t>((width - 1) >> 8);
  f[10] = static_cast<uint8_t>(height - 1);
  f[11] = static_cast<uint8_t>((height - 1) >> 8);
  f[65] = planes;
  f[66] = static_cast<uint8_t>(bytesPerLine);
  f[67] = static_cast<uint8_t>(bytesPerLine >> 8);
  return f;
}

TEST(PcxDecoder, EightBitFilesBecomePackedTopDownBitmaps) {
  VELMORA_REQUIRE_TESTDATA();
  struct Case {
    const char* name;
    int width, height;
  } cases[] = {{"test-bpp8.pcx", 27, 27}, {"odd_stride.pcx", 371, 150}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto file = ReadBytes(testing_data::Path(std::string("pcx/") + c.name));
    Decoded d = Decode(file);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.record.kind, pic::kPicturePcx8);
    EXPECT_EQ(d.record.width, c.width);
    EXPECT_EQ(d.record.height, c.height);
    const size_t stride = (c.width + 3) / 4 * 4;
    ASSERT_EQ(d.block.size(), 40 + 1024 + stride * c.height);
    int32_t headerWidth, headerHeight;
    std::memcpy(&headerWidth, d.block.data() + 4, 4);
    std::memcpy(&headerHeight, d.block.data() + 8, 4);
    EXPECT_EQ(headerWidth, c.width);
    EXPECT_EQ(headerHeight, -c.height);
    EXPECT_EQ(d.block[12], 1);
    EXPECT_EQ(d.block[14], 8);

    size_t end = 0;
    auto expanded = ExpandAll(file, c.height, &end);
    const size_t bytesPerLine = Word(file, 66);
    bool rowsMatch = true;
    for (int y = 0; y < c.height; ++y) {
      const uint8_t* row = d.block.data() + 1064 + y * stride;
      rowsMatch = rowsMatch && std::memcmp(row, expanded.data() + y * bytesPerLine, c.width) == 0;
      for (size_t x = c.width; x < stride; ++x) rowsMatch = rowsMatch && row[x] == 0;
    }
    EXPECT_TRUE(rowsMatch);
    // The 256-colour palette closes the file.
    ASSERT_EQ(file[file.size() - 769], 0x0C);
    bool paletteMatches = true;
    for (int i = 0; i < 256; ++i) {
      const uint8_t* rgb = file.data() + file.size() - 768 + i * 3;
      const uint8_t* bgr0 = d.block.data() + 40 + i * 4;
      paletteMatches = paletteMatches && bgr0[0] == rgb[2] && bgr0[1] == rgb[1] &&
                       bgr0[2] == rgb[0] && bgr0[3] == 0;
    }
    EXPECT_TRUE(paletteMatches);
  }
}

TEST(PcxDecoder, OneBitFilesKeepEvenRowsWithRunsAcrossLines) {
  VELMORA_REQUIRE_TESTDATA();
  struct Case {
    const char* name;
    int width, height;
  } cases[] = {{"test-bpp1.pcx", 27, 27}, {"pil184.pcx", 447, 144}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto file = ReadBytes(testing_data::Path(std::string("pcx/") + c.name));
    Decoded d = Decode(file);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.record.kind, pic::kPicturePcx1);
    EXPECT_EQ(d.record.width, c.width);
    EXPECT_EQ(d.record.height, c.height);
    const size_t rowBytes = ((c.width + 7) / 8 + 1) / 2 * 2;
    ASSERT_EQ(d.block.size(), rowBytes * c.height);
    size_t end = 0;
    auto expanded = ExpandAll(file, c.height, &end);
    const size_t bytesPerLine = Word(file, 66);
    ASSERT_EQ(bytesPerLine, rowBytes);
    EXPECT_TRUE(d.block == expanded);
  }
}

TEST(PcxDecoder, ShortLinesAreZeroFilledToTheBitmapRow) {
  VELMORA_REQUIRE_TESTDATA();
  // 88 pixels wide, but only 12 bytes a line and no palette.
  auto file = ReadBytes(testing_data::Path("pcx/01r_00.pcx"));
  Decoded d = Decode(file);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.width, 88);
  ASSERT_EQ(d.block.size(), 1064u + 88u * d.record.height);
  bool tailsZero = true;
  for (int y = 0; y < d.record.height; ++y) {
    for (int x = 12; x < 88; ++x) tailsZero = tailsZero && d.block[1064 + y * 88 + x] == 0;
  }
  EXPECT_TRUE(tailsZero);
}

TEST(PcxDecoder, OtherDepthsAndBrokenHeadersFail) {
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name :
       {"test-bpp24.pcx", "test-bpp4.pcx", "p_4_planes.pcx", "ossfuzz-4836216264589312.pcx"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Decode(ReadBytes(testing_data::Path(std::string("pcx/") + name))).ok);
  }
  auto f = Header(4, 1, 8, 1, 4);
  f.push_back(0xC4);
  f.push_back(7);
  EXPECT_TRUE(Decode(f).ok);
  auto shortFile = f;
  shortFile.resize(128);
  EXPECT_FALSE(Decode(shortFile).ok);
  auto reversed = f;
  reversed[4] = 9;  // Xmin beyond Xmax
  EXPECT_FALSE(Decode(reversed).ok);
  auto version6 = f;
  version6[1] = 6;
  EXPECT_FALSE(Decode(version6).ok);
  auto noRle = f;
  noRle[2] = 0;
  EXPECT_FALSE(Decode(noRle).ok);
  // Limits are checked before allocating.
  auto huge = Header(65535, 65535, 8, 1, 65535);
  huge.push_back(0);
  EXPECT_FALSE(Decode(huge).ok);
  EXPECT_FALSE(Decode(f, 1064 + 3).ok);
}

TEST(PcxDecoder, RunsEndAtTheOutputAndMissingDataStaysZero) {
  // One run of 63 bytes for a 2x2 picture: it fills both lines and stops there.
  auto f = Header(2, 2, 8, 1, 2);
  f.push_back(0xFF);
  f.push_back(5);
  Decoded d = Decode(f);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(std::vector<uint8_t>(d.block.begin() + 1064, d.block.end()),
            (std::vector<uint8_t>{5, 5, 0, 0, 5, 5, 0, 0}));

  // Literal bytes, with 0xC0 itself a literal; the second line never arrives.
  auto g = Header(3, 2, 8, 1, 3);
  g.insert(g.end(), {0xC0, 0x01, 0xC1});
  g.push_back(0x02);
  Decoded e = Decode(g);
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(std::vector<uint8_t>(e.block.begin() + 1064, e.block.end()),
            (std::vector<uint8_t>{0xC0, 1, 2, 0, 0, 0, 0, 0}));
  // No palette marker: the colours stay zero.
  EXPECT_EQ(std::vector<uint8_t>(e.block.begin() + 40, e.block.begin() + 1064),
            std::vector<uint8_t>(1024, 0));

  // A palette right after the pixel data is used.
  auto h = Header(1, 1, 8, 1, 1);
  h.push_back(3);
  h.push_back(0x0C);
  for (int i = 0; i < 256; ++i) h.insert(h.end(), {static_cast<uint8_t>(i), 0x10, 0x20});
  Decoded p = Decode(h);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.block[40 + 3 * 4 + 0], 0x20);
  EXPECT_EQ(p.block[40 + 3 * 4 + 1], 0x10);
  EXPECT_EQ(p.block[40 + 3 * 4 + 2], 3);
  EXPECT_EQ(p.block[1064], 3);
}

}  // namespace
