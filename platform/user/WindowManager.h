// The in-process window manager's model: classes, windows, the window tree and the state
// every part of the user services shares (focus, capture, key state, the presenter).
//
// One recursive lock (UserLock) guards all of it. It is never held while a window
// procedure runs: code copies what it needs, releases the lock, then calls out. Window
// objects are owned by the handle table through shared_ptr, so a procedure that destroys
// its own window still runs on a live object; `destroyed` tells it the handle is gone.
//
// Lock order of the whole platform. A thread holding a lock may take only locks further
// down this list; locks on one line are never held together.
//   1. UserLock (this model).
//   2. The registry of message queues (MessageQueue.cpp).
//   3. The kernel wait lock, SyncMutex() (the state of events, semaphores, mutexes and
//      threads; kernel/Waitable.h). A wait that also watches a message queue looks at the
//      queue with it held.
//   4. One message queue's mutex (ThreadQueue::mutex); never two queues at once: a sender
//      and a receiver are locked one after the other.
//   5. Surface locks (gdi/SurfaceMutex.h). One primitive holds the surfaces it touches, at
//      most three, taken together by gdi/SurfaceLocks.h, which cannot deadlock however two
//      blits cross; nothing takes a second surface lock on its own while holding one.
//   6. GDI's own tables: the object handle table, bitmap selection and the font caches,
//      each held only for a lookup.
//   7. The wakers that a wait on the user-interface thread registers with the kernel wait
//      lock (kernel/Waitable.h), then the presenter slot (ActivePresenter), then the
//      presenter's own mutexes and SDL's event queue. They are reached from 3 (a change of
//      a kernel object wakes the user-interface thread) and from 5 (the first drawing on a
//      window surface since the screen last copied it tells the presenter), so presenters
//      never take any lock above them while holding one of their own.
// The window DC check before each primitive reads State().generation without any lock;
// only a DC whose window moved takes UserLock, before the primitive locks its surfaces.
//
// Coordinates: `window` and `client` are in the parent's client coordinates for child
// windows and in screen coordinates for top-level windows. Update regions are kept in the
// window's own client coordinates.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "platform/user32.h"

namespace platform::user {

class ThreadQueue;

struct WindowClass {
  std::string name;  // GBK, compared without regard to ASCII case
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;
  std::vector<uint8_t> classExtra;
  bool system = false;  // the built-in control classes: global, never unregistered
  int windowCount = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;       // GWLP_ID of a child window
  HMENU menu = nullptr;  // menu bar of a top-level window
  LONG_PTR userData = 0;
  std::vector<uint8_t> extra;  // cbWndExtra bytes
  std::string text;            // GBK
  std::vector<std::pair<std::string, HANDLE>> props;
  // What parts of the platform keep with a window (a control's state, the numbers of the
  // frame's scroll bars), one slot per kind of data (WindowSlot.h). Dropped right after
  // WM_NCDESTROY; a procedure still running holds its own reference.
  std::vector<std::pair<const void*, std::shared_ptr<void>>> slots;
  HICON iconBig = nullptr;
  HICON iconSmall = nullptr;

  Window* parent = nullptr;       // null for top-level windows (their parent is the desktop)
  Window* owner = nullptr;        // top-level windows only
  std::vector<Window*> children;  // z-order, topmost first

  RECT window{};  // window rectangle, parent-client (child) or screen (top-level) coordinates
  RECT client{};  // client rectangle, same coordinates

  DWORD threadId = 0;
  std::shared_ptr<ThreadQueue> queue;

  // Painting state.
  gdi::Region update;          // client coordinates
  bool erasePending = false;   // WM_ERASEBKGND owed by the next BeginPaint
  bool framePending = false;   // WM_NCPAINT owed
  bool internalPaint = false;  // RDW_INTERNALPAINT: WM_PAINT owed even with an empty region
  bool inPaint = false;        // between BeginPaint and EndPaint
  bool eraseFailed = false;    // WM_ERASEBKGND sent early returned 0: BeginPaint reports fErase
  std::shared_ptr<gdi::Surface> surface;  // top-level windows: frame, client and children

  // Show state.
  bool minimized = false;
  bool maximized = false;
  RECT normalRect{};              // where SW_RESTORE puts a minimised or maximised window
  bool restoreMaximized = false;  // minimised from the maximised state: SW_RESTORE maximises

