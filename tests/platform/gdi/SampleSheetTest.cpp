// Renders the GDI sample sheet: lines, fills, every fast-path raster operation, both
// stretch modes, text in the mapped faces at several sizes, icons and cursors. The test
// checks a few pixels it can predict; with VELMORA_SAMPLE_SHEET set it also writes the
// sheet as a PNG for people to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wingdi.h"
#include "tests/common/Gbk.h"
#include "tests/common/PngWriter.h"
#include "tests/platform/gdi/GdiTestCanvas.h"
#include "tests/platform/gdi/IcoFile.h"

using gdi_test::Canvas;
using gdi_test::MakeFont;
using testing_gbk::Gbk;

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 800;
constexpr COLORREF kPaper = RGB(250, 250, 246);

class Sheet {
 public:
  Sheet() : canvas_(kWidth, kHeight, kPaper) { dc_ = canvas_.dc(); }
  Canvas& canvas() { return canvas_; }
  HDC dc() const { return dc_; }

  void Label(int x, int y, const std::string& gbk, int height = -12, const char* face = "",
             int weight = FW_NORMAL, COLORREF color = RGB(40, 40, 40)) {
    HFONT font = MakeFont(face, height, weight);
    HGDIOBJ old = SelectObject(dc_, font);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, color);
    TextOutA(dc_, x, y, gbk.data(), static_cast<int>(gbk.size()));
    SelectObject(dc_, old);
    DeleteObject(font);
  }
  void Heading(int x, int y, const std::string& text) {
    Label(x, y, text, -15, "Calibri", FW_BOLD, RGB(20, 60, 120));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(150, 170, 200));
    HGDIOBJ old = SelectObject(dc_, pen);
    MoveToEx(dc_, x, y + 19, nullptr);
    LineTo(dc_, x + 300, y + 19);
    SelectObject(dc_, old);
    DeleteObject(pen);
  }
  void Fill(RECT r, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
  }

 private:
  Canvas canvas_;
  HDC dc_;
};

// A colourful source picture: hue-like gradients with a white disc and a black bar.
void PaintSource(Canvas& c) {
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      int r = 255 * x / std::max(1, c.width() - 1), g = 255 * y / std::max(1, c.height() - 1);
      int b = 255 - (r + g) / 2;
      double dx = x - c.width() * 0.6, dy = y - c.height() * 0.4;
      if (dx * dx + dy * dy < c.width() * c.width() / 25.0) r = g = b = 255;
      if (y > c.height() * 3 / 4 && x > c.width() / 8 && x < c.width() / 2) r = g = b = 0;
      c.Set(x, y, RGB(r, g, b));
    }
  }
}

void DrawLines(Sheet& s, int left, int top) {
  s.Heading(left, top, "Lines and shapes");
  HDC dc = s.dc();
  const int cx = left + 70, cy = top + 110;
  for (int i = 0; i < 24; ++i) {
    double a = i * 3.14159265 / 12;
    HPEN pen = CreatePen(PS_SOLID, 1,
                         RGB(static_cast<BYTE>(i * 10), static_cast<BYTE>(120 + i * 5),
                             static_cast<BYTE>(240 - i * 9)));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, cx, cy, nullptr);
    LineTo(dc, cx + static_cast<int>(60 * std::cos(a)), cy + static_cast<int>(60 * std::sin(a)));
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  for (int i = 0; i < 5; ++i) {
    HPEN pen = CreatePen(styles[i], 1, RGB(30, 30, 30));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, left + 150, top + 40 + i * 10, nullptr);
    LineTo(dc, left + 300, top + 40 + i * 10);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  HPEN thick = CreatePen(PS_SOLID, 4, RGB(200, 60, 40));
  HBRUSH fill = CreateSolidBrush(RGB(255, 220, 120));
  HGDIOBJ oldPen = SelectObject(dc, thick), oldBrush = SelectObject(dc, fill);
  Ellipse(dc, left + 150, top + 100, left + 220, top + 170);
  const POINT star[] = {{left + 265, top + 95},
                        {left + 280, top + 140},
                        {left + 235, top + 112},
                        {left + 295, top + 112},
                        {left + 250, top + 140}};
  SelectObject(dc, GetStockObject(BLACK_PEN));
  Polygon(dc, star, 5);
  Rectangle(dc, left + 230, top + 150, left + 300, top + 175);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(thick);
  DeleteObject(fill);
}

