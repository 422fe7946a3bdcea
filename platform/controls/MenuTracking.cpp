// The menu loop: a modal loop that owns the mouse and keyboard while a menu is open, for
// the menu bar and for TrackPopupMenu alike. Every popup level is a window that only
// paints; all input decisions are made here from screen positions.
#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/controls/MenuPaint.h"
#include "platform/controls/SystemClasses.h"
#include "platform/kernel32.h"

namespace platform::controls {

namespace {

struct Level {
  HMENU menu = nullptr;
  HWND window = nullptr;
  std::unique_ptr<PopupView> view;
  RECT screen{};  // the popup window on the screen
  std::vector<MenuItemData> items;
  PopupLayout layout;
};

bool IsMouseMessage(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
         (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}
bool IsButtonDown(UINT m) {
  return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_NCLBUTTONDOWN ||
         m == WM_NCRBUTTONDOWN || m == WM_LBUTTONDBLCLK || m == WM_NCLBUTTONDBLCLK;
}
bool IsButtonUp(UINT m) {
  return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_NCLBUTTONUP || m == WM_NCRBUTTONUP;
}

bool Selectable(const MenuItemData& item) {
  return !item.Separator();
}

class Tracker {
 public:
  Tracker(HWND owner, UINT flags, bool bar) : owner_(owner), flags_(flags), bar_(bar) {}

  // The loop for the menu bar; `start` is where the bar was entered.
  void RunBar(int startIndex, bool open, bool selectFirst, bool fromMouse) {
    if (!MenuBarOnScreen(owner_, &barScreen_, &barMenu_)) return;
    Begin(barMenu_, FALSE);
    LayoutBar();
    mouseEntered_ = fromMouse;
    SwitchBar(startIndex, open, selectFirst);
    Loop();
    End(FALSE);
  }

  void RunPopup(HMENU menu, int x, int y) {
    Begin(menu, TRUE);
    OpenPopup(menu, 0, x, y, flags_, nullptr);
    if (levels_.empty()) done_ = true;
    Loop();
    End(TRUE);
  }

  UINT chosen() const { return chosen_; }
  bool hasChoice() const { return hasChoice_; }

 private:
  bool Notify() const { return (flags_ & TPM_NONOTIFY) == 0; }

  void Begin(HMENU menu, BOOL popup) {
    EnsureSystemClassesRegistered();
    SetCapture(owner_);
    if (Notify()) {
      SendMessageA(owner_, WM_ENTERMENULOOP, static_cast<WPARAM>(popup), 0);
      SendMessageA(owner_, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    }
  }

  void End(BOOL popup) {
    CloseFrom(0);
    if (bar_) {
      SetBarHighlight(owner_, -1);
      RedrawMenuBarNow(owner_);
    }
    if (GetCapture() == owner_) ReleaseCapture();
    if (IsWindow(owner_) && Notify()) {
      SendMessageA(owner_, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
      SendMessageA(owner_, WM_EXITMENULOOP, static_cast<WPARAM>(popup), 0);
    }
  }

  void LayoutBar() {
    barItems_ = LayoutMenuBar(
        barMenu_, {0, 0, barScreen_.right - barScreen_.left, barScreen_.bottom - barScreen_.top});
    for (RECT& r : barItems_) OffsetRect(&r, barScreen_.left, barScreen_.top);
    SnapshotMenu(barMenu_, &barEntries_);
  }

  void Loop() {
    MSG msg;
    while (!done_) {
      if (!IsWindow(owner_)) break;
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Idle: the owner may do background work (and tests drive the menu from here).
        HWND top = levels_.empty() ? nullptr : levels_.back().window;
        if (Notify()) SendMessageA(owner_, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(top));
        if (done_ || !IsWindow(owner_)) break;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) continue;
        if (GetCapture() != owner_) break;
        WaitMessage();
        continue;
      }
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (IsMouseMessage(msg.message)) {
        Mouse(msg.message, msg.pt);
        continue;
      }
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        if (!Key(static_cast<int>(msg.wParam))) TranslateMessage(&msg);
        continue;
      }
      if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
        Char(static_cast<unsigned char>(msg.wParam));
        continue;
      }
      if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) continue;
      DispatchMessageA(&msg);
    }
  }

  // ---- Levels ----

