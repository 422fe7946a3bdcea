// The status bar: parts and their texts, simple mode, its place along the parent's bottom
// edge, and the size grip.
#include <cstring>

#include "platform/commctrl.h"
#include "tests/platform/controls/ListsTestSupport.h"

namespace {

using namespace lists_test;

class StatusBarTest : public ControlTest {
 protected:
  HWND Status(DWORD style = 0) { return Child(STATUSCLASSNAMEA, style, 0, 0, 0, 0); }
};

TEST_F(StatusBarTest, PartsHoldTheirTextsAndFlags) {
  HWND sb = Status();
  int edges[] = {100, 250, -1};
  EXPECT_TRUE(SendMessageA(sb, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges)));
  int back[5] = {};
  EXPECT_EQ(SendMessageA(sb, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(back)), 3);
  EXPECT_EQ(back[1], 250);
  EXPECT_EQ(back[2], -1);
  EXPECT_EQ(SendMessageA(sb, SB_GETPARTS, 0, 0), 3);
  const char* gbk = "\xd5\xfd\xd4\xda\xb1\xa3\xb4\xe6";  // "saving" in Chinese
  EXPECT_TRUE(SendMessageA(sb, SB_SETTEXTA, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>(gbk)));
  char text[64] = {};
  LRESULT got = SendMessageA(sb, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, gbk);
  EXPECT_EQ(LOWORD(static_cast<DWORD>(got)), std::strlen(gbk));
  EXPECT_EQ(HIWORD(static_cast<DWORD>(got)), SBT_POPOUT);
  EXPECT_EQ(LOWORD(static_cast<DWORD>(SendMessageA(sb, SB_GETTEXTLENGTHA, 1, 0))),
            std::strlen(gbk));
  // Parts that do not exist, and missing arguments, are refused.
  EXPECT_FALSE(SendMessageA(sb, SB_SETTEXTA, 7, reinterpret_cast<LPARAM>("x")));
  EXPECT_EQ(SendMessageA(sb, SB_GETTEXTLENGTHA, 7, 0), 0);
  EXPECT_FALSE(SendMessageA(sb, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(edges)));
  EXPECT_FALSE(SendMessageA(sb, SB_SETPARTS, 3, 0));
  EXPECT_TRUE(SendMessageA(sb, SB_SETTEXTA, 0, 0));  // no text: an empty one
  EXPECT_EQ(SendMessageA(sb, SB_GETTEXTLENGTHA, 0, 0), 0);
  // Fewer parts drop the texts of the ones that went.
  int one[] = {-1};
  SendMessageA(sb, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(one));
  EXPECT_EQ(SendMessageA(sb, SB_GETTEXTLENGTHA, 1, 0), 0);
  // A long text is kept whole.
  std::string longText(5000, 'a');
  SendMessageA(sb, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(longText.c_str()));
  EXPECT_EQ(LOWORD(static_cast<DWORD>(SendMessageA(sb, SB_GETTEXTLENGTHA, 0, 0))), 5000);
}

