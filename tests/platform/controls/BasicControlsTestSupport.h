// A visible top-level window hosting buttons, statics and edits, whose messages (with
// the WM_COMMAND notifications the controls send it) land in the window_test journal.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/CodePage.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace controls_test {

namespace automation = platform::testing;

// Test sources are UTF-8; controls hold GBK.
inline std::string Gbk(const std::string& utf8) {
  return platform::kernel::Utf8ToGbk(utf8, true).value_or("?");
}

// Presses a key with a modifier held. The key state is read as each message is handled,
// so the loop runs between the steps.
inline void Chord(int modifier, int key) {
  automation::KeyDown(modifier);
  automation::RunUntilIdle();
  automation::PressKey(key);
  automation::RunUntilIdle();
  automation::KeyUp(modifier);
  automation::RunUntilIdle();
}

// A notification as the parent saw it: control id and code, and which control sent it.
struct Command {
  int id;
  int code;
  HWND from;
  bool operator==(const Command& o) const { return id == o.id && code == o.code && from == o.from; }
};

inline std::vector<Command> Commands(const std::vector<window_test::Entry>& log, HWND parent) {
  std::vector<Command> out;
  for (const auto& e : log) {
    if (e.hwnd == parent && e.message == WM_COMMAND) {
      out.push_back({LOWORD(e.wParam), HIWORD(e.wParam), reinterpret_cast<HWND>(e.lParam)});
    }
  }
  return out;
}

inline std::vector<int> Codes(const std::vector<window_test::Entry>& log, HWND parent) {
  std::vector<int> out;
  for (const Command& c : Commands(log, parent)) out.push_back(c.code);
  return out;
}

class ControlTest : public window_test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    host = window_test::Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300);
    ASSERT_NE(host, nullptr);
    automation::RunUntilIdle();
  }
  void TearDown() override {
    // Buttons left down by a failing test must not leak into the next one.
    ReleaseCapture();
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
      if (GetKeyState(key) < 0) automation::KeyUp(key);
    }
    WindowTest::TearDown();
  }

  HWND Child(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id,
             DWORD exStyle = 0) {
    HWND child =
        CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, host,
                        reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
    automation::RunUntilIdle();
    window_test::Take();
    return child;
  }

  std::string Text(HWND w) {
    char buffer[4096] = {};
    int n = GetWindowTextA(w, buffer, sizeof buffer);
    return std::string(buffer, static_cast<size_t>(n));
  }

  // A point of a control in screen coordinates.
  POINT At(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    return p;
  }

  HWND host = nullptr;
};

}  // namespace controls_test
