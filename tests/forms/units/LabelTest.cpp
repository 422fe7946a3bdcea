// Labels and group boxes: the label's feedback event and its kept minimum, the transparent
// label drawing nothing but its caption over what lies below while taking presses, and
// the group box taking presses itself and passing on what the units inside it report.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "forms/properties/UnitProperties.h"
#include "forms/units/edit/EditBoxUnit.h"
#include "forms/units/groupbox/GroupBoxUnit.h"
#include "forms/units/label/LabelUnit.h"
#include "forms/units/label/TransLabelUnit.h"
#include "forms/units/picbox/PicBoxUnit.h"
#include "forms/units/window/WindowUnit.h"
#include "platform/testing/InputAutomation.h"
#include "platform/testing/MessageLoop.h"
#include "tests/forms/units/UnitsTestSupport.h"

namespace formtest {
namespace {

using ::testing::ElementsAre;
namespace pt = platform::testing;

constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

class LabelTest : public UnitsTest {};

TEST_F(LabelTest, FeedbackEventHandsTheHandlersValueBack) {
  LoadForm([](TestForm& form) {
    AddTypedUnit(form, 2, DefaultBlock(forms::kTypeLabel), {0, 0, 80, 20}).bindings = {
        {0, Offset(3)}};
    AddTypedUnit(form, 3, DefaultBlock(forms::kTypeLabel), {0, 30, 80, 50});
  });
  ScriptResult(3, 42);
  EXPECT_EQ(SendMessageA(Unit(2), forms::kMsgLabelFeedback, 7, 9), 42);
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 3 (7,9) src u2"));
  ScriptResult(3, std::nullopt);
  EXPECT_EQ(SendMessageA(Unit(2), forms::kMsgLabelFeedback, 1, 2), 0);
  EXPECT_EQ(SendMessageA(Unit(3), forms::kMsgLabelFeedback, 1, 2), 0);  // no handler bound

  for (auto [set, read] : {std::pair{2, 5}, {-8, 5}, {5, 5}, {9, 9}}) {
    SetWord(2, forms::kLabelInt11, set);
    EXPECT_EQ(GetWord(2, forms::kLabelInt11), read) << set;
  }
}

TEST_F(LabelTest, LabelDrawsItsBackColourBorderAndCaption) {
  LoadForm([](TestForm& form) {
    forms::TypeBlock b = DefaultBlock(forms::kTypeLabel);
    b.SetText(forms::kLabelCaption, "Label");
    b.SetWord(forms::kLabelBackColor, kYellow);
    b.SetWord(forms::kLabelTextColor, RGB(0, 0, 255));
    b.SetWord(forms::kLabelBorder, 5);
    AddTypedUnit(form, 2, b, {10, 10, 110, 40});
  });
  pt::Image image = pt::CaptureWindow(Unit(2));
  ASSERT_EQ(image.width, 100);
  EXPECT_EQ(image.ColorAt(0, 0), GetSysColor(COLOR_WINDOWFRAME));  // single-line border
  EXPECT_EQ(image.ColorAt(image.width - 3, image.height - 3), kYellow);
  int blue = 0;  // caption pixels, their edges blended with the yellow
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const COLORREF c = image.ColorAt(x, y);
      blue += GetBValue(c) > 150 && GetRValue(c) < 120 && GetGValue(c) < 120 ? 1 : 0;
    }
  }
  EXPECT_GT(blue, 20);
}

