// The BUTTON class: push buttons, check boxes, radio buttons and group boxes.
//
// Behaviour and drawing are kept apart. The press state machine:
//   idle        --button down inside-->         tracking, pushed (capture taken)
//   tracking    --move outside / inside-->      pushed follows the pointer
//   tracking    --button up, pushed-->          idle, click
//   tracking    --button up, not pushed-->      idle, no click
//   tracking    --capture lost / focus lost-->  idle, no click
//   idle        --space down-->                 space held, pushed
//   space held  --space up-->                   idle, click
// A click first updates the check state of the automatic kinds, then tells the parent.
#include <algorithm>
#include <string>

#include "platform/controls/ControlState.h"
#include "platform/controls/SystemClasses.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowManager.h"
#include "platform/user32.h"

namespace platform::controls {

namespace {

using platform::user::PaintThemePart;
using platform::user::RegisterBuiltInPainter;

struct ButtonData {
  LRESULT check = BST_UNCHECKED;
  bool pushed = false;     // drawn pressed (BST_PUSHED)
  bool tracking = false;   // left button went down on us and we hold the capture
  bool spaceDown = false;  // space went down while focused
  bool focused = false;
  HFONT font = nullptr;
  HANDLE image = nullptr;
  UINT imageType = IMAGE_BITMAP;
};

constexpr int kBoxSize = 13;  // check box square and radio circle
constexpr int kBoxGap = 4;    // between the box and its text

ButtonData* Data(HWND hwnd) {
  return ControlStateOf<ButtonData>(hwnd).get();
}

DWORD Style(HWND hwnd) {
  return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
}
DWORD Kind(DWORD style) {
  return style & BS_TYPEMASK;
}

bool IsPushKind(DWORD kind) {
  return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_PUSHBOX ||
         kind == BS_USERBUTTON;
}
bool IsCheckKind(DWORD kind) {
  return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE ||
         kind == BS_AUTO3STATE;
}
bool IsRadioKind(DWORD kind) {
  return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

std::string WindowText(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
  int got = GetWindowTextA(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

HFONT FontOf(const ButtonData& data) {
  if (data.font != nullptr) return data.font;
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The other automatic radio buttons of the group that `hwnd` is in: siblings in creation
// order, from the nearest WS_GROUP at or before it up to the next WS_GROUP.
void UncheckGroupRadios(HWND hwnd) {
  HWND first = hwnd;
  while (!(GetWindowLongA(first, GWL_STYLE) & WS_GROUP)) {
    HWND prev = GetWindow(first, GW_HWNDPREV);
    if (prev == nullptr) break;
    first = prev;
  }
  for (HWND w = first; w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
    if (w != first && (style & WS_GROUP)) break;
    if (w == hwnd) continue;
    char name[16] = {};
    GetClassNameA(w, name, sizeof name);
    std::string cls = name;
    std::transform(cls.begin(), cls.end(), cls.begin(), [](char c) {
      return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    if (cls == "BUTTON" && Kind(style) == BS_AUTORADIOBUTTON) {
      SendMessageA(w, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
}

void Click(HWND hwnd) {
  ButtonData* data = Data(hwnd);
  if (data == nullptr) return;
  switch (Kind(Style(hwnd))) {
    case BS_AUTOCHECKBOX:
      SendMessageA(hwnd, BM_SETCHECK, data->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    case BS_AUTO3STATE:
      SendMessageA(hwnd, BM_SETCHECK, (data->check + 1) % 3, 0);
      break;
    case BS_AUTORADIOBUTTON:
      SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
      UncheckGroupRadios(hwnd);
      break;
    case BS_GROUPBOX:
      return;
    default:
      break;
  }
  NotifyParent(hwnd, BN_CLICKED);
}

void SetPushed(HWND hwnd, ButtonData& data, bool pushed) {
  if (data.pushed == pushed) return;
  data.pushed = pushed;
  InvalidateRect(hwnd, nullptr, FALSE);
}

// Ends a press without a click (capture lost, focus lost, disabled).
void CancelPress(HWND hwnd, ButtonData& data) {
  data.spaceDown = false;
  bool hadCapture = data.tracking;
  data.tracking = false;
  SetPushed(hwnd, data, false);
  if (hadCapture && GetCapture() == hwnd) ReleaseCapture();
}

// ---- Drawing -------------------------------------------------------------------------------

DWORD ThemeState(HWND hwnd, const ButtonData& data, DWORD style) {
  DWORD state = 0;
  if (data.pushed) state |= VELMORA_STATE_PRESSED;
  if (data.focused) state |= VELMORA_STATE_FOCUSED;
  if (!IsWindowEnabled(hwnd)) state |= VELMORA_STATE_DISABLED;
  if (data.check != BST_UNCHECKED) state |= VELMORA_STATE_CHECKED;
  if (Kind(style) == BS_DEFPUSHBUTTON) state |= VELMORA_STATE_DEFAULT;
  return state;
}

VelmoraThemePaintInfo PaintInfo(HWND hwnd, const ButtonData& data, DWORD style,
                                const std::string& text) {
  VelmoraThemePaintInfo info{};
  info.size = sizeof info;
  info.state = ThemeState(hwnd, data, style);
  info.text = text.c_str();
  info.style = style;
  info.exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
  info.font = FontOf(data);
  return info;
}

// Where the label goes inside `area`, honouring the alignment bits; returns the rectangle
// the label occupies (for the focus rectangle).
RECT DrawLabel(HDC dc, const ButtonData& data, DWORD style, const std::string& text, RECT area,
               DWORD defaultH) {
  DWORD h = style & BS_CENTER;
  if (h == 0) h = defaultH;
  DWORD v = style & BS_VCENTER;
  if (v == 0) v = BS_VCENTER;

  if ((style & (BS_BITMAP | BS_ICON)) && data.image != nullptr) {
    int w = 0, ht = 0;
    if (data.imageType == IMAGE_BITMAP) {
      BITMAP bm{};
      if (GetObjectA(data.image, sizeof bm, &bm)) {
        w = bm.bmWidth;
        ht = bm.bmHeight;
      }
    } else {
      w = GetSystemMetrics(SM_CXICON);
      ht = GetSystemMetrics(SM_CYICON);
    }
    int x = h == BS_LEFT    ? area.left
            : h == BS_RIGHT ? area.right - w
                            : (area.left + area.right - w) / 2;
    int y = v == BS_TOP      ? area.top
            : v == BS_BOTTOM ? area.bottom - ht
                             : (area.top + area.bottom - ht) / 2;
    if (data.imageType == IMAGE_BITMAP) {
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, data.image);
      BitBlt(dc, x, y, w, ht, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
    } else {
      DrawIconEx(dc, x, y, static_cast<HICON>(data.image), w, ht, 0, nullptr, DI_NORMAL);
    }
    return RECT{x, y, x + w, y + ht};
  }

  if (text.empty()) return RECT{area.left, area.top, area.left, area.top};
  UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  RECT measure = area;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measure, format | DT_CALCRECT);
  int w = std::min(measure.right - measure.left, area.right - area.left);
  int ht = measure.bottom - measure.top;
  RECT box;
  box.left = h == BS_LEFT    ? area.left
             : h == BS_RIGHT ? area.right - w
                             : (area.left + area.right - w) / 2;
  box.top = v == BS_TOP      ? area.top
            : v == BS_BOTTOM ? area.bottom - ht
                             : (area.top + area.bottom - ht) / 2;
  box.right = box.left + w;
  box.bottom = box.top + ht;
  UINT align = h == BS_LEFT ? DT_LEFT : h == BS_RIGHT ? DT_RIGHT : DT_CENTER;
  RECT draw = box;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &draw, format | align);
  return box;
}

void PaintFocus(HDC dc, HWND hwnd, const ButtonData& data, DWORD style, RECT r) {
  if (!data.focused) return;
  VelmoraThemePaintInfo info = PaintInfo(hwnd, data, style, std::string());
  info.text = nullptr;
  PaintThemePart(dc, VELMORA_PART_FOCUS_RECT, r, info);
}

void PaintOwnerDraw(HWND hwnd, HDC dc, const ButtonData& data) {
  HWND parent = GetParent(hwnd);
  if (parent == nullptr) return;
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
  item.itemAction = ODA_DRAWENTIRE;
  if (data.pushed) item.itemState |= ODS_SELECTED;
  if (data.focused) item.itemState |= ODS_FOCUS;
  if (!IsWindowEnabled(hwnd)) item.itemState |= ODS_DISABLED;
  item.hwndItem = hwnd;
  item.hDC = dc;
  GetClientRect(hwnd, &item.rcItem);
  SendMessageA(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}

void Paint(HWND hwnd, HDC dc) {
  ButtonData* data = Data(hwnd);
  if (data == nullptr) return;
  DWORD style = Style(hwnd);
  DWORD kind = Kind(style);
  if (kind == BS_OWNERDRAW) {
    PaintOwnerDraw(hwnd, dc, *data);
    return;
  }
  RECT client{};
  GetClientRect(hwnd, &client);
  std::string text = WindowText(hwnd);
  bool enabled = IsWindowEnabled(hwnd) != FALSE;

  // The parent picks the colours: push buttons ask with WM_CTLCOLORBTN, the others are
  // drawn on the parent's background and ask as statics do.
  UINT colorMessage = IsPushKind(kind) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
  HWND parent = GetParent(hwnd);
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      parent != nullptr ? SendMessageA(parent, colorMessage, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(hwnd))
                        : DefWindowProcA(hwnd, colorMessage, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(hwnd)));
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
  // A group box frames controls that are its siblings, painted before or after it: it
  // draws its frame and caption only and never covers what it surrounds.
  if (kind != BS_GROUPBOX) {
    FillRect(dc, &client, brush);
  } else if (parent != nullptr && (GetWindowLongA(parent, GWL_STYLE) & WS_CLIPCHILDREN) != 0) {
    // A parent that clips its children leaves the inside to the box; it is filled around
    // the siblings it frames.
    const int saved = SaveDC(dc);
    for (HWND sibling = GetWindow(parent, GW_CHILD); sibling != nullptr;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
      if (sibling == hwnd || !IsWindowVisible(sibling)) continue;
      RECT r{};
      GetWindowRect(sibling, &r);
      MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
      ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    FillRect(dc, &client, brush);
    RestoreDC(dc, saved);
  }

  HGDIOBJ oldFont = SelectObject(dc, FontOf(*data));
  SetBkMode(dc, TRANSPARENT);
  VelmoraThemePaintInfo info = PaintInfo(hwnd, *data, style, text);

  if (IsPushKind(kind)) {
    PaintThemePart(dc, VELMORA_PART_PUSH_BUTTON, client, info);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    RECT area = client;
    InflateRect(&area, -4, -3);
    if (data->pushed) OffsetRect(&area, 1, 1);
    DrawLabel(dc, *data, style, text, area, BS_CENTER);
    RECT focus = client;
    InflateRect(&focus, -3, -3);
    PaintFocus(dc, hwnd, *data, style, focus);
  } else if (IsCheckKind(kind) || IsRadioKind(kind)) {
    bool boxRight = (style & BS_LEFTTEXT) != 0;
    int top = (client.top + client.bottom - kBoxSize) / 2;
    if ((style & BS_VCENTER) == BS_TOP) top = client.top;
    if ((style & BS_VCENTER) == BS_BOTTOM) top = client.bottom - kBoxSize;
    RECT box = boxRight ? RECT{client.right - kBoxSize, top, client.right, top + kBoxSize}
                        : RECT{client.left, top, client.left + kBoxSize, top + kBoxSize};
    info.value = static_cast<int32_t>(data->check);
    PaintThemePart(dc, IsRadioKind(kind) ? VELMORA_PART_RADIO_BUTTON : VELMORA_PART_CHECK_BOX, box,
                   info);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    RECT area = client;
    if (boxRight)
      area.right -= kBoxSize + kBoxGap;
    else
      area.left += kBoxSize + kBoxGap;
    RECT label = DrawLabel(dc, *data, style, text, area, BS_LEFT);
    if (!text.empty()) {
      InflateRect(&label, 1, 1);
      IntersectRect(&label, &label, &client);
      PaintFocus(dc, hwnd, *data, style, label);
    }
  } else if (kind == BS_GROUPBOX) {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    RECT frame = client;
    frame.top += tm.tmHeight / 2;
    RECT gap{};
    SIZE extent{};
    if (!text.empty()) {
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      gap = RECT{client.left + 6, client.top,
                 std::min<LONG>(client.left + 10 + extent.cx, client.right - 2),
                 client.top + tm.tmHeight};
    }
    info.inner = gap;
    PaintThemePart(dc, VELMORA_PART_GROUP_BOX, frame, info);
    if (!text.empty()) {
      FillRect(dc, &gap, brush);
      if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      RECT t{gap.left + 2, gap.top, gap.right - 2, gap.bottom};
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &t, DT_SINGLELINE | DT_LEFT);
    }
  }
  SelectObject(dc, oldFont);
}

// ---- Built-in look -------------------------------------------------------------------------

COLORREF Mix(COLORREF a, COLORREF b, int percentB) {
  auto channel = [&](int shift) {
    int x = static_cast<int>((a >> shift) & 0xFF);
    int y = static_cast<int>((b >> shift) & 0xFF);
    return static_cast<COLORREF>((x * (100 - percentB) + y * percentB) / 100) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

void FillColor(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void FrameColor(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
}

void PaintPushButton(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  if (info.state & VELMORA_STATE_PRESSED)
    face = Mix(face, RGB(0, 0, 0), 15);
  else if (info.state & VELMORA_STATE_HOT)
    face = Mix(face, RGB(255, 255, 255), 30);
  FillColor(dc, rect, face);
  COLORREF edge = (info.state & VELMORA_STATE_DISABLED) ? GetSysColor(COLOR_3DLIGHT)
                                                        : GetSysColor(COLOR_BTNSHADOW);
  FrameColor(dc, rect, edge);
  if (info.state & VELMORA_STATE_DEFAULT) {
    RECT inner = rect;
    InflateRect(&inner, -1, -1);
    FrameColor(dc, inner, GetSysColor(COLOR_HIGHLIGHT));
  }
}

void PaintCheckBox(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info) {
  bool disabled = (info.state & VELMORA_STATE_DISABLED) != 0;
  COLORREF back = GetSysColor(disabled ? COLOR_BTNFACE : COLOR_WINDOW);
  if (info.state & VELMORA_STATE_PRESSED) back = Mix(back, RGB(0, 0, 0), 12);
  FillColor(dc, rect, back);
  FrameColor(dc, rect, GetSysColor(COLOR_BTNSHADOW));
  COLORREF ink = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  if (info.value == 1) {
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ old = SelectObject(dc, pen);
    int x = rect.left, y = rect.top;
    // A tick two pixels thick.
    for (int d = 0; d < 2; ++d) {
      MoveToEx(dc, x + 3, y + 6 + d, nullptr);
      LineTo(dc, x + 5, y + 8 + d);
      LineTo(dc, x + 10, y + 3 + d);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
  } else if (info.value == 2) {
    RECT mark = rect;
    InflateRect(&mark, -3, -3);
    FillColor(dc, mark, disabled ? GetSysColor(COLOR_3DLIGHT) : GetSysColor(COLOR_GRAYTEXT));
  }
}

void PaintRadioButton(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info) {
  bool disabled = (info.state & VELMORA_STATE_DISABLED) != 0;
  COLORREF back = GetSysColor(disabled ? COLOR_BTNFACE : COLOR_WINDOW);
  if (info.state & VELMORA_STATE_PRESSED) back = Mix(back, RGB(0, 0, 0), 12);
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HBRUSH brush = CreateSolidBrush(back);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
  if (info.value == 1) {
    HBRUSH dot = CreateSolidBrush(GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    SelectObject(dc, dot);
    SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, rect.left + 4, rect.top + 4, rect.right - 3, rect.bottom - 3);
    SelectObject(dc, brush);
    DeleteObject(dot);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void PaintGroupBox(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info) {
  int saved = SaveDC(dc);
  if (info.inner.right > info.inner.left) {
    ExcludeClipRect(dc, info.inner.left, info.inner.top, info.inner.right, info.inner.bottom);
  }
  FrameColor(dc, rect, GetSysColor(COLOR_BTNSHADOW));
  RestoreDC(dc, saved);
}

void PaintFocusRect(HDC dc, const RECT& rect, const VelmoraThemePaintInfo&) {
  DrawFocusRect(dc, &rect);
}

// ---- The window procedure ------------------------------------------------------------------

LRESULT ButtonMessage(HWND hwnd, ButtonData& data, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      // A group box is only a frame: clicks go to what it surrounds.
      if (Kind(Style(hwnd)) == BS_GROUPBOX) return HTTRANSPARENT;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc != nullptr) Paint(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(hwnd, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_ENABLE:
      if (!wParam) CancelPress(hwnd, data);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      data.font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontOf(data));
    case WM_GETDLGCODE: {
      DWORD kind = Kind(Style(hwnd));
      if (kind == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (kind == BS_PUSHBUTTON || kind == BS_PUSHBOX || kind == BS_USERBUTTON)
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (IsRadioKind(kind)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (kind == BS_GROUPBOX) return DLGC_STATIC;
      return DLGC_BUTTON;
    }
    case WM_SETFOCUS:
      data.focused = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      if (Style(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      data.focused = false;
      CancelPress(hwnd, data);
      InvalidateRect(hwnd, nullptr, FALSE);
      if (Style(hwnd) & BS_NOTIFY) NotifyParent(hwnd, BN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Kind(Style(hwnd)) == BS_GROUPBOX) return 0;
      if (GetFocus() != hwnd) SetFocus(hwnd);
      // The focus change may have destroyed or disabled us.
      if (!IsWindow(hwnd) || !IsWindowEnabled(hwnd)) return 0;
      data.tracking = true;
      SetCapture(hwnd);
      SetPushed(hwnd, data, true);
      return 0;
    case WM_MOUSEMOVE:
      if (data.tracking) {
        RECT client{};
        GetClientRect(hwnd, &client);
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetPushed(hwnd, data, PtInRect(&client, p) != FALSE);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!data.tracking) return 0;
      RECT client{};
      GetClientRect(hwnd, &client);
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      bool inside = PtInRect(&client, p) != FALSE;
      data.tracking = false;
      SetPushed(hwnd, data, false);
      if (GetCapture() == hwnd) ReleaseCapture();
      if (inside && IsWindow(hwnd)) Click(hwnd);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (data.tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
        data.tracking = false;
        SetPushed(hwnd, data, false);
      }
      return 0;
    // Enter is not ours: in a dialog the dialog manager turns it into a click of the
    // default (or focused) push button; outside one it does nothing, as on other systems.
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !(lParam & KF_REPEAT_BIT) && Kind(Style(hwnd)) != BS_GROUPBOX) {
        data.spaceDown = true;
        SetPushed(hwnd, data, true);
        return 0;
      }
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_KEYUP:
      if (wParam == VK_SPACE && data.spaceDown) {
        data.spaceDown = false;
        bool wasPushed = data.pushed;
        SetPushed(hwnd, data, false);
        if (wasPushed) Click(hwnd);
        return 0;
      }
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_CHAR:
      // Space is handled by its key messages; swallow its character so it does not beep.
      if (wParam == ' ') return 0;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    case BM_CLICK:
      if (IsWindowEnabled(hwnd) && Kind(Style(hwnd)) != BS_GROUPBOX) Click(hwnd);
      return 0;
    case BM_GETCHECK:
      return data.check;
    case BM_SETCHECK: {
      DWORD kind = Kind(Style(hwnd));
      if (!IsCheckKind(kind) && !IsRadioKind(kind)) return 0;
      LRESULT value = static_cast<LRESULT>(wParam);
      // Only the three-state kinds have a third state; anything else is "checked".
      if (value == BST_INDETERMINATE && kind != BS_3STATE && kind != BS_AUTO3STATE)
        value = BST_CHECKED;
      else if (value != BST_UNCHECKED && value != BST_INDETERMINATE)
        value = BST_CHECKED;
      if (data.check != value) {
        data.check = value;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      // An automatic radio button that is checked becomes the tab stop of its group.
      if (kind == BS_AUTORADIOBUTTON) {
        LONG style = GetWindowLongA(hwnd, GWL_STYLE);
        LONG want = value == BST_CHECKED ? (style | static_cast<LONG>(WS_TABSTOP))
                                         : (style & ~static_cast<LONG>(WS_TABSTOP));
        if (want != style) SetWindowLongA(hwnd, GWL_STYLE, want);
      }
      return 0;
    }
    case BM_GETSTATE: {
      LRESULT state = data.check;
      if (data.pushed) state |= BST_PUSHED;
      if (data.focused) state |= BST_FOCUS;
      return state;
    }
    case BM_SETSTATE:
      SetPushed(hwnd, data, wParam != 0);
      return 0;
    case BM_SETSTYLE: {
      LONG style = GetWindowLongA(hwnd, GWL_STYLE);
      style = (style & ~0xFFFF) | static_cast<LONG>(wParam & 0xFFFF);
      SetWindowLongA(hwnd, GWL_STYLE, style);
      if (LOWORD(static_cast<uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case BM_GETIMAGE:
      if ((wParam == IMAGE_BITMAP || wParam == IMAGE_ICON || wParam == IMAGE_CURSOR) &&
          (wParam == data.imageType || (wParam != IMAGE_BITMAP && data.imageType != IMAGE_BITMAP)))
        return reinterpret_cast<LRESULT>(data.image);
      return 0;
    case BM_SETIMAGE: {
      if (wParam != IMAGE_BITMAP && wParam != IMAGE_ICON && wParam != IMAGE_CURSOR) return 0;
      HANDLE old = data.image;
      data.image = reinterpret_cast<HANDLE>(lParam);
      data.imageType = static_cast<UINT>(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

void RegisterButtonClass() {
  RegisterBuiltInPainter(VELMORA_PART_PUSH_BUTTON, PaintPushButton);
  RegisterBuiltInPainter(VELMORA_PART_CHECK_BOX, PaintCheckBox);
  RegisterBuiltInPainter(VELMORA_PART_RADIO_BUTTON, PaintRadioButton);
  RegisterBuiltInPainter(VELMORA_PART_GROUP_BOX, PaintGroupBox);
  RegisterBuiltInPainter(VELMORA_PART_FOCUS_RECT, PaintFocusRect);
  RegisterControlClass("BUTTON", ControlProc<ButtonData, ButtonMessage>, CS_HREDRAW | CS_VREDRAW);
}

}  // namespace platform::controls