void DrawFills(Sheet& s, int left, int top) {
  s.Heading(left, top, "Fills, frames and edges");
  HDC dc = s.dc();
  const COLORREF colors[] = {RGB(220, 50, 50), RGB(240, 160, 40), RGB(250, 220, 60),
                             RGB(80, 180, 80), RGB(60, 140, 220), RGB(120, 80, 200)};
  for (int i = 0; i < 6; ++i)
    s.Fill({left + i * 50, top + 30, left + i * 50 + 44, top + 70}, colors[i]);
  RECT frame = {left, top + 80, left + 90, top + 120};
  FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT raised = {left + 100, top + 80, left + 190, top + 120};
  s.Fill(raised, GetSysColor(COLOR_BTNFACE));
  DrawEdge(dc, &raised, EDGE_RAISED, BF_RECT);
  RECT sunken = {left + 200, top + 80, left + 290, top + 120};
  s.Fill(sunken, GetSysColor(COLOR_BTNFACE));
  DrawEdge(dc, &sunken, EDGE_SUNKEN, BF_RECT);
  RECT inverted = {left + 10, top + 40, left + 140, top + 60};
  InvertRect(dc, &inverted);
  RECT focus = {left + 100, top + 128, left + 290, top + 148};
  DrawFocusRect(dc, &focus);
  s.Label(left + 5, top + 128, "InvertRect, FocusRect");
}

const struct {
  DWORD rop;
  const char* name;
} kRops[] = {{SRCCOPY, "SRCCOPY"},     {SRCPAINT, "SRCPAINT"},     {SRCAND, "SRCAND"},
             {SRCINVERT, "SRCINVERT"}, {NOTSRCCOPY, "NOTSRCCOPY"}, {PATCOPY, "PATCOPY"},
             {BLACKNESS, "BLACKNESS"}, {WHITENESS, "WHITENESS"},   {DSTINVERT, "DSTINVERT"}};

void DrawRops(Sheet& s, int left, int top, Canvas& source) {
  s.Heading(left, top, "BitBlt raster operations (source over stripes)");
  HDC dc = s.dc();
  HBRUSH pattern = CreateSolidBrush(RGB(90, 160, 230));
  HGDIOBJ oldBrush = SelectObject(dc, pattern);
  for (int i = 0; i < 9; ++i) {
    const int x = left + i * 70, y = top + 28;
    // A striped destination so that each operation's use of it shows.
    for (int k = 0; k < 6; ++k) {
      s.Fill({x, y + k * 8, x + 56, y + k * 8 + 4}, RGB(40, 40, 40));
      s.Fill({x, y + k * 8 + 4, x + 56, y + k * 8 + 8}, RGB(240, 200, 200));
    }
    BitBlt(dc, x, y, 56, 48, source.dc(), 0, 0, kRops[i].rop);
    s.Label(x, y + 52, kRops[i].name, -10, "Calibri");
  }
  SelectObject(dc, oldBrush);
  DeleteObject(pattern);
}

void DrawStretches(Sheet& s, int left, int top, Canvas& small, Canvas& large) {
  s.Heading(left, top, "StretchBlt: COLORONCOLOR and HALFTONE");
  HDC dc = s.dc();
  int x = left;
  for (int mode : {COLORONCOLOR, HALFTONE}) {
    SetStretchBltMode(dc, mode);
    StretchBlt(dc, x, top + 28, 96, 72, small.dc(), 0, 0, small.width(), small.height(), SRCCOPY);
    StretchBlt(dc, x + 104, top + 28, 64, 48, large.dc(), 0, 0, large.width(), large.height(),
               SRCCOPY);
    s.Label(x, top + 104, mode == HALFTONE ? "HALFTONE up / down" : "COLORONCOLOR up / down", -11,
            "Calibri");
    x += 180;
  }
  // Mirrored by a negative width.
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, x + 96, top + 28, -96, 72, small.dc(), 0, 0, small.width(), small.height(),
             SRCCOPY);
  s.Label(x, top + 104, "mirrored", -11, "Calibri");
}

