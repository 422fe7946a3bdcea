// Random DIBs through the bitmap services: the input is a packed DIB (header, masks, colour
// table, rows; a BMP file without its 14-byte file header), with the call parameters taken
// from its last bytes. Everything our parser accepts must round-trip through CreateDIBitmap,
// CreateDIBSection, SetDIBits and GetDIBits at every depth without reading or writing outside
// the buffers; everything it refuses must be refused by the functions too.
//
// Seeds: the BMP conformance files without their file header, kept outside the repository:
//   for f in ../shared/testdata/bmp/*/*.bmp; do tail -c +15 "$f" > seeds/$(basename "$f"); done
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi/DibFormat.h"
#include "platform/wingdi.h"

namespace {

using platform::gdi::DibFormat;
using platform::gdi::DibStride;

// Larger pictures are only parsed: allocating them would measure memory, not code.
constexpr size_t kLargestImage = 4u << 20;
// Room for the largest header, its masks and a full colour table, so that a short input
// cannot make the parser read past the buffer (callers must supply what the header claims).
constexpr size_t kInfoRoom = 124 + 12 + 256 * 4;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

struct Fetch {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

void FetchAtEveryDepth(FuzzedDataProvider& in, HDC dc, HBITMAP bitmap, int width, int height) {
  static constexpr int kDepths[] = {1, 4, 8, 16, 24, 32};
  Fetch query{};
  query.header.biSize = sizeof(BITMAPINFOHEADER);
  Check(GetDIBits(dc, bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&query),
                  DIB_RGB_COLORS) != 0);
  Check(query.header.biWidth == width && query.header.biHeight == height);
  for (int depth : kDepths) {
    Fetch fetch{};
    fetch.header.biSize = sizeof(BITMAPINFOHEADER);
    fetch.header.biPlanes = 1;
    fetch.header.biBitCount = static_cast<WORD>(depth);
    int dibWidth = in.ConsumeIntegralInRange<int>(1, width + 8);
    int dibHeight = in.ConsumeIntegralInRange<int>(1, height + 8);
    bool topDown = in.ConsumeBool();
    fetch.header.biWidth = dibWidth;
    fetch.header.biHeight = topDown ? -dibHeight : dibHeight;
    fetch.header.biClrUsed = in.ConsumeIntegralInRange<DWORD>(0, 300);
    if ((depth == 16 || depth == 32) && in.ConsumeBool()) {
      fetch.header.biCompression = BI_BITFIELDS;
      auto* masks = reinterpret_cast<DWORD*>(fetch.colors);
      for (int i = 0; i < 3; ++i) masks[i] = in.ConsumeIntegral<DWORD>();
    }
    UINT start = in.ConsumeIntegralInRange<UINT>(0, static_cast<UINT>(dibHeight + 2));
    UINT lines = in.ConsumeIntegralInRange<UINT>(0, static_cast<UINT>(dibHeight + 2));
    size_t rows = std::min<size_t>(lines, static_cast<size_t>(dibHeight));
    std::vector<uint8_t> out(static_cast<size_t>(DibStride(dibWidth, depth)) * rows + 1, 0xA5);
    int copied = GetDIBits(dc, bitmap, start, lines, out.data(),
                           reinterpret_cast<BITMAPINFO*>(&fetch), DIB_RGB_COLORS);
    Check(copied >= 0 && static_cast<size_t>(copied) <= rows);
    Check(out.back() == 0xA5);  // nothing written past the rows asked for
    // And back again.
    if (copied > 0) {
      SetDIBits(dc, bitmap, start, static_cast<UINT>(copied), out.data(),
                reinterpret_cast<BITMAPINFO*>(&fetch), DIB_RGB_COLORS);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const UINT usage = in.ConsumeIntegralInRange<UINT>(0, 2);
  const bool init = in.ConsumeBool();
  const bool colorDC = in.ConsumeBool();
  const size_t misalign = in.ConsumeIntegralInRange<size_t>(0, 3);
  std::vector<uint8_t> dib =
      in.ConsumeBytes<uint8_t>(in.remaining_bytes() > 8 ? in.remaining_bytes() - 8 : 0);

  // Headers are read where the caller put them, aligned or not.
  std::vector<uint8_t> storage(misalign + std::max(dib.size(), kInfoRoom), 0);
  std::copy(dib.begin(), dib.end(), storage.begin() + static_cast<std::ptrdiff_t>(misalign));
  const auto* info = reinterpret_cast<const BITMAPINFO*>(storage.data() + misalign);
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(info);

  DibFormat format;
  DibFormat shape;
  const bool parsed = platform::gdi::ParseDibInfo(info, usage, &format);
  const bool shaped = platform::gdi::ParseDibHeader(info, &shape);
  Check(!parsed || shaped);

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP colorBitmap = colorDC ? CreateCompatibleBitmap(nullptr, 1, 1) : nullptr;
  HGDIOBJ previous = colorDC ? SelectObject(dc, colorBitmap) : nullptr;

  if (!shaped) {
    Check(CreateDIBitmap(dc, header, 0, nullptr, nullptr, DIB_RGB_COLORS) == nullptr);
  }
  if (!parsed) {
    void* bits = reinterpret_cast<void*>(1);
    Check(CreateDIBSection(dc, info, usage, &bits, nullptr, 0) == nullptr && bits == nullptr);
    Check(platform::gdi::SurfaceFromDib(info, storage.data(), usage) == nullptr);
  }

  if (parsed && format.imageBytes <= kLargestImage) {
    Check(format.stride >= (format.width * format.bitCount + 7) / 8 && format.stride % 4 == 0);
    Check(format.headerBytes <= kInfoRoom);
    // The rows follow the header in a packed DIB; missing bytes read as zero.
    std::vector<uint8_t> pixels(format.imageBytes, 0);
    if (dib.size() > format.headerBytes) {
      size_t available = std::min(dib.size() - format.headerBytes, pixels.size());
      std::memcpy(pixels.data(), dib.data() + format.headerBytes, available);
    }

    HBITMAP bitmap = CreateDIBitmap(dc, header, init ? CBM_INIT : 0, pixels.data(), info, usage);
    Check(bitmap != nullptr);
    BITMAP bm{};
    Check(GetObjectA(bitmap, sizeof(bm), &bm) == sizeof(bm));
    Check(bm.bmWidth == format.width && bm.bmHeight == format.height);
    Check(bm.bmBitsPixel == (colorDC ? 32 : 1));

    void* sectionBits = nullptr;
    HBITMAP section = CreateDIBSection(dc, info, usage, &sectionBits, nullptr, 0);
    Check(section != nullptr && sectionBits != nullptr);
    std::memcpy(sectionBits, pixels.data(), pixels.size());
    DIBSECTION ds{};
    Check(GetObjectA(section, sizeof(ds), &ds) == sizeof(ds));
    Check(ds.dsBm.bmBits == sectionBits && ds.dsBmih.biSizeImage == format.imageBytes);

    UINT start = in.ConsumeIntegralInRange<UINT>(0, static_cast<UINT>(format.height));
    UINT lines = in.ConsumeIntegralInRange<UINT>(0, static_cast<UINT>(format.height) - start);
    int set = SetDIBits(dc, bitmap, start, lines, pixels.data(), info, usage);
    Check(set >= 0 && static_cast<UINT>(set) <= lines);

    int firstRow = -1;
    auto band =
        platform::gdi::SurfaceFromDibLines(info, pixels.data(), usage, start, lines, &firstRow);
    if (band) {
      Check(firstRow >= 0 && firstRow + band->height() <= format.height);
      uint32_t sum = 0;
      for (int y = 0; y < band->height(); ++y) {
        for (int x = 0; x < band->width(); ++x) sum += band->RawToColor(band->ReadRaw(x, y));
      }
      (void)sum;
    }

    // Keep the depth sweep affordable on big pictures.
    if (format.width <= 512 && format.height <= 512) {
      FetchAtEveryDepth(in, dc, bitmap, format.width, format.height);
      FetchAtEveryDepth(in, dc, section, format.width, format.height);
    }
    Check(DeleteObject(section) == TRUE);
    Check(DeleteObject(bitmap) == TRUE);
  }

  if (colorDC) SelectObject(dc, previous);
  if (colorBitmap != nullptr) DeleteObject(colorBitmap);
  DeleteDC(dc);
  return 0;
}
