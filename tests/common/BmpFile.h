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

}  // namespace testing_bmp
