// A stand-in for the forms engine in runtime tests: plain top-level windows play the loaded
// windows, and every hook the runtime calls leaves a line in one shared log, so a test can
// compare what happened with the order it expects.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/user32.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"

namespace rt::testing {

inline std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

// The live "loaded windows".
inline std::set<HWND>& LoadedWindows() {
  static std::set<HWND> windows;
  return windows;
}

inline LRESULT CALLBACK LoadedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    // What a window unit does: drop it from the list, then tell the runtime.
    LoadedWindows().erase(window);
    RuntimeNotify(2000, 1, 0);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

inline HWND CreateLoadedWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LoadedWindowProc;
    windowClass.lpszClassName = "RuntimeTestLoadedWindow";
    RegisterClassA(&windowClass);
    registered = true;
  }
  HWND window = CreateWindowExA(0, "RuntimeTestLoadedWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                80, nullptr, nullptr, nullptr, nullptr);
  if (window != nullptr) LoadedWindows().insert(window);
  return window;
}

inline FormsHooks LoggingForms() {
  FormsHooks hooks;
  hooks.readFormData = [](const void*, uint32_t size, const void*) {
    Log().push_back("read form data " + std::to_string(size));
    return true;
  };
  hooks.loadStartupWindow = [](uint32_t id) {
    Log().push_back("load start-up window " + std::to_string(id));
    return CreateLoadedWindow() != nullptr;
  };
  hooks.anyWindowLive = [] { return !LoadedWindows().empty(); };
  hooks.destroyAllWindows = [] {
    Log().push_back("destroy all windows");
    std::set<HWND> windows = LoadedWindows();
    for (HWND window : windows) DestroyWindow(window);
  };
  return hooks;
}

}  // namespace rt::testing
