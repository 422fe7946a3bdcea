// A second, deliberately plain working of the filters: channel triples with white outside,
// each formula in whole numbers where the arithmetic is exact (the program's doubles
// truncate to the same values there), in doubles only where rounding is the point.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/filters/FilterPass.h"

namespace filter_reference {

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Colours as the box holds them; white outside.
struct Picture {
  Picture(int width, int height) : w(width), h(height), px(static_cast<size_t>(w * h)) {}
  int W() const { return w; }
  int H() const { return h; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  Rgb At(int x, int y) const { return Inside(x, y) ? px[y * w + x] : Rgb{255, 255, 255}; }
  // The colour as a signed number, -1 outside, as Rects reads it.
  int64_t Raw(int x, int y) const {
    return Inside(x, y) ? At(x, y).b * 65536 + At(x, y).g * 256 + At(x, y).r : -1;
  }
  void Put(int x, int y, int r, int g, int b) {
    if (Inside(x, y)) px[y * w + x] = {r & 255, g & 255, b & 255};
  }
  // The platform ignores the top byte of a raw colour.
  void PutRaw(int x, int y, int64_t v) {
    Put(x, y, int(v & 255), int(v >> 8 & 255), int(v >> 16 & 255));
  }
  bool operator==(const Picture&) const = default;

  int w, h;
  std::vector<Rgb> px;
};

using Filter = app::FilterKind;

inline int Clamp(int v) {
  return v > 255 ? 255 : (v < 0 ? 0 : v);
}

// trunc(|a| - |s| / 4) in whole numbers: |s| / 4 rounds up when the result is not negative
// and down when it is.
inline int64_t RectsValue(int64_t c0, int64_t s) {
  const int64_t a = std::llabs(c0), m = std::llabs(s);
  if (m % 4 == 0) return a - m / 4;
  return 4 * a - m >= 0 ? a - m / 4 - 1 : a - m / 4;
}

// sin(arctan(n / d)) * 125 + 20 for channel values; n / d = 0 / 0 counts as 0.
inline int Strange(int n, int d) {
  if (d == 0) return n > 0 ? 145 : 0;
  return static_cast<int>(std::sin(std::atan(static_cast<double>(n) / d)) * 125 + 20);
}

inline int Aqua(int a, int b) {
  return ((a - b) ^ 2) / 125;
}

inline int Heat(int c, int d, int e) {
  return static_cast<int>((c ^ 2) * 128.0 / (d + e + 10));
}

// One pass in place, columns 0..W and rows 0..H as the program scans them. Diffuse is left
// out: its offsets are random.
inline void Apply(Filter f, Picture& p) {
  if (f == Filter::kDiffuse) return;
  for (int x = 0; x <= p.W(); ++x) {
    for (int y = 0; y <= p.H(); ++y) {
      const Rgb c = p.At(x, y);
      switch (f) {
        case Filter::kEmboss: {
          const Rgb q = p.At(x + 1, y + 1);
          p.Put(x, y, std::abs(c.r - q.r + 128), std::abs(c.g - q.g + 128),
                std::abs(c.b - q.b + 128));
          break;
        }
        case Filter::kSharpen: {
          const Rgb q = p.At(x - 1, y - 1);
          p.Put(x, y, Clamp((3 * c.r - 2 * q.r) / 2), Clamp((3 * c.g - 2 * q.g) / 2),
                Clamp((3 * c.b - 2 * q.b) / 2));
          break;
        }
        case Filter::kDiffuse:
          break;
        case Filter::kRects:
          p.PutRaw(x, y,
                   RectsValue(p.Raw(x, y), p.Raw(x + 1, y) + p.Raw(x - 1, y) + p.Raw(x, y + 1) +
                                               p.Raw(x, y - 1)));
          break;
        case Filter::kBrightness: {
          const int a = (c.r + c.g + c.b) / 3;
          p.Put(x, y, c.r + a, c.g + a, c.b + a);
          break;
        }
        case Filter::kIce:
          p.Put(x, y, std::abs(c.r - c.g - c.b) * 3 / 2, std::abs(c.g - c.b - c.r) * 3 / 2,
                std::abs(c.b - c.r - c.g) * 3 / 2);
          break;
        case Filter::kDark:
          p.Put(x, y, std::abs(c.r - 64), std::abs(c.g - 64), std::abs(c.b - 64));
          break;
        case Filter::kHeat:
          p.Put(x, y, Heat(c.r, c.b, c.g), Heat(c.g, c.r, c.b), Heat(c.b, c.g, c.r));
          break;
        case Filter::kStrange:
          p.Put(x, y, Strange(c.g, c.b), Strange(c.r, c.b), Strange(c.r, c.g));
          break;
        case Filter::kAqua:
          p.Put(x, y, Aqua(c.g, c.b), Aqua(c.r, c.b), Aqua(c.r, c.g));
          break;
        case Filter::kNight:
          p.Put(x, y, c.r * c.r / 256, c.g * c.g / 256, c.b * c.b / 256);
          break;
        case Filter::kAfrika: {
          const int r = c.g * c.b / 256, g = c.b * r / 256, b = r * g / 256;
          p.Put(x, y, r, g, b);
          break;
        }
        case Filter::kBlur: {
          Rgb sum;
          for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
              const Rgb n = p.At(x + dx, y + dy);
              sum = {sum.r + n.r, sum.g + n.g, sum.b + n.b};
            }
          p.Put(x, y, sum.r / 10, sum.g / 10, sum.b / 10);
          break;
        }
        case Filter::kGreyscale: {
          const int g = static_cast<int>(c.r * 0.3 + c.g * 0.59 + c.b * 0.11);
          p.Put(x, y, g, g, g);
          break;
        }
        case Filter::kComic: {
          const int r = std::abs(c.r * (2 * c.g - c.b + c.r)) / 256;
          const int g = std::abs(r * (2 * c.b - c.g + r)) / 256;
          const int b = g * (g + r) / 256;
          const int grey = (r + g + b) / 3;
          p.Put(x, y, grey, grey, grey);
          break;
        }
        case Filter::kBlackAndWhite: {
          const int v = c.r < 200 && c.g < 200 && c.b < 200 ? 0 : 255;
          p.Put(x, y, v, v, v);
          break;
        }
      }
    }
  }
}

}  // namespace filter_reference