  void OpenPopup(HMENU menu, int indexInParent, int x, int y, UINT align, const RECT* parentItem) {
    if (Notify()) {
      SendMessageA(owner_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                   MAKELPARAM(indexInParent, FALSE));
    }
    Level level;
    level.menu = menu;
    if (!SnapshotMenu(menu, &level.items) || level.items.empty()) return;
    level.layout = LayoutPopup(level.items);
    const int w = level.layout.size.cx, h = level.layout.size.cy;
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    if ((align & TPM_RIGHTALIGN) != 0) {
      x -= w;
    } else if ((align & TPM_CENTERALIGN) != 0) {
      x -= w / 2;
    }
    if ((align & TPM_BOTTOMALIGN) != 0) {
      y -= h;
    } else if ((align & TPM_VCENTERALIGN) != 0) {
      y -= h / 2;
    }
    if (x + w > screenW) {
      // A submenu that has no room on the right opens to the left of its parent.
      x = parentItem != nullptr ? parentItem->left - w + kPopupEdge : screenW - w;
    }
    if (y + h > screenH) y = screenH - h;
    x = std::max(0, x);
    y = std::max(0, y);
    level.screen = {x, y, x + w, y + h};
    level.view = std::make_unique<PopupView>();
    level.view->menu = menu;
    level.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupMenuClass, "", WS_POPUP,
                                   x, y, w, h, owner_, nullptr, nullptr, nullptr);
    if (level.window == nullptr) return;
    SetWindowLongPtrA(level.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(level.view.get()));
    ShowWindow(level.window, SW_SHOWNOACTIVATE);
    UpdateWindow(level.window);
    levels_.push_back(std::move(level));
  }

  void CloseFrom(size_t first) {
    while (levels_.size() > first) {
      if (levels_.back().window != nullptr) DestroyWindow(levels_.back().window);
      levels_.pop_back();
    }
  }

  void Refresh(Level& level) {
    if (level.window == nullptr) return;
    InvalidateRect(level.window, nullptr, FALSE);
    UpdateWindow(level.window);
  }

  void Select(size_t l, int index, bool byMouse) {
    Level& level = levels_[l];
    if (level.view->selected == index) return;
    level.view->selected = index;
    Refresh(level);
    if (index >= 0 && Notify())
      SendSelect(level.items[static_cast<size_t>(index)], index, level.menu, byMouse);
  }

  void SendSelect(const MenuItemData& item, int index, HMENU menu, bool byMouse) {
    UINT flags = MF_HILITE | (item.state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) |
                 (item.Separator() ? MF_SEPARATOR : 0) | (byMouse ? MF_MOUSESELECT : 0);
    UINT id = item.id;
    if (item.sub != nullptr) {
      flags |= MF_POPUP;
      id = static_cast<UINT>(index);
    }
    SendMessageA(owner_, WM_MENUSELECT, MAKEWPARAM(id & 0xFFFF, flags & 0xFFFF),
                 reinterpret_cast<LPARAM>(menu));
  }

  // Opens the submenu of the selected item of level `l`.
  void OpenSub(size_t l, bool selectFirst) {
    Level& level = levels_[l];
    int index = level.view->selected;
    if (index < 0) return;
    const MenuItemData item = level.items[static_cast<size_t>(index)];
    if (item.sub == nullptr || item.Disabled()) return;
    CloseFrom(l + 1);
    RECT itemRect = levels_[l].layout.items[static_cast<size_t>(index)];
    OffsetRect(&itemRect, levels_[l].screen.left, levels_[l].screen.top);
    RECT parent = levels_[l].screen;
    OpenPopup(item.sub, index, parent.right - kPopupEdge, itemRect.top - kPopupEdge, TPM_LEFTALIGN,
              &parent);
    if (selectFirst && levels_.size() == l + 2) MoveSelection(l + 1, 1);
  }

  void MoveSelection(size_t l, int step) {
    Level& level = levels_[l];
    const int n = static_cast<int>(level.items.size());
    if (n == 0) return;
    int i = level.view->selected;
    for (int tries = 0; tries < n; ++tries) {
      i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
      if (Selectable(level.items[static_cast<size_t>(i)])) {
        CloseFrom(l + 1);
        Select(l, i, false);
        return;
      }
    }
  }

  void Choose(const MenuItemData& item) {
    if (item.Separator() || item.Disabled() || item.sub != nullptr) return;
    chosen_ = item.id;
    hasChoice_ = true;
    done_ = true;
  }

  // ---- The bar ----

  int BarCount() const { return static_cast<int>(std::min(barItems_.size(), barEntries_.size())); }

  void SwitchBar(int index, bool open, bool selectFirst) {
    const int n = BarCount();
    if (n == 0 || index < 0 || index >= n) {
      done_ = true;
      return;
    }
    CloseFrom(0);
    barIndex_ = index;
    SetBarHighlight(owner_, index);
    RedrawMenuBarNow(owner_);
    const MenuItemData& item = barEntries_[static_cast<size_t>(index)];
    if (Notify()) SendSelect(item, index, barMenu_, mouseEntered_);
    if (open && item.sub != nullptr && !item.Disabled()) {
      const RECT& r = barItems_[static_cast<size_t>(index)];
      OpenPopup(item.sub, index, r.left, r.bottom, TPM_LEFTALIGN, nullptr);
      if (selectFirst && !levels_.empty()) MoveSelection(0, 1);
    }
  }

  // The next bar item that is shown, going `step` from the current one.
  int NextBarItem(int step) const {
    const int n = BarCount();
    int i = barIndex_;
    for (int tries = 0; tries < n; ++tries) {
      i = (i + step + n) % n;
      if (!IsRectEmpty(&barItems_[static_cast<size_t>(i)]) &&
          !barEntries_[static_cast<size_t>(i)].Separator()) {
        return i;
      }
    }
    return barIndex_;
  }

  int BarItemAt(POINT p) const {
    if (!bar_) return -1;
    for (int i = 0; i < BarCount(); ++i) {
      if (PtInRect(&barItems_[static_cast<size_t>(i)], p)) return i;
    }
    return -1;
  }

  // ---- Input ----

  bool PopupAt(POINT p, size_t* l, int* index) const {
    for (size_t k = levels_.size(); k-- > 0;) {
      const Level& level = levels_[k];
      if (!PtInRect(&level.screen, p)) continue;
      *l = k;
      *index = -1;
      POINT local{p.x - level.screen.left, p.y - level.screen.top};
      for (size_t i = 0; i < level.layout.items.size(); ++i) {
        if (PtInRect(&level.layout.items[i], local)) *index = static_cast<int>(i);
      }
      return true;
    }
    return false;
  }

  void Mouse(UINT message, POINT p) {
    size_t l = 0;
    int index = -1;
    const bool inPopup = PopupAt(p, &l, &index);
    const int barItem = inPopup ? -1 : BarItemAt(p);
    if (IsButtonDown(message)) {
      if (inPopup) return;
      if (barItem >= 0) {
        // A second press on the open item closes the menu, as a toggle.
        if (barItem == barIndex_ && !levels_.empty()) {
          done_ = true;
        } else {
          mouseEntered_ = true;
          SwitchBar(barItem, true, false);
        }
        return;
      }
      done_ = true;
      return;
    }
    if (IsButtonUp(message)) {
      if (!inPopup || index < 0) return;
      const MenuItemData item = levels_[l].items[static_cast<size_t>(index)];
      if (item.sub != nullptr) {
        if (levels_.size() <= l + 1) {
          Select(l, index, true);
          OpenSub(l, false);
        }
        return;
      }
      Choose(item);
      return;
    }
    // Moves.
    if (inPopup) {
      if (index < 0 || !Selectable(levels_[l].items[static_cast<size_t>(index)])) return;
      if (levels_[l].view->selected == index && levels_.size() > l + 1) return;
      if (levels_[l].view->selected != index) {
        CloseFrom(l + 1);
        Select(l, index, true);
      }
      if (levels_[l].items[static_cast<size_t>(index)].sub != nullptr && levels_.size() == l + 1) {
        OpenSub(l, false);
      }
      return;
    }
    // Sliding along the bar moves the open menu with the mouse.
    if (barItem >= 0 && barItem != barIndex_ && (!levels_.empty() || mouseEntered_)) {
      SwitchBar(barItem, true, false);
    }
  }

  // True when the key was used.
  bool Key(int vk) {
    switch (vk) {
      case VK_MENU:
      case VK_F10:
        done_ = true;
        return true;
      case VK_ESCAPE:
        if (levels_.size() > 1 || (bar_ && levels_.size() == 1)) {
          CloseFrom(levels_.size() - 1);
        } else {
          done_ = true;
        }
        return true;
      case VK_UP:
      case VK_DOWN:
        if (levels_.empty()) {
          if (bar_ && vk == VK_DOWN) SwitchBar(barIndex_, true, true);
        } else {
          MoveSelection(levels_.size() - 1, vk == VK_DOWN ? 1 : -1);
        }
        return true;
      case VK_RIGHT:
      case VK_LEFT: {
        if (!levels_.empty()) {
          Level& deepest = levels_.back();
          int sel = deepest.view->selected;
          if (vk == VK_RIGHT && sel >= 0 &&
              deepest.items[static_cast<size_t>(sel)].sub != nullptr &&
              !deepest.items[static_cast<size_t>(sel)].Disabled()) {
            OpenSub(levels_.size() - 1, true);
            return true;
          }
          if (vk == VK_LEFT && levels_.size() > 1) {
            CloseFrom(levels_.size() - 1);
            return true;
          }
        }
        if (bar_) SwitchBar(NextBarItem(vk == VK_RIGHT ? 1 : -1), !levels_.empty(), true);
        return true;
      }
      case VK_RETURN: {
        if (levels_.empty()) {
          if (bar_) SwitchBar(barIndex_, true, true);
          return true;
        }
        Level& deepest = levels_.back();
        int sel = deepest.view->selected;
        if (sel < 0) return true;
        const MenuItemData item = deepest.items[static_cast<size_t>(sel)];
        if (item.sub != nullptr) {
          OpenSub(levels_.size() - 1, true);
        } else {
          Choose(item);
        }
        return true;
      }
      default:
        return false;
    }
  }

  void Char(unsigned char c) {
    const char key = static_cast<char>(std::tolower(c));
    if (key == 0) return;
    if (levels_.empty()) {
      for (int i = 0; i < BarCount(); ++i) {
        if (barEntries_[static_cast<size_t>(i)].AccessKey() == key) {
          SwitchBar(i, true, true);
          return;
        }
      }
      return;
    }
    const size_t l = levels_.size() - 1;
    for (size_t i = 0; i < levels_[l].items.size(); ++i) {
      const MenuItemData item = levels_[l].items[i];
      if (item.Separator() || item.AccessKey() != key) continue;
      CloseFrom(l + 1);
      Select(l, static_cast<int>(i), false);
      if (item.sub != nullptr) {
        OpenSub(l, true);
      } else {
        Choose(item);
      }
      return;
    }
  }

  HWND owner_;
  UINT flags_;
  bool bar_;
  HMENU barMenu_ = nullptr;
  RECT barScreen_{};
  std::vector<RECT> barItems_;
  std::vector<MenuItemData> barEntries_;
  int barIndex_ = -1;
  bool mouseEntered_ = false;
  std::vector<Level> levels_;
  bool done_ = false;
  bool hasChoice_ = false;
  UINT chosen_ = 0;
};

