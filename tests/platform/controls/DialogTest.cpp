#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/Dialog.h"
#include "tests/platform/controls/DialogTestSupport.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace dialog_test;
using platform::controls::AddDialogControl;
using platform::controls::CreateDialogWindow;
using platform::controls::ModalOptions;
using platform::controls::RunModalDialog;

enum : int { kEdit = 100, kRadio1, kRadio2, kRadio3, kCheck, kLabel, kDisabled };

// A dialog with a labelled edit, a group of three radio buttons, a check box, a disabled
// button, OK and Cancel; it records the commands it receives.
class DialogKeys : public DialogFixture {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    dialog_ = CreateDialogWindow(
        nullptr, "keys", 300, 200, WS_SYSMENU, 0,
        [this](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
          if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
            commands_.push_back(LOWORD(wParam));
          return std::nullopt;
        });
    ASSERT_NE(dialog_, nullptr);
    AddDialogControl(dialog_, "STATIC", "&Name:", SS_LEFT, 10, 10, 60, 16, kLabel);
    edit_ = AddDialogControl(dialog_, "EDIT", "abc", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 70, 8,
                             120, 22, kEdit);
    radio_[0] =
        AddDialogControl(dialog_, "BUTTON", "One", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 10,
                         40, 80, 20, kRadio1);
    radio_[1] =
        AddDialogControl(dialog_, "BUTTON", "Two", BS_AUTORADIOBUTTON, 10, 60, 80, 20, kRadio2);
    radio_[2] =
        AddDialogControl(dialog_, "BUTTON", "Three", BS_AUTORADIOBUTTON, 10, 80, 80, 20, kRadio3);
    check_ = AddDialogControl(dialog_, "BUTTON", "&Check", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
                              10, 110, 100, 20, kCheck);
    disabled_ = AddDialogControl(dialog_, "BUTTON", "Off", WS_TABSTOP | WS_DISABLED, 120, 110, 60,
                                 24, kDisabled);
    ok_ = AddDialogControl(dialog_, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 120,
                           160, 80, 24, IDOK);
    cancel_ = AddDialogControl(dialog_, "BUTTON", "Cancel", WS_TABSTOP, 210, 160, 80, 24, IDCANCEL);
    ShowWindow(dialog_, SW_SHOW);
    SetActiveWindow(dialog_);
    automation::RunUntilIdle();
  }
  void TearDown() override {
    DestroyWindow(dialog_);
    DialogFixture::TearDown();
  }
  // Keys go through the dialog's keyboard interface, as in a modal loop.
  void Key(int key) {
    automation::PressKey(key);
    Pump();
  }
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(dialog_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }

  HWND dialog_ = nullptr, edit_ = nullptr, check_ = nullptr, disabled_ = nullptr, ok_ = nullptr,
       cancel_ = nullptr;
  HWND radio_[3] = {};
  std::vector<int> commands_;
};

TEST_F(DialogKeys, ActivationFocusesTheFirstTabStopAndTabCyclesSkippingDisabled) {
  EXPECT_EQ(GetFocus(), edit_);
  const HWND order[] = {radio_[0], check_, ok_, cancel_, edit_};
  for (HWND expected : order) {
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), expected) << TextOf(expected);
  }
  automation::KeyDown(VK_SHIFT);
  Key(VK_TAB);
  automation::KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(GetFocus(), cancel_) << "Shift+Tab goes back, wrapping around";

  // Focus leaving and coming back with activation.
  HWND other = window_test::Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  SetActiveWindow(other);
  SetActiveWindow(dialog_);
  EXPECT_EQ(GetFocus(), cancel_) << "the focused control is restored on activation";
  DestroyWindow(other);
}

TEST_F(DialogKeys, ArrowsMoveWithinTheRadioGroupAndChooseTheButton) {
  SendMessageA(radio_[0], BM_SETCHECK, BST_CHECKED, 0);
  SetFocus(radio_[0]);
  Key(VK_DOWN);
  EXPECT_EQ(GetFocus(), radio_[1]);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kRadio2), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kRadio1), BST_UNCHECKED);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(GetFocus(), radio_[0]) << "the group wraps, never reaching the check box";
  Key(VK_UP);
  EXPECT_EQ(GetFocus(), radio_[2]);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kRadio3), BST_CHECKED);
}

TEST_F(DialogKeys, EnterEscapeAndTheDefaultButton) {
  SetFocus(edit_);
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_EQ(commands_, (std::vector<int>{IDOK, IDCANCEL}));
  commands_.clear();

  SendMessageA(dialog_, DM_SETDEFID, kCheck, 0);
  EXPECT_EQ(SendMessageA(dialog_, DM_GETDEFID, 0, 0), MAKELPARAM(kCheck, DC_HASDEFID));
  Key(VK_RETURN);
  SetFocus(cancel_);
  Key(VK_RETURN);
  EXPECT_EQ(commands_, (std::vector<int>{kCheck, IDCANCEL}))
      << "Enter presses the default id, or the focused push button";
  commands_.clear();

  SendMessageA(dialog_, DM_SETDEFID, kDisabled, 0);
  SetFocus(edit_);
  Key(VK_RETURN);
  EXPECT_TRUE(commands_.empty()) << "a disabled default button is not pressed";
}

