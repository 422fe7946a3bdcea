// Loading windows: creation order and control ids, parenting and stacking, the set-up
// messages and the window's first events, showing and hiding, the modal state, and closing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "forms/FormsEngine.h"
#include "forms/data/FormData.h"
#include "forms/properties/UnitProperties.h"
#include "forms/units/window/WindowUnit.h"
#include "forms/windows/WindowList.h"
#include "forms/windows/WindowLoader.h"
#include "platform/testing/MessageLoop.h"
#include "runtime/RuntimeState.h"
#include "tests/forms/engine/FormsTestSupport.h"

namespace formtest {
namespace {

using forms::kUnitDisabled;
using forms::kUnitVisible;

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

class LoadingTest : public EngineTest {};

std::vector<HWND> ChildrenTopFirst(HWND parent) {
  std::vector<HWND> out;
  for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    out.push_back(h);
  }
  return out;
}

TEST_F(LoadingTest, UnitsAreBuiltLastToFirstAndSetUpInOrder) {
  TestForm form(1);
  form.Window().bindings = {{0, Offset(0)}, {3, Offset(1)}, {4, Offset(2)}, {-7, Offset(3)}};
  form.AddUnit(2, kProbeType, 10, 10, 50, 20);
  form.AddUnit(3, kProbeType, 10, 40, 50, 20);
  form.AddUnit(4, kProbeType, 10, 70, 50, 20).stateFlags = kUnitVisible;  // no Tab stop
  ReadForms({form});

  ASSERT_TRUE(Load(form.WindowId()));

  const std::vector<std::string> expected = {
      "create w",
      "create u4 id 100",
      "create u3 id 110 tabstop",
      "create u2 id 120 tabstop",
      "806F u4",
      "806F u3",
      "806F u2",
      "806F w",
      "8004 w",
      "handler 0 () src w",  // built
      "handler 1 () src w",  // moved
      "handler 2 () src w",  // resized
      "handler 3 () src w",  // the focus is in the shown window
      "8076 u4",
      "8076 u3",
      "8076 u2",
      "8076 w",
  };
  EXPECT_THAT(Lines({"create", "806F", "8004", "8076", "handler"}), ElementsAreArray(expected));

  const struct {
    uint32_t serial;
    int controlId;
  } kIds[] = {{4, 100}, {3, 110}, {2, 120}};
  for (const auto& c : kIds) {
    EXPECT_EQ(GetDlgCtrlID(UnitHandle(form.WindowId(), UnitIdOf(c.serial))), c.controlId)
        << "unit " << c.serial;
  }
  EXPECT_TRUE(IsWindowVisible(WindowHandle(form.WindowId())));
}

TEST_F(LoadingTest, UnitsGoIntoTheirContainersStackedInTableOrder) {
  TestForm form(1);
  form.AddUnit(2, kProbeType, 0, 0, 200, 150).children = {UnitIdOf(3), UnitIdOf(5)};
  form.AddUnit(3, kProbeType, 5, 5, 20, 20).container = UnitIdOf(2);
  form.AddUnit(4, kProbeType, 0, 160, 20, 20);
  form.AddUnit(5, kProbeType, 30, 5, 20, 20).container = UnitIdOf(2);
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));

  auto unit = [&](uint32_t serial) { return UnitHandle(form.WindowId(), UnitIdOf(serial)); };
  HWND window = WindowHandle(form.WindowId());
  EXPECT_THAT(ChildrenTopFirst(window), ElementsAre(unit(2), unit(4)));
  EXPECT_THAT(ChildrenTopFirst(unit(2)), ElementsAre(unit(3), unit(5)));
  // Positions stay in the container's client area.
  RECT r{};
  GetWindowRect(unit(5), &r);
  MapWindowPoints(nullptr, unit(2), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 5);
}

