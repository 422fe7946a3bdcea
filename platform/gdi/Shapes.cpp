// Lines, rectangles, ellipses, polygons and the rectangle helpers of the controls. Every
// shape is reduced to horizontal spans in device coordinates; the painter clips the spans
// against the DC's clip area (fetched once per shape) and applies the DC's binary raster
// operation. Shapes are walked only over the rows and columns the clip area can show, so
// huge coordinates cost no more than small ones.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/PixelRows.h"
#include "platform/gdi/RasterOps.h"

namespace platform::gdi {
namespace {

constexpr int64_t kCoordLimit = int64_t{1} << 30;
constexpr uint8_t kPatCopy = 0xF0;
constexpr uint8_t kDstInvert = 0x55;

int64_t ClampCoord(int64_t v) {
  return std::clamp(v, -kCoordLimit, kCoordLimit);
}

int64_t DevX(const DeviceContext& dc, int64_t x) {
  return x - dc.state.windowOrg.x + dc.state.viewportOrg.x;
}
int64_t DevY(const DeviceContext& dc, int64_t y) {
  return y - dc.state.windowOrg.y + dc.state.viewportOrg.y;
}

// Paints spans given in device coordinates into the DC's surface, clipped. Holds the
// surface lock for its lifetime, so one shape is one primitive.
class Painter {
 public:
  // `left`..`bottom`: device-space bounds of everything the shape may touch.
  Painter(DeviceContext& dc, int64_t left, int64_t top, int64_t right, int64_t bottom)
      : dc_(dc), surface_(*dc.surface) {
    if (right <= left || bottom <= top) return;
    RECT device{static_cast<LONG>(ClampCoord(left)), static_cast<LONG>(ClampCoord(top)),
                static_cast<LONG>(ClampCoord(right)), static_cast<LONG>(ClampCoord(bottom))};
    dc.ClipDeviceRect(device, &clips_);
    if (clips_.empty()) return;
    RECT b = clips_.front();
    for (const RECT& r : clips_) {
      b.left = std::min(b.left, r.left);
      b.top = std::min(b.top, r.top);
      b.right = std::max(b.right, r.right);
      b.bottom = std::max(b.bottom, r.bottom);
    }
    // Visible bounds back in device coordinates, for walking shapes.
    minX_ = b.left - dc.surfaceOrigin.x;
    maxX_ = b.right - dc.surfaceOrigin.x;
    minY_ = b.top - dc.surfaceOrigin.y;
    maxY_ = b.bottom - dc.surfaceOrigin.y;
    buffer_.resize(static_cast<size_t>(b.right - b.left));
    lock_ = std::unique_lock<SurfaceMutex>(surface_.lock());
    surface_.NoteDrawn(b);
  }

  bool empty() const { return clips_.empty(); }
  // The device rows and columns that can show anything: [minY, maxY) x [minX, maxX).
  int64_t minX() const { return minX_; }
  int64_t maxX() const { return maxX_; }
  int64_t minY() const { return minY_; }
  int64_t maxY() const { return maxY_; }

  uint32_t Raw(COLORREF color) const { return surface_.ColorToRaw(color & 0xFFFFFF); }

  // Pixels [x0, x1) of device row y.
  void Span(int64_t y, int64_t x0, int64_t x1, uint8_t rop, uint32_t raw) {
    if (y < minY_ || y >= maxY_ || x1 <= x0) return;
    const int64_t sy = y + dc_.surfaceOrigin.y;
    const int64_t sx0 = x0 + dc_.surfaceOrigin.x;
    const int64_t sx1 = x1 + dc_.surfaceOrigin.x;
    for (const RECT& r : clips_) {
      if (sy < r.top || sy >= r.bottom) continue;
      const int64_t a = std::max<int64_t>(sx0, r.left);
      const int64_t b = std::min<int64_t>(sx1, r.right);
      if (a < b) Fill(static_cast<int>(sy), static_cast<int>(a), static_cast<int>(b - a), rop, raw);
    }
  }
  void Pixel(int64_t x, int64_t y, uint8_t rop, uint32_t raw) { Span(y, x, x + 1, rop, raw); }

