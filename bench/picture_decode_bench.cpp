// Picture decoding speed and memory, each against a reference measured in the same run:
//  - a 12-megapixel JPEG (made here with TurboJPEG at quality 90, 4:2:0) decoded by us vs
//    TurboJPEG's tjDecompress2 into bottom-up B,G,R (target: at most 1.15x its time);
//  - a 4000x3000 24-bit BMP decoded by us vs memcpy of its pixel bytes;
//  - the heap high-water mark of our JPEG decode relative to the decoded pixels (target:
//    at most 1.2x).
// Both sides of each pair get a fresh output block per run, as a caller would.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pictures/DecodedPicture.h"
#include "pictures/decoders/BmpDecoder.h"
#include "pictures/decoders/JpegDecoder.h"
#include "runtime/memory/RuntimeHeap.h"

// Heap accounting: every allocation in the process passes through these while a
// measurement is on, so libjpeg's own work memory counts as well as the pixel block.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long long> g_current{0};
std::atomic<long long> g_peak{0};

void Count(long long delta) {
  if (!g_counting.load(std::memory_order_relaxed)) return;
  long long now = g_current.fetch_add(delta) + delta;
  long long peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
}

}  // namespace

extern "C" {
void* malloc(size_t n) noexcept {
  void* p = __libc_malloc(n);
  if (p != nullptr) Count(static_cast<long long>(malloc_usable_size(p)));
  return p;
}
void* calloc(size_t n, size_t m) noexcept {
  void* p = __libc_calloc(n, m);
  if (p != nullptr) Count(static_cast<long long>(malloc_usable_size(p)));
  return p;
}
void* realloc(void* old, size_t n) noexcept {
  const long long before = old != nullptr ? static_cast<long long>(malloc_usable_size(old)) : 0;
  void* p = __libc_realloc(old, n);
  if (p != nullptr) Count(static_cast<long long>(malloc_usable_size(p)) - before);
  return p;
}
void free(void* p) noexcept {
  if (p != nullptr) Count(-static_cast<long long>(malloc_usable_size(p)));
  __libc_free(p);
}
void* memalign(size_t alignment, size_t n) noexcept {
  void* p = __libc_memalign(alignment, n);
  if (p != nullptr) Count(static_cast<long long>(malloc_usable_size(p)));
  return p;
}
void* aligned_alloc(size_t alignment, size_t n) noexcept {
  return memalign(alignment, n);
}
int posix_memalign(void** out, size_t alignment, size_t n) noexcept {
  void* p = memalign(alignment, n);
  if (p == nullptr) return 12;  // ENOMEM
  *out = p;
  return 0;
}
}

namespace {

constexpr int kJpegWidth = 4000, kJpegHeight = 3000;
constexpr int kBmpWidth = 4000, kBmpHeight = 3000;

// A photograph-like picture: smooth gradients with fine texture, so the entropy coder has
// realistic work to do.
std::vector<uint8_t> SyntheticRgb(int width, int height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int n = static_cast<int>(noise >> 28) - 8;
      uint8_t* p = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
      p[0] = static_cast<uint8_t>(std::clamp(x * 255 / width + n, 0, 255));
      p[1] = static_cast<uint8_t>(std::clamp(y * 255 / height + n, 0, 255));
      p[2] = static_cast<uint8_t>(std::clamp(((x / 7) ^ (y / 5)) % 256 + n, 0, 255));
    }
  }
  return rgb;
}

const std::vector<uint8_t>& Jpeg() {
  static const std::vector<uint8_t> jpeg = [] {
    std::vector<uint8_t> rgb = SyntheticRgb(kJpegWidth, kJpegHeight);
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(tj, rgb.data(), kJpegWidth, 0, kJpegHeight, TJPF_RGB, &out, &size, TJSAMP_420,
                    90, 0) != 0) {
      std::fprintf(stderr, "tjCompress2: %s\n", tjGetErrorStr2(tj));
      std::abort();
    }
    std::vector<uint8_t> bytes(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return bytes;
  }();
  return jpeg;
}

const std::vector<uint8_t>& Bmp() {
  static const std::vector<uint8_t> bmp = [] {
    const size_t rowBytes = static_cast<size_t>(kBmpWidth) * 3;  // already a multiple of 4
    std::vector<uint8_t> f(54);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(f.data() + at, &v, 4); };
    f[0] = 'B';
    f[1] = 'M';
    put32(10, 54);
    put32(14, 40);
    put32(18, kBmpWidth);
    put32(22, kBmpHeight);
    f[26] = 1;
    f[28] = 24;
    std::vector<uint8_t> rgb = SyntheticRgb(kBmpWidth, kBmpHeight);
    f.insert(f.end(), rgb.begin(), rgb.end());
    put32(2, static_cast<uint32_t>(54 + rowBytes * kBmpHeight));
    return f;
  }();
  return bmp;
}

