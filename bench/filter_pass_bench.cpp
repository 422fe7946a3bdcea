// Every filter's pass over a bitmap the size of the filter window's picture box, as the
// program makes it (each pixel read and written through the declared GetPixel and SetPixel
// commands, bound and cached), against the floor of the same method: the same loop of the
// same reads and writes calling the platform's GetPixel and SetPixel directly. Both run the
// one templated pass, so the only difference is the per-pixel call path. The picture is
// put back before each pass, outside the timing, so every pass starts from the same pixels.
// A summary prints each ratio and the time per pass that a user waits for.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/filters/DllPixelSurface.h"
#include "app/filters/FilterPass.h"
#include "app/filters/GdiPixelSurface.h"
#include "bench/BestTimeReporter.h"
#include "libraries/ProgramDllCommands.h"
#include "runtime/RuntimeState.h"

namespace {

// The client area of the filter window's picture box (1096 x 520 with a sunken border).
constexpr int kW = 1092;
constexpr int kH = 516;

class Picture {
 public:
  Picture() {
    HDC screen = GetDC(nullptr);
    work_ = CreateCompatibleDC(screen);
    original_ = CreateCompatibleDC(screen);
    workBitmap_ = CreateCompatibleBitmap(screen, kW, kH);
    originalBitmap_ = CreateCompatibleBitmap(screen, kW, kH);
    ReleaseDC(nullptr, screen);
    oldWork_ = SelectObject(work_, workBitmap_);
    oldOriginal_ = SelectObject(original_, originalBitmap_);
    // Smooth gradients with some texture, like a photo rather than a flat fill.
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        SetPixel(original_, x, y, RGB(x * 255 / kW, (x + 2 * y) % 256, (y * 255 / kH) ^ (x & 15)));
  }
  ~Picture() {
    SelectObject(work_, oldWork_);
    SelectObject(original_, oldOriginal_);
    DeleteObject(workBitmap_);
    DeleteObject(originalBitmap_);
    DeleteDC(work_);
    DeleteDC(original_);
  }
  void Restore() { BitBlt(work_, 0, 0, kW, kH, original_, 0, 0, SRCCOPY); }
  HDC dc() const { return work_; }

 private:
  HDC work_, original_;
  HBITMAP workBitmap_, originalBitmap_;
  HGDIOBJ oldWork_, oldOriginal_;
};

Picture& SharedPicture() {
  static Picture picture;
  return picture;
}

template <typename Surface>
void Pass(benchmark::State& state, app::FilterKind kind, Surface&& surface) {
  app::RuntimeRandom random;
  const app::ColumnDone columnDone = [](int32_t) { return true; };
  for (auto _ : state) {
    state.PauseTiming();
    SharedPicture().Restore();
    state.ResumeTiming();
    app::RunFilterPass(kind, surface, random, columnDone);
  }
}

void ThroughDllCommands(benchmark::State& state, app::FilterKind kind) {
  const auto dc = static_cast<int32_t>(reinterpret_cast<intptr_t>(SharedPicture().dc()));
  libs::dll::GetPixel(dc, 0, 0);  // bound before the timing, as after the program's first pass
  libs::dll::SetPixel(dc, kW, kH, 0);
  Pass(state, kind, app::DllPixelSurface(dc, kW, kH));
}

void DirectCalls(benchmark::State& state, app::FilterKind kind) {
  Pass(state, kind, app::GdiPixelSurface(SharedPicture().dc(), kW, kH));
}

std::string Name(app::FilterKind kind) {
  std::string name(app::FilterName(kind));
  for (char& c : name)
    if (c == ' ') c = '_';
  return name;
}

void RegisterAll() {
  for (int k = 0; k < app::kFilterCount; ++k) {
    const auto kind = static_cast<app::FilterKind>(k);
    benchmark::RegisterBenchmark(("Dll/" + Name(kind)).c_str(), ThroughDllCommands, kind)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    benchmark::RegisterBenchmark(("Direct/" + Name(kind)).c_str(), DirectCalls, kind)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  rt::ImageHeader header{};
  header.dllCommandCount = libs::kDllCommandCount;
  header.dllModuleNames = libs::DllModuleNames();
  header.dllFunctionNames = libs::DllFunctionNames();
  rt::InitRuntime(&header);
  RegisterAll();
  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nOne pass over %dx%d, best CPU time of three repetitions, same run:\n", kW, kH);
  std::printf("  %-16s %12s %12s %7s\n", "filter", "DLL commands", "direct", "ratio");
  double worst = 0;
  for (int k = 0; k < app::kFilterCount; ++k) {
    const std::string name = Name(static_cast<app::FilterKind>(k));
    const double dll = reporter.Seconds("Dll/" + name), direct = reporter.Seconds("Direct/" + name);
    if (dll <= 0 || direct <= 0) continue;
    worst = std::max(worst, dll / direct);
    std::printf("  %-16s %9.2f ms %9.2f ms %7.3f\n", name.c_str(), dll * 1e3, direct * 1e3,
                dll / direct);
  }
  if (worst > 0) std::printf("  highest ratio %.3f (target <= 1.5)\n", worst);
  rt::EndProgram(0);
  benchmark::Shutdown();
  return 0;
}
