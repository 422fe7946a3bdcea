// Every filter's pass over the filter window's picture box, three ways in one run:
//  - Window/<filter>: the whole pass as the menu runs it in the real window, loaded
//    headless: the box copied off screen, every pixel read and written through the
//    program's declared GetPixel and SetPixel commands, the progress bar moved and events
//    handled after each column, the result drawn back;
//  - Dll/<filter>: only the pixel loop of that pass, on a bitmap of the box's size;
//  - Direct/<filter>: the floor of the method, the same loop of the same reads and writes
//    calling the platform's GetPixel and SetPixel directly.
// All three run the one templated pass. Every pass starts from the same picture, put back
// outside the timing. A summary prints the times per pass and the ratios to the floor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/filters/DllPixelSurface.h"
#include "app/filters/FilterPass.h"
#include "app/filters/GdiPixelSurface.h"
#include "app/filterwindow/FilterPassFrame.h"
#include "app/filterwindow/FilterWindowUnits.h"
#include "app/program/Globals.h"
#include "app/program/UnitAccess.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "bench/BestTimeReporter.h"
#include "commands/system/WindowCommands.h"
#include "libraries/ProgramDllCommands.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/loop/MessageLoop.h"
#include "runtime/memory/RuntimeHeap.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/BmpFile.h"

namespace {

// The client area of the filter window's picture box (1096 x 520 with a sunken border);
// checked against the loaded window before anything runs.
constexpr int kW = 1092;
constexpr int kH = 516;

uint32_t Photo(int x, int y) {
  // Smooth gradients with some texture, like a photo rather than a flat fill.
  return RGB(x * 255 / kW, (x + 2 * y) % 256, (y * 255 / kH) ^ (x & 15));
}

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
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) SetPixel(original_, x, y, Photo(x, y));
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

// The same picture as a BMP file the size of the box, which displays it unscaled.
std::vector<uint8_t> PhotoBmp() {
  std::vector<uint32_t> rgb;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const COLORREF c = Photo(x, y);
      rgb.push_back(static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c));
    }
  return testing_bmp::Bmp24(kW, kH, rgb);
}

// The filter window loaded as the program loads it (without waiting for it to close), the
// photo in its box. False when the box is not the size the loops above use.
bool OpenFilterWindow() {
  rt::Call(cmd::LoadWindow, {rt::Arg::Unit(app::kFilterWindow, 0, 0x00010001)});
  rt::HandleWaitingMessages();
  const std::vector<uint8_t> bmp = PhotoBmp();
  void* block = rt::BuildByteSet(rt::AllocMemSized, bmp.data(), bmp.size());
  app::SetByteSet(app::kFilterWindow, app::filterwindow::kPhotoBox,
                  app::filterwindow::kPicBoxPicture, block);
  rt::FreeMem(block);
  rt::HandleWaitingMessages();
  RECT client{};
  GetClientRect(reinterpret_cast<HWND>(static_cast<intptr_t>(
                    app::WindowHandleOf(app::kFilterWindow, app::filterwindow::kPhotoBox))),
                &client);
  return client.right == kW && client.bottom == kH;
}

void InTheWindow(benchmark::State& state, app::FilterKind kind) {
  app::RuntimeRandom random;
  for (auto _ : state) {
    state.PauseTiming();
    // "取消所有滤镜": the box paints the photo again.
    rt::Call(cmd::Redraw,
             {rt::Arg::Unit(app::kFilterWindow, app::filterwindow::kPhotoBox, 0x00010006)});
    rt::HandleWaitingMessages();
    state.ResumeTiming();
    app::filterwindow::RunMenuFilter(kind, random);
  }
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
    benchmark::RegisterBenchmark(("Window/" + Name(kind)).c_str(), InTheWindow, kind)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
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
  app::AssembleProgram();
  rt::InitRuntime(&app::ProgramHeader());
  app::CreateGlobals();
  if (!OpenFilterWindow()) {
    std::fprintf(stderr, "the filter window's box is not %dx%d\n", kW, kH);
    return 1;
  }
  RegisterAll();
  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nOne pass over %dx%d, best CPU time of three repetitions, same run:\n", kW, kH);
  std::printf("  %-16s %11s %11s %11s %8s %8s\n", "filter", "window", "DLL loop", "direct",
              "win/dir", "dll/dir");
  double worstWindow = 0, worstLoop = 0;
  for (int k = 0; k < app::kFilterCount; ++k) {
    const std::string name = Name(static_cast<app::FilterKind>(k));
    const double window = reporter.Seconds("Window/" + name);
    const double dll = reporter.Seconds("Dll/" + name), direct = reporter.Seconds("Direct/" + name);
    if (window <= 0 || dll <= 0 || direct <= 0) continue;
    worstWindow = std::max(worstWindow, window / direct);
    worstLoop = std::max(worstLoop, dll / direct);
    std::printf("  %-16s %8.2f ms %8.2f ms %8.2f ms %8.3f %8.3f\n", name.c_str(), window * 1e3,
                dll * 1e3, direct * 1e3, window / direct, dll / direct);
  }
  if (worstWindow > 0)
    std::printf("  highest ratio to the floor: whole pass %.3f, pixel loop %.3f (target <= 1.5)\n",
                worstWindow, worstLoop);
  rt::EndProgram(0);
  benchmark::Shutdown();
  return 0;
}