 private:
  void Fill(int y, int x, int n, uint8_t rop, uint32_t raw) {
    if (surface_.bitCount() == 32) {
      ApplyRop3Row(rop, reinterpret_cast<uint32_t*>(surface_.Row(y)) + x, nullptr, raw, n,
                   surface_.RawMask());
      return;
    }
    if (RopUsesDest(rop)) ReadRawRow(surface_, x, y, n, buffer_.data());
    ApplyRop3Row(rop, buffer_.data(), nullptr, raw, n, surface_.RawMask());
    WriteRawRow(surface_, x, y, n, buffer_.data());
  }

  DeviceContext& dc_;
  Surface& surface_;
  std::vector<RECT> clips_;
  std::vector<uint32_t> buffer_;
  int64_t minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0;
  std::unique_lock<SurfaceMutex> lock_;
};

// Spans gathered per row and painted once each, so that a pixel covered twice by one
// shape (the round caps of a wide polyline) is not inverted twice under R2_XORPEN.
class Coverage {
 public:
  void Add(int64_t y, int64_t x0, int64_t x1) {
    if (x1 > x0) rows_[y].push_back({x0, x1});
  }
  void Paint(Painter& painter, uint8_t rop, uint32_t raw) {
    for (auto& [y, spans] : rows_) {
      std::sort(spans.begin(), spans.end());
      int64_t a = spans.front().first, b = spans.front().second;
      for (const auto& s : spans) {
        if (s.first > b) {
          painter.Span(y, a, b, rop, raw);
          a = s.first;
        }
        b = std::max(b, s.second);
      }
      painter.Span(y, a, b, rop, raw);
    }
  }

