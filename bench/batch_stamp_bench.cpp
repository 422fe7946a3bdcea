// Batch stamping of 20 photos of 4000 x 3000 pixels (12 megapixels, JPEG quality 90, 4:2:0),
// against decoding the same 20 files with libjpeg directly (target: at most 1.5x per photo),
// and for scale against the same decoding into one buffer kept from photo to photo.
// The stamping runs the batch window's own run: read each file, show it in the photo box,
// the 200 ms pause, capture and crop the window, write the BMP. The pause runs on the virtual
// clock, so the times are what a photo costs beyond it. CPU times of the calling thread (the
// whole run is on it), best of three runs; a summary prints the time per photo of both and
// their ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/batch/BatchRun.h"
#include "app/program/Globals.h"
#include "app/program/VelmoraProgram.h"
#include "app/program/WindowIds.h"
#include "bench/BestTimeReporter.h"
#include "commands/system/WindowCommands.h"
#include "platform/kernel/Clock.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/loop/MessageLoop.h"
#include "tests/common/JpegFile.h"
#include "tests/common/TempFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPhotos = 20;
constexpr int kWidth = 4000, kHeight = 3000;

// Photo-like pictures: smooth gradients with some texture, each photo a little different.
std::vector<uint8_t> MakePhoto(int n) {
  std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
      p[0] = static_cast<uint8_t>((x + 97 * n) * 255 / (kWidth + 97 * kPhotos));
      p[1] = static_cast<uint8_t>(y * 255 / kHeight);
      p[2] = static_cast<uint8_t>(((x / (5 + n % 4)) ^ (y / 7)) & 0xFF);
    }
  }
  return testing_jpeg::Encode(rgb, kWidth, kHeight, 90);
}

struct Folder {
  fs::path program;
  std::vector<std::vector<uint8_t>> photos;
};
Folder* g_folder = nullptr;

// The program folder with its input folder full, the program started and the batch window
// open; made once for the whole run.
Folder& Setup() {
  static Folder* folder = [] {
    auto* f = new Folder;
    f->program = testing_temp::MakeFolder("velmora-batch-bench");
    fs::create_directories(f->program / "待处理");
    for (int i = 0; i < kPhotos; ++i) {
      f->photos.push_back(MakePhoto(i));
      const std::vector<uint8_t>& bytes = f->photos.back();
      std::ofstream(f->program / "待处理" / ("photo" + std::to_string(i) + ".jpg"),
                    std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    }
    platform::kernel::UseVirtualClock(true);
    app::AssembleProgram();
    rt::InitRuntime(&app::ProgramHeader());
    app::CreateGlobals();
    rt::Runtime().runDirectory = f->program.string();
    rt::Call(cmd::LoadWindow, {rt::Arg::Unit(app::kBatchWindow, 0, 0x00010001)});
    rt::HandleWaitingMessages();
    g_folder = f;
    return f;
  }();
  return *folder;
}

void BM_BatchStamp(benchmark::State& state) {
  Setup();
  for (auto _ : state) {
    const int32_t stamped = app::batch::RunBatch();
    if (stamped != kPhotos) state.SkipWithError("not every photo was found");
  }
}
BENCHMARK(BM_BatchStamp)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_LibjpegDecode(benchmark::State& state) {
  const Folder& f = Setup();
  for (auto _ : state) {
    for (const std::vector<uint8_t>& photo : f.photos) {
      testing_jpeg::Decoded d = testing_jpeg::Decode(photo);
      benchmark::DoNotOptimize(d.rgb.data());
    }
  }
}
BENCHMARK(BM_LibjpegDecode)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// The same decoding into one buffer kept from photo to photo, as the program's heap keeps a
// photo-size block: without the page faults of fresh memory, which are a large share of the
// plain decode's time.
void BM_LibjpegDecodeIntoOneBuffer(benchmark::State& state) {
  const Folder& f = Setup();
  testing_jpeg::Decoded d;
  testing_jpeg::DecodeInto(f.photos.front(), &d);
  for (auto _ : state) {
    for (const std::vector<uint8_t>& photo : f.photos) {
      testing_jpeg::DecodeInto(photo, &d);
      benchmark::DoNotOptimize(d.rgb.data());
    }
  }
}
BENCHMARK(BM_LibjpegDecodeIntoOneBuffer)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BestTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double stamp = reporter.Seconds("BM_BatchStamp/iterations:1") / kPhotos;
  const double decode = reporter.Seconds("BM_LibjpegDecode/iterations:1") / kPhotos;
  const double reused = reporter.Seconds("BM_LibjpegDecodeIntoOneBuffer/iterations:1") / kPhotos;
  if (stamp > 0 && decode > 0) {
    std::printf("\nPer 12-megapixel photo, beyond the 200 ms pause:\n");
    std::printf("  batch stamping      %8.1f ms\n", stamp * 1e3);
    std::printf("  libjpeg decode only %8.1f ms\n", decode * 1e3);
    std::printf("  ratio               %8.2fx (target: at most 1.5x)\n", stamp / decode);
  }
  if (stamp > 0 && reused > 0) {
    std::printf("  libjpeg decode into one buffer %8.1f ms, ratio %.2fx\n", reused * 1e3,
                stamp / reused);
  }
  std::error_code error;
  if (g_folder != nullptr) fs::remove_all(g_folder->program, error);
  benchmark::Shutdown();
  return 0;
}
