// Shared by the tests of lists, scroll bars and the common controls: a logging parent
// window, the notifications it received, and small input helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace lists_test {

using namespace window_test;
namespace automation = platform::testing;

// WM_COMMAND notifications from one control, in order.
inline std::vector<int> Notifications(const std::vector<Entry>& log, HWND control) {
  std::vector<int> codes;
  for (const Entry& e : log) {
    if (e.message == WM_COMMAND && reinterpret_cast<HWND>(e.lParam) == control) {
      codes.push_back(HIWORD(static_cast<DWORD>(e.wParam)));
    }
  }
  return codes;
}

struct ScrollRequest {
  UINT message;
  int code;
  int pos;
  LPARAM from;
};

// WM_HSCROLL / WM_VSCROLL a window received, in order.
inline std::vector<ScrollRequest> ScrollRequests(const std::vector<Entry>& log, HWND to) {
  std::vector<ScrollRequest> out;
  for (const Entry& e : log) {
    if (e.hwnd == to && (e.message == WM_HSCROLL || e.message == WM_VSCROLL)) {
      out.push_back({e.message, static_cast<int>(LOWORD(static_cast<DWORD>(e.wParam))),
                     static_cast<short>(HIWORD(static_cast<DWORD>(e.wParam))), e.lParam});
    }
  }
  return out;
}

inline std::vector<int> Codes(const std::vector<ScrollRequest>& requests) {
  std::vector<int> codes;
  for (const ScrollRequest& r : requests) codes.push_back(r.code);
  return codes;
}

// Each test gets a visible, active top-level parent.
class ControlTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    parent_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 400);
    SetActiveWindow(parent_);
    automation::RunUntilIdle();
    Take();
  }

  HWND Child(const char* cls, DWORD style, int x, int y, int w, int h, int id = 100,
             const char* text = "") {
    HWND child =
        CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent_,
                        reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
    automation::RunUntilIdle();
    return child;
  }

  // The point of a window's client area on the screen.
  static POINT OnScreen(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
  }

  static void Focus(HWND window) {
    SetFocus(window);
    automation::RunUntilIdle();
    ASSERT_EQ(GetFocus(), window);
  }

  static void Press(int key) {
    automation::PressKey(key);
    automation::RunUntilIdle();
  }

  HWND parent_ = nullptr;
};

}  // namespace lists_test
