#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/RealizedFont.h"
#include "platform/wingdi.h"
#include "tests/common/Gbk.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

using gdi_test::Canvas;
using gdi_test::MakeFont;
using gdi_test::SelectedFont;
using testing_gbk::Gbk;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

SIZE Extent(HDC dc, const std::string& text) {
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size));
  return size;
}

TEXTMETRICA Metrics(HDC dc) {
  TEXTMETRICA tm{};
  EXPECT_TRUE(GetTextMetricsA(dc, &tm));
  return tm;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

struct FaceCase {
  std::string face;
  int height;
  std::string text;
};

TEST(TextExtentTest, InkStaysInsideTheMeasuredBox) {
  const std::vector<FaceCase> cases = {
      {"Calibri", -24, "Hello, Velmora"},      {"Calibri", 30, "AVWAy Tu"},
      {Gbk("宋体"), -16, Gbk("宋体字样 abc")}, {Gbk("楷体"), -24, Gbk("楷书 Kai")},
      {"", -12, Gbk("默认字体 GUI")},          {"Calibri", -36, "mm ii"}};
  for (const FaceCase& c : cases) {
    Canvas canvas(400, 80);
    SelectedFont font(canvas.dc(), MakeFont(c.face.c_str(), c.height));
    SetBkMode(canvas.dc(), TRANSPARENT);
    SIZE size = Extent(canvas.dc(), c.text);
    ASSERT_TRUE(TextOutA(canvas.dc(), 10, 10, c.text.data(), static_cast<int>(c.text.size())));
    RECT ink = canvas.Ink(kWhite);
    RECT box = {10, 10, 10 + size.cx, 10 + size.cy};
    SCOPED_TRACE(testing_gbk::Utf8(c.text) + " ink " + Describe(ink) + " box " + Describe(box));
    EXPECT_TRUE(Inside(ink, box));
    // And the box is not much wider than the ink: the last glyph ends near the advance.
    EXPECT_GE(ink.right, box.right - Metrics(canvas.dc()).tmAveCharWidth);
    EXPECT_EQ(size.cy, Metrics(canvas.dc()).tmHeight);
  }
}

TEST(TextExtentTest, AdvancesAddUpAndDrawingAgrees) {
  Canvas whole(200, 50), pieces(200, 50);
  SelectedFont a(whole.dc(), MakeFont("Calibri", -20));
  SelectedFont b(pieces.dc(), MakeFont("Calibri", -20));
  EXPECT_EQ(Extent(whole.dc(), "AB").cx, Extent(whole.dc(), "A").cx + Extent(whole.dc(), "B").cx);
  const std::string text = "Typeface";
  int sum = 0;
  for (char ch : text) sum += Extent(whole.dc(), std::string(1, ch)).cx;
  EXPECT_EQ(Extent(whole.dc(), text).cx, sum);

  // Drawing the text at once or glyph by glyph at the measured pens gives the same pixels.
  SetBkMode(whole.dc(), TRANSPARENT);
  SetBkMode(pieces.dc(), TRANSPARENT);
  TextOutA(whole.dc(), 5, 5, text.data(), static_cast<int>(text.size()));
  int pen = 5;
  for (char ch : text) {
    TextOutA(pieces.dc(), pen, 5, &ch, 1);
    pen += Extent(pieces.dc(), std::string(1, ch)).cx;
  }
  int differing = 0;
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 200; ++x) differing += whole.At(x, y) != pieces.At(x, y);
  }
  // Only pixels where neighbouring glyphs overlap may blend differently.
  EXPECT_LE(differing, 4);
  EXPECT_GT(whole.Count(kBlack), 20);
}

