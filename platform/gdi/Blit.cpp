// BitBlt, StretchBlt, PatBlt, MaskBlt, StretchDIBits and SetDIBitsToDevice. Each entry
// point checks its arguments and clips once (the destination's clip area, the source
// surface and the mask bitmap), then hands plain surface rectangles to the row engine,
// which never clips again.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DibFormat.h"
#include "platform/gdi/PixelRows.h"
#include "platform/gdi/RasterOps.h"
#include "platform/gdi/Stretch.h"
#include "platform/gdi/SurfaceLocks.h"
#include "platform/kernel32.h"

namespace platform::gdi {
namespace {

// Device rectangles are kept well inside 32 bits so that adding origins cannot overflow;
// no surface comes anywhere near this size.
constexpr int64_t kCoordLimit = int64_t{1} << 30;

int64_t ClampCoord(int64_t v) {
  return std::clamp(v, -kCoordLimit, kCoordLimit);
}

struct Span64 {
  int64_t lo;
  int64_t hi;  // exclusive
  bool empty() const { return hi <= lo; }
};

Span64 Intersect(Span64 a, Span64 b) {
  return {std::max(a.lo, b.lo), std::min(a.hi, b.hi)};
}

// A rectangle of the given (possibly negative) extent from its origin, as a half-open span.
Span64 Extent(int64_t origin, int64_t extent) {
  return extent >= 0 ? Span64{origin, origin + extent} : Span64{origin + extent, origin};
}

int64_t DeviceX(const DeviceContext& dc, int64_t x) {
  return x - dc.state.windowOrg.x + dc.state.viewportOrg.x;
}
int64_t DeviceY(const DeviceContext& dc, int64_t y) {
  return y - dc.state.windowOrg.y + dc.state.viewportOrg.y;
}

// The clipped destination rectangles, in surface coordinates.
std::vector<RECT> ClipDest(const DeviceContext& dc, Span64 x, Span64 y) {
  std::vector<RECT> rects;
  if (x.empty() || y.empty()) return rects;
  RECT device{static_cast<LONG>(ClampCoord(x.lo)), static_cast<LONG>(ClampCoord(y.lo)),
              static_cast<LONG>(ClampCoord(x.hi)), static_cast<LONG>(ClampCoord(y.hi))};
  dc.ClipDeviceRect(device, &rects);
  return rects;
}

RECT Bounds(const std::vector<RECT>& rects) {
  RECT b = rects.front();
  for (const RECT& r : rects) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

void IntersectAll(std::vector<RECT>* rects, const RECT& with) {
  std::vector<RECT> kept;
  for (RECT r : *rects) {
    r.left = std::max(r.left, with.left);
    r.top = std::max(r.top, with.top);
    r.right = std::min(r.right, with.right);
    r.bottom = std::min(r.bottom, with.bottom);
    if (r.left < r.right && r.top < r.bottom) kept.push_back(r);
  }
  *rects = std::move(kept);
}

// A device-dependent monochrome bitmap takes its colours from the DCs; DIB sections and
// window surfaces keep their own.
bool IsMonoDevice(const DeviceContext& dc) {
  if (!dc.surface || dc.surface->bitCount() != 1) return false;
  return !dc.state.bitmap || !dc.state.bitmap->dibSection;
}

// The brush as a raw destination value; false when there is nothing to paint with (no
// brush or the null brush), in which case operations that need a pattern draw nothing.
bool PatternRaw(const DeviceContext& dc, const Surface& dest, uint32_t* raw) {
  const auto& brush = dc.state.brush;
  if (!brush || brush->logBrush.lbStyle == BS_NULL) return false;
  *raw = dest.ColorToRaw(BrushColor(dc, *brush) & 0xFFFFFF);
  return true;
}

// Where the source of each destination row comes from.
struct RowSource {
  const Surface* surface = nullptr;  // null: the operation takes no source
  RawConverter* converter = nullptr;
  // Unstretched: source pixel = destination pixel + (dx, dy).
  int64_t dx = 0;
  int64_t dy = 0;
  // Stretched: source column and row per destination column and row from (x0, y0).
  const int* columns = nullptr;
  const int* rows = nullptr;
  int x0 = 0;
  int y0 = 0;
};

// MaskBlt's mask: 1 selects the foreground operation, 0 the background one.
struct RowMask {
  const Surface* surface = nullptr;
  int64_t dx = 0;
  int64_t dy = 0;
  uint8_t background = 0;
};

// The unchecked inner loop: every rectangle lies inside the destination, and the source
// and mask pixels it maps to lie inside theirs.
void RunRows(Surface& dest, const std::vector<RECT>& rects, uint8_t index, uint32_t pattern,
             const RowSource& source, const RowMask* mask) {
  int widest = 0;
  for (const RECT& r : rects) widest = std::max(widest, static_cast<int>(r.right - r.left));
  std::vector<uint32_t> sbuf(static_cast<size_t>(widest));
  std::vector<uint32_t> dbuf(static_cast<size_t>(widest));
  std::vector<uint32_t> back;
  std::vector<uint32_t> bits;
  if (mask != nullptr) {
    back.resize(static_cast<size_t>(widest));
    bits.resize(static_cast<size_t>(widest));
  }
  const uint32_t rawMask = dest.RawMask();
  const bool direct = dest.bitCount() == 32 && mask == nullptr;
  const bool readDest = RopUsesDest(index) || mask != nullptr;
  const bool directSource = source.surface != nullptr && source.columns == nullptr &&
                            source.surface->bitCount() == 32 && source.converter->identity();

  for (const RECT& r : rects) {
    const int n = r.right - r.left;
    for (int y = r.top; y < r.bottom; ++y) {
      const uint32_t* s = nullptr;
      if (source.surface != nullptr) {
        if (source.columns != nullptr) {
          GatherRawRow(*source.surface, source.columns + (r.left - source.x0),
                       source.rows[y - source.y0], n, sbuf.data());
          source.converter->Convert(sbuf.data(), n);
          s = sbuf.data();
        } else {
          const int sx = static_cast<int>(r.left + source.dx);
          const int sy = static_cast<int>(y + source.dy);
          if (directSource) {
            s = reinterpret_cast<const uint32_t*>(source.surface->Row(sy)) + sx;
          } else {
            ReadRawRow(*source.surface, sx, sy, n, sbuf.data());
            source.converter->Convert(sbuf.data(), n);
            s = sbuf.data();
          }
        }
      }
      if (direct) {
        ApplyRop3Row(index, reinterpret_cast<uint32_t*>(dest.Row(y)) + r.left, s, pattern, n,
                     rawMask);
        continue;
      }
      if (readDest) ReadRawRow(dest, r.left, y, n, dbuf.data());
      if (mask != nullptr) {
        std::memcpy(back.data(), dbuf.data(), 4 * static_cast<size_t>(n));
        ApplyRop3Row(index, dbuf.data(), s, pattern, n, rawMask);
        ApplyRop3Row(mask->background, back.data(), s, pattern, n, rawMask);
        ReadRawRow(*mask->surface, static_cast<int>(r.left + mask->dx),
                   static_cast<int>(y + mask->dy), n, bits.data());
        for (int i = 0; i < n; ++i) {
          if (bits[i] == 0) dbuf[i] = back[i];
        }
      } else {
        ApplyRop3Row(index, dbuf.data(), s, pattern, n, rawMask);
      }
      WriteRawRow(dest, r.left, y, n, dbuf.data());
    }
  }
}

// A copy of rows [top, bottom) of a surface, for blits whose source and destination are
// the same pixels: reading from the copy keeps every source pixel as it was before the
// blit, whatever order the clipped rectangles are drawn in.
std::shared_ptr<Surface> CopyRows(const Surface& s, int top, int bottom) {
  auto copy = Surface::Create(s.width(), bottom - top, s.bitCount(), true);
  if (!copy) return nullptr;
  copy->palette() = s.palette();
  copy->SetMasks(s.masks()[0], s.masks()[1], s.masks()[2]);
  for (int y = top; y < bottom; ++y)
    std::memcpy(copy->Row(y - top), s.Row(y), static_cast<size_t>(s.stride()));
  return copy;
}

// What a blit reads from, and the colours that decide monochrome conversions.
struct BlitSource {
  Surface* surface = nullptr;
  MonoColours colours;
};

BlitSource SourceOf(const DeviceContext& src, const DeviceContext& dest) {
  BlitSource b;
  b.surface = src.surface.get();
  b.colours.sourceBk = src.state.bkColor;
  b.colours.destText = dest.state.textColor;
  b.colours.destBk = dest.state.bkColor;
  b.colours.sourceIsMonoDevice = IsMonoDevice(src);
  return b;
}

// The mask of MaskBlt, in its own bitmap's coordinates.
struct BlitMask {
  Surface* surface = nullptr;
  int64_t x = 0;
  int64_t y = 0;
  uint8_t background = 0;
};

// An unstretched blit. (x, y) is the destination's top-left in device coordinates and
// (sx, sy) the source's in source surface coordinates; extents are positive.
BOOL BlitUnstretched(DeviceContext& dc, int64_t x, int64_t y, int64_t w, int64_t h,
                     const BlitSource* src, int64_t sx, int64_t sy, uint8_t index,
                     const BlitMask* mask) {
  Surface& dest = *dc.surface;
  Span64 xs{x, x + w};
  Span64 ys{y, y + h};
  // Destination surface pixel + delta = source pixel.
  const int64_t dx = sx - (x + dc.surfaceOrigin.x);
  const int64_t dy = sy - (y + dc.surfaceOrigin.y);
  if (src != nullptr) {
    xs = Intersect(xs, {-dx - dc.surfaceOrigin.x, src->surface->width() - dx - dc.surfaceOrigin.x});
    ys =
        Intersect(ys, {-dy - dc.surfaceOrigin.y, src->surface->height() - dy - dc.surfaceOrigin.y});
  }
  int64_t mdx = 0;
  int64_t mdy = 0;
  if (mask != nullptr) {
    mdx = mask->x - (x + dc.surfaceOrigin.x);
    mdy = mask->y - (y + dc.surfaceOrigin.y);
    xs = Intersect(xs,
                   {-mdx - dc.surfaceOrigin.x, mask->surface->width() - mdx - dc.surfaceOrigin.x});
    ys = Intersect(ys,
                   {-mdy - dc.surfaceOrigin.y, mask->surface->height() - mdy - dc.surfaceOrigin.y});
  }
  std::vector<RECT> rects = ClipDest(dc, xs, ys);
  if (rects.empty()) return TRUE;

  uint32_t pattern = 0;
  if (RopUsesPattern(index) && !PatternRaw(dc, dest, &pattern)) return TRUE;
  if (mask != nullptr && RopUsesPattern(mask->background) && !PatternRaw(dc, dest, &pattern))
    return TRUE;

  SurfaceLocks locks(&dest, src ? src->surface : nullptr, mask ? mask->surface : nullptr);
  dest.NoteDrawn(Bounds(rects));
  RowSource rs;
  std::shared_ptr<Surface> copy;
  std::unique_ptr<RawConverter> converter;
  if (src != nullptr) {
    const Surface* from = src->surface;
    rs.dx = dx;
    rs.dy = dy;
    const RECT b = Bounds(rects);
    const bool overlaps = b.left + dx < b.right && b.right + dx > b.left && b.top + dy < b.bottom &&
                          b.bottom + dy > b.top;
    if (src->surface == &dest && overlaps) {
      copy = CopyRows(dest, static_cast<int>(b.top + dy), static_cast<int>(b.bottom + dy));
      if (!copy) return FALSE;
      from = copy.get();
      rs.dy = dy - (b.top + dy);
    }
    converter = std::make_unique<RawConverter>(*from, dest, src->colours);
    rs.surface = from;
    rs.converter = converter.get();
  }
  RowMask rm;
  if (mask != nullptr) {
    rm.surface = mask->surface;
    rm.dx = mdx;
    rm.dy = mdy;
    rm.background = mask->background;
  }
  RunRows(dest, rects, index, pattern, rs, mask ? &rm : nullptr);
  return TRUE;
}

// A stretched blit from a source rectangle in source surface coordinates (extents of any
// sign) to a destination rectangle in device coordinates (extents of any sign).
BOOL BlitStretched(DeviceContext& dc, int64_t x, int64_t y, int64_t w, int64_t h,
                   const BlitSource& src, int64_t sx, int64_t sy, int64_t sw, int64_t sh,
                   uint8_t index) {
  if (w == 0 || h == 0) return TRUE;
  if (sw == 0 || sh == 0) return FALSE;
  if (std::llabs(w) == std::llabs(sw) && std::llabs(h) == std::llabs(sh) && (w < 0) == (sw < 0) &&
      (h < 0) == (sh < 0)) {
    Span64 dxs = Extent(x, w), dys = Extent(y, h), sxs = Extent(sx, sw), sys = Extent(sy, sh);
    return BlitUnstretched(dc, dxs.lo, dys.lo, dxs.hi - dxs.lo, dys.hi - dys.lo, &src, sxs.lo,
                           sys.lo, index, nullptr);
  }
  Surface& dest = *dc.surface;
  Span64 dxs = Extent(x, w), dys = Extent(y, h), sxs = Extent(sx, sw), sys = Extent(sy, sh);
  std::vector<RECT> rects = ClipDest(dc, dxs, dys);
  if (rects.empty()) return TRUE;

  StretchAxis ax{dxs.lo + dc.surfaceOrigin.x, dxs.hi - dxs.lo, sxs.lo, sxs.hi - sxs.lo,
                 (w < 0) != (sw < 0)};
  StretchAxis ay{dys.lo + dc.surfaceOrigin.y, dys.hi - dys.lo, sys.lo, sys.hi - sys.lo,
                 (h < 0) != (sh < 0)};
  RECT b = Bounds(rects);
  int64_t x0, x1, y0, y1;
  ax.ValidRange(b.left, b.right, src.surface->width(), &x0, &x1);
  ay.ValidRange(b.top, b.bottom, src.surface->height(), &y0, &y1);
  if (x1 <= x0 || y1 <= y0) return TRUE;
  const RECT valid{static_cast<LONG>(x0), static_cast<LONG>(y0), static_cast<LONG>(x1),
                   static_cast<LONG>(y1)};
  IntersectAll(&rects, valid);
  if (rects.empty()) return TRUE;

  uint32_t pattern = 0;
  if (RopUsesPattern(index) && !PatternRaw(dc, dest, &pattern)) return TRUE;

  const int bw = static_cast<int>(x1 - x0);
  const int bh = static_cast<int>(y1 - y0);
  SurfaceLocks locks(&dest, src.surface);
  dest.NoteDrawn(Bounds(rects));
  RowSource rs;
  if (dc.state.stretchMode == HALFTONE && dest.bitCount() >= 16) {
    const RECT& only = rects.front();
    if (IsBgrx32(dest) && index == RopIndex(SRCCOPY) && src.surface != &dest && rects.size() == 1 &&
        only.left == valid.left && only.top == valid.top && only.right == valid.right &&
        only.bottom == valid.bottom) {
      // Nothing to combine and nothing clipped: the averages go straight into place.
      const ptrdiff_t stride = bh > 1 ? (dest.Row(valid.top + 1) - dest.Row(valid.top)) / 4 : 0;
      HalftoneStretch(*src.surface, src.colours, ax, ay, valid.left, valid.right, valid.top,
                      valid.bottom, reinterpret_cast<uint32_t*>(dest.Row(valid.top)) + valid.left,
                      stride);
      return TRUE;
    }
    // Averaged first into a BGRX block, which the ROP then takes as its source.
    auto block = Surface::Create(bw, bh, 32, true);
    if (!block) return FALSE;
    HalftoneStretch(*src.surface, src.colours, ax, ay, valid.left, valid.right, valid.top,
                    valid.bottom, reinterpret_cast<uint32_t*>(block->Row(0)), block->stride() / 4);
    MonoColours colours = src.colours;
    colours.sourceIsMonoDevice = false;
    RawConverter converter(*block, dest, colours);
    rs.surface = block.get();
    rs.converter = &converter;
    rs.dx = -valid.left;
    rs.dy = -valid.top;
    RunRows(dest, rects, index, pattern, rs, nullptr);
    return TRUE;
  }

  // Nearest neighbour: every destination pixel reads one source pixel.
  std::vector<int> columns(static_cast<size_t>(bw));
  std::vector<int> rows(static_cast<size_t>(bh));
  for (int i = 0; i < bw; ++i) columns[i] = static_cast<int>(ax.Nearest(x0 + i));
  for (int i = 0; i < bh; ++i) rows[i] = static_cast<int>(ay.Nearest(y0 + i));
  const Surface* from = src.surface;
  std::shared_ptr<Surface> copy;
  if (src.surface == &dest) {
    auto [lo, hi] = std::minmax_element(rows.begin(), rows.end());
    const int top = *lo;
    copy = CopyRows(dest, top, *hi + 1);
    if (!copy) return FALSE;
    for (int& r : rows) r -= top;
    from = copy.get();
  }
  RawConverter converter(*from, dest, src.colours);
  rs.surface = from;
  rs.converter = &converter;
  rs.columns = columns.data();
  rs.rows = rows.data();
  rs.x0 = static_cast<int>(x0);
  rs.y0 = static_cast<int>(y0);
  RunRows(dest, rects, index, pattern, rs, nullptr);
  return TRUE;
}

// A rectangle of negative extent runs the other way from its origin.
void Normalise(int64_t* origin, int64_t* extent) {
  if (*extent < 0) {
    *origin += *extent;
    *extent = -*extent;
  }
}

BOOL PatBltDevice(DeviceContext& dc, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t index) {
  Normalise(&x, &w);
  Normalise(&y, &h);
  if (w == 0 || h == 0) return TRUE;
  return BlitUnstretched(dc, DeviceX(dc, x), DeviceY(dc, y), w, h, nullptr, 0, 0, index, nullptr);
}

std::shared_ptr<DeviceContext> DrawableDC(HDC handle) {
  auto dc = LookupDC(handle);
  if (!dc || !dc->surface) return nullptr;
  return dc;
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
  const uint8_t index = RopIndex(rop);
  auto dc = DrawableDC(handle);
  if (!dc || RopUsesSource(index)) return FALSE;
  return PatBltDevice(*dc, x, y, width, height, index);
}

BOOL BitBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc,
            DWORD rop) {
  const uint8_t index = RopIndex(rop);
  auto dc = DrawableDC(destHandle);
  if (!dc) return FALSE;
  if (!RopUsesSource(index)) return PatBltDevice(*dc, x, y, width, height, index);
  auto sdc = DrawableDC(srcHandle);
  if (!sdc) return FALSE;
  // Both rectangles flip to the other side of their origins; nothing is mirrored.
  int64_t dx = x, dy = y, w = width, h = height, sx = xSrc, sy = ySrc;
  if (w < 0) {
    dx += w;
    sx += w;
    w = -w;
  }
  if (h < 0) {
    dy += h;
    sy += h;
    h = -h;
  }
  if (w == 0 || h == 0) return TRUE;
  BlitSource src = SourceOf(*sdc, *dc);
  return BlitUnstretched(*dc, DeviceX(*dc, dx), DeviceY(*dc, dy), w, h, &src,
                         DeviceX(*sdc, sx) + sdc->surfaceOrigin.x,
                         DeviceY(*sdc, sy) + sdc->surfaceOrigin.y, index, nullptr);
}

BOOL StretchBlt(HDC destHandle, int xDest, int yDest, int destWidth, int destHeight, HDC srcHandle,
                int xSrc, int ySrc, int srcWidth, int srcHeight, DWORD rop) {
  const uint8_t index = RopIndex(rop);
  auto dc = DrawableDC(destHandle);
  if (!dc) return FALSE;
  if (!RopUsesSource(index)) return PatBltDevice(*dc, xDest, yDest, destWidth, destHeight, index);
  auto sdc = DrawableDC(srcHandle);
  if (!sdc) return FALSE;
  BlitSource src = SourceOf(*sdc, *dc);
  return BlitStretched(*dc, DeviceX(*dc, xDest), DeviceY(*dc, yDest), destWidth, destHeight, src,
                       DeviceX(*sdc, xSrc) + sdc->surfaceOrigin.x,
                       DeviceY(*sdc, ySrc) + sdc->surfaceOrigin.y, srcWidth, srcHeight, index);
}

BOOL MaskBlt(HDC destHandle, int xDest, int yDest, int width, int height, HDC srcHandle, int xSrc,
             int ySrc, HBITMAP maskHandle, int xMask, int yMask, DWORD rop4) {
  const uint8_t fore = RopIndex(rop4);
  const auto back = static_cast<uint8_t>(rop4 >> 24);
  if (maskHandle == nullptr)
    return BitBlt(destHandle, xDest, yDest, width, height, srcHandle, xSrc, ySrc,
                  rop4 & 0x00FFFFFF);
  auto dc = DrawableDC(destHandle);
  if (!dc) return FALSE;
  auto maskBitmap = Lookup<BitmapObject>(maskHandle);
  if (!maskBitmap || !maskBitmap->surface || maskBitmap->surface->bitCount() != 1) return FALSE;
  std::shared_ptr<DeviceContext> sdc;
  BlitSource src;
  const bool usesSource = RopUsesSource(fore) || RopUsesSource(back);
  if (usesSource) {
    sdc = DrawableDC(srcHandle);
    if (!sdc) return FALSE;
    src = SourceOf(*sdc, *dc);
  }
  if (width <= 0 || height <= 0) return width == 0 || height == 0 ? TRUE : FALSE;
  BlitMask mask{maskBitmap->surface.get(), xMask, yMask, back};
  int64_t sx = 0, sy = 0;
  if (usesSource) {
    sx = DeviceX(*sdc, xSrc) + sdc->surfaceOrigin.x;
    sy = DeviceY(*sdc, ySrc) + sdc->surfaceOrigin.y;
  }
  return BlitUnstretched(*dc, DeviceX(*dc, xDest), DeviceY(*dc, yDest), width, height,
                         usesSource ? &src : nullptr, sx, sy, fore, &mask);
}

int StretchDIBits(HDC handle, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                  int ySrc, int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop) {
  const uint8_t index = RopIndex(rop);
  auto dc = DrawableDC(handle);
  if (!dc || info == nullptr) return 0;
  DibFormat format;
  if (!ParseDibHeader(info, &format)) return 0;
  const int lines = std::abs(srcHeight);
  if (!RopUsesSource(index)) {
    return PatBltDevice(*dc, xDest, yDest, destWidth, destHeight, index) ? lines : 0;
  }
  if (bits == nullptr) return 0;
  std::shared_ptr<Surface> surface = SurfaceFromDib(info, bits, usage);
  if (!surface) return 0;
  // A bottom-up DIB counts ySrc up from its bottom row; the picture itself stays upright.
  int64_t sy = ySrc;
  if (!format.topDown) sy = int64_t{format.height} - ySrc - srcHeight;
  BlitSource src;
  src.surface = surface.get();
  // A DIB brings its own colours; conversions to monochrome go by the DC's background.
  src.colours.sourceBk = dc->state.bkColor;
  src.colours.destText = dc->state.textColor;
  src.colours.destBk = dc->state.bkColor;
  src.colours.sourceIsMonoDevice = false;
  if (!BlitStretched(*dc, DeviceX(*dc, xDest), DeviceY(*dc, yDest), destWidth, destHeight, src,
                     xSrc, sy, srcWidth, srcHeight, index))
    return 0;
  return lines;
}

int SetDIBitsToDevice(HDC handle, int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                      int ySrc, UINT startScan, UINT lines, const void* bits,
                      const BITMAPINFO* info, UINT usage) {
  auto dc = DrawableDC(handle);
  if (!dc || info == nullptr || bits == nullptr || lines == 0) return 0;
  DibFormat format;
  if (!ParseDibHeader(info, &format)) return 0;
  int firstRow = 0;
  std::shared_ptr<Surface> band =
      SurfaceFromDibLines(info, bits, usage, startScan, lines, &firstRow);
  if (!band) return 0;
  // Widths beyond 31 bits are nonsense; they just make the rectangle reach past everything.
  const int64_t w = std::min<int64_t>(width, kCoordLimit);
  const int64_t h = std::min<int64_t>(height, kCoordLimit);
  // The source rectangle's top row in picture rows (0 = top of the whole DIB).
  const int64_t top = format.topDown ? int64_t{ySrc} : int64_t{format.height} - ySrc - h;
  BlitSource src;
  src.surface = band.get();
  src.colours.sourceBk = dc->state.bkColor;
  src.colours.destText = dc->state.textColor;
  src.colours.destBk = dc->state.bkColor;
  if (w > 0 && h > 0) {
    BlitUnstretched(*dc, DeviceX(*dc, xDest), DeviceY(*dc, yDest), w, h, &src, xSrc, top - firstRow,
                    RopIndex(SRCCOPY), nullptr);
  }
  return static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(band->height())));
}
