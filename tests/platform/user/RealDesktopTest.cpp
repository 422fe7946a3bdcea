// Our windows on a real X server, driven by real X input (xdotool), with and without a
// window manager: what a person does with them must work either way. Each case runs in a
// child process with a private server of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/presenters/ProgramPresenter.h"
#include "platform/presenters/SdlPresenter.h"
#include "platform/user/Presenter.h"
#include "platform/user32.h"
#include "tests/platform/user/XServerTestSupport.h"

// Last: Xlib's macros (None, Bool, Status) would spoil the headers above.
#include <X11/Xlib.h>

namespace platform::user {
namespace {

constexpr const char* kFrameClass = "RealDesktopFrame";
constexpr UINT kTakeFocus = WM_APP;
std::atomic<WPARAM> g_lastKey{0};  // the last WM_KEYDOWN a frame received

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) g_lastKey = wParam;
  if (message == kTakeFocus) {
    SetFocus(window);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Waits on the program's state from its own thread, pumping meanwhile.
bool Until(const std::function<bool()>& done) {
  return WaitFor(done, Pump);
}
// Waits on what X shows from the script's thread, which must not pump.
bool Sees(const std::function<bool()>& done) {
  return WaitFor(done, [] {});
}

// Plays a person's part: `script` runs on a thread of its own, giving real X input and
// waiting for what the screen shows, while this thread runs the program's loop (menus and
// move loops run their own loops inside a press, as they do for a person).
int Drive(const std::string& display, const std::function<int(Display*)>& script) {
  std::atomic<bool> done{false};
  int result = 0;
  std::thread person([&] {
    Display* x = XOpenDisplay(display.c_str());
    result = x != nullptr ? script(x) : 90;
    // A failed step may leave a menu or a list open, whose loop would never end.
    if (result != 0) Xdotool({"key", "Escape", "Escape", "Escape"});
    if (x != nullptr) XCloseDisplay(x);
    done = true;
  });
  const bool ended = WaitFor([&] { return done.load(); }, Pump, 30000);
  person.join();
  return ended ? result : 91;
}

std::string Num(LONG value) {
  return std::to_string(value);
}
bool Click(POINT p) {
  return Xdotool({"mousemove", Num(p.x), Num(p.y), "click", "1"});
}

// A person's double click: the button stays down for a moment each time, as window
// managers expect of a press that may start a drag.
bool DoubleClick(POINT p) {
  return Xdotool({"mousemove", Num(p.x), Num(p.y), "mousedown", "1", "sleep", "0.08", "mouseup",
                  "1", "sleep", "0.08", "mousedown", "1", "sleep", "0.08", "mouseup", "1"});
}

HWND Frame(const char* title, DWORD style, RECT r) {
  return CreateWindowExA(0, kFrameClass, title, style | WS_VISIBLE, r.left, r.top, r.right - r.left,
                         r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool ShownAt(HWND window, RECT expected) {
  RECT actual{};
  return NativeWindowRect(window, &actual) && Same(actual, expected);
}

POINT ClientPoint(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return p;
}

// On the caption, clear of the caption buttons.
POINT CaptionPoint(HWND window) {
  const RECT r = WindowRect(window);
  return POINT{r.left + 60, r.top + 18};
}

POINT CaptionButton(HWND window, LRESULT which) {
  const RECT r = WindowRect(window);
  for (LONG x = r.right - 1; x > r.left; --x) {
    const POINT p{x, r.top + 18};
    if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == which)
      return POINT{x - 6, p.y};
  }
  return POINT{-1, -1};
}

int Viewable(Display* x) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
  int viewable = 0;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (XGetWindowAttributes(x, children[i], &a) != 0 && a.map_state == IsViewable && a.width > 1)
      ++viewable;
  }
  if (children != nullptr) XFree(children);
  return viewable;
}

// The X stacking position of the top-level window titled `name` (0 is the bottom), seen
// through any frame a window manager put around it; -1 when it is not mapped.
int StackingIndex(Display* x, const std::string& name) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count) == 0) return -1;
  std::function<bool(::Window)> holds = [&](::Window w) {
    char* title = nullptr;
    if (XFetchName(x, w, &title) != 0 && title != nullptr) {
      const bool same = name == title;
      XFree(title);
      if (same) return true;
    }
    ::Window r = 0, p = 0, *kids = nullptr;
    unsigned int n = 0;
    bool found = false;
    if (XQueryTree(x, w, &r, &p, &kids, &n) != 0) {
      for (unsigned int i = 0; i < n && !found; ++i) found = holds(kids[i]);
      if (kids != nullptr) XFree(kids);
    }
    return found;
  };
  int index = -1;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(x, children[i], &attributes) != 0 &&
        attributes.map_state == IsViewable && holds(children[i])) {
      index = static_cast<int>(i);
    }
  }
  if (children != nullptr) XFree(children);
  return index;
}

