// Window DCs over the top-level surface: clipping between siblings and children, what GetDC
// drawing leaves behind, hidden and destroyed windows, PrintWindow and ScrollWindow.
#include <gtest/gtest.h>

#include "platform/kernel32.h"
#include "tests/platform/user/PaintTestSupport.h"

namespace {

using namespace paint_test;

class PaintSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { RunLoop(); }
  void TearDown() override { RunLoop(); }
};

// A parent at (10,10) of 200x200 with child A at (0,0)-(100,100) and child B above it at
// (50,50)-(150,150); A's client is then filled through GetDC.
COLORREF OverlapAfterDrawingBelow(DWORD siblingStyle) {
  TestWindow parent(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {10, 10, 210, 210}, nullptr, kGrey);
  TestWindow below(WS_CHILD | WS_VISIBLE | siblingStyle, {0, 0, 100, 100}, parent.handle(), kRed);
  TestWindow above(WS_CHILD | WS_VISIBLE | siblingStyle, {50, 50, 150, 150}, parent.handle(),
                   kBlue);
  // Raised explicitly, whatever place creation gave it.
  SetWindowPos(above.handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RunLoop();
  EXPECT_EQ(SurfacePixel(parent.handle(), 75, 75), kBlue);
  HDC dc = GetDC(below.handle());
  Fill(dc, {0, 0, 100, 100}, kGreen);
  ReleaseDC(below.handle(), dc);
  EXPECT_EQ(SurfacePixel(parent.handle(), 25, 25), kGreen);
  return SurfacePixel(parent.handle(), 75, 75);
}

TEST_F(PaintSurfaceTest, ClipSiblingsKeepsTheSiblingAbove) {
  EXPECT_EQ(OverlapAfterDrawingBelow(WS_CLIPSIBLINGS), kBlue);
  // Without the style the window below draws over its sibling, as on Windows.
  EXPECT_EQ(OverlapAfterDrawingBelow(0), kGreen);
}

TEST_F(PaintSurfaceTest, ClipChildrenKeepsTheChildren) {
  for (DWORD style : {WS_CLIPCHILDREN, DWORD{0}}) {
    TestWindow parent(WS_POPUP | WS_VISIBLE | style, {10, 10, 210, 210}, nullptr, kGrey);
    TestWindow child(WS_CHILD | WS_VISIBLE, {20, 20, 60, 60}, parent.handle(), kRed);
    RunLoop();
    EXPECT_EQ(SurfacePixel(parent.handle(), 30, 30), kRed);
    HDC dc = GetDC(parent.handle());
    Fill(dc, {0, 0, 200, 200}, kYellow);
    ReleaseDC(parent.handle(), dc);
    EXPECT_EQ(SurfacePixel(parent.handle(), 10, 10), kYellow);
    EXPECT_EQ(SurfacePixel(parent.handle(), 30, 30), style != 0 ? kRed : kYellow)
        << "style " << style;
  }
}

TEST_F(PaintSurfaceTest, ChildDrawingStaysInsideItsParentsClientArea) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110}, nullptr, kGrey);
  TestWindow child(WS_CHILD | WS_VISIBLE, {50, 50, 150, 150}, parent.handle(), kRed);
  RunLoop();
  HDC dc = GetDC(child.handle());
  // Far outside the child as well: nothing may land beyond the parent.
  Fill(dc, {-100, -100, 200, 200}, kBlue);
  ReleaseDC(child.handle(), dc);
  EXPECT_EQ(SurfacePixel(parent.handle(), 60, 60), kBlue);
  EXPECT_EQ(SurfacePixel(parent.handle(), 40, 40), kGrey);
}

