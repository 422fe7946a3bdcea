// The drawing service against references measured in the same run:
//   - BitBlt SRCCOPY of 1920x1080 32-bit pixels against memcpy of the same bytes;
//   - HALFTONE StretchBlt of 4000x3000 to 1096x515 against pixman's separable box filter at
//     the same scale, and against one pass that reads every source pixel and sums its
//     channels (the memory floor); the same stretch from 24-bit rows with StretchDIBits;
//   - GetPixel + SetPixel through function pointers over a 1100x600 bitmap against a direct
//     loop over the same pixels (and, for scale, against that loop locking each access);
//   - the longest single GetPixel on a DC that two other threads blit into back to back
//     (one surface lock shared by three threads: a fair lock keeps it short).
// After the runs a summary prints each ratio (best CPU time of each).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "platform/gdi/SurfaceMutex.h"
#include "platform/wingdi.h"

namespace {

// A memory DC over a top-down 32-bit DIB section whose bits the references use directly.
class Bitmap32 {
 public:
  Bitmap32(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Bitmap32() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Bitmap32(const Bitmap32&) = delete;
  Bitmap32& operator=(const Bitmap32&) = delete;

  bool ok() const { return bits_ != nullptr; }
  HDC dc() const { return dc_; }
  uint32_t* bits() const { return bits_; }
  int width() const { return width_; }
  int height() const { return height_; }
  size_t bytes() const { return static_cast<size_t>(width_) * height_ * 4; }

  // A deterministic picture with detail at every scale.
  void FillPattern(uint32_t seed) {
    uint32_t state = seed;
    for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i) {
      state = state * 1664525u + 1013904223u;
      bits_[i] = (state >> 8) & 0x00FFFFFF;
    }
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

constexpr int kScreenW = 1920, kScreenH = 1080;
constexpr int kPhotoW = 4000, kPhotoH = 3000;
constexpr int kThumbW = 1096, kThumbH = 515;
constexpr int kPixelsW = 1100, kPixelsH = 600;

Bitmap32& Screen(int which) {
  static Bitmap32 a(kScreenW, kScreenH), b(kScreenW, kScreenH);
  static bool filled = [] {
    a.FillPattern(1);
    return true;
  }();
  (void)filled;
  return which == 0 ? a : b;
}

Bitmap32& Photo() {
  static Bitmap32 photo(kPhotoW, kPhotoH);
  static bool filled = [] {
    photo.FillPattern(2);
    return true;
  }();
  (void)filled;
  return photo;
}

void BM_Memcpy1080p(benchmark::State& state) {
  Bitmap32& src = Screen(0);
  Bitmap32& dst = Screen(1);
  for (auto _ : state) {
    std::memcpy(dst.bits(), src.bits(), src.bytes());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(src.bytes()));
}

void BM_BitBltSrcCopy1080p(benchmark::State& state) {
  Bitmap32& src = Screen(0);
  Bitmap32& dst = Screen(1);
  for (auto _ : state) {
    BOOL ok = BitBlt(dst.dc(), 0, 0, kScreenW, kScreenH, src.dc(), 0, 0, SRCCOPY);
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(src.bytes()));
}

void BM_HalftoneStretch(benchmark::State& state) {
  Bitmap32& src = Photo();
  Bitmap32 dst(kThumbW, kThumbH);
  SetStretchBltMode(dst.dc(), HALFTONE);
  for (auto _ : state) {
    BOOL ok =
        StretchBlt(dst.dc(), 0, 0, kThumbW, kThumbH, src.dc(), 0, 0, kPhotoW, kPhotoH, SRCCOPY);
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
}

// The same photo as 24-bit rows (a decoded JPEG's layout), stretched with StretchDIBits
// straight from those rows, as the picture box shows a photo.
void BM_HalftoneStretchDib24(benchmark::State& state) {
  Bitmap32& src = Photo();
  static const std::vector<uint8_t> rows = [&] {
    std::vector<uint8_t> r(static_cast<size_t>(kPhotoW) * kPhotoH * 3);
    for (size_t i = 0; i < static_cast<size_t>(kPhotoW) * kPhotoH; ++i)
      std::memcpy(&r[3 * i], &src.bits()[i], 3);
    return r;
  }();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kPhotoW;
  info.bmiHeader.biHeight = -kPhotoH;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  Bitmap32 dst(kThumbW, kThumbH);
  SetStretchBltMode(dst.dc(), HALFTONE);
  for (auto _ : state) {
    int lines = StretchDIBits(dst.dc(), 0, 0, kThumbW, kThumbH, 0, 0, kPhotoW, kPhotoH, rows.data(),
                              &info, DIB_RGB_COLORS, SRCCOPY);
    benchmark::DoNotOptimize(lines);
    benchmark::ClobberMemory();
  }
}

// pixman's downscaling with box kernels for both reconstruction and sampling.
struct PixmanScale {
  pixman_image_t* src = nullptr;
  pixman_image_t* dst = nullptr;
  std::vector<uint32_t> out;

  PixmanScale(Bitmap32& from, int width, int height) : out(static_cast<size_t>(width) * height) {
    src = pixman_image_create_bits(PIXMAN_x8r8g8b8, from.width(), from.height(), from.bits(),
                                   from.width() * 4);
    dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, width, height, out.data(), width * 4);
    const double sx = static_cast<double>(from.width()) / width;
    const double sy = static_cast<double>(from.height()) / height;
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy));
    pixman_image_set_transform(src, &transform);
    int count = 0;
    pixman_fixed_t* params = pixman_filter_create_separable_convolution(
        &count, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy), PIXMAN_KERNEL_BOX,
        PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 4, 4);
    pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
    free(params);
  }
  ~PixmanScale() {
    pixman_image_unref(src);
    pixman_image_unref(dst);
  }
  void Run() {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0,
                             pixman_image_get_width(dst), pixman_image_get_height(dst));
  }
};