TEST(TextExtentTest, HeightsFollowLogfontConventions) {
  Canvas canvas(8, 8);
  {
    SelectedFont font(canvas.dc(), MakeFont("Calibri", -20));
    TEXTMETRICA tm = Metrics(canvas.dc());
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GT(tm.tmInternalLeading, 0);
  }
  {
    SelectedFont font(canvas.dc(), MakeFont(Gbk("宋体").c_str(), 25));
    TEXTMETRICA tm = Metrics(canvas.dc());
    EXPECT_EQ(tm.tmHeight, 25);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  }
  TEXTMETRICA byDefault{}, twelve{};
  {
    SelectedFont font(canvas.dc(), MakeFont("Calibri", 0));
    byDefault = Metrics(canvas.dc());
  }
  {
    SelectedFont font(canvas.dc(), MakeFont("Calibri", -12));
    twelve = Metrics(canvas.dc());
  }
  EXPECT_EQ(byDefault.tmHeight, twelve.tmHeight);
  EXPECT_EQ(byDefault.tmAveCharWidth, twelve.tmAveCharWidth);

  // A new DC draws with the default GUI font: the fallback face at 12 pixels.
  TEXTMETRICA gui = Metrics(canvas.dc());
  EXPECT_EQ(gui.tmHeight - gui.tmInternalLeading, 12);
  EXPECT_EQ(gui.tmCharSet, GB2312_CHARSET);
}

TEST(TextExtentTest, WidthWeightAndStyleChangeTheGlyphs) {
  Canvas canvas(8, 8);
  const std::string text = "Widths of text";
  TEXTMETRICA natural{};
  SIZE naturalSize{}, wide{}, bold{}, regular{};
  {
    SelectedFont font(canvas.dc(), MakeFont("Calibri", -20));
    natural = Metrics(canvas.dc());
    naturalSize = Extent(canvas.dc(), text);
  }
  {
    SelectedFont font(canvas.dc(), MakeFont("Calibri", -20, FW_NORMAL, false, false, false,
                                            natural.tmAveCharWidth * 2));
    TEXTMETRICA tm = Metrics(canvas.dc());
    wide = Extent(canvas.dc(), text);
    EXPECT_NEAR(tm.tmAveCharWidth, natural.tmAveCharWidth * 2, 1);
    // Each advance rounds on its own, so the sum is only close to double.
    EXPECT_NEAR(wide.cx, naturalSize.cx * 2, naturalSize.cx / 8);
    EXPECT_EQ(wide.cy, naturalSize.cy);
  }
  {
    SelectedFont font(canvas.dc(), MakeFont(Gbk("宋体").c_str(), -20));
    regular = Extent(canvas.dc(), Gbk("粗体"));
  }
  {
    SelectedFont font(canvas.dc(), MakeFont(Gbk("宋体").c_str(), -20, FW_BOLD, true, true, true));
    bold = Extent(canvas.dc(), Gbk("粗体"));
    TEXTMETRICA tm = Metrics(canvas.dc());
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    EXPECT_TRUE(tm.tmItalic);
    EXPECT_TRUE(tm.tmUnderlined);
    EXPECT_TRUE(tm.tmStruckOut);
  }
  // Emboldening a face without a bold member widens every glyph.
  EXPECT_GT(bold.cx, regular.cx);
}

TEST(TextOutTest, UnderlineAndStrikeOutAreFullWidthLines) {
  Canvas canvas(200, 60);
  SelectedFont font(canvas.dc(), MakeFont("Calibri", -30, FW_NORMAL, false, true, true));
  SetBkMode(canvas.dc(), TRANSPARENT);
  const std::string text = "a  a";  // the gap between the letters has only the lines
  SIZE size = Extent(canvas.dc(), text);
  TEXTMETRICA tm = Metrics(canvas.dc());
  TextOutA(canvas.dc(), 10, 10, text.data(), static_cast<int>(text.size()));
  const int gapX = 10 + size.cx / 2;
  std::vector<int> inkRows;
  for (int y = 10; y < 10 + size.cy; ++y) {
    if (canvas.At(gapX, y) != kWhite) inkRows.push_back(y);
  }
  ASSERT_FALSE(inkRows.empty());
  const int baseline = 10 + tm.tmAscent;
  bool above = false, below = false;
  for (int y : inkRows) {
    above |= y < baseline - 2;
    below |= y >= baseline;
  }
  EXPECT_TRUE(above) << "strike-out line";
  EXPECT_TRUE(below) << "underline";
  // Both lines run across the whole advance.
  for (int y : inkRows) {
    EXPECT_NE(canvas.At(10, y), kWhite);
    EXPECT_NE(canvas.At(10 + size.cx - 1, y), kWhite);
  }
}