TEST_F(PaintSurfaceTest, GetDcDrawingStaysUntilThatAreaIsPaintedAgain) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110}, nullptr, kGrey);
  RunLoop();
  HDC dc = GetDC(w.handle());
  Fill(dc, {10, 10, 30, 30}, kRed);
  Fill(dc, {60, 60, 80, 80}, kRed);
  EXPECT_EQ(ReleaseDC(w.handle(), dc), 1);
  RunLoop();
  EXPECT_EQ(PixelOf(w.handle(), 15, 15), kRed);

  RECT first{0, 0, 50, 50};
  InvalidateRect(w.handle(), &first, TRUE);
  RunLoop();
  // The repaint discards what it covers and nothing else.
  EXPECT_EQ(PixelOf(w.handle(), 15, 15), kGrey);
  EXPECT_EQ(PixelOf(w.handle(), 65, 65), kRed);
}

TEST_F(PaintSurfaceTest, DcAttributesStartFreshOnEveryGetDc) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110});
  RunLoop();
  HDC dc = GetDC(w.handle());
  SetTextColor(dc, kRed);
  SetViewportOrgEx(dc, 10, 10, nullptr);
  ReleaseDC(w.handle(), dc);
  dc = GetDC(w.handle());
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  POINT origin{-1, -1};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  ReleaseDC(w.handle(), dc);
}

TEST_F(PaintSurfaceTest, ReleaseDcAndWindowFromDcKnowOnlyTheirOwnDcs) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110});
  RunLoop();
  HDC dc = GetDC(w.handle());
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WindowFromDC(dc), w.handle());
  HDC memory = CreateCompatibleDC(dc);
  EXPECT_EQ(WindowFromDC(memory), nullptr);
  EXPECT_EQ(ReleaseDC(w.handle(), memory), 0);
  EXPECT_EQ(ReleaseDC(w.handle(), dc), 1);
  EXPECT_EQ(ReleaseDC(w.handle(), dc), 0);
  EXPECT_EQ(WindowFromDC(dc), nullptr);
  DeleteDC(memory);

  // BeginPaint's DC is EndPaint's to release.
  InvalidateRect(w.handle(), nullptr, FALSE);
  PAINTSTRUCT ps;
  HDC paint = BeginPaint(w.handle(), &ps);
  ASSERT_NE(paint, nullptr);
  EXPECT_EQ(WindowFromDC(paint), w.handle());
  EXPECT_EQ(ReleaseDC(w.handle(), paint), 0);
  EXPECT_TRUE(EndPaint(w.handle(), &ps));
  EXPECT_EQ(WindowFromDC(paint), nullptr);

  SetLastError(0);
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x03FFFFF0)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(PaintSurfaceTest, HiddenWindowsDrawNothing) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110}, nullptr, kGrey);
  TestWindow child(WS_CHILD, {10, 10, 50, 50}, parent.handle(), kRed);
  RunLoop();
  EXPECT_EQ(child.rec().Count(WM_PAINT), 0);
  HDC dc = GetDC(child.handle());
  Fill(dc, {0, 0, 40, 40}, kBlue);
  ReleaseDC(child.handle(), dc);
  EXPECT_EQ(SurfacePixel(parent.handle(), 20, 20), kGrey);

  // Hiding the parent hides the child's drawing too, even through a DC taken before.
  ShowWindow(child.handle(), SW_SHOW);
  RunLoop();
  EXPECT_EQ(SurfacePixel(parent.handle(), 20, 20), kRed);
  dc = GetDC(child.handle());
  ShowWindow(parent.handle(), SW_HIDE);
  Fill(dc, {0, 0, 40, 40}, kBlue);
  ReleaseDC(child.handle(), dc);
  EXPECT_EQ(SurfacePixel(parent.handle(), 20, 20), kRed);
}

TEST_F(PaintSurfaceTest, DcOfADestroyedWindowDrawsNowhere) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110}, nullptr, kGrey);
  HWND child = CreateWindowExA(0, ClassName(false), "", WS_CHILD | WS_VISIBLE, 10, 10, 40, 40,
                               parent.handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  RunLoop();
  HDC dc = GetDC(child);
  HDC window = GetWindowDC(child);
  DestroyWindow(child);
  Fill(dc, {0, 0, 40, 40}, kBlue);
  Fill(window, {0, 0, 40, 40}, kBlue);
  EXPECT_EQ(SurfacePixel(parent.handle(), 20, 20), kGrey);
  EXPECT_EQ(ReleaseDC(child, dc), 1);
  EXPECT_EQ(ReleaseDC(child, window), 1);
}

