// giflib as the independent reference for the GIF tests: reading files with DGifSlurp and
// writing small GIFs in memory with its encoder.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace gif_testing {

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

struct MemoryReader {
  const std::vector<uint8_t>* bytes;
  size_t pos;
};

inline int ReadMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* in = static_cast<MemoryReader*>(gif->UserData);
  const size_t n = std::min<size_t>(static_cast<size_t>(count), in->bytes->size() - in->pos);
  std::memcpy(out, in->bytes->data() + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

// The whole file through DGifSlurp; null when giflib rejects it. `reader` must outlive the
// result.
inline GifPtr Slurp(const std::vector<uint8_t>& bytes, MemoryReader* reader) {
  *reader = MemoryReader{&bytes, 0};
  int error = 0;
  GifPtr gif(DGifOpen(reader, ReadMemory, &error));
  if (!gif) return nullptr;
  if (DGifSlurp(gif.get()) != GIF_OK) return nullptr;
  return gif;
}

// The palette a decoder should show for image i: local, else global, as B,G,R,0 words.
inline std::vector<uint32_t> PaletteOf(const GifFileType* gif, int i) {
  std::vector<uint32_t> pal(256, 0);
  const ColorMapObject* map = gif->SavedImages[i].ImageDesc.ColorMap;
  if (map == nullptr) map = gif->SColorMap;
  if (map != nullptr) {
    for (int c = 0; c < map->ColorCount && c < 256; ++c) {
      const GifColorType& rgb = map->Colors[c];
      pal[c] = (uint32_t{rgb.Red} << 16) | (uint32_t{rgb.Green} << 8) | rgb.Blue;
    }
  }
  return pal;
}

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  std::vector<uint8_t> pixels;        // width * height indices, top row first
  std::vector<GifColorType> colours;  // local table; empty = none
  int disposal = -1;                  // -1: no graphic control extension
  int transparent = NO_TRANSPARENT_COLOR;
  int delay = 0;
};

inline int WriteMemory(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + count);
  return count;
}

inline ColorMapObject* MakeMap(const std::vector<GifColorType>& colours) {
  int size = 2;
  while (size < static_cast<int>(colours.size())) size *= 2;
  std::vector<GifColorType> padded(colours);
  padded.resize(static_cast<size_t>(size), GifColorType{0, 0, 0});
  return GifMakeMapObject(size, padded.data());
}

// A GIF89a written by giflib's encoder. Interlaced frames are handed over in pass order.
inline std::vector<uint8_t> EncodeGif(int screenWidth, int screenHeight,
                                      const std::vector<GifColorType>& global,
                                      const std::vector<Frame>& frames) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
  if (gif == nullptr) return {};
  EGifSetGifVersion(gif, true);
  ColorMapObject* globalMap = global.empty() ? nullptr : MakeMap(global);
  bool ok = EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, globalMap) == GIF_OK;
  for (const Frame& f : frames) {
    if (!ok) break;
    if (f.disposal >= 0) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = f.disposal;
      gcb.DelayTime = f.delay;
      gcb.TransparentColor = f.transparent;
      GifByteType ext[4];
      const size_t n = EGifGCBToExtension(&gcb, ext);
      ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext) == GIF_OK;
    }
    ColorMapObject* local = f.colours.empty() ? nullptr : MakeMap(f.colours);
    ok = ok &&
         EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local) == GIF_OK;
    if (local != nullptr) GifFreeMapObject(local);
    std::vector<int> rows;
    if (f.interlaced) {
      const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int p = 0; p < 4; ++p)
        for (int r = start[p]; r < f.height; r += step[p]) rows.push_back(r);
    } else {
      for (int r = 0; r < f.height; ++r) rows.push_back(r);
    }
    for (int r : rows) {
      if (!ok) break;
      ok = EGifPutLine(
               gif, const_cast<GifPixelType*>(f.pixels.data()) + static_cast<size_t>(r) * f.width,
               f.width) == GIF_OK;
    }
  }
  EGifCloseFile(gif, &error);
  if (globalMap != nullptr) GifFreeMapObject(globalMap);
  return ok ? out : std::vector<uint8_t>{};
}

}  // namespace gif_testing