TEST(TextOutTest, TextColourAndBackgroundModes) {
  constexpr COLORREF kRed = RGB(200, 0, 0), kInk = RGB(10, 20, 200), kPaper = RGB(0, 180, 0);
  const std::string text = "Il";
  for (int mode : {OPAQUE, TRANSPARENT}) {
    Canvas canvas(120, 80, kRed);
    SelectedFont font(canvas.dc(), MakeFont("Calibri", -48));
    SetTextColor(canvas.dc(), kInk);
    SetBkColor(canvas.dc(), kPaper);
    SetBkMode(canvas.dc(), mode);
    SIZE size = Extent(canvas.dc(), text);
    TextOutA(canvas.dc(), 20, 10, text.data(), static_cast<int>(text.size()));
    const RECT cell = {20, 10, 20 + size.cx, 10 + size.cy};
    const COLORREF expectedCorner = mode == OPAQUE ? kPaper : kRed;
    EXPECT_EQ(canvas.At(cell.left, cell.top), expectedCorner);
    EXPECT_EQ(canvas.At(cell.right - 1, cell.bottom - 1), expectedCorner);
    // Outside the cell nothing changes in either mode.
    EXPECT_EQ(canvas.At(cell.left - 1, cell.top), kRed);
    EXPECT_EQ(canvas.At(cell.right, cell.bottom - 1), kRed);
    EXPECT_EQ(canvas.At(cell.left, cell.bottom), kRed);
    // Fully covered pixels carry the text colour exactly; edges blend with what was below.
    EXPECT_GT(canvas.Count(kInk, cell), 40);
    EXPECT_EQ(canvas.Count(kPaper), mode == OPAQUE ? canvas.Count(kPaper, cell) : 0);
    int blended = 0;
    for (int y = cell.top; y < cell.bottom; ++y) {
      for (int x = cell.left; x < cell.right; ++x) {
        COLORREF c = canvas.At(x, y);
        if (c != kInk && c != expectedCorner) {
          ++blended;
          EXPECT_LE(GetBValue(c), GetBValue(kInk));
        }
      }
    }
    EXPECT_GT(blended, 0);
  }
}

