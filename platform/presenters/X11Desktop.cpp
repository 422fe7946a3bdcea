// Kept apart from the presenter: Xlib's headers define macros (None, Bool, Status) that
// collide with ordinary names elsewhere.
#include "platform/presenters/X11Desktop.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace platform::user {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
bool X11Info(SDL_Window* window, SDL_SysWMinfo* info) {
  if (window == nullptr) return false;
  SDL_VERSION(&info->version);
  return SDL_GetWindowWMInfo(window, info) == SDL_TRUE && info->subsystem == SDL_SYSWM_X11;
}
#endif

}  // namespace

bool DesktopHasWindowManager(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11Info(window, &info)) return true;
  Display* display = info.info.x11.display;
  // Every window manager of the last twenty years names its check window on the root.
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &after, &data);
  const bool present = status == Success && type == XA_WINDOW && format == 32 && count == 1;
  if (data != nullptr) XFree(data);
  return present;
#else
  (void)window;
  return true;
#endif
}

bool HoldsDesktopFocus(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11Info(window, &info)) return false;
  ::Window focus = 0;
  int revert = 0;
  XGetInputFocus(info.info.x11.display, &focus, &revert);
  return focus == info.info.x11.window;
#else
  (void)window;
  return false;
#endif
}

}  // namespace platform::user
