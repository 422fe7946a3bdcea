// Statics: colours from the parent, clicks passing through unless SS_NOTIFY asks for them,
// frames and pictures.
#include "tests/platform/controls/BasicControlsTestSupport.h"

namespace {

using namespace controls_test;
using window_test::Take;

class StaticTest : public ControlTest {};

TEST_F(StaticTest, ParentBrushPaintsTheBackgroundAndTextKeepsTheDcColour) {
  HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
  window_test::Record().handlers[host] = [&](HWND, UINT m, WPARAM w,
                                             LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CTLCOLORSTATIC) {
      SetTextColor(reinterpret_cast<HDC>(w), RGB(0, 0, 255));
      SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
      return reinterpret_cast<LRESULT>(red);
    }
    return std::nullopt;
  };
  HWND label = Child("STATIC", "WWWW", SS_LEFT, 10, 10, 120, 30, 1);
  auto image = automation::CaptureWindow(label);
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.ColorAt(110, 25), RGB(200, 0, 0));
  int blue = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x)
      // Glyph edges blend with the red background; their cores are clearly blue.
      if (GetBValue(image.ColorAt(x, y)) > 160 && GetRValue(image.ColorAt(x, y)) < 120) ++blue;
  EXPECT_GT(blue, 5);
  DestroyWindow(label);
  DeleteObject(red);
}

TEST_F(StaticTest, ClicksGoThroughUnlessNotifyIsSet) {
  HWND quiet = Child("STATIC", "quiet", SS_LEFT, 10, 10, 100, 20, 1);
  automation::ClickInWindow(quiet, {10, 10});
  automation::RunUntilIdle();
  auto log = Take();
  EXPECT_TRUE(Commands(log, host).empty());
  EXPECT_GE(window_test::Count(log, host, WM_LBUTTONDOWN), 1u);

  HWND loud = Child("STATIC", "loud", SS_LEFT | SS_NOTIFY, 10, 40, 100, 20, 2);
  automation::ClickInWindow(loud, {10, 10});
  automation::RunUntilIdle();
  EXPECT_EQ(Commands(Take(), host), (std::vector<Command>{{2, STN_CLICKED, loud}}));
  automation::AdvanceClock(1000);
  automation::DoubleClick(At(loud, 10, 10));
  automation::RunUntilIdle();
  EXPECT_EQ(Codes(Take(), host), (std::vector<int>{STN_CLICKED, STN_DBLCLK}));
}

TEST_F(StaticTest, RectanglesAndFramesUseTheSystemColours) {
  HWND black = Child("STATIC", "", SS_BLACKRECT, 10, 10, 40, 20, 1);
  HWND frame = Child("STATIC", "", SS_GRAYFRAME, 60, 10, 40, 20, 2);
  auto a = automation::CaptureWindow(black);
  EXPECT_EQ(a.ColorAt(20, 10), GetSysColor(COLOR_WINDOWFRAME));
  auto b = automation::CaptureWindow(frame);
  EXPECT_EQ(b.ColorAt(0, 10), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_NE(b.ColorAt(20, 10), GetSysColor(COLOR_BTNSHADOW));
}

TEST_F(StaticTest, ImagesSwapAndReturnTheOldOne) {
  HWND picture = Child("STATIC", "ignored", SS_BITMAP, 10, 10, 40, 40, 1);
  // The resource name in the text is not shown as text.
  EXPECT_EQ(Text(picture), "");
  HBITMAP first = CreateBitmap(4, 4, 1, 32, nullptr);
  HBITMAP second = CreateBitmap(4, 4, 1, 32, nullptr);
  EXPECT_EQ(SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(first)), 0);
  EXPECT_EQ(SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(second)),
            reinterpret_cast<LRESULT>(first));
  EXPECT_EQ(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0),
            reinterpret_cast<LRESULT>(second));
  EXPECT_EQ(SendMessageA(picture, STM_GETIMAGE, IMAGE_ICON, 0), 0);
  EXPECT_EQ(SendMessageA(picture, STM_SETIMAGE, 99, 0), 0);
  automation::CaptureWindow(picture);
  DestroyWindow(picture);
  DeleteObject(first);
  DeleteObject(second);
}

TEST_F(StaticTest, SetTextRepaintsWithTheNewText) {
  HWND label = Child("STATIC", "", SS_CENTER, 10, 10, 120, 20, 1);
  auto empty = automation::CaptureWindow(label);
  SetWindowTextA(label, Gbk("中文标签").c_str());
  EXPECT_EQ(Text(label), Gbk("中文标签"));
  auto shown = automation::CaptureWindow(label);
  int changed = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 120; ++x)
      if (empty.ColorAt(x, y) != shown.ColorAt(x, y)) ++changed;
  EXPECT_GT(changed, 20);
  EXPECT_EQ(SendMessageA(label, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

}  // namespace
