// A window class for message tests that logs what its windows receive, with per-window
// handlers for the cases that need to act (nest a loop, send back, destroy itself).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/kernel32.h"
#include "platform/testing/MessageLoop.h"
#include "platform/user32.h"

namespace message_test {

struct Received {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
  bool inSend;
};

using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

struct Recorder {
  std::mutex mutex;
  std::vector<Received> log;
  std::map<HWND, Handler> handlers;
};

inline Recorder& Record() {
  static Recorder* recorder = new Recorder();
  return *recorder;
}

// Application messages and the ones the queue makes itself; the rest (creation, sizing,
// activation) is not what these tests are about.
inline bool Interesting(UINT message) {
  return message >= WM_USER || message == WM_PAINT || message == WM_TIMER ||
         message == WM_KEYDOWN || message == WM_CHAR || message == WM_SYSCHAR ||
         message == WM_LBUTTONDOWN;
}

inline LRESULT CALLBACK LoggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Handler handler;
  {
    std::lock_guard lock(Record().mutex);
    if (Interesting(message)) {
      Record().log.push_back(
          {hwnd, message, wParam, lParam, GetCurrentThreadId(), InSendMessage() != FALSE});
    }
    auto it = Record().handlers.find(hwnd);
    if (it != Record().handlers.end()) handler = it->second;
  }
  if (handler) {
    if (auto result = handler(hwnd, message, wParam, lParam)) return *result;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline const char* TestClassName() {
  static const char* name = [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = LoggingProc;
    cls.lpszClassName = "MessageTestWindow";
    RegisterClassA(&cls);
    return "MessageTestWindow";
  }();
  return name;
}

inline void SetHandler(HWND hwnd, Handler handler) {
  std::lock_guard lock(Record().mutex);
  Record().handlers[hwnd] = std::move(handler);
}

inline std::vector<Received> TakeLog() {
  std::lock_guard lock(Record().mutex);
  std::vector<Received> taken;
  taken.swap(Record().log);
  return taken;
}

inline std::vector<UINT> Kinds(const std::vector<Received>& log) {
  std::vector<UINT> kinds;
  for (const Received& r : log) kinds.push_back(r.message);
  return kinds;
}

// A window of the calling thread, destroyed with the object if it is still alive.
class TestWindow {
 public:
  explicit TestWindow(HWND parent = nullptr, DWORD style = WS_POPUP | WS_VISIBLE) {
    if (parent != nullptr) style = WS_CHILD | WS_VISIBLE;
    hwnd_ = CreateWindowExA(0, TestClassName(), "", style, 10, 10, 120, 80, parent, nullptr,
                            nullptr, nullptr);
  }
  ~TestWindow() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    std::lock_guard lock(Record().mutex);
    Record().handlers.erase(hwnd_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return hwnd_; }
  operator HWND() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// Drops whatever a test left behind: messages, a pending quit, the log; and puts the real
// clock back.
inline void DrainThread() {
  MSG msg;
  for (int i = 0; i < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message != WM_QUIT) DispatchMessageA(&msg);
  }
  TakeLog();
}

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::testing::UseVirtualClock(true);
    DrainThread();
  }
  void TearDown() override {
    DrainThread();
    platform::testing::UseVirtualClock(false);
  }
};

}  // namespace message_test
