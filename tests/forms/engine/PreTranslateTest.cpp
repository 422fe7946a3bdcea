// The window's pre-translation driven by injected input, as a user would: the common events
// and what their results do to the message, the keyboard interface of the window, message
// filters, accelerators and dragging by the client area.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "forms/data/FormData.h"
#include "forms/events/PreTranslate.h"
#include "forms/properties/UnitProperties.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "platform/testing/InputAutomation.h"
#include "runtime/loop/MessageLoop.h"
#include "tests/common/TempFolder.h"
#include "tests/forms/engine/FormsTestSupport.h"

namespace formtest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
namespace input = platform::testing;

using FormSetup = std::function<void(TestForm& form, forms::UnitRecordFields& focused)>;

class PreTranslateTest : public EngineTest {
 protected:
  // Window 1 with three Tab-stop probes side by side; unit 3 has the focus.
  void LoadThree(const FormSetup& setup = {}) {
    forms::DestroyAllWindows();
    forms::LoadedForms().Clear();
    TestForm form(1);
    form.AddUnit(2, kProbeType, 10, 10, 40, 30, 0, "&Save");
    auto& focused = form.AddUnit(3, kProbeType, 60, 10, 40, 30);
    form.AddUnit(4, kProbeType, 110, 10, 40, 30, 0, "Open");
    if (setup) setup(form, focused);
    ReadForms({form});
    ASSERT_TRUE(Load(form.WindowId()));
    window_ = WindowHandle(form.WindowId());
    SetFocus(Unit(3));
    Pump();
    Journal().clear();
  }
  HWND Unit(uint32_t serial) { return UnitHandle(WindowIdOf(1), UnitIdOf(serial)); }
  // Everything waiting goes through the runtime's pump, pre-translation included.
  static void Pump() { rt::HandleWaitingMessages(); }
  static void Key(int vk) {
    input::PressKey(vk);
    Pump();
  }

  HWND window_ = nullptr;
};

TEST_F(PreTranslateTest, HandlerResultsConsumeOrReplaceInput) {
  const struct {
    std::optional<uint64_t> result;
    std::vector<std::string> expected;
  } kCases[] = {
      {std::nullopt,
       {"handler 1 (5,6,0) src u3", "press u3", "handler 2 (120) src u3", "char u3 120"}},
      {1, {"handler 1 (5,6,0) src u3", "press u3", "handler 2 (120) src u3", "char u3 1"}},
      {0, {"handler 1 (5,6,0) src u3", "handler 2 (120) src u3"}},
      {65, {"handler 1 (5,6,0) src u3", "press u3", "handler 2 (120) src u3", "char u3 65"}},
  };
  for (const auto& c : kCases) {
    LoadThree([](TestForm&, forms::UnitRecordFields& u3) {
      u3.bindings = {{-1, Offset(1)}, {-11, Offset(2)}};
    });
    ScriptResult(1, c.result);
    ScriptResult(2, c.result);
    input::ClickInWindow(Unit(3), {5, 6});
    Pump();
    input::TypeGbk("x");
    Pump();
    EXPECT_THAT(Lines({"handler", "press", "char"}), ElementsAreArray(c.expected))
        << "result " << (c.result ? std::to_string(*c.result) : "none");
  }
}

TEST_F(PreTranslateTest, CommonEventsCarryPositionsKeysAndShiftState) {
  LoadThree([](TestForm&, forms::UnitRecordFields& u3) {
    u3.bindings = {{-4, Offset(1)}, {-9, Offset(2)}, {-10, Offset(3)}, {-12, Offset(4)}};
  });
  input::ClickInWindow(Unit(3), {7, 8}, input::MouseButton::Right);
  Pump();
  input::KeyDown(VK_CONTROL);
  Key('K');
  input::KeyUp(VK_CONTROL);
  Pump();
  RECT r{};
  GetWindowRect(Unit(3), &r);
  input::Wheel({r.left + 3, r.top + 3}, -2 * WHEEL_DELTA);
  Pump();
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 1 (7,8,0) src u3",
                                              "handler 2 (17,1) src u3",  // Ctrl down
                                              "handler 2 (75,1) src u3",  // K with Ctrl
                                              "handler 3 (75,1) src u3", "handler 3 (17,0) src u3",
                                              "handler 4 (-2,0) src u3"));
}

TEST_F(PreTranslateTest, TabMovesThroughTabStopsSkippingOthers) {
  LoadThree([](TestForm& form, forms::UnitRecordFields&) {
    form.AddUnit(5, kProbeType, 160, 10, 40, 30).stateFlags = forms::kUnitVisible;  // no stop
    form.AddUnit(6, kProbeType, 210, 10, 40, 30).stateFlags =
        forms::kUnitVisible | forms::kUnitTabStop | forms::kUnitDisabled;
  });
  const struct {
    bool shift;
    uint32_t focusAfter;
  } kSteps[] = {{false, 4}, {false, 2}, {false, 3}, {true, 2}, {true, 4}};
  for (const auto& step : kSteps) {
    if (step.shift) input::KeyDown(VK_SHIFT);
    Key(VK_TAB);
    if (step.shift) input::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(GetFocus(), Unit(step.focusAfter));
  }
}

