// Window DCs: views of a top-level window's surface clipped to what the window may draw on,
// the surfaces themselves, PrintWindow, WM_PRINT delivery and ScrollWindow.
#include "platform/user/WindowDC.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/kernel32.h"
#include "platform/user/Presenter.h"

namespace platform::user {

namespace {

RECT OffsetRect(RECT r, POINT by) {
  return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y};
}

POINT ClientOriginLocked(const Window& window);

POINT WindowOriginLocked(const Window& window) {
  if (window.parent == nullptr) return {0, 0};
  POINT p = ClientOriginLocked(*window.parent);
  return {p.x + window.window.left, p.y + window.window.top};
}

POINT ClientOriginLocked(const Window& window) {
  POINT o = WindowOriginLocked(window);
  return {o.x + window.client.left - window.window.left,
          o.y + window.client.top - window.window.top};
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

const Window* RootOf(const Window& window) {
  const Window* top = &window;
  while (top->parent != nullptr) top = top->parent;
  return top;
}

struct DcRecord {
  HWND window = nullptr;
  DcKind kind = DcKind::Window;
  // The handle names this DC only while the object is alive; a handle that the program
  // deleted itself may name something else later.
  std::weak_ptr<gdi::GdiObject> object;
};

std::unordered_map<HDC, DcRecord>& DcTable() {
  static auto* table = new std::unordered_map<HDC, DcRecord>;
  return *table;
}

std::optional<DcRecord> FindDcRecordLocked(HDC dc) {
  auto& table = DcTable();
  auto it = table.find(dc);
  if (it == table.end()) return std::nullopt;
  std::shared_ptr<gdi::GdiObject> live = gdi::LookupObject(dc);
  if (!live || live != it->second.object.lock()) {
    table.erase(it);
    return std::nullopt;
  }
  return it->second;
}

// What a DC of a window currently shows: recomputed when the tree changed since. The
// fields are atomic because the check before each primitive reads them without UserLock.
struct DcBinding {
  DcRequest request;
  std::atomic<uint64_t> generation{0};
  std::atomic<const gdi::Surface*> surface{nullptr};

  // Nothing that could change what the DC shows happened since it was last brought up to
  // date. A move that starts right after this look is drawn after, as if the primitive had
  // come just before it.
  bool Current(const gdi::DeviceContext& dc) const {
    const gdi::Surface* s = surface.load(std::memory_order_relaxed);
    return s != nullptr && s == dc.surface.get() &&
           generation.load(std::memory_order_relaxed) ==
               State().generation.load(std::memory_order_acquire);
  }
};

// Brings the DC up to date with its window.
void RefreshLocked(DcBinding& binding, gdi::DeviceContext& dc) {
  Window* window = FindWindowLocked(binding.request.window);
  if (window == nullptr || window->destroyed) {
    // Drawing through a DC of a destroyed window lands nowhere.
    dc.visible = gdi::Region();
    binding.surface = nullptr;
    return;
  }
  const Window* top = RootOf(*window);
  const uint64_t generation = State().generation.load();
  if (binding.generation == generation && binding.surface == top->surface.get() &&
      binding.surface == dc.surface.get()) {
    return;
  }
  const DcRequest& request = binding.request;
  const bool windowArea = (request.flags & DCX_WINDOW) != 0;
  POINT origin = windowArea ? WindowOriginLocked(*window) : ClientOriginLocked(*window);
  gdi::Region visible = VisibleRegionLocked(*window, request.flags);
  if (request.clientClip) {
    gdi::Region clip = *request.clientClip;
    POINT client = ClientOriginLocked(*window);
    clip.Offset(client.x, client.y);
    visible = gdi::Region::Combine(visible, clip, RGN_AND);
  }
  if (request.screenClip) {
    gdi::Region clip = *request.screenClip;
    clip.Offset(-top->window.left, -top->window.top);
    visible = gdi::Region::Combine(visible, clip, request.excludeScreenClip ? RGN_DIFF : RGN_AND);
  }
  dc.surface = top->surface;
  dc.surfaceOrigin = origin;
  // The whole surface needs no region: primitives take a faster path without one.
  if (top->surface && visible.Complexity() == SIMPLEREGION &&
      SameRect(visible.Bounds(), RECT{0, 0, top->surface->width(), top->surface->height()})) {
    dc.visible.reset();
  } else {
    dc.visible = std::move(visible);
  }
  binding.surface = top->surface.get();
  binding.generation = generation;
}

HWND TopLevelHandleLocked(HWND window) {
  Window* w = FindWindowLocked(window);
  return w != nullptr ? RootOf(*w)->handle : nullptr;
}

}  // namespace

RECT WindowRectInSurfaceLocked(const Window& window) {
  return OffsetRect(
      {0, 0, window.window.right - window.window.left, window.window.bottom - window.window.top},
      WindowOriginLocked(window));
}

RECT ClientRectInSurfaceLocked(const Window& window) {
  return OffsetRect(
      {0, 0, window.client.right - window.client.left, window.client.bottom - window.client.top},
      ClientOriginLocked(window));
}

gdi::Region VisibleRegionLocked(const Window& window, DWORD flags) {
  const Window* top = RootOf(window);
  if (window.destroyed || !IsReallyVisible(window) || top->minimized) return gdi::Region();
  if ((flags & DCX_PARENTCLIP) != 0 && window.parent != nullptr) {
    // The parent's visible region, whatever the parent's own child clipping says.
    const Window& parent = *window.parent;
    return VisibleRegionLocked(parent,
                               (parent.style & WS_CLIPSIBLINGS) != 0 ? DCX_CLIPSIBLINGS : 0);
  }
  gdi::Region visible((flags & DCX_WINDOW) != 0 ? WindowRectInSurfaceLocked(window)
                                                : ClientRectInSurfaceLocked(window));
  for (const Window* a = window.parent; a != nullptr; a = a->parent) {
    visible.IntersectWith(ClientRectInSurfaceLocked(*a));
  }
  if ((flags & DCX_CLIPCHILDREN) != 0) {
    for (const Window* child : window.children) {
      if ((child->style & WS_VISIBLE) != 0 && !child->destroyed) {
        visible.Subtract(WindowRectInSurfaceLocked(*child));
      }
    }
  }
  // Siblings above this window (and above each clipping ancestor) keep their pixels.
  bool clipSiblings = (flags & DCX_CLIPSIBLINGS) != 0;
  for (const Window* w = &window; w->parent != nullptr && !visible.IsEmpty(); w = w->parent) {
    if (clipSiblings) {
      for (const Window* sibling : w->parent->children) {
        if (sibling == w) break;
        if ((sibling->style & WS_VISIBLE) != 0 && !sibling->destroyed) {
          visible.Subtract(WindowRectInSurfaceLocked(*sibling));
        }
      }
    }
    clipSiblings = (w->parent->style & WS_CLIPSIBLINGS) != 0;
  }
  return visible;
}

DWORD ClientDcFlags(const Window& window) {
  DWORD flags = 0;
  if ((window.style & WS_CLIPCHILDREN) != 0) flags |= DCX_CLIPCHILDREN;
  if ((window.style & WS_CLIPSIBLINGS) != 0) flags |= DCX_CLIPSIBLINGS;
  return flags;
}

HDC CreateDcForWindow(const DcRequest& request, DcKind kind) {
  HDC dc = nullptr;
  {
    std::lock_guard lock(UserLock());
    Window* window = FindWindowLocked(request.window);
    if (window == nullptr || window->destroyed) return nullptr;
    auto binding = std::make_shared<DcBinding>();
    binding->request = request;
    // The hook runs before every primitive: it follows moves, restacking and destruction.
    // What is drawn reaches the presenter through the surface's record of drawn areas.
    dc = gdi::CreateWindowDC(nullptr, {0, 0}, gdi::Region(), [binding](gdi::DeviceContext& target) {
      if (binding->Current(target)) return;
      std::lock_guard inner(UserLock());
      RefreshLocked(*binding, target);
    });
    if (dc == nullptr) return nullptr;
    RegisterDc(dc, request.window, kind);
  }
  // Brings surface, origin and visible region in before the first attribute call.
  gdi::LookupDC(dc);
  return dc;
}

void RegisterDc(HDC dc, HWND window, DcKind kind) {
  std::lock_guard lock(UserLock());
  DcTable()[dc] = DcRecord{window, kind, gdi::LookupObject(dc)};
}

bool DeleteDcOfKind(HDC dc, DcKind kind) {
  HWND window = nullptr;
  {
    std::lock_guard lock(UserLock());
    std::optional<DcRecord> record = FindDcRecordLocked(dc);
    if (!record || record->kind != kind) return false;
    DcTable().erase(dc);
    window = record->window;
  }
  DeleteDC(dc);
  if (kind != DcKind::Screen) NoteSurfaceChanged(window);
  return true;
}

void NoteSurfaceChanged(HWND window) {
  HWND top = nullptr;
  {
    std::lock_guard lock(UserLock());
    top = TopLevelHandleLocked(window);
  }
  if (top != nullptr) ActivePresenter().TopLevelChanged(top);
}

void SyncSurfaceSize(Window& topLevel) {
  {
    std::lock_guard lock(UserLock());
    if (!topLevel.IsTopLevel() || topLevel.destroyed) return;
    int width = topLevel.window.right - topLevel.window.left;
    int height = topLevel.window.bottom - topLevel.window.top;
    const std::shared_ptr<gdi::Surface>& old = topLevel.surface;
    if (old && old->width() == width && old->height() == height) return;
    std::shared_ptr<gdi::Surface> fresh;
    if (width > 0 && height > 0) fresh = gdi::Surface::Create(width, height, 32, true);
    if (fresh) {
      // Runs with the surface's lock held, from whichever thread drew.
      fresh->TrackDamage([window = topLevel.handle] { ActivePresenter().TopLevelChanged(window); });
    }
    if (fresh && old && old->bitCount() == 32) {
      std::lock_guard pixels(old->lock());
      int rows = std::min(height, old->height());
      size_t bytes = static_cast<size_t>(std::min(width, old->width())) * 4;
      for (int y = 0; y < rows; ++y) std::memcpy(fresh->Row(y), old->Row(y), bytes);
    }
    topLevel.surface = std::move(fresh);
    // Window DCs still point at the old surface.
    ++State().generation;
  }
  ActivePresenter().TopLevelChanged(topLevel.handle);
}

}  // namespace platform::user

