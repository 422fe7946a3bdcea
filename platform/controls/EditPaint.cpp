// Drawing the edit control: the parent's colours, the themed background and frame, the
// text line by line with the selection highlighted, and the caret.
#include <algorithm>

#include "platform/controls/EditControl.h"
#include "platform/user/ThemeParts.h"

namespace platform::controls::edit {

namespace {

using platform::user::PaintThemePart;

VelmoraThemePaintInfo InfoOf(const EditData& data) {
  VelmoraThemePaintInfo info{};
  info.size = sizeof info;
  DWORD style = StyleOf(data);
  if (!IsWindowEnabled(data.hwnd)) info.state |= VELMORA_STATE_DISABLED;
  if (data.focused) info.state |= VELMORA_STATE_FOCUSED;
  // value 1: read-only, drawn like a static.
  info.value = (style & ES_READONLY) ? 1 : 0;
  info.style = style;
  info.exStyle = static_cast<DWORD>(GetWindowLongA(data.hwnd, GWL_EXSTYLE));
  info.font =
      data.font != nullptr ? data.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return info;
}

void DrawRun(const EditData& data, HDC dc, int x, int y, const std::string& shown) {
  if (shown.empty()) return;
  // Tabs are laid out by the layout's own stops; draw the pieces between them there.
  size_t from = 0;
  while (from < shown.size()) {
    size_t tab = shown.find('\t', from);
    size_t to = tab == std::string::npos ? shown.size() : tab;
    if (to > from) {
      int px = x + (from == 0 ? 0 : TextWidth(data, shown.substr(0, from)));
      TextOutA(dc, px, y, shown.data() + from, static_cast<int>(to - from));
    }
    if (tab == std::string::npos) break;
    from = tab + 1;
  }
}

}  // namespace

void Paint(EditData& data, HDC dc) {
  DWORD style = StyleOf(data);
  bool enabled = IsWindowEnabled(data.hwnd) != FALSE;
  bool readOnly = (style & ES_READONLY) != 0;
  RECT client{};
  GetClientRect(data.hwnd, &client);

  // Read-only and disabled edits ask for the colours of a static, as dialogs expect.
  UINT message = (readOnly || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  HWND parent = GetParent(data.hwnd);
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      parent != nullptr ? SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(data.hwnd))
                        : DefWindowProcA(data.hwnd, message, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(data.hwnd)));
  HBRUSH standard = GetSysColorBrush(message == WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_BTNFACE);
  VelmoraThemePaintInfo info = InfoOf(data);
  // The parent's own brush wins; the usual one leaves the background to the theme.
  if (brush != nullptr && brush != standard)
    FillRect(dc, &client, brush);
  else
    PaintThemePart(dc, VELMORA_PART_EDIT_BACKGROUND, client, info);

  COLORREF ink = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  HGDIOBJ oldFont = SelectObject(dc, info.font);
  SetBkMode(dc, TRANSPARENT);

  RECT fmt = FormatRect(data);
  int saved = SaveDC(dc);
  IntersectClipRect(dc, fmt.left, client.top, fmt.right, client.bottom);
  size_t selStart = data.model.selStart(), selEnd = data.model.selEnd();
  bool showSelection = data.model.hasSelection() && (data.focused || (style & ES_NOHIDESEL));
  int visible = VisibleLines(data) + 1;
  for (int i = data.firstLine;
       i < static_cast<int>(data.lines.size()) && i < data.firstLine + visible; ++i) {
    const Line& l = data.lines[static_cast<size_t>(i)];
    int y = fmt.top + (i - data.firstLine) * data.lineHeight;
    int x = LineX(data, static_cast<size_t>(i));
    SetTextColor(dc, ink);
    DrawRun(data, dc, x, y, Shown(data, l.start, l.end));
    if (!showSelection) continue;
    size_t a = std::max(selStart, l.start), b = std::min(selEnd, l.end);
    bool breakSelected = selStart <= l.end && selEnd > l.end && l.next > l.end;
    if (a >= b && !breakSelected) continue;
    int xa = x + TextWidth(data, Shown(data, l.start, std::max(a, l.start)));
    int xb = x + TextWidth(data, Shown(data, l.start, std::max(b, a)));
    // A selected line break shows as a little highlighted space after the line.
    if (breakSelected) xb += data.charWidth / 2;
    RECT band{xa, y, xb, y + data.lineHeight};
    FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (a < b) {
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      std::string piece = Shown(data, l.start, b).substr(Shown(data, l.start, a).size());
      DrawRun(data, dc, xa, y, piece);
    }
  }
  if (data.focused && data.caretOn) {
    POINT caret = PointOfPos(data, data.model.caret());
    RECT bar{caret.x, caret.y, caret.x + 1, caret.y + data.lineHeight};
    HBRUSH caretBrush = CreateSolidBrush(ink);
    FillRect(dc, &bar, caretBrush);
    DeleteObject(caretBrush);
  }
  RestoreDC(dc, saved);
  SelectObject(dc, oldFont);
}

void PaintFrame(EditData& data) {
  DWORD style = StyleOf(data);
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(data.hwnd, GWL_EXSTYLE));
  int border = ((style & WS_BORDER) ? 1 : 0) + ((exStyle & WS_EX_CLIENTEDGE) ? 2 : 0) +
               ((exStyle & WS_EX_STATICEDGE) ? 1 : 0);
  if (border == 0) return;
  RECT window{};
  GetWindowRect(data.hwnd, &window);
  RECT whole{0, 0, window.right - window.left, window.bottom - window.top};
  VelmoraThemePaintInfo info = InfoOf(data);
  info.inner = whole;
  InflateRect(&info.inner, -border, -border);
  HDC dc = GetWindowDC(data.hwnd);
  if (dc == nullptr) return;
  // Only the border band: scroll bars and the client keep what they painted.
  int saved = SaveDC(dc);
  ExcludeClipRect(dc, info.inner.left, info.inner.top, info.inner.right, info.inner.bottom);
  PaintThemePart(dc, VELMORA_PART_EDIT_FRAME, whole, info);
  RestoreDC(dc, saved);
  ReleaseDC(data.hwnd, dc);
}

namespace {

void PaintEditFrame(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info) {
  COLORREF edge =
      GetSysColor((info.state & VELMORA_STATE_FOCUSED) ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW);
  if (info.state & VELMORA_STATE_DISABLED) edge = GetSysColor(COLOR_3DLIGHT);
  HBRUSH brush = CreateSolidBrush(edge);
  FrameRect(dc, &rect, brush);
  DeleteObject(brush);
  // The rest of a wider border blends with the field.
  RECT inner = rect;
  InflateRect(&inner, -1, -1);
  if (inner.right - inner.left > 2 && info.inner.left - rect.left > 1) {
    HBRUSH field = GetSysColorBrush(
        (info.state & VELMORA_STATE_DISABLED) || info.value == 1 ? COLOR_BTNFACE : COLOR_WINDOW);
    for (int i = 1; i < info.inner.left - rect.left; ++i) {
      FrameRect(dc, &inner, field);
      InflateRect(&inner, -1, -1);
    }
  }
}

void PaintEditBackground(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info) {
  bool grey = (info.state & VELMORA_STATE_DISABLED) || info.value == 1;
  FillRect(dc, &rect, GetSysColorBrush(grey ? COLOR_BTNFACE : COLOR_WINDOW));
}

}  // namespace

void RegisterEditPainters() {
  platform::user::RegisterBuiltInPainter(VELMORA_PART_EDIT_FRAME, PaintEditFrame);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_EDIT_BACKGROUND, PaintEditBackground);
}

}  // namespace platform::controls::edit