TEST_F(PaintSurfaceTest, DcFollowsTheWindowWhenItMoves) {
  TestWindow parent(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {10, 10, 210, 210}, nullptr, kGrey);
  TestWindow child(WS_CHILD | WS_VISIBLE, {0, 0, 20, 20}, parent.handle(), kRed);
  RunLoop();
  HDC dc = GetDC(child.handle());
  SetWindowPos(child.handle(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RunLoop();
  Fill(dc, {0, 0, 20, 20}, kBlue);
  ReleaseDC(child.handle(), dc);
  EXPECT_EQ(SurfacePixel(parent.handle(), 110, 110), kBlue);
  EXPECT_EQ(SurfacePixel(parent.handle(), 10, 10), kGrey);
}

TEST_F(PaintSurfaceTest, WindowDcReachesTheFrameAndClientDcDoesNot) {
  // A fixed border with a caption: the client area starts at (6, 30).
  TestWindow w(WS_POPUP | WS_VISIBLE | WS_CAPTION, {10, 10, 210, 160}, nullptr, kGrey);
  RunLoop();
  RECT client;
  GetClientRect(w.handle(), &client);
  POINT origin{0, 0};
  ClientToScreen(w.handle(), &origin);
  const int cx = origin.x - 10, cy = origin.y - 10;
  ASSERT_GT(cy, 0);

  HDC dc = GetDC(w.handle());
  Fill(dc, {-50, -50, 500, 500}, kRed);
  ReleaseDC(w.handle(), dc);
  EXPECT_EQ(SurfacePixel(w.handle(), cx, cy), kRed);
  EXPECT_NE(SurfacePixel(w.handle(), 1, 1), kRed);

  dc = GetWindowDC(w.handle());
  Fill(dc, {0, 0, 3, 3}, kBlue);
  ReleaseDC(w.handle(), dc);
  EXPECT_EQ(SurfacePixel(w.handle(), 1, 1), kBlue);
}

TEST_F(PaintSurfaceTest, GetDcExIntersectsOrExcludesAScreenRegion) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {100, 100, 200, 200}, nullptr, kGrey);
  RunLoop();
  HRGN region = CreateRectRgn(100, 100, 120, 120);  // screen coordinates
  HDC dc = GetDCEx(w.handle(), region, DCX_INTERSECTRGN);
  Fill(dc, {0, 0, 100, 100}, kRed);
  ReleaseDC(w.handle(), dc);
  EXPECT_EQ(SurfacePixel(w.handle(), 10, 10), kRed);
  EXPECT_EQ(SurfacePixel(w.handle(), 30, 30), kGrey);

  dc = GetDCEx(w.handle(), region, DCX_EXCLUDERGN);
  Fill(dc, {0, 0, 100, 100}, kBlue);
  ReleaseDC(w.handle(), dc);
  EXPECT_EQ(SurfacePixel(w.handle(), 10, 10), kRed);
  EXPECT_EQ(SurfacePixel(w.handle(), 30, 30), kBlue);
  // The region remains the caller's.
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
  DeleteObject(region);
}

TEST_F(PaintSurfaceTest, ParentClipDrawsOverTheParentsArea) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110}, nullptr, kGrey);
  TestWindow child(WS_CHILD | WS_VISIBLE, {20, 20, 40, 40}, parent.handle(), kRed);
  RunLoop();
  HDC dc = GetDCEx(child.handle(), nullptr, DCX_PARENTCLIP);
  // The origin is the child's, the limits are the parent's.
  Fill(dc, {-10, -10, 30, 30}, kBlue);
  ReleaseDC(child.handle(), dc);
  EXPECT_EQ(SurfacePixel(parent.handle(), 12, 12), kBlue);
  EXPECT_EQ(SurfacePixel(parent.handle(), 55, 55), kGrey);
}