TEST(TextOutTest, AlignmentMovesTheReferencePoint) {
  const std::string text = "Hx";
  struct Case {
    UINT align;
    int expectLeftFromX;  // in units of the extent: 0 left, -1 right, -1/2 centre
    int kind;
  };
  Canvas canvas(300, 120);
  SelectedFont font(canvas.dc(), MakeFont("Calibri", -32));
  SetBkMode(canvas.dc(), OPAQUE);
  SetBkColor(canvas.dc(), RGB(0, 0, 255));
  SIZE size = Extent(canvas.dc(), text);
  TEXTMETRICA tm = Metrics(canvas.dc());
  const COLORREF cell = RGB(0, 0, 255);
  auto cellBox = [&](UINT align) {
    canvas.Fill(kWhite);
    SetTextAlign(canvas.dc(), align);
    TextOutA(canvas.dc(), 150, 60, text.data(), static_cast<int>(text.size()));
    RECT box = {300, 120, 0, 0};
    for (int y = 0; y < 120; ++y) {
      for (int x = 0; x < 300; ++x) {
        if (canvas.At(x, y) == kWhite) continue;
        box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1),
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
    return box;
  };
  RECT r = cellBox(TA_LEFT | TA_TOP);
  EXPECT_EQ(r.left, 150);
  EXPECT_EQ(r.top, 60);
  EXPECT_EQ(r.right, 150 + size.cx);
  EXPECT_EQ(canvas.At(150, 60), cell);
  r = cellBox(TA_RIGHT | TA_TOP);
  EXPECT_EQ(r.right, 150);
  EXPECT_EQ(r.left, 150 - size.cx);
  r = cellBox(TA_CENTER | TA_BASELINE);
  EXPECT_EQ(r.left, 150 - size.cx / 2);
  EXPECT_EQ(r.top, 60 - tm.tmAscent);
  EXPECT_EQ(r.bottom, 60 + tm.tmDescent);
  r = cellBox(TA_LEFT | TA_BOTTOM);
  EXPECT_EQ(r.bottom, 60);
  EXPECT_EQ(r.top, 60 - tm.tmHeight);
  SetTextAlign(canvas.dc(), TA_LEFT | TA_TOP);
}

TEST(TextOutTest, UpdateCurrentPositionAdvancesPastTheText) {
  Canvas canvas(300, 60);
  SelectedFont font(canvas.dc(), MakeFont("Calibri", -20));
  auto dc = platform::gdi::LookupDC(canvas.dc());
  ASSERT_NE(dc, nullptr);
  dc->state.currentPosition = {20, 10};
  SetTextAlign(canvas.dc(), TA_UPDATECP);
  SetBkMode(canvas.dc(), TRANSPARENT);
  SIZE one = Extent(canvas.dc(), "One");
  // x and y are ignored: the current position is the reference.
  TextOutA(canvas.dc(), 200, 40, "One", 3);
  EXPECT_EQ(dc->state.currentPosition.x, 20 + one.cx);
  EXPECT_EQ(dc->state.currentPosition.y, 10);
  TextOutA(canvas.dc(), 0, 0, "Two", 3);
  RECT ink = canvas.Ink(kWhite);
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.right, 20 + one.cx + Extent(canvas.dc(), "Two").cx);
  EXPECT_EQ(canvas.Ink(kWhite, {180, 0, 300, 60}).right, 0);
  SetTextAlign(canvas.dc(), TA_UPDATECP | TA_RIGHT);
  TextOutA(canvas.dc(), 0, 0, "One", 3);
  EXPECT_EQ(dc->state.currentPosition.x, 20 + Extent(canvas.dc(), "Two").cx);
}

TEST(TextOutTest, ExtTextOutFillsAndClipsToItsRectangle) {
  constexpr COLORREF kPaper = RGB(255, 255, 0);
  Canvas canvas(200, 60);
  SelectedFont font(canvas.dc(), MakeFont("Calibri", -40));
  SetBkMode(canvas.dc(), TRANSPARENT);
  SetBkColor(canvas.dc(), kPaper);
  RECT rect = {10, 10, 40, 50};
  const std::string text = "WWWW";
  ASSERT_TRUE(ExtTextOutA(canvas.dc(), 10, 5, ETO_OPAQUE | ETO_CLIPPED, &rect, text.data(),
                          static_cast<UINT>(text.size()), nullptr));
  // The rectangle is filled whatever the background mode, and nothing lands outside it.
  EXPECT_EQ(canvas.At(10, 10), kPaper);
  EXPECT_EQ(canvas.At(39, 49), kPaper);
  RECT ink = canvas.Ink(kWhite);
  EXPECT_TRUE(Inside(ink, rect)) << Describe(ink);
  EXPECT_GT(canvas.Count(kBlack, rect), 10);

  // Without ETO_CLIPPED the text runs past the rectangle.
  canvas.Fill(kWhite);
  ExtTextOutA(canvas.dc(), 10, 5, ETO_OPAQUE, &rect, text.data(), static_cast<UINT>(text.size()),
              nullptr);
  EXPECT_GT(canvas.Ink(kWhite).right, 100);
  // The fill alone, without text, as controls use it.
  canvas.Fill(kWhite);
  EXPECT_TRUE(ExtTextOutA(canvas.dc(), 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr));
  EXPECT_EQ(canvas.Count(kPaper), 30 * 40);

  // Explicit advances space the characters out.
  canvas.Fill(kWhite);
  const INT dx[] = {50, 50};
  ExtTextOutA(canvas.dc(), 0, 0, 0, nullptr, "ii", 2, dx);
  EXPECT_NE(canvas.Ink(kWhite, {45, 0, 70, 60}).right, 0);
  EXPECT_EQ(canvas.Ink(kWhite, {20, 0, 45, 60}).right, 0);
}