 private:
  std::map<int64_t, std::vector<std::pair<int64_t, int64_t>>> rows_;
};

// The pen as drawn: a width of 0 or 1 is the one-pixel cosmetic pen; dash styles apply
// only to it (wider dashed pens draw solid, as on Windows).
struct PenInfo {
  bool null = true;
  int64_t width = 1;
  int style = PS_SOLID;
  uint32_t raw = 0;
  uint32_t bkRaw = 0;
  bool opaqueGaps = false;
  uint8_t rop = kPatCopy;
};

// Dash patterns of the cosmetic styled pens, alternating on and off runs in pixels.
struct DashPattern {
  int runs[6];
  int count;
  int length;
};

const DashPattern* DashFor(int style) {
  static const DashPattern kDash{{18, 6}, 2, 24};
  static const DashPattern kDot{{3, 3}, 2, 6};
  static const DashPattern kDashDot{{9, 6, 3, 6}, 4, 24};
  static const DashPattern kDashDotDot{{9, 3, 3, 3, 3, 3}, 6, 24};
  switch (style) {
    case PS_DASH:
      return &kDash;
    case PS_DOT:
      return &kDot;
    case PS_DASHDOT:
      return &kDashDot;
    case PS_DASHDOTDOT:
      return &kDashDotDot;
    default:
      return nullptr;
  }
}

bool DashOn(const DashPattern& d, int64_t position) {
  int64_t p = position % d.length;
  for (int i = 0; i < d.count; ++i) {
    if (p < d.runs[i]) return (i & 1) == 0;
    p -= d.runs[i];
  }
  return false;
}

// Pens wider than any surface draw the same as one that covers it.
constexpr int64_t kMaxPenWidth = int64_t{1} << 16;

PenInfo PenOf(const DeviceContext& dc, const Painter& painter) {
  PenInfo info;
  const auto& pen = dc.state.pen;
  if (!pen || pen->logPen.lopnStyle == static_cast<UINT>(PS_NULL)) return info;
  info.null = false;
  info.width = std::clamp<int64_t>(pen->logPen.lopnWidth.x, 1, kMaxPenWidth);
  info.style = static_cast<int>(pen->logPen.lopnStyle);
  if (info.width > 1 && DashFor(info.style) != nullptr) info.style = PS_SOLID;
  info.raw = painter.Raw(PenColor(dc, *pen));
  info.bkRaw = painter.Raw(dc.state.bkColor);
  info.opaqueGaps = dc.state.bkMode == OPAQUE;
  info.rop = Rop2ToRop3(dc.state.rop2);
  return info;
}

// The brush as a raw value; false for no brush or the null brush.
bool BrushRaw(const DeviceContext& dc, const Painter& painter, uint32_t* raw) {
  const auto& brush = dc.state.brush;
  if (!brush || brush->logBrush.lbStyle == BS_NULL) return false;
  *raw = painter.Raw(BrushColor(dc, *brush));
  return true;
}

// The pixels of a one-pixel line from (x0, y0) towards (x1, y1), last pixel excluded.
// Pixel k along the major axis sits at the rounded exact position, so any run of the
// line can be produced without walking from its start: only the part within the visible
// columns or rows is visited. `phase` is the dash position of the first pixel.
void ThinLine(Painter& painter, const PenInfo& pen, int64_t x0, int64_t y0, int64_t x1, int64_t y1,
              int64_t phase) {
  const int64_t adx = std::llabs(x1 - x0);
  const int64_t ady = std::llabs(y1 - y0);
  const int64_t sx = x1 >= x0 ? 1 : -1;
  const int64_t sy = y1 >= y0 ? 1 : -1;
  const bool xMajor = adx >= ady;
  const int64_t steps = xMajor ? adx : ady;
  if (steps == 0) return;
  const int64_t minor = xMajor ? ady : adx;
  const int64_t origin = xMajor ? x0 : y0;
  const int64_t dir = xMajor ? sx : sy;
  const int64_t lo = xMajor ? painter.minX() : painter.minY();
  const int64_t hi = xMajor ? painter.maxX() : painter.maxY();
  // Steps whose major coordinate origin + dir * k lies in [lo, hi).
  int64_t k0 = dir > 0 ? lo - origin : origin - hi + 1;
  int64_t k1 = dir > 0 ? hi - origin : origin - lo + 1;
  k0 = std::max<int64_t>(k0, 0);
  k1 = std::min<int64_t>(k1, steps);
  const DashPattern* dash = DashFor(pen.style);
  for (int64_t k = k0; k < k1; ++k) {
    const auto off = static_cast<int64_t>((static_cast<__int128>(2) * k * minor + steps) /
                                          (static_cast<__int128>(2) * steps));
    const int64_t x = xMajor ? x0 + sx * k : x0 + sx * off;
    const int64_t y = xMajor ? y0 + sy * off : y0 + sy * k;
    if (dash != nullptr && !DashOn(*dash, phase + k)) {
      if (pen.opaqueGaps) painter.Pixel(x, y, pen.rop, pen.bkRaw);
      continue;
    }
    painter.Pixel(x, y, pen.rop, pen.raw);
  }
}

// A wide line: every pixel whose centre lies within width/2 of the segment between the
// end pixels' centres (round caps). Sample points sit a hair above and left of the centres
// so that even widths cover exactly `width` rows or columns.
void WideLine(Coverage& cover, const Painter& painter, int64_t width, int64_t x0, int64_t y0,
              int64_t x1, int64_t y1) {
  constexpr double kNudge = 1.0 / 1024;
  const double r = static_cast<double>(width) / 2;
  const double ax = static_cast<double>(x0), ay = static_cast<double>(y0);
  const double bx = static_cast<double>(x1), by = static_cast<double>(y1);
  const double len = std::hypot(bx - ax, by - ay);
  const int64_t top = std::max(std::min(y0, y1) - width, painter.minY());
  const int64_t bottom = std::min(std::max(y0, y1) + width + 1, painter.maxY());
  // Unit normal scaled to the half width: the band's corners are the ends +- n.
  const double nx = len > 0 ? -(by - ay) / len * r : 0;
  const double ny = len > 0 ? (bx - ax) / len * r : 0;
  const double corners[4][2] = {
      {ax + nx, ay + ny}, {bx + nx, by + ny}, {bx - nx, by - ny}, {ax - nx, ay - ny}};
  for (int64_t y = top; y < bottom; ++y) {
    const double yc = static_cast<double>(y) - kNudge;
    double lo = INFINITY, hi = -INFINITY;
    auto disc = [&](double cx, double cy) {
      const double d = yc - cy;
      if (std::fabs(d) > r) return;
      const double h = std::sqrt(r * r - d * d);
      lo = std::min(lo, cx - h);
      hi = std::max(hi, cx + h);
    };
    disc(ax, ay);
    disc(bx, by);
    if (len > 0) {
      for (int e = 0; e < 4; ++e) {
        const double* p = corners[e];
        const double* q = corners[(e + 1) % 4];
        if ((yc < p[1] && yc < q[1]) || (yc > p[1] && yc > q[1])) continue;
        if (p[1] == q[1]) {
          lo = std::min({lo, p[0], q[0]});
          hi = std::max({hi, p[0], q[0]});
          continue;
        }
        const double x = p[0] + (yc - p[1]) * (q[0] - p[0]) / (q[1] - p[1]);
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
    }
    if (lo > hi) continue;
    const auto first = static_cast<int64_t>(
        std::ceil(std::max(lo + kNudge, static_cast<double>(painter.minX()) - 1)));
    const auto last = static_cast<int64_t>(
        std::floor(std::min(hi + kNudge, static_cast<double>(painter.maxX()) + 1)));
    cover.Add(y, std::max(first, painter.minX()), std::min(last + 1, painter.maxX()));
  }
}

// Polyline in device coordinates; the dash pattern runs on across the vertices.
void StrokePath(Painter& painter, const PenInfo& pen,
                const std::vector<std::pair<int64_t, int64_t>>& pts) {
  if (pen.null || pts.size() < 2) return;
  if (pen.width > 1) {
    Coverage cover;
    for (size_t i = 0; i + 1 < pts.size(); ++i)
      WideLine(cover, painter, pen.width, pts[i].first, pts[i].second, pts[i + 1].first,
               pts[i + 1].second);
    cover.Paint(painter, pen.rop, pen.raw);
    return;
  }
  int64_t phase = 0;
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const auto [x0, y0] = pts[i];
    const auto [x1, y1] = pts[i + 1];
    ThinLine(painter, pen, x0, y0, x1, y1, phase);
    phase += std::max(std::llabs(x1 - x0), std::llabs(y1 - y0));
  }
}

// Bounds of a set of device points grown by the pen, for fetching the clip.
struct Box {
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  void Add(int64_t x, int64_t y) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + 1);
    bottom = std::max(bottom, y + 1);
  }
  void Grow(int64_t by) {
    left -= by;
    top -= by;
    right += by;
    bottom += by;
  }
};

