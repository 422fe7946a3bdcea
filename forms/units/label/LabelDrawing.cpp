#include "forms/units/label/LabelDrawing.h"

#include <algorithm>

namespace forms {

void DrawCaption(HDC dc, RECT area, const std::string& text, HFONT font, COLORREF color,
                 CaptionLayout layout) {
  if (text.empty() || area.right <= area.left || area.bottom <= area.top) return;
  const uint32_t h = std::min<uint32_t>(layout.horizontal, 2);
  const uint32_t v = std::min<uint32_t>(layout.vertical, 2);
  UINT format = DT_NOPREFIX | (layout.wrap ? DT_WORDBREAK : DT_SINGLELINE);
  format |= h == 0 ? DT_LEFT : h == 1 ? DT_CENTER : DT_RIGHT;

  HGDIOBJ oldFont = SelectObject(dc, font);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, color);
  // DrawTextA centres vertically only single lines, so wrapped text is measured first.
  if (v != 0) {
    RECT measured = area;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
    const int spare = (area.bottom - area.top) - (measured.bottom - measured.top);
    if (spare > 0) area.top += v == 1 ? spare / 2 : spare;
  }
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

}  // namespace forms
