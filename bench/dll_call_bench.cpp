// What a bound DLL command costs per call: GetPixel on a memory bitmap, declared as the
// program declares it and called through CallDllCommand's cached path (index check, the
// argument-size check, the handle conversions), against the same export called through a
// plain function pointer. The filter pass makes one such call per pixel, so the ratio is
// what the declaration adds to a filter; the target is 1.5 at most.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/BestTimeReporter.h"
#include "platform/kernel32.h"
#include "platform/user32.h"
#include "platform/wingdi.h"
#include "runtime/RuntimeState.h"
#include "runtime/dll/DllCommand.h"

namespace {

constexpr int kSide = 64;

const char* const kModules[] = {"gdi32"};
const char* const kFunctions[] = {"GetPixel"};

struct PixelSource {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;

  PixelSource() {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, kSide, kSide);
    ReleaseDC(nullptr, screen);
    previous = SelectObject(dc, bitmap);
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) SetPixel(dc, x, y, RGB(x * 4, y * 4, 7));
    }
  }
  ~PixelSource() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

PixelSource& Source() {
  static PixelSource source;
  return source;
}

void BM_GetPixelThroughDllCommand(benchmark::State& state) {
  const rt::DllCommand<decltype(::GetPixel), int32_t, int32_t, int32_t> getPixel{0};
  const auto dc = static_cast<int32_t>(reinterpret_cast<intptr_t>(Source().dc));
  getPixel(dc, 0, 0);  // binds; every call below takes the cached path
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(getPixel(dc, i & (kSide - 1), (i >> 6) & (kSide - 1)));
    ++i;
  }
}
BENCHMARK(BM_GetPixelThroughDllCommand)->Repetitions(5);

void BM_GetPixelPlainPointer(benchmark::State& state) {
  // Read through a volatile so the call stays indirect, as a bound address is.
  COLORREF (*volatile pointer)(HDC, int, int) = &::GetPixel;
  const auto function = pointer;
  const HDC dc = Source().dc;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(function(dc, i & (kSide - 1), (i >> 6) & (kSide - 1)));
    ++i;
  }
}
BENCHMARK(BM_GetPixelPlainPointer)->Repetitions(5);

class RatioReporter : public BestTimeReporter {
 public:
  void PrintRatios() const {
    const double plain = Seconds("BM_GetPixelPlainPointer");
    const double bound = Seconds("BM_GetPixelThroughDllCommand");
    if (plain <= 0 || bound <= 0) return;
    std::printf("\nGetPixel on a %dx%d memory bitmap, best of the repetitions:\n", kSide, kSide);
    std::printf("  plain function pointer      %7.1f ns per call\n", plain * 1e9);
    std::printf("  bound DLL command (cached)  %7.1f ns per call\n", bound * 1e9);
    std::printf("  ratio                       %7.3f (target 1.5 at most)\n", bound / plain);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  rt::ImageHeader header{};
  header.dllCommandCount = 1;
  header.dllModuleNames = kModules;
  header.dllFunctionNames = kFunctions;
  rt::InitRuntime(&header);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  rt::EndProgram(0);
  benchmark::Shutdown();
  return 0;
}