using namespace platform::user;
namespace gdi = platform::gdi;

HDC GetDC(HWND window) {
  if (window == nullptr) return CreateScreenDc();
  DcRequest request;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    request.window = window;
    request.flags = ClientDcFlags(*w);
  }
  return CreateDcForWindow(request, DcKind::Window);
}

HDC GetWindowDC(HWND window) {
  if (window == nullptr) return CreateScreenDc();
  DcRequest request;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    request.window = window;
    request.flags = DCX_WINDOW | ((w->style & WS_CLIPSIBLINGS) != 0 ? DCX_CLIPSIBLINGS : 0);
  }
  return CreateDcForWindow(request, DcKind::Window);
}

HDC GetDCEx(HWND window, HRGN clip, DWORD flags) {
  if (window == nullptr) return CreateScreenDc();
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  DcRequest request;
  request.window = window;
  request.flags = flags & (DCX_WINDOW | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS | DCX_PARENTCLIP);
  if ((flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)) != 0) {
    // The region stays the caller's: we work on a copy. A handle that names no region (the
    // "whole window" value 1 that WM_NCPAINT carries, for one) restricts nothing.
    if (auto region = gdi::Lookup<gdi::RegionObject>(clip)) {
      request.screenClip = region->region;
      request.excludeScreenClip = (flags & DCX_EXCLUDERGN) != 0 && (flags & DCX_INTERSECTRGN) == 0;
    }
  }
  return CreateDcForWindow(request, DcKind::Window);
}

