#include "pictures/decoders/PcxDecoder.h"

#include <cstring>

#include "runtime/memory/RuntimeHeap.h"

namespace pic {
namespace {

constexpr size_t kHeaderBytes = 128;
constexpr size_t kDibHeaderBytes = 40;
constexpr size_t kPaletteBytes = 256 * 4;

uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void PutDword(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// The run-length stream. Encoders let runs carry on from one line into the next, so a run
// cut by the end of a line continues in the next one.
class RunReader {
 public:
  RunReader(const uint8_t* data, size_t length, size_t start)
      : data_(data), length_(length), pos_(start) {}

  // Fills `out` with `count` decoded bytes, keeping the first `keep` of them; false once
  // the data has run out (the rest of `out` is then left as it was).
  bool Line(uint8_t* out, size_t count, size_t keep) {
    for (size_t i = 0; i < count; ++i) {
      if (run_ == 0) {
        if (pos_ >= length_) return false;
        const uint8_t b = data_[pos_++];
        if (b > 0xC0) {
          if (pos_ >= length_) return false;
          run_ = b - 0xC0u;
          value_ = data_[pos_++];
        } else {
          run_ = 1;
          value_ = b;
        }
      }
      if (i < keep) out[i] = value_;
      --run_;
    }
    return true;
  }

  size_t position() const { return pos_; }

 private:
  const uint8_t* data_;
  size_t length_;
  size_t pos_;
  size_t run_ = 0;
  uint8_t value_ = 0;
};

// The most decoded bytes `count` bytes of run-length data can give: a run is two bytes and
// repeats its value at most 63 times (a count byte of 0xFF), a literal gives one byte. So a
// picture is never filled from less than 2/63 of a byte per decoded byte, whatever its
// content, and a header claiming more than the data could yield is damaged, not a picture.
uint64_t MostDecodedBytes(size_t count) {
  return uint64_t{count} / 2 * 63 + count % 2;
}

// Whether the data could fill `height` lines. A line decodes bytesPerLine bytes, while a row
// of the picture needs `rowBytes` (its width's bytes); files whose lines are shorter than their
// rows exist and are shown zero-filled, so the longer of the two is measured: a header cannot
// claim wide rows for free by declaring short lines.
bool DataCanFill(uint64_t rowBytes, uint64_t bytesPerLine, uint64_t height, size_t dataBytes) {
  const uint64_t line = rowBytes > bytesPerLine ? rowBytes : bytesPerLine;
  return height <= MostDecodedBytes(dataBytes) / line;
}

}  // namespace

bool DecodePcx(const uint8_t* bytes, size_t length, DecodedPicture* out, size_t maxBlockBytes,
               uint64_t maxPixels) {
  if (bytes == nullptr || out == nullptr || length < kHeaderBytes + 1) return false;
  if (bytes[0] != 0x0A || bytes[1] > 5 || bytes[2] != 1) return false;
  const int xMin = Word(bytes + 4), yMin = Word(bytes + 6);
  const int xMax = Word(bytes + 8), yMax = Word(bytes + 10);
  if (xMax < xMin || yMax < yMin) return false;
  const uint64_t width = static_cast<uint64_t>(xMax - xMin) + 1;
  const uint64_t height = static_cast<uint64_t>(yMax - yMin) + 1;
  const unsigned bitsPerPixel = bytes[3];
  const unsigned planes = bytes[65];
  const size_t bytesPerLine = Word(bytes + 66);
  if (bytesPerLine == 0) return false;
  if (width > maxPixels / height) return false;
  const size_t dataBytes = length - kHeaderBytes;

  RunReader runs(bytes, length, kHeaderBytes);
  if (bitsPerPixel == 1 && planes == 1) {
    const uint64_t rowBytes = ((width + 7) / 8 + 1) / 2 * 2;
    if (height > maxBlockBytes / rowBytes) return false;
    if (!DataCanFill((width + 7) / 8, bytesPerLine, height, dataBytes)) return false;
    const size_t blockBytes = static_cast<size_t>(rowBytes * height);
    auto* block = static_cast<uint8_t*>(rt::AllocMemUnchecked(static_cast<int32_t>(blockBytes)));
    if (block == nullptr) return false;
    std::memset(block, 0, blockBytes);
    for (uint64_t y = 0; y < height; ++y) {
      const size_t keep = bytesPerLine < rowBytes ? bytesPerLine : static_cast<size_t>(rowBytes);
      if (!runs.Line(block + y * rowBytes, bytesPerLine, keep)) break;
    }
    out->kind = kPicturePcx1;
    out->width = static_cast<int32_t>(width);
    out->height = static_cast<int32_t>(height);
    out->icon = nullptr;
    out->pixels = block;
    out->size = static_cast<int32_t>(blockBytes);
    return true;
  }

  // Several 8-bit planes make a 24- or 32-bit picture, which is not read here: taking the
  // planes as successive lines would scramble it.
  if (bitsPerPixel != 8 || planes != 1) return false;
  // The bitmap's own row length: a file whose lines are shorter than its width still gives
  // rows as long as the header below promises.
  const uint64_t stride = (width + 3) / 4 * 4;
  const uint64_t headBytes = kDibHeaderBytes + kPaletteBytes;
  if (stride > maxBlockBytes || height > (maxBlockBytes - headBytes) / stride) return false;
  if (!DataCanFill(width, bytesPerLine, height, dataBytes)) return false;
  const size_t blockBytes = static_cast<size_t>(headBytes + stride * height);
  auto* block = static_cast<uint8_t*>(rt::AllocMemUnchecked(static_cast<int32_t>(blockBytes)));
  if (block == nullptr) return false;
  std::memset(block, 0, blockBytes);

  PutDword(block + 0, kDibHeaderBytes);
  PutDword(block + 4, static_cast<uint32_t>(width));
  PutDword(block + 8, static_cast<uint32_t>(-static_cast<int64_t>(height)));
  block[12] = 1;  // planes
  block[14] = 8;  // bits per pixel
  PutDword(block + 32, 256);
  PutDword(block + 36, 256);

  uint8_t* rows = block + headBytes;
  const size_t keep = bytesPerLine < width ? bytesPerLine : static_cast<size_t>(width);
  bool complete = true;
  for (uint64_t y = 0; y < height && complete; ++y) {
    complete = runs.Line(rows + y * stride, bytesPerLine, keep);
  }
  const size_t after = runs.position();
  if (complete && after < length && bytes[after] == 0x0C && length - after - 1 >= 768) {
    const uint8_t* in = bytes + after + 1;
    uint8_t* palette = block + kDibHeaderBytes;
    for (int i = 0; i < 256; ++i, in += 3, palette += 4) {
      palette[0] = in[2];
      palette[1] = in[1];
      palette[2] = in[0];
    }
  }

  out->kind = kPicturePcx8;
  out->width = static_cast<int32_t>(width);
  out->height = static_cast<int32_t>(height);
  out->icon = nullptr;
  out->pixels = block;
  out->size = static_cast<int32_t>(blockBytes);
  return true;
}

}  // namespace pic
