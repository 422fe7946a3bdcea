#include <gtest/gtest.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/DecodedPicture.h"
#include "platform/wingdi.h"
#include "runtime/calls/ServiceTable.h"
#include "tests/common/TempFolder.h"
#include "tests/common/TestData.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

pic::PictureKind Kind(const Bytes& b) {
  return pic::DetectPictureKind(b.data(), b.size());
}

TEST(DetectPictureKind, LeadingBytesDecideTheKind) {
  struct Row {
    Bytes bytes;
    pic::PictureKind kind;
  } table[] = {
      {{'B', 'M', 0, 0, 0, 0}, pic::kPictureBmp},
      {{0xFF, 0xD8, 0xFF, 0xE0, 0, 0}, pic::kPictureJpeg},
      {{0, 0, 1, 0, 1, 0}, pic::kPictureIcon},
      {{0, 0, 1, 0, 0, 1}, pic::kPictureIcon},  // 256 images
      {{0, 0, 2, 0, 3, 0}, pic::kPictureCursor},
      {{'G', 'I', 'F', '8', '7', 'a'}, pic::kPictureGif},
      {{'G', 'I', 'F', '8', '9', 'a'}, pic::kPictureGif},
      {{0x0A, 5, 1, 8, 0, 0}, pic::kPicturePcx8},
      {{0x0A, 0, 1, 8, 0, 0}, pic::kPicturePcx8},
      {{0x0A, 3, 1, 1, 0, 0}, pic::kPicturePcx1},
      // Near misses.
      {{'B', 'm', 0, 0, 0, 0}, pic::kPictureUnknown},
      {{0xFF, 0xD9, 0, 0, 0, 0}, pic::kPictureUnknown},
      {{0, 0, 1, 0, 0, 0}, pic::kPictureUnknown},  // no images
      {{0, 0, 3, 0, 1, 0}, pic::kPictureUnknown},
      {{1, 0, 1, 0, 1, 0}, pic::kPictureUnknown},
      {{'G', 'I', 'F', '8', '8', 'a'}, pic::kPictureUnknown},
      {{0x0A, 6, 1, 8, 0, 0}, pic::kPictureUnknown},  // version above 5
      {{0x0A, 5, 0, 8, 0, 0}, pic::kPictureUnknown},  // not run-length encoded
      {{0x0A, 5, 1, 1, 0, 0}, pic::kPictureUnknown},  // 1 bit needs version 3
      {{0x0A, 3, 1, 4, 0, 0}, pic::kPictureUnknown},
      {{0x0A, 3, 1, 24, 0, 0}, pic::kPictureUnknown},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(testing::PrintToString(row.bytes));
    EXPECT_EQ(Kind(row.bytes), row.kind);
    // Whatever follows does not matter.
    Bytes longer = row.bytes;
    longer.resize(64, 0x5A);
    EXPECT_EQ(Kind(longer), row.kind);
    // Five bytes or less are never recognised.
    for (size_t n = 0; n <= 5; ++n)
      EXPECT_EQ(pic::DetectPictureKind(row.bytes.data(), n), pic::kPictureUnknown);
  }
  EXPECT_EQ(pic::DetectPictureKind(nullptr, 100), pic::kPictureUnknown);
}

TEST(DecodePicture, DispatchesOnTheDetectedKind) {
  VELMORA_REQUIRE_TESTDATA();
  struct Row {
    const char* path;
    pic::PictureKind kind;
    int width, height;
  } rows[] = {
      {"bmp/g/pal8w125.bmp", pic::kPictureBmp, 125, 62},
      {"jpeg/testorig.jpg", pic::kPictureJpeg, 227, 149},
      {"ico/smile.ico", pic::kPictureIcon, 32, 32},
      {"ico/deerstalker.cur", pic::kPictureCursor, 32, 32},
      {"gif/treescap.gif", pic::kPictureGif, 0, 0},
      {"pcx/test-bpp8.pcx", pic::kPicturePcx8, 27, 27},
      {"pcx/test-bpp1.pcx", pic::kPicturePcx1, 27, 27},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    Bytes bytes = ReadBytes(testing_data::Path(row.path));
    if (row.kind == pic::kPicturePcx1) bytes[1] = 3;
    pic::DecodedPicture* p = pic::DecodePicture(bytes.data(), bytes.size());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->kind, row.kind);
    if (row.width != 0) {
      EXPECT_EQ(p->width, row.width);
      EXPECT_EQ(p->height, row.height);
    }
    const bool isIcon = row.kind == pic::kPictureIcon || row.kind == pic::kPictureCursor;
    EXPECT_EQ(p->icon != nullptr, isIcon);
    EXPECT_EQ(p->pixels != nullptr, !isIcon);
    pic::ReleasePicture(p);
  }
  // Not pictures of ours: a cursor file without images, a PNG, and a 1-bit PCX that says
  // version 5 (only version 3 marks 1-bit files).
  for (const char* path : {"ico/no_cursors.cur", "png/basn2c08.png", "pcx/test-bpp1.pcx"}) {
    Bytes bytes = ReadBytes(testing_data::Path(path));
    ASSERT_FALSE(bytes.empty()) << path;
    EXPECT_EQ(pic::DecodePicture(bytes.data(), bytes.size()), nullptr) << path;
  }
  EXPECT_EQ(pic::DecodePicture(nullptr, 10), nullptr);
  const uint8_t png[] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  EXPECT_EQ(pic::DecodePicture(png, 0), nullptr);
  EXPECT_EQ(pic::DecodePicture(png, sizeof png), nullptr);
  pic::ReleasePicture(nullptr);
}

