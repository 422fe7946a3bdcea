// A window class for window-manager tests: every window logs the messages it receives
// (with a few details worth checking) and may carry its own handler that acts first.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace window_test {

struct Entry {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

struct Journal {
  std::vector<Entry> log;
  std::map<HWND, Handler> handlers;
  // Installed for the next window created; moved to its handle on WM_GETMINMAXINFO or
  // WM_NCCREATE, whichever comes first.
  Handler pending;
};

inline Journal& Record() {
  static Journal* journal = new Journal();
  return *journal;
}

inline LRESULT CALLBACK JournalProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Journal& j = Record();
  if (j.pending && j.handlers.find(hwnd) == j.handlers.end()) {
    j.handlers[hwnd] = std::move(j.pending);
    j.pending = nullptr;
  }
  j.log.push_back({hwnd, message, wParam, lParam});
  auto it = j.handlers.find(hwnd);
  if (it != j.handlers.end() && it->second) {
    Handler handler = it->second;  // may be replaced or erased while it runs
    if (auto result = handler(hwnd, message, wParam, lParam)) return *result;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline const char* ClassName() {
  static const char* name = [] {
    WNDCLASSA cls{};
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = JournalProc;
    cls.cbWndExtra = 16;
    cls.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
    cls.lpszClassName = "WindowTestJournal";
    RegisterClassA(&cls);
    return "WindowTestJournal";
  }();
  return name;
}

inline HWND Make(DWORD style, int x, int y, int w, int h, HWND parent = nullptr, DWORD exStyle = 0,
                 const char* title = "", HMENU menu = nullptr, void* param = nullptr) {
  return CreateWindowExA(exStyle, ClassName(), title, style, x, y, w, h, parent, menu, nullptr,
                         param);
}

inline std::vector<Entry> Take() {
  std::vector<Entry> taken;
  taken.swap(Record().log);
  return taken;
}

// The log reduced to the messages a test cares about.
inline std::vector<std::pair<HWND, UINT>> Only(const std::vector<Entry>& log,
                                               std::initializer_list<UINT> messages) {
  std::vector<std::pair<HWND, UINT>> out;
  for (const Entry& e : log) {
    if (std::find(messages.begin(), messages.end(), e.message) != messages.end()) {
      out.emplace_back(e.hwnd, e.message);
    }
  }
  return out;
}

inline size_t Count(const std::vector<Entry>& log, HWND hwnd, UINT message) {
  return static_cast<size_t>(std::count_if(log.begin(), log.end(), [&](const Entry& e) {
    return e.hwnd == hwnd && e.message == message;
  }));
}

inline void DestroyAllTopLevel() {
  std::vector<HWND> all;
  EnumWindows(
      [](HWND w, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  for (HWND w : all) DestroyWindow(w);
}

// Each test starts with no windows, an empty queue and the virtual clock.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::UseVirtualClock(true);
    DestroyAllTopLevel();
    platform::testing::RunUntilIdle();
    Take();
  }
  void TearDown() override {
    DestroyAllTopLevel();
    platform::testing::RunUntilIdle();
    Record().handlers.clear();
    Record().pending = nullptr;
    Take();
    platform::testing::UseVirtualClock(false);
  }
};

inline RECT WindowRect(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

inline RECT ClientRect(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return r;
}

// Rectangles compare as text so that a failure shows all four sides.
inline std::string Str(const RECT& r) {
  // Formatted in a buffer: g++ 12 at -O3 warns falsely about "literal" + std::string.
  char text[64];
  std::snprintf(text, sizeof text, "{%d,%d,%d,%d}", static_cast<int>(r.left),
                static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom));
  return text;
}
inline std::string Str(int left, int top, int right, int bottom) {
  return Str(RECT{left, top, right, bottom});
}

}  // namespace window_test
