#include "platform/gdi/GdiExports.h"

#include "platform/wingdi.h"

namespace platform::gdi {

// The argument bytes come from the function's own type (ArgumentBytes in ModuleExports.h).
#define VELMORA_EXPORT(function) MakeExport(#function, &::function)

const std::vector<ModuleExport>& GdiExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(BitBlt),
        VELMORA_EXPORT(CombineRgn),
        VELMORA_EXPORT(CreateBitmap),
        VELMORA_EXPORT(CreateBrushIndirect),
        VELMORA_EXPORT(CreateCompatibleBitmap),
        VELMORA_EXPORT(CreateCompatibleDC),
        VELMORA_EXPORT(CreateDIBSection),
        VELMORA_EXPORT(CreateDIBitmap),
        VELMORA_EXPORT(CreateFontA),
        VELMORA_EXPORT(CreateFontIndirectA),
        VELMORA_EXPORT(CreatePen),
        VELMORA_EXPORT(CreatePenIndirect),
        VELMORA_EXPORT(CreateRectRgn),
        VELMORA_EXPORT(CreateRectRgnIndirect),
        VELMORA_EXPORT(CreateSolidBrush),
        VELMORA_EXPORT(DeleteDC),
        VELMORA_EXPORT(DeleteObject),
        VELMORA_EXPORT(Ellipse),
        VELMORA_EXPORT(EnumFontFamiliesExA),
        VELMORA_EXPORT(EqualRgn),
        VELMORA_EXPORT(ExcludeClipRect),
        VELMORA_EXPORT(ExtSelectClipRgn),
        VELMORA_EXPORT(ExtTextOutA),
        VELMORA_EXPORT(ExtTextOutW),
        VELMORA_EXPORT(GetBitmapBits),
        VELMORA_EXPORT(GetBkColor),
        VELMORA_EXPORT(GetBkMode),
        VELMORA_EXPORT(GetClipBox),
        VELMORA_EXPORT(GetClipRgn),
        VELMORA_EXPORT(GetCurrentObject),
        VELMORA_EXPORT(GetDIBits),
        VELMORA_EXPORT(GetDeviceCaps),
        VELMORA_EXPORT(GetObjectA),
        VELMORA_EXPORT(GetObjectType),
        VELMORA_EXPORT(GetPixel),
        VELMORA_EXPORT(GetRgnBox),
        VELMORA_EXPORT(GetStockObject),
        VELMORA_EXPORT(GetStretchBltMode),
        VELMORA_EXPORT(GetTextColor),
        VELMORA_EXPORT(GetTextExtentPoint32A),
        VELMORA_EXPORT(GetTextExtentPoint32W),
        VELMORA_EXPORT(GetTextFaceA),
        VELMORA_EXPORT(GetTextMetricsA),
        VELMORA_EXPORT(GetViewportOrgEx),
        VELMORA_EXPORT(GetWindowOrgEx),
        VELMORA_EXPORT(IntersectClipRect),
        VELMORA_EXPORT(LineTo),
        VELMORA_EXPORT(MaskBlt),
        VELMORA_EXPORT(MoveToEx),
        VELMORA_EXPORT(OffsetRgn),
        VELMORA_EXPORT(OffsetViewportOrgEx),
        VELMORA_EXPORT(PatBlt),
        VELMORA_EXPORT(Polygon),
        VELMORA_EXPORT(Polyline),
        VELMORA_EXPORT(PtInRegion),
        VELMORA_EXPORT(PtVisible),
        VELMORA_EXPORT(RectInRegion),
        VELMORA_EXPORT(Rectangle),
        VELMORA_EXPORT(RestoreDC),
        VELMORA_EXPORT(SaveDC),
        VELMORA_EXPORT(SelectClipRgn),
        VELMORA_EXPORT(SelectObject),
        VELMORA_EXPORT(SetBkColor),
        VELMORA_EXPORT(SetBkMode),
        VELMORA_EXPORT(SetDCBrushColor),
        VELMORA_EXPORT(SetDCPenColor),
        VELMORA_EXPORT(SetDIBits),
        VELMORA_EXPORT(SetDIBitsToDevice),
        VELMORA_EXPORT(SetPixel),
        VELMORA_EXPORT(SetPixelV),
        VELMORA_EXPORT(SetROP2),
        VELMORA_EXPORT(SetRectRgn),
        VELMORA_EXPORT(SetStretchBltMode),
        VELMORA_EXPORT(SetTextAlign),
        VELMORA_EXPORT(SetTextColor),
        VELMORA_EXPORT(SetViewportOrgEx),
        VELMORA_EXPORT(SetWindowOrgEx),
        VELMORA_EXPORT(StretchBlt),
        VELMORA_EXPORT(StretchDIBits),
        VELMORA_EXPORT(TextOutA),
    };
    SortExportsByName(&table);
    for (size_t i = 0; i < table.size(); ++i) table[i].ordinal = static_cast<WORD>(i + 1);
    return table;
  }();
  return exports;
}

const std::vector<ModuleExport>& GdiUserExports() {
  static const std::vector<ModuleExport> exports = [] {
    std::vector<ModuleExport> table = {
        VELMORA_EXPORT(CopyIcon),
        VELMORA_EXPORT(CopyRect),
        VELMORA_EXPORT(CreateIconFromResource),
        VELMORA_EXPORT(CreateIconFromResourceEx),
        VELMORA_EXPORT(CreateIconIndirect),
        VELMORA_EXPORT(DestroyCursor),
        VELMORA_EXPORT(DestroyIcon),
        VELMORA_EXPORT(DrawEdge),
        VELMORA_EXPORT(DrawFocusRect),
        VELMORA_EXPORT(DrawIcon),
        VELMORA_EXPORT(DrawIconEx),
        VELMORA_EXPORT(DrawTextA),
        VELMORA_EXPORT(EqualRect),
        VELMORA_EXPORT(FillRect),
        VELMORA_EXPORT(FrameRect),
        VELMORA_EXPORT(GetIconInfo),
        VELMORA_EXPORT(GetSysColor),
        VELMORA_EXPORT(GetSysColorBrush),
        VELMORA_EXPORT(InflateRect),
        VELMORA_EXPORT(IntersectRect),
        VELMORA_EXPORT(InvertRect),
        VELMORA_EXPORT(IsRectEmpty),
        VELMORA_EXPORT(LoadCursorA),
        VELMORA_EXPORT(LoadIconA),
        VELMORA_EXPORT(OffsetRect),
        VELMORA_EXPORT(PtInRect),
        VELMORA_EXPORT(SetRect),
        VELMORA_EXPORT(SetRectEmpty),
        VELMORA_EXPORT(UnionRect),
    };
    SortExportsByName(&table);
    return table;
  }();
  return exports;
}

#undef VELMORA_EXPORT

}  // namespace platform::gdi

// Runs when the program starts; platform/CMakeLists.txt keeps this object in every link
// that uses the layer, although nothing calls into it. Drawing lives in Gdi32; the
// rectangle, text-box, icon and system-colour helpers on top of it belong to User32, as
// callers expect to find them there.
extern "C" const bool velmora_gdi_exports_registrar =
    platform::RegisterModuleExports(platform::BuiltinModule::Gdi32, platform::gdi::GdiExports()) &&
    platform::RegisterModuleExports(platform::BuiltinModule::User32,
                                    platform::gdi::GdiUserExports());
