// Fonts and single-line text output: CreateFontIndirectA, TextOutA, ExtTextOutA, the text
// measurements and font enumeration. Texts are GBK and converted per call.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/FontMatcher.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/TextPainter.h"
#include "platform/kernel/CodePage.h"
#include "platform/wingdi.h"

using namespace platform::gdi;

namespace {

// GDI's coordinate space is 27 bits wide; beyond it positions cannot be drawn anyway and
// the device arithmetic would overflow.
constexpr LONG kMaxCoordinate = 1 << 27;

bool InRange(LONG v) {
  return v > -kMaxCoordinate && v < kMaxCoordinate;
}

bool RectInRange(const RECT& r) {
  return InRange(r.left) && InRange(r.top) && InRange(r.right) && InRange(r.bottom);
}

// Copies a GBK name into a LOGFONTA face buffer, never splitting a double-byte character.
void CopyFaceName(const char* name, CHAR (&face)[LF_FACESIZE]) {
  std::memset(face, 0, sizeof face);
  if (name == nullptr) return;
  size_t length = strnlen(name, 4096);
  size_t i = 0;
  while (i < length) {
    auto b = static_cast<unsigned char>(name[i]);
    size_t step = (b >= 0x81 && b <= 0xFE && i + 1 < length) ? 2 : 1;
    if (i + step > LF_FACESIZE - 1) break;
    i += step;
  }
  std::memcpy(face, name, i);
}

RECT DeviceRect(const DeviceContext& dc, const RECT& r) {
  POINT a = dc.LogicalToDevice(r.left, r.top), b = dc.LogicalToDevice(r.right, r.bottom);
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// `units` is the text's length in bytes (GBK) or code units (UTF-16), as `dx` counts them.
BOOL OutputText(DeviceContext& dc, int x, int y, UINT options, const RECT* rect,
                std::vector<TextChar> chars, size_t units, const INT* dx) {
  auto font = SelectedFont(dc);
  if (font == nullptr) return FALSE;
  if (rect != nullptr && !RectInRange(*rect)) return FALSE;
  TextRun run = MeasureRun(*font, std::move(chars), dx, dx != nullptr ? units : 0);

  const UINT align = dc.state.textAlign;
  const bool updateCp = (align & TA_UPDATECP) != 0;
  POINT ref = updateCp ? dc.state.currentPosition : POINT{x, y};
  if (!InRange(ref.x) || !InRange(ref.y)) return FALSE;
  int u = 0;
  if ((align & TA_CENTER) == TA_CENTER) {
    u = -run.width / 2;
  } else if (align & TA_RIGHT) {
    u = -run.width;
  }
  int v = font->ascent;  // TA_TOP: the reference point is the cell's top
  if ((align & TA_BASELINE) == TA_BASELINE) {
    v = 0;
  } else if (align & TA_BOTTOM) {
    v = -font->descent;
  }
  const double c = std::cos(font->escapementRadians), s = std::sin(font->escapementRadians);
  POINT device = dc.LogicalToDevice(ref.x, ref.y);
  double baseX = device.x + u * c + v * s;
  double baseY = device.y - u * s + v * c;
  if (!font->rotated) {
    baseX = device.x + u;
    baseY = device.y + v;
  }

  const bool clipped = rect != nullptr && (options & ETO_CLIPPED);
  RECT deviceRect{};
  if (rect != nullptr) deviceRect = DeviceRect(dc, *rect);
  {
    TextPainter painter(dc, clipped ? &deviceRect : nullptr);
    if (rect != nullptr && (options & ETO_OPAQUE))
      painter.FillDeviceRect(deviceRect, dc.state.bkColor);
    const COLORREF background = dc.state.bkColor;
    painter.PaintRun(*font, run, baseX, baseY, dc.state.textColor,
                     dc.state.bkMode == OPAQUE ? &background : nullptr);
  }
  if (updateCp) {
    // The current position moves past the text on the side it grew towards.
    int along = (align & TA_CENTER) == TA_CENTER ? 0 : (align & TA_RIGHT) ? -run.width : run.width;
    dc.state.currentPosition.x += static_cast<LONG>(std::lround(along * c));
    dc.state.currentPosition.y -= static_cast<LONG>(std::lround(along * s));
  }
  return TRUE;
}

void FillTextMetrics(const RealizedFont& font, TEXTMETRICA* tm) {
  std::memset(tm, 0, sizeof *tm);
  tm->tmHeight = font.height();
  tm->tmAscent = font.ascent;
  tm->tmDescent = font.descent;
  tm->tmInternalLeading = font.internalLeading;
  tm->tmExternalLeading = 0;
  tm->tmAveCharWidth = font.aveCharWidth;
  tm->tmMaxCharWidth = font.maxCharWidth;
  tm->tmWeight = font.weight;
  tm->tmOverhang = 0;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x1E;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = font.italic ? 0xFF : 0;
  tm->tmUnderlined = font.underline ? 0xFF : 0;
  tm->tmStruckOut = font.strikeOut ? 0xFF : 0;
  tm->tmPitchAndFamily = font.pitchAndFamily;
  tm->tmCharSet = font.charSet;
}

bool SameGbkName(const std::string& a, const char* b) {
  if (a.size() != strnlen(b, LF_FACESIZE)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x < 0x80 && y < 0x80 ? std::tolower(x) != std::tolower(y) : x != y) return false;
  }
  return true;
}

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (font == nullptr) return nullptr;
  auto object = std::make_shared<FontObject>();
  object->logFont = *font;
  CHAR face[LF_FACESIZE];
  std::memcpy(face, font->lfFaceName, LF_FACESIZE);
  face[LF_FACESIZE - 1] = '\0';
  CopyFaceName(face, object->logFont.lfFaceName);
  return InsertObject(std::move(object));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic != 0);
  lf.lfUnderline = static_cast<BYTE>(underline != 0);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  CopyFaceName(faceName, lf.lfFaceName);
  return CreateFontIndirectA(&lf);
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  auto context = LookupDC(dc);
  if (context == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
  return OutputText(*context, x, y, 0, nullptr, SplitGbk(text, static_cast<size_t>(length)),
                    static_cast<size_t>(length), nullptr);
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length,
                 const INT* dx) {
  auto context = LookupDC(dc);
  if (context == nullptr || length > 0x7FFFFFFF || (text == nullptr && length > 0)) return FALSE;
  return OutputText(*context, x, y, options, rect, SplitGbk(text, length), length, dx);
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length,
                 const INT* dx) {
  auto context = LookupDC(dc);
  if (context == nullptr || length > 0x7FFFFFFF || (text == nullptr && length > 0)) return FALSE;
  return OutputText(*context, x, y, options, rect, SplitUtf16(text, length), length, dx);
}