int ReleaseDC(HWND, HDC dc) {
  // Only DCs from the GetDC family are released here; BeginPaint's belongs to EndPaint.
  if (DeleteDcOfKind(dc, DcKind::Window) || DeleteDcOfKind(dc, DcKind::Screen)) return 1;
  return 0;
}

HWND WindowFromDC(HDC dc) {
  DcKind kind;
  HWND window;
  {
    std::lock_guard lock(UserLock());
    auto record = FindDcRecordLocked(dc);
    if (!record) return nullptr;
    kind = record->kind;
    window = record->window;
  }
  return kind == DcKind::Screen ? GetDesktopWindow() : window;
}

namespace {

// A DC over the given rectangle of a surface with nothing else clipped: the pixels as they
// are, for copying out.
HDC SurfaceReadDc(const std::shared_ptr<gdi::Surface>& surface, POINT origin) {
  return gdi::CreateWindowDC(surface, origin, std::nullopt, nullptr);
}

bool IsDc(HDC dc) {
  std::shared_ptr<gdi::GdiObject> object = gdi::LookupObject(dc);
  return object && object->Kind() == gdi::GdiKind::DC;
}

}  // namespace

BOOL PrintWindow(HWND window, HDC dc, UINT flags) {
  if (!IsWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!IsDc(dc)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Paints still owed would otherwise be missing from the copy.
  PaintTreeNow(window);
  std::shared_ptr<gdi::Surface> surface;
  RECT area{};
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    const Window* top = w;
    while (top->parent != nullptr) top = top->parent;
    surface = top->surface;
    area = (flags & PW_CLIENTONLY) != 0 ? ClientRectInSurfaceLocked(*w)
                                        : WindowRectInSurfaceLocked(*w);
  }
  if (!surface || area.right <= area.left || area.bottom <= area.top) return TRUE;
  HDC source = SurfaceReadDc(surface, {area.left, area.top});
  if (source == nullptr) return FALSE;
  BOOL copied =
      BitBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, source, 0, 0, SRCCOPY);
  DeleteDC(source);
  return copied;
}