TEST_F(DialogKeys, TabbingOntoAPushButtonMakesItTheDefaultLook) {
  SendMessageA(dialog_, DM_SETDEFID, IDOK, 0);
  SetFocus(check_);
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), cancel_);
  auto style = [](HWND button) {
    return static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE)) & BS_TYPEMASK;
  };
  EXPECT_EQ(style(cancel_), BS_DEFPUSHBUTTON);
  EXPECT_EQ(style(ok_), BS_PUSHBUTTON);
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), edit_);
  EXPECT_EQ(style(cancel_), BS_PUSHBUTTON);
  EXPECT_EQ(style(ok_), BS_DEFPUSHBUTTON) << "the default button gets its look back";
  DWORD selection = static_cast<DWORD>(SendMessageA(edit_, EM_GETSEL, 0, 0));
  EXPECT_EQ(LOWORD(selection), 0);
  EXPECT_EQ(HIWORD(selection), 3) << "an edit reached by Tab has its text selected";
}

TEST_F(DialogKeys, AccessKeysFocusTheLabelledControlOrPressTheButton) {
  SetFocus(ok_);
  AltKey('N');
  Pump();
  EXPECT_EQ(GetFocus(), edit_) << "a label's key focuses the control after it";
  AltKey('C');
  Pump();
  EXPECT_EQ(GetFocus(), check_);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kCheck), BST_CHECKED);
  EXPECT_EQ(commands_, (std::vector<int>{kCheck}));
  // A plain key is text for the edit, and an access key elsewhere.
  SetFocus(edit_);
  SendMessageA(edit_, EM_SETSEL, 3, 3);
  automation::TypeUtf8("c");
  Pump();
  EXPECT_EQ(TextOf(edit_), "abcc");
  SetFocus(ok_);
  automation::TypeUtf8("c");
  Pump();
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kCheck), BST_UNCHECKED);
}

TEST_F(DialogKeys, NextDialogControlByHandleOrDirection) {
  SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(check_), TRUE);
  EXPECT_EQ(GetFocus(), check_);
  SendMessageA(dialog_, WM_NEXTDLGCTL, 0, FALSE);
  EXPECT_EQ(GetFocus(), ok_);
  SendMessageA(dialog_, WM_NEXTDLGCTL, 1, FALSE);
  EXPECT_EQ(GetFocus(), check_);
  HWND stranger = window_test::Make(WS_OVERLAPPEDWINDOW, 0, 0, 50, 50);
  SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stranger), TRUE);
  EXPECT_EQ(GetFocus(), check_) << "a window outside the dialog is not focused";
  DestroyWindow(stranger);
  MSG foreign{stranger, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_FALSE(IsDialogMessageA(dialog_, &foreign));
  EXPECT_FALSE(IsDialogMessageA(dialog_, nullptr));
}

class DialogItems : public DialogFixture {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    dialog_ = CreateDialogWindow(nullptr, "items", 200, 100, 0, 0, nullptr);
    AddDialogControl(dialog_, "EDIT", "", WS_BORDER, 0, 0, 100, 20, kEdit);
    AddDialogControl(dialog_, "BUTTON", "a", BS_AUTORADIOBUTTON | WS_GROUP, 0, 30, 50, 20, kRadio1);
    AddDialogControl(dialog_, "BUTTON", "b", BS_AUTORADIOBUTTON, 0, 50, 50, 20, kRadio2);
    AddDialogControl(dialog_, "BUTTON", "c", BS_AUTORADIOBUTTON, 0, 70, 50, 20, kRadio3);
  }
  void TearDown() override {
    DestroyWindow(dialog_);
    DialogFixture::TearDown();
  }
  HWND dialog_ = nullptr;
};

