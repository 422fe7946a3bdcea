// A posted message round trip against a yardstick measured in the same run:
//   - PostMessageA to a window, PeekMessageA (PM_REMOVE) or GetMessageA, DispatchMessageA
//     to a procedure that only counts, one message per iteration, headless;
//   - memcpy of a 1185x701 32-bit surface (the size of the program's main window).
// After the runs a summary prints how many round trips one surface copy is worth.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "platform/user32.h"

namespace {

constexpr int kSurfaceW = 1185, kSurfaceH = 701;
constexpr UINT kPing = WM_USER + 1;

uint64_t g_handled = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing) {
    g_handled += wParam;
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND BenchWindow() {
  static HWND window = [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = CountingProc;
    cls.lpszClassName = "MessageBenchWindow";
    RegisterClassA(&cls);
    HWND made = CreateWindowExA(0, "MessageBenchWindow", "", WS_POPUP, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    // Whatever creation queued is not part of the measurement.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return made;
  }();
  return window;
}

void BM_PostPeekDispatch(benchmark::State& state) {
  HWND window = BenchWindow();
  MSG msg;
  for (auto _ : state) {
    PostMessageA(window, kPing, 1, 0);
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      state.SkipWithError("posted message not found");
      break;
    }
    DispatchMessageA(&msg);
  }
  benchmark::DoNotOptimize(g_handled);
}
BENCHMARK(BM_PostPeekDispatch)->Repetitions(3);

void BM_PostGetDispatch(benchmark::State& state) {
  HWND window = BenchWindow();
  MSG msg;
  for (auto _ : state) {
    PostMessageA(window, kPing, 1, 0);
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
      state.SkipWithError("GetMessageA failed");
      break;
    }
    DispatchMessageA(&msg);
  }
  benchmark::DoNotOptimize(g_handled);
}
BENCHMARK(BM_PostGetDispatch)->Repetitions(3);

void BM_MemcpySurface(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(kSurfaceW) * kSurfaceH * 4;
  std::vector<unsigned char> from(bytes, 0x5A), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(to.data());
}
BENCHMARK(BM_MemcpySurface)->Repetitions(3);

class RatioReporter : public BestTimeReporter {
 public:
  void PrintRatios() const {
    const double copy = Seconds("BM_MemcpySurface");
    std::printf("\nPosted message round trip against memcpy of a %dx%d 32-bit surface:\n",
                kSurfaceW, kSurfaceH);
    for (const char* name : {"BM_PostPeekDispatch", "BM_PostGetDispatch"}) {
      const double trip = Seconds(name);
      if (trip <= 0 || copy <= 0) continue;
      std::printf("  %-22s %9.1f ns per message, %.5f of a surface copy (%.0f messages per copy)\n",
                  name, trip * 1e9, trip / copy, copy / trip);
    }
    if (copy > 0) std::printf("  %-22s %9.1f us\n", "surface memcpy", copy * 1e6);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (BenchWindow() == nullptr) {
    std::fprintf(stderr, "could not create the benchmark window\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  DestroyWindow(BenchWindow());
  benchmark::Shutdown();
  return 0;
}
