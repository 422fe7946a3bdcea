// GIF decoding against giflib. A 640 x 480 animation of 60 frames is written with giflib's
// encoder at start-up; each side then decodes every frame and expands its indices through the
// frame's palette into 32-bit pixels. The animation box's full load (composition onto the
// canvas, one canvas copy per frame) is measured beside them.
// After the runs a summary prints each ratio (best CPU time of each).
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/BestTimeReporter.h"
#include "pictures/AnimationFrames.h"
#include "pictures/decoders/GifFrames.h"

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 60;

int WriteMemory(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + count);
  return count;
}

// Smooth gradients with moving bands and a sprinkle of noise: compresses about as well as a
// dithered photo-like animation does. Every fifth frame brings a local colour table.
const std::vector<uint8_t>& Animation() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) {
      colours[i] = GifColorType{static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                                static_cast<GifByteType>((i * 7) & 255)};
    }
    ColorMapObject* global = GifMakeMapObject(256, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, global);
    uint32_t seed = 12345;
    std::vector<GifPixelType> row(kWidth);
    for (int f = 0; f < kFrames; ++f) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = f % 3 == 0 ? DISPOSE_PREVIOUS : DISPOSE_DO_NOT;
      gcb.DelayTime = 4;
      gcb.TransparentColor = f % 2 == 0 ? 0 : NO_TRANSPARENT_COLOR;
      GifByteType ext[4];
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(EGifGCBToExtension(&gcb, ext)),
                       ext);
      ColorMapObject* local = nullptr;
      if (f % 5 == 0) {
        GifColorType shifted[256];
        for (int i = 0; i < 256; ++i) shifted[i] = colours[(i + f) & 255];
        local = GifMakeMapObject(256, shifted);
      }
      EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, f % 4 == 1, local);
      if (local != nullptr) GifFreeMapObject(local);
      std::vector<int> rows;
      if (f % 4 == 1) {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int p = 0; p < 4; ++p)
          for (int r = start[p]; r < kHeight; r += step[p]) rows.push_back(r);
      } else {
        for (int r = 0; r < kHeight; ++r) rows.push_back(r);
      }
      for (int y : rows) {
        for (int x = 0; x < kWidth; ++x) {
          seed = seed * 1103515245u + 12345u;
          const int band = ((x + f * 5) / 12 + (y + f * 3) / 20) & 31;
          row[static_cast<size_t>(x)] = static_cast<GifPixelType>(
              (seed >> 28) == 0 ? (seed >> 16) & 255 : band * 8 + (x & 3));
        }
        EGifPutLine(gif, row.data(), kWidth);
      }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(global);
    return out;
  }();
  return bytes;
}

struct Reader {
  const std::vector<uint8_t>* bytes;
  size_t pos;
};

int ReadMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* in = static_cast<Reader*>(gif->UserData);
  const size_t n = std::min<size_t>(static_cast<size_t>(count), in->bytes->size() - in->pos);
  std::memcpy(out, in->bytes->data() + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

void BM_GiflibSlurpAndExpand(benchmark::State& state) {
  const auto& bytes = Animation();
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    Reader reader{&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) {
      state.SkipWithError("giflib failed");
      break;
    }
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      const ColorMapObject* map =
          image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
      uint32_t palette[256] = {};
      for (int c = 0; c < map->ColorCount; ++c) {
        palette[c] =
            uint32_t{map->Colors[c].Red} << 16 | map->Colors[c].Green << 8 | map->Colors[c].Blue;
      }
      const size_t n = static_cast<size_t>(image.ImageDesc.Width) * image.ImageDesc.Height;
      for (size_t p = 0; p < n; ++p) pixels[p] = palette[image.RasterBits[p]];
      benchmark::DoNotOptimize(pixels.data());
    }
    DGifCloseFile(gif, &error);
  }
  state.counters["frames"] = kFrames;
}

void BM_FrameDecodeAndExpand(benchmark::State& state) {
  const auto& bytes = Animation();
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    pic::GifStream stream;
    if (!stream.Open(bytes.data(), bytes.size())) {
      state.SkipWithError("open failed");
      break;
    }
    pic::GifFrame frame;
    bool wrapped = false;
    int count = 0;
    while (stream.NextFrame(&frame, &wrapped, false)) {
      uint32_t palette[256];
      std::memcpy(palette, frame.Palette(), sizeof palette);
      for (int y = 0; y < frame.height; ++y) {
        const uint8_t* src = frame.Pixels() + static_cast<size_t>(y) * frame.stride;
        uint32_t* dst = pixels.data() + static_cast<size_t>(y) * frame.width;
        for (int x = 0; x < frame.width; ++x) dst[x] = palette[src[x]];
      }
      benchmark::DoNotOptimize(pixels.data());
      ++count;
    }
    if (count != kFrames) {
      state.SkipWithError("wrong frame count");
      break;
    }
  }
}

void BM_AnimationFramesLoad(benchmark::State& state) {
  const auto& bytes = Animation();
  for (auto _ : state) {
    pic::AnimationFrames frames;
    if (!pic::LoadAnimationFrames(bytes.data(), bytes.size(), true, 0, &frames) ||
        frames.frames.size() != kFrames) {
      state.SkipWithError("load failed");
      break;
    }
    benchmark::DoNotOptimize(frames.frames.back().data());
  }
}

BENCHMARK(BM_GiflibSlurpAndExpand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameDecodeAndExpand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimationFramesLoad)->Unit(benchmark::kMillisecond);

// Prints as usual and keeps the best CPU time per iteration of every benchmark.
class RatioReporter : public BestTimeReporter {
 public:
  void PrintRatios() const {
    std::printf(
        "\nGIF of %d x %d, %d frames, %zu bytes; ratios to giflib's DGifSlurp + palette "
        "expansion:\n",
        kWidth, kHeight, kFrames, Animation().size());
    Ratio("BM_FrameDecodeAndExpand", "BM_GiflibSlurpAndExpand");
    Ratio("BM_AnimationFramesLoad", "BM_GiflibSlurpAndExpand");
  }

 private:
  void Ratio(const std::string& name, const std::string& reference) const {
    double a = Seconds(name), b = Seconds(reference);
    if (a <= 0 || b <= 0) return;
    std::printf("  %-28s %6.2fx  (%.2f ms vs %.2f ms)\n", name.c_str(), a / b, a * 1e3, b * 1e3);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