TEST(TextOutTest, OriginsAndClipRegionsApply) {
  Canvas canvas(200, 60);
  SelectedFont font(canvas.dc(), MakeFont("Calibri", -30));
  SetBkMode(canvas.dc(), OPAQUE);
  SetBkColor(canvas.dc(), RGB(0, 0, 255));
  SetViewportOrgEx(canvas.dc(), 30, 7, nullptr);
  TextOutA(canvas.dc(), 0, 0, "Origin", 6);
  RECT ink = canvas.Ink(kWhite);
  EXPECT_EQ(ink.left, 30);
  EXPECT_EQ(ink.top, 7);
  SetViewportOrgEx(canvas.dc(), 0, 0, nullptr);

  canvas.Fill(kWhite);
  IntersectClipRect(canvas.dc(), 0, 0, 25, 60);
  TextOutA(canvas.dc(), 5, 5, "Clipped text", 12);
  EXPECT_EQ(canvas.Ink(kWhite).right, 25);
  SelectClipRgn(canvas.dc(), nullptr);
}

TEST(TextOutTest, MonochromeTargetsGetWholePixels) {
  Canvas canvas(120, 40, kWhite, 1);
  SelectedFont font(canvas.dc(), MakeFont("Calibri", -24));
  SetBkMode(canvas.dc(), TRANSPARENT);
  TextOutA(canvas.dc(), 4, 4, "Mono", 4);
  int black = canvas.Count(kBlack), white = canvas.Count(kWhite);
  EXPECT_GT(black, 30);
  EXPECT_EQ(black + white, 120 * 40);
}

TEST(TextOutTest, EscapementTurnsTheBaseline) {
  Canvas canvas(120, 220);
  SelectedFont font(canvas.dc(), MakeFont("Calibri", -24, FW_NORMAL, false, false, false, 0, 900));
  SetBkMode(canvas.dc(), TRANSPARENT);
  SIZE size = Extent(canvas.dc(), "Rotated");
  TextOutA(canvas.dc(), 30, 200, "Rotated", 7);
  RECT ink = canvas.Ink(kWhite);
  // Turned a quarter counter-clockwise: the text runs upwards from the reference point.
  EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
  EXPECT_LE(ink.bottom, 201);
  EXPECT_NEAR(ink.bottom - ink.top, size.cx, 4);
  EXPECT_GE(ink.left, 30);
}

TEST(TextOutTest, GbkCharactersAreWholeGlyphs) {
  Canvas canvas(200, 40);
  SelectedFont font(canvas.dc(), MakeFont(Gbk("宋体").c_str(), -16));
  const std::string zhong = Gbk("中"), wen = Gbk("文");
  ASSERT_EQ(zhong.size(), 2u);
  // One ideograph, one em wide; not two half characters.
  EXPECT_EQ(Extent(canvas.dc(), zhong).cx, 16);
  EXPECT_EQ(Extent(canvas.dc(), zhong + wen).cx,
            Extent(canvas.dc(), zhong).cx + Extent(canvas.dc(), wen).cx);
  EXPECT_EQ(Extent(canvas.dc(), "A" + zhong).cx, Extent(canvas.dc(), "A").cx + 16);

  // A lead byte cut off at the end is one replacement character, drawn and measured alike.
  // Built by appending: g++ 12's -O3 misreads `"A" + substr` as an overlapping copy.
  std::string cut = "A";
  cut += zhong[0];
  EXPECT_EQ(Extent(canvas.dc(), cut).cx, Extent(canvas.dc(), "A?").cx);
  Canvas other(200, 40);
  SelectedFont font2(other.dc(), MakeFont(Gbk("宋体").c_str(), -16));
  EXPECT_TRUE(TextOutA(canvas.dc(), 2, 2, cut.data(), static_cast<int>(cut.size())));
  EXPECT_TRUE(TextOutA(other.dc(), 2, 2, "A?", 2));
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 200; ++x) ASSERT_EQ(canvas.At(x, y), other.At(x, y)) << x << "," << y;
  }
  // Characters a Latin face lacks come from the fallback face instead of empty boxes.
  SelectedFont latin(canvas.dc(), MakeFont("Calibri", -16));
  EXPECT_EQ(Extent(canvas.dc(), zhong).cx, 16);
}