bool WindowManagerAnnounced(const std::string& display) {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return false;
  const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
  const bool up = WaitFor(
      [&] {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        if (data != nullptr) XFree(data);
        return count == 1;
      },
      [] {}, 5000);
  XCloseDisplay(x);
  return up;
}

// The frame takes the focus back (from the script's thread, through its queue), then a
// key typed on the X server must arrive.
bool KeyReaches(HWND frame, const char* key, WPARAM expected) {
  SendMessageA(frame, kTakeFocus, 0, 0);
  g_lastKey = 0;
  return Xdotool({"key", key}) && Sees([&] { return g_lastKey == expected; });
}

// After a drop-down list or a menu closes, typing still reaches the program: the X focus
// the popup had goes back to the window it belongs to.
int KeyboardComesBackAfterPopups(const std::string& display) {
  HWND frame = Frame("Popups", WS_CAPTION | WS_SYSMENU, RECT{100, 80, 500, 380});
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 1, "One");
  AppendMenuA(file, MF_STRING, 2, "Two");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "File");
  SetMenu(frame, bar);
  HWND combo =
      CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 10,
                      10, 150, 120, frame, nullptr, nullptr, nullptr);
  for (const char* item : {"Kodachrome", "Tri-X", "Velvia"}) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  if (!Until([&] { return ShownAt(frame, RECT{100, 80, 500, 380}); })) return 10;
  const POINT comboAt = ClientPoint(frame, 80, 20), itemAt = ClientPoint(frame, 40, 55);
  const RECT outer = WindowRect(frame);
  const POINT menuAt{outer.left + 20, (outer.top + 30 + ClientPoint(frame, 0, 0).y) / 2};
  const int result = Drive(display, [&](Display* x) {
    const int alone = Viewable(x);
    if (!KeyReaches(frame, "a", 'A')) return 11;
    if (!Click(comboAt) || !Sees([&] { return Viewable(x) == alone + 1; })) return 12;
    if (!Click(itemAt) || !Sees([&] { return Viewable(x) == alone; })) return 13;
    if (!KeyReaches(frame, "b", 'B')) return 14;
    if (!Click(menuAt) || !Sees([&] { return Viewable(x) == alone + 1; })) return 15;
    if (!Xdotool({"key", "Escape", "Escape"}) || !Sees([&] { return Viewable(x) == alone; }))
      return 16;
    if (!KeyReaches(frame, "c", 'C')) return 17;
    return 0;
  });
  if (result != 0) return result;
  return SendMessageA(combo, CB_GETCURSEL, 0, 0) == 1 ? 0 : 18;
}

