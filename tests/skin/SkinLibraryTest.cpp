// The skinning library as the program uses it: loaded from its file with LoadLibraryA, fed
// the made skin blocks through SkinH_AttachRes, and looked at on a sheet of windows.
// The sheet is written as a PNG when VELMORA_SKIN_SHEET names a file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "skin/SkinFormat.h"
#include "tests/platform/controls/MenuTestSupport.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

using namespace window_test;
using platform::testing::CaptureScreen;
using platform::testing::CaptureWindow;
using platform::testing::Image;
using platform::testing::RunUntilIdle;

constexpr int kSheetW = 620, kSheetH = 440;

class SkinLibraryTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    attach_ = skin_test::LoadAttach();
    ASSERT_NE(attach_, nullptr);
  }
  void TearDown() override {
    platform::testing::ClearDialogDriver();
    VelmoraInstallTheme(nullptr);
    WindowTest::TearDown();
  }

  int Attach(const std::vector<uint8_t>& block) {
    return attach_(block.data(), static_cast<int>(block.size()), "", 0, 0, 0);
  }

  HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w,
             int h) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                           nullptr, nullptr);
  }

  // A photo-tool window: menu bar, buttons, edits, list, slider, scroll bars, progress and
  // a status bar; an inactive window behind it shows the idle caption.
  HWND BuildWindows() {
    HWND behind = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 330, 10, 300, 120,
                       nullptr, 0, "\xBA\xF3\xCC\xA8\xB4\xB0\xBF\xDA");  // 后台窗口
    (void)behind;
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 1, "\xB4\xF2\xBF\xAA(&O)\tCtrl+O");                   // 打开(&O)
    AppendMenuA(file, MF_STRING | MF_CHECKED, 2, "\xD7\xD4\xB6\xAF\xB1\xA3\xB4\xE6");  // 自动保存
    AppendMenuA(file, MF_STRING | MF_GRAYED, 3, "\xB4\xF2\xD3\xA1");                   // 打印
    HMENU recent = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, 5, "beach.jpg");
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "\xD7\xEE\xBD\xFC");  // 最近
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, 4, "\xCD\xCB\xB3\xF6(&X)");  // 退出(&X)
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "\xCE\xC4\xBC\xFE(&F)");
    AppendMenuA(bar, MF_STRING, 6, "\xC2\xCB\xBE\xB5(&L)");  // 滤镜(&L)
    HWND w = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 0, 60,
                  kSheetW - 20, kSheetH - 70, nullptr, 0,
                  "Velmora \xCD\xBC\xCF\xF1\xB4\xA6\xC0\xED", bar);  // 图像处理
    Child(w, "BUTTON", "\xB4\xF2\xBF\xAA\xD5\xD5\xC6\xAC", BS_DEFPUSHBUTTON, 12, 10, 96, 30);
    HWND pressed = Child(w, "BUTTON", "\xBC\xD3\xCC\xD8\xD0\xA7", BS_PUSHBUTTON, 116, 10, 80, 30);
    SendMessageA(pressed, BM_SETSTATE, TRUE, 0);
    Child(w, "BUTTON", "\xB1\xA3\xB4\xE6", BS_PUSHBUTTON | WS_DISABLED, 204, 10, 70, 30);
    HWND check = Child(w, "BUTTON", "\xCB\xAE\xD3\xA1", BS_AUTOCHECKBOX, 290, 14, 70, 22);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    HWND radio = Child(w, "BUTTON", "JPG", BS_AUTORADIOBUTTON, 370, 14, 60, 22);
    SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
    Child(w, "BUTTON", "BMP", BS_AUTORADIOBUTTON, 436, 14, 60, 22);
    Child(w, "BUTTON", "\xD7\xD6\xC4\xBB", BS_GROUPBOX, 12, 50, 280, 120);  // 字幕
    HWND edit = Child(w, "EDIT", "\xC7\xEB\xCA\xE4\xC8\xEB\xCE\xC4\xD7\xD6",
                      WS_BORDER | ES_AUTOHSCROLL, 24, 74, 256, 24);  // 请输入文字
    SetFocus(edit);
    Child(w, "EDIT",
          "\xB5\xDA\xD2\xBB\xD0\xD0\r\n\xB5\xDA\xB6\xFE\xD0\xD0\r\nthree\r\nfour\r\nfive",
          WS_BORDER | ES_MULTILINE | WS_VSCROLL, 24, 106, 256, 54);
    HWND list = Child(w, "LISTBOX", "", WS_BORDER | WS_VSCROLL, 304, 56, 130, 114);
    for (const char* item :
         {"\xB8\xA1\xB5\xF1", "\xC8\xF1\xBB\xAF", "\xC8\xC8\xB3\xC9\xCF\xF1", "\xD2\xB9\xCA\xD3",
          "\xC2\xFE\xBB\xAD", "\xBB\xB3\xBE\xC9", "\xB5\xD7\xC6\xAC", "\xBA\xDA\xB0\xD7"}) {
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    HWND combo = Child(w, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 446, 56, 130, 120);
    for (const char* item : {"100%", "50%", "25%"})
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    HWND track = Child(w, TRACKBAR_CLASSA, "", TBS_HORZ | TBS_AUTOTICKS, 446, 90, 130, 36);
    SendMessageA(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    SendMessageA(track, TBM_SETPOS, TRUE, 6);
    HWND vscroll = Child(w, "SCROLLBAR", "", SBS_VERT, 560, 130, 17, 120);
    HWND hscroll = Child(w, "SCROLLBAR", "", SBS_HORZ, 12, 180, 280, 17);
    for (HWND sb : {vscroll, hscroll}) {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      info.nMax = 100;
      info.nPage = 25;
      info.nPos = 40;
      SetScrollInfo(sb, SB_CTL, &info, TRUE);
    }
    HWND smooth = Child(w, PROGRESS_CLASSA, "", PBS_SMOOTH, 12, 210, 280, 16);
    HWND blocks = Child(w, PROGRESS_CLASSA, "", 0, 12, 234, 280, 16);
    SendMessageA(smooth, PBM_SETPOS, 70, 0);
    SendMessageA(blocks, PBM_SETPOS, 45, 0);
    Child(w, "STATIC", "\xE4\xD6\xC8\xBE\xBD\xF8\xB6\xC8\xA3\xBA", SS_LEFT, 304, 212, 120,
          18);  // 渲染进度：
    HWND status = Child(w, STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, 0, 0, 0, 0);
    int parts[] = {200, 380, -1};
    SendMessageA(status, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("\xBE\xCD\xD0\xF7"));  // 就绪
    SendMessageA(status, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("496 x 440"));
    SetForegroundWindow(w);
    RunUntilIdle();
    return w;
  }

  // The whole sheet, with the File menu open, shot from inside the menu loop.
  Image ShootWindows() {
    HWND w = BuildWindows();
    Image shot;
    menu_test::MenuScript script;
    script.steps = {[&](HWND) { platform::testing::PressKey(VK_DOWN); },
                    [&](HWND) {
                      shot = CaptureScreen();
                      platform::testing::PressKey(VK_ESCAPE);
                    }};
    script.Attach(w);
    platform::testing::KeyDown(VK_MENU);
    platform::testing::PressKey('F');
    platform::testing::KeyUp(VK_MENU);
    RunUntilIdle();
    frameBand_ = CaptureWindow(w).ColorAt(2, 100);
    DestroyAllTopLevel();
    RunUntilIdle();
    return shot;
  }

  Image ShootMessageBox() {
    Image shot;
    platform::testing::SetDialogDriver([&](HWND box) {
      shot = CaptureWindow(box);
      platform::testing::PressKey(VK_ESCAPE);
    });
    MessageBoxA(nullptr,
                "\xB1\xA3\xB4\xE6\xB6\xD4\xD5\xD5\xC6\xAC\xB5\xC4\xD0\xDE\xB8\xC4\xC2\xF0\xA3\xBF",
                "Velmora", MB_YESNOCANCEL | MB_ICONQUESTION);  // 保存对照片的修改吗？
    platform::testing::ClearDialogDriver();
    return shot;
  }

  skin_test::AttachFn attach_ = nullptr;
  COLORREF frameBand_ = 0;
};

