// Rectangle helpers. Arithmetic wraps like the 32-bit integers of Windows instead of
// overflowing.
#include <algorithm>
#include <cstdint>

#include "platform/wingdi.h"

namespace {

LONG Add(LONG a, int b) {
  return static_cast<LONG>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

LONG Sub(LONG a, int b) {
  return static_cast<LONG>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

bool Empty(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

}  // namespace

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (rect == nullptr) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) {
  if (rect == nullptr) return FALSE;
  *rect = RECT{0, 0, 0, 0};
  return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
  return rect == nullptr || Empty(*rect) ? TRUE : FALSE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  rect->left = Add(rect->left, dx);
  rect->right = Add(rect->right, dx);
  rect->top = Add(rect->top, dy);
  rect->bottom = Add(rect->bottom, dy);
  return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  rect->left = Sub(rect->left, dx);
  rect->right = Add(rect->right, dx);
  rect->top = Sub(rect->top, dy);
  rect->bottom = Add(rect->bottom, dy);
  return TRUE;
}

BOOL IntersectRect(LPRECT out, const RECT* a, const RECT* b) {
  if (out == nullptr || a == nullptr || b == nullptr) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (Empty(*a) || Empty(*b) || Empty(r)) {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *out = r;
  return TRUE;
}

BOOL UnionRect(LPRECT out, const RECT* a, const RECT* b) {
  if (out == nullptr || a == nullptr || b == nullptr) return FALSE;
  // Empty rectangles take no part in the union.
  bool emptyA = Empty(*a);
  bool emptyB = Empty(*b);
  if (emptyA && emptyB) {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (emptyA) {
    *out = *b;
  } else if (emptyB) {
    *out = *a;
  } else {
    *out = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
  }
  return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT point) {
  if (rect == nullptr) return FALSE;
  return point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
                 point.y < rect->bottom
             ? TRUE
             : FALSE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  if (a == nullptr || b == nullptr) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom
             ? TRUE
             : FALSE;
}

BOOL CopyRect(LPRECT out, const RECT* in) {
  if (out == nullptr || in == nullptr) return FALSE;
  *out = *in;
  return TRUE;
}
