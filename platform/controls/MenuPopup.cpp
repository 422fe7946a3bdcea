// Popup menu windows and the built-in look of menus. A popup is a plain WS_POPUP window
// that only paints: the tracking loop owns its state and does all the input.
#include <algorithm>

#include "platform/controls/MenuPaint.h"
#include "platform/controls/SystemClasses.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowManager.h"

namespace platform::controls {

namespace {

using platform::user::PaintThemePart;

void Fill(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void PaintBarBackground(HDC dc, const RECT& rect, const VelmoraThemePaintInfo&) {
  Fill(dc, rect, GetSysColor(COLOR_MENUBAR));
}

void PaintPopupBackground(HDC dc, const RECT& rect, const VelmoraThemePaintInfo&) {
  Fill(dc, rect, GetSysColor(COLOR_MENU));
  HBRUSH border = CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW));
  FrameRect(dc, &rect, border);
  DeleteObject(border);
}

void DrawCheck(HDC dc, const RECT& column, COLORREF ink, bool radio) {
  const int cx = (column.left + column.right) / 2;
  const int cy = (column.top + column.bottom) / 2;
  HPEN pen = CreatePen(PS_SOLID, 2, ink);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  if (radio) {
    HBRUSH dot = CreateSolidBrush(ink);
    HGDIOBJ oldBrush = SelectObject(dc, dot);
    Ellipse(dc, cx - 3, cy - 3, cx + 4, cy + 4);
    SelectObject(dc, oldBrush);
    DeleteObject(dot);
  } else {
    MoveToEx(dc, cx - 4, cy, nullptr);
    LineTo(dc, cx - 1, cy + 3);
    LineTo(dc, cx + 5, cy - 4);
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void DrawArrow(HDC dc, const RECT& column, COLORREF ink) {
  const int cx = (column.left + column.right) / 2;
  const int cy = (column.top + column.bottom) / 2;
  POINT points[3] = {{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
  HBRUSH brush = CreateSolidBrush(ink);
  HPEN pen = CreatePen(PS_SOLID, 1, ink);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, points, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

// Where LayoutPopup made room for labels and shortcuts: themes that draw the text
// themselves are told, so that it fits the width the popup was given.
RECT LabelColumn(const RECT& items) {
  return {items.left + kCheckColumn, items.top, items.right - kArrowColumn, items.bottom};
}

void PaintItem(HDC dc, const RECT& rect, const VelmoraThemePaintInfo& info) {
  const bool inBar = info.value == 1;
  const bool selected = (info.state & VELMORA_STATE_SELECTED) != 0;
  const bool grayed = (info.state & VELMORA_STATE_GRAYED) != 0;
  if ((info.state & VELMORA_STATE_SEPARATOR) != 0) {
    if (inBar) return;
    const int y = (rect.top + rect.bottom) / 2;
    Fill(dc, {rect.left + 4, y, rect.right - 4, y + 1}, GetSysColor(COLOR_BTNSHADOW));
    return;
  }
  if (selected) Fill(dc, rect, GetSysColor(COLOR_HIGHLIGHT));
  COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  if (grayed) ink = GetSysColor(COLOR_GRAYTEXT);
  SelectObject(dc, info.font != nullptr ? static_cast<HGDIOBJ>(info.font)
                                        : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ink);
  RECT text = rect;
  if (inBar) {
    if (info.text != nullptr) {
      DrawTextA(dc, info.text, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    return;
  }
  RECT check{rect.left, rect.top, rect.left + kCheckColumn, rect.bottom};
  if ((info.state & VELMORA_STATE_CHECKED) != 0) DrawCheck(dc, check, ink, info.value2 == 1);
  text.left += kCheckColumn;
  text.right -= kArrowColumn;
  if (info.text != nullptr)
    DrawTextA(dc, info.text, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (info.text2 != nullptr) {
    DrawTextA(dc, info.text2, -1, &text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if ((info.state & VELMORA_STATE_POPUP) != 0) {
    DrawArrow(dc, {rect.right - kArrowColumn, rect.top, rect.right, rect.bottom}, ink);
  }
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      // Clicking a menu must not take activation from the window that owns it.
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc == nullptr) return 0;
      auto* view = reinterpret_cast<const PopupView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      RECT client;
      GetClientRect(window, &client);
      VelmoraThemePaintInfo info{};
      info.size = sizeof(info);
      info.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      info.style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
      info.inner = LabelColumn(
          {kPopupEdge, kPopupEdge, client.right - kPopupEdge, client.bottom - kPopupEdge});
      PaintThemePart(dc, VELMORA_PART_MENU_POPUP, client, info);
      std::vector<MenuItemData> items;
      if (view != nullptr && SnapshotMenu(view->menu, &items)) {
        PopupLayout layout = LayoutPopup(items);
        for (size_t i = 0; i < items.size(); ++i) {
          PaintMenuItem(dc, layout.items[i], items[i], static_cast<int>(i) == view->selected,
                        false);
        }
      }
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

SIZE MeasureMenuText(const std::string& text) {
  SIZE size{0, 0};
  if (text.empty()) return size;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return size;
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  DeleteDC(dc);
  size.cx = r.right - r.left;
  size.cy = r.bottom - r.top;
  return size;
}

void PaintMenuItem(HDC dc, const RECT& rect, const MenuItemData& item, bool selected, bool inBar) {
  const std::string label = item.Label();
  const std::string shortcut = item.Shortcut();
  VelmoraThemePaintInfo info{};
  info.size = sizeof(info);
  info.value = inBar ? 1 : 0;
  info.value2 = (item.type & MFT_RADIOCHECK) != 0 ? 1 : 0;
  info.text = label.c_str();
  info.text2 = shortcut.empty() ? nullptr : shortcut.c_str();
  info.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (selected) info.state |= VELMORA_STATE_SELECTED | VELMORA_STATE_HOT;
  if (item.Disabled()) info.state |= VELMORA_STATE_GRAYED | VELMORA_STATE_DISABLED;
  if ((item.state & MF_CHECKED) != 0) info.state |= VELMORA_STATE_CHECKED;
  if (item.Separator()) info.state |= VELMORA_STATE_SEPARATOR;
  if (item.sub != nullptr) info.state |= VELMORA_STATE_POPUP;
  if (!inBar) info.inner = LabelColumn(rect);
  PaintThemePart(dc, VELMORA_PART_MENU_ITEM, rect, info);
}

PopupLayout LayoutPopup(const std::vector<MenuItemData>& items) {
  PopupLayout layout;
  int labelWidth = 60, shortcutWidth = 0;
  for (const MenuItemData& item : items) {
    if (item.Separator()) continue;
    labelWidth = std::max(labelWidth, static_cast<int>(MeasureMenuText(item.Label()).cx));
    std::string shortcut = item.Shortcut();
    if (!shortcut.empty()) {
      shortcutWidth = std::max(shortcutWidth, static_cast<int>(MeasureMenuText(shortcut).cx));
    }
  }
  const int width = kCheckColumn + labelWidth +
                    (shortcutWidth > 0 ? kShortcutGap + shortcutWidth : 0) + kArrowColumn;
  int y = kPopupEdge;
  for (const MenuItemData& item : items) {
    int h = item.Separator() ? kPopupSeparatorHeight : kPopupItemHeight;
    layout.items.push_back({kPopupEdge, y, kPopupEdge + width, y + h});
    y += h;
  }
  layout.size = {width + 2 * kPopupEdge, y + kPopupEdge};
  return layout;
}

void RegisterMenuClasses() {
  RegisterControlClass(kPopupMenuClass, PopupProc, CS_SAVEBITS);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_MENU_BAR, PaintBarBackground);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_MENU_POPUP, PaintPopupBackground);
  platform::user::RegisterBuiltInPainter(VELMORA_PART_MENU_ITEM, PaintItem);
}

}  // namespace platform::controls