class TempFile {
 public:
  explicit TempFile(const Bytes& bytes) {
    int fd = testing_temp::MakeFile("velmora-picture", &path_);
    if (fd >= 0) {
      EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
      close(fd);
    }
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

TEST(DecodePictureFile, ReadsTheFileThroughTheSameDecoders) {
  VELMORA_REQUIRE_TESTDATA();
  Bytes bytes = ReadBytes(testing_data::Path("bmp/g/rgb24.bmp"));
  pic::DecodedPicture* fromMemory = pic::DecodePicture(bytes.data(), bytes.size());
  pic::DecodedPicture* fromFile =
      pic::DecodePictureFile(testing_data::Path("bmp/g/rgb24.bmp").c_str());
  ASSERT_NE(fromMemory, nullptr);
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(fromFile->kind, pic::kPictureBmp);
  ASSERT_EQ(fromFile->size, fromMemory->size);
  EXPECT_EQ(std::memcmp(fromFile->pixels, fromMemory->pixels, fromFile->size), 0);
  pic::ReleasePicture(fromMemory);
  pic::ReleasePicture(fromFile);

  EXPECT_EQ(pic::DecodePictureFile(nullptr), nullptr);
  EXPECT_EQ(pic::DecodePictureFile(""), nullptr);
  EXPECT_EQ(pic::DecodePictureFile("/nonexistent/velmora/none.bmp"), nullptr);
  TempFile five(Bytes{'B', 'M', 0, 0, 0});
  EXPECT_EQ(pic::DecodePictureFile(five.path()), nullptr);
  TempFile text(Bytes(100, 'x'));
  EXPECT_EQ(pic::DecodePictureFile(text.path()), nullptr);
  Bytes truncated(bytes.begin(), bytes.begin() + 1000);
  TempFile cut(truncated);
  EXPECT_EQ(pic::DecodePictureFile(cut.path()), nullptr);
}

// The device bitmap read back as 32-bit top-down 0x00RRGGBB values.
std::vector<uint32_t> ReadBack(HBITMAP bitmap, int* width, int* height) {
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  *width = bm.bmWidth;
  *height = bm.bmHeight;
  EXPECT_EQ(bm.bmBitsPixel, 32);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDIBits(dc, bitmap, 0, bm.bmHeight, pixels.data(), &info, DIB_RGB_COLORS),
            bm.bmHeight);
  DeleteDC(dc);
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

TEST(PictureToBitmap, BgrRowsOfEveryWidthKeepTheirPixels) {
  VELMORA_REQUIRE_TESTDATA();
  // 125 and 126 pixels make rows that are not DIB-aligned; 124 is.
  for (const char* name :
       {"bmp/g/pal8w124.bmp", "bmp/g/pal8w125.bmp", "bmp/g/pal8w126.bmp", "jpeg/testorig.jpg"}) {
    SCOPED_TRACE(name);
    Bytes bytes = ReadBytes(testing_data::Path(name));
    pic::DecodedPicture* p = pic::DecodePicture(bytes.data(), bytes.size());
    ASSERT_NE(p, nullptr);
    HBITMAP bitmap = pic::PictureToBitmap(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    int w = 0, h = 0;
    auto pixels = ReadBack(bitmap, &w, &h);
    ASSERT_EQ(w, p->width);
    ASSERT_EQ(h, p->height);
    bool same = true;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint8_t* bgr = p->pixels + (static_cast<size_t>(h - 1 - y) * w + x) * 3;
        same = same && pixels[static_cast<size_t>(y) * w + x] ==
                           (uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0]);
      }
    }
    EXPECT_TRUE(same);
    DeleteObject(bitmap);
    pic::ReleasePicture(p);
  }
}

