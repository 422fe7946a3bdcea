// DIB parsing, the pixel converter, and the functions that move pixels between DIBs and
// bitmaps: CreateDIBSection, CreateDIBitmap, GetDIBits, SetDIBits.
//
// Headers and colour tables are read and written with memcpy: callers hand us packed DIBs
// (a BMP file's bytes after its 14-byte header, for instance) that need not be aligned.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/gdi/DeviceBitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DibFormat.h"
#include "platform/gdi/StandardPalettes.h"

namespace platform::gdi {

namespace {

template <class T>
T Load(const void* base, size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const uint8_t*>(base) + offset, sizeof(T));
  return value;
}

template <class T>
void Store(void* base, size_t offset, T value) {
  std::memcpy(static_cast<uint8_t*>(base) + offset, &value, sizeof(T));
}

// Offsets of BITMAPINFOHEADER fields.
constexpr size_t kWidth = 4;
constexpr size_t kHeight = 8;
constexpr size_t kPlanes = 12;
constexpr size_t kBitCount = 14;
constexpr size_t kCompression = 16;
constexpr size_t kSizeImage = 20;
constexpr size_t kXPels = 24;
constexpr size_t kYPels = 28;
constexpr size_t kClrUsed = 32;
constexpr size_t kClrImportant = 36;
// Masks sit right after a 40-byte header, or inside the later headers at the same offset.
constexpr size_t kMasks = 40;

constexpr DWORD kCoreHeaderSize = sizeof(BITMAPCOREHEADER);

bool IsInfoHeaderSize(DWORD size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool IsDibBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

void DefaultMasks(int bitCount, DWORD* masks) {
  if (bitCount == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else if (bitCount == 24 || bitCount == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  } else {
    masks[0] = masks[1] = masks[2] = 0;
  }
}

// The palette GetDIBits gives an indexed DIB made from `source`: the bitmap's own colours
// when it has the same depth, else the fixed palette of that depth.
const std::vector<RGBQUAD>& PaletteForFetch(const Surface& source, int bitCount) {
  if (source.bitCount() == bitCount && !source.palette().empty()) return source.palette();
  switch (bitCount) {
    case 1:
      return MonochromePalette();
    case 4:
      return VgaPalette();
    default:
      return HalftonePalette();
  }
}

void WriteColorTable(BITMAPINFO* info, const DibFormat& format,
                     const std::vector<RGBQUAD>& palette) {
  for (int i = 0; i < format.colorTableEntries; ++i) {
    RGBQUAD q = i < static_cast<int>(palette.size()) ? palette[i] : RGBQUAD{0, 0, 0, 0};
    q.rgbReserved = 0;
    if (format.core) {
      RGBTRIPLE t{q.rgbBlue, q.rgbGreen, q.rgbRed};
      Store(info, format.headerSize + 3 * static_cast<size_t>(i), t);
    } else {
      Store(info, format.headerSize + 4 * static_cast<size_t>(i), q);
    }
  }
}

// How scan lines of a GetDIBits/SetDIBits call meet the bitmap: scan line s is bitmap row
// H-1-s for a bottom-up DIB and row s for a top-down one, counted in the bitmap's height, so
// that both calls address the same rows.
int BitmapRowOfScan(const DibFormat& dib, int bitmapHeight, int scan) {
  return dib.topDown ? scan : bitmapHeight - 1 - scan;
}

// Scan lines of the call that lie in both the DIB and the bitmap.
int LinesInRange(const DibFormat& dib, int bitmapHeight, UINT start, UINT lines) {
  int64_t limit = std::min<int64_t>(dib.height, bitmapHeight);
  if (static_cast<int64_t>(start) >= limit) return 0;
  return static_cast<int>(std::min<int64_t>(lines, limit - start));
}

// A top-down surface over `count` rows of DIB memory (memory row k = Row(k)).
std::shared_ptr<Surface> ViewRows(const DibFormat& dib, const void* bits, int count) {
  auto view = std::make_shared<Surface>(dib.width, count, dib.bitCount, true);
  view->AttachExternal(static_cast<uint8_t*>(const_cast<void*>(bits)));
  if (dib.bitCount <= 8) view->palette() = dib.colors;
  view->SetMasks(dib.masks[0], dib.masks[1], dib.masks[2]);
  return view;
}

// Writes `count` scan lines from `bits` (laid out as `dib` describes) into the bitmap.
int SetScanLines(Surface& target, const DibFormat& dib, const void* bits, UINT start, UINT lines) {
  int count = LinesInRange(dib, target.height(), start, lines);
  if (count <= 0) return 0;
  auto source = ViewRows(dib, bits, count);
  int width = std::min(dib.width, target.width());
  std::lock_guard lock(target.lock());
  PixelConverter converter(*source, target);
  for (int k = 0; k < count; ++k) {
    int row = BitmapRowOfScan(dib, target.height(), static_cast<int>(start) + k);
    converter.CopyRow(*source, k, target, row, width);
  }
  return count;
}

// Zeroes a DIB row from pixel `width` on, padding included: GetDIBits defines every byte
// it hands back, even where the DIB is wider than the bitmap.
void ClearRowTail(Surface& s, int row, int width) {
  size_t used = (static_cast<size_t>(width) * s.bitCount() + 7) / 8;
  for (int x = width; static_cast<size_t>(x) * s.bitCount() < used * 8; ++x) s.WriteRaw(x, row, 0);
  std::memset(s.Row(row) + used, 0, static_cast<size_t>(s.stride()) - used);
}

bool SamePalette(const std::vector<RGBQUAD>& a, const std::vector<RGBQUAD>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].rgbRed != b[i].rgbRed || a[i].rgbGreen != b[i].rgbGreen ||
        a[i].rgbBlue != b[i].rgbBlue)
      return false;
  }
  return true;
}

