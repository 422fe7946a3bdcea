// The menu bar of a top-level window: which menu it shows, where its items lie, how it is
// drawn inside the frame, and the keys that reach it through the default window procedure.
#include <mutex>

#include "platform/controls/MenuModel.h"
#include "platform/controls/MenuPaint.h"
#include "platform/kernel32.h"
#include "platform/user/NonClientLayout.h"
#include "platform/user/Theme.h"
#include "platform/user/ThemeParts.h"
#include "platform/user/WindowSlot.h"
#include "platform/user/WindowTree.h"

namespace platform::controls {

namespace {

using platform::user::FindWindowLocked;
using platform::user::UserLock;
using platform::user::Window;
using platform::user::WindowSlot;

constexpr int kBarItemPadding = 8;

// The bar item shown selected while the menu loop or the keyboard is on the bar.
struct BarHighlight {
  int index = -1;
};

int HighlightOf(HWND window) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  BarHighlight* highlight = w != nullptr ? WindowSlot<BarHighlight>::FindLocked(*w) : nullptr;
  return highlight != nullptr ? highlight->index : -1;
}

// Alt pressed and released with no other key between selects the bar. Kept per thread:
// each thread has its own keyboard focus.
thread_local bool altAlone = false;

}  // namespace

std::vector<RECT> LayoutMenuBar(HMENU menu, const RECT& bar) {
  std::vector<MenuItemData> items;
  std::vector<RECT> rects;
  if (!SnapshotMenu(menu, &items)) return rects;
  int x = bar.left;
  for (const MenuItemData& item : items) {
    SIZE size = MeasureMenuText(item.Label());
    int width = item.Separator() ? kBarItemPadding : size.cx + 2 * kBarItemPadding;
    // Items that do not fit are not shown; a zero-width rectangle marks them.
    int right = std::min(static_cast<int>(bar.right), x + width);
    rects.push_back({x, bar.top, std::max(x, right), bar.bottom});
    x = std::max(x, right);
  }
  return rects;
}

void PaintMenuBar(HWND window, HDC dc, const RECT& bar) {
  HMENU menu = GetMenu(window);
  VelmoraThemePaintInfo info{};
  info.size = sizeof(info);
  info.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  info.style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  info.exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  platform::user::PaintThemePart(dc, VELMORA_PART_MENU_BAR, bar, info);
  std::vector<MenuItemData> items;
  if (!SnapshotMenu(menu, &items)) return;
  std::vector<RECT> rects = LayoutMenuBar(menu, bar);
  const int highlight = HighlightOf(window);
  for (size_t i = 0; i < items.size() && i < rects.size(); ++i) {
    if (IsRectEmpty(&rects[i])) continue;
    PaintMenuItem(dc, rects[i], items[i], static_cast<int>(i) == highlight, true);
  }
}

void SetBarHighlight(HWND window, int index) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr) return;
  if (index < 0) {
    if (BarHighlight* highlight = WindowSlot<BarHighlight>::FindLocked(*w)) highlight->index = -1;
  } else {
    WindowSlot<BarHighlight>::EnsureLocked(*w).index = index;
  }
}

void RedrawMenuBarNow(HWND window) {
  bool active;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr || !platform::user::HasMenuBar(*w) || !platform::user::IsReallyVisible(*w))
      return;
    active = platform::user::State().active == window;
  }
  // The whole frame: the bar is part of it and a theme may paint across pieces.
  HDC dc = GetWindowDC(window);
  if (dc == nullptr) return;
  platform::user::PaintNonClient(window, dc, active);
  ReleaseDC(window, dc);
  platform::user::NotifyTopLevel(window);
}

bool MenuBarOnScreen(HWND window, RECT* bar, HMENU* menu) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr || !platform::user::HasMenuBar(*w)) return false;
  platform::user::FrameLayout layout = platform::user::LayoutFrame(*w);
  RECT onScreen = platform::user::WindowRectOnScreen(*w);
  *bar = layout.menuBar;
  OffsetRect(bar, onScreen.left, onScreen.top);
  *menu = w->menu;
  return true;
}

void NoteKeyForMenuBar(const MSG& msg) {
  if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
      static_cast<int>(msg.wParam) != VK_MENU) {
    altAlone = false;
  }
}

bool MenuBarKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSKEYDOWN:
      if (static_cast<int>(wParam) == VK_MENU) {
        // Auto-repeat of a held Alt keeps it alone.
        if ((lParam & (1 << 30)) == 0) altAlone = true;
        return false;
      }
      altAlone = false;
      if (static_cast<int>(wParam) == VK_F10) {
        HWND top = GetAncestor(window, GA_ROOT);
        SendMessageA(top != nullptr ? top : window, WM_SYSCOMMAND, SC_KEYMENU, 0);
        return true;
      }
      return false;
    case WM_KEYDOWN:
      altAlone = false;
      return false;
    case WM_SYSKEYUP:
      if (static_cast<int>(wParam) == VK_MENU && altAlone) {
        altAlone = false;
        HWND top = GetAncestor(window, GA_ROOT);
        SendMessageA(top != nullptr ? top : window, WM_SYSCOMMAND, SC_KEYMENU, 0);
        return true;
      }
      return false;
    case WM_SYSCHAR: {
      altAlone = false;
      HWND top = GetAncestor(window, GA_ROOT);
      SendMessageA(top != nullptr ? top : window, WM_SYSCOMMAND, SC_KEYMENU, wParam & 0xFF);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace platform::controls

using namespace platform::controls;

BOOL SetMenu(HWND window, HMENU menu) {
  if (menu != nullptr && !IsMenu(menu)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr || w->IsChild()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    w->menu = menu;
    if (BarHighlight* highlight = WindowSlot<BarHighlight>::FindLocked(*w)) highlight->index = -1;
  }
  // The bar takes its height from the client area, not from the window.
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

HMENU GetMenu(HWND window) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(window);
  if (w == nullptr || w->IsChild()) return nullptr;
  return w->menu;
}

BOOL DrawMenuBar(HWND window) {
  if (GetMenu(window) == nullptr) return FALSE;
  RedrawMenuBarNow(window);
  return TRUE;
}