std::shared_ptr<DeviceContext> DrawableDC(HDC handle) {
  auto dc = LookupDC(handle);
  if (!dc || !dc->surface) return nullptr;
  return dc;
}

// A logical rectangle in device coordinates, normalised so that left <= right and
// top <= bottom.
struct DevRect {
  int64_t left, top, right, bottom;
};

DevRect ToDevice(const DeviceContext& dc, int64_t l, int64_t t, int64_t r, int64_t b) {
  DevRect d{DevX(dc, l), DevY(dc, t), DevX(dc, r), DevY(dc, b)};
  if (d.left > d.right) std::swap(d.left, d.right);
  if (d.top > d.bottom) std::swap(d.top, d.bottom);
  return d;
}

void FillDevRect(Painter& painter, const DevRect& r, uint8_t rop, uint32_t raw) {
  const int64_t y0 = std::max(r.top, painter.minY());
  const int64_t y1 = std::min(r.bottom, painter.maxY());
  for (int64_t y = y0; y < y1; ++y) painter.Span(y, r.left, r.right, rop, raw);
}

// The ring between `outer` and `inner` (inner lies within outer, possibly empty).
void FillRing(Painter& painter, const DevRect& outer, const DevRect& inner, uint8_t rop,
              uint32_t raw) {
  const int64_t y0 = std::max(outer.top, painter.minY());
  const int64_t y1 = std::min(outer.bottom, painter.maxY());
  const bool hollow = inner.left < inner.right && inner.top < inner.bottom;
  for (int64_t y = y0; y < y1; ++y) {
    if (hollow && y >= inner.top && y < inner.bottom) {
      painter.Span(y, outer.left, inner.left, rop, raw);
      painter.Span(y, inner.right, outer.right, rop, raw);
    } else {
      painter.Span(y, outer.left, outer.right, rop, raw);
    }
  }
}

// Where a pen of this width puts a shape's outline: on the bounding rectangle's edge,
// centred (the extra pixel of even widths going outwards to the top-left), or inside it
// for PS_INSIDEFRAME.
DevRect OutlineBox(const DevRect& r, const PenInfo& pen) {
  if (pen.style == PS_INSIDEFRAME || pen.width <= 1) return r;
  const int64_t half = pen.width / 2;
  const int64_t rest = pen.width - 1 - half;
  return DevRect{r.left - half, r.top - half, r.right + rest, r.bottom + rest};
}