TEST(PictureToBitmap, PackedAndMonochromeBlocksUseTheirPalettes) {
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name : {"pcx/test-bpp8.pcx", "gif/treescap.gif"}) {
    SCOPED_TRACE(name);
    Bytes bytes = ReadBytes(testing_data::Path(name));
    pic::DecodedPicture* p = pic::DecodePicture(bytes.data(), bytes.size());
    ASSERT_NE(p, nullptr);
    HBITMAP bitmap = pic::PictureToBitmap(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    int w = 0, h = 0;
    auto pixels = ReadBack(bitmap, &w, &h);
    int32_t dibWidth, dibHeight;
    std::memcpy(&dibWidth, p->pixels + 4, 4);
    std::memcpy(&dibHeight, p->pixels + 8, 4);
    ASSERT_EQ(w, dibWidth);
    ASSERT_EQ(h, -dibHeight);
    const size_t stride = (static_cast<size_t>(w) + 3) / 4 * 4;
    bool same = true;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint8_t* c = p->pixels + 40 + 4 * p->pixels[1064 + y * stride + x];
        same = same && pixels[static_cast<size_t>(y) * w + x] ==
                           (uint32_t{c[2]} << 16 | uint32_t{c[1]} << 8 | c[0]);
      }
    }
    EXPECT_TRUE(same);
    DeleteObject(bitmap);
    pic::ReleasePicture(p);
  }

  Bytes mono = ReadBytes(testing_data::Path("pcx/test-bpp1.pcx"));
  mono[1] = 3;  // the version that marks 1-bit files
  pic::DecodedPicture* p = pic::DecodePicture(mono.data(), mono.size());
  ASSERT_NE(p, nullptr);
  HBITMAP bitmap = pic::PictureToBitmap(mono.data(), mono.size());
  ASSERT_NE(bitmap, nullptr);
  int w = 0, h = 0;
  auto pixels = ReadBack(bitmap, &w, &h);
  ASSERT_EQ(w, 27);
  ASSERT_EQ(h, 27);
  bool same = true;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool set = (p->pixels[y * 4 + x / 8] >> (7 - x % 8)) & 1;
      same = same && pixels[static_cast<size_t>(y) * w + x] == (set ? 0xFFFFFFu : 0u);
    }
  }
  EXPECT_TRUE(same);
  DeleteObject(bitmap);
  pic::ReleasePicture(p);
}

TEST(PictureToBitmap, PicturesBeyondTheGdiLimitsGiveNothing) {
  // A valid 8-bit PCX one pixel taller than any device bitmap can be.
  Bytes pcx(128, 0);
  pcx[0] = 0x0A;
  pcx[1] = 5;
  pcx[2] = 1;
  pcx[3] = 8;
  pcx[10] = 0x00;
  pcx[11] = 0x80;  // Ymax 32768: 32769 rows
  pcx[65] = 1;
  pcx[66] = 1;
  // Runs of 63 bytes, enough to fill every row.
  for (int run = 0; run < 32769 / 63 + 1; ++run) pcx.insert(pcx.end(), {0xFF, 9});
  pic::DecodedPicture* p = pic::DecodePicture(pcx.data(), pcx.size());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->height, 32769);
  pic::ReleasePicture(p);
  EXPECT_EQ(pic::PictureToBitmap(pcx.data(), pcx.size()), nullptr);
}

TEST(PictureToBitmap, IconsAreDrawnOnWhite) {
  VELMORA_REQUIRE_TESTDATA();
  Bytes bytes = ReadBytes(testing_data::Path("ico/smile.ico"));
  HBITMAP bitmap = pic::PictureToBitmap(bytes.data(), bytes.size());
  ASSERT_NE(bitmap, nullptr);
  int w = 0, h = 0;
  auto pixels = ReadBack(bitmap, &w, &h);
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 32);
  // The face's corners are masked out, so the white background shows there; the face is
  // not white.
  EXPECT_EQ(pixels.front(), 0xFFFFFFu);
  EXPECT_EQ(pixels.back(), 0xFFFFFFu);
  EXPECT_NE(pixels[16 * 32 + 16], 0xFFFFFFu);
  DeleteObject(bitmap);

  Bytes cursor = ReadBytes(testing_data::Path("ico/24bipp-6x6.cur"));
  bitmap = pic::PictureToBitmap(cursor.data(), cursor.size());
  ASSERT_NE(bitmap, nullptr);
  ReadBack(bitmap, &w, &h);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 6);
  DeleteObject(bitmap);

  EXPECT_EQ(pic::PictureToBitmap(nullptr, 0), nullptr);
  Bytes broken = ReadBytes(testing_data::Path("jpeg/missing-sof.jpg"));
  EXPECT_EQ(pic::PictureToBitmap(broken.data(), broken.size()), nullptr);
}

}  // namespace

namespace {

// Other libraries reach the picture layer through the runtime's request 1003.
TEST(PictureToBitmap, IsTheRuntimesPictureRequestOnceRegistered) {
  VELMORA_REQUIRE_TESTDATA();
  Bytes bytes = ReadBytes(testing_data::Path("bmp/g/pal8w125.bmp"));
  auto request = [&](const void* data, size_t length) {
    return reinterpret_cast<HBITMAP>(
        rt::RuntimeNotify(1003, reinterpret_cast<intptr_t>(data), static_cast<intptr_t>(length)));
  };
  rt::SetPictureBitmapService(nullptr);
  EXPECT_EQ(request(bytes.data(), bytes.size()), nullptr);

  pic::RegisterPictureServices();
  HBITMAP bitmap = request(bytes.data(), bytes.size());
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  ASSERT_NE(GetObjectA(bitmap, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 125);
  EXPECT_EQ(info.bmBitsPixel, 32);
  DeleteObject(bitmap);

  const char notAPicture[] = "plain text, not a picture";
  EXPECT_EQ(request(notAPicture, sizeof notAPicture), nullptr);
  EXPECT_EQ(request(nullptr, 100), nullptr);
  EXPECT_EQ(request(bytes.data(), 0), nullptr);
}

}  // namespace
