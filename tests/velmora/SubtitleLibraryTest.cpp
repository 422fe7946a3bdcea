// The caption library: a keyword lists the matching captions in library order, checked
// against a filter of the library file over its UTF-8 form (where a match can only start at
// a character), and "插入" carries the selected caption into the caption window.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/program/Globals.h"
#include "platform/testing/InputAutomation.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/common/Gbk.h"
#include "tests/velmora/SubtitleTestSupport.h"

namespace velmoratest {
namespace {

using testing_gbk::Gbk;
using testing_gbk::Utf8;

std::vector<std::string> LibraryLinesUtf8() {
  std::ifstream in(VELMORA_SOURCE_DIR "/app/assets/captions.txt", std::ios::binary);
  const std::string utf8 = Utf8({std::istreambuf_iterator<char>(in), {}});
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < utf8.size(); start = end + 2) {
    end = std::min(utf8.find("\r\n", start), utf8.size());
    lines.push_back(utf8.substr(start, end - start));
  }
  return lines;
}

std::vector<std::string> CaptionLines() {
  std::vector<std::string> lines;
  const void* array = app::G().captionLines;
  const rt::ArrayShape shape = rt::ReadArrayShape(array);
  const auto* elements = static_cast<const uint8_t*>(array) + shape.headerBytes;
  for (uint64_t i = 0; i < shape.elementCount; ++i)
    lines.push_back(static_cast<const char*>(rt::ReadPointer(elements + i * sizeof(char*))));
  return lines;
}

class SubtitleLibraryTest : public SubtitleTest {
 protected:
  void SetUp() override {
    SubtitleTest::SetUp();
    OpenWindow(app::kSubtitleWindow);
    OpenWindow(app::kSubtitleLibraryWindow);
    ASSERT_NE(Handle(app::kSubtitleLibraryWindow), nullptr);
  }
  static std::string Results() { return Utf8(Text(app::kSubtitleLibraryWindow, sub::kResultBox)); }
};

TEST_F(SubtitleLibraryTest, KeywordListsMatchingCaptionsInLibraryOrder) {
  const std::vector<std::string> lines = LibraryLinesUtf8();
  ASSERT_GE(lines.size(), 200u);
  std::vector<std::string> gbkLines;
  for (const std::string& line : lines) gbkLines.push_back(Gbk(line));
  // A second load replaces the lines rather than adding to them.
  app::CloseWindow(app::kSubtitleLibraryWindow);
  Pump();
  OpenWindow(app::kSubtitleLibraryWindow);
  EXPECT_EQ(CaptionLines(), gbkLines);
  EXPECT_FALSE(IsWindowVisible(Handle(app::kSubtitleLibraryWindow, sub::kResultBox)));

  ClickUnit(app::kSubtitleLibraryWindow, sub::kKeywordBox);
  PressWith(VK_CONTROL, 'A');
  ASSERT_TRUE(platform::testing::TypeUtf8("我们"));
  Pump();
  const struct Row {
    const char* keyword;
    size_t atLeast;  // matches the library must give, so that the row tests something
  } rows[] = {{"我们", 3},
              {"雨", 3},
              {"城市", 2},
              {"。", 100},
              {"，我", 2},
              {"颐", 0},  // its two bytes stand across character boundaries,
                          // never as itself
              {"不存在的字幕", 0},
              {"", 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keyword);
    if (&row != &rows[0]) {  // the first was typed
      app::SetText(app::kSubtitleLibraryWindow, sub::kKeywordBox, sub::kContentProperty,
                   Gbk(row.keyword).c_str());
      Pump();
    }
    std::string expected;
    size_t count = 0;
    for (const std::string& line : lines) {
      if (*row.keyword != '\0' && line.find(row.keyword) != std::string::npos) {
        expected += line + "\r\n";
        ++count;
      }
    }
    EXPECT_EQ(Results(), expected);
    EXPECT_GE(count, row.atLeast);
    EXPECT_TRUE(IsWindowVisible(Handle(app::kSubtitleLibraryWindow, sub::kResultBox)));
  }
}

TEST_F(SubtitleLibraryTest, InsertCarriesTheSelectedCaptionIntoTheCaptionWindow) {
  const std::string first = "那年夏天，我们以为风会一直吹下去。";
  ASSERT_EQ(LibraryLinesUtf8().front(), first);
  app::SetText(app::kSubtitleLibraryWindow, sub::kKeywordBox, sub::kContentProperty,
               Gbk("夏天").c_str());
  Pump();
  ASSERT_EQ(Results().rfind(first + "\r\n", 0), 0u) << "the first caption comes first";
  // The first result line selected with the keyboard.
  ClickUnit(app::kSubtitleLibraryWindow, sub::kResultBox);
  PressWith(VK_CONTROL, VK_HOME);
  PressWith(VK_SHIFT, VK_END);
  ClickUnit(app::kSubtitleLibraryWindow, sub::kInsertButton);
  EXPECT_EQ(Text(app::kSubtitleWindow, sub::kCaptionBox), Gbk(first));
  EXPECT_EQ(Chinese(), Gbk(first));
  EXPECT_EQ(English(), "That summer we thought the wind would never stop.");
}

}  // namespace
}  // namespace velmoratest