DevRect Deflate(const DevRect& r, int64_t by) {
  DevRect d{r.left + by, r.top + by, r.right - by, r.bottom - by};
  if (d.left >= d.right || d.top >= d.bottom) return DevRect{0, 0, 0, 0};
  return d;
}

// Pixels of the ellipse inscribed in `box`, row by row: the pixels whose centres lie
// inside it. Returns false for rows it does not reach.
bool EllipseRow(const DevRect& box, int64_t y, int64_t* x0, int64_t* x1) {
  if (box.right <= box.left || box.bottom <= box.top || y < box.top || y >= box.bottom)
    return false;
  const double a = static_cast<double>(box.right - box.left) / 2;
  const double b = static_cast<double>(box.bottom - box.top) / 2;
  const double cx = static_cast<double>(box.left) + a;
  const double cy = static_cast<double>(box.top) + b;
  const double dy = (static_cast<double>(y) + 0.5 - cy) / b;
  const double t = 1 - dy * dy;
  if (t < 0) return false;
  const double h = a * std::sqrt(t);
  *x0 = static_cast<int64_t>(std::ceil(cx - h - 0.5));
  *x1 = static_cast<int64_t>(std::floor(cx + h - 0.5)) + 1;
  return *x1 > *x0;
}

// Ellipse: the brush inside, the pen on the outline. A one-pixel outline is the pixels of
// the ellipse with a 4-neighbour outside it, which keeps it closed and one pixel thin; a
// wider one is what lies between the ellipse and one inset by the pen width.
void DrawEllipse(Painter& painter, const DevRect& box, const PenInfo& pen, bool hasBrush,
                 uint32_t brushRaw, uint8_t rop) {
  const DevRect outer =
      pen.null ? DevRect{box.left, box.top, box.right - 1, box.bottom - 1} : OutlineBox(box, pen);
  const DevRect innerBox = pen.width > 1 ? Deflate(outer, pen.width) : DevRect{0, 0, 0, 0};
  const int64_t y0 = std::max(outer.top, painter.minY());
  const int64_t y1 = std::min(outer.bottom, painter.maxY());
  for (int64_t y = y0; y < y1; ++y) {
    int64_t o0, o1;
    if (!EllipseRow(outer, y, &o0, &o1)) continue;
    if (pen.null) {
      if (hasBrush) painter.Span(y, o0, o1, rop, brushRaw);
      continue;
    }
    int64_t i0 = 0, i1 = 0;
    if (pen.width > 1) {
      if (!EllipseRow(innerBox, y, &i0, &i1)) i0 = i1 = 0;
    } else {
      int64_t a0, a1, b0, b1;
      if (EllipseRow(outer, y - 1, &a0, &a1) && EllipseRow(outer, y + 1, &b0, &b1)) {
        i0 = std::max({o0 + 1, a0, b0});
        i1 = std::min({o1 - 1, a1, b1});
      }
    }
    if (i1 > i0) {
      if (hasBrush) painter.Span(y, i0, i1, rop, brushRaw);
      painter.Span(y, o0, i0, pen.rop, pen.raw);
      painter.Span(y, i1, o1, pen.rop, pen.raw);
    } else {
      painter.Span(y, o0, o1, pen.rop, pen.raw);
    }
  }
}

// Alternate-rule fill of a polygon whose vertices are pixel centres: a pixel is inside when
// its centre is, with left and top edges inside and right and bottom edges outside.
void FillPolygon(Painter& painter, const std::vector<std::pair<int64_t, int64_t>>& pts, uint8_t rop,
                 uint32_t raw) {
  int64_t top = INT64_MAX, bottom = INT64_MIN;
  for (const auto& p : pts) {
    top = std::min(top, p.second);
    bottom = std::max(bottom, p.second);
  }
  top = std::max(top, painter.minY());
  bottom = std::min(bottom, painter.maxY());
  std::vector<double> xs;
  const size_t n = pts.size();
  for (int64_t y = top; y < bottom; ++y) {
    xs.clear();
    for (size_t i = 0; i < n; ++i) {
      const auto& p = pts[i];
      const auto& q = pts[(i + 1) % n];
      if (p.second == q.second) continue;
      const int64_t ylo = std::min(p.second, q.second);
      const int64_t yhi = std::max(p.second, q.second);
      if (y < ylo || y >= yhi) continue;
      xs.push_back(static_cast<double>(p.first) + static_cast<double>(y - p.second) *
                                                      static_cast<double>(q.first - p.first) /
                                                      static_cast<double>(q.second - p.second));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      const auto a =
          static_cast<int64_t>(std::ceil(std::max(xs[i], static_cast<double>(painter.minX()) - 1)));
      const auto b = static_cast<int64_t>(
          std::ceil(std::min(xs[i + 1], static_cast<double>(painter.maxX()) + 1)));
      painter.Span(y, a, b, rop, raw);
    }
  }
}

