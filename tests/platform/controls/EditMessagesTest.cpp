// Edit messages from the program: text in and out, selections, lines of a multi-line
// edit, the clipboard, password display, and what bad arguments do.
#include <cstring>

#include "platform/user/Presenter.h"
#include "tests/platform/controls/BasicControlsTestSupport.h"

namespace {

using namespace controls_test;
using window_test::Take;

class EditMessagesTest : public ControlTest {
 protected:
  std::pair<DWORD, DWORD> Sel(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  using Sel_t = std::pair<DWORD, DWORD>;
  platform::user::Presenter& Clipboard() { return platform::user::ActivePresenter(); }
};

TEST_F(EditMessagesTest, SetTextSendsNoChangeSoACallerThatWantsOneGetsItOnce) {
  HWND edit = Child("EDIT", "", WS_BORDER, 10, 10, 100, 24, 3);
  SetWindowTextA(edit, "hello");
  automation::RunUntilIdle();
  EXPECT_TRUE(Commands(Take(), host).empty());
  EXPECT_EQ(Text(edit), "hello");
  EXPECT_EQ(GetWindowTextLengthA(edit), 5);
  SendMessageA(host, WM_COMMAND, MAKEWPARAM(3, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
  EXPECT_EQ(Codes(Take(), host), std::vector<int>{EN_CHANGE});
  // A replacement of the selection is an edit, and is reported.
  SendMessageA(edit, EM_SETSEL, 5, 5);
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(" world"));
  EXPECT_EQ(Text(edit), "hello world");
  EXPECT_EQ(Codes(Take(), host), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
}

TEST_F(EditMessagesTest, SetSelFollowsTheMinusOneRulesAndClampsTheRest) {
  HWND edit = Child("EDIT", "abcdef", WS_BORDER, 10, 10, 100, 24, 3);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  EXPECT_EQ(Sel(edit), (Sel_t{0, 6}));
  EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELPARAM(0, 6));
  SendMessageA(edit, EM_SETSEL, 4, 2);
  EXPECT_EQ(Sel(edit), (Sel_t{2, 4}));
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(Sel(edit), (Sel_t{2, 2}));
  SendMessageA(edit, EM_SETSEL, 3, 1000);
  EXPECT_EQ(Sel(edit), (Sel_t{3, 6}));
  SendMessageA(edit, EM_SETSEL, 5000, 7000);
  EXPECT_EQ(Sel(edit), (Sel_t{6, 6}));
}

TEST_F(EditMessagesTest, GetTextNeverSplitsACharacterAndSurvivesBadBuffers) {
  HWND edit = Child("EDIT", Gbk("中文").c_str(), WS_BORDER, 10, 10, 100, 24, 3);
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)), 2);
  EXPECT_EQ(std::string(small), Gbk("中"));
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXT, 10, 0), 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 0, 0), 0);
  EXPECT_EQ(SendMessageA(edit, EM_REPLACESEL, TRUE, 0), 0);
  EXPECT_EQ(Text(edit), Gbk("中文"));
  SendMessageA(edit, WM_SETTEXT, 0, 0);
  EXPECT_EQ(Text(edit), "");
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 5, 0), -1);
  EXPECT_EQ(SendMessageA(edit, EM_POSFROMCHAR, 100, 0), -1);
}

TEST_F(EditMessagesTest, OverlongTextIsKeptWholeAndStaysEditable) {
  HWND edit = Child("EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 10, 10, 100, 24, 3);
  std::string big;
  for (int i = 0; i < 20000; ++i) big += Gbk("字");
  SetWindowTextA(edit, big.c_str());
  EXPECT_EQ(GetWindowTextLengthA(edit), 40000);
  SendMessageA(edit, EM_SETSEL, 39999, 39999);
  EXPECT_EQ(Sel(edit), (Sel_t{39998, 39998}));
  SetFocus(edit);
  // Over the limit already: typing more is refused, deleting works.
  automation::TypeUtf8("a");
  automation::PressKey(VK_BACK);
  automation::RunUntilIdle();
  EXPECT_EQ(GetWindowTextLengthA(edit), 39998);
}

TEST_F(EditMessagesTest, LinesOfAMultiLineEdit) {
  HWND edit = Child("EDIT", "", WS_BORDER | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL, 10, 10,
                    200, 100, 3);
  SetFocus(edit);
  automation::TypeUtf8("first");
  automation::PressKey(VK_RETURN);
  automation::TypeUtf8("中文");
  automation::PressKey(VK_RETURN);
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), "first\r\n" + Gbk("中文") + "\r\n");
  EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 1, 0), 7);
  EXPECT_EQ(SendMessageA(edit, EM_LINEINDEX, 2, 0), 13);
  EXPECT_EQ(SendMessageA(edit, EM_LINELENGTH, 8, 0), 4);
  EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, 9, 0), 1);
  char line[16] = {};
  WORD capacity = sizeof line;
  std::memcpy(line, &capacity, sizeof capacity);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 4);
  EXPECT_EQ(std::string(line, 4), Gbk("中文"));
  // Up from the empty last line lands on the line above; Backspace takes a whole break.
  automation::PressKey(VK_UP);
  automation::RunUntilIdle();
  EXPECT_EQ(SendMessageA(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 1);
  automation::PressKey(VK_END);
  automation::PressKey(VK_BACK);
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), "first\r\n" + Gbk("中") + "\r\n");
  SendMessageA(edit, EM_SETSEL, 7, 7);
  automation::PressKey(VK_BACK);
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), "first" + Gbk("中") + "\r\n");
  EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
}