TEST_F(LoadingTest, VisibilityAfterLoadFollowsBitsTypesAndPages) {
  TestForm form(1);
  form.AddUnit(2, kProbeType, 0, 0, 20, 20);
  form.AddUnit(3, kProbeType, 0, 0, 20, 20).stateFlags = 0;
  form.AddUnit(4, kHiddenProbeType, 0, 0, 20, 20);
  form.AddUnit(5, kPagedProbeType, 0, 0, 100, 100).children = {UnitIdOf(6), 0, UnitIdOf(7)};
  form.AddUnit(6, kProbeType, 0, 0, 20, 20).container = UnitIdOf(5);
  form.AddUnit(7, kProbeType, 0, 0, 20, 20).container = UnitIdOf(5);
  form.AddUnit(8, kProbeType, 0, 0, 20, 20).stateFlags = kUnitVisible | kUnitDisabled;
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));

  const struct {
    uint32_t serial;
    bool visible;
    bool enabled;
  } kCases[] = {
      {2, true, true},   // plain
      {3, false, true},  // visible bit clear
      {4, false, true},  // non-visual type
      {5, true, true},   // paged container
      {6, true, true},   // on its first page
      {7, false, true},  // on its second page
      {8, true, false},  // disabled
  };
  for (const auto& c : kCases) {
    HWND h = UnitHandle(form.WindowId(), UnitIdOf(c.serial));
    EXPECT_EQ(IsWindowVisible(h) != FALSE, c.visible) << "unit " << c.serial;
    EXPECT_EQ(IsWindowEnabled(h) != FALSE, c.enabled) << "unit " << c.serial;
  }

  // Later: visible true shows a plain unit, but not one on a page that is not selected.
  forms::SetUnitProperty(form.WindowId(), UnitIdOf(3), 5, -1, 1, 0);
  forms::SetUnitProperty(form.WindowId(), UnitIdOf(7), 5, -1, 1, 0);
  EXPECT_TRUE(IsWindowVisible(UnitHandle(form.WindowId(), UnitIdOf(3))));
  EXPECT_FALSE(IsWindowVisible(UnitHandle(form.WindowId(), UnitIdOf(7))));
  auto& t = Template(form.WindowId());
  EXPECT_TRUE(t.Unit(*t.FindUnit(UnitIdOf(7))).Visible()) << "the record keeps it visible";
}

TEST_F(LoadingTest, ModalWindowDisablesParentlessWindowsAndRestoresEachState) {
  TestForm a(1), b(2), owned(3), modal(4);
  ReadForms({a, b, owned, modal});
  ASSERT_TRUE(Load(a.WindowId()));
  ASSERT_TRUE(Load(b.WindowId()));
  ASSERT_TRUE(Load(owned.WindowId(), false, forms::FindUnitObject(a.WindowId(), 0)));
  EnableWindow(WindowHandle(b.WindowId()), FALSE);  // the program disabled it itself

  ASSERT_TRUE(forms::BuildWindow(Template(modal.WindowId()), nullptr, true));
  HWND m = WindowHandle(modal.WindowId());

  const struct {
    UnitId window;
    bool duringModal;
    bool afterClose;
  } kCases[] = {
      {a.WindowId(), false, true},
      {b.WindowId(), false, false},    // stays as the program left it
      {owned.WindowId(), true, true},  // has an owner: left alone
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(IsWindowEnabled(WindowHandle(c.window)) != FALSE, c.duringModal)
        << std::hex << c.window;
  }
  EXPECT_TRUE(IsWindowEnabled(m));
  SendMessageA(m, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(m));
  for (const auto& c : kCases) {
    EXPECT_EQ(IsWindowEnabled(WindowHandle(c.window)) != FALSE, c.afterClose)
        << std::hex << c.window;
  }
}

TEST_F(LoadingTest, ModalLoadReturnsOnlyWhenTheWindowIsGone) {
  TestForm main(1), modal(2);
  modal.Window().bindings = {{0, Offset(0)}};
  ReadForms({main, modal});
  ASSERT_TRUE(Load(main.WindowId()));
  // Built: close it from inside the modal loop once the loop is idle.
  ScriptAction(0, [&] { PostMessageA(WindowHandle(modal.WindowId()), WM_CLOSE, 0, 0); });
  ASSERT_TRUE(Load(modal.WindowId(), true));
  EXPECT_EQ(WindowHandle(modal.WindowId()), nullptr);
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(main.WindowId())));
  EXPECT_EQ(forms::CurrentModalWindow(), nullptr);
}

TEST_F(LoadingTest, AnOpenWindowIsOnlyBroughtToTheFront) {
  TestForm form(1);
  form.Window().bindings = {{0, Offset(0)}};
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));
  HWND first = WindowHandle(form.WindowId());
  ShowWindow(first, SW_MINIMIZE);
  ASSERT_TRUE(Load(form.WindowId()));
  EXPECT_EQ(WindowHandle(form.WindowId()), first);
  EXPECT_FALSE(IsIconic(first));
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 0 () src w"));
}

