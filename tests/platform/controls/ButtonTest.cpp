// Buttons: when a click counts (mouse with capture, space, BM_CLICK), what the automatic
// check boxes and radio buttons do with their state, and what the parent is told.
#include "tests/platform/controls/BasicControlsTestSupport.h"

namespace {

using namespace controls_test;
using window_test::Take;

class ButtonTest : public ControlTest {};

TEST_F(ButtonTest, ClickInsideSendsOneBnClickedWithIdAndHandle) {
  HWND button = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 101);
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(automation::ClickInWindow(button, {40, 12}));
  automation::RunUntilIdle();
  auto commands = Commands(Take(), host);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], (Command{101, BN_CLICKED, button}));
  EXPECT_EQ(GetFocus(), button);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, PressDragOutReleaseDoesNotClickButDragBackInDoes) {
  HWND button = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 7);
  automation::MouseDown(At(button, 40, 12));
  automation::RunUntilIdle();
  EXPECT_EQ(GetCapture(), button);
  EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  automation::MouseMove(At(button, 200, 100));
  automation::RunUntilIdle();
  EXPECT_FALSE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  automation::MouseUp(At(button, 200, 100));
  automation::RunUntilIdle();
  EXPECT_TRUE(Commands(Take(), host).empty());
  EXPECT_EQ(GetCapture(), nullptr);

  automation::MouseDown(At(button, 40, 12));
  automation::MouseMove(At(button, 200, 100));
  automation::MouseMove(At(button, 30, 10));
  automation::MouseUp(At(button, 30, 10));
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(Take(), host), std::vector<int>{BN_CLICKED});
}

TEST_F(ButtonTest, LosingCaptureMidPressCancelsTheClick) {
  HWND button = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 7);
  automation::MouseDown(At(button, 40, 12));
  automation::RunUntilIdle();
  ReleaseCapture();
  EXPECT_FALSE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  automation::MouseUp(At(button, 40, 12));
  automation::RunUntilIdle();
  EXPECT_TRUE(Commands(Take(), host).empty());
}

TEST_F(ButtonTest, SpaceClicksOnReleaseOnly) {
  HWND button = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 9);
  SetFocus(button);
  automation::RunUntilIdle();
  Take();
  automation::KeyDown(VK_SPACE);
  automation::RunUntilIdle();
  EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EXPECT_TRUE(Commands(Take(), host).empty());
  automation::KeyUp(VK_SPACE);
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(Take(), host), std::vector<int>{BN_CLICKED});
  EXPECT_FALSE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
}

TEST_F(ButtonTest, DisabledButtonIgnoresMouseAndBmClick) {
  HWND button = Child("BUTTON", "OK", BS_PUSHBUTTON, 10, 10, 80, 24, 9);
  EnableWindow(button, FALSE);
  automation::RunUntilIdle();
  Take();
  automation::ClickInWindow(button, {40, 12});
  SendMessageA(button, BM_CLICK, 0, 0);
  automation::RunUntilIdle();
  EXPECT_TRUE(Commands(Take(), host).empty());
  EnableWindow(button, TRUE);
  SendMessageA(button, BM_CLICK, 0, 0);
  EXPECT_EQ(Codes(Take(), host), std::vector<int>{BN_CLICKED});
}

TEST_F(ButtonTest, AutomaticCheckBoxesChangeBeforeTheParentHears) {
  HWND box = Child("BUTTON", "Check", BS_AUTOCHECKBOX, 10, 10, 120, 20, 1);
  HWND tri = Child("BUTTON", "Three", BS_AUTO3STATE, 10, 40, 120, 20, 2);
  HWND manual = Child("BUTTON", "Manual", BS_CHECKBOX, 10, 70, 120, 20, 3);
  LRESULT seen = -1;
  window_test::Record().handlers[host] = [&](HWND, UINT m, WPARAM w,
                                             LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_COMMAND && LOWORD(w) == 1)
      seen = SendMessageA(reinterpret_cast<HWND>(l), BM_GETCHECK, 0, 0);
    return std::nullopt;
  };
  automation::ClickInWindow(box, {5, 10});
  automation::RunUntilIdle();
  EXPECT_EQ(seen, BST_CHECKED);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  std::vector<LRESULT> cycle;
  for (int i = 0; i < 3; ++i) {
    SendMessageA(tri, BM_CLICK, 0, 0);
    cycle.push_back(SendMessageA(tri, BM_GETCHECK, 0, 0));
  }
  EXPECT_EQ(cycle, (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));

  Take();
  SendMessageA(manual, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Codes(Take(), host), std::vector<int>{BN_CLICKED});
}

