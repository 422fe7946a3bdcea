// The border choice that boxes and bars share (0 none, 1 sunken, 2 raised, 3 shallow sunken,
// 4 picture frame, 5 single line) as window styles, and restyling a live window to one.
#pragma once

#include <cstdint>

#include "platform/user32.h"

namespace forms {

inline constexpr uint32_t kLastBorder = 5;

// Extended and plain styles for a border choice.
struct BoxBorderStyles {
  DWORD style = 0;
  DWORD exStyle = 0;
};
BoxBorderStyles BorderStyles(uint32_t border);

// Replaces whatever border the window had by this one and redraws its frame.
void ApplyBorder(HWND window, uint32_t border);

}  // namespace forms
