// What the label and the transparent label draw alike: a caption laid out in a rectangle by
// a horizontal choice (0 left, 1 centred, 2 right) and a vertical one (0 top, 1 centred,
// 2 bottom), wrapped at word boundaries, in the unit's font and colour.
#pragma once

#include <cstdint>
#include <string>

#include "platform/user32.h"

namespace forms {

struct CaptionLayout {
  uint32_t horizontal = 0;  // larger values count as 2
  uint32_t vertical = 0;
  bool wrap = true;
};

void DrawCaption(HDC dc, RECT area, const std::string& text, HFONT font, COLORREF color,
                 CaptionLayout layout);

}  // namespace forms
