// Loading and showing a window of 30 units from its template, headless, against creating
// the same 31 platform windows directly with CreateWindowExA (and showing them) in the same
// run. Both destroy their windows again inside each iteration. The summary prints the time
// per window and per unit and the ratio; the engine's bookkeeping should stay within 3x.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "forms/FormsEngine.h"
#include "forms/data/FormData.h"
#include "forms/units/UnitInterface.h"
#include "forms/units/UnitObject.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "forms/windows/WindowLoader.h"
#include "runtime/RuntimeState.h"

namespace {

constexpr int kUnits = 30;
constexpr uint32_t kBenchType = 0x00090001;
constexpr uint32_t kWindowId = 0x52000001;
constexpr char kUnitClass[] = "BenchUnit";

void RegisterUnitClass() {
  WNDCLASSA c{};
  c.lpfnWndProc = DefWindowProcA;
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.lpszClassName = kUnitClass;
  RegisterClassA(&c);
}

// The simplest windowed unit: a window of its own class and nothing else.
class BenchUnit : public forms::UnitObject {
 public:
  using UnitObject::UnitObject;
};

forms::UnitObject* CreateBenchUnit(const forms::UnitCreateArgs& a) {
  HWND h = CreateWindowExA(0, kUnitClass, "", WS_CHILD | a.style, a.left, a.top, a.width, a.height,
                           a.parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(a.controlId)),
                           nullptr, nullptr);
  if (h == nullptr) return nullptr;
  auto* unit = new BenchUnit(a.windowId, a.unitId);
  unit->Attach(h);
  return unit;
}

void* BenchInterface(int32_t operation) {
  return operation == forms::kOpCreate ? reinterpret_cast<void*>(&CreateBenchUnit) : nullptr;
}

const rt::DataTypeDescriptor kBenchUnitType = {"bench", "Bench", nullptr, rt::kTypeStateWindowed, 0,
                                               nullptr, 0,       0,       &BenchInterface};

bool SetUp() {
  rt::InitRuntime(nullptr);
  forms::InstallFormsEngine();
  forms::RegisterUnitType(kBenchType, &kBenchUnitType);
  RegisterUnitClass();
  forms::WindowImage image;
  image.windowId = kWindowId;
  forms::UnitRecordFields window;
  window.type = forms::kTypeWindow;
  window.left = window.top = 50;
  window.width = 640;
  window.height = 480;
  forms::TypeBlock properties(*forms::FindTypeBlockLayout(forms::kTypeWindow));
  properties.SetText(forms::kWindowCaption, "Bench");
  window.typeBlock = properties.Write();
  image.units.push_back({0x06000001, forms::BuildUnitRecord(window)});
  for (int i = 0; i < kUnits; ++i) {
    forms::UnitRecordFields unit;
    unit.type = kBenchType;
    unit.left = 10 + (i % 6) * 100;
    unit.top = 10 + (i / 6) * 80;
    unit.width = 90;
    unit.height = 70;
    unit.stateFlags = forms::kUnitVisible | forms::kUnitTabStop;
    image.units.push_back({0x16000010u + static_cast<uint32_t>(i), forms::BuildUnitRecord(unit)});
  }
  forms::Bytes data = forms::BuildFormData(std::span<const forms::WindowImage>(&image, 1));
  return forms::ReadFormData(data.data(), static_cast<uint32_t>(data.size()), nullptr);
}

void Drain() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void BM_LoadWindowFromTemplate(benchmark::State& state) {
  forms::FormTemplate* form = forms::FindTemplate(kWindowId);
  for (auto _ : state) {
    if (!forms::BuildWindow(*form, nullptr, false)) {
      state.SkipWithError("the window did not load");
      break;
    }
    DestroyWindow(forms::LiveWindow(*form)->Handle());
    Drain();
  }
}
BENCHMARK(BM_LoadWindowFromTemplate)->Repetitions(3);

void BM_CreateWindowsDirectly(benchmark::State& state) {
  forms::EnsureWindowClass("OrmWindow");
  std::vector<HWND> children(kUnits);
  for (auto _ : state) {
    HWND window = CreateWindowExA(0, "OrmWindow", "Bench",
                                  WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_MINIMIZEBOX, 50,
                                  50, 640, 480, nullptr, nullptr, nullptr, nullptr);
    for (int i = kUnits; i-- > 0;) {
      children[i] = CreateWindowExA(
          0, kUnitClass, "", WS_CHILD | WS_TABSTOP, 10 + (i % 6) * 100, 10 + (i / 6) * 80, 90, 70,
          window, reinterpret_cast<HMENU>(static_cast<uintptr_t>(100 + i)), nullptr, nullptr);
    }
    for (HWND child : children) ShowWindow(child, SW_SHOWNA);
    ShowWindow(window, SW_SHOW);
    DestroyWindow(window);
    Drain();
  }
}
BENCHMARK(BM_CreateWindowsDirectly)->Repetitions(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SetUp()) {
    std::fprintf(stderr, "could not read the benchmark form\n");
    return 1;
  }
  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double engine = reporter.Seconds("BM_LoadWindowFromTemplate");
  const double direct = reporter.Seconds("BM_CreateWindowsDirectly");
  if (engine > 0 && direct > 0) {
    std::printf("\nLoading a window of %d units from its template (and destroying it):\n", kUnits);
    std::printf("  %9.1f us per window, %7.2f us per unit\n", engine * 1e6, engine * 1e6 / kUnits);
    std::printf("  the same windows made directly: %9.1f us; ratio %.2fx (target <= 3x)\n",
                direct * 1e6, engine / direct);
  }
  benchmark::Shutdown();
  return 0;
}
