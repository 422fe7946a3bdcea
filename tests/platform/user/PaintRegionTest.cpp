// Update regions and the paint cycle: what accumulates, what validates, which messages
// settle it and in which order.
#include <gtest/gtest.h>

#include "platform/kernel32.h"
#include "platform/user/Painting.h"
#include "tests/platform/user/PaintTestSupport.h"

namespace {

using namespace paint_test;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class PaintRegionTest : public ::testing::Test {
 protected:
  void SetUp() override { RunLoop(); }
  void TearDown() override { RunLoop(); }
};

TEST_F(PaintRegionTest, InvalidationsAccumulateAndValidationRemovesThem) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 210, 110});
  RunLoop();
  RECT update;
  EXPECT_FALSE(GetUpdateRect(w.handle(), &update, FALSE));
  EXPECT_TRUE(SameRect(update, RECT{0, 0, 0, 0}));

  RECT a{10, 10, 20, 20}, b{50, 40, 60, 60};
  InvalidateRect(w.handle(), &a, FALSE);
  InvalidateRect(w.handle(), &b, FALSE);
  EXPECT_TRUE(GetUpdateRect(w.handle(), &update, FALSE));
  EXPECT_TRUE(SameRect(update, RECT{10, 10, 60, 60}));
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(w.handle(), region, FALSE), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(region, 15, 15));
  EXPECT_FALSE(PtInRegion(region, 30, 30));

  ValidateRect(w.handle(), &a);
  EXPECT_TRUE(GetUpdateRect(w.handle(), &update, FALSE));
  EXPECT_TRUE(SameRect(update, b));

  // Invalidation is clipped to the client area.
  RECT outside{150, 80, 400, 400};
  InvalidateRect(w.handle(), &outside, FALSE);
  GetUpdateRect(w.handle(), &update, FALSE);
  EXPECT_TRUE(SameRect(update, RECT{50, 40, 200, 100}));

  ValidateRect(w.handle(), nullptr);
  EXPECT_FALSE(GetUpdateRect(w.handle(), &update, FALSE));
  EXPECT_EQ(GetUpdateRgn(w.handle(), region, FALSE), NULLREGION);
  EXPECT_EQ(platform::user::FindPaintWindow(GetCurrentThreadId(), nullptr), nullptr);
  DeleteObject(region);
}

TEST_F(PaintRegionTest, BadHandlesFailWithoutSideEffects) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110});
  HWND dead = w.handle();
  RunLoop();
  DestroyWindow(dead);
  RECT r{0, 0, 5, 5};
  SetLastError(0);
  EXPECT_FALSE(InvalidateRect(dead, &r, TRUE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(GetUpdateRect(dead, &r, TRUE));
  EXPECT_FALSE(UpdateWindow(dead));
  PAINTSTRUCT ps;
  EXPECT_EQ(BeginPaint(dead, &ps), nullptr);
  EXPECT_FALSE(RedrawWindow(dead, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
  HRGN region = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(GetUpdateRgn(dead, region, FALSE), ERROR);
  DeleteObject(region);
}

TEST_F(PaintRegionTest, HiddenWindowsGatherNoPaint) {
  TestWindow w(WS_POPUP, {10, 10, 110, 110});
  InvalidateRect(w.handle(), nullptr, TRUE);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(w.handle(), &update, FALSE));
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_PAINT), 0);

  // Showing it paints it whole.
  ShowWindow(w.handle(), SW_SHOW);
  RunLoop();
  ASSERT_EQ(w.rec().paints.size(), 1u);
  EXPECT_TRUE(SameRect(w.rec().paints[0].rcPaint, RECT{0, 0, 100, 100}));
}

TEST_F(PaintRegionTest, BeginPaintErasesOnceAndReportsRcPaint) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 210, 110});
  RunLoop();
  w.rec().Clear();

  // The erase request of the first call survives a second call that asks for none.
  RECT a{5, 5, 15, 15}, b{30, 30, 40, 50};
  InvalidateRect(w.handle(), &a, TRUE);
  InvalidateRect(w.handle(), &b, FALSE);
  RunLoop();
  EXPECT_EQ(w.rec().Sequence({WM_PAINT, WM_ERASEBKGND}),
            (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  ASSERT_EQ(w.rec().paints.size(), 1u);
  EXPECT_TRUE(SameRect(w.rec().paints[0].rcPaint, RECT{5, 5, 40, 50}));
  EXPECT_FALSE(w.rec().paints[0].fErase);

  // Without an erase request there is no WM_ERASEBKGND.
  w.rec().Clear();
  InvalidateRect(w.handle(), &a, FALSE);
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_ERASEBKGND), 0);
  ASSERT_EQ(w.rec().paints.size(), 1u);
  EXPECT_FALSE(w.rec().paints[0].fErase);

  // A WM_ERASEBKGND that erased nothing leaves fErase set for WM_PAINT to do it.
  w.rec().Clear();
  w.rec().eraseResult = 0;
  InvalidateRect(w.handle(), &a, TRUE);
  RunLoop();
  ASSERT_EQ(w.rec().paints.size(), 1u);
  EXPECT_TRUE(w.rec().paints[0].fErase);
}