void BM_PixmanBoxScale(benchmark::State& state) {
  PixmanScale scale(Photo(), kThumbW, kThumbH);
  for (auto _ : state) {
    scale.Run();
    benchmark::ClobberMemory();
  }
}

// The floor for any area average: every source pixel read once, its channels summed.
void BM_ReadAndSumEverySourcePixel(benchmark::State& state) {
  Bitmap32& src = Photo();
  const size_t n = static_cast<size_t>(src.width()) * src.height();
  for (auto _ : state) {
    uint64_t sum = 0;
    const uint32_t* p = src.bits();
    for (size_t i = 0; i < n; ++i)
      sum += (p[i] & 0xFF) + ((p[i] >> 8) & 0xFF) + ((p[i] >> 16) & 0xFF);
    benchmark::DoNotOptimize(sum);
  }
}

// What the picture filters do per pixel: read it, change it, write it back.
using GetPixelFn = COLORREF (*)(HDC, int, int);
using SetPixelFn = COLORREF (*)(HDC, int, int, COLORREF);
GetPixelFn volatile gGetPixel = &GetPixel;
SetPixelFn volatile gSetPixel = &SetPixel;

Bitmap32& PixelPicture() {
  static Bitmap32 picture(kPixelsW, kPixelsH);
  static bool filled = [] {
    picture.FillPattern(3);
    return true;
  }();
  (void)filled;
  return picture;
}

void BM_PixelsThroughGetSetPixel(benchmark::State& state) {
  Bitmap32& picture = PixelPicture();
  GetPixelFn get = gGetPixel;
  SetPixelFn set = gSetPixel;
  HDC dc = picture.dc();
  for (auto _ : state) {
    for (int y = 0; y < kPixelsH; ++y)
      for (int x = 0; x < kPixelsW; ++x) set(dc, x, y, get(dc, x, y) ^ 0x00FFFFFF);
    benchmark::ClobberMemory();
  }
}

