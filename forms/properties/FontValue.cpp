#include "forms/properties/FontValue.h"

#include <cstring>

#include "forms/FormsMessages.h"

namespace forms {

namespace {

constexpr int32_t kFullCircle = 3600;
constexpr LONG kBoldWeight = 700;

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// Logical height for a point size on the screen (negative: the character height).
LONG HeightForPoints(int32_t points) {
  int dpi = ScreenDpi();
  return -static_cast<LONG>((static_cast<int64_t>(points) * dpi + 36) / 72);
}

int32_t PointsForHeight(LONG height) {
  int dpi = ScreenDpi();
  int64_t h = height < 0 ? -static_cast<int64_t>(height) : height;
  return static_cast<int32_t>((h * 72 + dpi / 2) / dpi);
}

void SetAngle(LOGFONTA* font, int32_t tenths) {
  int32_t angle = tenths % kFullCircle;
  if (angle < 0) angle += kFullCircle;
  font->lfEscapement = angle;
  font->lfOrientation = angle;
}

// Faces of 1-31 bytes are kept; anything else becomes the default face.
void SetFace(LOGFONTA* font, const char* face) {
  size_t n = face != nullptr ? std::strlen(face) : 0;
  if (n == 0 || n >= LF_FACESIZE) {
    face = msg::kDefaultFace;
    n = std::strlen(face);
  }
  std::memset(font->lfFaceName, 0, sizeof font->lfFaceName);
  std::memcpy(font->lfFaceName, face, n);
}

}  // namespace

LOGFONTA FontFromRecord(const FontRecord& record) {
  LOGFONTA font{};
  SetAngle(&font, record.angle);
  font.lfWeight = record.bold != 0 ? kBoldWeight : 0;
  font.lfItalic = record.italic != 0 ? 1 : 0;
  font.lfUnderline = record.underline != 0 ? 1 : 0;
  font.lfStrikeOut = record.strikeOut != 0 ? 1 : 0;
  font.lfHeight = HeightForPoints(record.size);
  font.lfCharSet = DEFAULT_CHARSET;
  SetFace(&font, record.faceName);
  return font;
}

bool SetFontAspect(LOGFONTA* font, int32_t aspect, uint32_t value, const char* face) {
  switch (aspect) {
    case kFontAngle:
      SetAngle(font, static_cast<int32_t>(value));
      return true;
    case kFontBold:
      font->lfWeight = value != 0 ? kBoldWeight : 0;
      return true;
    case kFontItalic:
      font->lfItalic = value != 0 ? 1 : 0;
      return true;
    case kFontUnderline:
      font->lfUnderline = value != 0 ? 1 : 0;
      return true;
    case kFontStrikeOut:
      font->lfStrikeOut = value != 0 ? 1 : 0;
      return true;
    case kFontSize:
      font->lfHeight = HeightForPoints(static_cast<int32_t>(value));
      return true;
    case kFontFace:
      SetFace(font, face);
      return true;
    default:
      return false;
  }
}

uint32_t FontAspect(const LOGFONTA& font, int32_t aspect) {
  switch (aspect) {
    case kFontAngle:
      return static_cast<uint32_t>(font.lfEscapement);
    case kFontBold:
      return font.lfWeight >= kBoldWeight ? 1 : 0;
    case kFontItalic:
      return font.lfItalic != 0 ? 1 : 0;
    case kFontUnderline:
      return font.lfUnderline != 0 ? 1 : 0;
    case kFontStrikeOut:
      return font.lfStrikeOut != 0 ? 1 : 0;
    case kFontSize:
      return static_cast<uint32_t>(PointsForHeight(font.lfHeight));
    default:
      return 0;
  }
}

LOGFONTA DefaultGuiFont() {
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

}  // namespace forms