TEST(TextOutTest, BadArgumentsFailCleanly) {
  Canvas canvas(20, 20);
  SIZE size;
  EXPECT_FALSE(TextOutA(nullptr, 0, 0, "x", 1));
  EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, nullptr, 3));
  EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, "x", -1));
  EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "", 0));
  EXPECT_FALSE(TextOutA(canvas.dc(), 1 << 30, 0, "x", 1));
  EXPECT_FALSE(ExtTextOutA(nullptr, 0, 0, 0, nullptr, "x", 1, nullptr));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc(), "x", 1, nullptr));
  EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc(), nullptr, 1, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(reinterpret_cast<HDC>(0x7777), "x", 1, &size));
  EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc(), "", 0, &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_FALSE(GetTextMetricsA(canvas.dc(), nullptr));
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  // A font deleted while selected stays usable by the DC that holds it.
  HFONT font = MakeFont("Calibri", -12);
  HGDIOBJ old = SelectObject(canvas.dc(), font);
  DeleteObject(font);
  EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "x", 1));
  SelectObject(canvas.dc(), old);
  // Face names longer than LOGFONTA holds are cut without splitting a character.
  std::string longName(20, 'a');
  longName += Gbk("宋体宋体宋体宋体");
  HFONT cut = CreateFontA(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, longName.c_str());
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(cut, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(std::strlen(lf.lfFaceName), 30u);
  DeleteObject(cut);
}

TEST(TextOutTest, TwoThreadsDrawIntoOneBitmap) {
  Canvas reference(240, 80), shared(240, 80);
  auto draw = [](HDC dc, int top, const std::string& text) {
    for (int i = 0; i < 30; ++i) TextOutA(dc, 5, top, text.data(), static_cast<int>(text.size()));
  };
  const std::string upper = Gbk("线程一 Thread one"), lower = Gbk("线程二 Thread two");
  {
    SelectedFont font(reference.dc(), MakeFont(Gbk("楷体").c_str(), -18));
    SetBkMode(reference.dc(), OPAQUE);
    draw(reference.dc(), 5, upper);
    draw(reference.dc(), 45, lower);
  }
  auto target = platform::gdi::LookupDC(shared.dc());
  // A second DC over the same surface, as a window DC would be.
  HDC windowDc = platform::gdi::CreateWindowDC(target->surface, POINT{0, 0}, std::nullopt, nullptr);
  ASSERT_NE(windowDc, nullptr);
  {
    SelectedFont f1(shared.dc(), MakeFont(Gbk("楷体").c_str(), -18));
    SelectedFont f2(windowDc, MakeFont(Gbk("楷体").c_str(), -18));
    std::thread t1(draw, shared.dc(), 5, upper);
    std::thread t2(draw, windowDc, 45, lower);
    t1.join();
    t2.join();
  }
  DeleteDC(windowDc);
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 240; ++x) ASSERT_EQ(shared.At(x, y), reference.At(x, y)) << x << "," << y;
  }
}

TEST(TextOutTest, GlyphCacheStaysBounded) {
  Canvas canvas(400, 300);
  SelectedFont font(canvas.dc(), MakeFont(Gbk("宋体").c_str(), -250));
  std::string text;
  for (int i = 0; i < 160; ++i) {
    text += static_cast<char>(0xB0 + i / 90);
    text += static_cast<char>(0xA1 + i % 90);
  }
  SIZE size;
  EXPECT_TRUE(
      GetTextExtentPoint32A(canvas.dc(), text.data(), static_cast<int>(text.size()), &size));
  EXPECT_LE(platform::gdi::GlyphCacheBytes(), platform::gdi::kGlyphCacheByteLimit);
  EXPECT_GT(platform::gdi::GlyphCacheEntries(), 0u);
}

}  // namespace
