#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/IconDecoder.h"
#include "platform/wingdi.h"
#include "tests/common/TestData.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Ico(const char* name) {
  return ReadBytes(testing_data::Path(std::string("ico/") + name));
}

// What an icon looks like drawn on white, as 0x00RRGGBB values.
std::vector<uint32_t> DrawOnWhite(HICON icon, int width, int height) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, width, height, WHITENESS);
  DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  std::vector<uint32_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

// The icon made straight from one directory entry's image.
std::vector<uint32_t> EntryDrawn(const std::vector<uint8_t>& file, int entry, int width,
                                 int height) {
  uint32_t size, offset;
  std::memcpy(&size, file.data() + 6 + entry * 16 + 8, 4);
  std::memcpy(&offset, file.data() + 6 + entry * 16 + 12, 4);
  HICON icon =
      CreateIconFromResourceEx(file.data() + offset, size, TRUE, 0x00030000, width, height, 0);
  EXPECT_NE(icon, nullptr);
  auto pixels = DrawOnWhite(icon, width, height);
  DestroyIcon(icon);
  return pixels;
}

struct Decoded {
  bool ok = false;
  pic::DecodedPicture record;
  std::vector<uint32_t> drawn;
};

Decoded Decode(const std::vector<uint8_t>& bytes) {
  Decoded d;
  d.ok = pic::DecodeIconFile(bytes.data(), bytes.size(), &d.record);
  if (d.ok) {
    EXPECT_NE(d.record.icon, nullptr);
    EXPECT_EQ(d.record.pixels, nullptr);
    d.drawn = DrawOnWhite(d.record.icon, d.record.width, d.record.height);
    DestroyIcon(d.record.icon);
  }
  return d;
}

TEST(IconDecoder, PicksTheFirstThirtyTwoPixelEntryWithSixteenOrMoreColours) {
  VELMORA_REQUIRE_TESTDATA();
  auto smile = Ico("smile.ico");
  Decoded d = Decode(smile);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.kind, pic::kPictureIcon);
  EXPECT_EQ(d.record.width, 32);
  EXPECT_EQ(d.record.height, 32);
  EXPECT_EQ(d.drawn, EntryDrawn(smile, 0, 32, 32));

  auto several = Ico("multiple_entries_with_different_bit_depth.ico");
  Decoded m = Decode(several);
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.record.width, 32);
  EXPECT_EQ(m.drawn, EntryDrawn(several, 0, 32, 32));

  // Without a 16-colour first entry nothing matches (256-colour entries count 0), so the
  // last one is taken.
  several[6 + 2] = 0;
  Decoded last = Decode(several);
  ASSERT_TRUE(last.ok);
  EXPECT_EQ(last.record.width, 16);
  EXPECT_EQ(last.record.height, 16);
  EXPECT_EQ(last.drawn, EntryDrawn(several, 8, 16, 16));
}

TEST(IconDecoder, SmallOnlyIconsShowTheirLastEntry) {
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name : {"hopper.ico", "black_and_white.ico"}) {
    SCOPED_TRACE(name);
    auto file = Ico(name);
    Decoded d = Decode(file);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.record.width, 16);
    EXPECT_EQ(d.record.height, 16);
    EXPECT_EQ(d.drawn, EntryDrawn(file, 0, 16, 16));
  }
}

// Straight-alpha pixels (0xAARRGGBB) over white, as 0x00RRGGBB.
std::vector<uint32_t> OverWhite(const std::vector<uint32_t>& argb) {
  std::vector<uint32_t> out;
  for (uint32_t p : argb) {
    const uint32_t a = p >> 24;
    uint32_t v = 0;
    for (int shift = 0; shift <= 16; shift += 8)
      v |= ((((p >> shift) & 0xFF) * a + 255 * (255 - a) + 127) / 255) << shift;
    out.push_back(v);
  }
  return out;
}

