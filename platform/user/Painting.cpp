// Update regions and the paint cycle: what a window is owed (client area, frame, erase,
// internal paint), how invalidation spreads to child windows, and the messages that settle
// it (WM_NCPAINT, WM_ERASEBKGND, WM_PAINT).
#include "platform/user/Painting.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/gdi/GdiObjects.h"
#include "platform/kernel32.h"
#include "platform/user/MessageQueue.h"
#include "platform/user/Presenter.h"
#include "platform/user/WindowDC.h"
#include "platform/user/WindowManager.h"

namespace platform::user {

namespace {

RECT ClientBounds(const Window& w) {
  return {0, 0, w.client.right - w.client.left, w.client.bottom - w.client.top};
}

// The window rectangle in the window's own client coordinates (its frame lies outside the
// client bounds).
RECT WindowBoundsInClient(const Window& w) {
  return {w.window.left - w.client.left, w.window.top - w.client.top,
          w.window.right - w.client.left, w.window.bottom - w.client.top};
}

bool HasFrame(const Window& w) {
  return w.window.left != w.client.left || w.window.top != w.client.top ||
         w.window.right != w.client.right || w.window.bottom != w.client.bottom;
}

bool CanBeSeen(const Window& w) {
  const Window* top = &w;
  while (top->parent != nullptr) top = top->parent;
  return !w.destroyed && IsReallyVisible(w) && !top->minimized;
}

bool OwesPaint(const Window& w) {
  return !w.update.IsEmpty() || w.internalPaint || w.framePending;
}

bool ChildrenFollow(const Window& w, UINT flags) {
  if ((flags & RDW_ALLCHILDREN) != 0) return true;
  if ((flags & RDW_NOCHILDREN) != 0) return false;
  return (w.style & WS_CLIPCHILDREN) == 0;
}

struct RedrawResult {
  std::vector<DWORD> wake;     // threads that now owe a paint
  std::vector<HWND> affected;  // parents before children, for UPDATENOW and ERASENOW
};

// `area` is in the window's client coordinates; none means the whole window. `coveredFrame`
// says the frame must be repainted where the area covers it even without RDW_FRAME (a
// parent that does not clip its children paints over their frames).
void RedrawLocked(Window& w, const std::optional<gdi::Region>& area, UINT flags, bool coveredFrame,
                  RedrawResult& result) {
  if (w.destroyed) return;
  result.affected.push_back(w.handle);
  const bool seen = CanBeSeen(w);
  const RECT client = ClientBounds(w);
  if ((flags & RDW_INVALIDATE) != 0) {
    // A window that cannot be seen gathers nothing: showing it repaints it whole.
    if (seen) {
      gdi::Region added =
          area ? gdi::Region::Combine(*area, gdi::Region(client), RGN_AND) : gdi::Region(client);
      bool owed = false;
      if (!added.IsEmpty()) {
        w.update = gdi::Region::Combine(w.update, added, RGN_OR);
        if ((flags & RDW_ERASE) != 0) w.erasePending = true;
        owed = true;
      }
      if (((flags & RDW_FRAME) != 0 || coveredFrame) && HasFrame(w)) {
        bool frame = !area;
        if (area) {
          gdi::Region outside = gdi::Region::Combine(*area, gdi::Region(client), RGN_DIFF);
          outside.IntersectWith(WindowBoundsInClient(w));
          frame = !outside.IsEmpty();
        }
        if (frame) {
          w.framePending = true;
          owed = true;
        }
      }
      if (owed) result.wake.push_back(w.threadId);
    }
  } else if ((flags & RDW_VALIDATE) != 0) {
    if (area) {
      w.update = gdi::Region::Combine(w.update, *area, RGN_DIFF);
    } else {
      w.update.SetEmpty();
    }
    if ((flags & RDW_NOFRAME) != 0) w.framePending = false;
  }
  // An internal paint needs no invalidation of its own.
  if ((flags & RDW_INTERNALPAINT) != 0 && seen && !w.internalPaint) {
    w.internalPaint = true;
    result.wake.push_back(w.threadId);
  }
  if ((flags & RDW_NOERASE) != 0) w.erasePending = false;
  if ((flags & RDW_NOINTERNALPAINT) != 0) w.internalPaint = false;
  if (w.update.IsEmpty()) {
    w.erasePending = false;
    w.eraseFailed = false;
  }
  if (!ChildrenFollow(w, flags)) return;
  const bool parentPaintsOver = (w.style & WS_CLIPCHILDREN) == 0;
  // Bottom sibling first, so that a later paint of a sibling above lands on top.
  std::vector<Window*> children(w.children.rbegin(), w.children.rend());
  for (Window* child : children) {
    if (child->destroyed) continue;
    gdi::Region part(child->window);
    if (area) part = gdi::Region::Combine(part, *area, RGN_AND);
    if (part.IsEmpty()) continue;
    part.Offset(-child->client.left, -child->client.top);
    // A child wholly covered gets the same treatment as a whole-window request.
    std::optional<gdi::Region> childArea;
    if (area) childArea = std::move(part);
    RedrawLocked(*child, childArea, flags, parentPaintsOver && (flags & RDW_INVALIDATE) != 0,
                 result);
  }
}

void WakeAll(std::vector<DWORD> threads) {
  std::sort(threads.begin(), threads.end());
  threads.erase(std::unique(threads.begin(), threads.end()), threads.end());
  for (DWORD thread : threads) WakeThread(thread);
}

// A region handle's region; none for a null or foreign handle.
std::optional<gdi::Region> RegionOf(HRGN region) {
  if (region == nullptr) return std::nullopt;
  auto object = gdi::Lookup<gdi::RegionObject>(region);
  if (!object) return std::nullopt;
  return object->region;
}

// Sends WM_ERASEBKGND through a DC clipped to the update region when one is owed.
void EraseNow(HWND window) {
  gdi::Region region;
  DWORD flags = 0;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr || !w->erasePending) return;
    w->erasePending = false;
    region = w->update;
    flags = ClientDcFlags(*w);
  }
  DcRequest request{window, flags, region, std::nullopt, false};
  HDC dc = CreateDcForWindow(request, DcKind::Paint);
  if (dc == nullptr) return;
  LRESULT erased = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  DeleteDcOfKind(dc, DcKind::Paint);
  std::lock_guard lock(UserLock());
  if (Window* w = FindWindowLocked(window)) w->eraseFailed = erased == 0;
}

