// How windows relate: parents, owners, siblings in z-order, enumeration, searches by class
// and title, and the simple state questions (is it a window, visible, enabled, iconic).
#include <algorithm>
#include <cstring>

#include "platform/kernel32.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

bool SameText(const std::string& a, LPCSTR b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool ClassMatches(const Window& w, LPCSTR className) {
  if (className == nullptr) return true;
  if (IsAtomName(className)) {
    return w.cls->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(className));
  }
  return SameText(w.cls->name, className);
}

void CollectDescendants(const Window& parent, std::vector<HWND>* out) {
  for (Window* child : parent.children) {
    out->push_back(child->handle);
    CollectDescendants(*child, out);
  }
}

bool Alive(HWND handle) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  return w != nullptr && !w->destroyed;
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

HWND GetDesktopWindow() {
  return DesktopHandle();
}

BOOL IsWindow(HWND handle) {
  std::lock_guard lock(UserLock());
  return FindWindowLocked(handle) != nullptr ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND handle) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  return w != nullptr && IsReallyVisible(*w) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND handle) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  return w != nullptr && (w->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL IsIconic(HWND handle) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  return w != nullptr && w->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND handle) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  return w != nullptr && w->maximized ? TRUE : FALSE;
}

HWND GetParent(HWND handle) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (w->parent != nullptr) return w->parent->handle;
  if ((w->style & WS_POPUP) != 0 && w->owner != nullptr) return w->owner->handle;
  return nullptr;
}