void BM_PixelsDirectLoop(benchmark::State& state) {
  Bitmap32& picture = PixelPicture();
  for (auto _ : state) {
    for (int y = 0; y < kPixelsH; ++y) {
      uint32_t* row = picture.bits() + static_cast<size_t>(y) * kPixelsW;
      for (int x = 0; x < kPixelsW; ++x) {
        const uint32_t v = row[x];
        COLORREF c = ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
        c ^= 0x00FFFFFF;
        row[x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
      }
    }
    benchmark::ClobberMemory();
  }
}

// The direct loop kept to one pixel per step, as any per-pixel interface must work: the
// compiler vectorises the plain loop above, which no call per pixel can match. Shown
// beside the ratio for scale, not instead of it.
#if defined(__clang__)
#define VELMORA_NO_VECTORIZE
#define VELMORA_NO_VECTORIZE_LOOP _Pragma("clang loop vectorize(disable) interleave(disable)")
#else
#define VELMORA_NO_VECTORIZE __attribute__((optimize("no-tree-vectorize")))
#define VELMORA_NO_VECTORIZE_LOOP
#endif
VELMORA_NO_VECTORIZE void BM_PixelsDirectLoopOnePixelPerStep(benchmark::State& state) {
  Bitmap32& picture = PixelPicture();
  for (auto _ : state) {
    for (int y = 0; y < kPixelsH; ++y) {
      uint32_t* row = picture.bits() + static_cast<size_t>(y) * kPixelsW;
      VELMORA_NO_VECTORIZE_LOOP
      for (int x = 0; x < kPixelsW; ++x) {
        const uint32_t v = row[x];
        COLORREF c = ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
        c ^= 0x00FFFFFF;
        row[x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
      }
    }
    benchmark::ClobberMemory();
  }
}

// The direct loop again, taking and releasing the surface lock around each read and each
// write as GetPixel and SetPixel must: the least that any per-pixel call with per-surface
// locking can cost, shown beside the ratio.
void BM_PixelsDirectLoopLockingEachAccess(benchmark::State& state) {
  Bitmap32& picture = PixelPicture();
  static platform::gdi::SurfaceMutex lock;
  for (auto _ : state) {
    for (int y = 0; y < kPixelsH; ++y) {
      uint32_t* row = picture.bits() + static_cast<size_t>(y) * kPixelsW;
      for (int x = 0; x < kPixelsW; ++x) {
        uint32_t v;
        {
          std::lock_guard guard(lock);
          v = row[x];
        }
        COLORREF c = ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
        c ^= 0x00FFFFFF;
        std::lock_guard guard(lock);
        row[x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
      }
    }
    benchmark::ClobberMemory();
  }
}

// Two threads blit squares of the given side into one 1100x600 DC back to back while this
// thread reads pixels of the same DC for two seconds; the counters give the longest single
// GetPixel and how much each side got done.
void BM_GetPixelWhileTwoThreadsBlit(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  Bitmap32& target = PixelPicture();
  const int side = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::atomic<bool> stop{false};
    std::atomic<int64_t> blits{0};
    std::vector<std::thread> blitters;
    for (int t = 0; t < 2; ++t) {
      blitters.emplace_back([&, t] {
        Bitmap32 source(kPixelsW, kPixelsH);
        source.FillPattern(10 + t);
        while (!stop.load(std::memory_order_relaxed)) {
          BitBlt(target.dc(), 0, 0, side, side, source.dc(), 0, 0, SRCCOPY);
          blits.fetch_add(1, std::memory_order_relaxed);
        }
      });
    }
    // Both blitters under way before the clock starts.
    while (blits.load() < 2) std::this_thread::yield();
    const Clock::time_point end = Clock::now() + std::chrono::seconds(2);
    Clock::duration longest{};
    int64_t reads = 0;
    uint32_t sum = 0;
    for (Clock::time_point now = Clock::now(); now < end;) {
      const int x = static_cast<int>(reads % kPixelsW),
                y = static_cast<int>((reads / kPixelsW) % kPixelsH);
      sum += GetPixel(target.dc(), x, y);
      const Clock::time_point after = Clock::now();
      longest = std::max(longest, after - now);
      now = after;
      ++reads;
    }
    stop = true;
    for (auto& thread : blitters) thread.join();
    benchmark::DoNotOptimize(sum);
    state.counters["longest_ms"] = std::chrono::duration<double, std::milli>(longest).count();
    state.counters["reads"] = static_cast<double>(reads);
    state.counters["blits"] = static_cast<double>(blits.load());
  }
}

BENCHMARK(BM_Memcpy1080p)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_BitBltSrcCopy1080p)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_ReadAndSumEverySourcePixel)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_HalftoneStretch)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_HalftoneStretchDib24)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_PixmanBoxScale)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_PixelsDirectLoop)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_PixelsDirectLoopOnePixelPerStep)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(BM_PixelsDirectLoopLockingEachAccess)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_PixelsThroughGetSetPixel)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_GetPixelWhileTwoThreadsBlit)
    ->Arg(32)
    ->Arg(256)
    ->Arg(600)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// Prints as usual and keeps the best CPU time per iteration of every benchmark.
