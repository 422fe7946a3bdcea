// Helpers shared by the files that build, rearrange and describe the window tree. All of
// them expect UserLock to be held unless a comment says otherwise.
#pragma once

#include <memory>
#include <vector>

#include "platform/user/WindowManager.h"

namespace platform::user {

// Internal WINDOWPOS flags: the client area kept its place or its size, so the default
// WM_WINDOWPOSCHANGED handling can skip WM_MOVE or WM_SIZE.
constexpr UINT kSwpNoClientSize = 0x0800;
constexpr UINT kSwpNoClientMove = 0x1000;

// Largest coordinate and size we keep; beyond it WM_MOVE and WM_SIZE could not carry them.
constexpr int kMaxCoordinate = 32767;

// ---- Classes.cpp ----
// The class a window of `instance` would be created with: the program's classes first,
// then the built-in ones. `name` may be an atom (MAKEINTATOM).
std::shared_ptr<WindowClass> FindClassLocked(LPCSTR name, HINSTANCE instance);
bool IsAtomName(LPCSTR name);

// ---- Windows.cpp ----
std::shared_ptr<Window> SharedWindowLocked(HWND window);
// The siblings of a window in z-order (its parent's children or the top-level list).
std::vector<Window*>& SiblingsOf(Window& window);
// Places a window among its siblings: HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST or
// after a sibling. Returns true when its place or its topmost state changed.
bool PlaceInZOrder(Window& window, HWND insertAfter);
bool IsInSubtree(const Window& root, const Window* window);
// Marks visible geometry as changed (window DCs recompute their visible region).
void Touch();
// Tells the presenter about a top-level window; call without the lock.
void NotifyTopLevel(HWND topLevel);
int Clamp(int value, int low, int high);
// A 64-bit sum kept in the coordinate range.
int ClampedSum(int a, int b);

// ---- Focus.cpp ----
// Called without the lock. A window is being hidden or destroyed: the focus leaves it (to
// its parent when `toParent` and that parent can take it), and when it is the active
// window another top-level window of the thread is activated.
void FocusLeavesSubtree(HWND root, bool toParent);
void ActivateAnotherWindow(HWND leaving);
// Activates a top-level window; `how` is WA_ACTIVE or WA_CLICKACTIVE. Without the lock.
HWND ActivateTopLevel(HWND window, WORD how);

// ---- NonClient.cpp ----
bool HasMenuBar(const Window& window);
RECT InsetsOf(const Window& window);

}  // namespace platform::user
