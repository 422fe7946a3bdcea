#include "platform/gdi/IconResource.h"

#include <png.h>

#include <cstring>

#include "platform/gdi/Surface.h"

namespace platform::gdi {
namespace {

uint16_t ReadWord(const BYTE* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Expand5(uint32_t v) {
  return (v << 3) | (v >> 2);
}

uint32_t ReadBigEndian(const BYTE* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Pixels a mask cannot say anything about any more: where there is no AND mask, the alpha
// channel is the only account of what is transparent.
void MaskFromAlpha(IconPixels* pixels) {
  for (size_t i = 0; i < pixels->bgra.size(); ++i)
    pixels->mask[i] = (pixels->bgra[i] >> 24) == 0 ? 1 : 0;
}

// Icon images stored as PNG (how large icons are kept nowadays). The size comes from the
// header chunk and is checked before libpng decodes anything.
bool ParsePngImage(const BYTE* bits, size_t size, IconPixels* out) {
  // Signature, then the IHDR chunk: length, type, width, height.
  if (size < 24 || std::memcmp(bits + 12, "IHDR", 4) != 0) return false;
  const uint32_t width = ReadBigEndian(bits + 16), height = ReadBigEndian(bits + 20);
  constexpr auto kLargest = static_cast<uint32_t>(kMaxIconSide);
  if (width == 0 || height == 0 || width > kLargest || height > kLargest) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bits, size)) return false;
  if (image.width != width || image.height != height) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_BGRA;
  IconPixels pixels;
  pixels.width = static_cast<int>(width);
  pixels.height = static_cast<int>(height);
  pixels.bgra.resize(size_t{width} * height);
  pixels.mask.resize(size_t{width} * height);
  // Top row first, four bytes B, G, R, A a pixel: the layout of `bgra` on this machine.
  if (!png_image_finish_read(&image, nullptr, pixels.bgra.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  uint32_t alphaSeen = 0;
  for (uint32_t p : pixels.bgra) alphaSeen |= p >> 24;
  pixels.hasAlpha = alphaSeen != 0;
  MaskFromAlpha(&pixels);
  *out = std::move(pixels);
  return true;
}

}  // namespace

bool ParseIconResource(const BYTE* bits, size_t size, bool icon, IconPixels* out) {
  if (bits == nullptr || out == nullptr) return false;
  POINT hotspot{0, 0};
  if (!icon) {
    if (size < 4) return false;
    hotspot = {ReadWord(bits), ReadWord(bits + 2)};
    bits += 4;
    size -= 4;
  }
  static constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= sizeof kPngSignature && std::memcmp(bits, kPngSignature, sizeof kPngSignature) == 0) {
    if (!ParsePngImage(bits, size, out)) return false;
    out->hotspot = icon ? POINT{out->width / 2, out->height / 2} : hotspot;
    return true;
  }
  if (size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, bits, sizeof header);
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size) return false;
  // Icon images are bottom-up and twice as tall as the icon: image, then mask.
  if (header.biWidth <= 0 || header.biHeight <= 1) return false;
  const int width = header.biWidth;
  const int height = header.biHeight / 2;
  if (width > kMaxIconSide || height > kMaxIconSide) return false;
  const int bpp = header.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (header.biCompression != BI_RGB) return false;

  size_t colors = header.biClrUsed;
  if (bpp <= 8) {
    const size_t full = size_t{1} << bpp;
    if (colors == 0) colors = full;
    if (colors > full) return false;
  }
  const size_t tableOffset = header.biSize;
  if (colors > (size - tableOffset) / 4) return false;
  const size_t imageOffset = tableOffset + colors * 4;
  const size_t xorStride = static_cast<size_t>(DibStride(width, bpp));
  const size_t andStride = static_cast<size_t>(DibStride(width, 1));
  const size_t maskOffset = imageOffset + xorStride * height;
  const size_t end = maskOffset + andStride * height;
  // 32-bit images carry their transparency in alpha, and many files leave the AND mask out
  // (or cut it short); the mask is then made from alpha. Other depths need their mask.
  const bool maskPresent = end <= size;
  if (!maskPresent && (bpp != 32 || maskOffset > size)) return false;

  const BYTE* table = bits + tableOffset;
  auto paletteColor = [&](uint32_t index) -> uint32_t {
    if (index >= colors) return 0;
    const BYTE* q = table + index * 4;
    return (uint32_t{q[2]} << 16) | (uint32_t{q[1]} << 8) | q[0];
  };

  IconPixels pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.bgra.resize(static_cast<size_t>(width) * height);
  pixels.mask.resize(static_cast<size_t>(width) * height);
  uint32_t alphaSeen = 0;
  for (int y = 0; y < height; ++y) {
    const BYTE* row = bits + imageOffset + static_cast<size_t>(height - 1 - y) * xorStride;
    const BYTE* maskRow =
        maskPresent ? bits + maskOffset + static_cast<size_t>(height - 1 - y) * andStride : nullptr;
    uint32_t* dst = pixels.bgra.data() + static_cast<size_t>(y) * width;
    uint8_t* dstMask = pixels.mask.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      uint32_t value = 0;
      switch (bpp) {
        case 1:
          value = paletteColor((row[x >> 3] >> (7 - (x & 7))) & 1);
          break;
        case 4:
          value = paletteColor((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
          break;
        case 8:
          value = paletteColor(row[x]);
          break;
        case 16: {
          uint32_t v = ReadWord(row + x * 2);
          value = (Expand5((v >> 10) & 31) << 16) | (Expand5((v >> 5) & 31) << 8) | Expand5(v & 31);
          break;
        }
        case 24:
          value = (uint32_t{row[x * 3 + 2]} << 16) | (uint32_t{row[x * 3 + 1]} << 8) | row[x * 3];
          break;
        default:
          std::memcpy(&value, row + x * 4, 4);
          alphaSeen |= value >> 24;
          break;
      }
      dst[x] = value;
      dstMask[x] = maskPresent ? (maskRow[x >> 3] >> (7 - (x & 7))) & 1 : 0;
    }
  }
  pixels.hasAlpha = alphaSeen != 0;
  // Without a mask and without alpha the image can only be meant as opaque.
  if (!maskPresent && pixels.hasAlpha) MaskFromAlpha(&pixels);
  pixels.hotspot = icon ? POINT{width / 2, height / 2} : hotspot;
  *out = std::move(pixels);
  return true;
}

IconPixels ScaleIcon(const IconPixels& in, int width, int height) {
  if (width == in.width && height == in.height) return in;
  IconPixels out;
  out.width = width;
  out.height = height;
  out.hasAlpha = in.hasAlpha;
  out.bgra.resize(static_cast<size_t>(width) * height);
  out.mask.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<int64_t>(y) * in.height / height);
    for (int x = 0; x < width; ++x) {
      const int sx = static_cast<int>(static_cast<int64_t>(x) * in.width / width);
      const size_t from = static_cast<size_t>(sy) * in.width + sx;
      out.bgra[static_cast<size_t>(y) * width + x] = in.bgra[from];
      out.mask[static_cast<size_t>(y) * width + x] = in.mask[from];
    }
  }
  out.hotspot = {static_cast<LONG>(static_cast<int64_t>(in.hotspot.x) * width / in.width),
                 static_cast<LONG>(static_cast<int64_t>(in.hotspot.y) * height / in.height)};
  return out;
}

}  // namespace platform::gdi