bool IsBgrx(const Surface& s) {
  return s.bitCount() == 32 && s.masks()[0] == 0xFF0000 && s.masks()[1] == 0xFF00 &&
         s.masks()[2] == 0xFF;
}

}  // namespace

bool ParseDibHeader(const void* header, DibFormat* out) {
  if (header == nullptr || out == nullptr) return false;
  DibFormat f;
  f.headerSize = Load<DWORD>(header, 0);
  int64_t width;
  int64_t height;
  int planes;
  DWORD colorsUsed = 0;
  if (f.headerSize == kCoreHeaderSize) {
    f.core = true;
    width = Load<WORD>(header, 4);
    height = Load<WORD>(header, 6);
    planes = Load<WORD>(header, 8);
    f.bitCount = Load<WORD>(header, 10);
    if (f.bitCount == 16 || f.bitCount == 32) return false;
  } else if (IsInfoHeaderSize(f.headerSize)) {
    width = Load<LONG>(header, kWidth);
    height = Load<LONG>(header, kHeight);
    planes = Load<WORD>(header, kPlanes);
    f.bitCount = Load<WORD>(header, kBitCount);
    f.compression = Load<DWORD>(header, kCompression);
    colorsUsed = Load<DWORD>(header, kClrUsed);
    if (height < 0) {
      f.topDown = true;
      height = -height;
    }
  } else {
    return false;
  }
  if (planes != 1 || !IsDibBitCount(f.bitCount)) return false;
  if (f.compression == BI_BITFIELDS) {
    if (f.bitCount != 16 && f.bitCount != 32) return false;
  } else if (f.compression != BI_RGB) {
    return false;
  }
  if (width <= 0 || height <= 0 || width > Surface::kMaxSide || height > Surface::kMaxSide ||
      width * height > Surface::kMaxPixels) {
    return false;
  }
  f.width = static_cast<int>(width);
  f.height = static_cast<int>(height);
  f.stride = DibStride(f.width, f.bitCount);
  if (f.stride == 0) return false;
  f.imageBytes = static_cast<size_t>(f.stride) * static_cast<size_t>(f.height);
  DefaultMasks(f.bitCount, f.masks);
  if (f.bitCount <= 8) {
    DWORD most = 1u << f.bitCount;
    f.colorTableEntries =
        static_cast<int>(colorsUsed == 0 || colorsUsed > most ? most : colorsUsed);
  } else {
    // Deeper DIBs may carry a table to help palette devices; it only moves the bits.
    f.colorTableEntries = static_cast<int>(std::min<DWORD>(colorsUsed, 256));
  }
  f.headerBytes = f.headerSize;
  if (f.compression == BI_BITFIELDS && f.headerSize == 40) f.headerBytes += 3 * sizeof(DWORD);
  f.headerBytes += static_cast<size_t>(f.colorTableEntries) * (f.core ? 3 : 4);
  *out = std::move(f);
  return true;
}