// Icon files as they are written today: a PNG image, and a 32-bit image whose AND mask is cut
// short. Both show at their own size, the PNG as libpng reads it, the bitmap as its own alpha
// says (read straight from the file's bottom-up rows).
TEST(IconDecoder, PngAndMasklessThirtyTwoBitEntriesShow) {
  VELMORA_REQUIRE_TESTDATA();
  auto png = Ico("png-32bpp-alpha.ico");
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data() + 22, png.size() - 22));
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pngPixels(size_t{image.width} * image.height);
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pngPixels.data(), 0, nullptr));

  auto cut = Ico("truncated_mask_32bpp.ico");
  std::vector<uint32_t> cutPixels(64 * 64);
  for (int y = 0; y < 64; ++y)
    std::memcpy(&cutPixels[static_cast<size_t>(63 - y) * 64], cut.data() + 22 + 40 + y * 256, 256);

  struct Case {
    const char* name;
    const std::vector<uint8_t>* file;
    int size;
    std::vector<uint32_t> expected;
  };
  for (const Case& c : {Case{"png-32bpp-alpha.ico", &png, 32, OverWhite(pngPixels)},
                        Case{"truncated_mask_32bpp.ico", &cut, 64, OverWhite(cutPixels)}}) {
    Decoded d = Decode(*c.file);
    ASSERT_TRUE(d.ok) << c.name;
    EXPECT_EQ(d.record.kind, pic::kPictureIcon) << c.name;
    EXPECT_EQ(d.record.width, c.size) << c.name;
    EXPECT_EQ(d.record.height, c.size) << c.name;
    ASSERT_EQ(d.drawn.size(), c.expected.size()) << c.name;
    int worst = 0;
    for (size_t i = 0; i < d.drawn.size(); ++i) {
      for (int shift = 0; shift <= 16; shift += 8) {
        // GetPixel gives 0x00BBGGRR; the expectation is 0x00RRGGBB.
        const int got = static_cast<int>((d.drawn[i] >> (16 - shift)) & 0xFF);
        worst = std::max(worst, std::abs(got - static_cast<int>((c.expected[i] >> shift) & 0xFF)));
      }
    }
    EXPECT_LE(worst, 1) << c.name;
  }
}

TEST(IconDecoder, CursorFilesBecomeKindFour) {
  VELMORA_REQUIRE_TESTDATA();
  Decoded deer = Decode(Ico("deerstalker.cur"));
  ASSERT_TRUE(deer.ok);
  EXPECT_EQ(deer.record.kind, pic::kPictureCursor);
  EXPECT_EQ(deer.record.width, 32);
  Decoded small = Decode(Ico("24bipp-6x6.cur"));
  ASSERT_TRUE(small.ok);
  EXPECT_EQ(small.record.kind, pic::kPictureCursor);
  EXPECT_EQ(small.record.width, 6);
  EXPECT_EQ(small.record.height, 6);
}

TEST(IconDecoder, UnusableFilesFail) {
  VELMORA_REQUIRE_TESTDATA();
  EXPECT_FALSE(Decode(Ico("no_cursors.cur")).ok);
  // The bomb's header claims 65535 pixels: whatever is made, it is not that big.
  Decoded bomb = Decode(Ico("decompression_bomb.ico"));
  if (bomb.ok) {
    EXPECT_LE(bomb.record.width, 1024);
  }

  auto smile = Ico("smile.ico");
  auto cutDirectory = std::vector<uint8_t>(smile.begin(), smile.begin() + 6 + 16 + 8);
  EXPECT_FALSE(Decode(cutDirectory).ok);
  auto offsetOutside = smile;
  offsetOutside[6 + 12 + 3] = 0x10;  // first entry's image at 256 MB
  EXPECT_FALSE(Decode(offsetOutside).ok);
  auto sizeOutside = smile;
  sizeOutside[6 + 8 + 2] = 0x10;
  EXPECT_FALSE(Decode(sizeOutside).ok);
  auto badType = smile;
  badType[2] = 3;
  EXPECT_FALSE(Decode(badType).ok);
  auto badReserved = smile;
  badReserved[0] = 1;
  EXPECT_FALSE(Decode(badReserved).ok);
  for (size_t cut = 0; cut < 6 + 16; ++cut) {
    EXPECT_FALSE(Decode(std::vector<uint8_t>(smile.begin(),
                                             smile.begin() + static_cast<std::ptrdiff_t>(cut)))
                     .ok);
  }
}

TEST(IconDecoder, CursorDataKeepsTheHotSpotAndSize) {
  VELMORA_REQUIRE_TESTDATA();
  auto six = Ico("24bipp-6x6.cur");
  HCURSOR cursor = pic::CursorFromFileData(six.data(), six.size());
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 4u);
  EXPECT_EQ(info.yHotspot, 1u);
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(info.hbmColor, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 6);
  EXPECT_EQ(bm.bmHeight, 6);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);

  auto deer = Ico("deerstalker.cur");
  cursor = pic::CursorFromFileData(deer.data(), deer.size());
  ASSERT_NE(cursor, nullptr);
  DestroyCursor(cursor);

  auto icon = Ico("smile.ico");
  EXPECT_EQ(pic::CursorFromFileData(icon.data(), icon.size()), nullptr);
  EXPECT_EQ(pic::CursorFromFileData(six.data(), 22), nullptr);
  auto outside = six;
  outside[6 + 12 + 2] = 0x01;
  EXPECT_EQ(pic::CursorFromFileData(outside.data(), outside.size()), nullptr);
}

}  // namespace
