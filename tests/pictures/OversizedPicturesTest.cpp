// Small files whose headers claim huge pictures: refused from what their data could possibly
// fill, before anything picture-sized is allocated -- while the densest data real encoders
// write still decodes. Memory is measured in a child process (the growth of its peak resident
// size), so a fault shows as gigabytes there, not as a killed test run.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "pictures/AnimationFrames.h"
#include "pictures/DecodedPicture.h"
#include "pictures/decoders/GifFrames.h"
#include "pictures/decoders/PngFrames.h"

namespace {

using Bytes = std::vector<uint8_t>;

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == field && status >> value) return value;
  }
  return 0;
}

struct Outcome {
  bool exited = false;  // the child ended normally (was not killed)
  bool decoded = false;
  long growthMb = 0;  // its peak resident size beyond what it had when `run` started
};

// Runs `run` in a child process whose peak resident size is reset first (clear_refs 5).
Outcome InChild(const std::function<bool()>& run) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const long start = StatusKb("VmRSS:");
    const bool decoded = run();
    const long growth = (StatusKb("VmHWM:") - start) / 1024;
    const long report[2] = {decoded ? 1 : 0, growth};
    const bool written =
        write(channel[1], report, sizeof report) == static_cast<ssize_t>(sizeof report);
    _exit(written ? 0 : 1);
  }
  close(channel[1]);
  Outcome o;
  long report[2] = {0, 0};
  const bool got =
      pid > 0 && read(channel[0], report, sizeof report) == static_cast<ssize_t>(sizeof report);
  close(channel[0]);
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  o.exited = got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  o.decoded = report[0] == 1;
  o.growthMb = report[1];
  return o;
}

bool Still(const Bytes& b) {
  pic::DecodedPicture* p = pic::DecodePicture(b.data(), b.size());
  pic::ReleasePicture(p);
  return p != nullptr;
}

bool Bitmap(const Bytes& b) {
  HBITMAP bitmap = pic::PictureToBitmap(b.data(), b.size());
  if (bitmap != nullptr) DeleteObject(bitmap);
  return bitmap != nullptr;
}

bool Animation(const Bytes& b) {
  pic::AnimationFrames frames;
  return pic::LoadAnimationFrames(b.data(), b.size(), false, 0, &frames);
}

