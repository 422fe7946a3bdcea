#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/JpegDecoder.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/TestData.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

Decoded Ours(const std::vector<uint8_t>& bytes, size_t limit = pic::kMaxPixelBlockBytes) {
  Decoded d;
  pic::DecodedPicture record;
  d.ok = pic::DecodeJpeg(bytes.data(), bytes.size(), &record, limit);
  if (d.ok) {
    EXPECT_EQ(record.kind, pic::kPictureJpeg);
    EXPECT_EQ(record.size, record.width * record.height * 3);
    d.width = record.width;
    d.height = record.height;
    d.pixels.assign(record.pixels, record.pixels + record.size);
    rt::FreeMem(record.pixels);
  }
  return d;
}

// TurboJPEG's own decode in the record's layout; a warning (a truncated stream) still
// counts as a picture, as it does for libjpeg.
Decoded Reference(const std::vector<uint8_t>& bytes, int pixelFormat = TJPF_BGR) {
  Decoded d;
  tjhandle tj = tjInitDecompress();
  int subsamp = 0, colorspace = 0;
  if (tjDecompressHeader3(tj, bytes.data(), static_cast<unsigned long>(bytes.size()), &d.width,
                          &d.height, &subsamp, &colorspace) == 0 &&
      d.width > 0 && d.height > 0) {
    d.pixels.assign(static_cast<size_t>(d.width) * d.height * tjPixelSize[pixelFormat], 0);
    int rc = tjDecompress2(tj, bytes.data(), static_cast<unsigned long>(bytes.size()),
                           d.pixels.data(), d.width, 0, d.height, pixelFormat, TJFLAG_BOTTOMUP);
    d.ok = rc == 0 || tjGetErrorCode(tj) == TJERR_WARNING;
  }
  tjDestroy(tj);
  if (!d.ok) d.pixels.clear();
  return d;
}

std::vector<uint8_t> Compress(int width, int height, int pixelFormat, int subsamp, int quality) {
  std::vector<uint8_t> source(static_cast<size_t>(width) * height * tjPixelSize[pixelFormat]);
  for (size_t i = 0; i < source.size(); ++i)
    source[i] = static_cast<uint8_t>((i * 7) ^ (i / 97) ^ (i >> 11));
  tjhandle tj = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  int rc = tjCompress2(tj, source.data(), width, 0, height, pixelFormat, &jpeg, &size, subsamp,
                       quality, 0);
  std::vector<uint8_t> out;
  if (rc == 0) out.assign(jpeg, jpeg + size);
  tjFree(jpeg);
  tjDestroy(tj);
  return out;
}

TEST(JpegDecoder, ConformanceFilesMatchTurboJpegByteForByte) {
  VELMORA_REQUIRE_TESTDATA();
  const char* names[] = {"testorig.jpg", "test.jpg", "hopper_gray.jpg", "testimgari.jpg",
                         "truncated_jpeg.jpg"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    auto bytes = ReadBytes(testing_data::Path(std::string("jpeg/") + name));
    ASSERT_FALSE(bytes.empty());
    Decoded ref = Reference(bytes);
    Decoded ours = Ours(bytes);
    ASSERT_EQ(ours.ok, ref.ok);
    EXPECT_EQ(ours.width, ref.width);
    EXPECT_EQ(ours.height, ref.height);
    EXPECT_TRUE(ours.pixels == ref.pixels);
  }
  // The baseline and progressive files certainly decode.
  EXPECT_TRUE(Ours(ReadBytes(testing_data::Path("jpeg/testorig.jpg"))).ok);
  EXPECT_TRUE(Ours(ReadBytes(testing_data::Path("jpeg/test.jpg"))).ok);
}

TEST(JpegDecoder, GreyscaleIsExpandedToThreeEqualSamples) {
  VELMORA_REQUIRE_TESTDATA();
  Decoded d = Ours(ReadBytes(testing_data::Path("jpeg/hopper_gray.jpg")));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, 128);
  EXPECT_EQ(d.height, 128);
  Decoded grey = Reference(ReadBytes(testing_data::Path("jpeg/hopper_gray.jpg")), TJPF_GRAY);
  ASSERT_TRUE(grey.ok);
  bool allExpanded = true;
  for (size_t i = 0; i < grey.pixels.size(); ++i) {
    const uint8_t* p = d.pixels.data() + i * 3;
    allExpanded =
        allExpanded && p[0] == grey.pixels[i] && p[1] == grey.pixels[i] && p[2] == grey.pixels[i];
  }
  EXPECT_TRUE(allExpanded);
}