void DecodeOursJpeg() {
  pic::DecodedPicture record;
  if (!pic::DecodeJpeg(Jpeg().data(), Jpeg().size(), &record)) std::abort();
  benchmark::DoNotOptimize(record.pixels);
  rt::FreeMem(record.pixels);
}

void DecodeTurboJpeg(tjhandle tj) {
  const size_t bytes = static_cast<size_t>(kJpegWidth) * kJpegHeight * 3;
  auto* out = static_cast<uint8_t*>(std::malloc(bytes));
  if (tjDecompress2(tj, Jpeg().data(), static_cast<unsigned long>(Jpeg().size()), out, kJpegWidth,
                    0, kJpegHeight, TJPF_BGR, TJFLAG_BOTTOMUP) != 0) {
    std::abort();
  }
  benchmark::DoNotOptimize(out);
  std::free(out);
}

void DecodeOursBmp() {
  pic::DecodedPicture record;
  if (!pic::DecodeBmp(Bmp().data(), Bmp().size(), &record)) std::abort();
  benchmark::DoNotOptimize(record.pixels);
  rt::FreeMem(record.pixels);
}

void CopyBmpPixels() {
  const size_t bytes = Bmp().size() - 54;
  auto* out = static_cast<uint8_t*>(std::malloc(bytes));
  std::memcpy(out, Bmp().data() + 54, bytes);
  benchmark::DoNotOptimize(out);
  benchmark::ClobberMemory();
  std::free(out);
}

void BM_Jpeg12MpOurs(benchmark::State& state) {
  for (auto _ : state) DecodeOursJpeg();
}
void BM_Jpeg12MpTurboJpeg(benchmark::State& state) {
  tjhandle tj = tjInitDecompress();
  for (auto _ : state) DecodeTurboJpeg(tj);
  tjDestroy(tj);
}
void BM_Bmp24Ours(benchmark::State& state) {
  for (auto _ : state) DecodeOursBmp();
}
void BM_Bmp24Memcpy(benchmark::State& state) {
  for (auto _ : state) CopyBmpPixels();
}
BENCHMARK(BM_Jpeg12MpOurs)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Jpeg12MpTurboJpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Bmp24Ours)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Bmp24Memcpy)->Unit(benchmark::kMillisecond)->MinTime(1.0);

template <typename F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Alternating runs, median of each side, so that both see the same machine load.
template <typename A, typename B>
double MedianRatio(int rounds, A&& ours, B&& reference, double* oursMs, double* referenceMs) {
  std::vector<double> a, b;
  for (int i = 0; i < rounds; ++i) {
    a.push_back(Seconds(ours));
    b.push_back(Seconds(reference));
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  *oursMs = a[a.size() / 2] * 1e3;
  *referenceMs = b[b.size() / 2] * 1e3;
  return a[a.size() / 2] / b[b.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Jpeg();
  Bmp();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  tjhandle tj = tjInitDecompress();
  double ours = 0, reference = 0;
  const double jpegRatio = MedianRatio(
      15, DecodeOursJpeg, [&] { DecodeTurboJpeg(tj); }, &ours, &reference);
  tjDestroy(tj);
  std::printf(
      "\nJPEG %dx%d (%zu bytes, q90 4:2:0): ours %.2f ms, tjDecompress2 %.2f ms, ratio %.3f "
      "(target <= 1.15)\n",
      kJpegWidth, kJpegHeight, Jpeg().size(), ours, reference, jpegRatio);
  const double bmpRatio = MedianRatio(15, DecodeOursBmp, CopyBmpPixels, &ours, &reference);
  std::printf("BMP %dx%d 24-bit: ours %.2f ms, memcpy of the pixel bytes %.2f ms, ratio %.3f\n",
              kBmpWidth, kBmpHeight, ours, reference, bmpRatio);

  g_current = 0;
  g_peak = 0;
  g_counting = true;
  DecodeOursJpeg();
  g_counting = false;
  const double pixels = static_cast<double>(kJpegWidth) * kJpegHeight * 3;
  std::printf(
      "JPEG decode heap high-water mark: %lld bytes = %.3f x the decoded pixels (target <= 1.2)\n",
      g_peak.load(), static_cast<double>(g_peak.load()) / pixels);
  return 0;
}
