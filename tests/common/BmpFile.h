// Small 24-bit BMP files made in a test, for pictures whose every pixel the test knows.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace testing_bmp {

// `pixels` are 0x00RRGGBB, top row first.
inline std::vector<uint8_t> Bmp24(int width, int height, const std::vector<uint32_t>& pixels) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<uint8_t> f(54 + static_cast<size_t>(stride) * height, 0);
  auto put = [&](size_t at, uint32_t v) { std::memcpy(f.data() + at, &v, 4); };
  f[0] = 'B';
  f[1] = 'M';
  put(2, static_cast<uint32_t>(f.size()));
  put(10, 54);
  put(14, 40);
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  put(26, 1 | (24 << 16));
  for (int y = 0; y < height; ++y) {  // stored bottom-up
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(height - 1 - y) * width + x];
      std::memcpy(f.data() + 54 + static_cast<size_t>(y) * stride + x * 3, &p, 3);
    }
  }
  return f;
}

inline std::vector<uint8_t> SolidBmp24(int width, int height, uint32_t rgb) {
  return Bmp24(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, rgb));
}

// A BMP file read back: 0x00RRGGBB pixels, top row first.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> px;
  uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

// Only a whole, bottom-up, uncompressed file of `bits` (24 or 32) per pixel with its pixels
// at 54 and its true size in its header; anything else comes back empty.
inline Pixels ReadBmp(const std::vector<uint8_t>& f, int bits) {
  auto word = [&](size_t at) {
    uint32_t v = 0;
    if (at + 4 <= f.size()) std::memcpy(&v, f.data() + at, 4);
    return v;
  };
  Pixels p;
  const uint32_t w = word(18), h = word(22), stride = (w * bits / 8 + 3) & ~3u;
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M' || word(2) != f.size() || word(10) != 54 ||
      (word(28) & 0xFFFF) != static_cast<uint32_t>(bits) || word(30) != 0 || w > 1u << 15 ||
      h > 1u << 15 || f.size() != 54 + static_cast<size_t>(stride) * h) {
    return p;
  }
  p.width = static_cast<int>(w);
  p.height = static_cast<int>(h);
  for (uint32_t y = h; y-- > 0;) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* q = f.data() + 54 + static_cast<size_t>(y) * stride + x * bits / 8;
      p.px.push_back(q[0] | q[1] << 8 | q[2] << 16);
    }
  }
  return p;
}

}  // namespace testing_bmp
