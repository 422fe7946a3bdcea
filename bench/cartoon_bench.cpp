// The animation box against pixman doing the same pixel work, in one run:
//   - SnapshotBox of a 1185x701 box holding a photo object and a 50%-alpha watermark of the
//     same size (every pixel blended) against pixman compositing the two layers: the photo
//     with PIXMAN_OP_SRC, the watermark with PIXMAN_OP_OVER through a 50% solid mask.
//     Target: at most 1.5x. The snapshot also writes the BMP file pixman does not.
//   - SetObjectZoom of a 4000x3000 object to 25% against pixman's nearest-neighbour scaling
//     of the same picture to 1000x750. Target: at most 1.5x.
//   - One drag step as the watermark editor makes it (destroy the 100x100 watermark, place it
//     again one pixel on, set its transparency and layer, zoom it) with the box repainted.
//     Reported with the moves per second it allows; a drag must keep up with 60.
// Everything goes through the box's commands and the library call frame, headless.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "forms/FormsEngine.h"
#include "forms/data/FormData.h"
#include "forms/units/CommonProperties.h"
#include "forms/units/UnitTypes.h"
#include "forms/units/cartoon/CartoonBoxUnit.h"
#include "forms/units/cartoon/CartoonCommands.h"
#include "forms/units/cartoon/CartoonObjectUnit.h"
#include "forms/units/cartoon/CartoonTypes.h"
#include "forms/windows/WindowList.h"
#include "forms/windows/WindowLoader.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/memory/RuntimeHeap.h"
#include "tests/common/BmpFile.h"

namespace {

constexpr uint32_t kWindowId = 0x52000001;
constexpr uint32_t kBoxId = 0x16000002;
constexpr uint32_t kTemplateId = 0x16000003;
constexpr int kBoxWidth = 1185, kBoxHeight = 701;

const rt::DataTypeDescriptor kBoxType = {"box",
                                         "CartoonBox",
                                         nullptr,
                                         rt::kTypeStateWindowed,
                                         8,
                                         forms::kCommonUnitProperties,
                                         9,
                                         0,
                                         &forms::CartoonBoxInterface};
const rt::DataTypeDescriptor kTemplateType = {"object",
                                              "CartoonObject",
                                              nullptr,
                                              rt::kTypeStateNonVisual,
                                              8,
                                              forms::kCommonUnitProperties,
                                              0,
                                              0,
                                              &forms::CartoonObjectInterface};

// A photo-like picture: smooth gradients with a little texture, 0x00RRGGBB.
std::vector<uint32_t> PhotoPixels(int w, int h, uint32_t seed) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  uint32_t noise = seed;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const uint32_t t = (noise >> 28) & 0xF;
      const uint32_t r = (x * 255 / w + t) & 0xFF, g = (y * 255 / h + t) & 0xFF,
                     b = ((x + y) * 127 / (w + h) + 64 + t) & 0xFF;
      p[static_cast<size_t>(y) * w + x] = (r << 16) | (g << 8) | b;
    }
  }
  return p;
}

std::vector<uint8_t> BmpFile(int w, int h, const std::vector<uint32_t>& pixels) {
  return testing_bmp::Bmp24(w, h, pixels);
}

rt::ArgRecord Box() {
  return rt::Arg::Unit(kWindowId, kBoxId, forms::kTypeCartoonBox);
}
rt::ArgRecord Template() {
  return rt::Arg::Unit(kWindowId, kTemplateId, forms::kTypeCartoonObject);
}

forms::CartoonObjectUnit* TemplateUnit() {
  forms::FormTemplate* form = forms::FindLoadedWindow(kWindowId);
  return dynamic_cast<forms::CartoonObjectUnit*>(
      forms::LiveUnit(*form, *form->FindUnit(kTemplateId)));
}

HWND BoxHandle() {
  forms::FormTemplate* form = forms::FindLoadedWindow(kWindowId);
  return forms::LiveUnit(*form, *form->FindUnit(kBoxId))->Handle();
}

void SetTemplate(uint32_t property, uint64_t word, const std::vector<uint8_t>* data = nullptr) {
  forms::PropertyValue v;
  v.word = word;
  if (data != nullptr) {
    v.data = data->data();
    v.size = static_cast<uint32_t>(data->size());
  }
  TemplateUnit()->SetProperty(property, v);
}

int32_t Place(int x, int y) {
  return rt::Call(forms::PlaceObject, {Box(), Template(), rt::Arg::Int(x), rt::Arg::Int(y)})
      .As<int32_t>();
}

