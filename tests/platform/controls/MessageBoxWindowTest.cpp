#include <gtest/gtest.h>

#include <functional>

#include "platform/user/Presenter.h"
#include "tests/platform/controls/DialogTestSupport.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace dialog_test;

class MessageBoxWindow : public DialogFixture {
 protected:
  // Runs a box whose driver does `drive`; returns the answer and counts driver calls.
  int Run(HWND owner, UINT type, const std::function<void(HWND)>& drive,
          const char* text = "text") {
    calls_ = 0;
    automation::SetDialogDriver([&](HWND box) {
      ++calls_;
      drive(box);
    });
    int answer = MessageBoxA(owner, text, "caption", type);
    automation::ClearDialogDriver();
    return answer;
  }
  int calls_ = 0;
};

TEST_F(MessageBoxWindow, ClickingAButtonAnswersWithItsId) {
  HWND no = nullptr;
  int answer = Run(nullptr, MB_YESNO | MB_ICONQUESTION, [&](HWND box) {
    EXPECT_EQ(ClassOf(box), "#32770");
    EXPECT_EQ(TextOf(box), "caption");
    no = GetDlgItem(box, IDNO);
    ASSERT_NE(no, nullptr);
    EXPECT_EQ(TextOf(no), "\xB7\xF1(&N)");  // 否
    Click(no);
  });
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(calls_, 1);
  EXPECT_FALSE(IsWindow(no)) << "the box is destroyed when answered";
  auto log = automation::TakeMessageBoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].answer, IDNO);
  EXPECT_EQ(log[0].textUtf8, "text");
}

TEST_F(MessageBoxWindow, EnterPicksTheDefaultButtonAndTabMovesIt) {
  EXPECT_EQ(
      Run(nullptr, MB_YESNOCANCEL | MB_DEFBUTTON2, [](HWND) { automation::PressKey(VK_RETURN); }),
      IDNO);
  EXPECT_EQ(Run(nullptr, MB_ABORTRETRYIGNORE | MB_DEFBUTTON3,
                [](HWND) { automation::PressKey(VK_RETURN); }),
            IDIGNORE);
  // The focused push button is the one Enter presses.
  EXPECT_EQ(Run(nullptr, MB_YESNO,
                [](HWND box) {
                  EXPECT_EQ(GetFocus(), GetDlgItem(box, IDYES));
                  automation::PressKey(VK_TAB);
                  automation::PumpDialogMessages();
                  EXPECT_EQ(GetFocus(), GetDlgItem(box, IDNO));
                  EXPECT_EQ(
                      SendMessageA(GetDlgItem(box, IDNO), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON,
                      DLGC_DEFPUSHBUTTON)
                      << "the default look follows the focus";
                  automation::PressKey(VK_RETURN);
                }),
            IDNO);
  EXPECT_EQ(Run(nullptr, MB_RETRYCANCEL,
                [](HWND) {
                  automation::PressKey(VK_RIGHT);
                  automation::PressKey(VK_RETURN);
                }),
            IDCANCEL)
      << "arrows move within the row of buttons";
}

TEST_F(MessageBoxWindow, EscapeAnswersCancelOnlyWhereThereIsOne) {
  EXPECT_EQ(Run(nullptr, MB_OKCANCEL, [](HWND) { automation::PressKey(VK_ESCAPE); }), IDCANCEL);
  EXPECT_EQ(Run(nullptr, MB_OK, [](HWND) { automation::PressKey(VK_ESCAPE); }), IDOK);
  int answer = Run(nullptr, MB_YESNO, [](HWND box) {
    automation::PressKey(VK_ESCAPE);
    automation::PumpDialogMessages();
    EXPECT_TRUE(IsWindowVisible(box)) << "Esc is ignored without a Cancel button";
    Click(GetDlgItem(box, IDYES));
  });
  EXPECT_EQ(answer, IDYES);
}

TEST_F(MessageBoxWindow, CloseBoxOnlyWhenTheBoxCanBeCancelled) {
  DWORD yesNoStyle = 0, okCancelStyle = 0, okStyle = 0;
  Run(nullptr, MB_YESNO, [&](HWND box) {
    yesNoStyle = static_cast<DWORD>(GetWindowLongA(box, GWL_STYLE));
    Click(GetDlgItem(box, IDNO));
  });
  Run(nullptr, MB_OKCANCEL, [&](HWND box) {
    okCancelStyle = static_cast<DWORD>(GetWindowLongA(box, GWL_STYLE));
    SendMessageA(box, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(Run(nullptr, MB_OK,
                [&](HWND box) {
                  okStyle = static_cast<DWORD>(GetWindowLongA(box, GWL_STYLE));
                  SendMessageA(box, WM_CLOSE, 0, 0);
                }),
            IDOK);
  EXPECT_EQ(yesNoStyle & WS_SYSMENU, 0u);
  EXPECT_EQ(okCancelStyle & WS_SYSMENU, WS_SYSMENU);
  EXPECT_EQ(okStyle & WS_SYSMENU, WS_SYSMENU);
}

TEST_F(MessageBoxWindow, HelpLeavesTheBoxOpenAndAccessKeysPress) {
  int answer = Run(nullptr, MB_OK | MB_HELP | MB_DEFBUTTON2, [](HWND box) {
    automation::PressKey(VK_RETURN);
    automation::PumpDialogMessages();
    EXPECT_TRUE(IsWindowVisible(box));
    automation::PressKey(VK_LEFT);
    automation::PressKey(VK_RETURN);
  });
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(Run(nullptr, MB_YESNO, [](HWND) { AltKey('N'); }), IDNO);
  EXPECT_EQ(Run(nullptr, MB_ABORTRETRYIGNORE, [](HWND) { automation::PressKey('R'); }), IDRETRY)
      << "a plain key presses the button whose access key it is";
}

TEST_F(MessageBoxWindow, ModalityDisablesTheRightWindows) {
  HWND owner = window_test::Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200);
  HWND other = window_test::Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200);
  HWND child = window_test::Make(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, owner);
  bool ownerEnabled = true, otherEnabled = true;
  DWORD exStyle = 0;
  EXPECT_EQ(Run(child, MB_OK,
                [&](HWND box) {
                  ownerEnabled = IsWindowEnabled(owner);
                  otherEnabled = IsWindowEnabled(other);
                  EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
                  automation::PressKey(VK_RETURN);
                }),
            IDOK);
  EXPECT_FALSE(ownerEnabled) << "the top-level window of the owner is disabled";
  EXPECT_TRUE(otherEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner)) << "and enabled again afterwards";
  EXPECT_EQ(GetActiveWindow(), owner);

  Run(nullptr, MB_OK | MB_TASKMODAL, [&](HWND) {
    ownerEnabled = IsWindowEnabled(owner);
    otherEnabled = IsWindowEnabled(other);
    automation::PressKey(VK_RETURN);
  });
  EXPECT_FALSE(ownerEnabled);
  EXPECT_FALSE(otherEnabled) << "a task-modal box disables every window of the thread";
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_TRUE(IsWindowEnabled(other));

  EnableWindow(other, FALSE);
  Run(nullptr, MB_OK | MB_TASKMODAL | MB_SYSTEMMODAL, [&](HWND box) {
    exStyle = static_cast<DWORD>(GetWindowLongA(box, GWL_EXSTYLE));
    automation::PressKey(VK_RETURN);
  });
  EXPECT_FALSE(IsWindowEnabled(other)) << "a window disabled before stays disabled";
  EXPECT_EQ(exStyle & WS_EX_TOPMOST, WS_EX_TOPMOST);
  DestroyWindow(other);
  DestroyWindow(owner);
}

TEST_F(MessageBoxWindow, ScriptedAnswersTakeThePlaceOfTheUser) {
  automation::ScriptMessageBoxAnswer(IDNO);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Run(nullptr, MB_YESNO, [](HWND) {}), IDNO);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(calls_, 0) << "no window was shown";
  auto log = automation::TakeMessageBoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].answer, IDNO);
}