TEST(JpegDecoder, GeneratedPicturesOfAwkwardSizesMatchTurboJpeg) {
  struct Case {
    int width, height, format, subsamp;
  } cases[] = {{1, 1, TJPF_RGB, TJSAMP_444},   {33, 17, TJPF_RGB, TJSAMP_420},
               {17, 33, TJPF_BGR, TJSAMP_422}, {65, 9, TJPF_GRAY, TJSAMP_GRAY},
               {250, 3, TJPF_RGB, TJSAMP_440}, {7, 300, TJPF_RGB, TJSAMP_411}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " subsamp " << c.subsamp);
    auto jpeg = Compress(c.width, c.height, c.format, c.subsamp, 85);
    ASSERT_FALSE(jpeg.empty());
    Decoded ref = Reference(jpeg);
    Decoded ours = Ours(jpeg);
    ASSERT_TRUE(ref.ok && ours.ok);
    EXPECT_EQ(ours.width, c.width);
    EXPECT_EQ(ours.height, c.height);
    EXPECT_TRUE(ours.pixels == ref.pixels);
  }
}

// Adobe CMYK (and YCCK, which libjpeg turns into the same inverted CMYK) becomes B,G,R.
TEST(JpegDecoder, CmykAndYcckConvertDeterministically) {
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name : {"jpg-cmyk-1.jpg", "pil_sample_cmyk.jpg"}) {
    SCOPED_TRACE(name);
    auto bytes = ReadBytes(testing_data::Path(std::string("jpeg/") + name));
    Decoded first = Ours(bytes);
    Decoded second = Ours(bytes);
    ASSERT_TRUE(first.ok);
    EXPECT_TRUE(first.pixels == second.pixels);
    Decoded inks = Reference(bytes, TJPF_CMYK);
    ASSERT_TRUE(inks.ok);
    ASSERT_EQ(inks.pixels.size(), first.pixels.size() / 3 * 4);
    size_t mismatches = 0;
    for (size_t i = 0; i < inks.pixels.size() / 4; ++i) {
      const uint8_t* k = inks.pixels.data() + i * 4;
      const uint8_t* p = first.pixels.data() + i * 3;
      auto mix = [&](unsigned ink) { return static_cast<uint8_t>((ink * k[3] + 127) / 255); };
      if (p[0] != mix(k[2]) || p[1] != mix(k[1]) || p[2] != mix(k[0])) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0u);
  }
}

TEST(JpegDecoder, BrokenStreamsFailCleanly) {
  VELMORA_REQUIRE_TESTDATA();
  for (const char* name :
       {"monkey12.jpg", "missing-sof.jpg", "max_size.jpg", "invalid-dimensions.jpg"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Ours(ReadBytes(testing_data::Path(std::string("jpeg/") + name))).ok);
  }
  const uint8_t soiOnly[] = {0xFF, 0xD8};
  pic::DecodedPicture record;
  EXPECT_FALSE(pic::DecodeJpeg(soiOnly, sizeof soiOnly, &record));
  EXPECT_FALSE(pic::DecodeJpeg(nullptr, 0, &record));
  EXPECT_EQ(record.pixels, nullptr);
}

TEST(JpegDecoder, EveryTruncationFailsOrMatchesTurboJpeg) {
  auto jpeg = Compress(40, 30, TJPF_RGB, TJSAMP_420, 90);
  ASSERT_FALSE(jpeg.empty());
  int decodedPrefixes = 0;
  for (size_t cut = 2; cut < jpeg.size(); cut += 7) {
    std::vector<uint8_t> prefix(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(cut));
    Decoded ours = Ours(prefix);
    Decoded ref = Reference(prefix);
    EXPECT_EQ(ours.ok, ref.ok) << cut;
    if (ours.ok && ref.ok) {
      ++decodedPrefixes;
      EXPECT_TRUE(ours.pixels == ref.pixels) << cut;
    }
  }
  // Once the headers are in, a cut stream still shows what arrived.
  EXPECT_GT(decodedPrefixes, 0);
}

TEST(JpegDecoder, SizeLimitIsCheckedBeforeDecoding) {
  auto jpeg = Compress(20, 10, TJPF_RGB, TJSAMP_444, 90);
  EXPECT_TRUE(Ours(jpeg, 600).ok);
  EXPECT_FALSE(Ours(jpeg, 599).ok);
}

}  // namespace