void Drain() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool SetUp() {
  rt::InitRuntime(nullptr);
  forms::InstallFormsEngine();
  forms::RegisterUnitType(forms::kTypeCartoonBox, &kBoxType);
  forms::RegisterUnitType(forms::kTypeCartoonObject, &kTemplateType);
  forms::WindowImage image;
  image.windowId = kWindowId;
  forms::UnitRecordFields window;
  window.type = forms::kTypeWindow;
  window.width = kBoxWidth + 40;
  window.height = kBoxHeight + 60;
  forms::TypeBlock properties(*forms::FindTypeBlockLayout(forms::kTypeWindow));
  window.typeBlock = properties.Write();
  image.units.push_back({0x06000001, forms::BuildUnitRecord(window)});
  forms::UnitRecordFields box;
  box.type = forms::kTypeCartoonBox;
  box.width = kBoxWidth;
  box.height = kBoxHeight;
  box.stateFlags = forms::kUnitVisible;
  image.units.push_back({kBoxId, forms::BuildUnitRecord(box)});
  forms::UnitRecordFields object;
  object.type = forms::kTypeCartoonObject;
  image.units.push_back({kTemplateId, forms::BuildUnitRecord(object)});
  forms::Bytes data = forms::BuildFormData(std::span<const forms::WindowImage>(&image, 1));
  if (!forms::ReadFormData(data.data(), static_cast<uint32_t>(data.size()), nullptr)) return false;
  return forms::BuildWindow(*forms::FindTemplate(kWindowId), nullptr, false);
}

// ---- Snapshot against pixman compositing ----------------------------------------------------

const std::vector<uint32_t>& Photo() {
  static const std::vector<uint32_t> p = PhotoPixels(kBoxWidth, kBoxHeight, 1);
  return p;
}
const std::vector<uint32_t>& Mark() {
  static const std::vector<uint32_t> p = PhotoPixels(kBoxWidth, kBoxHeight, 2);
  return p;
}

void BM_SnapshotBox(benchmark::State& state) {
  const std::vector<uint8_t> photo = BmpFile(kBoxWidth, kBoxHeight, Photo());
  const std::vector<uint8_t> mark = BmpFile(kBoxWidth, kBoxHeight, Mark());
  SetTemplate(forms::kObjectPicture, 0, &photo);
  const int32_t photoId = Place(0, 0);
  SetTemplate(forms::kObjectPicture, 0, &mark);
  const int32_t markId = Place(0, 0);
  rt::Call(forms::SetObjectAlpha, {Box(), rt::Arg::Int(markId), rt::Arg::Int(50)});
  Drain();
  for (auto _ : state) {
    rt::ArgRecord r =
        rt::Call(forms::SnapshotBox, {Box(), rt::Arg::Int(0), rt::Arg::Int(0),
                                      rt::Arg::Int(kBoxWidth), rt::Arg::Int(kBoxHeight)});
    benchmark::DoNotOptimize(r.value);
    rt::FreeMem(r.Pointer());
  }
  rt::Call(forms::DestroyObjects, {Box(), rt::Arg::Int(photoId), rt::Arg::Int(markId)});
  Drain();
}
BENCHMARK(BM_SnapshotBox)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_PixmanOverComposite(benchmark::State& state) {
  std::vector<uint32_t> photo = Photo(), mark = Mark();
  std::vector<uint32_t> out(photo.size());
  const int stride = kBoxWidth * 4;
  pixman_image_t* p =
      pixman_image_create_bits(PIXMAN_x8r8g8b8, kBoxWidth, kBoxHeight, photo.data(), stride);
  pixman_image_t* m =
      pixman_image_create_bits(PIXMAN_x8r8g8b8, kBoxWidth, kBoxHeight, mark.data(), stride);
  pixman_image_t* d =
      pixman_image_create_bits(PIXMAN_x8r8g8b8, kBoxWidth, kBoxHeight, out.data(), stride);
  const pixman_color_t half{0, 0, 0, 0x8080};
  pixman_image_t* mask = pixman_image_create_solid_fill(&half);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, p, nullptr, d, 0, 0, 0, 0, 0, 0, kBoxWidth, kBoxHeight);
    pixman_image_composite32(PIXMAN_OP_OVER, m, mask, d, 0, 0, 0, 0, 0, 0, kBoxWidth, kBoxHeight);
    benchmark::DoNotOptimize(out.data());
  }
  pixman_image_unref(mask);
  pixman_image_unref(d);
  pixman_image_unref(m);
  pixman_image_unref(p);
}
BENCHMARK(BM_PixmanOverComposite)->Unit(benchmark::kMillisecond)->Repetitions(3);

// ---- Zoom against pixman nearest scaling ----------------------------------------------------

constexpr int kBigWidth = 4000, kBigHeight = 3000;

const std::vector<uint32_t>& Big() {
  static const std::vector<uint32_t> p = PhotoPixels(kBigWidth, kBigHeight, 3);
  return p;
}

