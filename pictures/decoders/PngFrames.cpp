#include "pictures/decoders/PngFrames.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "platform/wingdi.h"

namespace pic {
namespace {

struct MemoryInput {
  const uint8_t* data;
  size_t length;
  size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (count > in->length - in->pos) png_error(png, "read past the end of the data");
  std::memcpy(out, in->data + in->pos, count);
  in->pos += count;
}

void IgnoreWarning(png_structp, png_const_charp) {}

// A broken file is an ordinary failure here, reported by returning nothing: straight back to
// the set-jump point, without libpng's default message on the console.
[[noreturn]] void ReturnOnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

// Everything a DIB of the decoded rows needs; kept outside the set-jump frame so that a
// long-jump out of libpng never skips a destructor.
struct DecodeState {
  int width = 0, height = 0;
  int bitsPerPixel = 0;
  size_t stride = 0;
  int colourType = 0;
  std::vector<uint8_t> rows;
  std::vector<RGBQUAD> palette;
};

// Runs libpng; the rows land in state->rows as a top-down DIB of the image's own depth.
bool ReadRows(const uint8_t* bytes, size_t length, DecodeState* state) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ReturnOnError, IgnoreWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  MemoryInput input{bytes, length, 0};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &input, ReadFromMemory);
  png_read_info(png, info);

  const int sourceType = png_get_color_type(png, info);
  const uint64_t sourceBitsPerPixel =
      uint64_t{png_get_bit_depth(png, info)} * png_get_channels(png, info);
  png_color_16p background = nullptr;
  const bool hasBackground = png_get_bKGD(png, info, &background) != 0;
  if (hasBackground) {
    png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
  } else if (sourceType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    // Two bytes a pixel would read as a 16-bit 5-5-5 DIB and come out as noise; as RGBA the
    // picture keeps its grey and its alpha.
    png_set_gray_to_rgb(png);
  }
  png_set_strip_16(png);
  // DIBs have no 2-bit depth: such pixels are widened to a byte each, background or not
  // (compositing keeps the samples at their own depth).
  const bool widenedTwoBit = png_get_bit_depth(png, info) == 2;
  if (widenedTwoBit) png_set_packing(png);
  const int passes =
      png_get_interlace_type(png, info) != PNG_INTERLACE_NONE ? png_set_interlace_handling(png) : 1;
  png_read_update_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int channels = png_get_channels(png, info);
  const int depth = png_get_bit_depth(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  if (int64_t{width} * height * 4 > kMaxPngFrameBytes) png_error(png, "picture too large");
  // Deflate gives at most 258 bytes (one longest match) for a length and a distance code of at
  // least a bit each, so each byte of the file inflates to at most 1032 bytes. The inflated
  // rows hold every pixel's bits plus a filter byte per row (interlacing only adds filter
  // bytes), so a picture needing more than 1032 times the file's size is refused before its
  // rows are allocated: its data could never fill it.
  const uint64_t leastInflated =
      uint64_t{height} + uint64_t{width} * height * sourceBitsPerPixel / 8;
  if (leastInflated > uint64_t{length} * 1032) png_error(png, "picture larger than its data");
  state->width = static_cast<int>(width);
  state->height = static_cast<int>(height);
  state->bitsPerPixel = channels * depth;
  state->colourType = png_get_color_type(png, info);
  state->stride = (rowBytes + 3) & ~size_t{3};
  state->rows.assign(state->stride * height, 0);

  if (state->bitsPerPixel <= 8) {
    png_colorp entries = nullptr;
    int count = 0;
    if ((state->colourType & PNG_COLOR_MASK_PALETTE) &&
        png_get_PLTE(png, info, &entries, &count) != 0) {
      state->palette.assign(256, RGBQUAD{0, 0, 0, 0});
      for (int i = 0; i < count && i < 256; ++i) {
        state->palette[i] = RGBQUAD{entries[i].blue, entries[i].green, entries[i].red, 0};
      }
    } else {
      // Grey samples index an evenly spaced ramp over their own range (2-bit samples were
      // widened to bytes but keep their four levels).
      const int used = depth < 8 ? 1 << depth : (widenedTwoBit ? 4 : 256);
      state->palette.assign(256, RGBQUAD{0, 0, 0, 0});
      for (int i = 0; i < used; ++i) {
        const auto v = static_cast<uint8_t>(i * 255 / (used - 1));
        state->palette[i] = RGBQUAD{v, v, v, 0};
      }
    }
  }

  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, state->rows.data() + y * state->stride, nullptr);
    }
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

bool DecodePngFrame(const uint8_t* bytes, size_t length, int* width, int* height,
                    std::vector<uint32_t>* pixels) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (bytes == nullptr || length < 8 || std::memcmp(bytes, kSignature, 8) != 0) return false;
  DecodeState state;
  if (!ReadRows(bytes, length, &state)) return false;

  const int w = state.width, h = state.height;
  const int bytesPerPixel = state.bitsPerPixel / 8;
  if (!(state.colourType & PNG_COLOR_MASK_PALETTE) && (state.colourType & PNG_COLOR_MASK_COLOR) &&
      bytesPerPixel >= 3) {
    for (int y = 0; y < h; ++y) {
      uint8_t* p = state.rows.data() + static_cast<size_t>(y) * state.stride;
      for (int x = 0; x < w; ++x, p += bytesPerPixel) {
        std::swap(p[0], p[2]);
        if (bytesPerPixel == 4) p[3] = static_cast<uint8_t>(255 - p[3]);
      }
    }
  }

  pixels->assign(static_cast<size_t>(w) * h, 0);
  if (state.bitsPerPixel == 32) {
    for (int y = 0; y < h; ++y) {
      std::memcpy(pixels->data() + static_cast<size_t>(y) * w,
                  state.rows.data() + static_cast<size_t>(y) * state.stride,
                  static_cast<size_t>(w) * 4);
    }
  } else if (w > 0 && h > 0) {
    // Every other depth goes through the GDI's own DIB conversion into a 32-bit top-down DIB.
    std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* source = reinterpret_cast<BITMAPINFO*>(header.data());
    source->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    source->bmiHeader.biWidth = w;
    source->bmiHeader.biHeight = -h;
    source->bmiHeader.biPlanes = 1;
    source->bmiHeader.biBitCount = static_cast<WORD>(state.bitsPerPixel);
    source->bmiHeader.biCompression = BI_RGB;
    if (!state.palette.empty()) {
      source->bmiHeader.biClrUsed = 256;
      std::memcpy(source->bmiColors, state.palette.data(), 256 * sizeof(RGBQUAD));
    }
    BITMAPINFO target{};
    target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    target.bmiHeader.biWidth = w;
    target.bmiHeader.biHeight = -h;
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 32;
    target.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return false;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = dib != nullptr && bits != nullptr;
    if (ok) {
      HGDIOBJ old = SelectObject(dc, dib);
      ok = StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, state.rows.data(), source, DIB_RGB_COLORS,
                         SRCCOPY) != 0;
      if (ok) std::memcpy(pixels->data(), bits, static_cast<size_t>(w) * h * 4);
      SelectObject(dc, old);
    }
    if (dib != nullptr) DeleteObject(dib);
    DeleteDC(dc);
    if (!ok) return false;
  }
  *width = w;
  *height = h;
  return true;
}

}  // namespace pic
