// Velmora started as the executable starts it, with a watcher thread that notes when each
// window of the start sequence first shows and moves the sequence on at once: it clicks the
// splash picture and closes the web page window, so that what is measured is the program's
// own work and not the splash's timers or a reader's pause. Each mark is written to stdout as
// "<name> <CLOCK_MONOTONIC ns>"; after the home window has shown the process ends.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/program/VelmoraProgram.h"
#include "platform/user32.h"

namespace {

long long Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void Mark(const char* name) {
  std::printf("%s %lld\n", name, Now());
  std::fflush(stdout);
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM list) {
  if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string Title(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void ClickMiddle(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  POINT middle{r.right / 2, r.bottom / 2};
  HWND target = ChildWindowFromPoint(window, middle);
  if (target == nullptr) target = window;
  MapWindowPoints(window, target, &middle, 1);
  const LPARAM at = MAKELPARAM(middle.x, middle.y);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(target, WM_LBUTTONUP, 0, at);
}

// Splash (no title), then the web page window (no title), then the home window ("Velmora").
void Watch() {
  HWND splash = nullptr;
  HWND page = nullptr;
  for (;;) {
    for (HWND window : VisibleWindows()) {
      const bool home = Title(window) == "Velmora";
      if (home) {
        Mark("home");
        std::_Exit(0);
      }
      if (splash == nullptr) {
        splash = window;
        Mark("splash");
        ClickMiddle(splash);
      } else if (window != splash && page == nullptr && IsWindow(window)) {
        page = window;
        Mark("webpage");
        PostMessageA(page, WM_CLOSE, 0, 0);
      }
    }
    usleep(100);
  }
}

}  // namespace

int main() {
  std::thread(Watch).detach();
  return app::RunVelmora();
}
