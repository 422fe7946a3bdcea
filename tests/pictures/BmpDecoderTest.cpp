#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"
#include "platform/wingdi.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/TestData.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
  bool ok = false;
  pic::DecodedPicture record;
  std::vector<uint8_t> pixels;
};

Decoded Decode(const std::vector<uint8_t>& bytes, size_t limit = pic::kMaxPixelBlockBytes) {
  Decoded d;
  d.ok = pic::DecodeBmp(bytes.data(), bytes.size(), &d.record, limit);
  if (d.ok) {
    d.pixels.assign(d.record.pixels, d.record.pixels + d.record.size);
    rt::FreeMem(d.record.pixels);
    d.record.pixels = nullptr;
  }
  return d;
}

// The same file through the GDI's own DIB reader: the packed DIB after the file header
// becomes a device bitmap, read back as unpadded 24-bit bottom-up rows.
bool GdiReference(const std::vector<uint8_t>& file, int width, int height,
                  std::vector<uint8_t>* out) {
  uint32_t offBits;
  std::memcpy(&offBits, file.data() + 10, 4);
  // The header sits at offset 14 of the file; the GDI wants it aligned.
  std::vector<uint32_t> dib((file.size() - 14 + 3) / 4);
  std::memcpy(dib.data(), file.data() + 14, file.size() - 14);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
  const auto* bits = reinterpret_cast<const uint8_t*>(dib.data()) + offBits - 14;
  HBITMAP bitmap = CreateDIBitmap(nullptr, &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS);
  if (bitmap == nullptr) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO want{};
  want.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  want.bmiHeader.biWidth = width;
  want.bmiHeader.biHeight = height;
  want.bmiHeader.biPlanes = 1;
  want.bmiHeader.biBitCount = 24;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> padded(stride * height);
  const int lines = GetDIBits(dc, bitmap, 0, height, padded.data(), &want, DIB_RGB_COLORS);
  DeleteDC(dc);
  DeleteObject(bitmap);
  if (lines != height) return false;
  out->clear();
  for (int y = 0; y < height; ++y) {
    out->insert(out->end(), padded.begin() + y * stride, padded.begin() + y * stride + width * 3);
  }
  return true;
}

// A small BMP built in the test: 40-byte header, palette, rows padded to 4 bytes.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint16_t bits,
                             const std::vector<uint8_t>& palette, const std::vector<uint8_t>& rows,
                             uint32_t compression = 0, uint32_t colorsUsed = 0) {
  // Sized once and filled in place: growing it with insert trips g++ 12's bounds warning.
  std::vector<uint8_t> f(54 + palette.size() + rows.size());
  if (!palette.empty()) std::memcpy(f.data() + 54, palette.data(), palette.size());
  if (!rows.empty()) std::memcpy(f.data() + 54 + palette.size(), rows.data(), rows.size());
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(f.data() + at, &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(f.data() + at, &v, 2); };
  f[0] = 'B';
  f[1] = 'M';
  put32(10, static_cast<uint32_t>(54 + palette.size()));
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, bits);
  put32(30, compression);
  put32(46, colorsUsed);
  put32(2, static_cast<uint32_t>(f.size()));
  return f;
}

TEST(BmpDecoder, AcceptedSuiteFilesMatchTheGdiReading) {
  VELMORA_REQUIRE_TESTDATA();
  const char* accepted[] = {"g/pal1.bmp",          "g/pal1bg.bmp",        "g/pal1wb.bmp",
                            "g/pal4.bmp",          "g/pal4gs.bmp",        "g/pal8-0.bmp",
                            "g/pal8.bmp",          "g/pal8gs.bmp",        "g/pal8nonsquare.bmp",
                            "g/pal8topdown.bmp",   "g/pal8v4.bmp",        "g/pal8v5.bmp",
                            "g/pal8w124.bmp",      "g/pal8w125.bmp",      "g/pal8w126.bmp",
                            "g/rgb24.bmp",         "g/rgb24pal.bmp",      "g/rgb32.bmp",
                            "q/pal1p1.bmp",        "q/pal8offs.bmp",      "q/pal8oversizepal.bmp",
                            "q/rgb24largepal.bmp", "q/rgb32fakealpha.bmp"};
  for (const char* name : accepted) {
    SCOPED_TRACE(name);
    auto file = ReadBytes(testing_data::Path(std::string("bmp/") + name));
    ASSERT_GT(file.size(), 54u);
    Decoded d = Decode(file);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.record.kind, pic::kPictureBmp);
    EXPECT_EQ(d.record.size, d.record.width * d.record.height * 3);
    std::vector<uint8_t> expected;
    ASSERT_TRUE(GdiReference(file, d.record.width, d.record.height, &expected));
    EXPECT_TRUE(d.pixels == expected);
  }
}