TEST_F(PaintRegionTest, PaintDcIsClippedToTheUpdateRegion) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110}, nullptr, kRed);
  RunLoop();
  EXPECT_EQ(SurfacePixel(w.handle(), 50, 50), kRed);
  w.rec().fill = kBlue;
  RECT part{20, 20, 40, 40};
  InvalidateRect(w.handle(), &part, FALSE);
  RunLoop();
  // The handler filled its whole client area; only the invalid part changed.
  EXPECT_EQ(SurfacePixel(w.handle(), 25, 25), kBlue);
  EXPECT_EQ(SurfacePixel(w.handle(), 50, 50), kRed);
  EXPECT_EQ(SurfacePixel(w.handle(), 19, 25), kRed);
}

TEST_F(PaintRegionTest, GetUpdateRectCanEraseFirst) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110});
  RunLoop();
  w.rec().Clear();
  RECT a{0, 0, 10, 10};
  InvalidateRect(w.handle(), &a, TRUE);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(w.handle(), &update, FALSE));
  EXPECT_EQ(w.rec().Count(WM_ERASEBKGND), 0);
  EXPECT_TRUE(GetUpdateRect(w.handle(), &update, TRUE));
  EXPECT_EQ(w.rec().Count(WM_ERASEBKGND), 1);
  // Erased already: the next paint does not erase again and says so.
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_ERASEBKGND), 1);
  ASSERT_EQ(w.rec().paints.size(), 1u);
  EXPECT_FALSE(w.rec().paints[0].fErase);
}

TEST_F(PaintRegionTest, RedrawWindowNowFlagsPaintBeforeReturning) {
  TestWindow w(WS_POPUP | WS_VISIBLE | WS_CAPTION, {10, 10, 210, 160});
  RunLoop();
  w.rec().Clear();

  RedrawWindow(w.handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  EXPECT_EQ(w.rec().Sequence({WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}),
            (std::vector<UINT>{WM_PAINT, WM_NCPAINT, WM_ERASEBKGND}));
  EXPECT_EQ(platform::user::FindPaintWindow(GetCurrentThreadId(), nullptr), nullptr);

  // ERASENOW settles frame and background but leaves WM_PAINT to the loop.
  w.rec().Clear();
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ERASENOW);
  EXPECT_EQ(w.rec().Sequence({WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}),
            (std::vector<UINT>{WM_NCPAINT, WM_ERASEBKGND}));
  EXPECT_EQ(platform::user::FindPaintWindow(GetCurrentThreadId(), nullptr), w.handle());
  RunLoop();
  EXPECT_EQ(w.rec().Sequence({WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}),
            (std::vector<UINT>{WM_NCPAINT, WM_ERASEBKGND, WM_PAINT}));
}

TEST_F(PaintRegionTest, RedrawWindowFrameAndInternalPaint) {
  TestWindow w(WS_POPUP | WS_VISIBLE | WS_CAPTION, {10, 10, 210, 160});
  RunLoop();
  w.rec().Clear();

  // A frame-only request still brings a WM_PAINT (whose BeginPaint sends WM_NCPAINT), with
  // nothing of the client area to paint.
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_NCPAINT), 1);
  // Without RDW_FRAME the frame is left alone.
  w.rec().Clear();
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INVALIDATE);
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_NCPAINT), 0);
  EXPECT_EQ(w.rec().Count(WM_PAINT), 1);

  // An internal paint comes once, with an empty rcPaint.
  w.rec().Clear();
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INTERNALPAINT);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(w.handle(), &update, FALSE));
  RunLoop();
  ASSERT_EQ(w.rec().paints.size(), 1u);
  EXPECT_TRUE(SameRect(w.rec().paints[0].rcPaint, RECT{0, 0, 0, 0}));

  // RDW_NOINTERNALPAINT withdraws it before the loop sees it.
  w.rec().Clear();
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INTERNALPAINT);
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_VALIDATE | RDW_NOINTERNALPAINT);
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_PAINT), 0);

  // RDW_VALIDATE | RDW_NOFRAME withdraws a pending frame, RDW_NOERASE a pending erase.
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOERASE);
  RunLoop();
  EXPECT_EQ(w.rec().Count(WM_PAINT), 0);
  EXPECT_EQ(w.rec().Count(WM_NCPAINT), 0);
  EXPECT_EQ(w.rec().Count(WM_ERASEBKGND), 0);

  // Validating the whole window settles its frame and internal paint too, so a handler that
  // validates without BeginPaint is not asked again and again.
  RedrawWindow(w.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_INTERNALPAINT);
  EXPECT_EQ(platform::user::FindPaintWindow(GetCurrentThreadId(), nullptr), w.handle());
  ValidateRect(w.handle(), nullptr);
  EXPECT_EQ(platform::user::FindPaintWindow(GetCurrentThreadId(), nullptr), nullptr);
}