TEST_F(DialogItems, IntegersRoundTripAndRejectWhatIsNotANumber) {
  BOOL ok = FALSE;
  SetDlgItemInt(dialog_, kEdit, static_cast<UINT>(-42), TRUE);
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog_, kEdit, &ok, TRUE)), -42);
  EXPECT_TRUE(ok);
  GetDlgItemInt(dialog_, kEdit, &ok, FALSE);
  EXPECT_FALSE(ok) << "a sign is not part of an unsigned number";
  SetDlgItemInt(dialog_, kEdit, 4000000000u, FALSE);
  EXPECT_EQ(GetDlgItemInt(dialog_, kEdit, &ok, FALSE), 4000000000u);
  EXPECT_TRUE(ok);
  GetDlgItemInt(dialog_, kEdit, &ok, TRUE);
  EXPECT_FALSE(ok) << "beyond the signed range";
  for (const char* text : {"12a", "", "-", "99999999999"}) {
    SetDlgItemTextA(dialog_, kEdit, text);
    ok = TRUE;
    EXPECT_EQ(GetDlgItemInt(dialog_, kEdit, &ok, TRUE), 0u) << text;
    EXPECT_FALSE(ok) << text;
  }
  SetDlgItemTextA(dialog_, kEdit, " 17 ");
  EXPECT_EQ(GetDlgItemInt(dialog_, kEdit, &ok, FALSE), 17u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(GetDlgItemInt(dialog_, 999, &ok, FALSE), 0u);
  EXPECT_FALSE(ok);
}

TEST_F(DialogItems, TextsButtonsAndMissingItems) {
  EXPECT_TRUE(SetDlgItemTextA(dialog_, kEdit, "\xD5\xD5\xC6\xAC!"));
  char small[4] = "zzz";
  EXPECT_EQ(GetDlgItemTextA(dialog_, kEdit, small, sizeof(small)), 2u)
      << "a double-byte character is not split";
  EXPECT_STREQ(small, "\xD5\xD5");
  char buffer[8] = "zzz";
  EXPECT_EQ(GetDlgItemTextA(dialog_, 999, buffer, sizeof(buffer)), 0u);
  EXPECT_STREQ(buffer, "") << "a missing item leaves an empty text";
  EXPECT_FALSE(SetDlgItemTextA(dialog_, 999, "x"));
  EXPECT_EQ(SendDlgItemMessageA(dialog_, 999, WM_GETTEXTLENGTH, 0, 0), 0);

  EXPECT_TRUE(CheckRadioButton(dialog_, kRadio1, kRadio3, kRadio2));
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kRadio2), BST_CHECKED);
  EXPECT_TRUE(CheckRadioButton(dialog_, kRadio3, kRadio1, kRadio3)) << "bounds in either order";
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kRadio2), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kRadio3), BST_CHECKED);
  EXPECT_TRUE(CheckDlgButton(dialog_, kRadio1, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog_, kRadio1), BST_CHECKED);
  EXPECT_FALSE(CheckDlgButton(dialog_, 999, BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog_, 999), 0u);
  EXPECT_FALSE(EndDialog(nullptr, 1));
}

class DialogModal : public DialogFixture {};

TEST_F(DialogModal, EndDialogResultOwnerDisabledAndNestedLoops) {
  HWND owner = window_test::Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200);
  HWND outer = CreateDialogWindow(owner, "outer", 200, 100, 0, 0, nullptr);
  INT_PTR innerResult = 0;
  bool ownerDisabled = false;
  int calls = 0;
  automation::SetDialogDriver([&](HWND dialog) {
    ++calls;
    if (dialog == outer) {
      ownerDisabled = !IsWindowEnabled(owner);
      HWND inner = CreateDialogWindow(outer, "inner", 100, 50, 0, 0, nullptr);
      ModalOptions options;
      options.disable.push_back(outer);
      innerResult = RunModalDialog(inner, outer, options);
      EXPECT_TRUE(IsWindowEnabled(outer));
      EXPECT_FALSE(IsWindow(inner));
      EndDialog(outer, 42);
    } else {
      EXPECT_FALSE(IsWindowEnabled(outer));
      EndDialog(dialog, 7);
    }
  });
  ModalOptions options;
  options.disable.push_back(owner);
  EXPECT_EQ(RunModalDialog(outer, owner, options), 42);
  EXPECT_EQ(innerResult, 7) << "the inner loop ended on its own";
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(outer));
  DestroyWindow(owner);
}

TEST_F(DialogModal, BackgroundIsPaintedAndTheCloseBoxCancels) {
  std::vector<int> commands;
  HWND dialog =
      CreateDialogWindow(nullptr, "bg", 120, 80, WS_SYSMENU, 0,
                         [&](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
                           if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
                           return std::nullopt;
                         });
  ShowWindow(dialog, SW_SHOW);
  automation::RunUntilIdle();
  automation::Image image = automation::CaptureWindow(dialog);
  ASSERT_FALSE(image.empty());
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  RECT window{};
  GetWindowRect(dialog, &window);
  EXPECT_EQ(image.ColorAt(origin.x - window.left + 60, origin.y - window.top + 40),
            GetSysColor(COLOR_BTNFACE));
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  automation::RunUntilIdle();
  EXPECT_EQ(commands, (std::vector<int>{IDCANCEL}));
  DestroyWindow(dialog);
}

}  // namespace
