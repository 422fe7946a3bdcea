// Drawing on a window against drawing on a memory bitmap of the same size, headless:
//   - 10,000 short TextOutA calls on a GetDC of a still 1185x701 top-level window against
//     the same calls on a memory DC with a 1185x701 bitmap selected;
//   - 1,000 BitBlt SRCCOPY of 32x32 from a memory DC onto each of the two.
// A window DC costs what the memory DC costs plus the check that the window has not moved
// and the note of what changed for the presenter. After the runs a summary prints each
// ratio (best CPU time of each).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/BestTimeReporter.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace {

constexpr int kWidth = 1185;
constexpr int kHeight = 701;
constexpr int kTextCalls = 10000;
constexpr int kBlitCalls = 1000;
constexpr int kTile = 32;

class Targets {
 public:
  Targets() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.lpszClassName = "WindowDrawingBench";
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassA(&cls);
    window_ = CreateWindowExA(0, "WindowDrawingBench", "Drawing", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              20, 20, kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
    platform::testing::RunUntilIdle();
    windowDc_ = GetDC(window_);
    memoryDc_ = CreateCompatibleDC(windowDc_);
    memoryBitmap_ = CreateCompatibleBitmap(windowDc_, kWidth, kHeight);
    SelectObject(memoryDc_, memoryBitmap_);
    tileDc_ = CreateCompatibleDC(windowDc_);
    tileBitmap_ = CreateCompatibleBitmap(windowDc_, kTile, kTile);
    SelectObject(tileDc_, tileBitmap_);
    RECT all{0, 0, kTile, kTile};
    HBRUSH brush = CreateSolidBrush(RGB(200, 60, 30));
    FillRect(tileDc_, &all, brush);
    DeleteObject(brush);
    for (HDC dc : {windowDc_, memoryDc_}) SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  }
  ~Targets() {
    DeleteDC(tileDc_);
    DeleteObject(tileBitmap_);
    DeleteDC(memoryDc_);
    DeleteObject(memoryBitmap_);
    ReleaseDC(window_, windowDc_);
    DestroyWindow(window_);
  }
  bool ok() const { return windowDc_ != nullptr && memoryDc_ != nullptr && tileDc_ != nullptr; }
  HDC window() const { return windowDc_; }
  HDC memory() const { return memoryDc_; }
  HDC tile() const { return tileDc_; }

 private:
  HWND window_ = nullptr;
  HDC windowDc_ = nullptr;
  HDC memoryDc_ = nullptr;
  HBITMAP memoryBitmap_ = nullptr;
  HDC tileDc_ = nullptr;
  HBITMAP tileBitmap_ = nullptr;
};

Targets& TheTargets() {
  static Targets targets;
  return targets;
}

// Labels spread over the client area, as a status line or a list would draw them.
void DrawLabels(HDC dc) {
  static const char kLabel[] = "Item 42";
  for (int i = 0; i < kTextCalls; ++i) {
    TextOutA(dc, (i * 37) % (kWidth - 80), 30 + (i * 13) % (kHeight - 60), kLabel,
             static_cast<int>(sizeof(kLabel) - 1));
  }
}

void DrawTiles(HDC dc, HDC tile) {
  for (int i = 0; i < kBlitCalls; ++i) {
    BitBlt(dc, (i * 53) % (kWidth - kTile), (i * 29) % (kHeight - kTile), kTile, kTile, tile, 0, 0,
           SRCCOPY);
  }
}

void BM_TextOutWindowDC(benchmark::State& state) {
  for (auto _ : state) DrawLabels(TheTargets().window());
}
void BM_TextOutMemoryDC(benchmark::State& state) {
  for (auto _ : state) DrawLabels(TheTargets().memory());
}
void BM_BitBlt32WindowDC(benchmark::State& state) {
  for (auto _ : state) DrawTiles(TheTargets().window(), TheTargets().tile());
}
void BM_BitBlt32MemoryDC(benchmark::State& state) {
  for (auto _ : state) DrawTiles(TheTargets().memory(), TheTargets().tile());
}

BENCHMARK(BM_TextOutMemoryDC)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_TextOutWindowDC)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_BitBlt32MemoryDC)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_BitBlt32WindowDC)->Unit(benchmark::kMillisecond)->Repetitions(3);

class RatioReporter : public BestTimeReporter {
 public:
  void PrintRatios() const {
    std::printf("\nRatios (best CPU time of each, same run):\n");
    Ratio("10,000 TextOutA: window DC / memory DC", "BM_TextOutWindowDC", "BM_TextOutMemoryDC");
    Ratio("1,000 BitBlt 32x32: window DC / memory DC", "BM_BitBlt32WindowDC",
          "BM_BitBlt32MemoryDC");
  }

 private:
  void Ratio(const char* what, const std::string& a, const std::string& b) const {
    const double ta = Seconds(a), tb = Seconds(b);
    if (ta <= 0 || tb <= 0) return;
    std::printf("  %-44s %6.3f  (target <= 1.3)\n      %s %.3f ms, %s %.3f ms\n", what, ta / tb,
                a.c_str(), ta * 1e3, b.c_str(), tb * 1e3);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!TheTargets().ok()) {
    std::fprintf(stderr, "could not create the window and bitmaps to draw on\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