void BM_SetObjectZoomQuarter(benchmark::State& state) {
  const std::vector<uint8_t> big = BmpFile(kBigWidth, kBigHeight, Big());
  SetTemplate(forms::kObjectPicture, 0, &big);
  const int32_t id = Place(0, 0);
  for (auto _ : state) {
    rt::Call(forms::SetObjectZoom, {Box(), rt::Arg::Int(id), rt::Arg::Int(250)});
    state.PauseTiming();
    rt::Call(forms::SetObjectZoom, {Box(), rt::Arg::Int(id), rt::Arg::Int(1000)});
    state.ResumeTiming();
  }
  rt::Call(forms::DestroyObjects, {Box(), rt::Arg::Int(id)});
  SetTemplate(forms::kObjectPicture, 0, nullptr);
  Drain();
}
BENCHMARK(BM_SetObjectZoomQuarter)->Unit(benchmark::kMillisecond)->Repetitions(3);

void BM_PixmanNearestQuarter(benchmark::State& state) {
  std::vector<uint32_t> big = Big();
  std::vector<uint32_t> out(static_cast<size_t>(kBigWidth / 4) * (kBigHeight / 4));
  pixman_image_t* src =
      pixman_image_create_bits(PIXMAN_x8r8g8b8, kBigWidth, kBigHeight, big.data(), kBigWidth * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, kBigWidth / 4, kBigHeight / 4,
                                                 out.data(), kBigWidth / 4 * 4);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_int_to_fixed(4), pixman_int_to_fixed(4));
  pixman_image_set_transform(src, &transform);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kBigWidth / 4,
                             kBigHeight / 4);
    benchmark::DoNotOptimize(out.data());
  }
  pixman_image_unref(dst);
  pixman_image_unref(src);
}
BENCHMARK(BM_PixmanNearestQuarter)->Unit(benchmark::kMillisecond)->Repetitions(3);

// ---- One drag step ---------------------------------------------------------------------------

void BM_DragStep(benchmark::State& state) {
  const std::vector<uint8_t> photo = BmpFile(kBoxWidth, kBoxHeight, Photo());
  const std::vector<uint8_t> mark = BmpFile(100, 100, PhotoPixels(100, 100, 4));
  SetTemplate(forms::kObjectPicture, 0, &photo);
  SetTemplate(forms::kObjectLayer, 1);
  const int32_t photoId = Place(0, 0);
  SetTemplate(forms::kObjectPicture, 0, &mark);
  SetTemplate(forms::kObjectLayer, 2);
  int32_t markId = Place(300, 300);
  HWND box = BoxHandle();
  UpdateWindow(box);
  int x = 300;
  for (auto _ : state) {
    x = x == 700 ? 300 : x + 1;
    rt::Call(forms::DestroyObjects, {Box(), rt::Arg::Int(markId)});
    markId = Place(x, 300);
    rt::Call(forms::SetObjectAlpha, {Box(), rt::Arg::Int(markId), rt::Arg::Int(50)});
    rt::Call(forms::SetObjectLayer, {Box(), rt::Arg::Int(markId), rt::Arg::Int(2)});
    rt::Call(forms::SetObjectZoom,
             {Box(), rt::Arg::Int(markId), rt::Arg::Int(1000), rt::Arg::Int(1000)});
    UpdateWindow(box);
  }
  rt::Call(forms::DestroyObjects, {Box(), rt::Arg::Int(photoId), rt::Arg::Int(markId)});
  Drain();
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond)->Repetitions(3);

void Ratio(const BestTimeReporter& r, const char* what, const char* ours, const char* theirs) {
  const double a = r.Seconds(ours), b = r.Seconds(theirs);
  if (a > 0 && b > 0)
    std::printf("  %-58s %8.3f ms vs %8.3f ms = %.2fx (target <= 1.5x)\n", what, a * 1e3, b * 1e3,
                a / b);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!SetUp()) {
    std::fprintf(stderr, "could not load the benchmark window\n");
    return 1;
  }
  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nAnimation box against pixman (best of three):\n");
  Ratio(reporter, "SnapshotBox 1185x701, photo + 50% watermark / pixman OVER", "BM_SnapshotBox",
        "BM_PixmanOverComposite");
  Ratio(reporter, "SetObjectZoom 4000x3000 to 25% / pixman nearest", "BM_SetObjectZoomQuarter",
        "BM_PixmanNearestQuarter");
  const double drag = reporter.Seconds("BM_DragStep");
  if (drag > 0) {
    std::printf(
        "  one drag step of a 100x100 object, repaint included: %.1f us (%.0f moves/s; 60 "
        "needed)\n",
        drag * 1e6, 1.0 / drag);
  }
  benchmark::Shutdown();
  return 0;
}
