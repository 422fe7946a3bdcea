// The little the SDL presenter must ask the X server itself: whether a window manager runs
// (it then moves, stacks and iconifies windows; without one we do all of that ourselves)
// and whether one of our windows holds the keyboard focus.
#pragma once

struct SDL_Window;

namespace platform::user {

// True when the window's display has a window manager. Displays other than X (a Wayland
// compositor) always manage their windows.
bool DesktopHasWindowManager(SDL_Window* window);

// True when the X keyboard focus is on this window. On displays other than X the desktop
// hands focus back by itself, so the answer there is false.
bool HoldsDesktopFocus(SDL_Window* window);

}  // namespace platform::user