TEST(BmpDecoder, CompressedSixteenBitAndCoreHeaderFilesFail) {
  VELMORA_REQUIRE_TESTDATA();
  const char* rejected[] = {
      "g/pal4rle.bmp",    "g/pal8rle.bmp",      "g/pal8os2.bmp",      "g/rgb16.bmp",
      "g/rgb16-565.bmp",  "g/rgb16-565pal.bmp", "g/rgb16bfdef.bmp",   "g/rgb32bf.bmp",
      "g/rgb32bfdef.bmp", "q/pal2.bmp",         "q/rgb24jpeg.bmp",    "q/rgb24png.bmp",
      "q/rgba32abf.bmp",  "q/rgba64.bmp",       "q/pal8os2v2-16.bmp", "q/rgb24rle24.bmp"};
  for (const char* name : rejected) {
    SCOPED_TRACE(name);
    auto file = ReadBytes(testing_data::Path(std::string("bmp/") + name));
    ASSERT_GT(file.size(), 54u);
    EXPECT_FALSE(Decode(file).ok);
  }
}

TEST(BmpDecoder, TopDownFileComesOutTheRightWayUp) {
  VELMORA_REQUIRE_TESTDATA();
  Decoded bottomUp = Decode(ReadBytes(testing_data::Path("bmp/g/pal8.bmp")));
  Decoded topDown = Decode(ReadBytes(testing_data::Path("bmp/g/pal8topdown.bmp")));
  ASSERT_TRUE(bottomUp.ok && topDown.ok);
  EXPECT_EQ(topDown.record.height, bottomUp.record.height);
  EXPECT_TRUE(topDown.pixels == bottomUp.pixels);

  // Two rows, red on top: the record's last row (the top one) is red either way.
  const std::vector<uint8_t> redOverBlue = {0, 0, 255, 0, 255, 0, 0, 0};
  const std::vector<uint8_t> blueOverRed = {255, 0, 0, 0, 0, 0, 255, 0};
  Decoded a = Decode(MakeBmp(1, -2, 24, {}, redOverBlue));
  Decoded b = Decode(MakeBmp(1, 2, 24, {}, blueOverRed));
  ASSERT_TRUE(a.ok && b.ok);
  EXPECT_EQ(a.pixels, (std::vector<uint8_t>{255, 0, 0, 0, 0, 255}));
  EXPECT_EQ(a.pixels, b.pixels);
}

TEST(BmpDecoder, PixelFormats) {
  // 32-bit: the fourth byte is dropped.
  Decoded d32 = Decode(MakeBmp(2, 1, 32, {}, {1, 2, 3, 0xEE, 4, 5, 6, 0x77}));
  ASSERT_TRUE(d32.ok);
  EXPECT_EQ(d32.pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));

  // 1-bit: most significant bit first, rows padded to 4 bytes.
  const std::vector<uint8_t> twoColours = {10, 20, 30, 0, 40, 50, 60, 0};
  Decoded d1 = Decode(MakeBmp(3, 2, 1, twoColours, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}));
  ASSERT_TRUE(d1.ok);
  EXPECT_EQ(d1.pixels, (std::vector<uint8_t>{40, 50, 60, 10, 20, 30, 40, 50, 60,  //
                                             10, 20, 30, 40, 50, 60, 10, 20, 30}));

  // 4-bit: high nibble first; colours-used limits the palette read.
  std::vector<uint8_t> pal4 = {1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0};
  Decoded d4 = Decode(MakeBmp(3, 1, 4, pal4, {0x21, 0x00, 0, 0}, 0, 3));
  ASSERT_TRUE(d4.ok);
  EXPECT_EQ(d4.pixels, (std::vector<uint8_t>{3, 3, 3, 2, 2, 2, 1, 1, 1}));

  // An index past a short palette shows black instead of reading beyond it.
  Decoded d8 = Decode(MakeBmp(2, 1, 8, {9, 8, 7, 0}, {0, 200, 0, 0}, 0, 1));
  ASSERT_TRUE(d8.ok);
  EXPECT_EQ(d8.pixels, (std::vector<uint8_t>{9, 8, 7, 0, 0, 0}));
}

