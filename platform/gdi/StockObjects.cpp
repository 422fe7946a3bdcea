#include "platform/gdi/StockObjects.h"

#include <array>
#include <cstring>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/StandardPalettes.h"

namespace platform::gdi {

namespace {

constexpr int kStockCount = DC_PEN + 1;

template <class T>
std::shared_ptr<T> MakeStock() {
  auto object = std::make_shared<T>();
  object->stock = true;
  return object;
}

std::shared_ptr<BrushObject> SolidBrush(COLORREF color, UINT style = BS_SOLID) {
  auto brush = MakeStock<BrushObject>();
  brush->logBrush = LOGBRUSH{style, color, 0};
  return brush;
}

std::shared_ptr<PenObject> SolidPen(COLORREF color, int style = PS_SOLID) {
  auto pen = MakeStock<PenObject>();
  pen->logPen = LOGPEN{static_cast<UINT>(style), POINT{0, 0}, color};
  return pen;
}

// Every stock font is our UI face at 12 px: the text service maps the face through
// fontconfig, and the fixed-pitch ones ask for its monospaced member.
std::shared_ptr<FontObject> Font(const char* face, BYTE pitch) {
  auto font = MakeStock<FontObject>();
  LOGFONTA& lf = font->logFont;
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = pitch;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return font;
}

struct StockSet {
  std::array<std::shared_ptr<GdiObject>, kStockCount> objects;
  std::array<HGDIOBJ, kStockCount> handles{};
  std::shared_ptr<BitmapObject> bitmap;
};

StockSet& Stock() {
  static StockSet* set = [] {
    auto* s = new StockSet();
    constexpr const char* kFace = "WenQuanYi Micro Hei";
    constexpr const char* kMonoFace = "WenQuanYi Micro Hei Mono";
    s->objects[WHITE_BRUSH] = SolidBrush(RGB(255, 255, 255));
    s->objects[LTGRAY_BRUSH] = SolidBrush(RGB(192, 192, 192));
    s->objects[GRAY_BRUSH] = SolidBrush(RGB(128, 128, 128));
    s->objects[DKGRAY_BRUSH] = SolidBrush(RGB(64, 64, 64));
    s->objects[BLACK_BRUSH] = SolidBrush(RGB(0, 0, 0));
    s->objects[NULL_BRUSH] = SolidBrush(RGB(0, 0, 0), BS_NULL);
    s->objects[WHITE_PEN] = SolidPen(RGB(255, 255, 255));
    s->objects[BLACK_PEN] = SolidPen(RGB(0, 0, 0));
    s->objects[NULL_PEN] = SolidPen(RGB(0, 0, 0), PS_NULL);
    s->objects[OEM_FIXED_FONT] = Font(kMonoFace, FIXED_PITCH | FF_MODERN);
    s->objects[ANSI_FIXED_FONT] = Font(kMonoFace, FIXED_PITCH | FF_MODERN);
    s->objects[ANSI_VAR_FONT] = Font(kFace, VARIABLE_PITCH | FF_SWISS);
    s->objects[SYSTEM_FONT] = Font(kFace, VARIABLE_PITCH | FF_SWISS);
    s->objects[DEVICE_DEFAULT_FONT] = Font(kFace, VARIABLE_PITCH | FF_SWISS);
    s->objects[SYSTEM_FIXED_FONT] = Font(kMonoFace, FIXED_PITCH | FF_MODERN);
    s->objects[DEFAULT_GUI_FONT] = Font(kFace, VARIABLE_PITCH | FF_SWISS);
    auto palette = MakeStock<PaletteObject>();
    palette->entries = DefaultLogicalPalette();
    s->objects[DEFAULT_PALETTE] = palette;
    auto dcBrush = SolidBrush(RGB(255, 255, 255));
    dcBrush->dcBrush = true;
    s->objects[DC_BRUSH] = dcBrush;
    auto dcPen = SolidPen(RGB(0, 0, 0));
    dcPen->dcPen = true;
    s->objects[DC_PEN] = dcPen;
    for (int i = 0; i < kStockCount; ++i) {
      if (s->objects[i]) s->handles[i] = InsertObject(s->objects[i]);
    }
    s->bitmap = MakeStock<BitmapObject>();
    s->bitmap->surface = Surface::Create(1, 1, 1, true);
    InsertObject(s->bitmap);
    return s;
  }();
  return *set;
}

}  // namespace

std::shared_ptr<BitmapObject> StockBitmap() {
  return Stock().bitmap;
}

std::shared_ptr<PaletteObject> StockPalette() {
  return std::static_pointer_cast<PaletteObject>(Stock().objects[DEFAULT_PALETTE]);
}

HGDIOBJ StockObjectHandle(int index) {
  if (index < 0 || index >= kStockCount) return nullptr;
  return Stock().handles[index];
}

std::shared_ptr<BrushObject> StockBrush(int index) {
  if (index < 0 || index >= kStockCount) return nullptr;
  return std::dynamic_pointer_cast<BrushObject>(Stock().objects[index]);
}

std::shared_ptr<PenObject> StockPen(int index) {
  if (index < 0 || index >= kStockCount) return nullptr;
  return std::dynamic_pointer_cast<PenObject>(Stock().objects[index]);
}

std::shared_ptr<FontObject> StockFont(int index) {
  if (index < 0 || index >= kStockCount) return nullptr;
  return std::dynamic_pointer_cast<FontObject>(Stock().objects[index]);
}

COLORREF BrushColor(const DeviceContext& dc, const BrushObject& brush) {
  if (brush.dcBrush) return dc.state.dcBrushColor;
  if (brush.sysColorIndex >= 0) return GetSysColor(brush.sysColorIndex);
  return brush.logBrush.lbColor;
}

COLORREF PenColor(const DeviceContext& dc, const PenObject& pen) {
  if (pen.dcPen) return dc.state.dcPenColor;
  return pen.logPen.lopnColor;
}

}  // namespace platform::gdi
