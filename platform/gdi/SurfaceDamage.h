// The parts of a window surface drawn since the screen last copied it. Primitives add the
// bounds of what they drew; the presenter takes the list and copies only those parts.
//
// The list stays short: a rectangle that joins an existing one without adding more than a
// small margin of undrawn pixels is merged into it, and past kMaxRects the two whose merge
// wastes least are merged. Copying a few pixels twice or a few undrawn ones is cheaper than
// a long list; copying the whole window for a caret blink is what this avoids.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

class SurfaceDamage {
 public:
  static constexpr size_t kMaxRects = 16;
  // Undrawn pixels a merge may add for free: one copy of a small block costs about as
  // much in calls as this many pixels in bytes.
  static constexpr int64_t kFreeMergeArea = 32 * 32;

  // Adds `area` (empty ones are ignored); true when the list was empty before.
  bool Add(const RECT& area);
  bool empty() const { return rects_.empty(); }
  const std::vector<RECT>& rects() const { return rects_; }
  // The list, emptied.
  std::vector<RECT> Take();

 private:
  // Merges rectangles that overlap or sit close until none qualifies.
  void MergeCheaply();

  std::vector<RECT> rects_;
};

}  // namespace platform::gdi
