// Objects that every DC shares: the stock objects behind GetStockObject, the 1x1
// monochrome bitmap a new memory DC holds, and the default palette.
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace platform::gdi {

// Logical palettes exist only as the stock default palette: the screen has no palette.
class PaletteObject : public GdiObject {
 public:
  GdiKind Kind() const override { return GdiKind::Palette; }
  std::vector<RGBQUAD> entries;
};

std::shared_ptr<BitmapObject> StockBitmap();
std::shared_ptr<PaletteObject> StockPalette();
// The handle of a stock object; NULL for indices that name none.
HGDIOBJ StockObjectHandle(int index);

}  // namespace platform::gdi
