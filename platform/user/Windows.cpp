// The handle table, the window tree and the life of a window: creation with its message
// sequence, and destruction of a window with its children and owned windows.
#include <algorithm>
#include <unordered_map>

#include "platform/gdi/DeviceContext.h"
#include "platform/kernel32.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Presenter.h"
#include "platform/user/WindowTree.h"

namespace platform::user {

namespace {

constexpr uintptr_t kFirstHandle = 0x03000000;
constexpr uintptr_t kLastHandle = 0xFFFFFFF0;

struct HandleTable {
  std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
  // Handles only grow, so a stale handle never names a newer window.
  uintptr_t next = kFirstHandle;
  std::shared_ptr<Window> desktop;
};

HandleTable& Table();

HWND NewHandle(HandleTable& table) {
  if (table.next > kLastHandle) return nullptr;
  auto handle = reinterpret_cast<HWND>(table.next);
  table.next += 4;
  return handle;
}

HandleTable& Table() {
  static HandleTable* table = [] {
    auto* t = new HandleTable();
    auto desktop = std::make_shared<Window>();
    desktop->handle = NewHandle(*t);
    desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    desktop->proc = DefWindowProcA;
    desktop->created = true;
    auto cls = std::make_shared<WindowClass>();
    cls->name = "#32769";
    cls->proc = DefWindowProcA;
    cls->system = true;
    cls->windowCount = 1;
    desktop->cls = cls;
    t->windows.emplace(reinterpret_cast<uintptr_t>(desktop->handle), desktop);
    t->desktop = desktop;
    return t;
  }();
  return *table;
}

void SyncDesktopRect(Window& desktop) {
  const auto& screen = gdi::Screen();
  desktop.window = {0, 0, screen.width, screen.height};
  desktop.client = desktop.window;
}

void CollectPreOrder(Window* window, std::vector<std::shared_ptr<Window>>* out) {
  out->push_back(SharedWindowLocked(window->handle));
  for (Window* child : window->children) CollectPreOrder(child, out);
}

void EraseFrom(std::vector<Window*>& list, Window* window) {
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

// Drops a window from the table and the tree. Its children normally went before it; any
// that did not (a destroy cut short) are dropped with it so that no pointer dangles.
void ReleaseLocked(Window& window, std::vector<HWND>* released) {
  while (!window.children.empty()) ReleaseLocked(*window.children.front(), released);
  HandleTable& table = Table();
  auto self = table.windows.find(reinterpret_cast<uintptr_t>(window.handle));
  std::shared_ptr<Window> keep;
  if (self != table.windows.end()) {
    keep = self->second;
    table.windows.erase(self);
  }
  WindowManagerState& state = State();
  if (window.parent != nullptr) {
    EraseFrom(window.parent->children, &window);
  } else {
    EraseFrom(state.topLevel, &window);
  }
  for (Window* other : state.topLevel) {
    if (other->owner == &window) other->owner = nullptr;
  }
  if (window.cls) window.cls->windowCount = std::max(0, window.cls->windowCount - 1);
  if (state.focus == window.handle) state.focus = nullptr;
  if (state.active == window.handle) state.active = nullptr;
  if (state.foreground == window.handle) state.foreground = nullptr;
  if (state.capture == window.handle) state.capture = nullptr;
  window.destroyed = true;
  window.surface.reset();
  window.update.SetEmpty();
  window.props.clear();
  ++state.generation;
  released->push_back(window.handle);
}

// WM_NCDESTROY, then the handle goes. Messages still queued for it are dropped.
void FinishWindow(const std::shared_ptr<Window>& window) {
  HWND handle = window->handle;
  bool topLevel;
  {
    std::lock_guard lock(UserLock());
    if (window->destroyed) return;
    topLevel = window->IsTopLevel();
  }
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  std::vector<HWND> released;
  // Freed once the lock is let go: what a slot holds may call out as it goes.
  std::vector<std::pair<const void*, std::shared_ptr<void>>> slots;
  {
    std::lock_guard lock(UserLock());
    if (window->destroyed) return;
    slots.swap(window->slots);
    ReleaseLocked(*window, &released);
  }
  for (HWND gone : released) ForgetWindowMessages(gone);
  if (topLevel) NotifyTopLevel(handle);
}

void SendParentNotify(HWND child, UINT event) {
  HWND current = child;
  LPARAM id = 0;
  for (;;) {
    HWND parent;
    {
      std::lock_guard lock(UserLock());
      Window* w = FindWindowLocked(current);
      if (w == nullptr || !w->IsChild() || w->parent == nullptr ||
          (w->exStyle & WS_EX_NOPARENTNOTIFY) != 0) {
        return;
      }
      if (current == child) id = w->id;
      parent = w->parent->handle;
    }
    SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(static_cast<int>(event), static_cast<int>(id)),
                 reinterpret_cast<LPARAM>(child));
    current = parent;
  }
}

MINMAXINFO DefaultMinMaxInfo(const Window& window) {
  const auto& screen = gdi::Screen();
  RECT insets = InsetsOf(window);
  MINMAXINFO info{};
  info.ptMaxSize = {screen.width, screen.height};
  info.ptMaxPosition = {0, 0};
  info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = {screen.width + insets.left + insets.right,
                         screen.height + insets.top + insets.bottom};
  return info;
}

// An owned window is never below its owner: one found there moves to just above it. The
// topmost band is respected (an ordinary owned window of a topmost owner stays below it).
void KeepOwnedAboveOwners(std::vector<Window*>& list) {
  for (size_t pass = 0; pass < list.size(); ++pass) {
    bool moved = false;
    for (size_t i = 0; i < list.size(); ++i) {
      Window* owned = list[i];
      if (owned->owner == nullptr) continue;
      auto owner =
          std::find(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(i), owned->owner);
      if (owner == list.begin() + static_cast<std::ptrdiff_t>(i)) continue;  // owner is below
      if ((owned->exStyle & WS_EX_TOPMOST) == 0 && ((*owner)->exStyle & WS_EX_TOPMOST) != 0)
        continue;
      size_t at = static_cast<size_t>(owner - list.begin());
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), owned);
      moved = true;
    }
    if (!moved) break;
  }
}

