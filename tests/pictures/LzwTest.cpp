// The LZW decoder on hand-made code streams, and round trips through a small reference
// encoder written here from the format's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "pictures/decoders/Lzw.h"

namespace {

using pic::DecodeLzw;
using pic::LzwStatus;

// Packs codes least-significant bit first, each with the width given beside it.
class BitWriter {
 public:
  void Put(unsigned code, int width) {
    acc_ |= static_cast<uint64_t>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      bytes_.push_back(static_cast<uint8_t>(acc_));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  std::vector<uint8_t> Finish() {
    if (bits_ > 0) bytes_.push_back(static_cast<uint8_t>(acc_));
    bits_ = 0;
    acc_ = 0;
    return bytes_;
  }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t acc_ = 0;
  int bits_ = 0;
};

// A plain GIF-style LZW encoder. `clearWhenFull` sends a clear code once the table is full;
// without it the encoder keeps coding at 12 bits with the table as it stands.
std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, int m, bool clearWhenFull,
                            bool endCode = true) {
  BitWriter out;
  const unsigned clear = 1u << m, end = clear + 1;
  int width = m + 1;
  unsigned next = clear + 2;
  std::map<std::pair<unsigned, uint8_t>, unsigned> table;
  out.Put(clear, width);
  auto putCode = [&](unsigned code) {
    // The decoder learns of an entry one code later than the encoder makes it.
    while (next - 1 >= (1u << width) && width < 12) ++width;
    out.Put(code, width);
  };
  if (pixels.empty()) {
    if (endCode) out.Put(end, width);
    return out.Finish();
  }
  unsigned current = pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const uint8_t c = pixels[i];
    auto it = table.find({current, c});
    if (it != table.end()) {
      current = it->second;
      continue;
    }
    putCode(current);
    if (next < 4096) {
      table[{current, c}] = next++;
    } else if (clearWhenFull) {
      putCode(clear);
      table.clear();
      next = clear + 2;
      width = m + 1;
    }
    current = c;
  }
  putCode(current);
  // The decoder makes an entry on reading that last code, which may widen the end code.
  if (next < 4096) ++next;
  if (endCode) putCode(end);
  return out.Finish();
}

std::vector<uint8_t> Decode(int m, const std::vector<uint8_t>& codes, size_t capacity,
                            LzwStatus* status) {
  std::vector<uint8_t> out(capacity, 0xEE);
  size_t written = 0;
  *status = DecodeLzw(m, codes.data(), codes.size(), out.data(), capacity, &written);
  out.resize(written);
  return out;
}

