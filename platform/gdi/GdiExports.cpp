#include "platform/gdi/GdiExports.h"

#include <algorithm>
#include <cstring>

#include "platform/wingdi.h"

namespace platform::gdi {

namespace {

// Argument byte counts are those of a 32-bit caller: 4 per argument, 8 for a POINT passed
// by value.
#define VELMORA_EXPORT(function, words)                  \
  ModuleExport {                                         \
#function, 0, ExportAddress(&::function), 4 * (words) \
  }

void SortByName(std::vector<ModuleExport>* table) {
  std::sort(table->begin(), table->end(), [](const ModuleExport& a, const ModuleExport& b) {
    return std::strcmp(a.name, b.name) < 0;
  });
}

}  // namespace

const std::vector<ModuleExport>& GdiExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(BitBlt, 9),
        VELMORA_EXPORT(CombineRgn, 4),
        VELMORA_EXPORT(CreateBitmap, 5),
        VELMORA_EXPORT(CreateBrushIndirect, 1),
        VELMORA_EXPORT(CreateCompatibleBitmap, 3),
        VELMORA_EXPORT(CreateCompatibleDC, 1),
        VELMORA_EXPORT(CreateDIBSection, 6),
        VELMORA_EXPORT(CreateDIBitmap, 6),
        VELMORA_EXPORT(CreateFontA, 14),
        VELMORA_EXPORT(CreateFontIndirectA, 1),
        VELMORA_EXPORT(CreatePen, 3),
        VELMORA_EXPORT(CreatePenIndirect, 1),
        VELMORA_EXPORT(CreateRectRgn, 4),
        VELMORA_EXPORT(CreateRectRgnIndirect, 1),
        VELMORA_EXPORT(CreateSolidBrush, 1),
        VELMORA_EXPORT(DeleteDC, 1),
        VELMORA_EXPORT(DeleteObject, 1),
        VELMORA_EXPORT(Ellipse, 5),
        VELMORA_EXPORT(EnumFontFamiliesExA, 5),
        VELMORA_EXPORT(EqualRgn, 2),
        VELMORA_EXPORT(ExcludeClipRect, 5),
        VELMORA_EXPORT(ExtSelectClipRgn, 3),
        VELMORA_EXPORT(ExtTextOutA, 8),
        VELMORA_EXPORT(GetBitmapBits, 3),
        VELMORA_EXPORT(GetBkColor, 1),
        VELMORA_EXPORT(GetBkMode, 1),
        VELMORA_EXPORT(GetClipBox, 2),
        VELMORA_EXPORT(GetClipRgn, 2),
        VELMORA_EXPORT(GetCurrentObject, 2),
        VELMORA_EXPORT(GetDIBits, 7),
        VELMORA_EXPORT(GetDeviceCaps, 2),
        VELMORA_EXPORT(GetObjectA, 3),
        VELMORA_EXPORT(GetObjectType, 1),
        VELMORA_EXPORT(GetPixel, 3),
        VELMORA_EXPORT(GetRgnBox, 2),
        VELMORA_EXPORT(GetStockObject, 1),
        VELMORA_EXPORT(GetStretchBltMode, 1),
        VELMORA_EXPORT(GetTextColor, 1),
        VELMORA_EXPORT(GetTextExtentPoint32A, 4),
        VELMORA_EXPORT(GetTextFaceA, 3),
        VELMORA_EXPORT(GetTextMetricsA, 2),
        VELMORA_EXPORT(GetViewportOrgEx, 2),
        VELMORA_EXPORT(GetWindowOrgEx, 2),
        VELMORA_EXPORT(IntersectClipRect, 5),
        VELMORA_EXPORT(LineTo, 3),
        VELMORA_EXPORT(MaskBlt, 12),
        VELMORA_EXPORT(MoveToEx, 4),
        VELMORA_EXPORT(OffsetRgn, 3),
        VELMORA_EXPORT(OffsetViewportOrgEx, 4),
        VELMORA_EXPORT(PatBlt, 6),
        VELMORA_EXPORT(Polygon, 3),
        VELMORA_EXPORT(Polyline, 3),
        VELMORA_EXPORT(PtInRegion, 3),
        VELMORA_EXPORT(PtVisible, 3),
        VELMORA_EXPORT(RectInRegion, 2),
        VELMORA_EXPORT(Rectangle, 5),
        VELMORA_EXPORT(RestoreDC, 2),
        VELMORA_EXPORT(SaveDC, 1),
        VELMORA_EXPORT(SelectClipRgn, 2),
        VELMORA_EXPORT(SelectObject, 2),
        VELMORA_EXPORT(SetBkColor, 2),
        VELMORA_EXPORT(SetBkMode, 2),
        VELMORA_EXPORT(SetDCBrushColor, 2),
        VELMORA_EXPORT(SetDCPenColor, 2),
        VELMORA_EXPORT(SetDIBits, 7),
        VELMORA_EXPORT(SetDIBitsToDevice, 12),
        VELMORA_EXPORT(SetPixel, 4),
        VELMORA_EXPORT(SetPixelV, 4),
        VELMORA_EXPORT(SetROP2, 2),
        VELMORA_EXPORT(SetRectRgn, 5),
        VELMORA_EXPORT(SetStretchBltMode, 2),
        VELMORA_EXPORT(SetTextAlign, 2),
        VELMORA_EXPORT(SetTextColor, 2),
        VELMORA_EXPORT(SetViewportOrgEx, 4),
        VELMORA_EXPORT(SetWindowOrgEx, 4),
        VELMORA_EXPORT(StretchBlt, 11),
        VELMORA_EXPORT(StretchDIBits, 13),
        VELMORA_EXPORT(TextOutA, 5),
    };
    SortByName(&table);
    for (size_t i = 0; i < table.size(); ++i) table[i].ordinal = static_cast<WORD>(i + 1);
    return table;
  }();
  return exports;
}