void PutWord(Bytes* b, size_t at, unsigned v) {
  (*b)[at] = static_cast<uint8_t>(v);
  (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}

// An 8-bit PCX of width x height whose lines are `width` bytes, followed by `data`.
Bytes Pcx(unsigned width, unsigned height, const Bytes& data) {
  Bytes b(128 + data.size(), 0);
  std::copy(data.begin(), data.end(), b.begin() + 128);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = 1;
  b[3] = 8;
  PutWord(&b, 8, width - 1);
  PutWord(&b, 10, height - 1);
  b[65] = 1;
  PutWord(&b, 66, width);
  return b;
}

// Runs of 63 copies of `value`, the most a run can give, `count` of them.
Bytes FullRuns(size_t count, uint8_t value) {
  Bytes b;
  for (size_t i = 0; i < count; ++i) b.insert(b.end(), {0xFF, value});
  return b;
}

// A flat grey picture through turbojpeg, optionally with its frame header made to claim
// another size.
Bytes Jpeg(int width, int height, bool progressive, int claimWidth = 0, int claimHeight = 0) {
  Bytes source(static_cast<size_t>(width) * height * 3, 128);
  tjhandle tj = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(tj, source.data(), width, 0, height, TJPF_RGB, &jpeg, &size,
                             TJSAMP_420, 75, progressive ? TJFLAG_PROGRESSIVE : 0);
  Bytes out;
  if (rc == 0) out.assign(jpeg, jpeg + size);
  tjFree(jpeg);
  tjDestroy(tj);
  for (size_t i = 2; claimWidth > 0 && i + 9 < out.size();) {
    const uint8_t marker = out[i + 1];
    if (marker == 0xC0 || marker == 0xC2) {
      out[i + 5] = static_cast<uint8_t>(claimHeight >> 8);
      out[i + 6] = static_cast<uint8_t>(claimHeight);
      out[i + 7] = static_cast<uint8_t>(claimWidth >> 8);
      out[i + 8] = static_cast<uint8_t>(claimWidth);
      break;
    }
    i += 2 + (out[i + 2] << 8 | out[i + 3]);
  }
  return out;
}

// LZW codes (minimum code size 2) as densely as the format allows: after a literal 1, every
// code is the next free one, each string one longer than the last, until the table is full;
// then the longest string (4091 pixels) again and again. Enough codes for `pixels` pixels.
Bytes DensestCodes(size_t pixels) {
  Bytes out;
  uint64_t acc = 0;
  int bits = 0, width = 3;
  auto put = [&](unsigned code) {
    acc |= uint64_t{code} << bits;
    for (bits += width; bits >= 8; bits -= 8, acc >>= 8) out.push_back(static_cast<uint8_t>(acc));
  };
  put(4);  // clear
  put(1);
  size_t made = 1;
  unsigned next = 6;
  while (made < pixels) {
    const unsigned code = next < 4096 ? next : 4095;
    put(code);
    made += code - 4;
    if (next < 4096 && ++next >= (1u << width) && width < 12) ++width;
  }
  put(5);  // end
  if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
  return out;
}

// A GIF with a 2-colour global table and one frame of the given size holding `codes`.
Bytes Gif(unsigned screenWidth, unsigned screenHeight, unsigned width, unsigned height,
          const Bytes& codes) {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  b.reserve(b.size() + 13 + codes.size() + codes.size() / 255 + 1);
  PutWord(&b, 6, screenWidth);
  PutWord(&b, 8, screenHeight);
  b.insert(b.end(), {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2});
  PutWord(&b, b.size() - 6, width);
  PutWord(&b, b.size() - 4, height);
  for (size_t at = 0; at < codes.size(); at += 255) {
    const size_t n = std::min<size_t>(255, codes.size() - at);
    b.push_back(static_cast<uint8_t>(n));
    b.insert(b.end(), codes.begin() + static_cast<long>(at),
             codes.begin() + static_cast<long>(at + n));
  }
  b.push_back(0);
  b.push_back(0x3B);
  return b;
}

void Chunk(Bytes* png, const char* type, const Bytes& body) {
  const auto n = static_cast<uint32_t>(body.size());
  png->insert(png->end(), {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                           static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  png->insert(png->end(), typed.begin(), typed.end());
  const uLong crc = crc32(0, typed.data(), static_cast<uInt>(typed.size()));
  png->insert(png->end(), {static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16),
                           static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)});
}

// An 8-bit PNG (colour type 0 or 6) of width x height whose rows are `raw` (filter bytes
// included), deflated by zlib at its best compression.
Bytes Png(uint32_t width, uint32_t height, int colourType, const Bytes& raw) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes header = {static_cast<uint8_t>(width >> 24),
                  static_cast<uint8_t>(width >> 16),
                  static_cast<uint8_t>(width >> 8),
                  static_cast<uint8_t>(width),
                  static_cast<uint8_t>(height >> 24),
                  static_cast<uint8_t>(height >> 16),
                  static_cast<uint8_t>(height >> 8),
                  static_cast<uint8_t>(height),
                  8,
                  static_cast<uint8_t>(colourType),
                  0,
                  0,
                  0};
  Chunk(&png, "IHDR", header);
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes deflated(size);
  compress2(deflated.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
  deflated.resize(size);
  Chunk(&png, "IDAT", deflated);
  Chunk(&png, "IEND", {});
  return png;
}

TEST(OversizedPictures, TinyFilesClaimingHugePicturesAreRefusedWithoutAllocating) {
  struct Case {
    std::string what;
    Bytes bytes;
    std::vector<std::pair<const char*, bool (*)(const Bytes&)>> paths;
  };
  const std::vector<std::pair<const char*, bool (*)(const Bytes&)>> all = {
      {"DecodePicture", Still}, {"PictureToBitmap", Bitmap}, {"LoadAnimationFrames", Animation}};
  std::vector<Case> cases = {
      {"PCX claiming 16384 x 16384", Pcx(16384, 16384, {0xFF, 0}), all},
      {"baseline JPEG claiming 16000 x 16000", Jpeg(16, 16, false, 16000, 16000), all},
      {"progressive JPEG claiming 16000 x 16000", Jpeg(16, 16, true, 16000, 16000), all},
      {"GIF with one 16384 x 8192 frame", Gif(16, 16, 16384, 8192, DensestCodes(100)), all},
      {"PNG claiming 8192 x 8191 RGBA",
       Png(8192, 8191, 6, Bytes(100, 0)),
       {{"LoadAnimationFrames", Animation}}},
  };
  EXPECT_EQ(cases[0].bytes.size(), 130u);
  for (const Case& c : cases) {
    ASSERT_FALSE(c.bytes.empty()) << c.what;
    EXPECT_LT(c.bytes.size(), 1000u) << c.what;
    for (const auto& [path, run] : c.paths) {
      const Outcome o = InChild([&] { return run(c.bytes); });
      EXPECT_TRUE(o.exited) << c.what << " through " << path;
      EXPECT_FALSE(o.decoded) << c.what << " through " << path;
      EXPECT_LT(o.growthMb, 48) << c.what << " through " << path;
    }
  }
}

// The bounds are what the formats allow at best, so the densest data an encoder can write
// must still decode -- and just past what its data can fill, the same data is refused.
TEST(OversizedPictures, TheDensestRealEncodingsStillDecode) {
  // PCX: nothing but 63-byte runs fills exactly 63 bytes per two; a row more cannot be filled.
  const Bytes runs = FullRuns(600, 7);
  const Bytes pcx = Pcx(63, 600, runs);
  pic::DecodedPicture* p = pic::DecodePicture(pcx.data(), pcx.size());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->pixels[1064 + 64 * 599 + 62], 7);  // the last pixel came from the data
  pic::ReleasePicture(p);
  const Bytes tooTall = Pcx(63, 601, runs);
  EXPECT_EQ(pic::DecodePicture(tooTall.data(), tooTall.size()), nullptr);

  // GIF: the densest possible code stream fills its frame (every pixel 1, not the 0 that
  // missing pixels get); a frame beyond what those codes could ever give is refused.
  const Bytes codes = DensestCodes(2048u * 4096u);
  const Bytes gif = Gif(2048, 4096, 2048, 4096, codes);
  p = pic::DecodePicture(gif.data(), gif.size());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->pixels[1064], 1);
  EXPECT_EQ(p->pixels[p->size - 1], 1);
  pic::ReleasePicture(p);
  const auto limit = static_cast<unsigned>(codes.size() * pic::kMaxGifPixelsPerCodeByte / 4096 + 1);
  const Bytes beyond = Gif(16, 16, 4096, limit, codes);
  EXPECT_EQ(pic::DecodePicture(beyond.data(), beyond.size()), nullptr);

  // JPEG: flat pictures from turbojpeg, a handful of bits per block.
  for (bool progressive : {false, true}) {
    const Bytes jpeg = Jpeg(1024, 1024, progressive);
    p = pic::DecodePicture(jpeg.data(), jpeg.size());
    ASSERT_NE(p, nullptr) << progressive << " " << jpeg.size();
    EXPECT_EQ(p->width, 1024);
    EXPECT_NEAR(p->pixels[p->size / 2], 128, 1);
    pic::ReleasePicture(p);
  }

  // PNG: zlib's best on rows of zeros comes close to deflate's 1032:1.
  Bytes zeros(2049u * 2048u, 0);
  const Bytes png = Png(2048, 2048, 0, zeros);
  EXPECT_GT(zeros.size() / png.size(), 900u);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
  EXPECT_TRUE(pic::DecodePngFrame(png.data(), png.size(), &w, &h, &pixels));
  EXPECT_EQ(w, 2048);
}

