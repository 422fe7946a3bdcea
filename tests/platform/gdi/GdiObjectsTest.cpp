// The GDI handle table and the object functions: SelectObject, DeleteObject, GetObjectA,
// GetObjectType, GetStockObject.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/GdiObjects.h"
#include "platform/kernel32.h"
#include "platform/wingdi.h"

namespace {

uintptr_t Value(HANDLE h) {
  return reinterpret_cast<uintptr_t>(h);
}

TEST(GdiObjectsTest, HandlesFitIn32BitsAndAreNotKernelHandles) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  // A kernel handle is not a GDI object, whatever its value.
  EXPECT_EQ(GetObjectType(event), 0u);
  EXPECT_FALSE(DeleteObject(event));
  std::vector<HGDIOBJ> made;
  for (int i = 0; i < 100; ++i) made.push_back(CreateRectRgn(0, 0, i, i));
  for (HGDIOBJ h : made) {
    EXPECT_LE(Value(h), 0xFFFFFFFFu);
    EXPECT_EQ(Value(h) % 4, 0u);
    EXPECT_NE(Value(h), Value(event));
  }
  for (HGDIOBJ h : made) EXPECT_TRUE(DeleteObject(h));
  CloseHandle(event);
}

TEST(GdiObjectsTest, StaleAndForeignHandlesAreRecognised) {
  HRGN r = CreateRectRgn(0, 0, 1, 1);
  EXPECT_TRUE(DeleteObject(r));
  EXPECT_FALSE(DeleteObject(r));
  EXPECT_EQ(GetObjectType(r), 0u);
  // Freed handles are not handed out again straight away.
  HRGN next = CreateRectRgn(0, 0, 1, 1);
  EXPECT_NE(next, r);
  DeleteObject(next);
  for (uintptr_t v :
       {uintptr_t{0}, uintptr_t{3}, uintptr_t{0x02000001}, uintptr_t{0xFFFFFFFC}, ~uintptr_t{0}}) {
    HGDIOBJ h = reinterpret_cast<HGDIOBJ>(v);
    EXPECT_EQ(GetObjectType(h), 0u);
    EXPECT_FALSE(DeleteObject(h));
    char buffer[64];
    EXPECT_EQ(GetObjectA(h, sizeof(buffer), buffer), 0);
  }
}

TEST(GdiObjectsTest, StockObjectsExistAndIgnoreDeletion) {
  for (int i :
       {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, DC_BRUSH})
    EXPECT_EQ(GetObjectType(GetStockObject(i)), OBJ_BRUSH) << i;
  for (int i : {WHITE_PEN, BLACK_PEN, NULL_PEN, DC_PEN})
    EXPECT_EQ(GetObjectType(GetStockObject(i)), OBJ_PEN) << i;
  for (int i : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT, DEVICE_DEFAULT_FONT,
                SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT})
    EXPECT_EQ(GetObjectType(GetStockObject(i)), OBJ_FONT) << i;
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_PALETTE)), OBJ_PAL);
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(20), nullptr);
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  EXPECT_TRUE(DeleteObject(black));
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_EQ(GetObjectType(black), OBJ_BRUSH);
}

