// Brushes and pens. Brushes are solid or null; a hatched brush paints as a solid brush of
// its colour (nothing here draws hatches), and pattern brushes are refused because their
// bitmap could not be honoured.
#include <memory>

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {
namespace {

HBRUSH InsertBrush(UINT style, COLORREF color, ULONG_PTR hatch) {
  auto brush = std::make_shared<BrushObject>();
  brush->logBrush = LOGBRUSH{style, color & 0xFFFFFF, hatch};
  return InsertObject(brush);
}

HPEN InsertPen(UINT style, LONG width, COLORREF color) {
  // Pen kinds beyond PS_INSIDEFRAME (user styles, alternate dots) belong to ExtCreatePen.
  const UINT kind = style & 0x0F;
  if (kind > static_cast<UINT>(PS_INSIDEFRAME)) return nullptr;
  auto pen = std::make_shared<PenObject>();
  // A negative width draws like width 0: the thinnest line the device has.
  pen->logPen = LOGPEN{kind, POINT{width < 0 ? 0 : width, 0}, color & 0xFFFFFF};
  return InsertObject(pen);
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

HBRUSH CreateSolidBrush(COLORREF color) {
  return InsertBrush(BS_SOLID, color, 0);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (brush == nullptr) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID:
      return InsertBrush(BS_SOLID, brush->lbColor, 0);
    case BS_NULL:
      return InsertBrush(BS_NULL, 0, 0);
    case BS_HATCHED:
      // Kept as asked for GetObject, painted solid.
      return InsertBrush(BS_HATCHED, brush->lbColor, brush->lbHatch);
    default:
      return nullptr;
  }
}

HPEN CreatePen(int style, int width, COLORREF color) {
  return InsertPen(static_cast<UINT>(style), width, color);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (pen == nullptr) return nullptr;
  return InsertPen(pen->lopnStyle, pen->lopnWidth.x, pen->lopnColor);
}