namespace platform::user {

void PrintWindowTree(HWND window, HDC dc, LPARAM flags) {
  if (!IsDc(dc)) return;
  if ((flags & PRF_CHECKVISIBLE) != 0 && !IsWindowVisible(window)) return;
  std::shared_ptr<gdi::Surface> surface;
  RECT windowArea{};
  POINT clientOffset{};
  SIZE clientSize{};
  bool framePending = false;
  std::vector<std::pair<HWND, POINT>> children;  // bottom first, with their offsets
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) return;
    const Window* top = RootOf(*w);
    surface = top->surface;
    windowArea = WindowRectInSurfaceLocked(*w);
    clientOffset = {w->client.left - w->window.left, w->client.top - w->window.top};
    clientSize = {w->client.right - w->client.left, w->client.bottom - w->client.top};
    framePending = w->framePending;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
      if (((*it)->style & WS_VISIBLE) == 0 || (*it)->destroyed) continue;
      children.emplace_back((*it)->handle, POINT{(*it)->window.left, (*it)->window.top});
    }
  }
  if ((flags & PRF_NONCLIENT) != 0) {
    // The frame is drawn by us into the surface: bring it up to date and copy it around
    // the client area.
    if (framePending) {
      {
        std::lock_guard lock(UserLock());
        if (Window* w = FindWindowLocked(window)) w->framePending = false;
      }
      SendMessageA(window, WM_NCPAINT, 1, 0);
    }
    if (surface && windowArea.right > windowArea.left && windowArea.bottom > windowArea.top) {
      HDC source = SurfaceReadDc(surface, {windowArea.left, windowArea.top});
      if (source != nullptr) {
        int saved = SaveDC(dc);
        ExcludeClipRect(dc, clientOffset.x, clientOffset.y, clientOffset.x + clientSize.cx,
                        clientOffset.y + clientSize.cy);
        BitBlt(dc, 0, 0, windowArea.right - windowArea.left, windowArea.bottom - windowArea.top,
               source, 0, 0, SRCCOPY);
        RestoreDC(dc, saved);
        DeleteDC(source);
      }
    }
  }
  if ((flags & (PRF_ERASEBKGND | PRF_CLIENT | PRF_CHILDREN)) == 0) return;
  POINT old{};
  OffsetViewportOrgEx(dc, clientOffset.x, clientOffset.y, &old);
  if ((flags & PRF_ERASEBKGND) != 0)
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  if ((flags & PRF_CLIENT) != 0)
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
  if ((flags & PRF_CHILDREN) != 0) {
    for (const auto& [child, at] : children) {
      if (!IsWindow(child)) continue;
      POINT before{};
      OffsetViewportOrgEx(dc, at.x, at.y, &before);
      SendMessageA(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags);
      SetViewportOrgEx(dc, before.x, before.y, nullptr);
    }
  }
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

}  // namespace platform::user