TEST_F(StatusBarTest, PartRectanglesFollowTheEdges) {
  HWND sb = Status();
  int edges[] = {100, 250, -1};
  SendMessageA(sb, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  RECT client = ClientRect(sb);
  RECT r{};
  ASSERT_TRUE(SendMessageA(sb, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(r.right, 100);
  ASSERT_TRUE(SendMessageA(sb, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&r)));
  EXPECT_GT(r.left, 100);
  EXPECT_EQ(r.right, 250);
  ASSERT_TRUE(SendMessageA(sb, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(r.right, client.right);
  EXPECT_FALSE(SendMessageA(sb, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&r)));
  // Simple mode: one part across the bar with its own text; the parts keep theirs.
  SendMessageA(sb, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("part"));
  SendMessageA(sb, SB_SIMPLE, TRUE, 0);
  SendMessageA(sb, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>("simple"));
  EXPECT_TRUE(SendMessageA(sb, SB_ISSIMPLE, 0, 0));
  ASSERT_TRUE(SendMessageA(sb, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(r.right, client.right);
  char text[32] = {};
  SendMessageA(sb, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "part");
  SendMessageA(sb, SB_GETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "simple");
}

TEST_F(StatusBarTest, StaysAlongTheBottomOfItsParent) {
  HWND sb = Status();
  RECT area = ClientRect(parent_);
  RECT r = WindowRect(sb);
  POINT corner{r.left, r.bottom};
  ScreenToClient(parent_, &corner);
  EXPECT_EQ(corner.x, 0);
  EXPECT_EQ(corner.y, area.bottom);
  EXPECT_EQ(r.right - r.left, area.right);
  int height = r.bottom - r.top;
  EXPECT_GT(height, 10);
  // The parent resizes and forwards WM_SIZE: the bar follows, whatever size it is given.
  SetWindowPos(parent_, nullptr, 0, 0, 360, 300, SWP_NOMOVE | SWP_NOZORDER);
  area = ClientRect(parent_);
  SendMessageA(sb, WM_SIZE, 0, 0);
  r = WindowRect(sb);
  corner = {r.left, r.bottom};
  ScreenToClient(parent_, &corner);
  EXPECT_EQ(corner.y, area.bottom);
  EXPECT_EQ(r.right - r.left, area.right);
  EXPECT_EQ(r.bottom - r.top, height);
  // A minimum height makes it taller.
  SendMessageA(sb, SB_SETMINHEIGHT, 60, 0);
  SendMessageA(sb, WM_SIZE, 0, 0);
  r = WindowRect(sb);
  EXPECT_GE(r.bottom - r.top, 60);
}

TEST_F(StatusBarTest, SizeGripSizesAResizableParentOnly) {
  HWND sb = Status(SBARS_SIZEGRIP);
  RECT r = WindowRect(sb);
  POINT grip{r.right - 3, r.bottom - 3};
  EXPECT_EQ(SendMessageA(sb, WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y)), HTBOTTOMRIGHT);
  EXPECT_EQ(SendMessageA(sb, WM_NCHITTEST, 0, MAKELPARAM(r.left + 5, grip.y)), HTCLIENT);
  // Pressing the grip starts sizing the parent from its bottom-right corner.
  Take();
  automation::MouseDown(grip);
  automation::MouseUp(grip);
  automation::RunUntilIdle();
  auto log = Take();
  bool sizing = false;
  for (const Entry& e : log) {
    if (e.hwnd == parent_ && e.message == WM_SYSCOMMAND && (e.wParam & 0xFFF0) == SC_SIZE) {
      sizing = (e.wParam & 0xF) == 8;  // WMSZ_BOTTOMRIGHT
    }
  }
  EXPECT_TRUE(sizing);
  EXPECT_EQ(Count(log, parent_, WM_ENTERSIZEMOVE), 1u);
  // No grip on a parent that cannot be resized.
  HWND fixed = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, 600, 40, 300, 200);
  HWND other = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0,
                               0, 0, 0, fixed, nullptr, nullptr, nullptr);
  RECT o = WindowRect(other);
  EXPECT_EQ(SendMessageA(other, WM_NCHITTEST, 0, MAKELPARAM(o.right - 3, o.bottom - 3)), HTCLIENT);
}

TEST_F(StatusBarTest, PaneTextIsDrawn) {
  HWND sb = Status();
  auto blank = automation::CaptureWindow(sb);
  SendMessageA(sb, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Ready"));
  auto written = automation::CaptureWindow(sb);
  ASSERT_FALSE(blank.empty());
  ASSERT_EQ(blank.pixels.size(), written.pixels.size());
  int changed = 0;
  for (int y = 0; y < written.height; ++y) {
    for (int x = 0; x < 60; ++x) changed += written.At(x, y) != blank.At(x, y) ? 1 : 0;
  }
  EXPECT_GT(changed, 10);
}

}  // namespace
