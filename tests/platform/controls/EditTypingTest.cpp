// Typing into an edit: GBK characters arriving as byte pairs, caret movement and deletion
// by whole characters, selection with keys, and the notifications each edit sends.
#include "tests/platform/controls/BasicControlsTestSupport.h"

namespace {

using namespace controls_test;
using window_test::Take;

class EditTypingTest : public ControlTest {
 protected:
  HWND MakeEdit(DWORD style = ES_AUTOHSCROLL, const char* text = "") {
    HWND edit = Child("EDIT", text, WS_BORDER | style, 10, 10, 200, 24, 42);
    SetFocus(edit);
    automation::RunUntilIdle();
    Take();
    return edit;
  }
  std::pair<DWORD, DWORD> Sel(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  using Sel_t = std::pair<DWORD, DWORD>;
};

TEST_F(EditTypingTest, TypedChineseArrivesAsOneCharacterPerBytePairWithOneChangeEach) {
  HWND edit = MakeEdit();
  ASSERT_TRUE(automation::TypeUtf8("ab中文"));
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), "ab" + Gbk("中文"));
  // Four characters typed, four edits: the lead byte alone changes nothing.
  std::vector<int> codes = Codes(Take(), host);
  std::vector<int> expected;
  for (int i = 0; i < 4; ++i) {
    expected.push_back(EN_UPDATE);
    expected.push_back(EN_CHANGE);
  }
  EXPECT_EQ(codes, expected);
  EXPECT_EQ(Sel(edit), (Sel_t{6, 6}));
}

TEST_F(EditTypingTest, CaretStepsOverTwoByteCharactersAndDeletesThemWhole) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, Gbk("a中b文").c_str());
  SendMessageA(edit, EM_SETSEL, 6, 6);
  std::vector<DWORD> stops;
  for (int i = 0; i < 5; ++i) {
    automation::PressKey(VK_LEFT);
    automation::RunUntilIdle();
    stops.push_back(Sel(edit).first);
  }
  EXPECT_EQ(stops, (std::vector<DWORD>{4, 3, 1, 0, 0}));
  automation::PressKey(VK_RIGHT);
  automation::PressKey(VK_DELETE);
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), "ab" + Gbk("文"));
  automation::PressKey(VK_END);
  automation::PressKey(VK_BACK);
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), "ab");
  // A position inside a character snaps to its start.
  SetWindowTextA(edit, Gbk("中文").c_str());
  SendMessageA(edit, EM_SETSEL, 1, 3);
  EXPECT_EQ(Sel(edit), (Sel_t{0, 2}));
}

TEST_F(EditTypingTest, ShiftArrowsSelectWholeCharactersAndTypingReplacesTheSelection) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, Gbk("中文字").c_str());
  automation::PressKey(VK_END);
  automation::RunUntilIdle();
  Chord(VK_SHIFT, VK_LEFT);
  Chord(VK_SHIFT, VK_LEFT);
  EXPECT_EQ(Sel(edit), (Sel_t{2, 6}));
  automation::TypeUtf8("x");
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), Gbk("中") + "x");
  Chord(VK_CONTROL, 'A');
  EXPECT_EQ(Sel(edit), (Sel_t{0, 3}));
  automation::PressKey(VK_LEFT);
  automation::RunUntilIdle();
  EXPECT_EQ(Sel(edit), (Sel_t{0, 0}));
}

TEST_F(EditTypingTest, ALeadByteWithoutItsTrailIsDropped) {
  HWND edit = MakeEdit();
  SendMessageA(edit, WM_CHAR, 0xD6, 0);
  // '1' cannot follow a lead byte ('x' could: it is a valid trail byte).
  SendMessageA(edit, WM_CHAR, '1', 0);
  EXPECT_EQ(Text(edit), "1");
  // A text that ends in a lone lead byte still moves and deletes sanely.
  SetWindowTextA(edit, "ab\xD6");
  SendMessageA(edit, EM_SETSEL, 3, 3);
  SendMessageA(edit, WM_CHAR, '\b', 0);
  EXPECT_EQ(Text(edit), "ab");
}