TEST(BmpDecoder, MalformedHeadersAndShortDataFail) {
  const std::vector<uint8_t> row = {1, 2, 3, 0};
  EXPECT_TRUE(Decode(MakeBmp(1, 1, 24, {}, row)).ok);
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 16, {}, row)).ok);
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 24, {}, row, BI_RLE8)).ok);
  EXPECT_FALSE(Decode(MakeBmp(0, 1, 24, {}, row)).ok);
  EXPECT_FALSE(Decode(MakeBmp(1, 2, 24, {}, row)).ok);  // second row missing

  auto file = MakeBmp(1, 1, 24, {}, row);
  auto wrongMagic = file;
  wrongMagic[1] = 'A';
  EXPECT_FALSE(Decode(wrongMagic).ok);
  auto offsetInsideHeader = file;
  offsetInsideHeader[10] = 40;
  EXPECT_FALSE(Decode(offsetInsideHeader).ok);
  auto offsetPastEnd = file;
  offsetPastEnd[10] = 200;
  EXPECT_FALSE(Decode(offsetPastEnd).ok);
  // Colours-used far beyond the data.
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 8, {1, 2, 3, 0}, row, 0, 0x40000000)).ok);
  for (size_t cut = 0; cut < file.size(); ++cut) {
    std::vector<uint8_t> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_FALSE(Decode(prefix).ok) << cut;
  }
  // The size limit is checked before anything is allocated.
  auto big = MakeBmp(0x7FFFFFFF, -0x7FFFFFFF, 24, {}, row);
  EXPECT_FALSE(Decode(big).ok);
  EXPECT_FALSE(Decode(MakeBmp(2, 1, 24, {}, {1, 2, 3, 4, 5, 6, 0, 0}), 5).ok);
}

TEST(BmpDecoder, BadSuiteFilesFailOrDecodeWithinTheirData) {
  VELMORA_REQUIRE_TESTDATA();
  const char* names[] = {"badbitcount", "badbitssize",   "baddens1",       "baddens2",
                         "badfilesize", "badheadersize", "badpalettesize", "badplanes",
                         "badrle",      "badrle4",       "badrle4bis",     "badrle4ter",
                         "badrlebis",   "badrleter",     "badwidth",       "pal8badindex",
                         "reallybig",   "rgb16-880",     "rletopdown",     "shortfile"};

  for (const char* name : names) {
    SCOPED_TRACE(name);
    auto file = ReadBytes(testing_data::Path(std::string("bmp/b/") + name + ".bmp"));
    ASSERT_FALSE(file.empty());
    Decoded d = Decode(file);
    if (d.ok) {
      EXPECT_EQ(d.pixels.size(), static_cast<size_t>(d.record.width) * d.record.height * 3);
    }
  }
  // Compression, 16 bits, truncation and absurd sizes are all refused.
  EXPECT_FALSE(Decode(ReadBytes(testing_data::Path("bmp/b/reallybig.bmp"))).ok);
  EXPECT_FALSE(Decode(ReadBytes(testing_data::Path("bmp/b/shortfile.bmp"))).ok);
  EXPECT_FALSE(Decode(ReadBytes(testing_data::Path("bmp/b/badbitcount.bmp"))).ok);
}

}  // namespace