void FrameNow(HWND window) {
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr || !w->framePending) return;
    w->framePending = false;
  }
  SendMessageA(window, WM_NCPAINT, 1, 0);
}

enum class Owed { ClientArea, Anything };

// One WM_PAINT when the window owes one; a handler that does not validate is not asked again.
void PaintNow(HWND window, Owed owed) {
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr || !CanBeSeen(*w)) return;
    bool due = owed == Owed::Anything ? OwesPaint(*w) : !w->update.IsEmpty();
    if (!due) return;
  }
  SendMessageA(window, WM_PAINT, 0, 0);
}

// The window and its descendants, parents first and siblings bottom first.
void CollectTreeLocked(const Window& w, std::vector<HWND>* out) {
  if (w.destroyed) return;
  out->push_back(w.handle);
  for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) CollectTreeLocked(**it, out);
}

std::vector<HWND> TreeOf(HWND window) {
  std::vector<HWND> tree;
  std::lock_guard lock(UserLock());
  if (Window* w = FindWindowLocked(window)) CollectTreeLocked(*w, &tree);
  return tree;
}

std::vector<HWND> TopLevelWindows() {
  std::lock_guard lock(UserLock());
  std::vector<HWND> out;
  for (const Window* w : State().topLevel) {
    if (!w->destroyed) out.push_back(w->handle);
  }
  return out;
}

HWND FindOwedLocked(const Window& w, DWORD threadId) {
  if (w.destroyed || (w.style & WS_VISIBLE) == 0) return nullptr;
  if (w.threadId == threadId && OwesPaint(w)) return w.handle;
  for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
    if (HWND found = FindOwedLocked(**it, threadId)) return found;
  }
  return nullptr;
}

BOOL RedrawOne(HWND window, const RECT* rect, HRGN region, UINT flags) {
  RedrawResult result;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    std::optional<gdi::Region> area = RegionOf(region);
    if (!area && rect != nullptr) area = gdi::Region(*rect);
    RedrawLocked(*w, area, flags, false, result);
  }
  WakeAll(std::move(result.wake));
  if ((flags & (RDW_UPDATENOW | RDW_ERASENOW)) != 0) {
    for (HWND affected : result.affected) {
      if ((flags & RDW_UPDATENOW) != 0) {
        PaintNow(affected, Owed::Anything);
      } else {
        FrameNow(affected);
        EraseNow(affected);
      }
    }
  }
  return TRUE;
}

