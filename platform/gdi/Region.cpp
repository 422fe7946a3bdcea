#include "platform/gdi/Region.h"

#include <algorithm>
#include <cstdint>

namespace platform::gdi {

namespace {

// Coordinates are kept within this range so that offsets and widths never overflow.
constexpr int64_t kCoordinateLimit = int64_t{1} << 27;

LONG ClampCoordinate(int64_t v) {
  return static_cast<LONG>(std::clamp(v, -kCoordinateLimit, kCoordinateLimit));
}

struct Span {
  LONG left;
  LONG right;
  bool operator==(const Span&) const = default;
};

// The spans of the band of `rects` that covers [y, ...), advancing *index past bands that end
// at or above y. Bands of a region never overlap, so at most one band covers y.
void BandSpans(const std::vector<RECT>& rects, size_t* index, LONG y, std::vector<Span>* spans) {
  spans->clear();
  size_t i = *index;
  while (i < rects.size() && rects[i].bottom <= y) ++i;
  *index = i;
  if (i >= rects.size() || rects[i].top > y) return;
  LONG top = rects[i].top;
  for (; i < rects.size() && rects[i].top == top; ++i)
    spans->push_back({rects[i].left, rects[i].right});
}

bool Apply(int mode, bool inA, bool inB) {
  switch (mode) {
    case RGN_AND:
      return inA && inB;
    case RGN_OR:
      return inA || inB;
    case RGN_XOR:
      return inA != inB;
    case RGN_DIFF:
      return inA && !inB;
    default:
      return inA;
  }
}

// Combines two sorted lists of disjoint spans; touching results are merged.
void CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode,
                  std::vector<Span>* out) {
  out->clear();
  std::vector<LONG> xs;
  xs.reserve(2 * (a.size() + b.size()));
  for (const Span& s : a) {
    xs.push_back(s.left);
    xs.push_back(s.right);
  }
  for (const Span& s : b) {
    xs.push_back(s.left);
    xs.push_back(s.right);
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  size_t ia = 0;
  size_t ib = 0;
  for (size_t k = 0; k + 1 < xs.size(); ++k) {
    LONG x0 = xs[k];
    LONG x1 = xs[k + 1];
    while (ia < a.size() && a[ia].right <= x0) ++ia;
    while (ib < b.size() && b[ib].right <= x0) ++ib;
    bool inA = ia < a.size() && a[ia].left <= x0;
    bool inB = ib < b.size() && b[ib].left <= x0;
    if (!Apply(mode, inA, inB)) continue;
    if (!out->empty() && out->back().right == x0)
      out->back().right = x1;
    else
      out->push_back({x0, x1});
  }
}

}  // namespace

Region::Region(const RECT& r) {
  SetRect(r);
}

void Region::SetRect(const RECT& r) {
  rects_.clear();
  RECT c{ClampCoordinate(r.left), ClampCoordinate(r.top), ClampCoordinate(r.right),
         ClampCoordinate(r.bottom)};
  if (c.right > c.left && c.bottom > c.top) rects_.push_back(c);
}

int Region::Complexity() const {
  if (rects_.empty()) return NULLREGION;
  return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT Region::Bounds() const {
  if (rects_.empty()) return RECT{0, 0, 0, 0};
  RECT b = rects_.front();
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.right = std::max(b.right, r.right);
  }
  b.bottom = rects_.back().bottom;
  return b;
}

bool Region::Contains(int x, int y) const {
  for (const RECT& r : rects_) {
    if (r.top > y) break;
    if (y < r.bottom && x >= r.left && x < r.right) return true;
  }
  return false;
}

bool Region::Intersects(const RECT& q) const {
  if (q.right <= q.left || q.bottom <= q.top) return false;
  for (const RECT& r : rects_) {
    if (r.top >= q.bottom) break;
    if (r.bottom > q.top && r.left < q.right && r.right > q.left) return true;
  }
  return false;
}

void Region::Offset(int dx, int dy) {
  for (RECT& r : rects_) {
    r.left = ClampCoordinate(int64_t{r.left} + dx);
    r.right = ClampCoordinate(int64_t{r.right} + dx);
    r.top = ClampCoordinate(int64_t{r.top} + dy);
    r.bottom = ClampCoordinate(int64_t{r.bottom} + dy);
  }
  // Clamping at the limit can squash rectangles to nothing; drop those and re-band.
  bool degenerate = std::any_of(rects_.begin(), rects_.end(), [](const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
  });
  if (degenerate) {
    std::vector<RECT> kept;
    for (const RECT& r : rects_) {
      if (r.right > r.left && r.bottom > r.top) kept.push_back(r);
    }
    rects_ = std::move(kept);
    *this = Combine(*this, Region(), RGN_OR);
  }
}

Region Region::Combine(const Region& a, const Region& b, int mode) {
  if (mode == RGN_COPY) return a;
  std::vector<LONG> ys;
  ys.reserve(2 * (a.rects_.size() + b.rects_.size()));
  for (const RECT& r : a.rects_) {
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  for (const RECT& r : b.rects_) {
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  Region result;
  std::vector<Span> spansA;
  std::vector<Span> spansB;
  std::vector<Span> spans;
  std::vector<Span> previous;
  size_t previousStart = 0;  // first rectangle of the last band written
  size_t ia = 0;
  size_t ib = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    LONG y0 = ys[k];
    LONG y1 = ys[k + 1];
    BandSpans(a.rects_, &ia, y0, &spansA);
    BandSpans(b.rects_, &ib, y0, &spansB);
    CombineSpans(spansA, spansB, mode, &spans);
    if (spans.empty()) continue;
    // A band that continues the previous one with the same spans extends it, which keeps
    // the representation unique (needed for EqualRgn and the region's complexity).
    bool continues =
        !result.rects_.empty() && result.rects_.back().bottom == y0 && spans == previous;
    if (continues) {
      for (size_t i = previousStart; i < result.rects_.size(); ++i) result.rects_[i].bottom = y1;
      continue;
    }
    previousStart = result.rects_.size();
    for (const Span& s : spans) result.rects_.push_back(RECT{s.left, y0, s.right, y1});
    previous = spans;
  }
  return result;
}

void Region::IntersectWith(const RECT& r) {
  *this = Combine(*this, Region(r), RGN_AND);
}

void Region::Subtract(const RECT& r) {
  *this = Combine(*this, Region(r), RGN_DIFF);
}

void Region::ClipRect(const RECT& q, std::vector<RECT>* out) const {
  if (q.right <= q.left || q.bottom <= q.top) return;
  for (const RECT& r : rects_) {
    if (r.top >= q.bottom) break;
    RECT c{std::max(r.left, q.left), std::max(r.top, q.top), std::min(r.right, q.right),
           std::min(r.bottom, q.bottom)};
    if (c.right > c.left && c.bottom > c.top) out->push_back(c);
  }
}

bool Region::operator==(const Region& other) const {
  if (rects_.size() != other.rects_.size()) return false;
  for (size_t i = 0; i < rects_.size(); ++i) {
    const RECT& p = rects_[i];
    const RECT& q = other.rects_[i];
    if (p.left != q.left || p.top != q.top || p.right != q.right || p.bottom != q.bottom)
      return false;
  }
  return true;
}

}  // namespace platform::gdi