TEST_F(MessageBoxWindow, AnUnansweredDrivenBoxEndsAsCancelledWithoutAScreen) {
  EXPECT_EQ(Run(nullptr, MB_OKCANCEL, [](HWND) {}), IDCANCEL);
  EXPECT_EQ(Run(nullptr, MB_YESNO | MB_DEFBUTTON2, [](HWND) {}), IDNO)
      << "a box that cannot be cancelled ends with its default button";
}

TEST_F(MessageBoxWindow, QuitInsideTheBoxIsPostedAgain) {
  int answer = Run(nullptr, MB_OKCANCEL, [](HWND) { PostQuitMessage(3); });
  EXPECT_EQ(answer, IDCANCEL);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageBoxWindow, CtrlCCopiesTheText) {
  platform::user::ActivePresenter().SetClipboardText("");
  Run(
      nullptr, MB_OK,
      [](HWND) {
        CtrlKey('C');
        automation::PressKey(VK_RETURN);
      },
      "copy \xD5\xD5\xC6\xAC");
  std::string copied = platform::user::ActivePresenter().GetClipboardText();
  EXPECT_NE(copied.find("copy \xE7\x85\xA7\xE7\x89\x87"), std::string::npos) << copied;
  EXPECT_NE(copied.find("caption"), std::string::npos);
}

TEST_F(MessageBoxWindow, LongTextWrapsAndTheIconIsDrawn) {
  std::string longText(600, 'x');
  for (size_t i = 7; i < longText.size(); i += 8) longText[i] = ' ';
  RECT client{};
  int iconPixels = -1;
  Run(
      nullptr, MB_OK | MB_ICONHAND,
      [&](HWND box) {
        GetClientRect(box, &client);
        automation::Image image = automation::CaptureWindow(box);
        RECT window{}, inner{};
        GetWindowRect(box, &window);
        POINT origin{0, 0};
        ClientToScreen(box, &origin);
        int dx = origin.x - window.left, dy = origin.y - window.top;
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        iconPixels = 0;
        for (int y = 12; y < 44; ++y)
          for (int x = 12; x < 44; ++x)
            if (!image.empty() && image.ColorAt(x + dx, y + dy) != face) ++iconPixels;
        (void)inner;
        automation::PressKey(VK_RETURN);
      },
      longText.c_str());
  EXPECT_LT(client.right, 520) << "long texts wrap instead of widening the box";
  EXPECT_GT(client.bottom, 100) << "the wrapped text takes several lines";
  EXPECT_GT(iconPixels, 50) << "the error icon is drawn at the top left";
}

}  // namespace