// The animation box's own limit (256 MiB of 32-bit frames) is applied from the headers: a
// picture its data can fill but the box cannot hold is never decoded.
TEST(OversizedPictures, TheAnimationBoxMeasuresBeforeDecoding) {
  // 8192 x 8193 full runs: a real picture, one row over the box's 64 Mi pixels.
  const Bytes pcx = Pcx(8192, 8193, FullRuns(8192u * 8193u / 63 + 1, 3));
  const Outcome still = InChild([&] { return Still(pcx); });
  EXPECT_TRUE(still.decoded);
  EXPECT_GE(still.growthMb, 64);
  const Outcome frames = InChild([&] { return Animation(pcx); });
  EXPECT_TRUE(frames.exited);
  EXPECT_FALSE(frames.decoded);
  EXPECT_LT(frames.growthMb, 48);

  // A GIF frame larger than what is left of the budget is refused from its descriptor.
  const Bytes gif = Gif(64, 64, 2048, 4096, DensestCodes(2048u * 4096u));
  pic::GifStream stream;
  ASSERT_TRUE(stream.Open(gif.data(), gif.size()));
  pic::GifFrame frame;
  bool wrapped = false;
  EXPECT_FALSE(stream.NextFrame(&frame, &wrapped, false, 2048 * 4096 - 1));
  EXPECT_TRUE(stream.FrameTooLarge());
  EXPECT_EQ(frame.dib, nullptr);
  ASSERT_TRUE(stream.Open(gif.data(), gif.size()));
  EXPECT_TRUE(stream.NextFrame(&frame, &wrapped, false, 2048 * 4096));
  EXPECT_NE(frame.dib, nullptr);
}

}  // namespace
