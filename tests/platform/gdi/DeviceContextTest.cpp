// Device contexts: what a new one holds, the state setters, SaveDC/RestoreDC, device
// capabilities and system colours.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/DeviceContext.h"
#include "platform/wingdi.h"

namespace {

class DeviceContextTest : public ::testing::Test {
 protected:
  void SetUp() override { dc_ = CreateCompatibleDC(nullptr); }
  void TearDown() override { DeleteDC(dc_); }
  HDC dc_ = nullptr;
};

TEST_F(DeviceContextTest, NewMemoryDCHoldsTheDefaults) {
  ASSERT_NE(dc_, nullptr);
  EXPECT_EQ(GetObjectType(dc_), OBJ_MEMDC);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_FONT), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
  // The default bitmap: 1x1 monochrome, the same one in every new memory DC.
  HGDIOBJ bitmap = GetCurrentObject(dc_, OBJ_BITMAP);
  BITMAP bm{};
  ASSERT_EQ(GetObjectA(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmHeight, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  HDC other = CreateCompatibleDC(dc_);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(GetCurrentObject(other, OBJ_BITMAP), bitmap);
  EXPECT_TRUE(DeleteObject(bitmap));  // a stock object: ignored, still usable
  EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);
  DeleteDC(other);

  EXPECT_EQ(GetTextColor(dc_), RGB(0, 0, 0));
  EXPECT_EQ(GetBkColor(dc_), RGB(255, 255, 255));
  EXPECT_EQ(GetBkMode(dc_), OPAQUE);
  EXPECT_EQ(GetStretchBltMode(dc_), BLACKONWHITE);
  POINT p{7, 7};
  EXPECT_TRUE(GetViewportOrgEx(dc_, &p));
  EXPECT_EQ(p.x, 0);
  EXPECT_TRUE(GetWindowOrgEx(dc_, &p));
  EXPECT_EQ(p.y, 0);
}

TEST_F(DeviceContextTest, SettersReturnThePreviousValueAndRefuseNonsense) {
  EXPECT_EQ(SetTextColor(dc_, RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(SetTextColor(dc_, RGB(4, 5, 6)), RGB(1, 2, 3));
  EXPECT_EQ(GetTextColor(dc_), RGB(4, 5, 6));
  EXPECT_EQ(SetBkColor(dc_, RGB(9, 9, 9)), RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(dc_), RGB(9, 9, 9));
  EXPECT_EQ(SetBkMode(dc_, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc_, 7), 0);
  EXPECT_EQ(GetBkMode(dc_), TRANSPARENT);
  EXPECT_EQ(SetStretchBltMode(dc_, HALFTONE), BLACKONWHITE);
  EXPECT_EQ(SetStretchBltMode(dc_, 0), 0);
  EXPECT_EQ(SetStretchBltMode(dc_, 5), 0);
  EXPECT_EQ(GetStretchBltMode(dc_), HALFTONE);
  EXPECT_EQ(SetROP2(dc_, R2_XORPEN), R2_COPYPEN);
  EXPECT_EQ(SetROP2(dc_, 0), 0);
  EXPECT_EQ(SetROP2(dc_, R2_COPYPEN), R2_XORPEN);
  EXPECT_EQ(SetTextAlign(dc_, TA_CENTER | TA_BASELINE), TA_LEFT | TA_TOP);
  EXPECT_EQ(SetTextAlign(dc_, TA_LEFT), TA_CENTER | TA_BASELINE);
  EXPECT_EQ(SetDCBrushColor(dc_, RGB(10, 20, 30)), RGB(255, 255, 255));
  EXPECT_EQ(SetDCPenColor(dc_, RGB(40, 50, 60)), RGB(0, 0, 0));
  auto context = platform::gdi::LookupDC(dc_);
  ASSERT_TRUE(context);
  // The DC brush and pen take their colours from the DC.
  EXPECT_EQ(platform::gdi::BrushColor(*context, *platform::gdi::StockBrush(DC_BRUSH)),
            RGB(10, 20, 30));
  EXPECT_EQ(platform::gdi::PenColor(*context, *platform::gdi::StockPen(DC_PEN)), RGB(40, 50, 60));
  EXPECT_EQ(platform::gdi::BrushColor(*context, *platform::gdi::StockBrush(GRAY_BRUSH)),
            RGB(128, 128, 128));
}

TEST_F(DeviceContextTest, OriginsMoveAndReportTheOldOnes) {
  POINT old{-1, -1};
  EXPECT_TRUE(SetViewportOrgEx(dc_, 10, 20, &old));
  EXPECT_EQ(old.x, 0);
  EXPECT_TRUE(OffsetViewportOrgEx(dc_, 5, -5, &old));
  EXPECT_EQ(old.x, 10);
  EXPECT_EQ(old.y, 20);
  POINT now;
  GetViewportOrgEx(dc_, &now);
  EXPECT_EQ(now.x, 15);
  EXPECT_EQ(now.y, 15);
  EXPECT_TRUE(SetWindowOrgEx(dc_, 3, 4, nullptr));
  auto context = platform::gdi::LookupDC(dc_);
  POINT device = context->LogicalToDevice(3, 4);
  EXPECT_EQ(device.x, 15);
  EXPECT_EQ(device.y, 15);
  EXPECT_FALSE(GetViewportOrgEx(dc_, nullptr));
  EXPECT_FALSE(SetViewportOrgEx(nullptr, 0, 0, nullptr));
  EXPECT_FALSE(OffsetViewportOrgEx(nullptr, 0, 0, nullptr));
  // Offsetting past the integer range wraps instead of overflowing.
  SetViewportOrgEx(dc_, INT32_MAX, 0, nullptr);
  EXPECT_TRUE(OffsetViewportOrgEx(dc_, 1, 0, nullptr));
  GetViewportOrgEx(dc_, &now);
  EXPECT_EQ(now.x, INT32_MIN);
  // Far-off points stay far off on the way to the device instead of wrapping around.
  SetViewportOrgEx(dc_, 100, -100, nullptr);
  SetWindowOrgEx(dc_, -100, 100, nullptr);
  device = context->LogicalToDevice(INT32_MAX, INT32_MIN);
  EXPECT_EQ(device.x, INT32_MAX);
  EXPECT_EQ(device.y, INT32_MIN);
  EXPECT_EQ(context->DeviceToSurface(device).x, INT32_MAX);
}

TEST_F(DeviceContextTest, SaveAndRestoreByAbsoluteAndRelativeLevels) {
  SetTextColor(dc_, RGB(1, 0, 0));
  EXPECT_EQ(SaveDC(dc_), 1);
  SetTextColor(dc_, RGB(2, 0, 0));
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  SelectObject(dc_, brush);
  EXPECT_EQ(SaveDC(dc_), 2);
  SetTextColor(dc_, RGB(3, 0, 0));
  SetViewportOrgEx(dc_, 9, 9, nullptr);
  EXPECT_EQ(SaveDC(dc_), 3);
  SetTextColor(dc_, RGB(4, 0, 0));

  EXPECT_TRUE(RestoreDC(dc_, -1));  // the last save
  EXPECT_EQ(GetTextColor(dc_), RGB(3, 0, 0));
  EXPECT_TRUE(RestoreDC(dc_, 1));  // level 1 drops level 2 with it
  EXPECT_EQ(GetTextColor(dc_), RGB(1, 0, 0));
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  POINT vp;
  GetViewportOrgEx(dc_, &vp);
  EXPECT_EQ(vp.x, 0);
  EXPECT_FALSE(RestoreDC(dc_, 1));  // nothing saved any more
  EXPECT_FALSE(RestoreDC(dc_, -1));
  EXPECT_EQ(SaveDC(dc_), 1);
  EXPECT_FALSE(RestoreDC(dc_, 0));
  EXPECT_FALSE(RestoreDC(dc_, 2));
  EXPECT_FALSE(RestoreDC(dc_, -2));
  EXPECT_FALSE(RestoreDC(dc_, INT32_MIN));
  EXPECT_TRUE(RestoreDC(dc_, -1));
  EXPECT_EQ(SaveDC(nullptr), 0);
}

TEST_F(DeviceContextTest, RestoreDCReselectsTheSavedBitmap) {
  HBITMAP first = CreateBitmap(4, 4, 1, 32, nullptr);
  HBITMAP second = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ original = SelectObject(dc_, first);
  int level = SaveDC(dc_);
  EXPECT_EQ(SelectObject(dc_, second), first);
  EXPECT_TRUE(DeleteObject(first));  // no longer selected; the saved state keeps it alive
  EXPECT_TRUE(RestoreDC(dc_, level));
  RECT box;
  GetClipBox(dc_, &box);
  EXPECT_EQ(box.right, 4);            // drawing goes to the 4x4 bitmap again
  EXPECT_TRUE(DeleteObject(second));  // deselected by the restore
  SelectObject(dc_, original);
}

TEST_F(DeviceContextTest, DeviceCapsDescribeA32BitScreen) {
  EXPECT_EQ(GetDeviceCaps(dc_, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc_, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(dc_, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc_, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dc_, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_NE(GetDeviceCaps(dc_, RASTERCAPS) & RC_STRETCHBLT, 0);
  platform::gdi::ScreenMetrics saved = platform::gdi::Screen();
  platform::gdi::Screen() = {1280, 720};
  EXPECT_EQ(GetDeviceCaps(dc_, HORZRES), 1280);
  EXPECT_EQ(GetDeviceCaps(dc_, VERTRES), 720);
  platform::gdi::Screen() = saved;
  EXPECT_EQ(GetDeviceCaps(dc_, 12345), 0);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
}

TEST_F(DeviceContextTest, SystemColoursAndTheirBrushesFollowTheTheme) {
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), RGB(0, 0, 0));
  EXPECT_EQ(GetSysColor(-1), 0u);
  EXPECT_EQ(GetSysColor(31), 0u);
  EXPECT_EQ(GetSysColorBrush(31), nullptr);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  EXPECT_TRUE(DeleteObject(face));  // ignored
  LOGBRUSH lb{};
  ASSERT_EQ(GetObjectA(face, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
  EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_BTNFACE));

  DWORD saved[COLOR_BTNFACE + 1];
  for (int i = 0; i <= COLOR_BTNFACE; ++i) saved[i] = GetSysColor(i);
  COLORREF themed[COLOR_BTNFACE + 1];
  std::memcpy(themed, saved, sizeof(themed));
  themed[COLOR_BTNFACE] = RGB(12, 34, 56);
  platform::gdi::SetSysColors(themed, COLOR_BTNFACE + 1);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(12, 34, 56));
  GetObjectA(face, sizeof(lb), &lb);
  EXPECT_EQ(lb.lbColor, RGB(12, 34, 56));
  auto context = platform::gdi::LookupDC(dc_);
  auto brush = platform::gdi::Lookup<platform::gdi::BrushObject>(face);
  EXPECT_EQ(platform::gdi::BrushColor(*context, *brush), RGB(12, 34, 56));
  platform::gdi::SetSysColors(saved, COLOR_BTNFACE + 1);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), saved[COLOR_BTNFACE]);
}

TEST_F(DeviceContextTest, FunctionsOnBadHandlesFail) {
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(CreateCompatibleDC(brush), nullptr);
  EXPECT_FALSE(DeleteDC(nullptr));
  EXPECT_FALSE(DeleteDC(brush));
  EXPECT_EQ(SetTextColor(brush, 0), CLR_INVALID);
  EXPECT_EQ(GetBkColor(nullptr), CLR_INVALID);
  EXPECT_EQ(SetBkMode(brush, OPAQUE), 0);
  EXPECT_EQ(SetTextAlign(nullptr, 0), GDI_ERROR);
  EXPECT_EQ(SetDCBrushColor(nullptr, 0), CLR_INVALID);
  HDC gone = CreateCompatibleDC(nullptr);
  EXPECT_TRUE(DeleteDC(gone));
  EXPECT_FALSE(DeleteDC(gone));
  EXPECT_EQ(SetTextColor(gone, 0), CLR_INVALID);
  EXPECT_EQ(platform::gdi::LookupDC(gone), nullptr);
  EXPECT_EQ(platform::gdi::LookupDC(brush), nullptr);
}

}  // namespace
