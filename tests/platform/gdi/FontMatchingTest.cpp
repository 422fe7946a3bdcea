#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/FontMatcher.h"
#include "platform/gdi/RealizedFont.h"
#include "platform/wingdi.h"
#include "tests/common/Gbk.h"
#include "tests/platform/gdi/GdiTestCanvas.h"

using platform::gdi::FontFile;
using testing_gbk::Gbk;

namespace {

std::string FileName(const FontFile& f) {
  return f.path.substr(f.path.find_last_of('/') + 1);
}

TEST(FontMatchingTest, WindowsFacesMapToTheirStandIns) {
  EXPECT_EQ(platform::gdi::RequestedFamily(Gbk("宋体")), "AR PL UMing CN");
  EXPECT_EQ(platform::gdi::RequestedFamily(Gbk("楷体")), "AR PL UKai CN");
  EXPECT_EQ(platform::gdi::RequestedFamily("Calibri"), "Carlito");
  EXPECT_EQ(platform::gdi::RequestedFamily("calibri"), "Carlito");
  EXPECT_EQ(platform::gdi::RequestedFamily("Tahoma"), "Tahoma");

  FontFile f;
  ASSERT_TRUE(platform::gdi::MatchFont(Gbk("宋体"), false, false, &f));
  EXPECT_EQ(FileName(f), "uming.ttc");
  EXPECT_EQ(f.family, "AR PL UMing CN");
  ASSERT_TRUE(platform::gdi::MatchFont(Gbk("楷体"), false, false, &f));
  EXPECT_EQ(FileName(f), "ukai.ttc");
  ASSERT_TRUE(platform::gdi::MatchFont("Calibri", false, false, &f));
  EXPECT_EQ(FileName(f), "Carlito-Regular.ttf");
}

TEST(FontMatchingTest, OtherChineseFacesAndNoFaceUseTheFallback) {
  FontFile f;
  for (const std::string& face : {Gbk("黑体"), Gbk("微软雅黑"), std::string()}) {
    ASSERT_TRUE(platform::gdi::MatchFont(face, false, false, &f));
    EXPECT_EQ(f.family, platform::gdi::kFallbackFamily) << testing_gbk::Utf8(face);
  }
}

TEST(FontMatchingTest, LatinFacesGoThroughFontconfig) {
  FontFile f;
  ASSERT_TRUE(platform::gdi::MatchFont("Carlito", false, false, &f));
  EXPECT_EQ(FileName(f), "Carlito-Regular.ttf");
  // A face nobody has still draws with something.
  ASSERT_TRUE(platform::gdi::MatchFont("No Such Face 123", false, false, &f));
  EXPECT_FALSE(f.path.empty());
}

TEST(FontMatchingTest, StylesPickRealFacesOrAskForSynthesis) {
  FontFile f;
  ASSERT_TRUE(platform::gdi::MatchFont("Calibri", true, false, &f));
  EXPECT_EQ(FileName(f), "Carlito-Bold.ttf");
  EXPECT_TRUE(f.bold);
  ASSERT_TRUE(platform::gdi::MatchFont("Calibri", false, true, &f));
  EXPECT_EQ(FileName(f), "Carlito-Italic.ttf");
  EXPECT_TRUE(f.italic);
  // The Arphic faces come in one weight: bold has to be synthesized.
  ASSERT_TRUE(platform::gdi::MatchFont(Gbk("宋体"), true, false, &f));
  EXPECT_EQ(FileName(f), "uming.ttc");
  EXPECT_FALSE(f.bold);

  LOGFONTA lf{};
  lf.lfHeight = -16;
  lf.lfWeight = FW_BOLD;
  std::string face = Gbk("宋体");
  face.copy(lf.lfFaceName, face.size());
  auto bold = platform::gdi::RealizeFont(lf);
  ASSERT_NE(bold, nullptr);
  EXPECT_TRUE(bold->syntheticBold);
  std::string calibri = "Calibri";
  LOGFONTA lf2{};
  lf2.lfHeight = -16;
  lf2.lfWeight = FW_BOLD;
  calibri.copy(lf2.lfFaceName, calibri.size());
  auto realBold = platform::gdi::RealizeFont(lf2);
  ASSERT_NE(realBold, nullptr);
  EXPECT_FALSE(realBold->syntheticBold);
}

TEST(FontMatchingTest, GetTextFaceReportsTheNameAsGiven) {
  gdi_test::Canvas canvas(8, 8);
  std::string face = Gbk("宋体");
  gdi_test::SelectedFont font(canvas.dc(), gdi_test::MakeFont(face.c_str(), -12));
  char name[LF_FACESIZE] = {};
  EXPECT_EQ(GetTextFaceA(canvas.dc(), 0, nullptr), static_cast<int>(face.size()) + 1);
  EXPECT_EQ(GetTextFaceA(canvas.dc(), sizeof name, name), static_cast<int>(face.size()));
  EXPECT_EQ(std::string(name), face);
  // A buffer too small for the second character gets only whole characters.
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetTextFaceA(canvas.dc(), 3, small), 2);
  EXPECT_EQ(std::string(small), face.substr(0, 2));
  EXPECT_EQ(GetTextFaceA(nullptr, sizeof name, name), 0);
}

