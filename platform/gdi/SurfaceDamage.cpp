#include "platform/gdi/SurfaceDamage.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace platform::gdi {
namespace {

int64_t Area(const RECT& r) {
  return int64_t{r.right - r.left} * (r.bottom - r.top);
}

RECT Union(const RECT& a, const RECT& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Pixels a merge would copy beyond those of the two rectangles (negative when they overlap).
int64_t MergeCost(const RECT& a, const RECT& b) {
  return Area(Union(a, b)) - Area(a) - Area(b);
}

}  // namespace

bool SurfaceDamage::Add(const RECT& area) {
  if (area.right <= area.left || area.bottom <= area.top) return false;
  const bool wasEmpty = rects_.empty();
  for (const RECT& r : rects_) {
    if (Contains(r, area)) return false;
  }
  rects_.push_back(area);
  MergeCheaply();
  while (rects_.size() > kMaxRects) {
    size_t bestI = 0, bestJ = 1;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < rects_.size(); ++i) {
      for (size_t j = i + 1; j < rects_.size(); ++j) {
        const int64_t cost = MergeCost(rects_[i], rects_[j]);
        if (cost < best) best = cost, bestI = i, bestJ = j;
      }
    }
    rects_[bestI] = Union(rects_[bestI], rects_[bestJ]);
    rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(bestJ));
    MergeCheaply();
  }
  return wasEmpty;
}

void SurfaceDamage::MergeCheaply() {
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < rects_.size() && !merged; ++i) {
      for (size_t j = i + 1; j < rects_.size(); ++j) {
        if (MergeCost(rects_[i], rects_[j]) > kFreeMergeArea) continue;
        rects_[i] = Union(rects_[i], rects_[j]);
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(j));
        merged = true;
        break;
      }
    }
  }
}

std::vector<RECT> SurfaceDamage::Take() {
  return std::exchange(rects_, {});
}

}  // namespace platform::gdi