TEST(Lzw, LiteralsGrowTheCodeWidthWhenTheTableReachesAPowerOfTwo) {
  // m = 2: clear 4, end 5, first free 6, 3-bit codes. Reading 1, 2, 3 adds entries 6 and 7;
  // N reaches 8, so the end code already takes 4 bits.
  BitWriter w;
  w.Put(4, 3);
  w.Put(1, 3);
  w.Put(2, 3);
  w.Put(3, 3);
  w.Put(5, 4);
  LzwStatus status;
  EXPECT_EQ(Decode(2, w.Finish(), 16, &status), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(status, LzwStatus::kEndCode);
}

TEST(Lzw, CodeEqualToNextFreeIsPreviousStringPlusItsFirstByte) {
  BitWriter w;
  w.Put(4, 3);
  w.Put(1, 3);
  w.Put(6, 3);  // not yet defined: "1" + "1"
  w.Put(7, 3);  // again: "1 1" + "1"
  w.Put(5, 4);
  LzwStatus status;
  EXPECT_EQ(Decode(2, w.Finish(), 16, &status), (std::vector<uint8_t>{1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(status, LzwStatus::kEndCode);
}

TEST(Lzw, CodeBeyondNextFreeDecodesAsIfItWereNextFree) {
  // 7 arrives where 6 is the next free code: it is read as 6, so the entry made is 6 = "2 2",
  // and a later 6 must give that string back.
  BitWriter w;
  w.Put(4, 3);
  w.Put(2, 3);
  w.Put(7, 3);  // as 6: "2 2"
  w.Put(6, 3);  // "2 2" (entry 6 now defined)
  w.Put(7, 4);  // entry 7 = "2 2" + "2"
  w.Put(5, 4);
  LzwStatus status;
  EXPECT_EQ(Decode(2, w.Finish(), 32, &status), (std::vector<uint8_t>{2, 2, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(status, LzwStatus::kEndCode);
}

TEST(Lzw, ClearResetsWidthAndTableAndRepeatedClearsAreHarmless) {
  BitWriter w;
  w.Put(4, 3);
  w.Put(4, 3);  // two clears in a row
  w.Put(3, 3);
  w.Put(3, 3);  // entry 6 = "3 3"
  w.Put(6, 3);  // "3 3", entry 7
  w.Put(4, 4);  // clear: back to 3 bits, table empty again
  w.Put(0, 3);
  w.Put(6, 3);  // next free after the clear: "0 0"
  w.Put(5, 3);
  LzwStatus status;
  EXPECT_EQ(Decode(2, w.Finish(), 32, &status), (std::vector<uint8_t>{3, 3, 3, 3, 0, 0, 0}));
  EXPECT_EQ(status, LzwStatus::kEndCode);
}

TEST(Lzw, FirstCodeAfterClearWithoutAStringIsCorrupt) {
  for (unsigned bad : {6u, 7u}) {
    BitWriter w;
    w.Put(4, 3);
    w.Put(bad, 3);
    w.Put(5, 3);
    LzwStatus status;
    EXPECT_TRUE(Decode(2, w.Finish(), 16, &status).empty());
    EXPECT_EQ(status, LzwStatus::kCorrupt) << bad;
  }
  // The same after some good pixels: they are reported, the stream is still corrupt.
  BitWriter w;
  w.Put(4, 3);
  w.Put(1, 3);
  w.Put(4, 3);
  w.Put(6, 3);
  LzwStatus status;
  EXPECT_EQ(Decode(2, w.Finish(), 16, &status), (std::vector<uint8_t>{1}));
  EXPECT_EQ(status, LzwStatus::kCorrupt);
}

TEST(Lzw, MinimumCodeSizesThatCannotGiveBytePixelsAreRejected) {
  const std::vector<uint8_t> codes{0x00, 0x01};
  for (int m : {0, 9, 12, 255, -1}) {
    LzwStatus status;
    Decode(m, codes, 4, &status);
    EXPECT_EQ(status, LzwStatus::kCorrupt) << m;
  }
}

TEST(Lzw, RoundTripsThroughTheWholeTableWithAndWithoutClears) {
  std::mt19937 rng(7);
  for (int m : {1, 2, 3, 4, 8}) {
    for (bool clearWhenFull : {true, false}) {
      // A small alphabet fills the table quickly; long runs make long strings.
      std::vector<uint8_t> pixels(200000);
      const unsigned alphabet = std::min(1u << m, 5u);
      for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] =
            (rng() % 7 == 0) ? static_cast<uint8_t>(rng() % alphabet) : (i > 0 ? pixels[i - 1] : 0);
      }
      const auto codes = Encode(pixels, m, clearWhenFull);
      LzwStatus status;
      EXPECT_EQ(Decode(m, codes, pixels.size(), &status), pixels)
          << "m=" << m << " clear=" << clearWhenFull;
      // A full output is reported as soon as the last pixel lands.
      EXPECT_EQ(status, LzwStatus::kOutputFull);
      const auto roomy = Decode(m, codes, pixels.size() + 10, &status);
      EXPECT_EQ(status, LzwStatus::kEndCode);
      EXPECT_EQ(roomy, pixels);
    }
  }
}

TEST(Lzw, OutputIsClippedToTheCapacityInsideALongString) {
  std::vector<uint8_t> pixels(5000, 3);
  const auto codes = Encode(pixels, 2, false);
  for (size_t capacity : {1u, 2u, 77u, 4999u}) {
    LzwStatus status;
    const auto out = Decode(2, codes, capacity, &status);
    EXPECT_EQ(out, std::vector<uint8_t>(capacity, 3));
    EXPECT_EQ(status, LzwStatus::kOutputFull);
  }
}

TEST(Lzw, DataWithoutEndCodeStopsAtTheLastWholeCode) {
  std::vector<uint8_t> pixels{0, 1, 2, 3, 0, 1, 2, 3, 0, 1};
  auto codes = Encode(pixels, 2, false, /*endCode=*/false);
  LzwStatus status;
  auto out = Decode(2, codes, 100, &status);
  EXPECT_EQ(status, LzwStatus::kDataExhausted);
  // The padding bits of the last byte may form one more (literal 0) code.
  ASSERT_GE(out.size(), pixels.size());
  EXPECT_LE(out.size(), pixels.size() + 1);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 10), pixels);
  // Nothing at all: nothing decoded, and no spinning on imaginary bytes.
  EXPECT_TRUE(Decode(2, {}, 100, &status).empty());
  EXPECT_EQ(status, LzwStatus::kDataExhausted);
}

}  // namespace
