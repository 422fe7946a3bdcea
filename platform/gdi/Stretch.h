// Stretching: which source pixels land on which destination pixels. A stretch maps the
// source rectangle onto the destination rectangle corner to corner; a rectangle of
// negative extent runs from its origin the other way, and when the signs of a source and
// destination extent differ the picture is mirrored along that axis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/PixelRows.h"
#include "platform/gdi/Surface.h"

namespace platform::gdi {

// One axis of a stretch, with both rectangles normalised to positive extents.
struct StretchAxis {
  int64_t destStart = 0;  // first destination pixel (surface coordinates)
  int64_t destCount = 1;
  int64_t srcStart = 0;  // first source pixel (surface coordinates)
  int64_t srcCount = 1;
  bool mirror = false;

  // The source pixel whose area holds the centre of destination pixel `dest`
  // (COLORONCOLOR): exact integer arithmetic, no accumulated rounding.
  int64_t Nearest(int64_t dest) const;
  // The destination pixels within [lo, hi) whose nearest source pixel lies within
  // [0, srcLimit); the same pixels are drawn in every stretch mode.
  void ValidRange(int64_t lo, int64_t hi, int64_t srcLimit, int64_t* first, int64_t* last) const;
};

// HALFTONE: each destination pixel of [x0, x1) x [y0, y1) becomes the area-weighted
// average of the source pixels under it (source pixels outside the surface do not count).
// Writes BGRX words, row r of the block at out + r * outStride. Every destination pixel in
// the block must have its nearest source pixel inside the surface (see ValidRange).
void HalftoneStretch(const Surface& source, const MonoColours& colours, const StretchAxis& ax,
                     const StretchAxis& ay, int x0, int x1, int y0, int y1, uint32_t* out,
                     ptrdiff_t outStride);

}  // namespace platform::gdi