const std::vector<ModuleExport>& GdiUserExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(CopyIcon, 1),
        VELMORA_EXPORT(CopyRect, 2),
        VELMORA_EXPORT(CreateIconFromResource, 4),
        VELMORA_EXPORT(CreateIconFromResourceEx, 7),
        VELMORA_EXPORT(CreateIconIndirect, 1),
        VELMORA_EXPORT(DestroyCursor, 1),
        VELMORA_EXPORT(DestroyIcon, 1),
        VELMORA_EXPORT(DrawEdge, 4),
        VELMORA_EXPORT(DrawFocusRect, 2),
        VELMORA_EXPORT(DrawIcon, 4),
        VELMORA_EXPORT(DrawIconEx, 9),
        VELMORA_EXPORT(DrawTextA, 5),
        VELMORA_EXPORT(EqualRect, 2),
        VELMORA_EXPORT(FillRect, 3),
        VELMORA_EXPORT(FrameRect, 3),
        VELMORA_EXPORT(GetIconInfo, 2),
        VELMORA_EXPORT(GetSysColor, 1),
        VELMORA_EXPORT(GetSysColorBrush, 1),
        VELMORA_EXPORT(InflateRect, 3),
        VELMORA_EXPORT(IntersectRect, 3),
        VELMORA_EXPORT(InvertRect, 2),
        VELMORA_EXPORT(IsRectEmpty, 1),
        VELMORA_EXPORT(LoadCursorA, 2),
        VELMORA_EXPORT(LoadIconA, 2),
        VELMORA_EXPORT(OffsetRect, 3),
        VELMORA_EXPORT(PtInRect, 3),
        VELMORA_EXPORT(SetRect, 5),
        VELMORA_EXPORT(SetRectEmpty, 1),
        VELMORA_EXPORT(UnionRect, 3),
    };
    SortByName(&table);
    return table;
  }();
  return exports;
}

#undef VELMORA_EXPORT

}  // namespace platform::gdi

namespace {

bool AddGdiExports() {
  using platform::BuiltinModule;
  const auto& gdi = platform::gdi::GdiExports();
  platform::RegisterModuleExports(BuiltinModule::Gdi32, gdi.data(), gdi.size());
  // Drawing lives in Gdi32; the rectangle, text-box, icon and system-colour helpers that sit
  // on top of it belong to User32, as callers expect to find them there.
  const auto& user = platform::gdi::GdiUserExports();
  platform::RegisterModuleExports(BuiltinModule::User32, user.data(), user.size());
  return true;
}

}  // namespace

// Runs when the program starts; platform/CMakeLists.txt keeps this object in every link
// that uses the layer, although nothing calls into it.
extern "C" const bool velmora_gdi_exports_registrar = AddGdiExports();
