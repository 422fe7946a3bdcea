// The COMBOBOX control as a drop-down list: a selection field with a button, and a list
// that drops below it as a popup window of its own.
//
// The list holds the items and the highlighted item; the combo box commits a highlight
// only when the drop-down closes with a pick (Enter, or a release on an item), so
// CBN_SELCHANGE means the selection really changed. Dismissing (Esc, a press elsewhere,
// losing the focus) restores the selection the list opened with. A pick sends
// CBN_SELENDOK, CBN_CLOSEUP, then CBN_SELCHANGE; a dismissal CBN_SELENDCANCEL, CBN_CLOSEUP.
// CBS_DROPDOWN and CBS_SIMPLE behave as drop-down lists (no edit field).
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/controls/ControlState.h"
#include "platform/controls/ListBoxInternal.h"
#include "platform/controls/SystemClasses.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowManager.h"

namespace platform::controls {

using platform::user::PaintThemePart;

namespace {

constexpr LRESULT kWantArrows = 0x0001;   // DLGC_WANTARROWS
constexpr LRESULT kWantAllKeys = 0x0004;  // DLGC_WANTALLKEYS
constexpr LRESULT kWantChars = 0x0080;    // DLGC_WANTCHARS
constexpr int kVkF4 = VK_F1 + 3;
constexpr int kDefaultDropRows = 8;

struct Combo {
  HWND list = nullptr;
  int fieldHeight = 20;
  int droppedHeight = 0;
  int droppedWidth = 0;
  bool dropped = false;
  int selectionAtDrop = -1;
  HFONT font = nullptr;
  bool focused = false;
  int wheelRest = 0;  // fine-grained wheels send parts of a notch
};

HFONT FontOf(const Combo& c) {
  return c.font != nullptr ? c.font : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int Current(const Combo& c) {
  return static_cast<int>(SendMessageA(c.list, LB_GETCURSEL, 0, 0));
}

std::string ItemText(const Combo& c, int index) {
  LRESULT length = SendMessageA(c.list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(c.list, LB_GETTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

void MeasureField(Combo& c) {
  int item = static_cast<int>(SendMessageA(c.list, LB_GETITEMHEIGHT, 0, 0));
  c.fieldHeight = std::max(item, 8) + 6;
}

void FitFieldHeight(HWND window, Combo& c) {
  RECT r{};
  GetWindowRect(window, &r);
  if (r.bottom - r.top == c.fieldHeight) return;
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left, c.fieldHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Open(HWND window, Combo& c) {
  if (c.dropped || c.list == nullptr) return;
  NotifyParent(window, CBN_DROPDOWN);
  if (!IsWindow(window) || !IsWindow(c.list)) return;
  c.selectionAtDrop = Current(c);
  RECT r{};
  GetWindowRect(window, &r);
  int count = static_cast<int>(SendMessageA(c.list, LB_GETCOUNT, 0, 0));
  int item = static_cast<int>(SendMessageA(c.list, LB_GETITEMHEIGHT, 0, 0));
  int rows = std::max(1, count);
  int height = rows * item + 2;
  int room = c.droppedHeight > 0 ? c.droppedHeight : kDefaultDropRows * item + 2;
  height = std::min(height, std::max(room, item + 2));
  int width = std::max<int>(r.right - r.left, c.droppedWidth);
  int y = r.bottom;
  if (y + height > GetSystemMetrics(SM_CYSCREEN) && r.top - height >= 0) y = r.top - height;
  c.dropped = true;
  SetWindowPos(c.list, HWND_TOPMOST, r.left, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  int current = Current(c);
  if (current >= 0) SendMessageA(c.list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
  SetCapture(c.list);
  InvalidateRect(window, nullptr, FALSE);
}

void Close(HWND window, Combo& c, bool picked) {
  if (!c.dropped) return;
  c.dropped = false;
  SetWindowPos(c.list, nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (GetCapture() == c.list) ReleaseCapture();
  InvalidateRect(window, nullptr, FALSE);
  if (picked) {
    int now = Current(c);
    NotifyParent(window, CBN_SELENDOK);
    NotifyParent(window, CBN_CLOSEUP);
    if (now != c.selectionAtDrop && IsWindow(window)) NotifyParent(window, CBN_SELCHANGE);
  } else {
    SendMessageA(c.list, LB_SETCURSEL, static_cast<WPARAM>(c.selectionAtDrop), 0);
    NotifyParent(window, CBN_SELENDCANCEL);
    NotifyParent(window, CBN_CLOSEUP);
  }
}

// Lets the list act on a key or character while closed, and reports a changed selection.
void StepSelection(HWND window, Combo& c, UINT message, WPARAM wParam) {
  int before = Current(c);
  SendMessageA(c.list, message, wParam, 0);
  if (Current(c) != before) {
    InvalidateRect(window, nullptr, FALSE);
    NotifyParent(window, CBN_SELCHANGE);
  }
}

bool IsNavigationKey(int key) {
  return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT || key == VK_PRIOR ||
         key == VK_NEXT || key == VK_HOME || key == VK_END;
}

void KeyDown(HWND window, Combo& c, int key) {
  if (key == kVkF4) {
    if (c.dropped) {
      Close(window, c, true);
    } else {
      Open(window, c);
    }
    return;
  }
  if (c.dropped) {
    if (key == VK_RETURN) {
      Close(window, c, true);
    } else if (key == VK_ESCAPE) {
      Close(window, c, false);
    } else if (IsNavigationKey(key)) {
      SendMessageA(c.list, WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    }
    return;
  }
  // Left and right step through a closed list as up and down do.
  if (IsNavigationKey(key)) StepSelection(window, c, WM_KEYDOWN, static_cast<WPARAM>(key));
}

RECT ButtonRect(const RECT& client) {
  int size = std::min<int>(platform::user::ThemeScrollBarSize(), client.right - client.left);
  return {client.right - size - 1, client.top + 1, client.right - 1, client.bottom - 1};
}

void Paint(HWND window, Combo& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  HGDIOBJ oldFont = SelectObject(dc, FontOf(c));
  VelmoraThemePaintInfo info{};
  info.size = sizeof(info);
  info.style = style;
  info.font = FontOf(c);
  if (!IsWindowEnabled(window)) info.state |= VELMORA_STATE_DISABLED;
  if (c.focused) info.state |= VELMORA_STATE_FOCUSED;
  PaintThemePart(dc, VELMORA_PART_EDIT_BACKGROUND, client, info);
  PaintThemePart(dc, VELMORA_PART_EDIT_FRAME, client, info);
  RECT button = ButtonRect(client);
  RECT field{client.left + 2, client.top + 2, button.left - 1, client.bottom - 2};
  std::string text = ItemText(c, Current(c));
  VelmoraThemePaintInfo item = info;
  item.state &= ~VELMORA_STATE_FOCUSED;
  item.text = text.c_str();
  // The focused, closed field shows its text highlighted, as a list's selected item.
  if (c.focused && !c.dropped) item.state |= VELMORA_STATE_SELECTED | VELMORA_STATE_FOCUSED;
  PaintThemePart(dc, VELMORA_PART_LIST_ITEM, field, item);
  VelmoraThemePaintInfo arrow = info;
  if (c.dropped) arrow.state |= VELMORA_STATE_PRESSED;
  PaintThemePart(dc, VELMORA_PART_COMBO_BUTTON, button, arrow);
  SelectObject(dc, oldFont);
  EndPaint(window, &ps);
}

void PaintComboButton(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  if ((info.state & VELMORA_STATE_PRESSED) != 0) face = GetSysColor(COLOR_BTNSHADOW);
  HBRUSH brush = CreateSolidBrush(face);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  COLORREF ink =
      GetSysColor((info.state & VELMORA_STATE_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int size = std::max(2, static_cast<int>(std::min(r.right - r.left, r.bottom - r.top)) / 4);
  POINT pts[3] = {{cx - size, cy - size / 2}, {cx + size, cy - size / 2}, {cx, cy + size / 2 + 1}};
  HBRUSH fill = CreateSolidBrush(ink);
  HPEN pen = CreatePen(PS_SOLID, 1, ink);
  HGDIOBJ oldBrush = SelectObject(dc, fill);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, pts, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(fill);
  DeleteObject(pen);
}

// The messages that are the list's own, under the combo box's names.
LRESULT Forward(HWND window, Combo& c, UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = true;
  UINT to;
  bool repaint = false;
  switch (message) {
    case CB_ADDSTRING:
      to = LB_ADDSTRING;
      break;
    case CB_INSERTSTRING:
      to = LB_INSERTSTRING;
      break;
    case CB_DELETESTRING:
      to = LB_DELETESTRING;
      repaint = true;
      break;
    case CB_RESETCONTENT:
      to = LB_RESETCONTENT;
      repaint = true;
      break;
    case CB_GETCOUNT:
      to = LB_GETCOUNT;
      break;
    case CB_SETCURSEL:
      to = LB_SETCURSEL;
      repaint = true;
      break;
    case CB_GETCURSEL:
      to = LB_GETCURSEL;
      break;
    case CB_GETLBTEXT:
      to = LB_GETTEXT;
      break;
    case CB_GETLBTEXTLEN:
      to = LB_GETTEXTLEN;
      break;
    case CB_FINDSTRING:
      to = LB_FINDSTRING;
      break;
    case CB_FINDSTRINGEXACT:
      to = LB_FINDSTRINGEXACT;
      break;
    case CB_SELECTSTRING:
      to = LB_SELECTSTRING;
      repaint = true;
      break;
    case CB_SETITEMDATA:
      to = LB_SETITEMDATA;
      break;
    case CB_GETITEMDATA:
      to = LB_GETITEMDATA;
      break;
    case CB_GETITEMHEIGHT:
      to = LB_GETITEMHEIGHT;
      break;
    default:
      *handled = false;
      return 0;
  }
  if (c.list == nullptr) return CB_ERR;
  LRESULT result = SendMessageA(c.list, to, wParam, lParam);
  if (message == CB_SETCURSEL && static_cast<int>(wParam) == -1) result = CB_ERR;
  if (repaint) InvalidateRect(window, nullptr, FALSE);
  return result;
}

LRESULT ComboMessage(HWND window, Combo& c, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    // Scroll bar styles belong to the drop-down list, which always has its own; on the
    // closed field they would draw a bar beside the arrow.
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    if ((style & (WS_VSCROLL | WS_HSCROLL)) != 0)
      SetWindowLongPtrA(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
    return DefWindowProcA(window, message, wParam, lParam);
  }
  bool handled = false;
  LRESULT forwarded = Forward(window, c, message, wParam, lParam, &handled);
  if (handled) return forwarded;
  switch (message) {
    case WM_CREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      DWORD style = create != nullptr ? create->style : 0;
      DWORD listStyle = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_COMBOBOX | LBS_NOINTEGRALHEIGHT |
                        ((style & CBS_SORT) != 0 ? LBS_SORT : 0);
      c.list = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kComboListClass, "", listStyle, 0,
                               0, 100, 100, GetAncestor(window, GA_ROOT), nullptr, nullptr, window);
      if (c.list == nullptr) return -1;
      MeasureField(c);
      if (create != nullptr && create->cy > c.fieldHeight)
        c.droppedHeight = create->cy - c.fieldHeight;
      FitFieldHeight(window, c);
      return 0;
    }
    case WM_DESTROY:
      if (c.list != nullptr) {
        c.dropped = false;
        DestroyWindow(c.list);
        c.list = nullptr;
      }
      return 0;
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      // The height a program gives is the field plus its drop-down; the field keeps its own.
      if (pos != nullptr && (pos->flags & SWP_NOSIZE) == 0 && pos->cy != c.fieldHeight) {
        if (pos->cy > c.fieldHeight) c.droppedHeight = pos->cy - c.fieldHeight;
        pos->cy = c.fieldHeight;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_SETFONT:
      c.font = reinterpret_cast<HFONT>(wParam);
      if (c.list != nullptr) SendMessageA(c.list, WM_SETFONT, wParam, 0);
      MeasureField(c);
      FitFieldHeight(window, c);
      if (lParam != 0) InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(c.font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window, c);
      return 0;
    case WM_ENABLE:
      if (wParam == 0) Close(window, c, false);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
      c.focused = true;
      InvalidateRect(window, nullptr, FALSE);
      NotifyParent(window, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      c.focused = false;
      Close(window, c, false);
      InvalidateRect(window, nullptr, FALSE);
      NotifyParent(window, CBN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return kWantArrows | kWantChars | (c.dropped ? kWantAllKeys : 0);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (GetFocus() != window) SetFocus(window);
      if (!IsWindow(window)) return 0;
      if (c.dropped) {
        Close(window, c, false);
      } else {
        Open(window, c);
      }
      return 0;
    case WM_KEYDOWN:
      KeyDown(window, c, static_cast<int>(wParam));
      return 0;
    case WM_SYSKEYDOWN:
      if (static_cast<int>(wParam) == VK_DOWN || static_cast<int>(wParam) == VK_UP) {
        if (c.dropped) {
          Close(window, c, true);
        } else {
          Open(window, c);
        }
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
      if (c.dropped) {
        SendMessageA(c.list, WM_CHAR, wParam, 0);
      } else {
        StepSelection(window, c, WM_CHAR, wParam);
      }
      return 0;
    case WM_MOUSEWHEEL: {
      if (c.dropped) return SendMessageA(c.list, message, wParam, lParam);
      c.wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
      int notches = c.wheelRest / WHEEL_DELTA;
      c.wheelRest %= WHEEL_DELTA;
      for (int i = 0; i < std::abs(notches); ++i) {
        StepSelection(window, c, WM_KEYDOWN, static_cast<WPARAM>(notches > 0 ? VK_UP : VK_DOWN));
      }
      return 0;
    }
    case WM_GETTEXT: {
      char* buffer = reinterpret_cast<char*>(lParam);
      if (buffer == nullptr || wParam == 0) return 0;
      std::string text = ItemText(c, Current(c));
      // Never cut a two-byte character in half.
      size_t room = static_cast<size_t>(wParam) - 1, n = 0;
      while (n < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[n]);
        size_t width = b >= 0x81 && b <= 0xFE && n + 1 < text.size() ? 2 : 1;
        if (n + width > room) break;
        n += width;
      }
      std::memcpy(buffer, text.data(), n);
      buffer[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      int current = Current(c);
      return current >= 0 ? SendMessageA(c.list, LB_GETTEXTLEN, static_cast<WPARAM>(current), 0)
                          : 0;
    }
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lParam);
      int index =
          static_cast<int>(SendMessageA(c.list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text != nullptr ? text : "")));
      if (index < 0) return CB_ERR;
      SendMessageA(c.list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      InvalidateRect(window, nullptr, FALSE);
      return TRUE;
    }
    case CB_SHOWDROPDOWN:
      if (wParam != 0) {
        Open(window, c);
      } else {
        Close(window, c, false);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return c.dropped ? TRUE : FALSE;
    case CB_SETDROPPEDWIDTH: {
      RECT r{};
      GetWindowRect(window, &r);
      c.droppedWidth = std::max<int>(static_cast<int>(wParam), 0);
      return std::max<int>(c.droppedWidth, r.right - r.left);
    }
    case CB_GETDROPPEDWIDTH: {
      RECT r{};
      GetWindowRect(window, &r);
      return std::max<int>(c.droppedWidth, r.right - r.left);
    }
    case CB_GETDROPPEDCONTROLRECT: {
      RECT* out = reinterpret_cast<RECT*>(lParam);
      if (out == nullptr) return FALSE;
      GetWindowRect(window, out);
      out->bottom += c.droppedHeight;
      return TRUE;
    }
    case kComboListDone:
      Close(window, c, wParam != 0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterComboBoxClass() {
  platform::user::RegisterBuiltInPainter(VELMORA_PART_COMBO_BUTTON, PaintComboButton);
  RegisterControlClass("COMBOBOX", ControlProc<Combo, ComboMessage>, CS_DBLCLKS);
}

}  // namespace platform::controls
