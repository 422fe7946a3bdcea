// Reading back the BMP bytes that the capture, the crop and the batch run give.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"

namespace capturetest {

// A little-endian field of `bytes` bytes.
inline uint32_t Field(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

// 0xRRGGBB at (x, y), y from the top, of a 32-bit bottom-up BMP file.
inline uint32_t Pixel32(const uint8_t* bmp, int x, int y) {
  const auto w = static_cast<size_t>(Field(bmp + 18, 4));
  const auto h = static_cast<size_t>(Field(bmp + 22, 4));
  const uint8_t* p = bmp + 54 + ((h - 1 - static_cast<size_t>(y)) * w + static_cast<size_t>(x)) * 4;
  return p[0] | (p[1] << 8) | (p[2] << 16);
}

// A byte-set block the test owns.
struct Block {
  void* block;
  explicit Block(void* b) : block(b) {}
  ~Block() { rt::FreeMem(block); }
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  rt::ByteSetView View() const { return rt::ViewByteSet(block); }
};

}  // namespace capturetest