TEST_F(PaintRegionTest, ChildrenFollowParentInvalidationUnlessClipChildren) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {10, 10, 210, 210});
  TestWindow child(WS_CHILD | WS_VISIBLE, {20, 20, 80, 80}, parent.handle());
  TestWindow clipping(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {300, 10, 500, 210});
  TestWindow clippedChild(WS_CHILD | WS_VISIBLE, {20, 20, 80, 80}, clipping.handle());
  RunLoop();
  child.rec().Clear();
  clippedChild.rec().Clear();

  InvalidateRect(parent.handle(), nullptr, TRUE);
  InvalidateRect(clipping.handle(), nullptr, TRUE);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(child.handle(), &update, FALSE));
  EXPECT_TRUE(SameRect(update, RECT{0, 0, 60, 60}));
  EXPECT_FALSE(GetUpdateRect(clippedChild.handle(), &update, FALSE));

  // Only the overlapped part of a child is invalidated, in its own coordinates.
  ValidateRect(child.handle(), nullptr);
  RECT corner{70, 70, 100, 100};
  InvalidateRect(parent.handle(), &corner, FALSE);
  EXPECT_TRUE(GetUpdateRect(child.handle(), &update, FALSE));
  EXPECT_TRUE(SameRect(update, RECT{50, 50, 60, 60}));

  // RDW_ALLCHILDREN reaches through WS_CLIPCHILDREN; RDW_NOCHILDREN stops at the parent.
  RedrawWindow(clipping.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  EXPECT_TRUE(GetUpdateRect(clippedChild.handle(), &update, FALSE));
  RunLoop();
  RedrawWindow(parent.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
  EXPECT_FALSE(GetUpdateRect(child.handle(), &update, FALSE));
  RunLoop();
}

TEST_F(PaintRegionTest, ParentsPaintBeforeChildrenAndValidationSparesChildren) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {10, 10, 210, 210});
  TestWindow child(WS_CHILD | WS_VISIBLE, {20, 20, 80, 80}, parent.handle());
  RunLoop();
  InvalidateRect(parent.handle(), nullptr, FALSE);
  const DWORD thread = GetCurrentThreadId();
  EXPECT_EQ(platform::user::FindPaintWindow(thread, nullptr), parent.handle());
  // The window filter limits the search to that window's subtree.
  EXPECT_EQ(platform::user::FindPaintWindow(thread, child.handle()), child.handle());
  EXPECT_EQ(
      platform::user::FindPaintWindow(thread, reinterpret_cast<HWND>(static_cast<intptr_t>(-1))),
      nullptr);
  EXPECT_EQ(platform::user::FindPaintWindow(thread + 1000, nullptr), nullptr);

  // The parent validating itself leaves the child's paint owed.
  ValidateRect(parent.handle(), nullptr);
  EXPECT_EQ(platform::user::FindPaintWindow(thread, nullptr), child.handle());
  RunLoop();
  EXPECT_EQ(platform::user::FindPaintWindow(thread, nullptr), nullptr);
}

TEST_F(PaintRegionTest, UpdateWindowPaintsTheTreeSynchronously) {
  TestWindow parent(WS_POPUP | WS_VISIBLE, {10, 10, 210, 210});
  TestWindow child(WS_CHILD | WS_VISIBLE, {20, 20, 80, 80}, parent.handle());
  RunLoop();
  parent.rec().Clear();
  child.rec().Clear();

  EXPECT_TRUE(UpdateWindow(parent.handle()));
  EXPECT_EQ(parent.rec().Count(WM_PAINT), 0);

  InvalidateRect(parent.handle(), nullptr, FALSE);
  EXPECT_TRUE(UpdateWindow(parent.handle()));
  EXPECT_EQ(parent.rec().Count(WM_PAINT), 1);
  EXPECT_EQ(child.rec().Count(WM_PAINT), 1);
  EXPECT_EQ(platform::user::FindPaintWindow(GetCurrentThreadId(), nullptr), nullptr);
}

TEST_F(PaintRegionTest, WindowThatNeverValidatesIsNotPaintedInALoopByUpdateWindow) {
  TestWindow w(WS_POPUP | WS_VISIBLE, {10, 10, 110, 110});
  RunLoop();
  // A handler that ignores WM_PAINT: UpdateWindow asks once and returns.
  SetWindowLongPtrA(
      w.handle(), GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_PAINT) return 0;
        return DefWindowProcA(h, m, wp, lp);
      }));
  InvalidateRect(w.handle(), nullptr, FALSE);
  EXPECT_TRUE(UpdateWindow(w.handle()));
  RECT update;
  EXPECT_TRUE(GetUpdateRect(w.handle(), &update, FALSE));
  ValidateRect(w.handle(), nullptr);
  SetWindowLongPtrA(w.handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
}

}  // namespace
