#include "skin/SkinPainter.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/commctrl.h"
#include "platform/user32.h"
#include "skin/SkinFormat.h"

namespace skin {

namespace {

COLORREF Mix(COLORREF a, COLORREF b, int weightOfB256) {
  auto channel = [&](int shift) {
    const int x = static_cast<int>((a >> shift) & 0xFF), y = static_cast<int>((b >> shift) & 0xFF);
    return static_cast<COLORREF>((x * (256 - weightOfB256) + y * weightOfB256) / 256) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

bool Empty(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
  if (Empty(r)) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Outline(HDC dc, const RECT& r, COLORREF color) {
  if (Empty(r)) return;
  HBRUSH brush = CreateSolidBrush(color);
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
}

// Top-to-bottom (or left-to-right) shading, one band per pixel row.
void Shade(HDC dc, const RECT& r, COLORREF from, COLORREF to, bool across = false) {
  const int span = across ? r.right - r.left : r.bottom - r.top;
  if (span <= 0 || Empty(r)) return;
  for (int i = 0; i < span; ++i) {
    const COLORREF c = span == 1 ? from : Mix(from, to, i * 256 / (span - 1));
    RECT band = across ? RECT{r.left + i, r.top, r.left + i + 1, r.bottom}
                       : RECT{r.left, r.top + i, r.right, r.top + i + 1};
    Fill(dc, band, c);
  }
}

// An octagon with corners cut by `c`, which at these sizes reads as rounded.
void Rounded(HDC dc, const RECT& r, int c, COLORREF face, COLORREF edge, bool filled = true) {
  if (Empty(r)) return;
  c = std::min({c, (r.right - r.left) / 2, (r.bottom - r.top) / 2});
  POINT p[8] = {{r.left + c, r.top},
                {r.right - 1 - c, r.top},
                {r.right - 1, r.top + c},
                {r.right - 1, r.bottom - 1 - c},
                {r.right - 1 - c, r.bottom - 1},
                {r.left + c, r.bottom - 1},
                {r.left, r.bottom - 1 - c},
                {r.left, r.top + c}};
  HBRUSH brush = filled ? CreateSolidBrush(face) : nullptr;
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HGDIOBJ oldBrush = SelectObject(dc, filled ? brush : GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, p, 8);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  if (brush != nullptr) DeleteObject(brush);
  DeleteObject(pen);
}

// Shading inside a rounded edge: the corners keep the colour under them.
void RoundedShade(HDC dc, const RECT& r, int c, COLORREF top, COLORREF bottom, COLORREF edge) {
  if (Empty(r)) return;
  RECT inner = r;
  InflateRect(&inner, -1, -1);
  Shade(dc, inner, top, bottom);
  Rounded(dc, r, c, 0, edge, false);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF color, int width = 1) {
  HPEN pen = CreatePen(PS_SOLID, width, color);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Disc(HDC dc, const RECT& r, COLORREF face, COLORREF edge) {
  HBRUSH brush = CreateSolidBrush(face);
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Ellipse(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// A small filled triangle pointing up (0), down (1), left (2) or right (3).
void Arrow(HDC dc, const RECT& r, int direction, COLORREF color) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const int s = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 5);
  POINT p[3];
  switch (direction) {
    case 0:
      p[0] = {cx - s, cy + s / 2}, p[1] = {cx + s, cy + s / 2}, p[2] = {cx, cy - s / 2 - 1};
      break;
    case 1:
      p[0] = {cx - s, cy - s / 2}, p[1] = {cx + s, cy - s / 2}, p[2] = {cx, cy + s / 2 + 1};
      break;
    case 2:
      p[0] = {cx + s / 2, cy - s}, p[1] = {cx + s / 2, cy + s}, p[2] = {cx - s / 2 - 1, cy};
      break;
    default:
      p[0] = {cx - s / 2, cy - s}, p[1] = {cx - s / 2, cy + s}, p[2] = {cx + s / 2 + 1, cy};
      break;
  }
  HBRUSH brush = CreateSolidBrush(color);
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, p, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void Tick(HDC dc, const RECT& r, COLORREF color) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int x0 = r.left + w / 5, y0 = r.top + h / 2;
  const int x1 = r.left + w * 2 / 5, y1 = r.bottom - h / 4;
  const int x2 = r.right - w / 5, y2 = r.top + h / 4;
  Line(dc, x0, y0, x1, y1, color, 2);
  Line(dc, x1, y1, x2, y2, color, 2);
}

// One line in the control's own font, so that it fills exactly the room the control
// measured for it. Labels that carry access keys ("文件(&F)") leave DT_NOPREFIX out of
// `format`: the marker becomes an underline, as in the built-in look.
void Text(HDC dc, const char* text, RECT r, UINT format, COLORREF color, HFONT font) {
  if (text == nullptr) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  DrawTextA(dc, text, -1, &r, format | DT_SINGLELINE | DT_VCENTER);
  SelectObject(dc, old);
}

bool Has(const VelmoraThemePaintInfo* info, DWORD flag) {
  return (info->state & flag) != 0;
}

// Hover lightens, a press darkens: the same rule for every face so skins feel alike.
COLORREF Lit(COLORREF c, const VelmoraThemePaintInfo* info) {
  if (Has(info, VELMORA_STATE_PRESSED)) return Mix(c, 0, 40);
  if (Has(info, VELMORA_STATE_HOT)) return Mix(c, RGB(255, 255, 255), 60);
  return c;
}

// The caption's ground; the caption buttons lay it under themselves too, so the bar reads
// as one piece from the title to the close button.
void CaptionGround(const SkinStyle& s, HDC dc, const RECT& r, bool active) {
  const COLORREF top = s[active ? kCaptionTop : kCaptionIdleTop];
  const COLORREF bottom = s[active ? kCaptionBottom : kCaptionIdleBottom];
  switch (s.captionFill) {
    case CaptionFill::Flat:
      Fill(dc, r, bottom);
      break;
    case CaptionFill::Gradient:
      Shade(dc, r, top, bottom);
      break;
    case CaptionFill::Glossy: {
      const int mid = (r.top + r.bottom) / 2;
      Shade(dc, {r.left, r.top, r.right, mid}, Mix(top, RGB(255, 255, 255), 60), top);
      Shade(dc, {r.left, mid, r.right, r.bottom}, bottom, Mix(bottom, top, 96));
      break;
    }
    case CaptionFill::Plain:
      Fill(dc, r, top);
      Fill(dc, {r.left, r.bottom - 2, r.right, r.bottom}, active ? s[kAccent] : s[kBorderIdle]);
      break;
  }
}

void PaintCaption(const SkinStyle& s, HDC dc, const RECT& r, const VelmoraThemePaintInfo* info) {
  const bool active = Has(info, VELMORA_STATE_ACTIVE);
  const COLORREF top = s[active ? kCaptionTop : kCaptionIdleTop];
  const COLORREF bottom = s[active ? kCaptionBottom : kCaptionIdleBottom];
  CaptionGround(s, dc, r, active);
  // A small film-frame mark before the title: two sprocket rows around a window.
  RECT mark = {r.left + 6, (r.top + r.bottom) / 2 - 6, r.left + 20, (r.top + r.bottom) / 2 + 6};
  const COLORREF ink = s[active ? kCaptionInk : kCaptionIdleInk];
  Rounded(dc, mark, 2, Mix(bottom, ink, 200), Mix(bottom, ink, 200));
  Fill(dc, {mark.left + 3, mark.top + 3, mark.right - 3, mark.bottom - 3}, Mix(top, bottom, 128));
  RECT t = r;
  t.left = mark.right + 6;
  t.right -= 4;
  HFONT bold = CreateFontA(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr);
  const UINT align = s.captionAlign == CaptionAlign::Centre ? DT_CENTER : DT_LEFT;
  Text(dc, info->text, t, align | DT_END_ELLIPSIS | DT_NOPREFIX, ink, bold);
  DeleteObject(bold);
}

void PaintCaptionButton(const SkinStyle& s, HDC dc, const RECT& r,
                        const VelmoraThemePaintInfo* info) {
  const bool active = Has(info, VELMORA_STATE_ACTIVE);
  const bool hot = Has(info, VELMORA_STATE_HOT) || Has(info, VELMORA_STATE_PRESSED);
  const bool close = info->value == 0;
  COLORREF ink = s[active ? kCaptionInk : kCaptionIdleInk];
  const COLORREF base = s[active ? kCaptionBottom : kCaptionIdleBottom];
  CaptionGround(s, dc, r, active);
  RECT b = r;
  InflateRect(&b, -3, -3);
  const COLORREF hotFace = close ? s[kClose] : Mix(base, ink, 64);
  switch (s.captionButtons) {
    case CaptionButtons::Boxed:
      if (hot) {
        Rounded(dc, b, s.corner, Lit(hotFace, info), Lit(hotFace, info));
        if (close) ink = RGB(255, 255, 255);
      } else {
        Rounded(dc, b, s.corner, 0, Mix(base, ink, 80), false);
      }
      break;
    case CaptionButtons::Round: {
      const int d = std::min(b.right - b.left, b.bottom - b.top);
      RECT c = {(b.left + b.right - d) / 2, (b.top + b.bottom - d) / 2, 0, 0};
      c.right = c.left + d;
      c.bottom = c.top + d;
      COLORREF face = close ? s[kClose] : Mix(base, ink, hot ? 110 : 50);
      Disc(dc, c, Lit(face, info), Mix(face, 0, 50));
      if (close) ink = RGB(255, 255, 255);
      break;
    }
    case CaptionButtons::Glyph:
      if (hot) {
        Fill(dc, r, Lit(hotFace, info));
        if (close) ink = RGB(255, 255, 255);
      }
      break;
  }
  if (Has(info, VELMORA_STATE_DISABLED)) ink = Mix(ink, base, 150);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  switch (info->value) {
    case 0:
      Line(dc, cx - 4, cy - 4, cx + 4, cy + 4, ink, 2);
      Line(dc, cx + 4, cy - 4, cx - 4, cy + 4, ink, 2);
      break;
    case 1:
      Outline(dc, {cx - 5, cy - 4, cx + 5, cy + 5}, ink);
      Fill(dc, {cx - 5, cy - 4, cx + 5, cy - 2}, ink);
      break;
    case 2:
      Outline(dc, {cx - 2, cy - 5, cx + 6, cy + 2}, ink);
      Fill(dc, {cx - 5, cy - 2, cx + 3, cy + 5}, Mix(base, ink, 30));
      Outline(dc, {cx - 5, cy - 2, cx + 3, cy + 5}, ink);
      break;
    default:
      Fill(dc, {cx - 5, cy + 3, cx + 5, cy + 5}, ink);
      break;
  }
}

void PaintFrame(const SkinStyle& s, HDC dc, const RECT& r, const VelmoraThemePaintInfo* info) {
  const bool active = Has(info, VELMORA_STATE_ACTIVE);
  const RECT& in = info->inner;
  // The band shares the caption's lower colour so caption and border read as one piece.
  const COLORREF band = s[active ? kCaptionBottom : kCaptionIdleBottom];
  Fill(dc, {r.left, r.top, r.right, in.top}, band);
  Fill(dc, {r.left, in.bottom, r.right, r.bottom}, band);
  Fill(dc, {r.left, in.top, in.left, in.bottom}, band);
  Fill(dc, {in.right, in.top, r.right, in.bottom}, band);
  Outline(dc, r, s[active ? kBorder : kBorderIdle]);
  RECT around = in;
  InflateRect(&around, 1, 1);
  Outline(dc, around, Mix(band, s[active ? kBorder : kBorderIdle], 128));
}

// The columns of a popup item: the menu's layout measured the labels and says in `inner`
// where it made room for them; the check mark and the submenu arrow take what is left on
// either side. Text drawn anywhere wider would be cut at the popup's edge.
RECT LabelColumn(const RECT& r, const VelmoraThemePaintInfo* info) {
  const RECT& in = info->inner;
  if (in.right > in.left && in.left >= r.left && in.right <= r.right)
    return {in.left, r.top, in.right, r.bottom};
  return {r.left + 22, r.top, r.right - 18, r.bottom};
}

void PaintMenuItem(const SkinStyle& s, HDC dc, const RECT& r, const VelmoraThemePaintInfo* info) {
  const bool bar = info->value == 1;
  const RECT label = LabelColumn(r, info);
  if (Has(info, VELMORA_STATE_SEPARATOR)) {
    const int y = (r.top + r.bottom) / 2;
    Fill(dc, {label.left, y, r.right - 6, y + 1}, Mix(s[kMenuBack], s[kBarInk], 60));
    return;
  }
  const bool disabled = Has(info, VELMORA_STATE_DISABLED) || Has(info, VELMORA_STATE_GRAYED);
  const bool selected = Has(info, VELMORA_STATE_SELECTED) || Has(info, VELMORA_STATE_HOT);
  COLORREF ink = disabled ? s[kBarDimInk] : s[kBarInk];
  if (selected) {
    RECT h = r;
    if (!bar) InflateRect(&h, -2, 0);
    Rounded(dc, h, s.corner, s[kMenuSelect], Mix(s[kMenuSelect], 0, 40));
    ink = disabled ? Mix(s[kMenuSelectInk], s[kMenuSelect], 128) : s[kMenuSelectInk];
  }
  if (bar) {
    Text(dc, info->text, r, DT_CENTER, ink, info->font);
    return;
  }
  if (Has(info, VELMORA_STATE_CHECKED)) {
    Tick(dc, {r.left + 3, r.top + 3, label.left - 3, r.bottom - 3}, selected ? ink : s[kAccent]);
  }
  if (Has(info, VELMORA_STATE_POPUP))
    Arrow(dc, {label.right, r.top, r.right - 2, r.bottom}, 3, ink);
  Text(dc, info->text, label, DT_LEFT, ink, info->font);
  // Shortcuts step back from their labels, but stay text one can read.
  const COLORREF shortcutInk = disabled || selected ? ink : Mix(s[kBarInk], s[kMenuBack], 90);
  Text(dc, info->text2, label, DT_RIGHT | DT_NOPREFIX, shortcutInk, info->font);
}

// A pane's text is up to three pieces split by tabs: left, centred and right-aligned.
void PaintStatusPane(const SkinStyle& s, HDC dc, const RECT& r, const VelmoraThemePaintInfo* info) {
  if ((info->value & SBT_NOBORDERS) == 0)
    Fill(dc, {r.right - 1, r.top + 3, r.right, r.bottom - 3}, Mix(s[kStatusBack], s[kBarInk], 80));
  if (info->text == nullptr) return;
  const RECT t = {r.left + 6, r.top, r.right - 4, r.bottom};
  const UINT aligns[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  const char* piece = info->text;
  for (int i = 0; i < 3 && piece != nullptr; ++i) {
    const char* tab = i < 2 ? std::strchr(piece, '\t') : nullptr;
    const std::string part = tab != nullptr ? std::string(piece, tab) : std::string(piece);
    Text(dc, part.c_str(), t, aligns[i] | DT_END_ELLIPSIS | DT_NOPREFIX, s[kBarInk], info->font);
    piece = tab != nullptr ? tab + 1 : nullptr;
  }
}

void PaintPushButton(const SkinStyle& s, HDC dc, const RECT& r, const VelmoraThemePaintInfo* info) {
  const bool disabled = Has(info, VELMORA_STATE_DISABLED);
  const bool pressed = Has(info, VELMORA_STATE_PRESSED);
  COLORREF top = s[kButtonTop], bottom = s[kButtonBottom];
  if (s.buttonFill == ButtonFill::Flat) top = bottom = Mix(s[kButtonTop], s[kButtonBottom], 128);
  if (pressed) std::swap(top, bottom);
  if (disabled) top = bottom = s[kFace];
  COLORREF edge = disabled ? Mix(s[kButtonEdge], s[kFace], 128) : s[kButtonEdge];
  if (!disabled && (Has(info, VELMORA_STATE_DEFAULT) || Has(info, VELMORA_STATE_FOCUSED))) {
    edge = s[kAccent];
  }
  RoundedShade(dc, r, s.corner, Lit(top, info), Lit(bottom, info), edge);
  if (!disabled && Has(info, VELMORA_STATE_DEFAULT)) {
    RECT in = r;
    InflateRect(&in, -1, -1);
    Rounded(dc, in, std::max(0, s.corner - 1), 0, Mix(s[kAccent], top, 110), false);
  }
}

void PaintScrollArrow(const SkinStyle& s, HDC dc, const RECT& r,
                      const VelmoraThemePaintInfo* info) {
  Fill(dc, r, s[kTrack]);
  RECT b = r;
  InflateRect(&b, -1, -1);
  if (Has(info, VELMORA_STATE_HOT) || Has(info, VELMORA_STATE_PRESSED)) {
    Rounded(dc, b, s.corner, Lit(Mix(s[kTrack], s[kInk], 50), info), Mix(s[kTrack], s[kInk], 80));
  }
  const bool vertical = info->value == 1;
  const int direction = vertical ? (info->value2 == 0 ? 0 : 1) : (info->value2 == 0 ? 2 : 3);
  Arrow(dc, r, direction,
        Has(info, VELMORA_STATE_DISABLED) ? Mix(s[kDimInk], s[kTrack], 128) : s[kDimInk]);
}

void PaintProgressFill(const SkinStyle& s, HDC dc, const RECT& r,
                       const VelmoraThemePaintInfo* info) {
  const bool vertical = info->value == 1;
  const COLORREF light = s[kAccentLight], deep = s[kAccent];
  if (info->value2 == 1) {
    Shade(dc, r, vertical ? deep : light, vertical ? light : deep, vertical);
    return;
  }
  // Segmented: blocks with a gap, cut to the filled part.
  const int block =
      vertical ? std::max(4, (r.right - r.left) * 2 / 3) : std::max(4, (r.bottom - r.top) * 2 / 3);
  if (vertical) {
    for (int y = r.bottom; y > r.top; y -= block + 2)
      Shade(dc, {r.left, std::max(r.top, y - block), r.right, y}, deep, light, true);
  } else {
    for (int x = r.left; x < r.right; x += block + 2)
      Shade(dc, {x, r.top, std::min(r.right, x + block), r.bottom}, light, deep);
  }
}

void PaintBox(const SkinStyle& s, HDC dc, const RECT& r, const VelmoraThemePaintInfo* info,
              bool radio) {
  const bool disabled = Has(info, VELMORA_STATE_DISABLED);
  const bool on = info->value != 0;
  const COLORREF edge = disabled ? Mix(s[kButtonEdge], s[kFace], 128) : s[kButtonEdge];
  const COLORREF face = disabled ? s[kFace] : Lit(s[kField], info);
  if (radio) {
    Disc(dc, r, on && !disabled ? s[kField] : face, on ? s[kAccent] : edge);
    if (on) {
      RECT dot = r;
      InflateRect(&dot, -(r.right - r.left) / 4 - 1, -(r.bottom - r.top) / 4 - 1);
      Disc(dc, dot, disabled ? s[kDimInk] : s[kAccent], disabled ? s[kDimInk] : s[kAccentDark]);
    }
    return;
  }
  if (on && !disabled) {
    Rounded(dc, r, std::min<int>(s.corner, 3), s[kAccent], s[kAccentDark]);
    if (info->value == 1) {
      Tick(dc, r, s[kSelectionInk]);
    } else {
      RECT m = r;
      InflateRect(&m, -4, -4);
      Fill(dc, m, s[kSelectionInk]);
    }
    return;
  }
  Rounded(dc, r, std::min<int>(s.corner, 3), face, edge);
  if (on) Tick(dc, r, s[kDimInk]);
}

}  // namespace

int PaintSkinPart(void* context, HDC dc, int part, const RECT* rect,
                  const VelmoraThemePaintInfo* info) {
  if (context == nullptr || rect == nullptr || info == nullptr) return 0;
  const SkinStyle& s = static_cast<const Skin*>(context)->style;
  const RECT& r = *rect;
  const bool disabled = Has(info, VELMORA_STATE_DISABLED) || Has(info, VELMORA_STATE_GRAYED);
  switch (part) {
    case VELMORA_PART_FRAME:
      PaintFrame(s, dc, r, info);
      return 1;
    case VELMORA_PART_CAPTION:
      PaintCaption(s, dc, r, info);
      return 1;
    case VELMORA_PART_CAPTION_BUTTON:
      PaintCaptionButton(s, dc, r, info);
      return 1;
    case VELMORA_PART_MENU_BAR:
      Shade(dc, r, Mix(s[kMenuBack], RGB(255, 255, 255), 30), s[kMenuBack]);
      Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, Mix(s[kMenuBack], s[kBarInk], 40));
      return 1;
    case VELMORA_PART_MENU_POPUP: {
      Fill(dc, r, s[kMenuBack]);
      // The gutter under check marks, as a tinted column that stops short of the labels.
      const int labels = info->inner.left > r.left ? info->inner.left : r.left + 25;
      Fill(dc, {r.left + 1, r.top + 1, labels - 2, r.bottom - 1},
           Mix(s[kMenuBack], s[kAccent], 24));
      Outline(dc, r, Mix(s[kMenuBack], s[kBarInk], 90));
      return 1;
    }
    case VELMORA_PART_MENU_ITEM:
      PaintMenuItem(s, dc, r, info);
      return 1;
    case VELMORA_PART_PUSH_BUTTON:
      PaintPushButton(s, dc, r, info);
      return 1;
    case VELMORA_PART_CHECK_BOX:
      PaintBox(s, dc, r, info, false);
      return 1;
    case VELMORA_PART_RADIO_BUTTON:
      PaintBox(s, dc, r, info, true);
      return 1;
    case VELMORA_PART_GROUP_BOX:
      Rounded(dc, r, s.corner, 0, Mix(s[kFace], s[kInk], 70), false);
      Fill(dc, {info->inner.left, r.top, info->inner.right, r.top + 1}, s[kFace]);
      return 1;
    case VELMORA_PART_FOCUS_RECT:
      Rounded(dc, r, s.corner, 0, s[kAccentLight], false);
      return 1;
    case VELMORA_PART_EDIT_FRAME: {
      const bool focused = Has(info, VELMORA_STATE_FOCUSED);
      Outline(dc, r, focused ? s[kAccent] : Mix(s[kButtonEdge], s[kFace], 40));
      RECT in = r;
      InflateRect(&in, -1, -1);
      Outline(dc, in, focused ? Mix(s[kAccent], s[kField], 150) : s[kField]);
      return 1;
    }
    case VELMORA_PART_EDIT_BACKGROUND:
      Fill(dc, r, disabled ? s[kFace] : s[kField]);
      return 1;
    case VELMORA_PART_LIST_ITEM: {
      const bool selected = Has(info, VELMORA_STATE_SELECTED);
      Fill(dc, r, selected ? s[kAccent] : s[kField]);
      Text(dc, info->text, {r.left + 3, r.top, r.right - 2, r.bottom}, DT_LEFT | DT_NOPREFIX,
           disabled   ? s[kDimInk]
           : selected ? s[kSelectionInk]
                      : s[kInk],
           info->font);
      if (Has(info, VELMORA_STATE_FOCUSED)) Outline(dc, r, s[kAccentLight]);
      return 1;
    }
    case VELMORA_PART_COMBO_BUTTON: {
      RECT b = r;
      InflateRect(&b, -1, -1);
      RoundedShade(dc, b, s.corner, Lit(s[kButtonTop], info), Lit(s[kButtonBottom], info),
                   s[kButtonEdge]);
      Arrow(dc, b, 1, disabled ? s[kDimInk] : s[kInk]);
      return 1;
    }
    case VELMORA_PART_SCROLL_ARROW:
      PaintScrollArrow(s, dc, r, info);
      return 1;
    case VELMORA_PART_SCROLL_TRACK:
      Fill(dc, r, s[kTrack]);
      return 1;
    case VELMORA_PART_SCROLL_THUMB: {
      Fill(dc, r, s[kTrack]);
      RECT t = r;
      if (info->value == 1)
        InflateRect(&t, -3, -1);
      else
        InflateRect(&t, -1, -3);
      const bool hot = Has(info, VELMORA_STATE_HOT) || Has(info, VELMORA_STATE_PRESSED);
      const COLORREF face = hot ? s[kAccent] : Mix(s[kTrack], s[kInk], 90);
      Rounded(dc, t, std::min<int>(s.corner, 3), Lit(face, info), Lit(face, info));
      return 1;
    }
    case VELMORA_PART_TRACKBAR_CHANNEL: {
      Rounded(dc, r, 2, s[kTrack], Mix(s[kTrack], s[kInk], 60));
      return 1;
    }
    case VELMORA_PART_TRACKBAR_THUMB: {
      const COLORREF edge = disabled ? s[kDimInk] : s[kAccentDark];
      RoundedShade(dc, r, s.corner + 1, Lit(s[kButtonTop], info), Lit(s[kButtonBottom], info),
                   edge);
      RECT grip = r;
      if (info->value == 1)
        InflateRect(&grip, -4, -(r.bottom - r.top) / 2 + 1);
      else
        InflateRect(&grip, -(r.right - r.left) / 2 + 1, -4);
      Fill(dc, grip, disabled ? s[kDimInk] : s[kAccent]);
      return 1;
    }
    case VELMORA_PART_TRACKBAR_TICK:
      Fill(dc, r, s[kDimInk]);
      return 1;
    case VELMORA_PART_PROGRESS_TRACK:
      Rounded(dc, r, std::min<int>(s.corner, 3), s[kField], Mix(s[kButtonEdge], s[kFace], 60));
      return 1;
    case VELMORA_PART_PROGRESS_FILL:
      PaintProgressFill(s, dc, r, info);
      return 1;
    case VELMORA_PART_STATUS_BACKGROUND:
      Shade(dc, r, s[kStatusBack], Mix(s[kStatusBack], s[kBarInk], 20));
      Fill(dc, {r.left, r.top, r.right, r.top + 1}, Mix(s[kStatusBack], s[kBarInk], 70));
      return 1;
    case VELMORA_PART_STATUS_PANE:
      PaintStatusPane(s, dc, r, info);
      return 1;
    case VELMORA_PART_SIZE_GRIP:
      for (int row = 0; row < 3; ++row) {
        for (int col = 0; col <= row; ++col) {
          const int x = r.right - 4 - 4 * col, y = r.bottom - 4 - 4 * (2 - row);
          Fill(dc, {x, y, x + 2, y + 2}, s[kBarDimInk]);
        }
      }
      return 1;
    case VELMORA_PART_DIALOG_BACKGROUND:
      Fill(dc, r, s[kFace]);
      return 1;
    default:
      return 0;
  }
}

}  // namespace skin
