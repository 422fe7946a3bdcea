// Themes through the C interface: the second theme loaded from its shared object restyles
// frames and controls of existing windows at once, NULL brings the built-in look back, and
// records the interface cannot honour are refused.
#include "platform/ThemeApi.h"
#include "platform/kernel32.h"
#include "platform/testing/InputAutomation.h"
#include "platform/user/Theme.h"
#include "platform/user/ThemeParts.h"
#include "tests/platform/user/WindowTestSupport.h"

namespace {

using namespace window_test;
using platform::testing::CaptureWindow;
using platform::testing::Image;
using platform::testing::RunUntilIdle;

class ThemeInterfaceTest : public WindowTest {
 protected:
  void TearDown() override {
    VelmoraInstallTheme(nullptr);
    WindowTest::TearDown();
  }
  // Installs the sample theme the way a program would: load it, call its entry.
  static bool InstallSample() {
    HMODULE library = LoadLibraryA(VELMORA_SAMPLE_THEME);
    if (library == nullptr) return false;
    auto attach = reinterpret_cast<int (*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "SampleThemeAttach")));
    return attach != nullptr && attach() != 0;
  }
};

TEST_F(ThemeInterfaceTest, TheSampleThemeRepaintsExistingWindowsAndNullRestores) {
  HWND w = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 40, 40, 240, 160, nullptr, 0,
                "Themed");
  HWND button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20,
                                90, 28, w, nullptr, nullptr, nullptr);
  ASSERT_NE(button, nullptr);
  SetForegroundWindow(w);
  RunUntilIdle();
  const COLORREF windowColor = GetSysColor(COLOR_WINDOW);
  Image before = CaptureWindow(w);
  ASSERT_FALSE(before.empty());
  POINT caption{120, 6 + 12};
  // Inside the button, away from its caption text and its edge.
  POINT face{6 + 20 + 8, 30 + 20 + 5};

  ASSERT_TRUE(InstallSample());
  // No message loop run: the windows of this thread show the new look on return.
  Image themed = CaptureWindow(w);
  EXPECT_NE(themed.ColorAt(caption.x, caption.y), before.ColorAt(caption.x, caption.y));
  EXPECT_NE(themed.ColorAt(face.x, face.y), before.ColorAt(face.x, face.y));
  EXPECT_EQ(themed.ColorAt(face.x, face.y), RGB(0x2E, 0xA0, 0x44)) << "the theme's green button";
  EXPECT_EQ(themed.ColorAt(0, 80), RGB(0x5C, 0xD8, 0x72)) << "the theme's frame outline";
  EXPECT_NE(GetSysColor(COLOR_WINDOW), windowColor) << "the palette came along";

  EXPECT_TRUE(VelmoraInstallTheme(nullptr));
  Image after = CaptureWindow(w);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), windowColor);
  EXPECT_EQ(after.ColorAt(caption.x, caption.y), before.ColorAt(caption.x, caption.y));
  EXPECT_EQ(after.ColorAt(face.x, face.y), before.ColorAt(face.x, face.y));
}

TEST_F(ThemeInterfaceTest, RecordsOfAnotherSizeVersionOrFrameAreRefused) {
  const COLORREF windowColor = GetSysColor(COLOR_WINDOW);
  COLORREF colors[1] = {RGB(1, 2, 3)};
  VelmoraTheme theme{};
  theme.size = sizeof theme;
  theme.version = VELMORA_THEME_VERSION;
  theme.sysColors = colors;
  theme.sysColorCount = 1;

  VelmoraTheme wrongSize = theme;
  wrongSize.size = sizeof theme - 4;
  EXPECT_FALSE(VelmoraInstallTheme(&wrongSize));
  VelmoraTheme wrongVersion = theme;
  wrongVersion.version = VELMORA_THEME_VERSION + 1;
  EXPECT_FALSE(VelmoraInstallTheme(&wrongVersion));
  VelmoraTheme missingColors = theme;
  missingColors.sysColors = nullptr;
  EXPECT_FALSE(VelmoraInstallTheme(&missingColors));
  VelmoraTheme negative = theme;
  negative.sysColorCount = -1;
  EXPECT_FALSE(VelmoraInstallTheme(&negative));

  VelmoraThemeMetrics good = {6, 8, 4, 6, 24, 20, 20, 36, 17};
  struct Bad {
    const char* what;
    VelmoraThemeMetrics metrics;
  };
  const Bad bad[] = {
      {"fixed border", {5, 8, 4, 6, 24, 20, 20, 36, 17}},
      {"caption", {6, 8, 4, 6, 30, 20, 20, 36, 17}},
      {"negative border", {6, -1, 4, 6, 24, 20, 20, 36, 17}},
      {"huge scroll bar", {6, 8, 4, 6, 24, 20, 20, 36, 5000}},
      {"no menu bar", {6, 8, 4, 6, 24, 20, 0, 36, 17}},
  };
  for (const Bad& b : bad) {
    VelmoraTheme t = theme;
    t.metrics = &b.metrics;
    EXPECT_FALSE(VelmoraInstallTheme(&t)) << b.what;
  }
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), windowColor) << "refusals change nothing";
  EXPECT_EQ(platform::user::ThemeScrollBarSize(), 17);

  // The same record with sane metrics goes in; colours it leaves out stay built in.
  good.scrollBarSize = 21;
  theme.metrics = &good;
  EXPECT_TRUE(VelmoraInstallTheme(&theme));
  EXPECT_EQ(GetSysColor(COLOR_SCROLLBAR), RGB(1, 2, 3));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), windowColor);
  EXPECT_EQ(platform::user::ThemeScrollBarSize(), 21);
  EXPECT_EQ(platform::user::CurrentTheme()->Metrics().captionHeight, 24);
  EXPECT_TRUE(VelmoraInstallTheme(nullptr));
  EXPECT_EQ(platform::user::ThemeScrollBarSize(), 17);
}

