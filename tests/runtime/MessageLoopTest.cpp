// The message loop's idle phase, its pre-translation step, the modal form, and handling the
// waiting messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/user32.h"
#include "runtime/FormsHooks.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/loop/MessageLoop.h"
#include "tests/runtime/FakeForms.h"

namespace rt {
namespace {

using testing::Log;

constexpr UINT kConsumed = WM_USER + 1;
constexpr UINT kPlain = WM_USER + 2;
constexpr UINT kCloseYourself = WM_USER + 3;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_USER) Log().push_back("dispatched " + std::to_string(message - WM_USER));
  if (message == kCloseYourself) DestroyWindow(window);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecordingWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = "RuntimeTestRecordingWindow";
    RegisterClassA(&windowClass);
    registered = true;
  }
  return CreateWindowExA(0, "RuntimeTestRecordingWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                         nullptr, nullptr, nullptr, nullptr);
}

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    InitRuntime(nullptr);
    InstallFormsHooks({});
    DrainQueue();
  }
  void TearDown() override {
    InstallFormsHooks({});
    DrainQueue();
  }
  static void DrainQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

HWND g_idleWindow = nullptr;

TEST_F(MessageLoopTest, IdlePhaseRunsRoutinesAndTheHookUntilNoMoreWorkIsWanted) {
  FormsHooks hooks;
  hooks.idleWork = [](uint32_t) {
    Log().push_back("idle work");
    // The third pass wants no more; then a message arrives that closes the modal window.
    if (Log().size() >= 5) {
      PostMessageA(g_idleWindow, kCloseYourself, 0, 0);
      return false;
    }
    return true;
  };
  InstallFormsHooks(hooks);
  g_idleWindow = CreateRecordingWindow();
  AddIdleRoutine(
      g_idleWindow,
      [](intptr_t argument) { Log().push_back("idle routine " + std::to_string(argument)); }, 9);

  EXPECT_TRUE(RunModalLoop(g_idleWindow));
  // Passes 0 and 1 are the loop's own; from pass 2 on the windows get their idle work.
  const std::vector<std::string> expected = {
      "idle routine 9", "idle routine 9", "idle routine 9", "idle work",
      "idle routine 9", "idle work",      "dispatched 3",
  };
  EXPECT_EQ(Log(), expected);
  // The routine's window is gone, so the next walk drops it.
  RunIdleRoutines();
  EXPECT_EQ(Runtime().idleRoutines.size(), 0u);
}

TEST_F(MessageLoopTest, IdleRoutinesWalkFromLastToFirstAndDropDeadWindows) {
  HWND live = CreateRecordingWindow();
  HWND dead = CreateRecordingWindow();
  DestroyWindow(dead);
  auto logArgument = [](intptr_t argument) { Log().push_back(std::to_string(argument)); };
  const IdleRoutineRecord records[] = {{live, logArgument, 1},
                                       {dead, logArgument, 2},
                                       {live, logArgument, 3},
                                       {dead, logArgument, 4}};
  for (const IdleRoutineRecord& record : records) {
    RuntimeNotify(1012, reinterpret_cast<intptr_t>(&record), 0);
  }
  RunIdleRoutines();
  EXPECT_EQ(Log(), (std::vector<std::string>{"3", "1"}));
  EXPECT_EQ(Runtime().idleRoutines.windows, (std::vector<HWND>{live, live}));
  EXPECT_EQ(Runtime().idleRoutines.arguments, (std::vector<intptr_t>{1, 3}));

  RuntimeNotify(1013, reinterpret_cast<intptr_t>(live), 0);
  EXPECT_EQ(Runtime().idleRoutines.size(), 0u);
  DestroyWindow(live);
}

TEST_F(MessageLoopTest, PreTranslationConsumesBeforeDispatch) {
  FormsHooks hooks;
  hooks.preTranslateMessage = [](MSG* message) { return message->message == kConsumed; };
  InstallFormsHooks(hooks);
  HWND window = CreateRecordingWindow();
  PostMessageA(window, kConsumed, 0, 0);
  PostMessageA(window, kPlain, 0, 0);
  PostMessageA(window, kCloseYourself, 0, 0);
  EXPECT_TRUE(RunModalLoop(window));
  EXPECT_EQ(Log(), (std::vector<std::string>{"dispatched 2", "dispatched 3"}));
}

TEST_F(MessageLoopTest, ModalLoopEndsOnQuitAndLeavesItForTheOuterLoop) {
  HWND window = CreateRecordingWindow();
  PostQuitMessage(5);
  EXPECT_FALSE(RunModalLoop(window));
  EXPECT_TRUE(IsWindow(window));
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wParam, 5u);
  DestroyWindow(window);
}

TEST_F(MessageLoopTest, HandlingWaitingMessagesStopsAtQuitWithoutRemovingIt) {
  HWND window = CreateRecordingWindow();
  PostMessageA(window, kPlain, 0, 0);
  PostQuitMessage(0);
  RuntimeNotify(2018, 0, 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"dispatched 2"}));
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_QUIT);
  DestroyWindow(window);
}

TEST_F(MessageLoopTest, IdleRestartingMessages) {
  struct Case {
    UINT message;
    POINT point;
    bool restarts;
  };
  const Case cases[] = {
      {WM_KEYDOWN, {0, 0}, true},      {WM_TIMER, {0, 0}, true},
      {WM_PAINT, {0, 0}, false},       {0x0118, {0, 0}, false},
      {WM_MOUSEMOVE, {5, 5}, true},    {WM_MOUSEMOVE, {5, 5}, false},
      {WM_MOUSEMOVE, {6, 5}, true},    {WM_NCMOUSEMOVE, {6, 5}, true},
      {WM_NCMOUSEMOVE, {6, 5}, false}, {WM_LBUTTONDOWN, {6, 5}, true},
  };
  for (const Case& c : cases) {
    MSG message{};
    message.message = c.message;
    message.pt = c.point;
    EXPECT_EQ(IsIdleRestartingMessage(message), c.restarts)
        << std::hex << c.message << " at " << std::dec << c.point.x;
  }
}

TEST_F(MessageLoopTest, SuppressionCounterNeverGoesBelowZero) {
  struct Step {
    int32_t code;
    int32_t counterAfter;
  };
  const Step steps[] = {{2010, 0}, {2009, 1}, {2009, 2}, {2010, 1},
                        {2010, 0}, {2010, 0}, {2009, 1}};
  for (const Step& step : steps) {
    RuntimeNotify(step.code, 0, 0);
    EXPECT_EQ(Runtime().busyCounter.load(), step.counterAfter) << step.code;
    EXPECT_EQ(EventsSuppressed(), step.counterAfter >= 1);
  }
}

TEST_F(MessageLoopTest, SuppressionProcessesPendingMessagesFirst) {
  FormsHooks hooks;
  hooks.preTranslateMessage = [](MSG*) {
    Log().push_back(EventsSuppressed() ? "suppressed" : "delivered");
    return false;
  };
  InstallFormsHooks(hooks);
  HWND window = CreateRecordingWindow();
  PostMessageA(window, kPlain, 0, 0);
  RuntimeNotify(2009, 0, 0);
  PostMessageA(window, kPlain, 0, 0);
  RuntimeNotify(2010, 0, 0);
  EXPECT_EQ(Log(),
            (std::vector<std::string>{"delivered", "dispatched 2", "suppressed", "dispatched 2"}));
  DestroyWindow(window);
}

}  // namespace
}  // namespace rt
