// Regions as sets of non-overlapping rectangles in y-x bands (sorted by top, then left;
// rectangles of one band share top and bottom), which keeps combine, clip and hit tests
// simple and exact.
#pragma once

#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

class Region {
 public:
  Region() = default;
  explicit Region(const RECT& r);

  void SetRect(const RECT& r);
  void SetEmpty() { rects_.clear(); }
  bool IsEmpty() const { return rects_.empty(); }
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;
  RECT Bounds() const;
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& r) const;
  void Offset(int dx, int dy);

  // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY (b ignored for COPY).
  static Region Combine(const Region& a, const Region& b, int mode);
  void IntersectWith(const RECT& r);
  void Subtract(const RECT& r);

  // The parts of r inside the region, in band order.
  void ClipRect(const RECT& r, std::vector<RECT>* out) const;
  const std::vector<RECT>& rects() const { return rects_; }
  bool operator==(const Region& other) const;

 private:
  std::vector<RECT> rects_;
};

}  // namespace platform::gdi