// New top-level windows cascade from the top-left corner of the screen.
POINT NextDefaultPosition() {
  static int counter = 0;
  const auto& screen = gdi::Screen();
  int step = 26 * (counter++ % 8);
  return {std::min(32 + step, screen.width / 2), std::min(32 + step, screen.height / 2)};
}

}  // namespace

WindowManagerState& State() {
  static WindowManagerState* state = new WindowManagerState();
  return *state;
}

std::recursive_mutex& UserLock() {
  return State().lock;
}

HWND DesktopHandle() {
  std::lock_guard lock(UserLock());
  return Table().desktop->handle;
}

bool IsDesktop(const Window& window) {
  return &window == Table().desktop.get();
}

Window* FindWindowLocked(HWND window) {
  if (window == nullptr) return nullptr;
  HandleTable& table = Table();
  auto found = table.windows.find(reinterpret_cast<uintptr_t>(window));
  if (found == table.windows.end()) return nullptr;
  if (found->second == table.desktop) SyncDesktopRect(*found->second);
  return found->second.get();
}

std::shared_ptr<Window> SharedWindowLocked(HWND window) {
  if (FindWindowLocked(window) == nullptr) return nullptr;
  return Table().windows.find(reinterpret_cast<uintptr_t>(window))->second;
}

std::shared_ptr<Window> LookupWindow(HWND window) {
  std::lock_guard lock(UserLock());
  return SharedWindowLocked(window);
}

Window* TopLevelOf(Window* window) {
  while (window != nullptr && window->parent != nullptr) window = window->parent;
  return window;
}

bool IsReallyVisible(const Window& window) {
  for (const Window* w = &window; w != nullptr; w = w->parent) {
    if ((w->style & WS_VISIBLE) == 0) return false;
  }
  return true;
}

