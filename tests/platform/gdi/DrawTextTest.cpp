#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/gdi/LineBreak.h"
#include "platform/wingdi.h"
#include "tests/common/Gbk.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

using gdi_test::Canvas;
using gdi_test::MakeFont;
using gdi_test::SelectedFont;
using testing_gbk::Gbk;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

class DrawTextTest : public testing::Test {
 protected:
  DrawTextTest() : canvas_(300, 200), font_(canvas_.dc(), MakeFont("Calibri", -20)) {
    SetBkMode(canvas_.dc(), TRANSPARENT);
    TEXTMETRICA tm{};
    GetTextMetricsA(canvas_.dc(), &tm);
    lineHeight_ = tm.tmHeight;
  }

  int Width(const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(canvas_.dc(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int Draw(const std::string& text, RECT rect, UINT format) {
    return DrawTextA(canvas_.dc(), text.data(), static_cast<int>(text.size()), &rect, format);
  }
  RECT Calc(const std::string& text, RECT rect, UINT format, int* height = nullptr) {
    int h = DrawTextA(canvas_.dc(), text.data(), static_cast<int>(text.size()), &rect,
                      format | DT_CALCRECT);
    if (height != nullptr) *height = h;
    return rect;
  }
  RECT Ink() { return canvas_.Ink(kWhite); }

  Canvas canvas_;
  SelectedFont font_;
  int lineHeight_ = 0;
};

TEST_F(DrawTextTest, AlignsSingleLinesInTheRectangle) {
  const RECT rect = {20, 20, 280, 180};
  const std::string text = "Aligned";
  const int width = Width(text);

  EXPECT_EQ(Draw(text, rect, DT_SINGLELINE | DT_LEFT | DT_TOP), lineHeight_);
  RECT ink = Ink();
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.right, 20 + width);
  EXPECT_GE(ink.top, 20);
  EXPECT_LE(ink.bottom, 20 + lineHeight_);

  canvas_.Fill(kWhite);
  Draw(text, rect, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  ink = Ink();
  EXPECT_LE(ink.right, 280);
  EXPECT_GE(ink.right, 280 - 3);
  EXPECT_LE(ink.bottom, 180);
  EXPECT_GE(ink.top, 180 - lineHeight_);

  canvas_.Fill(kWhite);
  // DT_VCENTER returns the offset from the top to the bottom of the text.
  const int middleTop = 20 + (160 - lineHeight_) / 2;
  EXPECT_EQ(Draw(text, rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER), middleTop + lineHeight_ - 20);
  ink = Ink();
  const int left = 20 + (260 - width) / 2;
  EXPECT_GE(ink.left, left);
  EXPECT_LE(ink.right, left + width);
  EXPECT_GE(ink.top, middleTop);
  EXPECT_LE(ink.bottom, middleTop + lineHeight_);
  EXPECT_NEAR((ink.left + ink.right) / 2, 150, 3);
}

TEST_F(DrawTextTest, BreaksLinesAtLineFeedsAndWords) {
  int height = 0;
  RECT r = Calc("one\r\ntwo\nthree", {0, 0, 300, 0}, DT_LEFT, &height);
  EXPECT_EQ(height, 3 * lineHeight_);
  EXPECT_EQ(r.bottom, 3 * lineHeight_);
  EXPECT_EQ(r.right, Width("three"));
  // A single line keeps line breaks inside.
  EXPECT_EQ(Calc("one\r\ntwo", {0, 0, 300, 0}, DT_SINGLELINE).bottom, lineHeight_);

  // Words move to the next line whole.
  const std::string text = "alpha beta gamma delta";
  const int wrap = std::max(Width("alpha beta"), Width("gamma delta")) + 2;
  r = Calc(text, {0, 0, wrap, 0}, DT_WORDBREAK, &height);
  EXPECT_EQ(height, 2 * lineHeight_);
  EXPECT_EQ(r.right, std::max(Width("alpha beta"), Width("gamma delta")));
  // A word longer than the line is broken between its characters.
  const std::string longWord = "abcdefghijklmnop";
  r = Calc(longWord, {0, 0, Width("abcdefgh"), 0}, DT_WORDBREAK, &height);
  EXPECT_EQ(height, 2 * lineHeight_);
  EXPECT_LE(r.right, Width("abcdefgh"));
  // Nothing is drawn while calculating.
  EXPECT_EQ(Ink().right, 0);

  // What is drawn agrees: the second line's ink starts one line lower.
  Draw(text, {10, 10, 10 + wrap, 190}, DT_WORDBREAK);
  RECT first = canvas_.Ink(kWhite, {0, 10, 300, 10 + lineHeight_});
  RECT second = canvas_.Ink(kWhite, {0, 10 + lineHeight_, 300, 10 + 2 * lineHeight_});
  EXPECT_NE(first.right, 0);
  EXPECT_NE(second.right, 0);
  EXPECT_EQ(canvas_.Ink(kWhite, {0, 10 + 2 * lineHeight_, 300, 200}).right, 0);
}

TEST_F(DrawTextTest, BreaksBetweenChineseCharacters) {
  SelectedFont song(canvas_.dc(), MakeFont(Gbk("宋体").c_str(), -16));
  TEXTMETRICA tm{};
  GetTextMetricsA(canvas_.dc(), &tm);
  // Ten ideographs of 16 pixels in a 70 pixel line: four a line, never half a character.
  const std::string text = Gbk("一二三四五六七八九十");
  int height = 0;
  RECT r = Calc(text, {0, 0, 70, 0}, DT_WORDBREAK, &height);
  EXPECT_EQ(height, 3 * tm.tmHeight);
  EXPECT_EQ(r.right, 64);
  // Mixed text breaks at the space or next to a Chinese character.
  r = Calc(Gbk("中文abc"), {0, 0, 40, 0}, DT_WORDBREAK, &height);
  EXPECT_EQ(height, 2 * tm.tmHeight);
  EXPECT_EQ(r.right, std::max(32, Width("abc")));
}

// Chinese punctuation keeps to its neighbour: closing marks never start a line, opening
// ones never end one. Ideographs and full-width marks are 16 pixels: three a line.
TEST_F(DrawTextTest, WrappingKeepsChinesePunctuationWithItsNeighbour) {
  SelectedFont song(canvas_.dc(), MakeFont(Gbk("宋体").c_str(), -16));
  TEXTMETRICA tm{};
  GetTextMetricsA(canvas_.dc(), &tm);
  ASSERT_EQ(Width(Gbk("你，“")), 48);
  const struct {
    const char* text;
    int lines;  // greedy filling alone would give the first number in the comment
  } cases[] = {
      {"一二三四五六", 2},    // 2: nothing to keep together
      {"你好啊，世界", 3},    // 2: "，" would start the second line
      {"你好“世界”", 3},      // 2: "“" would end the first and "”" start the second
      {"你好！！世界", 3},    // 2: two closing marks go with the character before them
      {"（你好）世界。", 3},  // 3: "。" ends the last line as it should
      {"甲。乙、丙；丁", 3},  // 3: every mark stays behind its character
  };
  for (const auto& c : cases) {
    int height = 0;
    const RECT r = Calc(Gbk(c.text), {0, 0, 50, 0}, DT_WORDBREAK, &height);
    EXPECT_EQ(height, c.lines * tm.tmHeight) << c.text;
    EXPECT_LE(r.right, 48) << c.text;
  }
  // The rule itself, pair by pair.
  const struct {
    char32_t before, after;
    bool breaks;
  } pairs[] = {
      {U'你', U'好', true},  {U'你', U'，', false}, {U'你', U'。', false}, {U'你', U'、', false},
      {U'你', U'；', false}, {U'你', U'：', false}, {U'你', U'？', false}, {U'你', U'！', false},
      {U'你', U'”', false},  {U'你', U'’', false},  {U'你', U'）', false}, {U'你', U'》', false},
      {U'你', U'】', false}, {U'你', U'」', false}, {U'“', U'你', false},  {U'‘', U'你', false},
      {U'（', U'你', false}, {U'《', U'你', false}, {U'【', U'你', false}, {U'「', U'你', false},
      {U'，', U'你', true},  {U'）', U'你', true},  {U'你', U'（', true},  {U'你', U',', false},
      {U'a', U'b', false},   {U' ', U'b', true},    {U'a', U'你', true},
  };
  for (const auto& p : pairs) {
    EXPECT_EQ(platform::gdi::CanBreakBetween(p.before, p.after), p.breaks)
        << static_cast<uint32_t>(p.before) << " " << static_cast<uint32_t>(p.after);
  }
}

TEST_F(DrawTextTest, EndEllipsisShortensWhatDoesNotFit) {
  const std::string text = "A rather long caption";
  const RECT rect = {10, 10, 10 + Width("A rather") + 1, 60};
  Draw(text, rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  RECT ink = Ink();
  EXPECT_LE(ink.right, rect.right);
  // What is drawn is a prefix followed by three dots: the same as drawing that text.
  Canvas expected(300, 200);
  SelectedFont font(expected.dc(), MakeFont("Calibri", -20));
  SetBkMode(expected.dc(), TRANSPARENT);
  std::string shown;
  for (size_t n = text.size(); n > 0; --n) {
    std::string candidate = text.substr(0, n) + "...";
    if (Width(candidate) <= rect.right - rect.left) {
      shown = candidate;
      break;
    }
  }
  ASSERT_FALSE(shown.empty());
  TextOutA(expected.dc(), 10, 10, shown.data(), static_cast<int>(shown.size()));
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) ASSERT_EQ(canvas_.At(x, y), expected.At(x, y)) << x << "," << y;
  }
  // Text that fits is left alone.
  canvas_.Fill(kWhite);
  Draw("Short", {10, 10, 200, 60}, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_LE(Ink().right, 10 + Width("Short"));
}

TEST_F(DrawTextTest, PrefixesUnderlineTheAccessKey) {
  EXPECT_EQ(Calc("&File", {0, 0, 300, 0}, DT_SINGLELINE).right, Width("File"));
  EXPECT_EQ(Calc("Save && Close", {0, 0, 300, 0}, DT_SINGLELINE).right, Width("Save & Close"));
  EXPECT_EQ(Calc("&File", {0, 0, 300, 0}, DT_SINGLELINE | DT_NOPREFIX).right, Width("&File"));

  TEXTMETRICA tm{};
  GetTextMetricsA(canvas_.dc(), &tm);
  // The row just under the baseline is empty for "File" but carries a line under "F".
  const RECT underF = {10, 10 + tm.tmAscent, 10 + Width("F"), 10 + tm.tmHeight};
  const RECT underRest = {10 + Width("F") + 1, 10 + tm.tmAscent, 10 + Width("File"),
                          10 + tm.tmHeight};
  Draw("&File", {10, 10, 290, 190}, DT_SINGLELINE);
  EXPECT_NE(canvas_.Ink(kWhite, underF).right, 0);
  EXPECT_EQ(canvas_.Ink(kWhite, underRest).right, 0);
  canvas_.Fill(kWhite);
  Draw("&File", {10, 10, 290, 190}, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(canvas_.Ink(kWhite, underF).right, 0);
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessAskedNotTo) {
  const std::string text = "Clipped against the rectangle";
  Draw(text, {10, 10, 60, 40}, DT_SINGLELINE);
  EXPECT_LE(Ink().right, 60);
  canvas_.Fill(kWhite);
  Draw(text, {10, 10, 60, 40}, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(Ink().right, 60);
}

TEST_F(DrawTextTest, OpaqueModeFillsEachLineCell) {
  SetBkMode(canvas_.dc(), OPAQUE);
  SetBkColor(canvas_.dc(), RGB(0, 255, 0));
  Draw("ab\nabcd", {10, 10, 290, 190}, 0);
  EXPECT_EQ(canvas_.At(10, 10), RGB(0, 255, 0));
  EXPECT_EQ(canvas_.At(10 + Width("ab") - 1, 10), RGB(0, 255, 0));
  EXPECT_EQ(canvas_.At(10 + Width("ab"), 10), kWhite);
  EXPECT_EQ(canvas_.At(10 + Width("abcd") - 1, 10 + lineHeight_), RGB(0, 255, 0));
  EXPECT_EQ(canvas_.At(10, 10 + 2 * lineHeight_), kWhite);
}

TEST_F(DrawTextTest, TabsExpandToStops) {
  TEXTMETRICA tm{};
  GetTextMetricsA(canvas_.dc(), &tm);
  EXPECT_EQ(Calc("a\tb", {0, 0, 300, 0}, DT_SINGLELINE | DT_EXPANDTABS).right,
            8 * tm.tmAveCharWidth + Width("b"));
  EXPECT_EQ(Calc("a\tb", {0, 0, 300, 0}, DT_SINGLELINE).right, Width("ab"));
}

TEST_F(DrawTextTest, BadInputReturnsZero) {
  RECT r = {0, 0, 100, 100};
  EXPECT_EQ(DrawTextA(nullptr, "x", 1, &r, 0), 0);
  EXPECT_EQ(DrawTextA(canvas_.dc(), nullptr, 1, &r, 0), 0);
  EXPECT_EQ(DrawTextA(canvas_.dc(), "x", 1, nullptr, 0), 0);
  EXPECT_EQ(DrawTextA(canvas_.dc(), "x", -5, &r, 0), 0);
  EXPECT_EQ(DrawTextA(canvas_.dc(), "", 0, &r, 0), 0);
  // -1 means a terminated string; a lone lead byte at its end is harmless.
  const std::string cut = "ab" + Gbk("中").substr(0, 1);
  EXPECT_EQ(DrawTextA(canvas_.dc(), cut.c_str(), -1, &r, DT_WORDBREAK), lineHeight_);
  RECT huge = {0, 0, 1 << 30, 10};
  EXPECT_EQ(DrawTextA(canvas_.dc(), "x", 1, &huge, 0), 0);
}

}  // namespace