namespace {

BOOL TextExtent(HDC dc, std::vector<TextChar> chars, LPSIZE size) {
  auto context = LookupDC(dc);
  if (context == nullptr || size == nullptr) return FALSE;
  auto font = SelectedFont(*context);
  if (font == nullptr) return FALSE;
  TextRun run = MeasureRun(*font, std::move(chars));
  size->cx = run.width;
  size->cy = font->height();
  return TRUE;
}

}  // namespace

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
  if (length < 0 || (text == nullptr && length > 0)) return FALSE;
  return TextExtent(dc, SplitGbk(text, static_cast<size_t>(length)), size);
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size) {
  if (length < 0 || (text == nullptr && length > 0)) return FALSE;
  return TextExtent(dc, SplitUtf16(text, static_cast<size_t>(length)), size);
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  auto context = LookupDC(dc);
  if (context == nullptr || metrics == nullptr) return FALSE;
  auto font = SelectedFont(*context);
  if (font == nullptr) return FALSE;
  FillTextMetrics(*font, metrics);
  return TRUE;
}

int GetTextFaceA(HDC dc, int size, LPSTR face) {
  auto context = LookupDC(dc);
  if (context == nullptr) return 0;
  std::string name;
  LOGFONTA lf = context->state.font != nullptr ? context->state.font->logFont : DefaultGuiLogFont();
  name.assign(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  if (name.empty()) {
    // No name asked for: report the face that actually draws.
    if (auto font = SelectedFont(*context))
      name = platform::kernel::Utf8ToGbk(font->family, false).value_or("");
  }
  if (face == nullptr) return static_cast<int>(name.size()) + 1;
  if (size <= 0) return 0;
  size_t copy = std::min(name.size(), static_cast<size_t>(size) - 1);
  // Never leave half a double-byte character at the end.
  size_t whole = 0;
  while (whole < copy) {
    auto b = static_cast<unsigned char>(name[whole]);
    size_t step = (b >= 0x81 && b <= 0xFE) ? 2 : 1;
    if (whole + step > copy) break;
    whole += step;
  }
  std::memcpy(face, name.data(), whole);
  face[whole] = '\0';
  return static_cast<int>(whole);
}

int EnumFontFamiliesExA(HDC dc, LPLOGFONTA font, FONTENUMPROCA proc, LPARAM param,
                        DWORD /*flags*/) {
  auto context = LookupDC(dc);
  if (context == nullptr || font == nullptr || proc == nullptr) return 0;
  const BYTE charSet = font->lfCharSet;
  CHAR wanted[LF_FACESIZE];
  std::memcpy(wanted, font->lfFaceName, LF_FACESIZE);
  wanted[LF_FACESIZE - 1] = '\0';
  const bool oneFamily = wanted[0] != '\0';

  int result = 1;
  for (const FontFamily& family : ListFontFamilies()) {
    std::string gbkName = platform::kernel::Utf8ToGbk(family.name, false).value_or("");
    if (gbkName.empty()) continue;
    if (oneFamily && !SameGbkName(gbkName, wanted)) continue;
    // With a face name every style is listed; without one, each family once.
    size_t styles = oneFamily ? family.styles.size() : std::min<size_t>(family.styles.size(), 1);
    for (size_t i = 0; i < styles; ++i) {
      const FontFamilyStyle& style = family.styles[i];
      ENUMLOGFONTEXA elf{};
      LOGFONTA& lf = elf.elfLogFont;
      CopyFaceName(gbkName.c_str(), lf.lfFaceName);
      lf.lfHeight = -16;
      lf.lfWeight = style.file.bold ? FW_BOLD : FW_NORMAL;
      lf.lfItalic = style.file.italic ? 1 : 0;
      auto realized = RealizeFont(lf);
      if (realized == nullptr) continue;
      if (charSet != DEFAULT_CHARSET && charSet != realized->charSet) {
        // A CJK face also draws Latin text; a Latin face cannot draw GB2312.
        if (!(charSet == ANSI_CHARSET && realized->charSet == GB2312_CHARSET)) continue;
      }
      NEWTEXTMETRICA ntm{};
      FillTextMetrics(*realized, &ntm.tm);
      const BYTE reportedCharSet = charSet == DEFAULT_CHARSET ? realized->charSet : charSet;
      ntm.tm.tmCharSet = reportedCharSet;
      ntm.ntmFlags = (style.file.bold ? 0x20u : 0u) | (style.file.italic ? 0x01u : 0u) |
                     (!style.file.bold && !style.file.italic ? 0x40u : 0u);
      ntm.ntmSizeEM = static_cast<UINT>(std::lround(realized->emPixels));
      ntm.ntmCellHeight = static_cast<UINT>(realized->height());
      ntm.ntmAvgWidth = static_cast<UINT>(realized->aveCharWidth);
      lf.lfHeight = realized->height();
      lf.lfWidth = realized->aveCharWidth;
      lf.lfCharSet = reportedCharSet;
      lf.lfOutPrecision = 3;   // OUT_STROKE_PRECIS, as TrueType faces report
      lf.lfClipPrecision = 2;  // CLIP_STROKE_PRECIS
      lf.lfQuality = 1;        // DRAFT_QUALITY
      lf.lfPitchAndFamily =
          static_cast<BYTE>((realized->fixedPitch ? FIXED_PITCH : VARIABLE_PITCH) |
                            (realized->pitchAndFamily & 0xF0));
      std::string styleName = platform::kernel::Utf8ToGbk(style.style, false).value_or("");
      std::string fullName = gbkName + (styleName.empty() ? "" : " " + styleName);
      std::strncpy(reinterpret_cast<char*>(elf.elfFullName), fullName.c_str(),
                   sizeof elf.elfFullName - 1);
      std::strncpy(reinterpret_cast<char*>(elf.elfStyle), styleName.c_str(),
                   sizeof elf.elfStyle - 1);
      std::strncpy(reinterpret_cast<char*>(elf.elfScript),
                   reportedCharSet == GB2312_CHARSET ? "CHINESE_GB2312" : "Western",
                   sizeof elf.elfScript - 1);
      // The callback receives the extended structures, whose first members are the plain ones.
      result = proc(&elf.elfLogFont, &ntm.tm, TRUETYPE_FONTTYPE, param);
      if (result == 0) return 0;
    }
  }
  return result;
}
