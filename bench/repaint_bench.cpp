// A full repaint of a 1185x701 top-level window with ten child windows, headless: frame,
// background and client of every window painted again through RedrawWindow with
// RDW_UPDATENOW, against memcpy of the window's surface bytes (1185 x 701 x 4) as a
// yardstick. After the runs a summary prints the ratio (best CPU time of each).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace {

constexpr int kWidth = 1185;
constexpr int kHeight = 701;
constexpr int kChildren = 10;

// Paints seen, so that the run can show each repaint really reached every window.
int g_childPaints = 0;
int g_mainPaints = 0;
int g_framePaints = 0;

// Each child fills its client area, draws a frame of lines and a label, as a panel would.
LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      ++g_childPaints;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client;
      GetClientRect(window, &client);
      auto colour = static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA));
      HBRUSH brush = CreateSolidBrush(colour);
      FillRect(dc, &client, brush);
      DeleteObject(brush);
      MoveToEx(dc, 0, 0, nullptr);
      LineTo(dc, client.right - 1, client.bottom - 1);
      MoveToEx(dc, client.right - 1, 0, nullptr);
      LineTo(dc, 0, client.bottom - 1);
      SetBkMode(dc, TRANSPARENT);
      const char label[] = "Panel 123 ABC";
      TextOutA(dc, 8, 8, label, static_cast<int>(sizeof(label) - 1));
      EndPaint(window, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCPAINT:
      ++g_framePaints;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT: {
      ++g_mainPaints;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      MoveToEx(dc, 0, 0, nullptr);
      LineTo(dc, 200, 0);
      EndPaint(window, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

class Scene {
 public:
  Scene() {
    WNDCLASSA main{};
    main.lpfnWndProc = MainProc;
    main.lpszClassName = "RepaintBenchMain";
    RegisterClassA(&main);
    WNDCLASSA child{};
    child.lpfnWndProc = ChildProc;
    child.lpszClassName = "RepaintBenchChild";
    RegisterClassA(&child);
    top_ = CreateWindowExA(0, "RepaintBenchMain", "Repaint",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20, kWidth,
                           kHeight, nullptr, nullptr, nullptr, nullptr);
    RECT client{};
    GetClientRect(top_, &client);
    // Two rows of five panels with gaps between them.
    const int cellW = client.right / 5, cellH = client.bottom / 2;
    for (int i = 0; i < kChildren; ++i) {
      HWND panel = CreateWindowExA(
          0, "RepaintBenchChild", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, (i % 5) * cellW + 4,
          (i / 5) * cellH + 4, cellW - 8, cellH - 8, top_, nullptr, nullptr, nullptr);
      SetWindowLongPtrA(panel, GWLP_USERDATA,
                        static_cast<LONG_PTR>(RGB(40 + i * 20, 120, 200 - i * 15)));
    }
    platform::testing::RunUntilIdle();
  }
  ~Scene() { DestroyWindow(top_); }
  HWND top() const { return top_; }
  bool ok() const { return top_ != nullptr; }

 private:
  HWND top_ = nullptr;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_FullRepaint(benchmark::State& state) {
  HWND top = TheScene().top();
  for (auto _ : state) {
    RedrawWindow(top, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void BM_MemcpySurface(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(kWidth) * kHeight * 4;
  std::vector<unsigned char> from(bytes, 0x5A), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpySurface)->Unit(benchmark::kMicrosecond)->Repetitions(3);

class RatioReporter : public BestTimeReporter {
 public:
  void PrintRatio() const {
    const double repaint = Seconds("BM_FullRepaint"), copy = Seconds("BM_MemcpySurface");
    if (repaint <= 0 || copy <= 0) return;
    std::printf(
        "\nfull repaint of %dx%d with %d children / memcpy of its surface: %.1f\n"
        "    repaint %.3f ms, memcpy %.3f ms\n",
        kWidth, kHeight, kChildren, repaint / copy, repaint * 1e3, copy * 1e3);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!TheScene().ok()) {
    std::fprintf(stderr, "could not create the benchmark windows\n");
    return 1;
  }
  g_childPaints = g_mainPaints = g_framePaints = 0;
  RedrawWindow(TheScene().top(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::printf("one repaint: %d frame, %d main and %d child paints\n", g_framePaints, g_mainPaints,
              g_childPaints);
  if (g_framePaints != 1 || g_mainPaints != 1 || g_childPaints != kChildren) {
    std::fprintf(stderr, "the repaint did not reach every window\n");
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