class RatioReporter : public BestTimeReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    BestTimeReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.benchmark_name().rfind("BM_GetPixelWhileTwoThreadsBlit", 0) != 0) continue;
      if (auto it = run.counters.find("longest_ms"); it != run.counters.end())
        longestGetPixelMs_ = it->second;
    }
  }

  void PrintRatios() const {
    std::printf("\nRatios (best CPU time of each, same run):\n");
    // Speed is the inverse of time: memcpy's time over BitBlt's.
    Ratio("BitBlt SRCCOPY 1920x1080 speed / memcpy speed", "BM_Memcpy1080p",
          "BM_BitBltSrcCopy1080p", "target >= 0.5");
    Ratio("HALFTONE 4000x3000->1096x515 time / pixman box time", "BM_HalftoneStretch",
          "BM_PixmanBoxScale", "target <= 0.3");
    Ratio("HALFTONE time / read-every-pixel floor", "BM_HalftoneStretch",
          "BM_ReadAndSumEverySourcePixel", "target <= 3");
    Ratio("HALFTONE from 24-bit rows time / pixman box time", "BM_HalftoneStretchDib24",
          "BM_PixmanBoxScale", "for scale");
    Ratio("GetPixel+SetPixel time / direct loop time", "BM_PixelsThroughGetSetPixel",
          "BM_PixelsDirectLoop", "target <= 4");
    Ratio("GetPixel+SetPixel time / direct loop one pixel per step", "BM_PixelsThroughGetSetPixel",
          "BM_PixelsDirectLoopOnePixelPerStep", "for scale");
    Ratio("GetPixel+SetPixel time / direct loop with a lock per access",
          "BM_PixelsThroughGetSetPixel", "BM_PixelsDirectLoopLockingEachAccess",
          "the locking floor");
    if (longestGetPixelMs_ >= 0) {
      std::printf("  %-58s %8.3f ms  (target <= 50 ms)\n",
                  "longest GetPixel while two threads blit", longestGetPixelMs_);
    }
  }

 private:
  void Ratio(const char* what, const std::string& a, const std::string& b,
             const char* target) const {
    double ta = Seconds(a), tb = Seconds(b);
    if (ta <= 0 || tb <= 0) return;
    std::printf("  %-58s %8.3f  (%s)\n      %s %.3f ms, %s %.3f ms\n", what, ta / tb, target,
                a.c_str(), ta * 1e3, b.c_str(), tb * 1e3);
  }

  double longestGetPixelMs_ = -1;
};

// How far apart the two downscalers' pictures are, so the times compare like with like.
void PrintHalftoneAgreement() {
  Bitmap32& src = Photo();
  Bitmap32 ours(kThumbW, kThumbH);
  SetStretchBltMode(ours.dc(), HALFTONE);
  StretchBlt(ours.dc(), 0, 0, kThumbW, kThumbH, src.dc(), 0, 0, kPhotoW, kPhotoH, SRCCOPY);
  PixmanScale scale(src, kThumbW, kThumbH);
  scale.Run();
  double total = 0;
  int worst = 0;
  const size_t n = static_cast<size_t>(kThumbW) * kThumbH;
  for (size_t i = 0; i < n; ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      int d = std::abs(static_cast<int>((ours.bits()[i] >> shift) & 0xFF) -
                       static_cast<int>((scale.out[i] >> shift) & 0xFF));
      total += d;
      worst = std::max(worst, d);
    }
  }
  std::printf("HALFTONE vs pixman box filter: mean channel difference %.3f, largest %d\n",
              total / (3.0 * n), worst);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!Screen(0).ok() || !Photo().ok() || !PixelPicture().ok()) {
    std::fprintf(stderr, "could not create the benchmark bitmaps\n");
    return 1;
  }
  PrintHalftoneAgreement();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
