#include "app/filters/FilterPass.h"

#include <array>
#include <cmath>
#include <utility>

#include "app/filters/DllPixelSurface.h"
#include "app/filters/GdiPixelSurface.h"
#include "commands/numeric/NumericCommands.h"
#include "runtime/calls/CommandCall.h"

namespace app {
namespace {

constexpr std::array<std::string_view, kFilterCount> kNames = {
    "Emboss", "Sharpen",   "Diffuse", "Rects",          "Brightness", "Ice",
    "Dark",   "Heat",      "Strange", "Aqua",           "Night",      "Afrika",
    "Blur",   "Greyscale", "Comic",   "Black and White"};

int32_t T(double v) {
  return TruncateLow32(v);
}

// The same formula applied to red, green and blue.
template <typename F>
PixelColor EachChannel(const PixelColor& p, F f) {
  return {f(p.red), f(p.green), f(p.blue)};
}

template <typename F>
PixelColor EachChannel(const PixelColor& p, const PixelColor& q, F f) {
  return {f(p.red, q.red), f(p.green, q.green), f(p.blue, q.blue)};
}

// Reads and writes on the concrete surface type, so that the per-pixel calls of a final
// surface class are direct calls rather than virtual ones.
template <typename S>
PixelColor Read(S& s, int32_t x, int32_t y) {
  const uint32_t v = s.GetRaw(x, y);
  return {static_cast<int32_t>(v & 0xFF), static_cast<int32_t>((v >> 8) & 0xFF),
          static_cast<int32_t>((v >> 16) & 0xFF)};
}

template <typename S>
void Write(S& s, int32_t x, int32_t y, const PixelColor& c) {
  s.SetRaw(x, y, ColorOf(c.red, c.green, c.blue));
}

int32_t ClampChannel(int32_t v) {
  return v >= 256 ? 255 : (v < 0 ? 0 : v);
}

int32_t Strange(double n, double d) {
  return T(std::fabs(std::sin(std::atan(n / d)) * 125 + 20));
}

int32_t Aqua(int32_t a, int32_t b) {
  return T(static_cast<double>(T(static_cast<double>(a) - b) ^ 2) / 125);
}

template <typename S>
void Grey(S& s, int32_t x, int32_t y, int32_t g) {
  s.SetRaw(x, y, ColorOf(g, g, g));
}

template <typename S>
int32_t RawSigned(S& s, int32_t x, int32_t y) {
  return static_cast<int32_t>(s.GetRaw(x, y));
}

template <typename S>
[[gnu::always_inline]] inline void FilterPixel(FilterKind kind, S& s, FilterRandom& random,
                                               int32_t x, int32_t y) {
  switch (kind) {
    case FilterKind::kEmboss: {
      const PixelColor p = Read(s, x, y), q = Read(s, x + 1, y + 1);
      Write(s, x, y,
            EachChannel(p, q, [](double c, double d) { return T(std::fabs(c - d + 128)); }));
      return;
    }
    case FilterKind::kSharpen: {
      const PixelColor p = Read(s, x, y), q = Read(s, x - 1, y - 1);
      Write(s, x, y,
            EachChannel(p, q, [](double c, double d) { return ClampChannel(T(c + c * 0.5 - d)); }));
      return;
    }
    case FilterKind::kDiffuse: {
      const int32_t d0 = random.Between(2, 5);
      const int32_t d1 = random.Between(2, 5);
      const int32_t d2 = random.Between(2, 5);
      Write(s, x, y,
            {Read(s, x, y + d0).red, Read(s, x + d1, y).green, Read(s, x + d2, y + d2).blue});
      return;
    }
    case FilterKind::kRects: {
      const double c0 = RawSigned(s, x, y), c1 = RawSigned(s, x + 1, y),
                   c2 = RawSigned(s, x - 1, y), c3 = RawSigned(s, x, y + 1),
                   c4 = RawSigned(s, x, y - 1);
      s.SetRaw(x, y, static_cast<uint32_t>(T(std::fabs(c0) - std::fabs(c1 + c2 + c3 + c4) / 4)));
      return;
    }
    case FilterKind::kBrightness: {
      const PixelColor p = Read(s, x, y);
      const double a = std::trunc((static_cast<double>(p.red) + p.green + p.blue) / 3);
      Write(s, x, y, EachChannel(p, [a](double c) { return T(std::fabs(c + a)); }));
      return;
    }
    case FilterKind::kIce: {
      const PixelColor p = Read(s, x, y);
      const double r = p.red, g = p.green, b = p.blue;
      Write(s, x, y,
            {T(std::fabs((r - g - b) * 1.5)), T(std::fabs((g - b - r) * 1.5)),
             T(std::fabs((b - r - g) * 1.5))});
      return;
    }
    case FilterKind::kDark: {
      const PixelColor p = Read(s, x, y);
      Write(s, x, y, EachChannel(p, [](double c) { return T(std::fabs(c - 64)); }));
      return;
    }
    case FilterKind::kHeat: {
      const PixelColor p = Read(s, x, y);
      const double r = p.red, g = p.green, b = p.blue;
      Write(s, x, y,
            {T(std::fabs((p.red ^ 2) / (b + g + 10) * 128)),
             T(std::fabs((p.green ^ 2) / (r + b + 10) * 128)),
             T(std::fabs((p.blue ^ 2) / (g + r + 10) * 128))});
      return;
    }
    case FilterKind::kStrange: {
      const PixelColor p = Read(s, x, y);
      Write(s, x, y, {Strange(p.green, p.blue), Strange(p.red, p.blue), Strange(p.red, p.green)});
      return;
    }
    case FilterKind::kAqua: {
      const PixelColor p = Read(s, x, y);
      Write(s, x, y, {Aqua(p.green, p.blue), Aqua(p.red, p.blue), Aqua(p.red, p.green)});
      return;
    }
    case FilterKind::kNight: {
      const PixelColor p = Read(s, x, y);
      Write(s, x, y, EachChannel(p, [](double c) { return T(std::fabs(c * c / 256)); }));
      return;
    }
    case FilterKind::kAfrika: {
      // Each line reads the fields the lines before it replaced.
      PixelColor p = Read(s, x, y);
      p.red = T(std::fabs(static_cast<double>(p.green) * p.blue / 256));
      p.green = T(std::fabs(static_cast<double>(p.blue) * p.red / 256));
      p.blue = T(std::fabs(static_cast<double>(p.red) * p.green / 256));
      Write(s, x, y, p);
      return;
    }
    case FilterKind::kBlur: {
      double sum[3] = {0, 0, 0};
      for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
          const PixelColor n = Read(s, x + dx, y + dy);
          sum[0] += n.red;
          sum[1] += n.green;
          sum[2] += n.blue;
        }
      }
      Write(s, x, y, {T(sum[0] / 10), T(sum[1] / 10), T(sum[2] / 10)});
      return;
    }
    case FilterKind::kGreyscale: {
      const PixelColor p = Read(s, x, y);
      Grey(s, x, y, T(p.red * 0.3 + p.green * 0.59 + p.blue * 0.11));
      return;
    }
    case FilterKind::kComic: {
      PixelColor p = Read(s, x, y);
      const double r = p.red, g = p.green, b = p.blue;
      p.red = T(std::fabs(r * (g - b + g + r)) / 256);
      p.green = T(std::fabs(p.red * (b - g + b + p.red)) / 256);
      p.blue = T(std::fabs(static_cast<double>(p.green) * (p.green + p.red)) / 256);
      Grey(s, x, y, T((static_cast<double>(p.red) + p.green + p.blue) / 3));
      return;
    }
    case FilterKind::kBlackAndWhite: {
      const PixelColor p = Read(s, x, y);
      const bool dark = p.red < 200 && p.green < 200 && p.blue < 200;
      s.SetRaw(x, y, dark ? 0 : 0xFFFFFF);
      return;
    }
  }
}

}  // namespace

