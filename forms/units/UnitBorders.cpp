#include "forms/units/UnitBorders.h"

#include "forms/units/StyleChange.h"

namespace forms {

namespace {

constexpr DWORD kBorderStyleBits = WS_BORDER;
constexpr DWORD kBorderExStyleBits = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME;

}  // namespace

BoxBorderStyles BorderStyles(uint32_t border) {
  switch (border) {
    case 1:  // sunken
      return {0, WS_EX_CLIENTEDGE};
    case 2:  // raised
      return {0, WS_EX_DLGMODALFRAME};
    case 3:  // shallow sunken
      return {0, WS_EX_STATICEDGE};
    case 4:  // picture frame
      return {0, WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE};
    case 5:  // single line
      return {WS_BORDER, 0};
    default:
      return {};
  }
}

void ApplyBorder(HWND window, uint32_t border) {
  const BoxBorderStyles wanted = BorderStyles(border);
  ApplyManagedStyles(window, {kBorderStyleBits, wanted.style, kBorderExStyleBits, wanted.exStyle});
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

}  // namespace forms
