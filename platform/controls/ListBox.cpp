// The LISTBOX control, and the drop-down list of combo boxes (the same control reporting to
// its combo box).
//
// Sorted lists (LBS_SORT) order items by their GBK bytes with ASCII letters compared
// without case; that keeps Chinese names grouped by their GBK code, which follows pinyin
// for the common characters.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/controls/ControlState.h"
#include "platform/controls/ListBoxInternal.h"
#include "platform/controls/SystemClasses.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowManager.h"

namespace platform::controls {

using platform::user::PaintThemePart;

namespace {

constexpr LRESULT kWantArrows = 0x0001;  // DLGC_WANTARROWS
constexpr LRESULT kWantChars = 0x0080;   // DLGC_WANTCHARS
constexpr int kWheelLines = 3;
constexpr UINT_PTR kDragScrollTimer = 1;
// Items beyond this would make positions and counts overflow what messages carry.
constexpr size_t kMaxItems = 0x7FFFFFF;

struct Item {
  std::string text;
  LPARAM data = 0;
  bool selected = false;  // multiple-selection lists only
};

struct ListBox {
  std::vector<Item> items;
  int current = -1;  // the selection of a single-selection list
  int caret = 0;     // the focused item
  int anchor = -1;   // where a Shift range starts (LBS_EXTENDEDSEL)
  int top = 0;
  int itemHeight = 16;
  HFONT font = nullptr;
  bool focused = false;
  bool pressing = false;
  bool comboList = false;
  HWND combo = nullptr;
  bool wantsScrollBar = false;  // created with WS_VSCROLL: shown when items overflow
  POINT lastMouse{};
  BYTE pendingLead = 0;  // the first byte of a two-byte character being typed
  int wheelRest = 0;     // fine-grained wheels send parts of a notch
};

ListBox* StateOf(HWND window) {
  return ControlStateOf<ListBox>(window).get();
}

DWORD StyleOf(HWND window) {
  return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
}

bool IsMulti(HWND window) {
  return (StyleOf(window) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

int Count(const ListBox& lb) {
  return static_cast<int>(lb.items.size());
}

bool Valid(const ListBox& lb, int index) {
  return index >= 0 && index < Count(lb);
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Byte order with ASCII letters folded to lower case.
int Compare(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(Lower(a[i]));
    unsigned char y = static_cast<unsigned char>(Lower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  return Compare(text.substr(0, prefix.size()), prefix) == 0;
}

std::string TextArg(LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  return text != nullptr ? std::string(text) : std::string();
}

int VisibleRows(HWND window, const ListBox& lb) {
  RECT client{};
  GetClientRect(window, &client);
  return std::max(1, static_cast<int>(client.bottom - client.top) / std::max(1, lb.itemHeight));
}

int MaxTop(HWND window, const ListBox& lb) {
  return std::max(0, Count(lb) - VisibleRows(window, lb));
}

HFONT FontOf(const ListBox& lb) {
  return lb.font != nullptr ? lb.font : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void MeasureItemHeight(HWND window, ListBox& lb) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  HGDIOBJ old = SelectObject(dc, FontOf(lb));
  TEXTMETRICA tm{};
  if (GetTextMetricsA(dc, &tm)) lb.itemHeight = std::max<int>(tm.tmHeight + 2, 8);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
}

void Notify(HWND window, const ListBox& lb, WORD code) {
  if (lb.comboList) return;  // the combo box follows the list through its own messages
  if ((StyleOf(window) & LBS_NOTIFY) == 0) return;
  NotifyParent(window, code);
}

void UpdateScrollBar(HWND window, ListBox& lb) {
  if (!lb.wantsScrollBar) return;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS |
               ((StyleOf(window) & LBS_DISABLENOSCROLL) != 0 ? SIF_DISABLENOSCROLL : 0);
  info.nMin = 0;
  info.nMax = std::max(0, Count(lb) - 1);
  info.nPage = static_cast<UINT>(VisibleRows(window, lb));
  info.nPos = lb.top;
  SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void SetTop(HWND window, ListBox& lb, int top) {
  top = std::clamp(top, 0, MaxTop(window, lb));
  if (top == lb.top) return;
  lb.top = top;
  UpdateScrollBar(window, lb);
  InvalidateRect(window, nullptr, TRUE);
}

void EnsureVisible(HWND window, ListBox& lb, int index) {
  if (!Valid(lb, index)) return;
  int rows = VisibleRows(window, lb);
  if (index < lb.top) {
    SetTop(window, lb, index);
  } else if (index >= lb.top + rows) {
    SetTop(window, lb, index - rows + 1);
  }
}

void Changed(HWND window, ListBox& lb) {
  lb.top = std::clamp(lb.top, 0, MaxTop(window, lb));
  UpdateScrollBar(window, lb);
  InvalidateRect(window, nullptr, TRUE);
}

// Selects one item of a single-selection list (or, in a multiple-selection list, makes it
// the only selected one). Returns whether the selection changed.
bool SelectOnly(HWND window, ListBox& lb, int index) {
  bool changed = false;
  if (IsMulti(window)) {
    for (int i = 0; i < Count(lb); ++i) {
      bool want = i == index;
      if (lb.items[i].selected != want) changed = true;
      lb.items[i].selected = want;
    }
  } else {
    changed = lb.current != index;
    lb.current = index;
  }
  if (Valid(lb, index)) lb.caret = index;
  EnsureVisible(window, lb, index);
  InvalidateRect(window, nullptr, TRUE);
  return changed;
}

void SelectRange(ListBox& lb, int from, int to, bool on) {
  if (from > to) std::swap(from, to);
  for (int i = std::max(0, from); i <= to && i < Count(lb); ++i) lb.items[i].selected = on;
}

int InsertAt(HWND window, ListBox& lb, int index, std::string text) {
  if (lb.items.size() >= kMaxItems) return LB_ERRSPACE;
  lb.items.insert(lb.items.begin() + index, Item{std::move(text), 0, false});
  if (lb.current >= index) ++lb.current;
  if (lb.caret >= index && Count(lb) > 1) ++lb.caret;
  if (lb.anchor >= index) ++lb.anchor;
  Changed(window, lb);
  return index;
}

int AddString(HWND window, ListBox& lb, LPARAM lParam) {
  std::string text = TextArg(lParam);
  int index = Count(lb);
  if ((StyleOf(window) & LBS_SORT) != 0) {
    auto it = std::upper_bound(
        lb.items.begin(), lb.items.end(), text,
        [](const std::string& t, const Item& item) { return Compare(t, item.text) < 0; });
    index = static_cast<int>(it - lb.items.begin());
  }
  return InsertAt(window, lb, index, std::move(text));
}

int DeleteString(HWND window, ListBox& lb, int index) {
  if (!Valid(lb, index)) return LB_ERR;
  lb.items.erase(lb.items.begin() + index);
  if (lb.current == index) {
    lb.current = -1;
  } else if (lb.current > index) {
    --lb.current;
  }
  if (lb.caret > index || lb.caret >= Count(lb)) lb.caret = std::max(0, lb.caret - 1);
  if (lb.anchor >= Count(lb)) lb.anchor = -1;
  Changed(window, lb);
  return Count(lb);
}

void Reset(HWND window, ListBox& lb) {
  lb.items.clear();
  lb.current = -1;
  lb.caret = 0;
  lb.anchor = -1;
  lb.top = 0;
  Changed(window, lb);
}

// Searches after `start` (wrapping around; -1 searches from the first item).
int Find(const ListBox& lb, int start, const std::string& text, bool exact) {
  int n = Count(lb);
  if (n == 0) return LB_ERR;
  int first = start >= 0 && start < n ? start + 1 : 0;
  for (int k = 0; k < n; ++k) {
    int i = (first + k) % n;
    const std::string& t = lb.items[i].text;
    if (exact ? Compare(t, text) == 0 : StartsWith(t, text)) return i;
  }
  return LB_ERR;
}

int ItemAt(HWND window, const ListBox& lb, POINT p, bool* outside) {
  RECT client{};
  GetClientRect(window, &client);
  int row = p.y >= 0 ? p.y / std::max(1, lb.itemHeight) : -1;
  int index = lb.top + row;
  bool out = !PtInRect(&client, p) || !Valid(lb, index);
  if (outside != nullptr) *outside = out;
  return std::clamp(index, 0, std::max(0, Count(lb) - 1));
}

RECT ItemRect(HWND window, const ListBox& lb, int index) {
  RECT client{};
  GetClientRect(window, &client);
  int y = (index - lb.top) * lb.itemHeight;
  return {client.left, y, client.right, y + lb.itemHeight};
}

void Paint(HWND window, ListBox& lb) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  DWORD style = StyleOf(window);
  const bool enabled = IsWindowEnabled(window) != FALSE;
  HGDIOBJ oldFont = SelectObject(dc, FontOf(lb));
  VelmoraThemePaintInfo back{};
  back.size = sizeof(back);
  back.style = style;
  back.font = FontOf(lb);
  if (!enabled) back.state |= VELMORA_STATE_DISABLED;
  PaintThemePart(dc, VELMORA_PART_EDIT_BACKGROUND, client, back);
  const bool multi = IsMulti(window);
  for (int i = lb.top; i < Count(lb); ++i) {
    RECT r = ItemRect(window, lb, i);
    if (r.top >= client.bottom) break;
    VelmoraThemePaintInfo info = back;
    info.text = lb.items[i].text.c_str();
    bool selected = multi ? lb.items[i].selected : i == lb.current;
    if (selected) info.state |= VELMORA_STATE_SELECTED;
    if (lb.focused && i == lb.caret && !lb.comboList) info.state |= VELMORA_STATE_FOCUSED;
    PaintThemePart(dc, VELMORA_PART_LIST_ITEM, r, info);
  }
  SelectObject(dc, oldFont);
  EndPaint(window, &ps);
}

void PaintListItem(HDC dc, const RECT& r, const VelmoraThemePaintInfo& info) {
  const bool selected = (info.state & VELMORA_STATE_SELECTED) != 0;
  const bool disabled = (info.state & VELMORA_STATE_DISABLED) != 0;
  HBRUSH brush = CreateSolidBrush(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  if (info.text != nullptr) {
    HGDIOBJ old = info.font != nullptr ? SelectObject(dc, info.font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled   ? COLOR_GRAYTEXT
                                 : selected ? COLOR_HIGHLIGHTTEXT
                                            : COLOR_WINDOWTEXT));
    RECT text = r;
    text.left += 3;
    text.right -= 2;
    DrawTextA(dc, info.text, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    if (old != nullptr) SelectObject(dc, old);
  }
  if ((info.state & VELMORA_STATE_FOCUSED) != 0) DrawFocusRect(dc, &r);
}

// The press and drag of a single-selection list follow the mouse; a multiple-selection
// list acts once per press.
void MousePress(HWND window, ListBox& lb, POINT p, WPARAM keys, bool doubleClick) {
  if (!lb.comboList && GetFocus() != window) SetFocus(window);
  if (!IsWindow(window) || StateOf(window) != &lb) return;
  bool outside = false;
  int index = ItemAt(window, lb, p, &outside);
  lb.lastMouse = p;
  if (!lb.comboList) {
    lb.pressing = true;
    SetCapture(window);
  }
  if (outside || Count(lb) == 0) return;
  DWORD style = StyleOf(window);
  bool changed = false;
  if ((style & LBS_MULTIPLESEL) != 0) {
    lb.items[index].selected = !lb.items[index].selected;
    lb.caret = index;
    changed = true;
    InvalidateRect(window, nullptr, TRUE);
  } else if ((style & LBS_EXTENDEDSEL) != 0) {
    if ((keys & MK_SHIFT) != 0 && Valid(lb, lb.anchor)) {
      if ((keys & MK_CONTROL) == 0) SelectRange(lb, 0, Count(lb) - 1, false);
      SelectRange(lb, lb.anchor, index, true);
    } else if ((keys & MK_CONTROL) != 0) {
      lb.items[index].selected = !lb.items[index].selected;
      lb.anchor = index;
    } else {
      SelectRange(lb, 0, Count(lb) - 1, false);
      lb.items[index].selected = true;
      lb.anchor = index;
    }
    lb.caret = index;
    changed = true;
    InvalidateRect(window, nullptr, TRUE);
  } else {
    changed = SelectOnly(window, lb, index);
  }
  if (changed) Notify(window, lb, LBN_SELCHANGE);
  if (doubleClick && IsWindow(window)) Notify(window, lb, LBN_DBLCLK);
}

void MouseDrag(HWND window, ListBox& lb, POINT p) {
  lb.lastMouse = p;
  if (Count(lb) == 0 || IsMulti(window)) return;
  RECT client{};
  GetClientRect(window, &client);
  if (lb.comboList) {
    // Hovering highlights; the combo box commits on release.
    if (!PtInRect(&client, p)) return;
    bool outside = false;
    int index = ItemAt(window, lb, p, &outside);
    if (!outside) SelectOnly(window, lb, index);
    return;
  }
  if (!lb.pressing) return;
  int index;
  if (p.y < client.top) {
    index = std::max(0, lb.top - 1);
  } else if (p.y >= client.bottom) {
    index = std::min(Count(lb) - 1, lb.top + VisibleRows(window, lb));
  } else {
    index = ItemAt(window, lb, p, nullptr);
  }
  if (SelectOnly(window, lb, index)) Notify(window, lb, LBN_SELCHANGE);
  // Held above or below the list, it keeps scrolling on a timer.
  if (p.y < client.top || p.y >= client.bottom) {
    SetTimer(window, kDragScrollTimer, 50, nullptr);
  } else {
    KillTimer(window, kDragScrollTimer);
  }
}

void MouseRelease(HWND window, ListBox& lb, POINT p) {
  KillTimer(window, kDragScrollTimer);
  if (lb.comboList) {
    RECT client{};
    GetClientRect(window, &client);
    bool outside = true;
    ItemAt(window, lb, p, &outside);
    if (PtInRect(&client, p) && !outside) {
      HWND combo = lb.combo;
      SendMessageA(combo, kComboListDone, 1, 0);
    }
    return;
  }
  if (!lb.pressing) return;
  lb.pressing = false;
  if (GetCapture() == window) ReleaseCapture();
}

// Moves the caret (and a single selection) for a navigation key. Returns false for keys
// that are not navigation.
bool NavigationTarget(HWND window, const ListBox& lb, int key, int* target) {
  int rows = VisibleRows(window, lb);
  int from = IsMulti(window) ? lb.caret : (lb.current >= 0 ? lb.current : lb.caret);
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      *target = lb.current < 0 && !IsMulti(window) ? 0 : from - 1;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      *target = lb.current < 0 && !IsMulti(window) ? 0 : from + 1;
      break;
    case VK_PRIOR:
      *target = from - (rows > 1 ? rows - 1 : 1);
      break;
    case VK_NEXT:
      *target = from + (rows > 1 ? rows - 1 : 1);
      break;
    case VK_HOME:
      *target = 0;
      break;
    case VK_END:
      *target = Count(lb) - 1;
      break;
    default:
      return false;
  }
  *target = std::clamp(*target, 0, Count(lb) - 1);
  return true;
}

void KeyDown(HWND window, ListBox& lb, int key) {
  if (Count(lb) == 0) return;
  DWORD style = StyleOf(window);
  if (key == VK_SPACE && (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0) {
    if (Valid(lb, lb.caret)) {
      lb.items[lb.caret].selected = !lb.items[lb.caret].selected;
      lb.anchor = lb.caret;
      InvalidateRect(window, nullptr, TRUE);
      Notify(window, lb, LBN_SELCHANGE);
    }
    return;
  }
  int target;
  if (!NavigationTarget(window, lb, key, &target)) return;
  bool changed;
  if ((style & LBS_MULTIPLESEL) != 0) {
    // Keys only move the focus; space selects.
    lb.caret = target;
    EnsureVisible(window, lb, target);
    InvalidateRect(window, nullptr, TRUE);
    return;
  }
  if ((style & LBS_EXTENDEDSEL) != 0) {
    if ((GetKeyState(VK_SHIFT) & 0x8000) != 0 && Valid(lb, lb.anchor)) {
      SelectRange(lb, 0, Count(lb) - 1, false);
      SelectRange(lb, lb.anchor, target, true);
      lb.caret = target;
      EnsureVisible(window, lb, target);
      InvalidateRect(window, nullptr, TRUE);
      changed = true;
    } else {
      changed = SelectOnly(window, lb, target);
      lb.anchor = target;
    }
  } else {
    changed = SelectOnly(window, lb, target);
  }
  if (changed) Notify(window, lb, LBN_SELCHANGE);
}

// Type-ahead: a typed character selects the next item that starts with it.
void TypeChar(HWND window, ListBox& lb, BYTE c) {
  std::string prefix;
  if (lb.pendingLead != 0) {
    prefix = {static_cast<char>(lb.pendingLead), static_cast<char>(c)};
    lb.pendingLead = 0;
  } else if (c >= 0x81 && c <= 0xFE) {
    lb.pendingLead = c;
    return;
  } else if (c < 0x20) {
    return;
  } else {
    prefix = std::string(1, static_cast<char>(c));
  }
  int from = IsMulti(window) ? lb.caret : lb.current;
  int index = Find(lb, from, prefix, false);
  if (index == LB_ERR) return;
  bool changed = SelectOnly(window, lb, index);
  lb.anchor = index;
  if (changed) Notify(window, lb, LBN_SELCHANGE);
}

void Scroll(HWND window, ListBox& lb, int code, int thumb) {
  int rows = VisibleRows(window, lb);
  switch (code) {
    case SB_LINEUP:
      SetTop(window, lb, lb.top - 1);
      break;
    case SB_LINEDOWN:
      SetTop(window, lb, lb.top + 1);
      break;
    case SB_PAGEUP:
      SetTop(window, lb, lb.top - std::max(1, rows - 1));
      break;
    case SB_PAGEDOWN:
      SetTop(window, lb, lb.top + std::max(1, rows - 1));
      break;
    case SB_TOP:
      SetTop(window, lb, 0);
      break;
    case SB_BOTTOM:
      SetTop(window, lb, MaxTop(window, lb));
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The 16 bits of the message cannot carry a long list's position; the bar can.
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(window, SB_VERT, &info)) thumb = info.nTrackPos;
      SetTop(window, lb, thumb);
      break;
    }
    default:
      break;
  }
}

// Without LBS_NOINTEGRALHEIGHT the client area is cut down to whole rows, so no half row
// shows at the bottom. Rows change height with the font and sizes change with layout, so
// this runs whenever either does; the resize it makes comes back through WM_SIZE already
// whole. A list shorter than one row keeps its size rather than vanish.
void FitIntegralHeight(HWND window, const ListBox& lb) {
  if ((StyleOf(window) & LBS_NOINTEGRALHEIGHT) != 0 || lb.comboList) return;
  RECT client{}, outer{};
  GetClientRect(window, &client);
  GetWindowRect(window, &outer);
  int extra = client.bottom % std::max(1, lb.itemHeight);
  if (extra == 0 || client.bottom <= lb.itemHeight) return;
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top - extra,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Message(HWND window, ListBox& lb, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool multi = IsMulti(window);
  switch (message) {
    case LB_ADDSTRING:
      return AddString(window, lb, lParam);
    case LB_INSERTSTRING: {
      int index = static_cast<int>(wParam);
      if (index == -1) index = Count(lb);
      if (index < 0 || index > Count(lb)) return LB_ERR;
      return InsertAt(window, lb, index, TextArg(lParam));
    }
    case LB_DELETESTRING:
      return DeleteString(window, lb, static_cast<int>(wParam));
    case LB_RESETCONTENT:
      Reset(window, lb);
      return 0;
    case LB_GETCOUNT:
      return Count(lb);
    case LB_GETTEXT: {
      int index = static_cast<int>(wParam);
      char* buffer = reinterpret_cast<char*>(lParam);
      if (!Valid(lb, index) || buffer == nullptr) return LB_ERR;
      const std::string& text = lb.items[index].text;
      std::memcpy(buffer, text.c_str(), text.size() + 1);
      return static_cast<LRESULT>(text.size());
    }
    case LB_GETTEXTLEN: {
      int index = static_cast<int>(wParam);
      return Valid(lb, index) ? static_cast<LRESULT>(lb.items[index].text.size()) : LB_ERR;
    }
    case LB_SETCURSEL: {
      if (multi) return LB_ERR;
      int index = static_cast<int>(wParam);
      if (index == -1) {
        SelectOnly(window, lb, -1);
        return LB_ERR;
      }
      if (!Valid(lb, index)) return LB_ERR;
      SelectOnly(window, lb, index);
      return index;
    }
    case LB_GETCURSEL:
      if (multi) return Valid(lb, lb.caret) ? lb.caret : LB_ERR;
      return Valid(lb, lb.current) ? lb.current : LB_ERR;
    case LB_SELECTSTRING: {
      if (multi) return LB_ERR;
      int index = Find(lb, static_cast<int>(wParam), TextArg(lParam), false);
      if (index == LB_ERR) return LB_ERR;
      SelectOnly(window, lb, index);
      return index;
    }
    case LB_FINDSTRING:
      return Find(lb, static_cast<int>(wParam), TextArg(lParam), false);
    case LB_FINDSTRINGEXACT:
      return Find(lb, static_cast<int>(wParam), TextArg(lParam), true);
    case LB_SETITEMDATA: {
      int index = static_cast<int>(wParam);
      if (!Valid(lb, index)) return LB_ERR;
      lb.items[index].data = lParam;
      return TRUE;
    }
    case LB_GETITEMDATA: {
      int index = static_cast<int>(wParam);
      return Valid(lb, index) ? lb.items[index].data : LB_ERR;
    }
    case LB_SETTOPINDEX: {
      int index = static_cast<int>(wParam);
      if (!Valid(lb, index) && !(index == 0 && Count(lb) == 0)) return LB_ERR;
      SetTop(window, lb, index);
      return 0;
    }
    case LB_GETTOPINDEX:
      return lb.top;
    case LB_GETITEMHEIGHT:
      return lb.itemHeight;
    case LB_SETITEMHEIGHT: {
      int height = static_cast<int>(LOWORD(static_cast<DWORD>(lParam)));
      if (height <= 0 || height > 255) return LB_ERR;
      lb.itemHeight = height;
      FitIntegralHeight(window, lb);
      Changed(window, lb);
      return 0;
    }
    case LB_GETITEMRECT: {
      int index = static_cast<int>(wParam);
      RECT* rect = reinterpret_cast<RECT*>(lParam);
      if (rect == nullptr || (!Valid(lb, index) && !(index == 0 && Count(lb) == 0))) return LB_ERR;
      *rect = ItemRect(window, lb, index);
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      bool outside = false;
      int index = ItemAt(window, lb, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &outside);
      return MAKELPARAM(index, outside ? 1 : 0);
    }
    case LB_SETSEL: {
      if (!multi) return LB_ERR;
      int index = static_cast<int>(lParam);
      bool on = wParam != 0;
      if (index == -1) {
        SelectRange(lb, 0, Count(lb) - 1, on);
      } else if (Valid(lb, index)) {
        lb.items[index].selected = on;
        lb.caret = index;
      } else {
        return LB_ERR;
      }
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case LB_GETSEL: {
      int index = static_cast<int>(wParam);
      if (!Valid(lb, index)) return LB_ERR;
      return (multi ? lb.items[index].selected : index == lb.current) ? 1 : 0;
    }
    case LB_GETSELCOUNT:
      if (!multi) return LB_ERR;
      return std::count_if(lb.items.begin(), lb.items.end(),
                           [](const Item& i) { return i.selected; });
    case LB_GETSELITEMS: {
      if (!multi) return LB_ERR;
      int* out = reinterpret_cast<int*>(lParam);
      int room = static_cast<int>(wParam);
      if (out == nullptr || room < 0) return LB_ERR;
      int n = 0;
      for (int i = 0; i < Count(lb) && n < room; ++i) {
        if (lb.items[i].selected) out[n++] = i;
      }
      return n;
    }
    case LB_SETCARETINDEX: {
      int index = static_cast<int>(wParam);
      if (!Valid(lb, index)) return LB_ERR;
      lb.caret = index;
      EnsureVisible(window, lb, index);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case LB_GETCARETINDEX:
      return Count(lb) > 0 ? lb.caret : 0;
    case LB_SETANCHORINDEX:
      lb.anchor = Valid(lb, static_cast<int>(wParam)) ? static_cast<int>(wParam) : -1;
      return 0;
    case LB_GETANCHORINDEX:
      return lb.anchor;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT ListBoxMessage(HWND window, ListBox& lb, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create != nullptr) {
        lb.wantsScrollBar = (create->style & WS_VSCROLL) != 0;
        if ((create->style & LBS_COMBOBOX) != 0) {
          lb.comboList = true;
          lb.combo = reinterpret_cast<HWND>(create->lpCreateParams);
        }
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_CREATE:
      MeasureItemHeight(window, lb);
      FitIntegralHeight(window, lb);
      UpdateScrollBar(window, lb);
      return 0;
    case WM_SIZE:
      FitIntegralHeight(window, lb);
      lb.top = std::clamp(lb.top, 0, MaxTop(window, lb));
      UpdateScrollBar(window, lb);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SETFONT:
      lb.font = reinterpret_cast<HFONT>(wParam);
      MeasureItemHeight(window, lb);
      FitIntegralHeight(window, lb);
      Changed(window, lb);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(lb.font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(window, lb);
      return 0;
    case WM_ENABLE:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      lb.focused = true;
      InvalidateRect(window, nullptr, TRUE);
      Notify(window, lb, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      lb.focused = false;
      InvalidateRect(window, nullptr, TRUE);
      Notify(window, lb, LBN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return kWantArrows | kWantChars;
    case WM_MOUSEACTIVATE:
      if (lb.comboList) return MA_NOACTIVATE;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (lb.comboList) {
        RECT client{};
        GetClientRect(window, &client);
        if (!PtInRect(&client, p)) {
          // A press anywhere else dismisses the drop-down.
          SendMessageA(lb.combo, kComboListDone, 0, 0);
          return 0;
        }
      }
      MousePress(window, lb, p, wParam, message == WM_LBUTTONDBLCLK);
      return 0;
    }
    case WM_MOUSEMOVE:
      MouseDrag(window, lb, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
      MouseRelease(window, lb, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_CAPTURECHANGED:
      if (lb.comboList) {
        if (reinterpret_cast<HWND>(lParam) != window) SendMessageA(lb.combo, kComboListDone, 0, 0);
        return 0;
      }
      lb.pressing = false;
      KillTimer(window, kDragScrollTimer);
      return 0;
    case WM_TIMER:
      if (wParam == kDragScrollTimer) {
        if (!lb.pressing) {
          KillTimer(window, kDragScrollTimer);
        } else {
          MouseDrag(window, lb, lb.lastMouse);
        }
      }
      return 0;
    case WM_KEYDOWN:
      KeyDown(window, lb, static_cast<int>(wParam));
      return 0;
    case WM_CHAR:
      TypeChar(window, lb, static_cast<BYTE>(wParam));
      return 0;
    case WM_VSCROLL:
      Scroll(window, lb, LOWORD(static_cast<DWORD>(wParam)), static_cast<short>(HIWORD(wParam)));
      return 0;
    case WM_MOUSEWHEEL: {
      lb.wheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
      int notches = lb.wheelRest / WHEEL_DELTA;
      lb.wheelRest %= WHEEL_DELTA;
      if (notches != 0) SetTop(window, lb, lb.top - notches * kWheelLines);
      return 0;
    }
    default:
      return Message(window, lb, message, wParam, lParam);
  }
}

}  // namespace

void RegisterListBoxClass() {
  platform::user::RegisterBuiltInPainter(VELMORA_PART_LIST_ITEM, PaintListItem);
  RegisterControlClass("LISTBOX", ControlProc<ListBox, ListBoxMessage>, CS_DBLCLKS);
  // No double clicks for the drop-down: a pick closes it on the first release.
  RegisterControlClass(kComboListClass, ControlProc<ListBox, ListBoxMessage>);
}

}  // namespace platform::controls
