// The GIF still decoder and frame walk, checked against giflib on the public files and on
// GIFs that giflib's encoder writes for us.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pictures/decoders/GifDecoder.h"
#include "pictures/decoders/GifFrames.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/TestData.h"
#include "tests/pictures/GifTestSupport.h"

namespace {

using namespace gif_testing;

struct Still {
  bool ok = false;
  pic::DecodedPicture record;
  ~Still() { rt::FreeMem(record.pixels); }
};

void DecodeStill(const std::vector<uint8_t>& bytes, Still* still) {
  still->ok = pic::DecodeGifStill(bytes.data(), bytes.size(), &still->record);
}

int32_t Dword(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The packed DIB's header, palette and pixels against giflib's first image.
void ExpectSameAsGiflib(const Still& still, const GifFileType* ref, const std::string& name) {
  ASSERT_TRUE(still.ok) << name;
  const pic::DecodedPicture& r = still.record;
  EXPECT_EQ(r.kind, pic::kPictureGif);
  EXPECT_EQ(r.width, ref->SWidth) << name;
  EXPECT_EQ(r.height, ref->SHeight) << name;
  const GifImageDesc& desc = ref->SavedImages[0].ImageDesc;
  const uint8_t* dib = r.pixels;
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(Dword(dib), 40);
  EXPECT_EQ(Dword(dib + 4), desc.Width) << name;
  EXPECT_EQ(Dword(dib + 8), -desc.Height) << name;
  EXPECT_EQ(dib[12] | dib[13] << 8, 1);
  EXPECT_EQ(dib[14] | dib[15] << 8, 8);
  EXPECT_EQ(Dword(dib + 32), 256);
  EXPECT_EQ(Dword(dib + 36), 256);
  const int stride = (desc.Width + 3) & ~3;
  ASSERT_EQ(r.size, 1064 + stride * desc.Height) << name;
  std::vector<uint32_t> palette(256);
  std::memcpy(palette.data(), dib + 40, 1024);
  EXPECT_EQ(palette, PaletteOf(ref, 0)) << name;
  const uint8_t* rows = dib + 1064;
  const uint8_t* expected = ref->SavedImages[0].RasterBits;
  int mismatches = 0;
  for (int y = 0; y < desc.Height; ++y) {
    for (int x = 0; x < stride; ++x) {
      const uint8_t want = x < desc.Width ? expected[static_cast<size_t>(y) * desc.Width + x] : 0;
      if (rows[static_cast<size_t>(y) * stride + x] != want) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0) << name;
}

std::vector<std::string> GifFiles() {
  std::vector<std::string> names;
  for (const char* dir : {"gif", "gif/pygif-test-suite"}) {
    for (const auto& entry : std::filesystem::directory_iterator(testing_data::Path(dir))) {
      if (entry.path().extension() == ".gif")
        names.push_back(std::string(dir) + "/" + entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(GifDecoder, InterlacedAndPlainTreesShowTheReferencePixels) {
  VELMORA_REQUIRE_TESTDATA();
  for (const auto& [file, rgbFile] : std::vector<std::pair<std::string, std::string>>{
           {"gif/treescap.gif", "gif/treescap.rgb"},
           {"gif/treescap-interlaced.gif", "gif/treescap.rgb"},
           {"gif/porsche.gif", "gif/porsche.rgb"}}) {
    Still still;
    DecodeStill(ReadFile(testing_data::Path(file)), &still);
    ASSERT_TRUE(still.ok) << file;
    const auto rgb = ReadFile(testing_data::Path(rgbFile));
    const int w = still.record.width, h = still.record.height;
    ASSERT_EQ(rgb.size(), static_cast<size_t>(w) * h * 3) << file;
    const uint8_t* dib = still.record.pixels;
    const int stride = (Dword(dib + 4) + 3) & ~3;
    int mismatches = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint8_t* bgr = dib + 40 + 4 * dib[1064 + y * stride + x];
        const uint8_t* want = rgb.data() + (static_cast<size_t>(y) * w + x) * 3;
        if (bgr[2] != want[0] || bgr[1] != want[1] || bgr[0] != want[2]) ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0) << file;
  }
}

TEST(GifDecoder, EveryPublicFileDecodesLikeGiflibOrFailsQuickly) {
  VELMORA_REQUIRE_TESTDATA();
  int compared = 0;
  for (const std::string& name : GifFiles()) {
    const auto bytes = ReadFile(testing_data::Path(name));
    MemoryReader reader;
    GifPtr ref = Slurp(bytes, &reader);
    Still still;
    const auto start = std::chrono::steady_clock::now();
    DecodeStill(bytes, &still);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 2.0) << name;
    if (ref && ref->ImageCount > 0 && ref->SavedImages[0].RasterBits != nullptr) {
      ExpectSameAsGiflib(still, ref.get(), name);
      ++compared;
    }
  }
  EXPECT_GE(compared, 60);
}

TEST(GifDecoder, BrokenFilesFailOrDecodeWithinBoundedWork) {
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name :
       {"gif/lzwof.gif", "gif/lzwoob.gif", "gif/issue-117-out-of-range.gif",
        "gif/issue-96-small-codesize.gif", "gif/issue-101-infinite-empty-loop.gif"}) {
    const auto bytes = ReadFile(testing_data::Path(name));
    ASSERT_FALSE(bytes.empty()) << name;
    Still still;
    const auto start = std::chrono::steady_clock::now();
    DecodeStill(bytes, &still);
    // Every prefix of the file too: each cut must end cleanly.
    for (size_t n = 0; n < bytes.size(); ++n) {
      std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
      Still partial;
      DecodeStill(cut, &partial);
      if (n < 14) {
        EXPECT_FALSE(partial.ok) << name << " cut at " << n;
      }
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0)
        << name;
    if (still.ok) {
      EXPECT_EQ(still.record.size, 1064 + ((Dword(still.record.pixels + 4) + 3) & ~3) *
                                              -Dword(still.record.pixels + 8));
    }
  }
}

// A tiny GIF assembled by hand: screen 4x1, global table of 2, then `body`.
std::vector<uint8_t> HandMade(const std::vector<uint8_t>& body, bool globalTable = true) {
  std::vector<uint8_t> gif = {
      'G', 'I', 'F', '8', '9', 'a', 4, 0, 1, 0, static_cast<uint8_t>(globalTable ? 0x80 : 0), 0, 0};
  if (globalTable) {
    const uint8_t table[6] = {0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0};
    gif.insert(gif.end(), table, table + 6);
  }
  gif.insert(gif.end(), body.begin(), body.end());
  return gif;
}

// Image descriptor 4x1 at (0,0), minimum code size 2, one sub-block of code bytes.
std::vector<uint8_t> Image(const std::vector<uint8_t>& codes, uint8_t flags = 0) {
  std::vector<uint8_t> b = {0x2C, 0, 0, 0,     0, 4,
                            0,    1, 0, flags, 2, static_cast<uint8_t>(codes.size())};
  b.insert(b.end(), codes.begin(), codes.end());
  b.push_back(0);
  return b;
}

// Codes (3 bits each): clear 4, 1, 0, 1, 0, end 5 packed LSB first.
const std::vector<uint8_t> kCodes1010 = {0x0C, 0x02, 0x05};

TEST(GifDecoder, WalkRulesOnHandMadeStreams) {
  Still good;
  auto bytes = HandMade(Image(kCodes1010));
  bytes.push_back(0x3B);
  DecodeStill(bytes, &good);
  ASSERT_TRUE(good.ok);
  EXPECT_EQ(std::vector<uint8_t>(good.record.pixels + 1064, good.record.pixels + 1068),
            (std::vector<uint8_t>{1, 0, 1, 0}));
  // Entries past the 2-colour table are zero; RGB became B,G,R,0.
  const uint8_t* pal = good.record.pixels + 40;
  EXPECT_EQ(std::vector<uint8_t>(pal, pal + 12),
            (std::vector<uint8_t>{0x30, 0x20, 0x10, 0, 0xC0, 0xB0, 0xA0, 0, 0, 0, 0, 0}));

  // Extensions before the image are skipped: comment, application, plain text, control, and
  // one with a label nobody defined, passed over by its sub-blocks like the rest.
  std::vector<uint8_t> withExtensions = {
      0x21, 0xFE, 3,    'a',  'b', 'c',  0,    0x21, 0x99, 2,   'x', 'y', 1,   'z', 0, 0x21,
      0xFF, 11,   'N',  'E',  'T', 'S',  'C',  'A',  'P',  'E', '2', '.', '0', 3,   1, 0,
      0,    0,    0x21, 0x01, 12,  0,    0,    0,    0,    0,   0,   0,   0,   0,   0, 0,
      0,    2,    'h',  'i',  0,   0x21, 0xF9, 4,    0x09, 10,  0,   1,   0};
  auto image = Image(kCodes1010);
  withExtensions.insert(withExtensions.end(), image.begin(), image.end());
  Still extended;
  DecodeStill(HandMade(withExtensions), &extended);
  ASSERT_TRUE(extended.ok);
  EXPECT_EQ(std::memcmp(extended.record.pixels, good.record.pixels, good.record.size), 0);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Case> failing = {
      {"no image, only a trailer", HandMade({0x3B})},
      {"no image, nothing after the header", HandMade({})},
      {"global table cut off",
       {'G', 'I', 'F', '8', '9', 'a', 4, 0, 1, 0, 0x80, 0, 0, 1, 2, 3, 4, 5}},
      {"unknown extension running past the end", HandMade({0x21, 0x99, 2, 'x', 'y', 5, 'z'})},
      {"stray byte", HandMade({0x42})},
      {"comment running past the end", HandMade({0x21, 0xFE, 9, 'a'})},
      {"local table cut off", HandMade({0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0x87, 1, 2, 3})},
      {"corrupt LZW: free code right after clear", HandMade(Image({0x74, 0x01}))},
      {"minimum code size 12", HandMade({0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0, 12, 1, 0, 0})},
      {"frame too large", HandMade({0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 1, 0x44, 0})},
      {"shorter than 14 bytes", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
      {"wrong signature", {'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}},
  };
  for (const Case& c : failing) {
    Still s;
    DecodeStill(c.bytes, &s);
    EXPECT_FALSE(s.ok) << c.what;
    EXPECT_EQ(s.record.pixels, nullptr) << c.what;
  }

  // Code data without an end code and without a trailer: the frame ends with the data, the
  // missing pixels stay 0.
  Still open;
  DecodeStill(HandMade({0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0, 2, 1, 0x0C}), &open);
  ASSERT_TRUE(open.ok);
  EXPECT_EQ(std::vector<uint8_t>(open.record.pixels + 1064, open.record.pixels + 1068),
            (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(GifDecoder, FramesCarryControlValuesAndWrapAfterTheTrailer) {
  using gif_testing::Frame;
  const std::vector<GifColorType> global = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {200, 100, 50}};
  Frame a;
  a.width = 5;
  a.height = 3;
  a.pixels = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2};
  a.disposal = 2;
  a.transparent = 3;
  a.delay = 7;
  Frame b = a;
  b.left = 2;
  b.top = 1;
  b.interlaced = true;
  b.disposal = -1;
  b.colours = {{9, 9, 9}, {8, 8, 8}};
  b.pixels = {1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 1, 1, 1};
  const auto bytes = EncodeGif(10, 6, global, {a, b});
  ASSERT_FALSE(bytes.empty());

  pic::GifStream stream;
  ASSERT_TRUE(stream.Open(bytes.data(), bytes.size()));
  EXPECT_EQ(stream.ScreenWidth(), 10);
  EXPECT_EQ(stream.ScreenHeight(), 6);
  pic::GifFrame f;
  bool wrapped = true;
  ASSERT_TRUE(stream.NextFrame(&f, &wrapped));
  EXPECT_FALSE(wrapped);
  EXPECT_EQ(f.disposal, 8);
  EXPECT_TRUE(f.transparent);
  EXPECT_EQ(f.transparentIndex, 3);
  EXPECT_EQ(f.transparentColor, 0x003264C8u);  // 0x00BBGGRR of (200, 100, 50)
  EXPECT_EQ(f.delay, 7);
  EXPECT_EQ(f.stride, 8);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(std::vector<uint8_t>(f.Pixels() + y * 8, f.Pixels() + y * 8 + 8),
              std::vector<uint8_t>({a.pixels[y * 5], a.pixels[y * 5 + 1], a.pixels[y * 5 + 2],
                                    a.pixels[y * 5 + 3], a.pixels[y * 5 + 4], 0, 0, 0}));
  }
  ASSERT_TRUE(stream.NextFrame(&f, &wrapped));
  EXPECT_FALSE(wrapped);
  // The control extension belonged to the first image only.
  EXPECT_EQ(f.disposal, 0);
  EXPECT_FALSE(f.transparent);
  EXPECT_EQ(f.left, 2);
  EXPECT_EQ(f.top, 1);
  EXPECT_TRUE(f.interlaced);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(std::vector<uint8_t>(f.Pixels() + y * 8, f.Pixels() + y * 8 + 5),
              std::vector<uint8_t>(b.pixels.begin() + y * 5, b.pixels.begin() + y * 5 + 5));
  }
  uint32_t entry1;
  std::memcpy(&entry1, f.Palette() + 4, 4);
  EXPECT_EQ(entry1, 0x00080808u);
  // After the trailer the walk comes back to the first frame.
  ASSERT_TRUE(stream.NextFrame(&f, &wrapped));
  EXPECT_TRUE(wrapped);
  EXPECT_EQ(f.width, 5);
  EXPECT_EQ(f.disposal, 8);
  // Asked not to wrap, the walk stops at the trailer.
  ASSERT_TRUE(stream.NextFrame(&f, &wrapped));
  EXPECT_FALSE(stream.NextFrame(&f, &wrapped, false));
  EXPECT_TRUE(wrapped);
}

TEST(GifDecoder, InterlacedImagesOfEveryShortHeightMatchTheirPlainTwins) {
  std::vector<GifColorType> palette(16);
  for (int i = 0; i < 16; ++i) palette[i] = GifColorType{static_cast<GifByteType>(i * 16), 0, 0};
  for (int height = 1; height <= 17; ++height) {
    Frame f;
    f.width = 3;
    f.height = height;
    for (int i = 0; i < 3 * height; ++i) f.pixels.push_back(static_cast<uint8_t>((i * 7) % 16));
    Frame g = f;
    g.interlaced = true;
    Still plain, interlaced;
    DecodeStill(EncodeGif(3, height, palette, {f}), &plain);
    DecodeStill(EncodeGif(3, height, palette, {g}), &interlaced);
    ASSERT_TRUE(plain.ok && interlaced.ok) << height;
    ASSERT_EQ(plain.record.size, interlaced.record.size);
    EXPECT_EQ(std::memcmp(plain.record.pixels, interlaced.record.pixels, plain.record.size), 0)
        << height;
    for (int y = 0; y < height; ++y) {
      EXPECT_EQ(std::memcmp(plain.record.pixels + 1064 + y * 4, f.pixels.data() + y * 3, 3), 0);
    }
  }
}

TEST(GifDecoder, ACutStreamKeepsItsDecodedPixelsAndZeroesTheRest) {
  std::vector<GifColorType> palette(16, GifColorType{1, 2, 3});
  Frame f;
  f.width = 64;
  f.height = 64;
  uint32_t seed = 99;
  for (int i = 0; i < 64 * 64; ++i) {
    seed = seed * 1103515245u + 12345u;
    // Runs of one colour (long strings) broken by noise.
    f.pixels.push_back(
        static_cast<uint8_t>((seed >> 29) == 0 ? 1 + (seed >> 12) % 15 : 1 + (i / 7) % 3));
  }
  const auto whole = EncodeGif(64, 64, palette, {f});
  ASSERT_GT(whole.size(), 800u);
  for (size_t cut : {whole.size() / 2, whole.size() - 280, whole.size() - 2}) {
    const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
    Still still;
    DecodeStill(bytes, &still);
    ASSERT_TRUE(still.ok) << cut;
    const uint8_t* px = still.record.pixels + 1064;
    size_t k = 0;
    while (k < f.pixels.size() && px[k] == f.pixels[k]) ++k;
    EXPECT_GT(k, 0u) << cut;
    for (size_t i = k; i < f.pixels.size(); ++i) {
      ASSERT_EQ(px[i], 0) << "cut " << cut << " pixel " << i;
    }
  }
}

}  // namespace