// One menu loop per thread at a time: a window procedure that opens another menu while one
// is tracked gets a refusal rather than two loops fighting over the mouse.
thread_local bool tracking = false;

struct TrackingScope {
  bool entered;
  TrackingScope() : entered(!tracking) { tracking = true; }
  ~TrackingScope() {
    if (entered) tracking = false;
  }
};

void PostCommand(HWND owner, UINT id) {
  PostMessageA(owner, WM_COMMAND, MAKEWPARAM(id & 0xFFFF, 0), 0);
}

}  // namespace

void TrackBarFromMouse(HWND window, POINT screen) {
  TrackingScope scope;
  if (!scope.entered) return;
  RECT bar;
  HMENU menu;
  if (!MenuBarOnScreen(window, &bar, &menu)) return;
  std::vector<RECT> items = LayoutMenuBar(menu, {0, 0, bar.right - bar.left, bar.bottom - bar.top});
  int index = -1;
  for (size_t i = 0; i < items.size(); ++i) {
    OffsetRect(&items[i], bar.left, bar.top);
    if (PtInRect(&items[i], screen)) index = static_cast<int>(i);
  }
  if (index < 0) return;
  Tracker tracker(window, 0, true);
  tracker.RunBar(index, true, false, true);
  if (tracker.hasChoice()) PostCommand(window, tracker.chosen());
}