TEST_F(EditTypingTest, StyleFiltersApplyToTyping) {
  HWND number = MakeEdit(ES_NUMBER);
  automation::TypeUtf8("1a2");
  automation::RunUntilIdle();
  EXPECT_EQ(Text(number), "12");
  HWND upper = MakeEdit(ES_UPPERCASE);
  automation::TypeUtf8("ab中");
  automation::RunUntilIdle();
  EXPECT_EQ(Text(upper), "AB" + Gbk("中"));
  HWND readOnly = MakeEdit(ES_READONLY, "keep");
  automation::TypeUtf8("zz");
  automation::PressKey(VK_BACK);
  automation::RunUntilIdle();
  EXPECT_EQ(Text(readOnly), "keep");
  EXPECT_TRUE(Codes(Take(), host).empty());
  SendMessageA(readOnly, EM_SETREADONLY, FALSE, 0);
  automation::TypeUtf8("!");
  automation::RunUntilIdle();
  EXPECT_EQ(Text(readOnly), "!keep");
}

TEST_F(EditTypingTest, UndoRestoresTheLastEditAndASecondUndoRedoesIt) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "one");
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  SendMessageA(edit, EM_SETSEL, 0, -1);
  automation::TypeUtf8("二");
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), Gbk("二"));
  EXPECT_TRUE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  Take();
  Chord(VK_CONTROL, 'Z');
  EXPECT_EQ(Text(edit), "one");
  EXPECT_EQ(Codes(Take(), host), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
  SendMessageA(edit, EM_UNDO, 0, 0);
  EXPECT_EQ(Text(edit), Gbk("二"));
  SendMessageA(edit, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_FALSE(SendMessageA(edit, EM_UNDO, 0, 0));
  EXPECT_EQ(Text(edit), Gbk("二"));
  // Text set by the program cannot be undone by the user.
  SetWindowTextA(edit, "fresh");
  EXPECT_FALSE(SendMessageA(edit, EM_CANUNDO, 0, 0));
  EXPECT_FALSE(SendMessageA(edit, EM_GETMODIFY, 0, 0));
}

TEST_F(EditTypingTest, LimitStopsTypingAndNeverSplitsACharacter) {
  HWND edit = MakeEdit();
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 30000);
  SendMessageA(edit, EM_LIMITTEXT, 5, 0);
  automation::TypeUtf8("abcd");
  automation::RunUntilIdle();
  Take();
  automation::TypeUtf8("中");  // two bytes, one byte of room
  automation::RunUntilIdle();
  EXPECT_EQ(Text(edit), "abcd");
  EXPECT_EQ(Codes(Take(), host), std::vector<int>{EN_MAXTEXT});
  // Replacing text goes through the same limit.
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Gbk("一二三").c_str()));
  EXPECT_EQ(Text(edit), Gbk("一二"));
  SendMessageA(edit, EM_LIMITTEXT, 0, 0);
  EXPECT_GT(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 1000000);
}

TEST_F(EditTypingTest, FocusChangesAreReported) {
  HWND edit = Child("EDIT", "", WS_BORDER, 10, 10, 100, 24, 5);
  SetFocus(edit);
  automation::RunUntilIdle();
  SetFocus(host);
  automation::RunUntilIdle();
  EXPECT_EQ(Commands(Take(), host),
            (std::vector<Command>{{5, EN_SETFOCUS, edit}, {5, EN_KILLFOCUS, edit}}));
  EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0),
            DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
}

}  // namespace

namespace {

// The caret blinks at the desktop's rate while the edit has the focus, shows at once when
// a key moves it, and stays away once the focus has gone.
TEST_F(EditTypingTest, CaretBlinksOnlyWhileFocused) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "abc");
  const UINT half = GetCaretBlinkTime();
  auto shot = [&] {
    automation::RunUntilIdle();
    return automation::CaptureWindow(edit).pixels;
  };
  const auto on = shot();
  automation::AdvanceClock(half);
  const auto off = shot();
  EXPECT_NE(off, on);
  automation::AdvanceClock(half);
  EXPECT_EQ(shot(), on);
  automation::AdvanceClock(half);
  EXPECT_EQ(shot(), off);
  automation::PressKey(VK_HOME);  // the caret is already there; it shows again anyway
  EXPECT_EQ(shot(), on);
  SetFocus(host);
  const auto unfocused = shot();
  EXPECT_NE(unfocused, on);
  for (int i = 0; i < 3; ++i) {
    automation::AdvanceClock(half);
    EXPECT_EQ(shot(), unfocused) << i;
  }
}

}  // namespace