size_t Differing(const Image& a, const Image& b) {
  size_t n = 0;
  for (int y = 0; y < std::min(a.height, b.height); ++y)
    for (int x = 0; x < std::min(a.width, b.width); ++x) n += a.At(x, y) != b.At(x, y) ? 1 : 0;
  return n;
}

TEST_F(SkinLibraryTest, EveryMadeSkinInstallsAndDamagedOnesLeaveTheLookAlone) {
  std::vector<COLORREF> faces;
  for (int n = 1; n <= 33; ++n) {
    const std::vector<uint8_t> block = skin_test::SkinBlock(n);
    ASSERT_FALSE(block.empty()) << "skin " << n;
    auto decoded = skin::DecodeSkin(block.data(), block.size());
    ASSERT_TRUE(decoded.has_value()) << "skin " << n;
    ASSERT_EQ(Attach(block), 1) << "skin " << n;
    // The palette is what the controls draw their own text and selections with.
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), decoded->palette[COLOR_BTNFACE]) << "skin " << n;
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), decoded->style[skin::kAccent]) << "skin " << n;
    faces.push_back(decoded->style[skin::kFace] ^ decoded->style[skin::kAccent] << 1);
  }
  std::sort(faces.begin(), faces.end());
  EXPECT_EQ(std::unique(faces.begin(), faces.end()), faces.end()) << "two skins share colours";

  std::vector<uint8_t> six = skin_test::SkinBlock(6);
  ASSERT_EQ(Attach(six), 1);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  std::vector<uint8_t> damaged = six;
  damaged[damaged.size() - 3] ^= 1;
  std::vector<uint8_t> foreign = {'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF, 0, 0};
  for (const auto* block : {&damaged, &foreign}) {
    EXPECT_EQ(Attach(*block), 0);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), face) << "a refused block changed nothing";
  }
  EXPECT_EQ(attach_(nullptr, 100, "", 0, 0, 0), 0);
  EXPECT_EQ(attach_(six.data(), -5, "", 0, 0, 0), 0);
  EXPECT_EQ(attach_(six.data(), static_cast<int>(six.size()) - 1, "", 0, 0, 0), 0);
}