std::string_view FilterName(FilterKind kind) {
  return kNames[static_cast<size_t>(kind)];
}

int32_t TruncateLow32(double v) {
  // 2^63 and beyond (and NaN) is what the processor's conversion reports as the integer
  // indefinite, 0x8000000000000000, whose low half is 0.
  if (!(std::fabs(v) < 9223372036854775808.0)) return 0;
  return static_cast<int32_t>(
      static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(v))));
}

void RuntimeRandom::SeedFromClock() {
  rt::Call(cmd::SetRandomSeed, {rt::Arg::Omitted()});
}

int32_t RuntimeRandom::Between(int32_t low, int32_t high) {
  return static_cast<int32_t>(
      rt::Call(cmd::RandomInt, {rt::Arg::Int(low), rt::Arg::Int(high)}).Low());
}

namespace {

// One loop per filter and surface type: the filter's switch folds away inside it.
template <FilterKind K, typename S>
void Pass(S& surface, FilterRandom& random, const ColumnDone& columnDone) {
  const int32_t w = surface.Width();
  const int32_t h = surface.Height();
  if (K == FilterKind::kDiffuse) random.SeedFromClock();
  for (int32_t x = 0; x <= w; ++x) {
    for (int32_t y = 0; y <= h; ++y) FilterPixel(K, surface, random, x, y);
    // A box of width 0 divides 0 by 0 here; the NaN truncates to 0.
    if (columnDone && !columnDone(TruncateLow32(static_cast<double>(x) / w * 100))) return;
  }
}

template <typename S, size_t... I>
void PassOn(FilterKind kind, S& surface, FilterRandom& random, const ColumnDone& columnDone,
            std::index_sequence<I...>) {
  using Loop = void (*)(S&, FilterRandom&, const ColumnDone&);
  static constexpr Loop kLoops[] = {&Pass<static_cast<FilterKind>(I), S>...};
  kLoops[static_cast<size_t>(kind)](surface, random, columnDone);
}

}  // namespace

void RunFilterPass(FilterKind kind, PixelSurface& surface, FilterRandom& random,
                   const ColumnDone& columnDone) {
  if (static_cast<size_t>(kind) >= static_cast<size_t>(kFilterCount)) return;
  constexpr auto kAll = std::make_index_sequence<kFilterCount>();
  if (auto* dll = dynamic_cast<DllPixelSurface*>(&surface))
    PassOn(kind, *dll, random, columnDone, kAll);
  else if (auto* gdi = dynamic_cast<GdiPixelSurface*>(&surface))
    PassOn(kind, *gdi, random, columnDone, kAll);
  else if (auto* memory = dynamic_cast<MemoryPixelSurface*>(&surface))
    PassOn(kind, *memory, random, columnDone, kAll);
  else
    PassOn(kind, surface, random, columnDone, kAll);
}

}  // namespace app