TEST(GdiObjectsTest, GetObjectLayoutsOfStockObjects) {
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectA(GetStockObject(GRAY_BRUSH), 0, nullptr), static_cast<int>(sizeof(LOGBRUSH)));
  EXPECT_EQ(GetObjectA(GetStockObject(GRAY_BRUSH), sizeof(lb), &lb),
            static_cast<int>(sizeof(LOGBRUSH)));
  EXPECT_EQ(lb.lbStyle, BS_SOLID);
  EXPECT_EQ(lb.lbColor, RGB(128, 128, 128));
  GetObjectA(GetStockObject(NULL_BRUSH), sizeof(lb), &lb);
  EXPECT_EQ(lb.lbStyle, BS_NULL);

  LOGPEN lp{};
  EXPECT_EQ(GetObjectA(GetStockObject(WHITE_PEN), sizeof(lp), &lp),
            static_cast<int>(sizeof(LOGPEN)));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_SOLID));
  EXPECT_EQ(lp.lopnColor, RGB(255, 255, 255));
  GetObjectA(GetStockObject(NULL_PEN), sizeof(lp), &lp);
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_NULL));

  LOGFONTA lf{};
  EXPECT_EQ(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), 0, nullptr),
            static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf),
            static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_STREQ(lf.lfFaceName, "WenQuanYi Micro Hei");
  // A short buffer gets the start of the structure and nothing past it.
  char bytes[8];
  std::memset(bytes, 0x5A, sizeof(bytes));
  EXPECT_EQ(GetObjectA(GetStockObject(SYSTEM_FONT), 4, bytes), 4);
  LONG height;
  std::memcpy(&height, bytes, 4);
  EXPECT_EQ(height, -12);
  EXPECT_EQ(bytes[4], 0x5A);
  EXPECT_EQ(GetObjectA(GetStockObject(SYSTEM_FONT), -5, bytes), 0);

  WORD entries = 0;
  EXPECT_EQ(GetObjectA(GetStockObject(DEFAULT_PALETTE), sizeof(entries), &entries), 2);
  EXPECT_EQ(entries, 20);
  // Regions and DCs have nothing to describe.
  HRGN r = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(GetObjectA(r, sizeof(bytes), bytes), 0);
  DeleteObject(r);
}

TEST(GdiObjectsTest, GetObjectOfBitmapsAndTheirShortRecords) {
  HBITMAP bitmap = CreateBitmap(13, 5, 1, 1, nullptr);
  EXPECT_EQ(GetObjectA(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmType, 0);
  EXPECT_EQ(bm.bmWidth, 13);
  EXPECT_EQ(bm.bmHeight, 5);
  EXPECT_EQ(bm.bmWidthBytes, 2);  // device bitmap rows are padded to 2 bytes
  EXPECT_EQ(bm.bmPlanes, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmBits, nullptr);
  // The 24-byte record of 32-bit callers: the same fields up to bmBitsPixel.
  unsigned char record[24];
  std::memset(record, 0xEE, sizeof(record));
  EXPECT_EQ(GetObjectA(bitmap, 24, record), 24);
  LONG width, widthBytes;
  WORD bitsPixel;
  std::memcpy(&width, record + 4, 4);
  std::memcpy(&widthBytes, record + 12, 4);
  std::memcpy(&bitsPixel, record + 18, 2);
  EXPECT_EQ(width, 13);
  EXPECT_EQ(widthBytes, 2);
  EXPECT_EQ(bitsPixel, 1);
  EXPECT_EQ(record[20], 0);
  EXPECT_EQ(GetObjectA(bitmap, 23, record), 0);
  // A DIB section reports a DIBSECTION when there is room for one.
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{40, 7, -3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(GetObjectA(section, 0, nullptr), static_cast<int>(sizeof(DIBSECTION)));
  DIBSECTION ds{};
  EXPECT_EQ(GetObjectA(section, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
  EXPECT_EQ(ds.dsBm.bmWidth, 7);
  EXPECT_EQ(ds.dsBm.bmHeight, 3);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 24);  // 21 bytes padded to 4
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biSize, 40u);
  EXPECT_EQ(ds.dsBmih.biHeight, -3);
  EXPECT_EQ(ds.dsBmih.biSizeImage, 72u);
  EXPECT_EQ(ds.dshSection, nullptr);
  BITMAP plain{};
  EXPECT_EQ(GetObjectA(section, sizeof(plain), &plain), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(plain.bmBits, bits);
  DeleteObject(section);
  DeleteObject(bitmap);
}

TEST(GdiObjectsTest, ABitmapIsSelectedIntoOneDCAtATime) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ defaultA = SelectObject(a, bitmap);
  EXPECT_EQ(GetObjectType(defaultA), OBJ_BITMAP);
  EXPECT_EQ(SelectObject(b, bitmap), nullptr);
  EXPECT_EQ(GetCurrentObject(b, OBJ_BITMAP), defaultA);
  // Selecting it again into the same DC is fine and returns it.
  EXPECT_EQ(SelectObject(a, bitmap), bitmap);
  EXPECT_FALSE(DeleteObject(bitmap));  // still selected
  EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);
  EXPECT_EQ(SelectObject(a, defaultA), bitmap);
  EXPECT_NE(SelectObject(b, bitmap), nullptr);
  // Deleting the DC lets go of its bitmap.
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_TRUE(DeleteObject(bitmap));
  DeleteDC(a);
}

TEST(GdiObjectsTest, SelectObjectSwapsBrushesPensAndFonts) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ gray = GetStockObject(GRAY_BRUSH);
  HGDIOBJ nullPen = GetStockObject(NULL_PEN);
  HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
  EXPECT_EQ(SelectObject(dc, gray), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, nullPen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, gui), GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), gray);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), nullPen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), gui);
  EXPECT_EQ(GetCurrentObject(dc, 99), nullptr);
  // Things that cannot be selected.
  EXPECT_EQ(SelectObject(dc, GetStockObject(DEFAULT_PALETTE)), nullptr);
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(dc, other), nullptr);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_EQ(SelectObject(nullptr, gray), nullptr);
  EXPECT_EQ(SelectObject(gray, gray), nullptr);
  DeleteDC(other);
  DeleteDC(dc);
}

