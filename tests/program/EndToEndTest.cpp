// The test program driven as a user would: real mouse and keyboard input injected through the
// platform's automation, the program's own loop (or the runtime's pump) handling it, and the
// handlers' record compared with what should have happened.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands/system/WindowCommands.h"
#include "forms/units/UnitTypes.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user32.h"
#include "runtime/RuntimeState.h"
#include "runtime/calls/CommandCall.h"
#include "runtime/calls/ServiceTable.h"
#include "runtime/loop/MessageLoop.h"
#include "tests/program/TestProgram.h"
#include "tests/program/TestUnits.h"

namespace testprogram {
namespace {

using platform::testing::ClickInWindow;
using platform::testing::PressKey;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ExitedWithCode;
using ::testing::HasSubstr;
using ::testing::Not;

HWND UnitWindow(uint32_t windowId, uint32_t unitId) {
  intptr_t object = rt::RuntimeNotify(cmd::kNotifyFindUnit, windowId, unitId);
  if (object == 0) return nullptr;
  return reinterpret_cast<HWND>(rt::RuntimeNotify(cmd::kNotifyUnitWindowHandle, object, 0));
}

HWND Window(uint32_t windowId) {
  return UnitWindow(windowId, 0);
}

void Pump() {
  rt::HandleWaitingMessages();
}

// The screen point of a window's close box, found the way the window manager finds it.
POINT CloseBox(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  for (int y = r.top; y < r.top + 40; y += 2) {
    for (int x = r.right - 1; x > r.right - 80; x -= 2) {
      if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x, y};
    }
  }
  ADD_FAILURE() << "no close box";
  return {r.right - 10, r.top + 10};
}

void LoadWindowFromTest(uint32_t windowId) {
  rt::Call(cmd::LoadWindow, {rt::Arg::Unit(windowId, 0, 0x00010001)});
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AssembleOnce();
    Seen().clear();
    Behave() = {};
    rt::InitRuntime(&ProgramHeader());
    rt::LoadStartupWindow(kStartWindow);
    Pump();
    start_ = Window(kStartWindow);
    ASSERT_NE(start_, nullptr);
  }
  void TearDown() override {
    Behave() = {};
    rt::EndProgram(0);
    Pump();
  }
  HWND start_ = nullptr;
};

TEST_F(EndToEndTest, StartupWindowShowsAfterEventsZeroThreeFour) {
  EXPECT_TRUE(IsWindowVisible(start_));
  EXPECT_THAT(Seen(), ElementsAre("start 0", "start 3", "start 4"));
  EXPECT_TRUE(IsWindowVisible(UnitWindow(kStartWindow, kOkButton)));
  EXPECT_EQ(Window(kOtherWindow), nullptr);
  if (const char* png = std::getenv("VELMORA_PROGRAM_PNG")) {
    platform::testing::WritePng(platform::testing::CaptureWindow(start_), png);
  }
}

struct ModalSight {
  bool done = false;
  BOOL startEnabled = -1;
  BOOL otherEnabled = -1;
  BOOL modalEnabled = -1;
};
ModalSight g_modal;

// Runs in the modal loop's idle phase: look at the windows once, then close the modal one
// with Esc.
void LookThenPressEsc(intptr_t) {
  HWND modal = Window(kModalWindow);
  if (g_modal.done || modal == nullptr) return;
  g_modal.done = true;
  g_modal.startEnabled = IsWindowEnabled(Window(kStartWindow));
  g_modal.otherEnabled = IsWindowEnabled(Window(kOtherWindow));
  g_modal.modalEnabled = IsWindowEnabled(modal);
  PressKey(VK_ESCAPE);
}