RECT WindowRectOnScreen(const Window& window) {
  if (window.parent == nullptr) return window.window;
  RECT parentClient = ClientRectOnScreen(*window.parent);
  RECT r = window.window;
  OffsetRect(&r, parentClient.left, parentClient.top);
  return r;
}

RECT ClientRectOnScreen(const Window& window) {
  if (window.parent == nullptr) return window.client;
  RECT parentClient = ClientRectOnScreen(*window.parent);
  RECT r = window.client;
  OffsetRect(&r, parentClient.left, parentClient.top);
  return r;
}

POINT OffsetInTopLevel(const Window& window) {
  RECT own = WindowRectOnScreen(window);
  const Window* top = &window;
  while (top->parent != nullptr) top = top->parent;
  return {own.left - top->window.left, own.top - top->window.top};
}

std::vector<HWND> WindowsOfThread(DWORD threadId) {
  std::lock_guard lock(UserLock());
  std::vector<HWND> result;
  std::vector<Window*> stack;
  // Depth first, parents before children, top of the z-order first.
  for (auto it = State().topLevel.rbegin(); it != State().topLevel.rend(); ++it) {
    stack.push_back(*it);
  }
  while (!stack.empty()) {
    Window* w = stack.back();
    stack.pop_back();
    if (w->threadId == threadId) result.push_back(w->handle);
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) stack.push_back(*it);
  }
  return result;
}

Window* WindowAtPoint(POINT screen) {
  std::lock_guard lock(UserLock());
  Window* hit = nullptr;
  for (Window* w : State().topLevel) {
    if ((w->style & WS_VISIBLE) != 0 && PtInRect(&w->window, screen)) {
      hit = w;
      break;
    }
  }
  while (hit != nullptr) {
    RECT client = ClientRectOnScreen(*hit);
    if (!PtInRect(&client, screen)) break;
    POINT local{screen.x - client.left, screen.y - client.top};
    Window* deeper = nullptr;
    for (Window* child : hit->children) {
      if ((child->style & WS_VISIBLE) != 0 && PtInRect(&child->window, local)) {
        deeper = child;
        break;
      }
    }
    if (deeper == nullptr) break;
    hit = deeper;
  }
  return hit;
}

std::vector<Window*>& SiblingsOf(Window& window) {
  return window.parent != nullptr ? window.parent->children : State().topLevel;
}

bool IsInSubtree(const Window& root, const Window* window) {
  for (; window != nullptr; window = window->parent) {
    if (window == &root) return true;
  }
  return false;
}

bool PlaceInZOrder(Window& window, HWND insertAfter) {
  std::vector<Window*>& siblings = SiblingsOf(window);
  const bool topLevel = window.parent == nullptr;
  const std::vector<Window*> before = siblings;
  const DWORD exBefore = window.exStyle;
  if (topLevel) {
    if (insertAfter == HWND_TOPMOST) {
      window.exStyle |= WS_EX_TOPMOST;
      insertAfter = HWND_TOP;
    } else if (insertAfter == HWND_NOTOPMOST) {
      if ((window.exStyle & WS_EX_TOPMOST) == 0) return false;
      window.exStyle &= ~WS_EX_TOPMOST;
      insertAfter = HWND_TOP;
    } else if (insertAfter == HWND_BOTTOM) {
      // A topmost window sent to the bottom stops being topmost.
      window.exStyle &= ~WS_EX_TOPMOST;
    }
  } else if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    insertAfter = HWND_TOP;
  }
  EraseFrom(siblings, &window);
  size_t index = 0;
  if (insertAfter == HWND_BOTTOM) {
    index = siblings.size();
  } else if (insertAfter != HWND_TOP) {
    auto after = std::find_if(siblings.begin(), siblings.end(),
                              [&](Window* w) { return w->handle == insertAfter; });
    index = after == siblings.end() ? 0 : static_cast<size_t>(after - siblings.begin()) + 1;
  }
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(index), &window);
  if (topLevel) {
    // Topmost windows stay in front of all others, whatever the request said.
    std::stable_partition(siblings.begin(), siblings.end(),
                          [](Window* w) { return (w->exStyle & WS_EX_TOPMOST) != 0; });
    KeepOwnedAboveOwners(siblings);
  }
  return siblings != before || window.exStyle != exBefore;
}