// A callback that paints some parts and leaves the rest, counting what it was asked.
struct Counting {
  int asked[128] = {};
  static int Paint(void* context, HDC dc, int part, const RECT* rect,
                   const VelmoraThemePaintInfo* info) {
    auto* self = static_cast<Counting*>(context);
    if (part > 0 && part < 128) ++self->asked[part];
    if (info->size != sizeof(VelmoraThemePaintInfo)) return 0;
    if (part != VELMORA_PART_CAPTION && part != VELMORA_PART_PROGRESS_FILL) return 0;
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 200));
    FillRect(dc, rect, brush);
    DeleteObject(brush);
    // Left selected on purpose: the painter's DC state must not leak into later drawing.
    SetTextColor(dc, RGB(1, 1, 1));
    return 1;
  }
};

TEST_F(ThemeInterfaceTest, PiecesTheCallbackLeavesAreStillPaintedBuiltIn) {
  HWND w = Make(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 40, 40, 240, 160, nullptr, 0,
                "Partly");
  SetForegroundWindow(w);
  RunUntilIdle();
  Image before = CaptureWindow(w);
  Counting counting;
  VelmoraTheme theme{};
  theme.size = sizeof theme;
  theme.version = VELMORA_THEME_VERSION;
  theme.paint = Counting::Paint;
  theme.context = &counting;
  ASSERT_TRUE(VelmoraInstallTheme(&theme));
  Image themed = CaptureWindow(w);
  EXPECT_GT(counting.asked[VELMORA_PART_FRAME], 0);
  EXPECT_GT(counting.asked[VELMORA_PART_CAPTION], 0);
  EXPECT_GT(counting.asked[VELMORA_PART_CAPTION_BUTTON], 0);
  EXPECT_EQ(themed.ColorAt(40, 15), RGB(200, 0, 200)) << "the caption is the callback's";
  // The close button and the frame were left to the built-in look.
  EXPECT_EQ(themed.ColorAt(themed.width - 10, 3), before.ColorAt(before.width - 10, 3));
  EXPECT_EQ(themed.ColorAt(2, 80), before.ColorAt(2, 80));

  // Control pieces ask the callback first and fall back per piece.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(GetDC(nullptr), 40, 20);
  SelectObject(dc, bitmap);
  VelmoraThemePaintInfo info{};
  platform::user::PaintThemePart(dc, VELMORA_PART_PROGRESS_FILL, {0, 0, 20, 20}, info);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(200, 0, 200));
  EXPECT_NE(GetTextColor(dc), RGB(1, 1, 1)) << "painter state is put back";
  const int menuAsks = counting.asked[VELMORA_PART_MENU_POPUP];
  platform::user::PaintThemePart(dc, VELMORA_PART_MENU_POPUP, {20, 0, 40, 20}, info);
  EXPECT_EQ(counting.asked[VELMORA_PART_MENU_POPUP], menuAsks + 1);
  EXPECT_EQ(GetPixel(dc, 30, 10), GetSysColor(COLOR_MENU)) << "the built-in popup background";
  DeleteDC(dc);
  DeleteObject(bitmap);

  EXPECT_TRUE(VelmoraInstallTheme(nullptr));
  const int frames = counting.asked[VELMORA_PART_FRAME];
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  EXPECT_EQ(counting.asked[VELMORA_PART_FRAME], frames) << "not asked once removed";
}

TEST_F(ThemeInterfaceTest, TheInstallerIsExportedFromUser32) {
  HMODULE user = LoadLibraryA("user32");
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(user, "VelmoraInstallTheme")),
            reinterpret_cast<void*>(&VelmoraInstallTheme));
}

}  // namespace
