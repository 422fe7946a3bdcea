// The crop reads a source that may come from anywhere (a capture, but also a file a caller
// hands in), so every header field is read with what the bytes actually hold (missing bytes
// read as zero) and every row copy is cut at the source's end. Arithmetic on header values
// is 64-bit: a width or height near the 32-bit limit must give an empty result, not a
// wrapped offset.
#include "app/capture/BmpCrop.h"

#include <algorithm>
#include <cstring>

#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace app::capture {
namespace {

constexpr int64_t kFileHeaderBytes = 14;
constexpr int64_t kInfoHeaderBytes = 40;
constexpr int64_t kHeadersBytes = kFileHeaderBytes + kInfoHeaderBytes;
constexpr int64_t kPaletteBytes = 1024;

// Little-endian field of `width` bytes at `offset`; bytes beyond the source read as zero,
// as a field cut short by the end of the data does.
uint32_t Field(rt::ByteSetView source, size_t offset, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    if (offset + i >= source.size) break;
    value |= static_cast<uint32_t>(source.data[offset + i]) << (8 * i);
  }
  return value;
}

void Put16(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* at, uint32_t v) {
  Put16(at, v);
  Put16(at + 2, v >> 16);
}

int64_t Stride(int64_t width, int64_t bits) {
  return ((width * bits + 31) >> 5) << 2;
}

// Copies `count` bytes from `offset` of the source, or as many of them as it holds.
void CopyBounded(rt::ByteSetView source, int64_t offset, int64_t count, uint8_t* target) {
  if (offset < 0 || offset >= static_cast<int64_t>(source.size) || count <= 0) return;
  const int64_t available = static_cast<int64_t>(source.size) - offset;
  std::memcpy(target, source.data + offset, static_cast<size_t>(std::min(count, available)));
}

}  // namespace

void* CropBmp(const void* sourceByteSet, int32_t x, int32_t y, int32_t w, int32_t h) {
  const rt::ByteSetView source = rt::ViewByteSet(sourceByteSet);
  const auto sw = static_cast<int32_t>(Field(source, 18, 4));
  const auto sh = static_cast<int32_t>(Field(source, 22, 4));
  const auto bpp = static_cast<int32_t>(Field(source, 28, 2));
  if (Field(source, 30, 4) != 0) return nullptr;  // compressed

  int64_t dataOffset;
  int64_t bytesPerPixel;
  switch (bpp) {
    case 32:
      dataOffset = kHeadersBytes, bytesPerPixel = 4;
      break;
    case 24:
      dataOffset = kHeadersBytes, bytesPerPixel = 3;
      break;
    case 16:
      dataOffset = kHeadersBytes, bytesPerPixel = 2;
      break;
    case 8:
      dataOffset = kHeadersBytes + kPaletteBytes, bytesPerPixel = 1;
      break;
    default:
      // Fewer bits would need bit-level cuts; other depths are no BMP we could have made.
      return nullptr;
  }
  const int64_t paletteBytes = dataOffset - kHeadersBytes;

  // The edges are compared in double, with a little slack, as the program always has.
  if (static_cast<double>(x) + static_cast<double>(w) - static_cast<double>(sw) > 1e-7 ||
      static_cast<double>(y) + static_cast<double>(h) - static_cast<double>(sh) > 1e-7 || x < 0 ||
      y < 0 || w < 1 || h < 1) {
    return nullptr;
  }

  const int64_t sourceStride = Stride(sw, bpp);
  const int64_t targetStride = Stride(w, bpp);
  // A crop no byte set can hold is refused before anything is allocated.
  int64_t imageSize;
  if (__builtin_mul_overflow(targetStride, static_cast<int64_t>(h), &imageSize)) return nullptr;
  const int64_t total = imageSize + paletteBytes + kHeadersBytes;
  if (total > INT32_MAX - static_cast<int64_t>(rt::kByteSetHeader)) return nullptr;
  auto* block = static_cast<uint8_t*>(rt::AllocMemUnchecked(
      static_cast<int32_t>(total + static_cast<int64_t>(rt::kByteSetHeader))));
  if (block == nullptr) return nullptr;
  rt::WriteInt32(block, 1);
  rt::WriteInt32(block + 4, static_cast<int32_t>(total));
  uint8_t* out = block + rt::kByteSetHeader;
  std::memset(out, 0, static_cast<size_t>(total));

  Put16(out + 0, 0x4D42);
  Put32(out + 2, static_cast<uint32_t>(dataOffset + imageSize));
  Put32(out + 10, static_cast<uint32_t>(dataOffset));
  Put32(out + 14, kInfoHeaderBytes);
  Put32(out + 18, static_cast<uint32_t>(w));
  Put32(out + 22, static_cast<uint32_t>(h));
  Put16(out + 26, 1);
  Put16(out + 28, static_cast<uint32_t>(bpp));
  CopyBounded(source, kHeadersBytes, paletteBytes, out + kHeadersBytes);

  // Rows are stored bottom-up: the crop's bottom row is source row sh - h - y from the
  // bottom. With header sizes near the 32-bit limits these offsets outgrow even 64 bits; a
  // row that far out lies beyond any source and stays zero.
  const int64_t rowsBelow = static_cast<int64_t>(sh) - h - y;
  for (int64_t i = 0; i < h; ++i) {
    int64_t at;
    if (__builtin_mul_overflow(rowsBelow + i, sourceStride, &at) ||
        __builtin_add_overflow(at, dataOffset + static_cast<int64_t>(x) * bytesPerPixel, &at)) {
      break;  // this row and every later one lie beyond the source
    }
    CopyBounded(source, at, targetStride, out + dataOffset + i * targetStride);
  }
  return block;
}

}  // namespace app::capture