TEST_F(EditMessagesTest, MultiLineWithoutHorizontalScrollWrapsWords) {
  HWND wrap = Child("EDIT", "", WS_BORDER | ES_MULTILINE, 10, 10, 80, 100, 3);
  HWND scroll = Child("EDIT", "", WS_BORDER | ES_MULTILINE | ES_AUTOHSCROLL, 100, 10, 80, 100, 4);
  const char* text = "alpha beta gamma delta epsilon zeta eta theta";
  SetWindowTextA(wrap, text);
  SetWindowTextA(scroll, text);
  EXPECT_GT(SendMessageA(wrap, EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(scroll, EM_GETLINECOUNT, 0, 0), 1);
  // Lines break after a space, not inside a word.
  LRESULT second = SendMessageA(wrap, EM_LINEINDEX, 1, 0);
  ASSERT_GT(second, 0);
  EXPECT_EQ(text[second - 1], ' ');
}

TEST_F(EditMessagesTest, ScrollingFollowsTheCaretAndLineScroll) {
  HWND edit = Child("EDIT", "", WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL, 10, 10, 150, 60, 3);
  std::string text;
  for (int i = 0; i < 20; ++i) text += "line " + std::to_string(i) + "\r\n";
  SetWindowTextA(edit, text.c_str());
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_TRUE(SendMessageA(edit, EM_LINESCROLL, 0, 5));
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 5);
  EXPECT_TRUE(SendMessageA(edit, EM_LINESCROLL, 0, -100));
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  SendMessageA(edit, EM_SETSEL, text.size(), text.size());
  EXPECT_GT(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 10);
  SetFocus(edit);
  Chord(VK_CONTROL, VK_HOME);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  automation::PressKey(VK_NEXT);
  automation::RunUntilIdle();
  EXPECT_GT(SendMessageA(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 0);
  HWND single = Child("EDIT", "abc", WS_BORDER, 10, 80, 100, 24, 4);
  EXPECT_FALSE(SendMessageA(single, EM_LINESCROLL, 0, 1));
}

TEST_F(EditMessagesTest, VerticalScrollBarFollowsTheViewAndScrollsIt) {
  HWND edit =
      Child("EDIT", "", WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, 10, 10, 150, 60, 3);
  std::string text;
  for (int i = 0; i < 20; ++i) text += "row\r\n";
  SetWindowTextA(edit, text.c_str());
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(edit, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 20);  // 21 lines: the last, empty one follows the final break
  EXPECT_EQ(si.nPos, 0);
  Take();
  SendMessageA(edit, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_EQ(Codes(Take(), host), std::vector<int>{EN_VSCROLL});
  ASSERT_TRUE(GetScrollInfo(edit, SB_VERT, &si));
  EXPECT_EQ(si.nPos, 1);
  SendMessageA(edit, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 7), 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 7);
  // Already at the top: nothing moves and nothing is reported.
  SendMessageA(edit, WM_VSCROLL, SB_TOP, 0);
  Take();
  SendMessageA(edit, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_TRUE(Commands(Take(), host).empty());
}

TEST_F(EditMessagesTest, ClipboardConvertsBetweenGbkAndUtf8) {
  HWND edit =
      Child("EDIT", Gbk("复制中文").c_str(), WS_BORDER | ES_AUTOHSCROLL, 10, 10, 150, 24, 3);
  SendMessageA(edit, EM_SETSEL, 4, 8);
  SendMessageA(edit, WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard().GetClipboardText(), "中文");
  SendMessageA(edit, WM_CUT, 0, 0);
  EXPECT_EQ(Text(edit), Gbk("复制"));
  Clipboard().SetClipboardText("粘贴\r\nsecond line");
  Take();
  SendMessageA(edit, WM_PASTE, 0, 0);
  // A single-line edit takes the first line only.
  EXPECT_EQ(Text(edit), Gbk("复制粘贴"));
  EXPECT_EQ(Codes(Take(), host), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
  SetFocus(edit);
  Chord(VK_CONTROL, 'Z');
  EXPECT_EQ(Text(edit), Gbk("复制"));

  HWND multi = Child("EDIT", "", WS_BORDER | ES_MULTILINE, 10, 40, 150, 60, 4);
  Clipboard().SetClipboardText("a\nb");
  SendMessageA(multi, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(multi), "a\r\nb");
  SetFocus(multi);
  Chord(VK_CONTROL, 'A');
  Chord(VK_CONTROL, 'X');
  EXPECT_EQ(Text(multi), "");
  EXPECT_EQ(Clipboard().GetClipboardText(), "a\r\nb");
  Chord(VK_SHIFT, VK_INSERT);
  EXPECT_EQ(Text(multi), "a\r\nb");
}

TEST_F(EditMessagesTest, ReadOnlyAndPasswordEditsGuardTheirText) {
  HWND readOnly = Child("EDIT", "fixed", WS_BORDER | ES_READONLY, 10, 10, 100, 24, 3);
  Clipboard().SetClipboardText("new");
  SendMessageA(readOnly, EM_SETSEL, 0, -1);
  SendMessageA(readOnly, WM_PASTE, 0, 0);
  SendMessageA(readOnly, WM_CUT, 0, 0);
  SendMessageA(readOnly, WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(readOnly), "fixed");
  SendMessageA(readOnly, WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard().GetClipboardText(), "fixed");

  HWND secret = Child("EDIT", "hunter2", WS_BORDER | ES_PASSWORD, 10, 40, 100, 24, 4);
  EXPECT_EQ(SendMessageA(secret, EM_GETPASSWORDCHAR, 0, 0), '*');
  SendMessageA(secret, EM_SETSEL, 0, -1);
  SendMessageA(secret, WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard().GetClipboardText(), "fixed");
  EXPECT_EQ(Text(secret), "hunter2");
}

TEST_F(EditMessagesTest, PasswordEditShowsOnlyThePasswordCharacter) {
  HWND secret = Child("EDIT", "abc", ES_PASSWORD, 10, 10, 100, 24, 4);
  HWND stars = Child("EDIT", "***", 0, 10, 40, 100, 24, 5);
  HWND plain = Child("EDIT", "abc", 0, 10, 70, 100, 24, 6);
  auto a = automation::CaptureWindow(secret);
  auto b = automation::CaptureWindow(stars);
  auto c = automation::CaptureWindow(plain);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_NE(a.pixels, c.pixels);
  SendMessageA(secret, EM_SETPASSWORDCHAR, '#', 0);
  EXPECT_EQ(SendMessageA(secret, EM_GETPASSWORDCHAR, 0, 0), '#');
  EXPECT_NE(automation::CaptureWindow(secret).pixels, b.pixels);
  SendMessageA(secret, EM_SETPASSWORDCHAR, 0, 0);
  EXPECT_EQ(automation::CaptureWindow(secret).pixels, c.pixels);
}

TEST_F(EditMessagesTest, MouseSelectsWholeCharactersAndWords) {
  HWND edit = Child("EDIT", Gbk("中文 text").c_str(), ES_AUTOHSCROLL, 10, 10, 200, 24, 4);
  LRESULT first = SendMessageA(edit, EM_POSFROMCHAR, 2, 0);
  LRESULT second = SendMessageA(edit, EM_POSFROMCHAR, 4, 0);
  int x2 = GET_X_LPARAM(first), x4 = GET_X_LPARAM(second), y = GET_Y_LPARAM(first) + 4;
  ASSERT_GT(x4, x2);
  // Press a little into the first character, drag to the middle of the second.
  automation::MouseDown(At(edit, 2, y));
  automation::MouseMove(At(edit, x2 + (x4 - x2) / 2 + 2, y));
  automation::MouseUp(At(edit, x2 + (x4 - x2) / 2 + 2, y));
  automation::RunUntilIdle();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Sel(edit), (Sel_t{0, 4}));
  EXPECT_EQ(GetCapture(), nullptr);
  // Shift+click extends from the anchor.
  LRESULT end = SendMessageA(edit, EM_POSFROMCHAR, 8, 0);
  automation::KeyDown(VK_SHIFT);
  automation::RunUntilIdle();
  automation::ClickAt(At(edit, GET_X_LPARAM(end), y));
  automation::RunUntilIdle();
  automation::KeyUp(VK_SHIFT);
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(edit), (Sel_t{0, 8}));
  automation::AdvanceClock(1000);
  automation::DoubleClick(At(edit, GET_X_LPARAM(end) + 3, y));
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(edit), (Sel_t{5, 9}));
}

TEST_F(EditMessagesTest, ParentColoursTheFieldAndReadOnlyAsksAsAStatic) {
  HBRUSH green = CreateSolidBrush(RGB(0, 160, 0));
  std::vector<UINT> asked;
  window_test::Record().handlers[host] = [&](HWND, UINT m, WPARAM,
                                             LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CTLCOLOREDIT || m == WM_CTLCOLORSTATIC) {
      asked.push_back(m);
      return reinterpret_cast<LRESULT>(green);
    }
    return std::nullopt;
  };
  HWND edit = Child("EDIT", "", 0, 10, 10, 100, 24, 4);
  auto image = automation::CaptureWindow(edit);
  EXPECT_EQ(image.ColorAt(50, 12), RGB(0, 160, 0));
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), WM_CTLCOLOREDIT);
  SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
  automation::CaptureWindow(edit);
  EXPECT_EQ(asked.back(), WM_CTLCOLORSTATIC);
  DestroyWindow(edit);
  DeleteObject(green);
}

}  // namespace