TEST_F(SkinLibraryTest, SheetUnderThreeSkins) {
  const int shown[] = {6, 2, 17};
  std::vector<Image> sheets, boxes;
  for (int n : shown) {
    const std::vector<uint8_t> block = skin_test::SkinBlock(n);
    auto decoded = skin::DecodeSkin(block.data(), block.size());
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(Attach(block), 1);
    sheets.push_back(ShootWindows());
    ASSERT_FALSE(sheets.back().empty());
    // The frame band is painted by the skin, in its caption's lower colour.
    EXPECT_EQ(frameBand_, decoded->style[skin::kCaptionBottom]) << "skin " << n;
    boxes.push_back(ShootMessageBox());
    ASSERT_FALSE(boxes.back().empty());
    EXPECT_EQ(boxes.back().ColorAt(boxes.back().width / 2, boxes.back().height - 8),
              decoded->style[skin::kFace])
        << "skin " << n << ": the dialog background";
  }
  for (size_t i = 0; i < sheets.size(); ++i) {
    for (size_t j = i + 1; j < sheets.size(); ++j) {
      EXPECT_GT(Differing(sheets[i], sheets[j]), static_cast<size_t>(kSheetW) * kSheetH / 2)
          << "skins " << shown[i] << " and " << shown[j] << " look alike";
    }
  }

  const char* path = std::getenv("VELMORA_SKIN_SHEET");
  if (path == nullptr || *path == '\0') return;
  Image sheet;
  sheet.width = 3 * (kSheetW + 10) + 10;
  int boxH = 0;
  for (const Image& b : boxes) boxH = std::max(boxH, b.height);
  sheet.height = kSheetH + boxH + 30;
  sheet.pixels.assign(static_cast<size_t>(sheet.width) * sheet.height, 0x00707070);
  for (size_t i = 0; i < sheets.size(); ++i) {
    const int left = 10 + static_cast<int>(i) * (kSheetW + 10);
    auto paste = [&](const Image& piece, int x, int y, int w, int h) {
      for (int row = 0; row < std::min(h, piece.height); ++row)
        for (int col = 0; col < std::min(w, piece.width); ++col)
          sheet.pixels[static_cast<size_t>(y + row) * sheet.width + x + col] = piece.At(col, row);
    };
    paste(sheets[i], left, 10, kSheetW, kSheetH);
    paste(boxes[i], left, kSheetH + 20, kSheetW, boxH);
  }
  EXPECT_TRUE(platform::testing::WritePng(sheet, path));
}

}  // namespace
