// PNG frames for the animation box against a plain libpng read of each PngSuite file.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pictures/decoders/PngFrames.h"
#include "tests/common/TestData.h"
#include "tests/pictures/GifTestSupport.h"

namespace {

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// The reference read converts to sRGB whenever a file states another gamma, while the frames
// keep the stored samples. Dropping the colour-space chunks makes both see the samples as they
// are. Also reports the bKGD colour (reduced to 8 bits) when there is one.
std::vector<uint8_t> WithoutColourSpace(const std::vector<uint8_t>& png, bool* hasBackground,
                                        uint8_t background[3]) {
  *hasBackground = false;
  if (png.size() < 8) return png;
  std::vector<uint8_t> out(png.begin(), png.begin() + 8);
  size_t p = 8;
  int bitDepth = 8, colourType = 0;
  std::vector<uint8_t> palette;
  while (p + 12 <= png.size()) {
    const uint32_t n = Be32(&png[p]);
    if (n > png.size() - p - 12) break;
    const std::string type(reinterpret_cast<const char*>(&png[p + 4]), 4);
    const uint8_t* body = &png[p + 8];
    if (type == "IHDR" && n >= 10) {
      bitDepth = body[8];
      colourType = body[9];
    } else if (type == "PLTE") {
      palette.assign(body, body + n);
    } else if (type == "bKGD") {
      *hasBackground = true;
      if (colourType == 3 && n >= 1 && body[0] * 3u + 2 < palette.size()) {
        std::memcpy(background, &palette[body[0] * 3u], 3);
      } else if ((colourType == 0 || colourType == 4) && n >= 2) {
        const int v =
            bitDepth == 16 ? body[0] : (body[0] << 8 | body[1]) * 255 / ((1 << bitDepth) - 1);
        background[0] = background[1] = background[2] = static_cast<uint8_t>(v);
      } else if (n >= 6) {
        for (int c = 0; c < 3; ++c) background[c] = bitDepth == 16 ? body[c * 2] : body[c * 2 + 1];
      }
    }
    if (type == "IHDR" && bitDepth == 16) {
      // Without a stated gamma the reference takes 16-bit samples as linear; a gamma equal to
      // its own output encoding makes it just scale them down.
      out.insert(out.end(), png.begin() + static_cast<long>(p),
                 png.begin() + static_cast<long>(p + 12 + n));
      uint8_t gama[16] = {0, 0, 0, 4, 'g', 'A', 'M', 'A', 0, 0, 0xB1, 0x8F};  // 45455
      const uint32_t crc = Crc32(gama + 4, 8);
      for (int i = 0; i < 4; ++i) gama[12 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
      out.insert(out.end(), gama, gama + 16);
    } else if (type != "gAMA" && type != "sRGB" && type != "iCCP" && type != "cHRM") {
      out.insert(out.end(), png.begin() + static_cast<long>(p),
                 png.begin() + static_cast<long>(p + 12 + n));
    }
    p += 12 + n;
  }
  out.insert(out.end(), png.begin() + static_cast<long>(std::min(p, png.size())), png.end());
  return out;
}

struct Reference {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<uint8_t> bgra;
  int colourType = 0;
  int bitDepth = 0;
};

Reference ReadWithSimplifiedApi(const std::vector<uint8_t>& bytes) {
  Reference ref;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return ref;
  image.format = PNG_FORMAT_BGRA;
  ref.bgra.resize(PNG_IMAGE_SIZE(image));
  ref.ok = png_image_finish_read(&image, nullptr, ref.bgra.data(), 0, nullptr) != 0;
  ref.width = static_cast<int>(image.width);
  ref.height = static_cast<int>(image.height);
  png_image_free(&image);
  return ref;
}

TEST(PngFrames, EveryPngSuiteFileDecodesOrFailsLikeLibpng) {
  VELMORA_REQUIRE_TESTDATA();
  int decoded = 0, failed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(testing_data::Path("png"))) {
    if (entry.path().extension() != ".png") continue;
    const std::string name = entry.path().filename().string();
    const auto bytes = gif_testing::ReadFile(entry.path().string());
    bool hasBackground = false;
    uint8_t background[3] = {0, 0, 0};
    // The reference read goes wrong on interlaced 16-bit files; their non-interlaced twins
    // hold the same picture.
    std::string refName = name;
    if (name.rfind("basi", 0) == 0 && bytes.size() > 24 && bytes[24] == 16) refName[3] = 'n';
    if (name == "bgai4a16.png") refName = "basn4a16.png";
    const auto plain = WithoutColourSpace(
        refName == name ? bytes : gif_testing::ReadFile(testing_data::Path("png/" + refName)),
        &hasBackground, background);
    const Reference ref = ReadWithSimplifiedApi(plain);

    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    const bool ok = pic::DecodePngFrame(bytes.data(), bytes.size(), &w, &h, &pixels);
    EXPECT_EQ(ok, ref.ok) << name;
    if (name[0] == 'x') {
      EXPECT_FALSE(ok) << name;
    }
    if (!ok || !ref.ok) {
      ++failed;
      continue;
    }
    ++decoded;
    ASSERT_EQ(w, ref.width) << name;
    ASSERT_EQ(h, ref.height) << name;
    ASSERT_EQ(pixels.size(), static_cast<size_t>(w) * h);
    const uint8_t colourType = bytes[25];
    const bool sixteen = bytes[24] == 16;
    const bool keepsAlpha = (colourType == 4 || colourType == 6) && !hasBackground;
    // Stripping 16-bit samples takes the high byte where the reference rounds; a composite
    // differs by rounding too.
    const int tolerance = hasBackground ? 2 : (sixteen ? 1 : 0);
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
      const uint8_t* r = &ref.bgra[i * 4];
      uint8_t want[4] = {r[0], r[1], r[2], static_cast<uint8_t>(255 - r[3])};
      if (hasBackground) {
        for (int c = 0; c < 3; ++c) {
          want[c] =
              static_cast<uint8_t>((r[c] * r[3] + background[2 - c] * (255 - r[3]) + 127) / 255);
        }
      }
      const uint32_t got = pixels[i];
      for (int c = 0; c < (keepsAlpha ? 4 : 3); ++c) {
        worst = std::max(worst, std::abs(static_cast<int>((got >> (8 * c)) & 0xFF) - want[c]));
      }
    }
    EXPECT_LE(worst, tolerance) << name;
  }
  EXPECT_GT(decoded, 140);
  EXPECT_GE(failed, 14);
}