BOOL ScrollWindow(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip) {
  gdi::Region invalid;
  std::vector<std::pair<HWND, RECT>> children;
  {
    std::lock_guard lock(UserLock());
    Window* w = FindWindowLocked(window);
    if (w == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    const RECT client{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
    gdi::Region source(client);
    if (scroll != nullptr) source.IntersectWith(*scroll);
    gdi::Region allowed(client);
    if (clip != nullptr) allowed.IntersectWith(*clip);
    // Client coordinates from here on; the surface is reached through the client origin.
    gdi::Region visible = VisibleRegionLocked(*w, ClientDcFlags(*w));
    const POINT origin = ClientOriginLocked(*w);
    visible.Offset(-origin.x, -origin.y);

    gdi::Region moved = gdi::Region::Combine(source, visible, RGN_AND);
    moved.Offset(dx, dy);
    moved = gdi::Region::Combine(moved, allowed, RGN_AND);
    moved = gdi::Region::Combine(moved, visible, RGN_AND);

    const Window* top = RootOf(*w);
    if (top->surface && !moved.IsEmpty() && (dx != 0 || dy != 0)) {
      gdi::Surface& surface = *top->surface;
      std::lock_guard pixels(surface.lock());
      // The source rectangle is copied out first: source and destination overlap.
      RECT from = moved.Bounds();
      from = {from.left - dx, from.top - dy, from.right - dx, from.bottom - dy};
      const int width = from.right - from.left;
      std::vector<uint32_t> copy(static_cast<size_t>(width) * (from.bottom - from.top));
      for (int y = from.top; y < from.bottom; ++y) {
        std::memcpy(&copy[static_cast<size_t>(y - from.top) * width],
                    surface.Row(y + origin.y) + static_cast<size_t>(from.left + origin.x) * 4,
                    static_cast<size_t>(width) * 4);
      }
      for (const RECT& r : moved.rects()) {
        for (int y = r.top; y < r.bottom; ++y) {
          const uint32_t* src =
              &copy[static_cast<size_t>(y - dy - from.top) * width + (r.left - dx - from.left)];
          std::memcpy(surface.Row(y + origin.y) + static_cast<size_t>(r.left + origin.x) * 4, src,
                      static_cast<size_t>(r.right - r.left) * 4);
        }
      }
      const RECT b = moved.Bounds();
      surface.NoteDrawn(
          {b.left + origin.x, b.top + origin.y, b.right + origin.x, b.bottom + origin.y});
    }
    // What was uncovered, and what could not be copied because its source was hidden.
    gdi::Region target = source;
    target.Offset(dx, dy);
    target = gdi::Region::Combine(target, source, RGN_OR);
    target = gdi::Region::Combine(target, allowed, RGN_AND);
    invalid = gdi::Region::Combine(target, moved, RGN_DIFF);
    // Pending paint moves with the pixels it belongs to (kept where it was as well: painting
    // twice is harmless, painting never is not).
    gdi::Region pending = gdi::Region::Combine(w->update, source, RGN_AND);
    pending.Offset(dx, dy);
    pending = gdi::Region::Combine(pending, allowed, RGN_AND);
    invalid = gdi::Region::Combine(invalid, pending, RGN_OR);
    if (scroll == nullptr) {
      for (const Window* child : w->children) {
        if (!child->destroyed) children.emplace_back(child->handle, child->window);
      }
    }
  }
  NoteSurfaceChanged(window);
  if (!invalid.IsEmpty()) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (auto object = gdi::Lookup<gdi::RegionObject>(region)) object->region = invalid;
    RedrawWindow(window, nullptr, region, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
    DeleteObject(region);
  }
  // Scrolling the whole client area carries the child windows along.
  for (const auto& [child, at] : children) {
    SetWindowPos(child, nullptr, at.left + dx, at.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return TRUE;
}
