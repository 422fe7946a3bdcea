// The UTF-16 text calls against their GBK twins: wherever GBK can hold the text, the wide
// call must measure and draw exactly the same pixels; beyond GBK it must draw what the GBK
// call cannot, and surrogates must pair or stand as one replacement each.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/wingdi.h"
#include "tests/common/Gbk.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

namespace {

using gdi_test::Canvas;
using testing_gbk::Convert;
using testing_gbk::Gbk;

std::u16string Wide(const std::string& utf8) {
  std::string bytes = Convert(utf8, "UTF-16LE", "UTF-8");
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  return out;
}

HFONT Font(const char* face, int height) {
  LOGFONTA lf{};
  lf.lfHeight = -height;
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
  return CreateFontIndirectA(&lf);
}

TEST(WideTextTest, TextGbkCanHoldDrawsAndMeasuresTheSameEitherWay) {
  for (const char* utf8 : {"Velmora 剧照", "胶片，一段故事。", "café — ok", ""}) {
    SCOPED_TRACE(utf8);
    const std::string gbk = Gbk(utf8);
    const std::u16string wide = Wide(utf8);
    Canvas a(240, 40), b(240, 40);
    HFONT font = Font("DejaVu Sans", 18);
    HGDIOBJ oldA = SelectObject(a.dc(), font), oldB = SelectObject(b.dc(), font);
    SIZE sa{}, sb{};
    ASSERT_TRUE(GetTextExtentPoint32A(a.dc(), gbk.data(), static_cast<int>(gbk.size()), &sa));
    ASSERT_TRUE(GetTextExtentPoint32W(b.dc(), wide.data(), static_cast<int>(wide.size()), &sb));
    EXPECT_EQ(sa.cx, sb.cx);
    EXPECT_EQ(sa.cy, sb.cy);
    ASSERT_TRUE(
        ExtTextOutA(a.dc(), 3, 5, 0, nullptr, gbk.data(), static_cast<UINT>(gbk.size()), nullptr));
    ASSERT_TRUE(ExtTextOutW(b.dc(), 3, 5, 0, nullptr, wide.data(), static_cast<UINT>(wide.size()),
                            nullptr));
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) differing += a.At(x, y) != b.At(x, y);
    EXPECT_EQ(differing, 0);
    SelectObject(a.dc(), oldA);
    SelectObject(b.dc(), oldB);
    DeleteObject(font);
  }
}

TEST(WideTextTest, CharactersBeyondGbkAndSurrogatesAreDrawnOneGlyphEach) {
  Canvas canvas(200, 40);
  HFONT font = Font("DejaVu Sans", 18);
  HGDIOBJ old = SelectObject(canvas.dc(), font);
  auto width = [&](const std::u16string& s) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(canvas.dc(), s.data(), static_cast<int>(s.size()), &size));
    return size.cx;
  };
  // Ñ and ő are not in GBK; the GBK route can only show them as '?'.
  const std::u16string beyond = Wide("Ñő");
  EXPECT_GT(width(beyond), 0);
  ASSERT_TRUE(ExtTextOutW(canvas.dc(), 2, 2, 0, nullptr, beyond.data(),
                          static_cast<UINT>(beyond.size()), nullptr));
  EXPECT_NE(canvas.Ink(RGB(255, 255, 255)).right, 0);
  // A surrogate pair is one character; a lone surrogate is one replacement character.
  const std::u16string pair = u"a\U0001F600b",
                       lone =
                           u"a\xD800"
                           u"b",
                       replaced = u"a\uFFFDb";
  EXPECT_EQ(width(lone), width(replaced));
  EXPECT_LT(width(pair), width(u"a\uFFFD\uFFFDb"));
  SelectObject(canvas.dc(), old);
  DeleteObject(font);
}

}  // namespace