void Touch() {
  ++State().generation;
}

void NotifyTopLevel(HWND topLevel) {
  ActivePresenter().TopLevelChanged(topLevel);
}

int Clamp(int value, int low, int high) {
  return std::min(std::max(value, low), high);
}

int ClampedSum(int a, int b) {
  int64_t sum = int64_t{a} + b;
  return static_cast<int>(std::clamp<int64_t>(sum, -kMaxCoordinate, kMaxCoordinate));
}

namespace {

// What creation settles before the window exists: its place in the tree, the style it is
// built with, its rectangle and how it is shown once its creation messages have run.
struct CreationPlan {
  Window* parent = nullptr;
  Window* owner = nullptr;
  DWORD style = 0;
  RECT rect{};
  int showAtEnd = -1;  // an SW_ command, or -1 to stay hidden
};

// Parent and owner from the caller's parent handle; false (last error set) when refused.
bool ResolveParentLocked(HWND parentHandle, DWORD style, CreationPlan* plan) {
  Window* parent = nullptr;
  if (parentHandle != nullptr && parentHandle != HWND_MESSAGE) {
    parent = FindWindowLocked(parentHandle);
    if (parent == nullptr || parent->destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (IsDesktop(*parent)) parent = nullptr;
  }
  if ((style & WS_CHILD) != 0) {
    if (parent == nullptr) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return false;
    }
    plan->parent = parent;
  } else if (parent != nullptr) {
    // A top-level window given a parent is owned by that parent's top-level window.
    plan->owner = TopLevelOf(parent);
  }
  return true;
}

// The style the window is built with, the show command it keeps for the end, and its
// rectangle with CW_USEDEFAULT resolved and every coordinate in range.
void PlanStyleAndRect(DWORD style, int x, int y, int width, int height, CreationPlan* plan) {
  const bool overlapped = (style & (WS_CHILD | WS_POPUP)) == 0;
  if (overlapped) style |= WS_CLIPSIBLINGS | WS_CAPTION;
  if ((style & WS_VISIBLE) != 0) {
    plan->showAtEnd = (style & WS_MAXIMIZE) != 0   ? SW_SHOWMAXIMIZED
                      : (style & WS_MINIMIZE) != 0 ? SW_SHOWMINIMIZED
                                                   : SW_SHOW;
  }
  // The window is built hidden and shown at the end, so that its creation messages run
  // before anything can be painted or activated.
  plan->style = style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);

  if (overlapped && x == CW_USEDEFAULT) {
    POINT p = NextDefaultPosition();
    x = p.x;
    y = p.y;
  } else {
    if (x == CW_USEDEFAULT) x = 0;
    if (y == CW_USEDEFAULT) y = 0;
  }
  if (overlapped && width == CW_USEDEFAULT) {
    const auto& screen = gdi::Screen();
    width = screen.width * 3 / 4;
    height = screen.height * 3 / 4;
  } else {
    if (width == CW_USEDEFAULT) width = 0;
    if (height == CW_USEDEFAULT) height = 0;
  }
  x = Clamp(x, -kMaxCoordinate, kMaxCoordinate);
  y = Clamp(y, -kMaxCoordinate, kMaxCoordinate);
  width = Clamp(width, 0, kMaxCoordinate);
  height = Clamp(height, 0, kMaxCoordinate);
  plan->rect = {x, y, ClampedSum(x, width), ClampedSum(y, height)};
}