bool ParseDibInfo(const BITMAPINFO* info, UINT usage, DibFormat* out) {
  if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return false;
  DibFormat f;
  if (!ParseDibHeader(info, &f)) return false;
  if (f.compression == BI_BITFIELDS) {
    for (int i = 0; i < 3; ++i) f.masks[i] = Load<DWORD>(info, kMasks + 4 * static_cast<size_t>(i));
  }
  if (usage == DIB_PAL_COLORS) {
    f.headerBytes -= static_cast<size_t>(f.colorTableEntries) * (f.core ? 3 : 4);
    f.headerBytes += static_cast<size_t>(f.colorTableEntries) * sizeof(WORD);
  }
  if (f.bitCount <= 8) {
    f.colors.resize(static_cast<size_t>(f.colorTableEntries));
    const std::vector<RGBQUAD>& system = DefaultLogicalPalette();
    for (int i = 0; i < f.colorTableEntries; ++i) {
      RGBQUAD q;
      if (usage == DIB_PAL_COLORS) {
        // Indices past the default palette have no colour; they show black.
        WORD index = Load<WORD>(info, f.headerSize + 2 * static_cast<size_t>(i));
        q = index < system.size() ? system[index] : RGBQUAD{0, 0, 0, 0};
      } else if (f.core) {
        auto t = Load<RGBTRIPLE>(info, f.headerSize + 3 * static_cast<size_t>(i));
        q = RGBQUAD{t.rgbtBlue, t.rgbtGreen, t.rgbtRed, 0};
      } else {
        q = Load<RGBQUAD>(info, f.headerSize + 4 * static_cast<size_t>(i));
        q.rgbReserved = 0;
      }
      f.colors[static_cast<size_t>(i)] = q;
    }
  }
  *out = std::move(f);
  return true;
}

std::shared_ptr<Surface> SurfaceFromDib(const BITMAPINFO* info, const void* bits, UINT usage) {
  DibFormat f;
  if (bits == nullptr || !ParseDibInfo(info, usage, &f)) return nullptr;
  auto surface = std::make_shared<Surface>(f.width, f.height, f.bitCount, f.topDown);
  surface->AttachExternal(static_cast<uint8_t*>(const_cast<void*>(bits)));
  if (f.bitCount <= 8) surface->palette() = f.colors;
  surface->SetMasks(f.masks[0], f.masks[1], f.masks[2]);
  return surface;
}

std::shared_ptr<Surface> SurfaceFromDibLines(const BITMAPINFO* info, const void* bits, UINT usage,
                                             UINT startScan, UINT lines, int* firstRow) {
  DibFormat f;
  if (bits == nullptr || !ParseDibInfo(info, usage, &f)) return nullptr;
  if (static_cast<int64_t>(startScan) >= f.height || lines == 0) return nullptr;
  int count =
      static_cast<int>(std::min<int64_t>(lines, f.height - static_cast<int64_t>(startScan)));
  auto surface = std::make_shared<Surface>(f.width, count, f.bitCount, f.topDown);
  surface->AttachExternal(static_cast<uint8_t*>(const_cast<void*>(bits)));
  if (f.bitCount <= 8) surface->palette() = f.colors;
  surface->SetMasks(f.masks[0], f.masks[1], f.masks[2]);
  if (firstRow != nullptr) {
    *firstRow =
        f.topDown ? static_cast<int>(startScan) : f.height - static_cast<int>(startScan) - count;
  }
  return surface;
}

PixelConverter::PixelConverter(const Surface& from, const Surface& to) {
  const int fromBits = from.bitCount();
  const int toBits = to.bitCount();
  if (fromBits == toBits) {
    bool same = fromBits <= 8    ? SamePalette(from.palette(), to.palette())
                : fromBits == 24 ? true
                                 : std::equal(from.masks(), from.masks() + 3, to.masks());
    if (same) {
      mode_ = Mode::Copy;
      return;
    }
  }
  if (fromBits <= 8) {
    mode_ = Mode::IndexTable;
    for (uint32_t i = 0; i < (1u << fromBits); ++i) table_[i] = to.ColorToRaw(from.RawToColor(i));
    return;
  }
  if (IsBgrx(from) && toBits == 24) {
    mode_ = Mode::Bgrx32To24;
    return;
  }
  if (fromBits == 24 && IsBgrx(to)) {
    mode_ = Mode::Rgb24To32;
    return;
  }
  mode_ = Mode::Generic;
  if (toBits <= 8) {
    targetPalette_ = to.palette();
    cache_ = std::make_unique<NearestIndexCache>(targetPalette_);
  }
}

