#include "pictures/decoders/BmpDecoder.h"

#include <array>
#include <cstring>

#include "runtime/memory/RuntimeHeap.h"

namespace pic {
namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;

uint16_t Word(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Dword(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Bgr {
  uint8_t b, g, r;
};

}  // namespace

bool DecodeBmp(const uint8_t* bytes, size_t length, DecodedPicture* out, size_t maxBlockBytes,
               uint64_t maxPixels) {
  if (bytes == nullptr || out == nullptr || length < kFileHeaderBytes + kInfoHeaderBytes)
    return false;
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint8_t* info = bytes + kFileHeaderBytes;
  const uint32_t headerSize = Dword(info);
  // OS/2 core headers lay their fields out differently; reading them as an info header
  // would make up a picture from unrelated bytes.
  if (headerSize < kInfoHeaderBytes || headerSize > length - kFileHeaderBytes) return false;
  const int64_t rawWidth = static_cast<int32_t>(Dword(info + 4));
  const int64_t rawHeight = static_cast<int32_t>(Dword(info + 8));
  const unsigned bitCount = Word(info + 14);
  if (Dword(info + 16) != 0) return false;  // only uncompressed pixels
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    return false;

  // Larger headers (v4, v5) put the palette after their extra fields.
  size_t position = kFileHeaderBytes + headerSize;
  // Indices beyond a short palette show black instead of reading past it.
  std::array<Bgr, 256> palette{};
  if (bitCount <= 8) {
    uint64_t entries = Dword(info + 32);
    if (entries == 0) entries = uint64_t{1} << bitCount;
    if (entries > (length - position) / 4) return false;
    for (uint64_t i = 0; i < entries && i < palette.size(); ++i) {
      const uint8_t* e = bytes + position + i * 4;
      palette[i] = {e[0], e[1], e[2]};
    }
    position += static_cast<size_t>(entries) * 4;
  }
  const uint32_t pixelOffset = Dword(bytes + 10);
  if (pixelOffset < position || pixelOffset > length) return false;
  position = pixelOffset;

  const int64_t width = rawWidth < 0 ? -rawWidth : rawWidth;
  const int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
  if (width == 0 || height == 0) return false;
  if (static_cast<uint64_t>(width) > maxPixels / static_cast<uint64_t>(height)) return false;
  const uint64_t rowOut = static_cast<uint64_t>(width) * 3;
  if (rowOut > maxBlockBytes || static_cast<uint64_t>(height) > maxBlockBytes / rowOut)
    return false;
  // Each stored row is padded to 4 bytes; a file too short for its rows fails before any
  // block is allocated. Rows are stored uncompressed, so this is also the whole bound on what
  // a small file can make us allocate: at most 8 pixels (3 bytes each) per byte of data.
  const uint64_t rowIn = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  if (static_cast<uint64_t>(height) > (length - position) / rowIn) return false;

  const size_t blockBytes = static_cast<size_t>(rowOut * static_cast<uint64_t>(height));
  auto* block = static_cast<uint8_t*>(rt::AllocMemUnchecked(static_cast<int32_t>(blockBytes)));
  if (block == nullptr) return false;

  // A negative height stores the top row first; the record is always bottom-up.
  const bool topDown = rawHeight < 0;
  const size_t w = static_cast<size_t>(width);
  for (int64_t r = 0; r < height; ++r) {
    const uint8_t* in = bytes + position + static_cast<size_t>(r) * rowIn;
    const int64_t target = topDown ? height - 1 - r : r;
    uint8_t* o = block + static_cast<size_t>(target) * rowOut;
    switch (bitCount) {
      case 24:
        std::memcpy(o, in, w * 3);
        break;
      case 32:
        for (size_t x = 0; x < w; ++x, o += 3, in += 4) {
          o[0] = in[0];
          o[1] = in[1];
          o[2] = in[2];
        }
        break;
      default: {
        const unsigned perByte = 8 / bitCount;
        const unsigned mask = (1u << bitCount) - 1;
        for (size_t x = 0; x < w; ++x, o += 3) {
          const unsigned shift = 8 - bitCount * (static_cast<unsigned>(x % perByte) + 1);
          const Bgr& c = palette[(in[x / perByte] >> shift) & mask];
          o[0] = c.b;
          o[1] = c.g;
          o[2] = c.r;
        }
        break;
      }
    }
  }

  out->kind = kPictureBmp;
  out->width = static_cast<int32_t>(width);
  out->height = static_cast<int32_t>(height);
  out->icon = nullptr;
  out->pixels = block;
  out->size = static_cast<int32_t>(blockBytes);
  return true;
}

}  // namespace pic