// Alt+Down typed on the desktop opens a focused drop-down list, below a menu bar too.
int AltDownOpensTheDropDown(const std::string& display) {
  HWND frame = Frame("AltDown", WS_CAPTION | WS_SYSMENU, RECT{100, 80, 500, 380});
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "&Help");
  SetMenu(frame, bar);
  HWND combo =
      CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 10,
                      10, 150, 120, frame, nullptr, nullptr, nullptr);
  for (const char* item : {"Kodachrome", "Tri-X", "Velvia"}) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  SetActiveWindow(frame);
  SetFocus(combo);
  if (!Until([&] { return ShownAt(frame, RECT{100, 80, 500, 380}); })) return 10;
  const POINT comboAt = ClientPoint(frame, 80, 20), itemAt = ClientPoint(frame, 40, 55);
  const int result = Drive(display, [&](Display* x) {
    const int alone = Viewable(x);
    if (!Xdotool({"key", "alt+Down"})) return 11;
    if (!Sees([&] { return Viewable(x) == alone + 1; })) return 12;
    if (!Xdotool({"key", "Escape"}) || !Sees([&] { return Viewable(x) == alone; })) return 13;
    // Again after the mouse opened and closed the list.
    if (!Click(comboAt) || !Sees([&] { return Viewable(x) == alone + 1; })) return 15;
    if (!Click(itemAt) || !Sees([&] { return Viewable(x) == alone; })) return 16;
    if (!Xdotool({"key", "alt+Down"})) return 17;
    if (!Sees([&] { return Viewable(x) == alone + 1; })) return 18;
    return Xdotool({"key", "Escape"}) && Sees([&] { return Viewable(x) == alone; }) ? 0 : 19;
  });
  if (result != 0) return result;
  return GetFocus() == combo ? 0 : 14;
}

// A press on the caption of a window behind another activates and raises it, and a drag
// from there moves it.
int CaptionPressActivatesRaisesAndDrags(const std::string& display) {
  HWND back = Frame("Back", WS_CAPTION | WS_SYSMENU, RECT{100, 80, 420, 300});
  Frame("Front", WS_CAPTION | WS_SYSMENU, RECT{250, 150, 570, 400});
  const POINT at = CaptionPoint(back);
  const int result = Drive(display, [&](Display* x) {
    if (!Sees([&] {
          return StackingIndex(x, "Front") > StackingIndex(x, "Back") &&
                 StackingIndex(x, "Back") >= 0;
        })) {
      return 10;
    }
    std::vector<std::string> drag{"mousemove", Num(at.x), Num(at.y), "mousedown",
                                  "1",         "sleep",   "0.1"};
    for (int step = 1; step <= 4; ++step) {
      drag.insert(drag.end(),
                  {"mousemove", Num(at.x + step * 10), Num(at.y + step * 8), "sleep", "0.05"});
    }
    drag.insert(drag.end(), {"mouseup", "1"});
    if (!Xdotool(drag)) return 11;
    if (!Sees([&] { return StackingIndex(x, "Back") > StackingIndex(x, "Front"); })) return 12;
    return 0;
  });
  if (result != 0) return result;
  if (!Until([&] { return GetActiveWindow() == back; })) return 13;
  const RECT moved{140, 112, 460, 332};
  if (!Until([&] { return Same(WindowRect(back), moved) && ShownAt(back, moved); })) {
    const RECT r = WindowRect(back);
    std::fprintf(stderr, "moved to %ld,%ld %ldx%ld\n", static_cast<long>(r.left),
                 static_cast<long>(r.top), static_cast<long>(r.right - r.left),
                 static_cast<long>(r.bottom - r.top));
    return 14;
  }
  return 0;
}

// With nobody to iconify it, a minimised window is hidden rather than left as a caption
// stub, and it comes back when the program activates it.
int MinimiseHidesUntilActivated(const std::string& display) {
  HWND mini = Frame("Mini", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, RECT{100, 80, 420, 300});
  HWND other = Frame("Other", WS_CAPTION | WS_SYSMENU, RECT{450, 80, 700, 300});
  SetActiveWindow(mini);
  const POINT button = CaptionButton(mini, HTMINBUTTON);
  if (button.x < 0) return 10;
  int result = Drive(display, [&](Display* x) {
    if (!Sees([&] {
          return StackingIndex(x, "Mini") > StackingIndex(x, "Other") &&
                 StackingIndex(x, "Other") >= 0;
        })) {
      return 11;
    }
    if (!Click(button)) return 12;
    return Sees([&] { return StackingIndex(x, "Mini") < 0; }) ? 0 : 13;
  });
  if (result != 0) return result;
  if (!IsIconic(mini) || GetActiveWindow() != other) return 14;
  SetActiveWindow(mini);
  if (!Until([&] { return !IsIconic(mini) && ShownAt(mini, RECT{100, 80, 420, 300}); })) return 15;
  result = Drive(display, [&](Display* x) {
    return Sees([&] { return StackingIndex(x, "Mini") > StackingIndex(x, "Other"); }) ? 0 : 16;
  });
  return result;
}