TEST_F(LabelTest, TransparentLabelShowsWhatLiesBelowAndTakesPresses) {
  LoadForm([](TestForm& form) {
    form.WindowProperties().SetWord(forms::kWindowBackColor, kGreen);
    forms::TypeBlock b = DefaultBlock(forms::kTypeTransLabel);
    b.SetText(forms::kTransLabelCaption, "Over");
    b.SetWord(forms::kTransLabelTextColor, RGB(255, 255, 255));
    AddTypedUnit(form, 2, b, {20, 20, 140, 60}).bindings = {{-1, Offset(5)}};
    // A label under part of it: its yellow must show through as well.
    forms::TypeBlock under = DefaultBlock(forms::kTypeLabel);
    under.SetWord(forms::kLabelBackColor, kYellow);
    AddTypedUnit(form, 3, under, {80, 20, 200, 60});
  });
  // The first unit of the table is created last and so sits on top.
  ASSERT_EQ(GetWindow(Unit(2), GW_HWNDNEXT), Unit(3));
  pt::Image image = pt::CaptureWindow(Unit(2));
  ASSERT_EQ(image.width, 120);
  // Every pixel is what lies below it or part of the white caption (blended at its edges):
  // the label paints no face of its own.
  int white = 0, below = 0, face = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const COLORREF c = image.ColorAt(x, y);
      white += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200 ? 1 : 0;
      below += c == (x < 60 ? kGreen : kYellow) ? 1 : 0;
      face += c == GetSysColor(COLOR_BTNFACE) ? 1 : 0;
    }
  }
  EXPECT_GT(white, 20);
  EXPECT_GT(below, image.width * image.height * 7 / 10);
  EXPECT_EQ(face, 0);
  EXPECT_EQ(image.ColorAt(2, image.height - 2), kGreen);
  EXPECT_EQ(image.ColorAt(image.width - 2, image.height - 2), kYellow);

  // A caption changed later is drawn afresh, not over the old one.
  SetText(2, forms::kTransLabelCaption, "");
  Pump();
  image = pt::CaptureWindow(Unit(2));
  EXPECT_EQ(image.ColorAt(30, 20), kGreen);
  EXPECT_EQ(image.ColorAt(90, 20), kYellow);
  for (int x = 0; x < image.width; ++x) {
    ASSERT_NE(image.ColorAt(x, image.height / 2), RGB(255, 255, 255)) << x;
  }

  // What lies below changing shows through without the label being touched.
  forms::SetUnitProperty(W, OwnUnitOf(1), forms::kWindowBackColor, -1, RGB(0, 0, 128), 0);
  Pump();
  EXPECT_EQ(pt::CaptureWindow(Unit(2)).ColorAt(30, 20), RGB(0, 0, 128));

  ASSERT_TRUE(pt::ClickInWindow(Unit(2), {5, 5}));
  Pump();
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 5 (5,5,0) src u2"));
}

TEST_F(LabelTest, TransparentLabelOnAPictureBoxFollowsTheBox) {
  LoadForm([](TestForm& form) {
    forms::TypeBlock box = DefaultBlock(forms::kTypePicBox);
    box.SetWord(forms::kPicBoxBackColor, kGreen);
    forms::UnitRecordFields& boxRecord = AddTypedUnit(form, 3, box, {10, 10, 210, 110});
    forms::TypeBlock label = DefaultBlock(forms::kTypeTransLabel);
    label.SetText(forms::kTransLabelCaption, "");
    forms::UnitRecordFields& labelRecord = AddTypedUnit(form, 2, label, {20, 20, 120, 60});
    labelRecord.container = UnitIdOf(3);
    boxRecord.children = {UnitIdOf(2)};
  });
  ASSERT_EQ(GetParent(Unit(2)), Unit(3));
  EXPECT_EQ(pt::CaptureWindow(Unit(2)).ColorAt(50, 20), kGreen);
  forms::SetUnitProperty(W, U(3), forms::kPicBoxBackColor, -1, kYellow, 0);
  Pump();
  EXPECT_EQ(pt::CaptureWindow(Unit(2)).ColorAt(50, 20), kYellow);
}

TEST_F(LabelTest, GroupBoxTakesPressesAndItsUnitsReportThroughIt) {
  LoadForm([](TestForm& form) {
    forms::TypeBlock box = DefaultBlock(forms::kTypeGroupBox);
    box.SetText(forms::kGroupBoxCaption, "Group");
    auto& group = AddTypedUnit(form, 2, box, {10, 10, 210, 130});
    group.bindings = {{-1, Offset(6)}};
    group.children = {UnitIdOf(3)};
    auto& edit = AddTypedUnit(form, 3, DefaultBlock(forms::kTypeEditBox), {20, 30, 180, 54});
    edit.container = UnitIdOf(2);
    edit.bindings = {{0, Offset(7)}};
  });
  ASSERT_EQ(GetParent(Unit(3)), Unit(2));
  ASSERT_TRUE(pt::ClickInWindow(Unit(2), {100, 90}));
  Pump();
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 6 (100,90,0) src u2"));

  Journal().clear();
  SetFocus(Unit(3));
  pt::PressKey('K');
  Pump();
  EXPECT_THAT(Lines({"handler"}), ElementsAre("handler 7 () src u3"));
  EXPECT_EQ(GetText(3, forms::kEditContent), "k");
}

}  // namespace
}  // namespace formtest