TEST(FontMatchingTest, CharsetAndFamilyInMetrics) {
  gdi_test::Canvas canvas(8, 8);
  TEXTMETRICA tm{};
  {
    gdi_test::SelectedFont font(canvas.dc(), gdi_test::MakeFont(Gbk("楷体").c_str(), -16));
    ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &tm));
    EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);
    EXPECT_EQ(tm.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR), TMPF_TRUETYPE | TMPF_VECTOR);
  }
  {
    gdi_test::SelectedFont font(canvas.dc(), gdi_test::MakeFont("Calibri", -16));
    ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &tm));
    EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
    EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_SWISS);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // set means variable pitch
  }
}

struct Enumerated {
  std::vector<std::string> faces;
  std::vector<BYTE> charSets;
  std::vector<LONG> weights;
  int stopAfter = 1 << 30;
};

int CALLBACK Collect(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD type, LPARAM param) {
  auto* seen = reinterpret_cast<Enumerated*>(param);
  EXPECT_EQ(type, TRUETYPE_FONTTYPE);
  EXPECT_EQ(tm->tmCharSet, lf->lfCharSet);
  EXPECT_GT(tm->tmHeight, 0);
  seen->faces.emplace_back(lf->lfFaceName);
  seen->charSets.push_back(lf->lfCharSet);
  seen->weights.push_back(lf->lfWeight);
  return static_cast<int>(seen->faces.size()) < seen->stopAfter ? 1 : 0;
}

TEST(FontMatchingTest, EnumeratesFamiliesWithFilters) {
  gdi_test::Canvas canvas(8, 8);
  LOGFONTA filter{};
  filter.lfCharSet = DEFAULT_CHARSET;
  Enumerated all;
  EXPECT_EQ(EnumFontFamiliesExA(canvas.dc(), &filter, Collect, reinterpret_cast<LPARAM>(&all), 0),
            1);
  auto has = [&](const Enumerated& e, const std::string& f) {
    return std::find(e.faces.begin(), e.faces.end(), f) != e.faces.end();
  };
  EXPECT_TRUE(has(all, "Carlito"));
  EXPECT_TRUE(has(all, "WenQuanYi Micro Hei"));
  EXPECT_TRUE(has(all, "AR PL UMing CN"));
  EXPECT_EQ(std::count(all.faces.begin(), all.faces.end(), "Carlito"), 1);

  Enumerated chinese;
  filter.lfCharSet = GB2312_CHARSET;
  EnumFontFamiliesExA(canvas.dc(), &filter, Collect, reinterpret_cast<LPARAM>(&chinese), 0);
  EXPECT_TRUE(has(chinese, "AR PL UKai CN"));
  EXPECT_FALSE(has(chinese, "Carlito"));
  for (BYTE cs : chinese.charSets) EXPECT_EQ(cs, GB2312_CHARSET);

  // Naming a family lists each of its styles.
  Enumerated carlito;
  filter.lfCharSet = DEFAULT_CHARSET;
  std::strcpy(filter.lfFaceName, "carlito");
  EnumFontFamiliesExA(canvas.dc(), &filter, Collect, reinterpret_cast<LPARAM>(&carlito), 0);
  EXPECT_EQ(carlito.faces.size(), 4u);
  EXPECT_EQ(std::count(carlito.weights.begin(), carlito.weights.end(), FW_BOLD), 2);

  // The callback stops the enumeration by returning zero.
  Enumerated first;
  first.stopAfter = 1;
  filter.lfFaceName[0] = '\0';
  EXPECT_EQ(EnumFontFamiliesExA(canvas.dc(), &filter, Collect, reinterpret_cast<LPARAM>(&first), 0),
            0);
  EXPECT_EQ(first.faces.size(), 1u);

  EXPECT_EQ(EnumFontFamiliesExA(nullptr, &filter, Collect, 0, 0), 0);
  EXPECT_EQ(EnumFontFamiliesExA(canvas.dc(), nullptr, Collect, 0, 0), 0);
}

}  // namespace