TEST(GdiObjectsTest, DeletingASelectedObjectDefersItUntilDeselected) {
  HDC dc = CreateCompatibleDC(nullptr);
  // A non-stock brush made through the table, as the brush functions do.
  auto brush = std::make_shared<platform::gdi::BrushObject>();
  brush->logBrush = LOGBRUSH{BS_SOLID, RGB(1, 2, 3), 0};
  HGDIOBJ handle = platform::gdi::InsertObject(brush);
  brush.reset();
  HGDIOBJ old = SelectObject(dc, handle);
  EXPECT_TRUE(DeleteObject(handle));
  // The handle no longer names a usable object...
  EXPECT_EQ(GetObjectType(handle), 0u);
  EXPECT_FALSE(DeleteObject(handle));
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, handle), nullptr);
  // ...but the DC still draws with it and hands it back when it is replaced.
  EXPECT_EQ(SelectObject(dc, old), handle);
  EXPECT_EQ(SelectObject(dc, handle), nullptr);
  // An unselected object goes at once.
  auto pen = std::make_shared<platform::gdi::PenObject>();
  HGDIOBJ penHandle = platform::gdi::InsertObject(pen);
  std::weak_ptr<platform::gdi::PenObject> watch = pen;
  pen.reset();
  EXPECT_TRUE(DeleteObject(penHandle));
  EXPECT_TRUE(watch.expired());
  DeleteDC(other);
  DeleteDC(dc);
}

TEST(GdiObjectsTest, TwoThreadsRaceToSelectOneBitmap) {
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  for (int round = 0; round < 50; ++round) {
    HDC dcs[2] = {CreateCompatibleDC(nullptr), CreateCompatibleDC(nullptr)};
    HGDIOBJ results[2] = {nullptr, nullptr};
    std::thread t0([&] { results[0] = SelectObject(dcs[0], bitmap); });
    std::thread t1([&] { results[1] = SelectObject(dcs[1], bitmap); });
    t0.join();
    t1.join();
    ASSERT_EQ((results[0] != nullptr) + (results[1] != nullptr), 1) << "round " << round;
    DeleteDC(dcs[0]);
    DeleteDC(dcs[1]);
  }
  EXPECT_TRUE(DeleteObject(bitmap));
}

}  // namespace