TEST_F(PreTranslateTest, EnterClicksTheDefaultButtonOrMovesTheFocus) {
  auto withDefault = [](TestForm& form, forms::UnitRecordFields&) {
    form.AddUnit(5, kProbeType, 160, 10, 40, 30, kProbeDefaultButton).bindings = {{0, Offset(5)}};
  };
  LoadThree(withDefault);
  Key(VK_RETURN);
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 5 () src u5"));
  EXPECT_EQ(GetFocus(), Unit(3));

  LoadThree([&](TestForm& form, forms::UnitRecordFields& u3) {
    withDefault(form, u3);
    form.WindowProperties().SetWord(forms::kWindowEnterMovesFocus, 1);
  });
  Key(VK_RETURN);
  EXPECT_TRUE(Lines({"handler"}).empty());
  EXPECT_EQ(GetFocus(), Unit(4));
}

TEST_F(PreTranslateTest, EscClosesOnlyWhenTheWindowSaysSo) {
  LoadThree();
  Key(VK_ESCAPE);
  EXPECT_TRUE(IsWindow(window_));
  LoadThree([](TestForm& form, forms::UnitRecordFields&) {
    form.WindowProperties().SetWord(forms::kWindowEscCloses, 1);
    form.Window().bindings = {{1, Offset(1)}};
  });
  Key(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 1 () src w"));
}

TEST_F(PreTranslateTest, F1OpensAnExistingHelpFile) {
  std::string path;
  int fd = testing_temp::MakeFile("velmora-help", &path);
  ASSERT_GE(fd, 0);
  close(fd);
  const struct {
    bool on;
    std::string file;
    uint32_t context;
    std::vector<UINT> commands;  // what the help viewer was asked, then its quit at close
  } kCases[] = {
      {true, path, 0, {11, 2}},
      {true, path, 42, {1, 2}},
      {false, path, 0, {}},
      {true, std::string(path) + ".missing", 0, {}},
  };
  for (const auto& c : kCases) {
    LoadThree([&](TestForm& form, forms::UnitRecordFields&) {
      form.WindowProperties().SetWord(forms::kWindowF1OpensHelp, c.on ? 1 : 0);
      form.WindowProperties().SetText(forms::kWindowHelpFile, c.file);
      form.WindowProperties().SetWord(forms::kWindowHelpContext, c.context);
    });
    Key(VK_F1);
    DestroyWindow(window_);
    std::vector<UINT> commands;
    for (const forms::HelpRequest& r : forms::TakeHelpRequests()) {
      commands.push_back(r.command);
      EXPECT_EQ(r.file, c.file);
      if (r.command == 1) {
        EXPECT_EQ(r.context, c.context);
      }
    }
    EXPECT_EQ(commands, c.commands) << c.file << " context " << c.context;
  }
  std::remove(path.c_str());
}

TEST_F(PreTranslateTest, AltWithAnAccessKeyFocusesItsUnit) {
  LoadThree();
  input::KeyDown(VK_MENU);
  Key('S');
  input::KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(GetFocus(), Unit(2));
  input::KeyDown(VK_MENU);
  Key('O');  // "Open" marks no access key
  input::KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(GetFocus(), Unit(2));
}

TEST_F(PreTranslateTest, AcceleratorsAndFiltersComeBeforeEvents) {
  LoadThree([](TestForm& form, forms::UnitRecordFields& u3) {
    u3.bindings = {{-9, Offset(1)}};
    form.AddUnit(5, kProbeType, 160, 10, 40, 30, kProbeFiltersQ);
    form.AddMenuItem(10, 0, "File");
    form.AddMenuItem(11, 1, "All").shortcut = 1;  // Ctrl+A
    form.Window().bindings.clear();
  });
  forms::FormTemplate& t = Template(WindowIdOf(1));
  t.Runtime(*t.FindUnit(MenuIdOf(11))).handlers = {HandlerTable()[6].handler};
  input::KeyDown(VK_CONTROL);
  Key('A');
  input::KeyUp(VK_CONTROL);
  Pump();
  Key('Q');
  Key('W');
  EXPECT_THAT(Lines({"handler", "key"}),
              ElementsAre("handler 1 (17,1) src u3", "key u3 17",  // Ctrl itself
                          "handler 6 () src m11",                  // Ctrl+A: the menu item
                          "handler 1 (87,0) src u3", "key u3 87"));
}

TEST_F(PreTranslateTest, PressesDragTheWindowWhenItAllows) {
  LoadThree([](TestForm& form, forms::UnitRecordFields&) {
    form.WindowProperties().SetWord(forms::kWindowDragByClient, 1);
    form.AddUnit(5, kProbeType, 160, 10, 40, 30, kProbeDrags);
  });
  const struct {
    HWND target;
    bool drags;
  } kCases[] = {{window_, true}, {Unit(5), true}, {Unit(3), false}};
  for (const auto& c : kCases) {
    Journal().clear();
    POINT at{2, c.target == window_ ? 120 : 2};  // the window's own client area is below
    ClientToScreen(c.target, &at);
    input::MouseDown(at);
    MSG m{};
    // The press arrives, then (when it drags) the caption press it was turned into.
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(forms::PreTranslateMessage(&m), c.drags);
    EXPECT_EQ(PeekMessageA(&m, window_, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != FALSE,
              c.drags);
    if (c.drags) {
      EXPECT_EQ(m.wParam, static_cast<WPARAM>(HTCAPTION));
    }
    input::MouseUp({0, 0});
    Pump();
  }
}

TEST_F(PreTranslateTest, AWindowDestroyedByItsHandlerConsumesTheMessage) {
  LoadThree([](TestForm&, forms::UnitRecordFields& u3) { u3.bindings = {{-1, Offset(1)}}; });
  ScriptAction(1, [this] { DestroyWindow(window_); });
  input::ClickInWindow(Unit(3), {5, 5});
  Pump();
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_THAT(Lines({"handler", "press"}), ElementsAre("handler 1 (5,5,0) src u3"));
}

}  // namespace
}  // namespace formtest