// The window manager drags by our caption, yet a double click there still maximises and
// a second one restores.
int DoubleClickOnCaptionZooms(const std::string& display) {
  const RECT normal{120, 100, 520, 400};
  HWND zoom = Frame("Zoom", WS_OVERLAPPEDWINDOW, normal);
  if (!Until([&] { return ShownAt(zoom, normal); })) return 10;
  const POINT at = CaptionPoint(zoom);
  if (const int result = Drive(display, [&](Display*) { return DoubleClick(at) ? 0 : 11; });
      result != 0) {
    return result;
  }
  RECT full{};
  if (!Until([&] {
        return IsZoomed(zoom) && NativeWindowRect(zoom, &full) && full.right - full.left > 700;
      })) {
    return 12;
  }
  const POINT again = CaptionPoint(zoom);
  if (const int result = Drive(display, [&](Display*) { return DoubleClick(again) ? 0 : 13; });
      result != 0) {
    return result;
  }
  if (!Until([&] { return !IsZoomed(zoom) && ShownAt(zoom, normal); })) return 14;
  return 0;
}

struct Scenario {
  const char* name;
  bool windowManager;
  int (*run)(const std::string& display);
};

const Scenario kScenarios[] = {
    {"KeyboardComesBackAfterPopupsBareX", false, KeyboardComesBackAfterPopups},
    {"KeyboardComesBackAfterPopupsWithWindowManager", true, KeyboardComesBackAfterPopups},
    {"AltDownOpensTheDropDownBareX", false, AltDownOpensTheDropDown},
    {"CaptionPressActivatesRaisesAndDragsBareX", false, CaptionPressActivatesRaisesAndDrags},
    {"CaptionPressActivatesRaisesAndDragsWithWindowManager", true,
     CaptionPressActivatesRaisesAndDrags},
    {"MinimiseHidesUntilActivatedBareX", false, MinimiseHidesUntilActivated},
    {"DoubleClickOnCaptionZoomsWithWindowManager", true, DoubleClickOnCaptionZooms},
};

int RunOnPrivateDesktop(const Scenario& scenario) {
  IgnoreSdlStartupLeaks();
  PrivateXServer server("1024x768x24");
  if (server.display().empty()) return 1;
  for (const char* name : {"WAYLAND_DISPLAY", "VELMORA_HEADLESS", "SDL_VIDEODRIVER"})
    unsetenv(name);
  setenv("DISPLAY", server.display().c_str(), 1);
  // The script looks at windows the program may be destroying at that moment; Xlib's
  // default answer to such a stale window would end the process.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  if (scenario.windowManager &&
      !(server.StartWindowManager() && WindowManagerAnnounced(server.display()))) {
    return 2;
  }
  if (!StartPresenterForProgram()) return 3;
  WNDCLASSA cls{};
  cls.lpfnWndProc = FrameProc;
  cls.lpszClassName = kFrameClass;
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (RegisterClassA(&cls) == 0) return 4;
  const int result = scenario.run(server.display());
  // SDL must let go of the server before it stops, or its exit handler fails instead.
  ShutdownSdlPresenter();
  return result;
}

class RealDesktop : public ::testing::TestWithParam<Scenario> {};

TEST_P(RealDesktop, WorksWithRealInput) {
  const Scenario& scenario = GetParam();
  for (const char* program : {"Xvfb", "xdotool"}) {
    if (!OnPath(program)) GTEST_SKIP() << "no " << program << " on this machine";
  }
  if (scenario.windowManager && !OnPath("openbox")) GTEST_SKIP() << "no openbox on this machine";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The exit code names the step that failed.
  EXPECT_EXIT(std::exit(RunOnPrivateDesktop(scenario)), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, RealDesktop, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace platform::user