// For the calls that name no window: the whole desktop, every top-level window.
void RedrawDesktop() {
  for (HWND top : TopLevelWindows()) {
    RedrawOne(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

}  // namespace

HWND FindPaintWindow(DWORD threadId, HWND filter) {
  // The "thread messages only" filter never matches a window.
  if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return nullptr;
  std::lock_guard lock(UserLock());
  if (filter != nullptr) {
    Window* w = FindWindowLocked(filter);
    if (w == nullptr || !CanBeSeen(*w)) return nullptr;
    return FindOwedLocked(*w, threadId);
  }
  for (const Window* top : State().topLevel) {
    if (top->minimized) continue;
    if (HWND found = FindOwedLocked(*top, threadId)) return found;
  }
  return nullptr;
}

void PaintTreeNow(HWND window) {
  for (HWND w : TreeOf(window)) PaintNow(w, Owed::Anything);
}

}  // namespace platform::user

using namespace platform::user;
namespace gdi = platform::gdi;

BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags) {
  if (window == nullptr) {
    // Desktop coordinates: each top-level window takes its own part.
    for (HWND top : TopLevelWindows()) {
      std::optional<gdi::Region> area;
      if (auto r = RegionOf(region)) {
        area = std::move(r);
      } else if (rect != nullptr) {
        area = gdi::Region(*rect);
      }
      if (!area) {
        RedrawOne(top, nullptr, nullptr, flags);
        continue;
      }
      POINT origin{0, 0};
      ClientToScreen(top, &origin);
      area->Offset(-origin.x, -origin.y);
      HRGN local = CreateRectRgn(0, 0, 0, 0);
      if (auto object = gdi::Lookup<gdi::RegionObject>(local)) object->region = *area;
      RedrawOne(top, nullptr, local, flags);
      DeleteObject(local);
    }
    return TRUE;
  }
  return RedrawOne(window, rect, region, flags);
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  if (window == nullptr) {
    RedrawDesktop();
    return TRUE;
  }
  return RedrawOne(window, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase) {
  if (window == nullptr) {
    RedrawDesktop();
    return TRUE;
  }
  // A handle that names no region would otherwise widen the request to the whole window.
  if (region != nullptr && !RegionOf(region)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return RedrawOne(window, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

// Validation leaves child windows alone: a parent that validates its own client area must
// not cancel the paint its children still owe. Validating everything also settles the frame
// and an internal paint, so a handler that validates without BeginPaint is not asked again.
BOOL ValidateRect(HWND window, const RECT* rect) {
  if (window == nullptr) {
    RedrawDesktop();
    return TRUE;
  }
  UINT flags = RDW_VALIDATE | RDW_NOCHILDREN;
  if (rect == nullptr) flags |= RDW_NOFRAME | RDW_NOINTERNALPAINT;
  return RedrawOne(window, rect, nullptr, flags);
}

BOOL ValidateRgn(HWND window, HRGN region) {
  if (window == nullptr) {
    RedrawDesktop();
    return TRUE;
  }
  if (region != nullptr && !RegionOf(region)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  UINT flags = RDW_VALIDATE | RDW_NOCHILDREN;
  if (region == nullptr) flags |= RDW_NOFRAME | RDW_NOINTERNALPAINT;
  return RedrawOne(window, nullptr, region, flags);
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase) {
  bool any = false;
  RECT bounds{0, 0, 0, 0};
  bool eraseOwed = false;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    any = !w->update.IsEmpty();
    if (any) bounds = w->update.Bounds();
    eraseOwed = any && w->erasePending;
  }
  if (erase && eraseOwed) EraseNow(window);
  if (rect != nullptr) *rect = bounds;
  return any ? TRUE : FALSE;
}

int GetUpdateRgn(HWND window, HRGN region, BOOL erase) {
  auto target = gdi::Lookup<gdi::RegionObject>(region);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  bool eraseOwed = false;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return ERROR;
    }
    target->region = w->update;
    eraseOwed = !w->update.IsEmpty() && w->erasePending;
  }
  if (erase && eraseOwed) EraseNow(window);
  return target->region.Complexity();
}

BOOL UpdateWindow(HWND window) {
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  for (HWND w : TreeOf(window)) PaintNow(w, Owed::ClientArea);
  // What UpdateWindow paints is on the screen when it returns. A caller that goes on working
  // without returning to its loop (a long run showing each step) counts on that; the screen
  // otherwise catches up only when the loop next idles.
  ActivePresenter().PumpNativeEvents();
  return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
  if (paint == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  FrameNow(window);
  gdi::Region region;
  bool erase = false;
  bool eraseFailed = false;
  DWORD flags = 0;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    region = gdi::Region::Combine(w->update, gdi::Region(ClientBounds(*w)), RGN_AND);
    erase = w->erasePending;
    eraseFailed = w->eraseFailed;
    w->update.SetEmpty();
    w->erasePending = false;
    w->eraseFailed = false;
    w->internalPaint = false;
    w->inPaint = true;
    flags = ClientDcFlags(*w);
  }
  std::memset(paint, 0, sizeof(*paint));
  if (!region.IsEmpty()) paint->rcPaint = region.Bounds();
  DcRequest request{window, flags, region, std::nullopt, false};
  HDC dc = CreateDcForWindow(request, DcKind::Paint);
  if (dc == nullptr) return nullptr;
  paint->hdc = dc;
  if (erase) {
    paint->fErase =
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0 ? TRUE : FALSE;
  } else {
    paint->fErase = eraseFailed ? TRUE : FALSE;
  }
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  if (paint == nullptr) return FALSE;
  DeleteDcOfKind(paint->hdc, DcKind::Paint);
  {
    std::lock_guard lock(UserLock());
    if (Window* w = FindWindowLocked(window)) w->inPaint = false;
  }
  NoteSurfaceChanged(window);
  return TRUE;
}