TEST_F(EndToEndTest, ModalWindowDisablesTheOthersAndRestoresThemExactly) {
  LoadWindowFromTest(kOtherWindow);
  HWND other = Window(kOtherWindow);
  ASSERT_NE(other, nullptr);
  EnableWindow(other, FALSE);
  Pump();
  Seen().clear();
  g_modal = {};
  rt::AddIdleRoutine(start_, LookThenPressEsc, 0);

  ASSERT_TRUE(ClickInWindow(UnitWindow(kStartWindow, kModalButton), {20, 10}));
  Pump();
  rt::RemoveIdleRoutines(start_);

  ASSERT_TRUE(g_modal.done);
  EXPECT_FALSE(g_modal.startEnabled);
  EXPECT_FALSE(g_modal.otherEnabled);
  EXPECT_TRUE(g_modal.modalEnabled);
  EXPECT_THAT(Seen(), ElementsAre("modal opening", "modal 0", "modal 2", "modal returned 1"));
  EXPECT_TRUE(IsWindowEnabled(start_));
  EXPECT_FALSE(IsWindowEnabled(other));
  EXPECT_EQ(Window(kModalWindow), nullptr);
}

TEST_F(EndToEndTest, MenuItemChosenWithTheMouseAndKeysReachesItsHandler) {
  RECT window{};
  GetWindowRect(start_, &window);
  POINT client{0, 0};
  ClientToScreen(start_, &client);
  // The menu bar lies between the caption and the client area; "File" is its first item.
  const POINT file{client.x + 12, (window.top + 30 + client.y) / 2};
  Seen().clear();
  // Everything is queued before the loop runs: the menu's own loop reads the keys.
  platform::testing::ClickAt(file);
  PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  Pump();
  EXPECT_THAT(Seen(), ElementsAre("menu hello"));
}

TEST_F(EndToEndTest, TabEnterAltKeyAndEsc) {
  HWND typing = UnitWindow(kStartWindow, kTypingBox);
  ASSERT_TRUE(ClickInWindow(typing, {5, 5}));
  Pump();
  ASSERT_EQ(GetFocus(), typing);
  Seen().clear();

  // Tab moves on to the next unit that takes focus by Tab.
  PressKey(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), UnitWindow(kStartWindow, kBetaButton));

  // Enter in the typing box clicks the default button.
  ASSERT_TRUE(ClickInWindow(typing, {5, 5}));
  Pump();
  PressKey(VK_RETURN);
  Pump();
  EXPECT_THAT(Seen(), Contains("ok"));

  // Alt+B clicks the unit whose caption marks B.
  platform::testing::KeyDown(VK_MENU);
  PressKey('B');
  platform::testing::KeyUp(VK_MENU);
  Pump();
  EXPECT_THAT(Seen(), Contains("beta"));
  EXPECT_THAT(Seen(), Not(Contains("modal opening")));

  // Esc closes the window (its Esc-closes switch is on).
  PressKey(VK_ESCAPE);
  Pump();
  EXPECT_THAT(Seen(), Contains("start 1"));
  EXPECT_FALSE(IsWindow(start_));
}

TEST_F(EndToEndTest, PressHandlerReturningZeroConsumesThePress) {
  HWND beta = UnitWindow(kStartWindow, kBetaButton);
  Seen().clear();
  Behave().consumeBetaPress = true;
  ASSERT_TRUE(ClickInWindow(beta, {20, 10}));
  Pump();
  EXPECT_THAT(Seen(), ElementsAre("beta press"));

  Seen().clear();
  Behave().consumeBetaPress = false;
  ASSERT_TRUE(ClickInWindow(beta, {20, 10}));
  Pump();
  EXPECT_THAT(Seen(), ElementsAre("beta press", "beta"));
}

TEST_F(EndToEndTest, CharacterHandlerReturning65TurnsTypingIntoA) {
  HWND typing = UnitWindow(kStartWindow, kTypingBox);
  ASSERT_TRUE(ClickInWindow(typing, {5, 5}));
  Pump();
  Behave().typeLetterA = true;
  ASSERT_TRUE(platform::testing::TypeUtf8("xyz"));
  Pump();
  char text[16] = {};
  GetWindowTextA(typing, text, sizeof text);
  EXPECT_STREQ(text, "AAA");
  EXPECT_THAT(Seen(), Contains("char 120"));

  Behave().typeLetterA = false;
  ASSERT_TRUE(platform::testing::TypeUtf8("q"));
  Pump();
  GetWindowTextA(typing, text, sizeof text);
  EXPECT_STREQ(text, "AAAq");
}