TEST_F(ButtonTest, SetCheckKeepsStatesTheKindCanShow) {
  HWND push = Child("BUTTON", "Push", BS_PUSHBUTTON, 10, 10, 80, 24, 1);
  HWND box = Child("BUTTON", "Box", BS_CHECKBOX, 10, 40, 80, 20, 2);
  HWND tri = Child("BUTTON", "Tri", BS_3STATE, 10, 70, 80, 20, 3);
  SendMessageA(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageA(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageA(box, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(tri, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(SendMessageA(tri, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  SendMessageA(tri, BM_SETCHECK, 77, 0);
  EXPECT_EQ(SendMessageA(tri, BM_GETCHECK, 0, 0), BST_CHECKED);
  // Setting the check is no click.
  EXPECT_TRUE(Commands(Take(), host).empty());
}

TEST_F(ButtonTest, AutoRadioUnchecksOnlyItsOwnGroup) {
  HWND a = Child("BUTTON", "A", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 80, 20, 1);
  HWND b = Child("BUTTON", "B", BS_AUTORADIOBUTTON, 10, 30, 80, 20, 2);
  HWND plain = Child("BUTTON", "P", BS_RADIOBUTTON, 10, 50, 80, 20, 3);
  HWND c = Child("BUTTON", "C", BS_AUTORADIOBUTTON | WS_GROUP, 10, 70, 80, 20, 4);
  SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(plain, BM_SETCHECK, BST_CHECKED, 0);
  automation::ClickInWindow(a, {5, 10});
  automation::RunUntilIdle();
  EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_CHECKED);
  automation::ClickInWindow(b, {5, 10});
  automation::RunUntilIdle();
  EXPECT_EQ(SendMessageA(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  // A radio button that is not automatic is the program's to manage; the next group is
  // beyond the WS_GROUP boundary.
  EXPECT_EQ(SendMessageA(plain, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(c, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);
}

TEST_F(ButtonTest, GroupBoxLetsClicksThroughAndTakesNoFocus) {
  // Created first, as dialogs do, the group box lies above the button it surrounds: the
  // button must still get its clicks through the group box.
  HWND group = Child("BUTTON", "Group", BS_GROUPBOX, 10, 10, 200, 150, 5);
  HWND inside = Child("BUTTON", "In", BS_PUSHBUTTON, 30, 40, 60, 24, 6);
  ASSERT_EQ(GetWindow(group, GW_HWNDNEXT), inside);
  automation::ClickInWindow(group, {150, 100});
  automation::RunUntilIdle();
  auto log = Take();
  EXPECT_TRUE(Commands(log, host).empty());
  EXPECT_GE(window_test::Count(log, host, WM_LBUTTONDOWN), 1u);
  EXPECT_NE(GetFocus(), group);
  SendMessageA(group, BM_CLICK, 0, 0);
  EXPECT_TRUE(Commands(Take(), host).empty());
  automation::ClickInWindow(inside, {30, 12});
  automation::RunUntilIdle();
  EXPECT_EQ(Commands(Take(), host), (std::vector<Command>{{6, BN_CLICKED, inside}}));
}

TEST_F(ButtonTest, DialogCodesAndStyleChanges) {
  HWND push = Child("BUTTON", "Push", BS_PUSHBUTTON, 10, 10, 80, 24, 1);
  EXPECT_EQ(SendMessageA(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  SendMessageA(push, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(SendMessageA(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongA(push, GWL_STYLE) & (WS_CHILD | WS_VISIBLE),
            static_cast<LONG>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(SendMessageA(push, WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  EXPECT_EQ(SendMessageA(push, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)), 0);
  EXPECT_EQ(SendMessageA(push, BM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bitmap));
  EXPECT_EQ(SendMessageA(push, BM_GETIMAGE, IMAGE_ICON, 0), 0);
  DestroyWindow(push);
  DeleteObject(bitmap);
}

// ---- What a button shows ---------------------------------------------------------------------

int CountNot(const automation::Image& image, RECT r, COLORREF color) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (image.ColorAt(x, y) != color) ++n;
  return n;
}

TEST_F(ButtonTest, PaintShowsCaptionPressedFaceAndCheckMark) {
  HWND push = Child("BUTTON", "Save", BS_PUSHBUTTON, 10, 10, 80, 30, 1);
  HWND box = Child("BUTTON", "", BS_AUTOCHECKBOX, 10, 60, 20, 20, 2);
  auto before = automation::CaptureWindow(push);
  ASSERT_FALSE(before.empty());
  COLORREF face = before.ColorAt(5, 15);
  // The caption is drawn in the middle of the face.
  EXPECT_GT(CountNot(before, {20, 8, 60, 22}, face), 10);
  SendMessageA(push, BM_SETSTATE, TRUE, 0);
  auto pressed = automation::CaptureWindow(push);
  EXPECT_NE(pressed.ColorAt(5, 15), face);

  auto clear = automation::CaptureWindow(box);
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  auto checked = automation::CaptureWindow(box);
  int differing = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 14; ++x)
      if (clear.ColorAt(x, y) != checked.ColorAt(x, y)) ++differing;
  EXPECT_GT(differing, 5);
}

TEST_F(ButtonTest, OwnerDrawnButtonAsksTheParent) {
  UINT drawnType = 0;
  UINT drawnState = 0;
  window_test::Record().handlers[host] = [&](HWND, UINT m, WPARAM,
                                             LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_DRAWITEM) {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      drawnType = item->CtlType;
      drawnState = item->itemState;
      return TRUE;
    }
    return std::nullopt;
  };
  HWND button = Child("BUTTON", "x", BS_OWNERDRAW, 10, 10, 50, 20, 3);
  SendMessageA(button, BM_SETSTATE, TRUE, 0);
  automation::CaptureWindow(button);
  EXPECT_EQ(drawnType, ODT_BUTTON);
  EXPECT_TRUE(drawnState & ODS_SELECTED);
}

}  // namespace

// A group box only frames: the labels inside it stay visible whether they were made before
// or after it, and when the box alone is painted again.
TEST_F(ButtonTest, GroupBoxNeverCoversWhatItFrames) {
  for (const bool boxFirst : {true, false}) {
    SCOPED_TRACE(boxFirst ? "box made first" : "box made last");
    HWND box = boxFirst ? Child("BUTTON", "Group", BS_GROUPBOX, 10, 100, 240, 80, 3) : nullptr;
    HWND label = Child("STATIC", "Left text", SS_LEFT, 20, 125, 200, 16, 4);
    HWND field = Child("EDIT", "typed", WS_BORDER, 20, 148, 200, 22, 5);
    if (!boxFirst) box = Child("BUTTON", "Group", BS_GROUPBOX, 10, 100, 240, 80, 3);
    automation::RunUntilIdle();
    for (int round = 0; round < 2; ++round) {
      auto text = automation::CaptureWindow(label);
      auto edit = automation::CaptureWindow(field);
      ASSERT_FALSE(text.empty());
      EXPECT_GT(CountNot(text, {0, 0, 80, 16}, text.ColorAt(199, 8)), 20) << "round " << round;
      EXPECT_GT(CountNot(edit, {3, 3, 60, 19}, edit.ColorAt(190, 11)), 20) << "round " << round;
      InvalidateRect(box, nullptr, TRUE);
      UpdateWindow(box);
      automation::RunUntilIdle();
    }
    // The frame itself is drawn: its left edge differs from the parent's background inside.
    auto frame = automation::CaptureWindow(box);
    EXPECT_NE(frame.ColorAt(0, 50), frame.ColorAt(5, 50));
    for (HWND w : {box, label, field}) DestroyWindow(w);
  }
  // A parent that clips its children paints nothing under the box: the box fills its inside
  // itself, around the controls it frames.
  SetWindowLongA(host, GWL_STYLE, GetWindowLongA(host, GWL_STYLE) | WS_CLIPCHILDREN);
  HWND label = Child("STATIC", "Left text", SS_LEFT, 20, 125, 200, 16, 4);
  HWND box = Child("BUTTON", "Group", BS_GROUPBOX, 10, 100, 240, 80, 3);
  InvalidateRect(host, nullptr, TRUE);
  automation::RunUntilIdle();
  auto frame = automation::CaptureWindow(box);
  auto text = automation::CaptureWindow(label);
  EXPECT_EQ(frame.ColorAt(120, 70), GetSysColor(COLOR_BTNFACE));
  EXPECT_GT(CountNot(text, {0, 0, 80, 16}, text.ColorAt(199, 8)), 20);
}