void PixelConverter::CopyRow(const Surface& from, int fromRow, Surface& to, int toRow, int width) {
  if (width <= 0) return;
  const uint8_t* in = from.Row(fromRow);
  uint8_t* out = to.Row(toRow);
  switch (mode_) {
    case Mode::Copy: {
      // Whole bytes at once; a trailing part byte goes pixel by pixel so that pixels of the
      // target past `width` keep their values.
      size_t wholeBytes = static_cast<size_t>(width) * from.bitCount() / 8;
      std::memmove(out, in, wholeBytes);
      int done = static_cast<int>(wholeBytes * 8 / static_cast<size_t>(from.bitCount()));
      for (int x = done; x < width; ++x) to.WriteRaw(x, toRow, from.ReadRaw(x, fromRow));
      return;
    }
    case Mode::IndexTable:
      if (from.bitCount() == 8 && to.bitCount() == 32) {
        for (int x = 0; x < width; ++x)
          std::memcpy(out + 4 * static_cast<size_t>(x), &table_[in[x]], 4);
        return;
      }
      for (int x = 0; x < width; ++x)
        to.WriteRaw(x, toRow, table_[from.ReadRaw(x, fromRow) & 0xFF]);
      return;
    case Mode::Bgrx32To24:
      for (int x = 0; x < width; ++x) {
        std::memmove(out + 3 * static_cast<size_t>(x), in + 4 * static_cast<size_t>(x), 3);
      }
      return;
    case Mode::Rgb24To32:
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = in + 3 * static_cast<size_t>(x);
        uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                     (static_cast<uint32_t>(p[2]) << 16);
        std::memcpy(out + 4 * static_cast<size_t>(x), &v, 4);
      }
      return;
    case Mode::Generic:
      for (int x = 0; x < width; ++x) {
        COLORREF c = from.RawToColor(from.ReadRaw(x, fromRow));
        to.WriteRaw(x, toRow, cache_ ? cache_->Find(c) : to.ColorToRaw(c));
      }
      return;
  }
}

}  // namespace platform::gdi

using namespace platform::gdi;

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
  (void)offset;
  if (bits != nullptr) *bits = nullptr;
  // The DC only matters for DIB_PAL_COLORS, whose palette is always the default one; a
  // handle that is given must still be a DC. File-mapping sections are not supported.
  if ((dc != nullptr && !Lookup<DeviceContext>(dc)) || section != nullptr) return nullptr;
  DibFormat f;
  if (!ParseDibInfo(info, usage, &f)) return nullptr;
  auto surface = Surface::Create(f.width, f.height, f.bitCount, f.topDown);
  if (!surface) return nullptr;
  if (f.bitCount <= 8) surface->palette() = f.colors;
  surface->SetMasks(f.masks[0], f.masks[1], f.masks[2]);

  auto bitmap = std::make_shared<BitmapObject>();
  bitmap->dibSection = true;
  BITMAPINFOHEADER& h = bitmap->dibHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = f.width;
  h.biHeight = f.topDown ? -f.height : f.height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(f.bitCount);
  h.biCompression = f.compression;
  h.biSizeImage = static_cast<DWORD>(f.imageBytes);
  if (!f.core) {
    h.biXPelsPerMeter = Load<LONG>(info, kXPels);
    h.biYPelsPerMeter = Load<LONG>(info, kYPels);
  }
  h.biClrUsed = f.bitCount <= 8 ? static_cast<DWORD>(f.colorTableEntries) : 0;
  std::memcpy(bitmap->bitfields, f.masks, sizeof(bitmap->bitfields));
  uint8_t* pixels = surface->bits();
  bitmap->surface = std::move(surface);
  HBITMAP handle = InsertObject(std::move(bitmap));
  if (handle != nullptr && bits != nullptr) *bits = pixels;
  return handle;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  DibFormat shape;
  int bitCount;
  if (!ParseDibHeader(header, &shape) || !CompatibleBitCount(dc, &bitCount)) return nullptr;
  auto bitmap = NewDeviceBitmap(shape.width, shape.height, bitCount);
  if (!bitmap) return nullptr;
  if (init & CBM_INIT) {
    DibFormat source;
    if (bits == nullptr || !ParseDibInfo(info, usage, &source)) return nullptr;
    SetScanLines(*bitmap->surface, source, bits, 0, static_cast<UINT>(source.height));
  }
  return InsertObject(std::move(bitmap));
}

int SetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
  auto bitmap = Lookup<BitmapObject>(handle);
  if ((dc != nullptr && !Lookup<DeviceContext>(dc)) || !bitmap || !bitmap->surface ||
      bits == nullptr) {
    return 0;
  }
  DibFormat source;
  if (!ParseDibInfo(info, usage, &source)) return 0;
  return SetScanLines(*bitmap->surface, source, bits, start, lines);
}

int GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage) {
  auto bitmap = Lookup<BitmapObject>(handle);
  if (!Lookup<DeviceContext>(dc) || !bitmap || !bitmap->surface || info == nullptr) return 0;
  // Colour tables of palette indices would index a palette the screen does not have.
  if (usage != DIB_RGB_COLORS) return 0;
  Surface& source = *bitmap->surface;
  const DWORD headerSize = Load<DWORD>(info, 0);
  const bool core = headerSize == kCoreHeaderSize;
  if (!core && !IsInfoHeaderSize(headerSize)) return 0;
  const int requestedBits = Load<WORD>(info, core ? 10 : kBitCount);

  if (bits == nullptr && requestedBits == 0) {
    // The plain query: describe the bitmap in its own depth, without a colour table.
    const int depth = source.bitCount();
    if (core) {
      Store<WORD>(info, 4, static_cast<WORD>(source.width()));
      Store<WORD>(info, 6, static_cast<WORD>(source.height()));
      Store<WORD>(info, 8, 1);
      Store<WORD>(info, 10, static_cast<WORD>(depth));
      return source.height();
    }
    Store<LONG>(info, kWidth, source.width());
    Store<LONG>(info, kHeight, source.height());
    Store<WORD>(info, kPlanes, 1);
    Store<WORD>(info, kBitCount, static_cast<WORD>(depth));
    Store<DWORD>(info, kCompression, BI_RGB);
    Store<DWORD>(info, kSizeImage,
                 static_cast<DWORD>(static_cast<size_t>(DibStride(source.width(), depth)) *
                                    static_cast<size_t>(source.height())));
    Store<LONG>(info, kXPels, 0);
    Store<LONG>(info, kYPels, 0);
    Store<DWORD>(info, kClrUsed, 0);
    Store<DWORD>(info, kClrImportant, 0);
    return source.height();
  }

  if (bits == nullptr) {
    // The query for a chosen depth: the bitmap's size in that depth and its colour table.
    if (!IsDibBitCount(requestedBits) || (core && (requestedBits == 16 || requestedBits == 32)))
      return 0;
    if (core) {
      Store<WORD>(info, 4, static_cast<WORD>(source.width()));
      Store<WORD>(info, 6, static_cast<WORD>(source.height()));
      Store<WORD>(info, 8, 1);
    } else {
      DWORD compression = Load<DWORD>(info, kCompression);
      if (compression != BI_BITFIELDS || (requestedBits != 16 && requestedBits != 32))
        compression = BI_RGB;
      bool topDown = Load<LONG>(info, kHeight) < 0;
      Store<LONG>(info, kWidth, source.width());
      Store<LONG>(info, kHeight, topDown ? -source.height() : source.height());
      Store<WORD>(info, kPlanes, 1);
      Store<DWORD>(info, kCompression, compression);
      Store<DWORD>(
          info, kSizeImage,
          static_cast<DWORD>(static_cast<size_t>(DibStride(source.width(), requestedBits)) *
                             static_cast<size_t>(source.height())));
    }
  }

  DibFormat target;
  if (!ParseDibHeader(info, &target)) return 0;
  if (target.compression == BI_BITFIELDS) {
    DWORD masks[3];
    for (int i = 0; i < 3; ++i) masks[i] = Load<DWORD>(info, kMasks + 4 * static_cast<size_t>(i));
    if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
      // Nothing asked for: tell the caller the layout we use.
      if (target.bitCount == 16) {
        masks[0] = 0xF800;
        masks[1] = 0x07E0;
        masks[2] = 0x001F;
      } else {
        DefaultMasks(32, masks);
      }
      for (int i = 0; i < 3; ++i) Store<DWORD>(info, kMasks + 4 * static_cast<size_t>(i), masks[i]);
    }
    std::copy(masks, masks + 3, target.masks);
  }
  std::lock_guard lock(source.lock());
  if (target.bitCount <= 8) {
    const std::vector<RGBQUAD>& palette = PaletteForFetch(source, target.bitCount);
    target.colors.assign(
        palette.begin(),
        palette.begin() +
            std::min<size_t>(palette.size(), static_cast<size_t>(target.colorTableEntries)));
    WriteColorTable(info, target, target.colors);
  }
  if (bits == nullptr) return source.height();

  int count = LinesInRange(target, source.height(), start, lines);
  if (count <= 0) return 0;
  auto out = ViewRows(target, bits, count);
  int width = std::min(target.width, source.width());
  PixelConverter converter(source, *out);
  for (int k = 0; k < count; ++k) {
    int row = BitmapRowOfScan(target, source.height(), static_cast<int>(start) + k);
    converter.CopyRow(source, row, *out, k, width);
    ClearRowTail(*out, k, width);
  }
  return count;
}
