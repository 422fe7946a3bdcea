// The transparent label: only its caption is drawn, over whatever lies below it (its
// parent's background and drawing, and the sibling windows under it), while the whole
// rectangle still takes the mouse, so that it serves as a click area over a picture.
// Properties: 9 horizontal and 12 vertical alignment, 13 wraps the caption at words,
// 14 is kept with the unit.
#pragma once

#include <cstdint>

#include "forms/units/ControlUnit.h"

namespace forms {

inline constexpr uint32_t kTransLabelCaption = 8;
inline constexpr uint32_t kTransLabelHAlign = 9;
inline constexpr uint32_t kTransLabelFont = 10;
inline constexpr uint32_t kTransLabelTextColor = 11;
inline constexpr uint32_t kTransLabelVAlign = 12;
inline constexpr uint32_t kTransLabelWrap = 13;

// Draws into `dc` (set up for `window`'s client area) what the parent and the siblings
// below `window` show there, by asking each to print itself at the matching offset.
void PaintWhatLiesBelow(HWND window, HDC dc);

// Invalidates a unit whose look changed, with the transparent labels on it: they show what
// lies below them and so change with it.
void InvalidateWithLabelsOver(HWND window);

void* TransLabelInterface(int32_t operation);

}  // namespace forms