void TrackBarFromKey(HWND window, char key) {
  TrackingScope scope;
  if (!scope.entered) return;
  RECT bar;
  HMENU menu;
  if (!MenuBarOnScreen(window, &bar, &menu)) return;
  std::vector<MenuItemData> items;
  if (!SnapshotMenu(menu, &items) || items.empty()) return;
  int index = 0;
  bool open = false;
  if (key != 0) {
    index = -1;
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].AccessKey() == lower) {
        index = static_cast<int>(i);
        break;
      }
    }
    // No item has that key: nothing opens.
    if (index < 0) return;
    open = true;
  }
  Tracker tracker(window, 0, true);
  tracker.RunBar(index, open, true, false);
  if (tracker.hasChoice()) PostCommand(window, tracker.chosen());
}

}  // namespace platform::controls

using namespace platform::controls;

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND window, LPTPMPARAMS) {
  if (!IsMenu(menu) || !IsWindow(window)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  TrackingScope scope;
  if (!scope.entered) return FALSE;
  Tracker tracker(window, flags, false);
  tracker.RunPopup(menu, x, y);
  if ((flags & TPM_RETURNCMD) != 0)
    return tracker.hasChoice() ? static_cast<BOOL>(tracker.chosen()) : 0;
  if (tracker.hasChoice() && (flags & TPM_NONOTIFY) == 0) PostCommand(window, tracker.chosen());
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND window, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, window, nullptr);
}