HWND SetParent(HWND childHandle, HWND newParentHandle) {
  HWND oldParent, oldTop = nullptr, newTop = nullptr;
  bool wasVisible;
  RECT oldRect;
  std::shared_ptr<Window> child;
  {
    std::lock_guard lock(UserLock());
    child = SharedWindowLocked(childHandle);
    if (!child) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    Window* parent = nullptr;
    if (newParentHandle != nullptr && newParentHandle != HWND_MESSAGE) {
      parent = FindWindowLocked(newParentHandle);
      if (parent == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      if (IsDesktop(*parent)) parent = nullptr;
    }
    if (IsDesktop(*child) || child->destroying || (parent != nullptr && parent->destroying)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    // A window inside its own subtree would be its own ancestor.
    if (parent != nullptr && IsInSubtree(*child, parent)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    oldParent = child->parent != nullptr ? child->parent->handle : DesktopHandle();
    wasVisible = IsReallyVisible(*child);
    oldRect = child->window;
    oldTop = TopLevelOf(child.get())->handle;
    if (parent == child->parent) return oldParent;
    auto& oldSiblings = SiblingsOf(*child);
    oldSiblings.erase(std::remove(oldSiblings.begin(), oldSiblings.end(), child.get()),
                      oldSiblings.end());
    // Client coordinates keep their numbers: the window lands at the same offset in its
    // new parent.
    child->parent = parent;
    if (parent != nullptr) {
      child->owner = nullptr;
      child->surface.reset();
      parent->children.insert(parent->children.begin(), child.get());
    } else {
      State().topLevel.insert(State().topLevel.begin(), child.get());
      PlaceInZOrder(*child, HWND_TOP);
    }
    newTop = TopLevelOf(child.get())->handle;
    Touch();
  }
  if (newTop == childHandle) SyncSurfaceSize(*child);
  if (wasVisible && oldParent != DesktopHandle()) {
    RedrawWindow(oldParent, &oldRect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  if (IsWindowVisible(childHandle)) {
    RedrawWindow(childHandle, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  NotifyTopLevel(oldTop);
  if (newTop != oldTop) NotifyTopLevel(newTop);
  return oldParent;
}

HWND GetWindow(HWND handle, UINT command) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const bool desktop = IsDesktop(*w);
  if (command == GW_CHILD) {
    const auto& children = desktop ? State().topLevel : w->children;
    return children.empty() ? nullptr : children.front()->handle;
  }
  if (command == GW_OWNER) return w->owner != nullptr ? w->owner->handle : nullptr;
  if (command == GW_ENABLEDPOPUP) {
    for (Window* other : State().topLevel) {
      if (other->owner == w && (other->style & WS_POPUP) != 0 && (other->style & WS_VISIBLE) != 0 &&
          (other->style & WS_DISABLED) == 0) {
        return other->handle;
      }
    }
    return nullptr;
  }
  if (command > GW_ENABLEDPOPUP) {
    SetLastError(ERROR_INVALID_GW_COMMAND);
    return nullptr;
  }
  if (desktop) return nullptr;
  const auto& siblings = SiblingsOf(*w);
  auto at = std::find(siblings.begin(), siblings.end(), w);
  switch (command) {
    case GW_HWNDFIRST:
      return siblings.front()->handle;
    case GW_HWNDLAST:
      return siblings.back()->handle;
    case GW_HWNDNEXT:
      return at == siblings.end() || at + 1 == siblings.end() ? nullptr : (*(at + 1))->handle;
    case GW_HWNDPREV:
      return at == siblings.end() || at == siblings.begin() ? nullptr : (*(at - 1))->handle;
    default:
      return nullptr;
  }
}

HWND GetAncestor(HWND handle, UINT flags) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (IsDesktop(*w)) return nullptr;
  switch (flags) {
    case GA_PARENT:
      return w->parent != nullptr ? w->parent->handle : DesktopHandle();
    case GA_ROOT:
      return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      Window* root = TopLevelOf(w);
      // Owners of popups, as GetParent walks them.
      while ((root->style & WS_POPUP) != 0 && root->owner != nullptr) root = root->owner;
      return root->handle;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND GetTopWindow(HWND handle) {
  if (handle == nullptr) handle = DesktopHandle();
  return GetWindow(handle, GW_CHILD);
}

BOOL IsChild(HWND parentHandle, HWND handle) {
  std::lock_guard lock(UserLock());
  Window* parent = FindWindowLocked(parentHandle);
  Window* w = FindWindowLocked(handle);
  if (parent == nullptr || w == nullptr) return FALSE;
  for (Window* p = w->parent; p != nullptr; p = p->parent) {
    if (p == parent) return TRUE;
  }
  return FALSE;
}

BOOL EnumChildWindows(HWND parentHandle, WNDENUMPROC proc, LPARAM lParam) {
  if (proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<HWND> list;
  {
    std::lock_guard lock(UserLock());
    if (parentHandle == nullptr) parentHandle = DesktopHandle();
    Window* parent = FindWindowLocked(parentHandle);
    if (parent == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (IsDesktop(*parent)) {
      for (Window* top : State().topLevel) {
        list.push_back(top->handle);
        CollectDescendants(*top, &list);
      }
    } else {
      CollectDescendants(*parent, &list);
    }
  }
  // The list is taken first so that a callback may create or destroy windows; those it
  // destroyed are skipped.
  for (HWND w : list) {
    if (!Alive(w)) continue;
    if (!proc(w, lParam)) return FALSE;
  }
  return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  if (proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<HWND> list;
  {
    std::lock_guard lock(UserLock());
    for (Window* top : State().topLevel) list.push_back(top->handle);
  }
  for (HWND w : list) {
    if (!Alive(w)) continue;
    if (!proc(w, lParam)) return FALSE;
  }
  return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
  if (proc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<HWND> list;
  {
    std::lock_guard lock(UserLock());
    for (Window* top : State().topLevel) {
      if (top->threadId == threadId) list.push_back(top->handle);
    }
  }
  for (HWND w : list) {
    if (!Alive(w)) continue;
    if (!proc(w, lParam)) return FALSE;
  }
  return TRUE;
}

DWORD GetWindowThreadProcessId(HWND handle, LPDWORD processId) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (processId != nullptr) *processId = GetCurrentProcessId();
  return w->threadId;
}

HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(dialog);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (Window* child : w->children) {
    if (static_cast<int>(child->id) == id) return child->handle;
  }
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int GetDlgCtrlID(HWND handle) {
  std::lock_guard lock(UserLock());
  Window* w = FindWindowLocked(handle);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return w->parent != nullptr ? static_cast<int>(w->id) : 0;
}

HWND FindWindowExA(HWND parentHandle, HWND childAfter, LPCSTR className, LPCSTR windowName) {
  std::lock_guard lock(UserLock());
  if (parentHandle == HWND_MESSAGE) return nullptr;
  if (parentHandle == nullptr) parentHandle = DesktopHandle();
  Window* parent = FindWindowLocked(parentHandle);
  if (parent == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const auto& candidates = IsDesktop(*parent) ? State().topLevel : parent->children;
  auto it = candidates.begin();
  if (childAfter != nullptr) {
    it = std::find_if(candidates.begin(), candidates.end(),
                      [&](Window* w) { return w->handle == childAfter; });
    if (it == candidates.end()) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    ++it;
  }
  for (; it != candidates.end(); ++it) {
    Window* w = *it;
    if (w->destroying) continue;
    if (!ClassMatches(*w, className)) continue;
    if (windowName != nullptr && !SameText(w->text, windowName)) continue;
    return w->handle;
  }
  return nullptr;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  return FindWindowExA(nullptr, nullptr, className, windowName);
}