std::vector<std::pair<int64_t, int64_t>> DevicePoints(const DeviceContext& dc, const POINT* points,
                                                      int count) {
  std::vector<std::pair<int64_t, int64_t>> pts;
  pts.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) pts.emplace_back(DevX(dc, points[i].x), DevY(dc, points[i].y));
  return pts;
}

Box BoxOf(const std::vector<std::pair<int64_t, int64_t>>& pts, int64_t grow) {
  Box box;
  for (const auto& p : pts) box.Add(p.first, p.second);
  box.Grow(grow);
  return box;
}

// Upper bound on polygon and polyline vertices: far beyond any real shape, and it keeps a
// bogus count from allocating without limit.
constexpr int kMaxPoints = 1 << 20;

// FillRect's brush: a brush handle, or a system colour index + 1 in its place.
bool FillColor(const DeviceContext& dc, HBRUSH brush, COLORREF* color, bool* null) {
  *null = false;
  const auto value = reinterpret_cast<uintptr_t>(brush);
  if (value >= 1 && value <= static_cast<uintptr_t>(COLOR_MENUBAR) + 1) {
    *color = GetSysColor(static_cast<int>(value) - 1);
    return true;
  }
  auto object = Lookup<BrushObject>(brush);
  if (!object) return false;
  if (object->logBrush.lbStyle == BS_NULL) {
    *null = true;
    return true;
  }
  *color = BrushColor(dc, *object);
  return true;
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT old) {
  auto dc = LookupDC(handle);
  if (!dc) return FALSE;
  if (old != nullptr) *old = dc->state.currentPosition;
  dc->state.currentPosition = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC handle, int x, int y) {
  auto dc = DrawableDC(handle);
  if (!dc) return FALSE;
  const POINT from = dc->state.currentPosition;
  dc->state.currentPosition = POINT{x, y};
  const POINT pts[2] = {from, POINT{x, y}};
  return Polyline(handle, pts, 2);
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
  auto dc = DrawableDC(handle);
  if (!dc || points == nullptr || count < 2 || count > kMaxPoints) return FALSE;
  const auto pts = DevicePoints(*dc, points, count);
  const int64_t width =
      dc->state.pen ? std::clamp<int64_t>(dc->state.pen->logPen.lopnWidth.x, 1, kMaxPenWidth) : 1;
  const Box box = BoxOf(pts, width);
  Painter painter(*dc, box.left, box.top, box.right, box.bottom);
  if (painter.empty()) return TRUE;
  StrokePath(painter, PenOf(*dc, painter), pts);
  return TRUE;
}

