// One filter pass over a 1096x515 picture (the size of the filter window's picture box),
// through the filter code and its device-context surface, against the floor of the same
// method: a plain loop making the same GetPixel and SetPixel calls on the same bitmap with
// the arithmetic inlined. Emboss (two reads per pixel) and Blur (nine) bracket the filters;
// the pass over memory shows what the per-pixel calls cost. A summary prints the ratios
// and the time per pass that a user waits for.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include "app/filters/FilterPass.h"
#include "app/filters/GdiPixelSurface.h"
#include "bench/BestTimeReporter.h"

namespace {

constexpr int kW = 1096;
constexpr int kH = 515;

class Picture {
 public:
  Picture() {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(nullptr, kW, kH);
    old_ = SelectObject(dc_, bitmap_);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        SetPixel(dc_, x, y, RGB(x * 7 & 0xFF, (x + y) & 0xFF, y * 3 & 0xFF));
  }
  ~Picture() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

Picture& SharedPicture() {
  static Picture picture;
  return picture;
}

class NoRandom final : public app::FilterRandom {
 public:
  void SeedFromClock() override {}
  int32_t Between(int32_t low, int32_t) override { return low; }
};

void PassThroughFilterCode(benchmark::State& state, app::FilterKind kind) {
  app::GdiPixelSurface surface(SharedPicture().dc(), kW, kH);
  NoRandom random;
  for (auto _ : state) app::RunFilterPass(kind, surface, random, [](int32_t) {});
}

void PassOverMemory(benchmark::State& state, app::FilterKind kind) {
  app::MemoryPixelSurface surface(kW, kH, 0x406080);
  NoRandom random;
  for (auto _ : state) app::RunFilterPass(kind, surface, random, [](int32_t) {});
}

inline int Channel(COLORREF c, int shift) {
  return static_cast<int>(c >> shift & 0xFF);
}

void BM_EmbossDirectGetSetPixel(benchmark::State& state) {
  HDC dc = SharedPicture().dc();
  for (auto _ : state) {
    for (int x = 0; x <= kW; ++x) {
      for (int y = 0; y <= kH; ++y) {
        const COLORREF p = GetPixel(dc, x, y), q = GetPixel(dc, x + 1, y + 1);
        int out[3];
        for (int i = 0; i < 3; ++i)
          out[i] = static_cast<int>(std::fabs(Channel(p, 8 * i) - Channel(q, 8 * i) + 128.0));
        SetPixel(dc, x, y, RGB(out[0] & 0xFF, out[1] & 0xFF, out[2] & 0xFF));
      }
    }
  }
}

void BM_BlurDirectGetSetPixel(benchmark::State& state) {
  HDC dc = SharedPicture().dc();
  for (auto _ : state) {
    for (int x = 0; x <= kW; ++x) {
      for (int y = 0; y <= kH; ++y) {
        double sum[3] = {0, 0, 0};
        for (int dx = -1; dx <= 1; ++dx)
          for (int dy = -1; dy <= 1; ++dy) {
            const COLORREF c = GetPixel(dc, x + dx, y + dy);
            for (int i = 0; i < 3; ++i) sum[i] += Channel(c, 8 * i);
          }
        SetPixel(dc, x, y,
                 RGB(static_cast<int>(sum[0] / 10) & 0xFF, static_cast<int>(sum[1] / 10) & 0xFF,
                     static_cast<int>(sum[2] / 10) & 0xFF));
      }
    }
  }
}

void BM_EmbossPass(benchmark::State& state) {
  PassThroughFilterCode(state, app::FilterKind::kEmboss);
}
void BM_BlurPass(benchmark::State& state) {
  PassThroughFilterCode(state, app::FilterKind::kBlur);
}
void BM_EmbossPassOverMemory(benchmark::State& state) {
  PassOverMemory(state, app::FilterKind::kEmboss);
}

BENCHMARK(BM_EmbossPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmbossDirectGetSetPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlurPass)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlurDirectGetSetPixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmbossPassOverMemory)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nOne pass over %dx%d (best CPU time of each, same run):\n", kW, kH);
  const char* pairs[][2] = {{"BM_EmbossPass", "BM_EmbossDirectGetSetPixel"},
                            {"BM_BlurPass", "BM_BlurDirectGetSetPixel"}};
  for (const auto& pair : pairs) {
    const double a = reporter.Seconds(pair[0]), b = reporter.Seconds(pair[1]);
    if (a <= 0 || b <= 0) continue;
    std::printf(
        "  %-14s %8.2f ms per pass; direct GetPixel/SetPixel loop %8.2f ms; ratio %.3f "
        "(target <= 1.5)\n",
        pair[0], a * 1e3, b * 1e3, a / b);
  }
  if (const double m = reporter.Seconds("BM_EmbossPassOverMemory"); m > 0)
    std::printf("  Emboss over memory %8.2f ms per pass, for scale\n", m * 1e3);
  benchmark::Shutdown();
  return 0;
}