  bool created = false;          // WM_NCCREATE accepted
  bool destroying = false;       // DestroyWindow under way
  bool destroyNotified = false;  // WM_DESTROY sent (once, however destroys nest)
  bool destroyed = false;        // handle released; the object may still be referenced

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  bool IsTopLevel() const { return parent == nullptr; }
};

// Global state of the user services.
struct WindowManagerState {
  std::recursive_mutex lock;
  std::vector<std::shared_ptr<WindowClass>> classes;
  // Top-level windows in z-order, topmost first (WS_EX_TOPMOST windows before the rest).
  std::vector<Window*> topLevel;
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND foreground = nullptr;
  HWND capture = nullptr;
  HCURSOR cursor = nullptr;
  POINT cursorPos{0, 0};
  std::array<BYTE, 256> keyState{};  // bit 7 down, bit 0 toggled
  // Bumped (under the lock) whenever the tree, a position, a style, the visibility or the
  // surface of a window changes, so that window DCs know when to recompute their visible
  // region. Read without the lock by a window DC before each primitive: while it has not
  // moved, the DC draws with what it worked out last time.
  std::atomic<uint64_t> generation{1};
};

WindowManagerState& State();
std::recursive_mutex& UserLock();

// ---- Handles and the tree (Windows.cpp) ----------------------------------------------

// The window behind a handle; null for dead or foreign handles. Takes the lock itself.
std::shared_ptr<Window> LookupWindow(HWND window);
// The same, with UserLock already held.
Window* FindWindowLocked(HWND window);
// The top-level window that holds `window` (itself when top-level).
Window* TopLevelOf(Window* window);
// Visible means the window and all its ancestors have WS_VISIBLE.
bool IsReallyVisible(const Window& window);
// The window rectangle and client rectangle in screen coordinates.
RECT WindowRectOnScreen(const Window& window);
RECT ClientRectOnScreen(const Window& window);
// Where the window's top-left corner lies in its top-level window's surface.
POINT OffsetInTopLevel(const Window& window);
// All windows of a thread, parents before children (for paint and timer searches).
std::vector<HWND> WindowsOfThread(DWORD threadId);
// The window the mouse is over at a screen point (visible, enabled or not), deepest child.
Window* WindowAtPoint(POINT screen);
// The desktop window: a live handle whose window and client rectangles are the screen. It
// is never in State().topLevel and has no surface; top-level windows keep parent == null.
HWND DesktopHandle();
bool IsDesktop(const Window& window);

// ---- Classes (Classes.cpp) ------------------------------------------------------------

// Registers a built-in control class: global to the process, found after the program's own
// classes of the same name, never unregistered. Returns its atom (0 if the name is taken).
ATOM RegisterSystemClass(const WNDCLASSEXA& wndClass);

// ---- Non-client area (NonClient.cpp) --------------------------------------------------

// Frame thickness on each side for a style: left, top (border + caption + menu bar),
// right, bottom.
RECT NonClientInsets(DWORD style, DWORD exStyle, bool hasMenu);
// The default WM_NCHITTEST answer for a screen point.
LRESULT NonClientHitTest(HWND window, POINT screen);
// Draws the frame (borders, caption, buttons) into a DC whose origin is the window's
// top-left corner; `active` picks the active or inactive colours.
void PaintNonClient(HWND window, HDC windowDC, bool active);

// ---- Painting (WindowDC.cpp, Painting.cpp) -------------------------------------------

// Gives a top-level window a surface the size of its window rectangle (none while that is
// empty), keeping the pixels that still fit. Called after a top-level window is created or
// resized; takes the lock itself.
void SyncSurfaceSize(Window& topLevel);
// The default WM_PRINT: asks the window to draw itself into `dc` as `flags` (PRF_*) say,
// its frame copied from its surface, then WM_ERASEBKGND, WM_PRINTCLIENT and WM_PRINT to its
// children, each with the DC's origin moved to where it belongs.
void PrintWindowTree(HWND window, HDC dc, LPARAM flags);

// ---- Focus and activation (Focus.cpp) -------------------------------------------------

// A mouse button went down on `window` and WM_MOUSEACTIVATE allowed activation: activates
// its top-level window (WA_CLICKACTIVE) and brings it to the top.
void ActivateFromClick(HWND window);

}  // namespace platform::user