BOOL Polygon(HDC handle, const POINT* points, int count) {
  auto dc = DrawableDC(handle);
  if (!dc || points == nullptr || count < 2 || count > kMaxPoints) return FALSE;
  auto pts = DevicePoints(*dc, points, count);
  const int64_t width =
      dc->state.pen ? std::clamp<int64_t>(dc->state.pen->logPen.lopnWidth.x, 1, kMaxPenWidth) : 1;
  const Box box = BoxOf(pts, width);
  Painter painter(*dc, box.left, box.top, box.right, box.bottom);
  if (painter.empty()) return TRUE;
  uint32_t brushRaw;
  const uint8_t rop = Rop2ToRop3(dc->state.rop2);
  if (BrushRaw(*dc, painter, &brushRaw)) FillPolygon(painter, pts, rop, brushRaw);
  pts.push_back(pts.front());
  StrokePath(painter, PenOf(*dc, painter), pts);
  return TRUE;
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
  auto dc = DrawableDC(handle);
  if (!dc) return FALSE;
  const DevRect r = ToDevice(*dc, left, top, right, bottom);
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  const int64_t width =
      dc->state.pen ? std::clamp<int64_t>(dc->state.pen->logPen.lopnWidth.x, 1, kMaxPenWidth) : 1;
  Painter painter(*dc, r.left - width, r.top - width, r.right + width, r.bottom + width);
  if (painter.empty()) return TRUE;
  const PenInfo pen = PenOf(*dc, painter);
  const uint8_t rop = Rop2ToRop3(dc->state.rop2);
  uint32_t brushRaw;
  const bool hasBrush = BrushRaw(*dc, painter, &brushRaw);
  if (pen.null) {
    // Without an outline the fill is one pixel smaller in both directions.
    if (hasBrush)
      FillDevRect(painter, DevRect{r.left, r.top, r.right - 1, r.bottom - 1}, rop, brushRaw);
    return TRUE;
  }
  const DevRect outer = OutlineBox(r, pen);
  const DevRect inner = Deflate(outer, pen.width);
  if (hasBrush) FillDevRect(painter, inner, rop, brushRaw);
  if (DashFor(pen.style) != nullptr) {
    const std::vector<std::pair<int64_t, int64_t>> ring = {{r.left, r.top},
                                                           {r.right - 1, r.top},
                                                           {r.right - 1, r.bottom - 1},
                                                           {r.left, r.bottom - 1},
                                                           {r.left, r.top}};
    if (r.right - r.left == 1 || r.bottom - r.top == 1) {
      FillDevRect(painter, r, pen.rop, pen.raw);
    } else {
      StrokePath(painter, pen, ring);
    }
    return TRUE;
  }
  FillRing(painter, outer, inner, pen.rop, pen.raw);
  return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom) {
  auto dc = DrawableDC(handle);
  if (!dc) return FALSE;
  const DevRect r = ToDevice(*dc, left, top, right, bottom);
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  const int64_t width =
      dc->state.pen ? std::clamp<int64_t>(dc->state.pen->logPen.lopnWidth.x, 1, kMaxPenWidth) : 1;
  Painter painter(*dc, r.left - width, r.top - width, r.right + width, r.bottom + width);
  if (painter.empty()) return TRUE;
  PenInfo pen = PenOf(*dc, painter);
  // Dashes are not drawn along curves; a styled pen outlines the ellipse solid.
  if (DashFor(pen.style) != nullptr) pen.style = PS_SOLID;
  uint32_t brushRaw = 0;
  const bool hasBrush = BrushRaw(*dc, painter, &brushRaw);
  DrawEllipse(painter, r, pen, hasBrush, brushRaw, Rop2ToRop3(dc->state.rop2));
  return TRUE;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
  auto dc = DrawableDC(handle);
  if (!dc || rect == nullptr) return 0;
  COLORREF color = 0;
  bool null = false;
  if (!FillColor(*dc, brush, &color, &null)) return 0;
  if (null) return 1;
  const DevRect r = ToDevice(*dc, rect->left, rect->top, rect->right, rect->bottom);
  // FillRect does not normalise: a rectangle turned inside out is empty.
  if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;
  Painter painter(*dc, r.left, r.top, r.right, r.bottom);
  if (!painter.empty()) FillDevRect(painter, r, kPatCopy, painter.Raw(color));
  return 1;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brush) {
  auto dc = DrawableDC(handle);
  if (!dc || rect == nullptr) return 0;
  COLORREF color = 0;
  bool null = false;
  if (!FillColor(*dc, brush, &color, &null)) return 0;
  if (null || rect->right <= rect->left || rect->bottom <= rect->top) return 1;
  const DevRect r = ToDevice(*dc, rect->left, rect->top, rect->right, rect->bottom);
  Painter painter(*dc, r.left, r.top, r.right, r.bottom);
  if (!painter.empty()) FillRing(painter, r, Deflate(r, 1), kPatCopy, painter.Raw(color));
  return 1;
}

BOOL InvertRect(HDC handle, const RECT* rect) {
  auto dc = DrawableDC(handle);
  if (!dc || rect == nullptr) return FALSE;
  if (rect->right <= rect->left || rect->bottom <= rect->top) return TRUE;
  const DevRect r = ToDevice(*dc, rect->left, rect->top, rect->right, rect->bottom);
  Painter painter(*dc, r.left, r.top, r.right, r.bottom);
  if (!painter.empty()) FillDevRect(painter, r, kDstInvert, 0);
  return TRUE;
}