TEST_F(PaintSurfaceTest, PrintWindowCopiesFrameClientAndChildren) {
  TestWindow w(WS_POPUP | WS_VISIBLE | WS_CAPTION, {10, 10, 210, 160}, nullptr, kGrey);
  w.rec().paintFrame = true;
  TestWindow child(WS_CHILD | WS_VISIBLE, {10, 10, 40, 40}, w.handle(), kBlue);
  RunLoop();
  POINT origin{0, 0};
  ClientToScreen(w.handle(), &origin);
  const int cx = origin.x - 10, cy = origin.y - 10;

  // Paint still owed is done before the copy.
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  w.rec().frameColour = kYellow;
  w.rec().fill = kGreen;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 150);
  HGDIOBJ old = SelectObject(memory, bitmap);
  EXPECT_TRUE(PrintWindow(w.handle(), memory, 0));
  EXPECT_EQ(GetPixel(memory, 1, 1), kYellow);
  EXPECT_EQ(GetPixel(memory, cx + 5, cy + 5), kGreen);
  EXPECT_EQ(GetPixel(memory, cx + 15, cy + 15), kBlue);

  EXPECT_TRUE(PrintWindow(w.handle(), memory, PW_CLIENTONLY));
  EXPECT_EQ(GetPixel(memory, 5, 5), kGreen);
  EXPECT_EQ(GetPixel(memory, 15, 15), kBlue);

  // A child alone: its own rectangle.
  EXPECT_TRUE(PrintWindow(child.handle(), memory, 0));
  EXPECT_EQ(GetPixel(memory, 0, 0), kBlue);

  SetLastError(0);
  EXPECT_FALSE(PrintWindow(reinterpret_cast<HWND>(0x03FFFFF0), memory, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(PrintWindow(w.handle(), nullptr, 0));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

TEST_F(PaintSurfaceTest, PrintMessagesReachTheWindowAndItsChildrenAtTheirPlaces) {
  TestWindow w(WS_POPUP | WS_VISIBLE | WS_CAPTION, {10, 10, 210, 160}, nullptr, kGrey);
  w.rec().paintFrame = true;
  TestWindow child(WS_CHILD | WS_VISIBLE, {10, 20, 40, 50}, w.handle(), kBlue);
  TestWindow hidden(WS_CHILD, {50, 20, 80, 50}, w.handle(), kRed);
  RunLoop();
  POINT origin{0, 0};
  ClientToScreen(w.handle(), &origin);
  const int cx = origin.x - 10, cy = origin.y - 10;
  w.rec().Clear();
  child.rec().Clear();
  hidden.rec().Clear();

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 150);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  Fill(memory, {0, 0, 200, 150}, kYellow);
  SendMessageA(w.handle(), WM_PRINT, reinterpret_cast<WPARAM>(memory),
               PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND | PRF_CHECKVISIBLE);
  EXPECT_EQ(w.rec().Sequence({WM_ERASEBKGND, WM_PRINTCLIENT}),
            (std::vector<UINT>{WM_ERASEBKGND, WM_PRINTCLIENT}));
  EXPECT_EQ(child.rec().Sequence({WM_PRINT, WM_PRINTCLIENT}),
            (std::vector<UINT>{WM_PRINT, WM_PRINTCLIENT}));
  EXPECT_EQ(hidden.rec().Count(WM_PRINT), 0);
  // The frame comes from the surface, the client areas from the handlers, each in place.
  EXPECT_EQ(GetPixel(memory, 1, 1), w.rec().frameColour);
  EXPECT_EQ(GetPixel(memory, cx + 5, cy + 5), kGrey);
  EXPECT_EQ(GetPixel(memory, cx + 15, cy + 25), kBlue);
  EXPECT_EQ(GetPixel(memory, cx + 60, cy + 30), kGrey);
  // The caller's origin is given back.
  POINT viewport{-1, -1};
  GetViewportOrgEx(memory, &viewport);
  EXPECT_EQ(viewport.x, 0);
  EXPECT_EQ(viewport.y, 0);

  // PRF_CHECKVISIBLE: a hidden window prints nothing.
  SendMessageA(hidden.handle(), WM_PRINT, reinterpret_cast<WPARAM>(memory),
               PRF_CLIENT | PRF_CHECKVISIBLE);
  EXPECT_EQ(hidden.rec().Count(WM_PRINTCLIENT), 0);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

TEST_F(PaintSurfaceTest, SurfaceKeepsItsPixelsWhenTheWindowGrows) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 60, 60}, nullptr, kGrey);
  RunLoop();
  w.rec().paintClient = false;  // validate without drawing: what was there must survive
  HDC dc = GetDC(w.handle());
  Fill(dc, {40, 40, 50, 50}, kRed);
  ReleaseDC(w.handle(), dc);
  SetWindowPos(w.handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RunLoop();
  EXPECT_EQ(PixelOf(w.handle(), 45, 45), kRed);
  EXPECT_EQ(PixelOf(w.handle(), 10, 10), kGrey);
  // Shrinking and growing again loses what fell outside.
  SetWindowPos(w.handle(), nullptr, 0, 0, 30, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(w.handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RunLoop();
  EXPECT_NE(PixelOf(w.handle(), 45, 45), kRed);
}

TEST_F(PaintSurfaceTest, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredStrip) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110}, nullptr, kGrey);
  RunLoop();
  HDC dc = GetDC(w.handle());
  Fill(dc, {0, 0, 100, 10}, kRed);
  Fill(dc, {0, 10, 100, 20}, kBlue);
  ReleaseDC(w.handle(), dc);

  EXPECT_TRUE(ScrollWindow(w.handle(), 0, 10, nullptr, nullptr));
  EXPECT_EQ(SurfacePixel(w.handle(), 50, 15), kRed);
  EXPECT_EQ(SurfacePixel(w.handle(), 50, 25), kBlue);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(w.handle(), &update, FALSE));
  EXPECT_EQ(update.top, 0);
  EXPECT_EQ(update.bottom, 10);
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.right, 100);
  RunLoop();
  EXPECT_EQ(SurfacePixel(w.handle(), 50, 5), kGrey);
  EXPECT_EQ(SurfacePixel(w.handle(), 50, 15), kRed);

  // Upwards within a rectangle: the bottom strip of that rectangle is uncovered.
  RECT part{0, 0, 50, 50};
  EXPECT_TRUE(ScrollWindow(w.handle(), 0, -10, &part, &part));
  EXPECT_EQ(SurfacePixel(w.handle(), 20, 5), kRed);
  EXPECT_EQ(SurfacePixel(w.handle(), 70, 5), kGrey);
  ASSERT_TRUE(GetUpdateRect(w.handle(), &update, FALSE));
  EXPECT_EQ(update.top, 40);
  EXPECT_EQ(update.bottom, 50);
  EXPECT_EQ(update.right, 50);
  EXPECT_FALSE(ScrollWindow(reinterpret_cast<HWND>(0x03FFFFF0), 0, 1, nullptr, nullptr));

  // Scrolling the whole client area carries child windows along; a rectangle does not.
  TestWindow child(WS_CHILD | WS_VISIBLE, {10, 10, 20, 20}, w.handle());
  RunLoop();
  ScrollWindow(w.handle(), 5, 7, nullptr, nullptr);
  RECT moved;
  GetWindowRect(child.handle(), &moved);
  EXPECT_EQ(moved.left, 10 + 10 + 5);
  EXPECT_EQ(moved.top, 10 + 10 + 7);
  ScrollWindow(w.handle(), 5, 7, &part, nullptr);
  GetWindowRect(child.handle(), &moved);
  EXPECT_EQ(moved.left, 25);
}

}  // namespace