// The window record, with a handle, in the tree and in z-order; null when handles ran out.
std::shared_ptr<Window> AddWindowLocked(const CreationPlan& plan, std::shared_ptr<WindowClass> cls,
                                        DWORD exStyle, HINSTANCE instance, HMENU menu,
                                        std::shared_ptr<ThreadQueue> queue) {
  HandleTable& table = Table();
  HWND handle = NewHandle(table);
  if (handle == nullptr) return nullptr;
  auto window = std::make_shared<Window>();
  window->handle = handle;
  window->proc = cls->proc;
  window->style = plan.style;
  window->exStyle = exStyle;
  window->instance = instance;
  if ((plan.style & WS_CHILD) != 0) {
    window->id = reinterpret_cast<LONG_PTR>(menu);
  } else {
    window->menu = menu;
  }
  window->extra.assign(static_cast<size_t>(std::max(0, cls->wndExtra)), 0);
  window->parent = plan.parent;
  window->owner = plan.owner;
  window->window = plan.rect;
  window->client = window->window;
  window->normalRect = window->window;
  window->threadId = GetCurrentThreadId();
  window->queue = std::move(queue);
  ++cls->windowCount;
  window->cls = std::move(cls);
  table.windows.emplace(reinterpret_cast<uintptr_t>(handle), window);
  if (plan.parent != nullptr) {
    // Children keep creation order from the top, which is also the order Tab walks.
    plan.parent->children.push_back(window.get());
  } else {
    State().topLevel.push_back(window.get());
    PlaceInZOrder(*window, (exStyle & WS_EX_TOPMOST) != 0 ? HWND_TOPMOST : HWND_TOP);
  }
  Touch();
  return window;
}

// True once the window's own creation messages destroyed it (or began to).
bool Gone(const Window& window) {
  std::lock_guard lock(UserLock());
  return window.destroyed || window.destroying;
}