// A greyscale PNG written by libpng: `samples` at `depth` bits, a background chunk and,
// when `transparent` >= 0, that sample marked transparent.
std::vector<uint8_t> GreyPng(int depth, const std::vector<int>& samples, int background,
                             int transparent) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  const auto width = static_cast<png_uint_32>(samples.size());
  png_set_IHDR(png, info, width, 1, depth, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color_16 bkgd{};
  bkgd.gray = static_cast<png_uint_16>(background);
  png_set_bKGD(png, info, &bkgd);
  if (transparent >= 0) {
    png_color_16 key{};
    key.gray = static_cast<png_uint_16>(transparent);
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  std::vector<uint8_t> row((samples.size() * depth + 7) / 8, 0);
  for (size_t x = 0; x < samples.size(); ++x) {
    const size_t bit = x * depth;
    row[bit / 8] |= static_cast<uint8_t>(samples[x] << (8 - depth - bit % 8));
  }
  png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Every greyscale depth with a background chunk shows its samples at their levels, and a
// transparent sample in the background's colour, as libpng's own reading composited by hand.
TEST(PngFrames, GreyscaleWithABackgroundKeepsItsLevelsAtEveryDepth) {
  for (int depth : {1, 2, 4, 8}) {
    const int top = (1 << depth) - 1;
    std::vector<int> samples;
    for (int i = 0; i < 4; ++i) samples.push_back(top * i / 3);
    const int background = top * 2 / 3, transparent = samples[1];
    for (bool withKey : {false, true}) {
      const auto png = GreyPng(depth, samples, background, withKey ? transparent : -1);
      SCOPED_TRACE("depth " + std::to_string(depth) +
                   (withKey ? " with a transparent sample" : ""));
      const Reference ref = ReadWithSimplifiedApi(png);
      ASSERT_TRUE(ref.ok);
      int w = 0, h = 0;
      std::vector<uint32_t> pixels;
      ASSERT_TRUE(pic::DecodePngFrame(png.data(), png.size(), &w, &h, &pixels));
      ASSERT_EQ(pixels.size(), samples.size());
      const int backgroundLevel = background * 255 / top;
      for (size_t x = 0; x < samples.size(); ++x) {
        const uint8_t* r = &ref.bgra[x * 4];
        const int want = (r[0] * r[3] + backgroundLevel * (255 - r[3]) + 127) / 255;
        for (int c = 0; c < 3; ++c)
          EXPECT_EQ(static_cast<int>((pixels[x] >> (8 * c)) & 0xFF), want) << x;
      }
    }
  }
}

TEST(PngFrames, NonPngAndDamagedDataFailCleanly) {
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
  const uint8_t notPng[8] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_FALSE(pic::DecodePngFrame(notPng, sizeof notPng, &w, &h, &pixels));
  EXPECT_FALSE(pic::DecodePngFrame(nullptr, 0, &w, &h, &pixels));
  VELMORA_REQUIRE_TESTDATA();
  const auto bytes = gif_testing::ReadFile(testing_data::Path("png/basn6a08.png"));
  ASSERT_TRUE(pic::DecodePngFrame(bytes.data(), bytes.size(), &w, &h, &pixels));
  // Every cut of a good file fails (the data always ends too soon for IEND or the rows).
  for (size_t n = 0; n + 12 < bytes.size(); n += 7) {
    EXPECT_FALSE(pic::DecodePngFrame(bytes.data(), n, &w, &h, &pixels)) << n;
  }
}

}  // namespace