void DrawText(Sheet& s, int left, int top) {
  s.Heading(left, top, "Text");
  struct Face {
    std::string face;
    std::string name;
    std::string sample;
  };
  const std::vector<Face> faces = {{Gbk("宋体"), Gbk("宋体"), Gbk("永和九年，岁在癸丑 Song")},
                                   {Gbk("楷体"), Gbk("楷体"), Gbk("暮春之初，会于会稽 Kai")},
                                   {"Calibri", "Calibri", "The quick brown fox 0123"},
                                   {"", Gbk("默认"), Gbk("默认界面字体 GUI font")}};
  int y = top + 28;
  for (const Face& f : faces) {
    int x = left;
    for (int size : {12, 16, 24, 36}) {
      std::string text = f.name + " " + std::to_string(size) + " " +
                         (size <= 16 ? f.sample : f.sample.substr(0, 12));
      if (size == 36) text = f.name;
      s.Label(x, y, text, -size, f.face.c_str(), FW_NORMAL, RGB(20, 20, 20));
      SIZE extent{};
      HFONT font = MakeFont(f.face.c_str(), -size);
      HGDIOBJ old = SelectObject(s.dc(), font);
      GetTextExtentPoint32A(s.dc(), text.data(), static_cast<int>(text.size()), &extent);
      SelectObject(s.dc(), old);
      DeleteObject(font);
      x += extent.cx + 14;
    }
    y += 46;
  }
  HDC dc = s.dc();
  // Styles, colours and backgrounds.
  HFONT styled =
      CreateFontA(-20, 0, 0, 0, FW_BOLD, TRUE, TRUE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Calibri");
  HGDIOBJ old = SelectObject(dc, styled);
  SetTextColor(dc, RGB(160, 30, 30));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 240, 150));
  TextOutA(dc, left, y, "Bold italic underlined, opaque", 30);
  SelectObject(dc, old);
  DeleteObject(styled);
  HFONT struck = CreateFontA(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, TRUE, DEFAULT_CHARSET, 0, 0, 0, 0,
                             Gbk("宋体").c_str());
  old = SelectObject(dc, struck);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(30, 90, 160));
  std::string boldSong = Gbk("宋体加粗 删除线");
  TextOutA(dc, left + 300, y, boldSong.data(), static_cast<int>(boldSong.size()));
  SelectObject(dc, old);
  DeleteObject(struck);
  HFONT turned = CreateFontA(-16, 0, 300, 300, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                             0, 0, 0, "Calibri");
  old = SelectObject(dc, turned);
  SetTextColor(dc, RGB(0, 120, 60));
  TextOutA(dc, left + 520, y + 100, "escapement 30 degrees", 21);
  SelectObject(dc, old);
  DeleteObject(turned);

  // DrawTextA in boxes: word wrap, centring, ellipsis and an access key.
  y += 40;
  SetTextColor(dc, RGB(20, 20, 20));
  HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  old = SelectObject(dc, gui);
  RECT box = {left, y, left + 150, y + 60};
  FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  std::string wrapped = Gbk("自动换行：中文按字符断行，English breaks at spaces.");
  RECT inner = {box.left + 3, box.top + 2, box.right - 3, box.bottom - 2};
  DrawTextA(dc, wrapped.data(), static_cast<int>(wrapped.size()), &inner, DT_WORDBREAK | DT_CENTER);
  RECT ellipsis = {left + 160, y, left + 290, y + 20};
  FrameRect(dc, &ellipsis, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  std::string longTitle = "A title far too long for its box";
  DrawTextA(dc, longTitle.data(), -1, &ellipsis, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  RECT key = {left + 160, y + 30, left + 290, y + 60};
  FrameRect(dc, &key, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  std::string access = Gbk("文件(&F) && more");
  DrawTextA(dc, access.data(), -1, &key, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  SelectObject(dc, old);
}

HICON FirstIcon(const std::string& file, int size = 0) {
  bool cursor = false;
  for (const gdi_test::IcoEntry& e :
       gdi_test::ReadIcoFile(gdi_test::TestDataPath("ico/" + file), &cursor)) {
    HICON icon = CreateIconFromResourceEx(e.image.data(), static_cast<DWORD>(e.image.size()),
                                          cursor ? FALSE : TRUE, 0x00030000, size, size, 0);
    if (icon != nullptr) return icon;
  }
  return nullptr;
}

void DrawIcons(Sheet& s, int left, int top) {
  s.Heading(left, top, "Icons and cursors");
  HDC dc = s.dc();
  int x = left;
  for (LPCSTR id : {IDI_ERROR, IDI_WARNING, IDI_QUESTION, IDI_INFORMATION, IDI_APPLICATION}) {
    DrawIcon(dc, x, top + 28, LoadIconA(nullptr, id));
    x += 40;
  }
  DrawIconEx(dc, x, top + 28, LoadIconA(nullptr, IDI_ERROR), 48, 48, 0, nullptr, DI_NORMAL);
  x += 56;
  for (const char* file : {"smile.ico", "hopper.ico", "bmp-24bpp-mask.ico"}) {
    HICON icon = FirstIcon(file);
    if (icon != nullptr) {
      DrawIconEx(dc, x, top + 28, icon, 32, 32, 0, nullptr, DI_NORMAL);
      DestroyIcon(icon);
    }
    x += 40;
  }
  HICON deer = FirstIcon("deerstalker.cur");
  if (deer != nullptr) {
    DrawIconEx(dc, x, top + 28, deer, 0, 0, 0, nullptr, DI_NORMAL);
    DestroyIcon(deer);
  }
  x = left;
  // The standard cursors on a mid-grey strip so that both outline and fill show.
  s.Fill({left, top + 84, left + 13 * 38, top + 124}, RGB(150, 150, 150));
  for (LPCSTR id :
       {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW,
        IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_HAND, IDC_HELP}) {
    DrawIcon(dc, x + 3, top + 88, LoadCursorA(nullptr, id));
    x += 38;
  }
}

TEST(SampleSheetTest, RendersEverySection) {
  Sheet sheet;
  Canvas source(56, 48), small(16, 12), large(240, 180);
  PaintSource(source);
  PaintSource(small);
  PaintSource(large);
  // Fine rings in the large picture: nearest-neighbour shrinking aliases them, averaging does not.
  for (int y = 0; y < large.height(); ++y) {
    for (int x = 0; x < large.width(); ++x) {
      if ((static_cast<int>(std::hypot(x - 120, y - 90)) / 2) % 2) large.Set(x, y, RGB(0, 0, 0));
    }
  }

  sheet.Label(10, 8, "Velmora GDI sample sheet", -26, "Calibri", FW_BOLD, RGB(20, 20, 20));
  DrawLines(sheet, 10, 50);
  DrawFills(sheet, 340, 50);
  DrawIcons(sheet, 500, 330);
  DrawRops(sheet, 10, 230, source);
  DrawStretches(sheet, 10, 330, small, large);
  DrawText(sheet, 10, 470);

  Canvas& c = sheet.canvas();
  // Pixels we can predict: the operations that ignore the source, and a filled swatch.
  const int ropTop = 230 + 28;
  EXPECT_EQ(c.At(10 + 6 * 70 + 20, ropTop + 20), RGB(0, 0, 0));        // BLACKNESS
  EXPECT_EQ(c.At(10 + 7 * 70 + 20, ropTop + 20), RGB(255, 255, 255));  // WHITENESS
  EXPECT_EQ(c.At(10 + 5 * 70 + 20, ropTop + 20), RGB(90, 160, 230));   // PATCOPY
  EXPECT_EQ(c.At(10 + 8 * 70 + 20, ropTop + 1), RGB(215, 215, 215));   // DSTINVERT of a dark stripe
  EXPECT_EQ(c.At(10 + 0 * 70 + 1, ropTop + 1), source.At(1, 1));       // SRCCOPY
  EXPECT_EQ(c.At(340 + 20, 50 + 32), RGB(220, 50, 50));
  // The error icon: red ring, white cross in the middle.
  EXPECT_EQ(c.At(500 + 16, 330 + 28 + 16), RGB(255, 255, 255));
  EXPECT_GT(GetRValue(c.At(500 + 16, 330 + 28 + 3)), 150);
  // Every text row has ink.
  for (int row = 0; row < 4; ++row) {
    RECT band = {10, 470 + 28 + row * 46, 990, 470 + 28 + row * 46 + 40};
    EXPECT_GT(c.Count(RGB(20, 20, 20), band), 50) << row;
  }

  const char* path = std::getenv("VELMORA_SAMPLE_SHEET");
  if (path == nullptr || *path == '\0') return;
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      COLORREF v = c.At(x, y);
      pixels[static_cast<size_t>(y) * kWidth + x] =
          (GetRValue(v) << 16) | (GetGValue(v) << 8) | GetBValue(v);
    }
  }
  EXPECT_TRUE(testing_png::WriteRgbPng(path, kWidth, kHeight, pixels)) << path;
}

}  // namespace