TEST_F(EndToEndTest, CloseHandlerReturningFalseKeepsTheWindow) {
  Behave().refuseClose = true;
  platform::testing::ClickAt(CloseBox(start_));
  Pump();
  EXPECT_TRUE(IsWindow(start_));
  EXPECT_THAT(Seen(), Contains("start 1"));

  Behave().refuseClose = false;
  platform::testing::ClickAt(CloseBox(start_));
  Pump();
  EXPECT_FALSE(IsWindow(start_));
}

// ---- The whole program, in a child process --------------------------------------------

void EndRoutine() {
  std::fputs("END-ROUTINE\n", stderr);
}

// The user's part, played once the program is idle: click `what` (a window's close box when
// the unit id is 0).
struct Click {
  uint32_t windowId;
  uint32_t unitId;
};
Click g_click;

void ClickWhenIdle(intptr_t) {
  static bool clicked = false;
  HWND target = UnitWindow(g_click.windowId, g_click.unitId);
  if (clicked || target == nullptr) return;
  clicked = true;
  if (g_click.unitId == 0) {
    platform::testing::ClickAt(CloseBox(target));
  } else {
    ClickInWindow(target, {20, 10});
  }
}

int Entry() {
  rt::Services().auxDispatch(rt::kAuxInitRuntime, 0, 0, 0, 0);
  rt::Services().auxDispatch(rt::kAuxSetEndRoutine, reinterpret_cast<intptr_t>(&EndRoutine), 0, 0,
                             0);
  rt::Services().loadStartupWindow(kStartWindow);
  if (g_click.windowId != kStartWindow) LoadWindowFromTest(g_click.windowId);
  rt::AddIdleRoutine(Window(kStartWindow), ClickWhenIdle, 0);
  rt::Services().runMessageLoop();
  return 0;
}

int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class ProgramDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// The program as its main() runs it, with the user's click decided beforehand.
const rt::DataTypeDescriptor* InertButtonType();

[[noreturn]] void RunProgramClicking(Click click, bool inertButtons = false) {
  AssembleProgram();
  if (inertButtons) forms::RegisterUnitType(0x0001000B, InertButtonType());
  g_click = click;
  std::exit(rt::RunProgram(ProgramHeader(), Entry));
}

TEST_F(ProgramDeathTest, ClosingTheLastWindowEndsWithZeroAndTheEndRoutineOnce) {
  auto endRoutineOnce = [](const std::string& err) { return Occurrences(err, "END-ROUTINE") == 1; };
  EXPECT_EXIT(RunProgramClicking(Click{kStartWindow, 0}), ExitedWithCode(0),
              ::testing::Truly(endRoutineOnce));
}

// An event raised for a window or unit that cannot be found, or by a unit whose type cannot
// raise events, ends the program with the message and -1.
struct LookupCase {
  const char* name;
  LookupFailure failure;
  bool inertButtonType;
  const char* message;
};
const LookupCase kLookupCases[] = {
    {"UnknownWindow", LookupFailure::UnknownWindow, false, "未找到引发事件的窗口\r\n"},
    {"UnknownUnit", LookupFailure::UnknownUnit, false, "未找到引发事件的窗口组件\r\n"},
    {"InvalidUnitType", LookupFailure::None, true, "引发事件的窗口组件无效"},
};

// The button type without the windowed-unit bit: its units are made, but cannot raise events.
const rt::DataTypeDescriptor* InertButtonType() {
  static rt::DataTypeDescriptor type = [] {
    rt::DataTypeDescriptor t = *TestButtonType();
    t.stateBits = 0;
    return t;
  }();
  return &type;
}

class LookupFailureDeathTest : public ::testing::TestWithParam<LookupCase> {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_P(LookupFailureDeathTest, EndsTheProgramWithItsMessageAndMinusOne) {
  const LookupCase& c = GetParam();
  Behave().lookupFailure = c.failure;
  const auto expected =
      ::testing::AllOf(HasSubstr(std::string("错误信息：") + c.message),
                       Not(HasSubstr("END-ROUTINE")), Not(HasSubstr("lookup failure survived")));
  EXPECT_EXIT(RunProgramClicking(Click{kOtherWindow, kOtherButton}, c.inertButtonType),
              ExitedWithCode(255), expected);
}

INSTANTIATE_TEST_SUITE_P(Lookups, LookupFailureDeathTest, ::testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace testprogram