// WM_GETMINMAXINFO: a top-level window's size held to the tracking limits it reports.
// False when the window went away meanwhile.
bool ApplyTrackingLimits(Window& window) {
  MINMAXINFO info;
  {
    std::lock_guard lock(UserLock());
    info = DefaultMinMaxInfo(window);
  }
  SendMessageA(window.handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  if (Gone(window)) return false;
  std::lock_guard lock(UserLock());
  int w = window.window.right - window.window.left;
  int h = window.window.bottom - window.window.top;
  w = std::min(w, static_cast<int>(info.ptMaxTrackSize.x));
  h = std::min(h, static_cast<int>(info.ptMaxTrackSize.y));
  // Only a window the user may resize is held to the minimum tracking size: a fixed
  // window keeps the size the program asked for.
  if ((window.style & WS_THICKFRAME) != 0) {
    w = std::max(w, static_cast<int>(info.ptMinTrackSize.x));
    h = std::max(h, static_cast<int>(info.ptMinTrackSize.y));
  }
  w = Clamp(w, 0, kMaxCoordinate);
  h = Clamp(h, 0, kMaxCoordinate);
  window.window.right = ClampedSum(window.window.left, w);
  window.window.bottom = ClampedSum(window.window.top, h);
  window.client = window.window;
  window.normalRect = window.window;
  return true;
}

// WM_NCCALCSIZE: the client area inside the frame the window asks for. False when the
// window went away meanwhile.
bool CalculateClientArea(Window& window) {
  RECT client;
  {
    std::lock_guard lock(UserLock());
    client = window.window;
  }
  SendMessageA(window.handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
  if (Gone(window)) return false;
  std::lock_guard lock(UserLock());
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
  window.client = client;
  Touch();
  return true;
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

// Builds the window hidden, runs its creation messages (each of which may destroy it, or
// refuse creation), then shows it if asked.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parentHandle, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  std::shared_ptr<Window> window;
  int showAtEnd = -1;
  {
    std::lock_guard lock(UserLock());
    std::shared_ptr<WindowClass> cls = FindClassLocked(className, instance);
    if (!cls) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    CreationPlan plan;
    if (!ResolveParentLocked(parentHandle, style, &plan)) return nullptr;
    PlanStyleAndRect(style, x, y, width, height, &plan);
    window = AddWindowLocked(plan, std::move(cls), exStyle, instance, menu, std::move(queue));
    if (!window) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    showAtEnd = plan.showAtEnd;
  }
  const HWND handle = window->handle;

  if (window->IsTopLevel() && !ApplyTrackingLimits(*window)) return nullptr;

  CREATESTRUCTA create{};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parentHandle;
  {
    std::lock_guard lock(UserLock());
    create.x = window->window.left;
    create.y = window->window.top;
    create.cx = window->window.right - window->window.left;
    create.cy = window->window.bottom - window->window.top;
    create.style = static_cast<LONG>(window->style);
  }
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;

  LRESULT accepted = SendMessageA(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create));
  if (Gone(*window)) return nullptr;
  if (accepted == 0) {
    // Creation refused by the window itself: it never existed for anyone else.
    {
      std::lock_guard lock(UserLock());
      window->destroying = true;
    }
    FinishWindow(window);
    return nullptr;
  }
  {
    std::lock_guard lock(UserLock());
    window->created = true;
  }

  if (!CalculateClientArea(*window)) return nullptr;
  if (window->IsTopLevel()) SyncSurfaceSize(*window);

  LRESULT created = SendMessageA(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
  if (Gone(*window)) return nullptr;
  if (created == -1) {
    DestroyWindow(handle);
    return nullptr;
  }

  RECT client;
  {
    std::lock_guard lock(UserLock());
    client = window->client;
  }
  SendMessageA(handle, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(client.right - client.left, client.bottom - client.top));
  SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if (Gone(*window)) return nullptr;

  SendParentNotify(handle, WM_CREATE);
  if (Gone(*window)) return nullptr;

  if (showAtEnd >= 0) ShowWindow(handle, showAtEnd);
  if (Gone(*window)) return nullptr;
  if (window->IsTopLevel()) NotifyTopLevel(handle);
  return handle;
}

BOOL DestroyWindow(HWND handle) {
  std::shared_ptr<Window> window;
  std::vector<HWND> owned;
  {
    std::lock_guard lock(UserLock());
    window = SharedWindowLocked(handle);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (IsDesktop(*window) || window->threadId != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    // Asked again from a handler while the destroy is under way: that destroy finishes it.
    if (window->destroying) return TRUE;
    for (Window* other : State().topLevel) {
      if (other->owner == window.get()) owned.push_back(other->handle);
    }
  }

  // Owned windows go before their owner; one of another thread just loses its owner.
  for (HWND other : owned) {
    bool sameThread;
    {
      std::lock_guard lock(UserLock());
      Window* w = FindWindowLocked(other);
      if (w == nullptr) continue;
      sameThread = w->threadId == GetCurrentThreadId();
      if (!sameThread) w->owner = nullptr;
    }
    if (sameThread) DestroyWindow(other);
  }

  {
    std::lock_guard lock(UserLock());
    if (window->destroying || window->destroyed) return TRUE;
    window->destroying = true;
  }
  SendParentNotify(handle, WM_DESTROY);

  std::vector<std::shared_ptr<Window>> subtree;
  bool visible;
  {
    std::lock_guard lock(UserLock());
    CollectPreOrder(window.get(), &subtree);
    for (auto& w : subtree) w->destroying = true;
    visible = (window->style & WS_VISIBLE) != 0;
  }

  if (visible) {
    SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FocusLeavesSubtree(handle, false);
  HWND capture = GetCapture();
  {
    std::lock_guard lock(UserLock());
    Window* captured = FindWindowLocked(capture);
    if (captured == nullptr || !IsInSubtree(*window, captured)) capture = nullptr;
  }
  if (capture != nullptr) ReleaseCapture();

  // WM_DESTROY runs parent first so that a window still sees its children; WM_NCDESTROY
  // runs children first so that a parent outlives them.
  for (auto& w : subtree) {
    {
      std::lock_guard lock(UserLock());
      // A window whose own destroy is further up the stack already had its WM_DESTROY.
      if (w->destroyed || w->destroyNotified) continue;
      w->destroyNotified = true;
    }
    SendMessageA(w->handle, WM_DESTROY, 0, 0);
  }
  for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) FinishWindow(*it);
  return TRUE;
}