TEST_F(LoadingTest, FailedLoadsLeaveNothingBehind) {
  TestForm broken(1), fine(2);
  broken.AddUnit(2, kProbeType, 0, 0, 20, 20);
  broken.AddUnit(3, kProbeType, 0, 0, 20, 20, kProbeFailsCreate);
  broken.AddMenuItem(10, 0, "File");
  ReadForms({broken, fine});

  EXPECT_FALSE(Load(broken.WindowId()));
  EXPECT_EQ(WindowHandle(broken.WindowId()), nullptr);
  EXPECT_FALSE(rt::EventsSuppressed());
  EXPECT_FALSE(Load(WindowIdOf(99))) << "not in the form data";
  EXPECT_FALSE(forms::AnyWindowLive());
  EXPECT_TRUE(Load(fine.WindowId()));
  EXPECT_TRUE(forms::AnyWindowLive());
}

TEST_F(LoadingTest, ClosingAskesTheWindowUnlessTheProgramDestroysIt) {
  const struct {
    std::optional<uint64_t> closeResult;
    bool byDestroyCommand;
    bool staysOpen;
  } kCases[] = {
      {std::nullopt, false, false},
      {1, false, false},
      {0, false, true},
      {0, true, false},
  };
  for (const auto& c : kCases) {
    TestForm form(1);
    form.Window().bindings = {{1, Offset(1)}, {2, Offset(2)}};
    ReadForms({form});
    ASSERT_TRUE(Load(form.WindowId()));
    Journal().clear();
    ScriptResult(1, c.closeResult);
    HWND h = WindowHandle(form.WindowId());
    if (c.byDestroyCommand) {
      forms::DestroyUnit(forms::FindUnitObject(form.WindowId(), 0), false);
      EXPECT_TRUE(IsWindow(h)) << "the close waits for the window's own loop";
      platform::testing::RunUntilIdle();
    } else {
      SendMessageA(h, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(IsWindow(h) != FALSE, c.staysOpen);
    std::vector<std::string> expected = {"handler 1 () src w"};
    if (!c.staysOpen) expected.push_back("handler 2 () src w");
    EXPECT_THAT(Lines({"handler"}), ElementsAreArray(expected));
    forms::DestroyAllWindows();
    forms::LoadedForms().Clear();
  }
}

TEST_F(LoadingTest, ReCreatingAUnitKeepsItsPlaceIdAndFocus) {
  TestForm form(1);
  form.AddUnit(2, kProbeType, 0, 0, 20, 20);
  form.AddUnit(3, kProbeType, 30, 40, 50, 60);
  form.AddUnit(4, kProbeType, 0, 0, 20, 20);
  form.Window().bindings = {{-7, Offset(5)}};
  ReadForms({form});
  ASSERT_TRUE(Load(form.WindowId()));
  HWND window = WindowHandle(form.WindowId());
  HWND old = UnitHandle(form.WindowId(), UnitIdOf(3));
  SetFocus(old);
  int id = GetDlgCtrlID(old);
  Journal().clear();

  forms::SetUnitProperty(form.WindowId(), UnitIdOf(3), kProbeStyle, -1, 7, 0);

  HWND fresh = UnitHandle(form.WindowId(), UnitIdOf(3));
  ASSERT_NE(fresh, old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(GetDlgCtrlID(fresh), id);
  EXPECT_EQ(GetFocus(), fresh);
  EXPECT_TRUE(IsWindowVisible(fresh));
  EXPECT_THAT(ChildrenTopFirst(window), ElementsAre(UnitHandle(form.WindowId(), UnitIdOf(2)), fresh,
                                                    UnitHandle(form.WindowId(), UnitIdOf(4))));
  EXPECT_EQ(forms::GetUnitProperty(form.WindowId(), UnitIdOf(3), 0, -1), 30);
  EXPECT_EQ(forms::GetUnitProperty(form.WindowId(), UnitIdOf(3), 3, -1), 60);
  EXPECT_EQ(forms::GetUnitProperty(form.WindowId(), UnitIdOf(3), kProbeStyle, -1), 7);
  EXPECT_THAT(Lines({"806F", "8076", "handler"}), ElementsAre("806F u3", "8076 u3"))
      << "no events while it is re-created";
}

}  // namespace
}  // namespace formtest