BOOL DrawFocusRect(HDC handle, const RECT* rect) {
  auto dc = DrawableDC(handle);
  if (!dc || rect == nullptr) return FALSE;
  if (rect->right <= rect->left || rect->bottom <= rect->top) return TRUE;
  const DevRect r = ToDevice(*dc, rect->left, rect->top, rect->right, rect->bottom);
  Painter painter(*dc, r.left, r.top, r.right, r.bottom);
  if (painter.empty()) return TRUE;
  // Every other pixel of the frame, inverted, on a checkerboard fixed to the device; each
  // pixel is visited once so that drawing it again takes it away.
  auto dot = [&](int64_t x, int64_t y) {
    if (((x + y) & 1) == 0) painter.Pixel(x, y, kDstInvert, 0);
  };
  const int64_t x0 = std::max(r.left, painter.minX() - 1),
                x1 = std::min(r.right, painter.maxX() + 1);
  const int64_t y0 = std::max(r.top + 1, painter.minY() - 1),
                y1 = std::min(r.bottom - 1, painter.maxY() + 1);
  for (int64_t x = x0; x < x1; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 != r.top) dot(x, r.bottom - 1);
  }
  for (int64_t y = y0; y < y1; ++y) {
    dot(r.left, y);
    if (r.right - 1 != r.left) dot(r.right - 1, y);
  }
  return TRUE;
}

BOOL DrawEdge(HDC handle, LPRECT rect, UINT edge, UINT flags) {
  auto dc = DrawableDC(handle);
  if (!dc || rect == nullptr) return FALSE;
  RECT rc = *rect;
  struct Border {
    int topLeft;
    int bottomRight;
  };
  std::vector<Border> borders;
  const bool mono = (flags & BF_MONO) != 0;
  const bool flat = (flags & BF_FLAT) != 0;
  const bool hasOuter = (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) != 0;
  const bool hasInner = (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) != 0;
  if (mono || flat) {
    // One-colour borders: the frame colour (or the shadow for flat ones) outside, the
    // window (or face) colour inside.
    const int outerColor = mono ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW;
    const int innerColor = mono ? COLOR_WINDOW : COLOR_BTNFACE;
    if (hasOuter) borders.push_back({outerColor, outerColor});
    if (hasInner) borders.push_back({innerColor, innerColor});
  } else {
    Border outer{}, inner{};
    if (edge & BDR_RAISEDOUTER)
      outer = {COLOR_3DLIGHT, COLOR_3DDKSHADOW};
    else if (edge & BDR_SUNKENOUTER)
      outer = {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
    if (edge & BDR_RAISEDINNER)
      inner = {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    else if (edge & BDR_SUNKENINNER)
      inner = {COLOR_3DDKSHADOW, COLOR_3DLIGHT};
    // Soft edges put the stronger top-left colour outside.
    if ((flags & BF_SOFT) && hasOuter && hasInner) std::swap(outer.topLeft, inner.topLeft);
    if (hasOuter) borders.push_back(outer);
    if (hasInner) borders.push_back(inner);
  }
  auto fill = [&](LONG l, LONG t, LONG r, LONG b, int color) {
    if (r <= l || b <= t) return;
    RECT part{l, t, r, b};
    FillRect(handle, &part, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(color) + 1));
  };
  for (const Border& b : borders) {
    if (rc.right <= rc.left || rc.bottom <= rc.top) break;
    // Top and left first; bottom and right over them, so they own the two far corners.
    if (flags & BF_TOP) fill(rc.left, rc.top, rc.right, rc.top + 1, b.topLeft);
    if (flags & BF_LEFT) fill(rc.left, rc.top, rc.left + 1, rc.bottom, b.topLeft);
    if (flags & BF_BOTTOM) fill(rc.left, rc.bottom - 1, rc.right, rc.bottom, b.bottomRight);
    if (flags & BF_RIGHT) fill(rc.right - 1, rc.top, rc.right, rc.bottom, b.bottomRight);
    if (flags & BF_TOP) ++rc.top;
    if (flags & BF_LEFT) ++rc.left;
    if (flags & BF_BOTTOM) --rc.bottom;
    if (flags & BF_RIGHT) --rc.right;
  }
  if (flags & BF_MIDDLE)
    fill(rc.left, rc.top, rc.right, rc.bottom, (mono || flat) ? COLOR_WINDOW : COLOR_BTNFACE);
  if (flags & BF_ADJUST) *rect = rc;
  return TRUE;
}
