// The caption library window: its lines come from the library box, a keyword lists the
// matching captions in library order (checked against a filter of the library file written
// here, over its UTF-8 form, where a match can only start at a character), and "插入" carries
// the selected caption into the caption window, whose lines then follow.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/program/Globals.h"
#include "runtime/values/ValueBlocks.h"
#include "tests/velmora/SubtitleTestSupport.h"

namespace velmoratest {
namespace {

using testing_gbk::Gbk;
using testing_gbk::Utf8;

std::vector<std::string> LibraryLinesUtf8() {
  std::ifstream in(VELMORA_SOURCE_DIR "/app/assets/captions.txt", std::ios::binary);
  const std::string utf8 =
      Utf8({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < utf8.size(); start = end + 2) {
    end = utf8.find("\r\n", start);
    if (end == std::string::npos) end = utf8.size();
    lines.push_back(utf8.substr(start, end - start));
  }
  return lines;
}

// The search result as the window should show it: the matching lines, each ending in a
// line break, in UTF-8 to keep a failure readable.
std::string Expected(const std::vector<std::string>& lines, const std::string& keywordUtf8) {
  std::string out;
  if (keywordUtf8.empty()) return out;
  for (const std::string& line : lines) {
    if (line.find(keywordUtf8) != std::string::npos) out += line + "\r\n";
  }
  return out;
}

std::vector<std::string> CaptionLines() {
  std::vector<std::string> lines;
  const void* array = app::G().captionLines;
  if (array == nullptr) return lines;
  const rt::ArrayShape shape = rt::ReadArrayShape(array);
  const auto* elements = static_cast<const uint8_t*>(array) + shape.headerBytes;
  for (uint64_t i = 0; i < shape.elementCount; ++i) {
    const auto* text = static_cast<const char*>(rt::ReadPointer(elements + i * sizeof(char*)));
    lines.push_back(text == nullptr ? "" : text);
  }
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
  static std::string Results() {
    return Utf8(Text(app::kSubtitleLibraryWindow, sub::kResultBox, 8));
  }
  static bool ResultsShown() {
    return IsWindowVisible(Handle(app::kSubtitleLibraryWindow, sub::kResultBox));
  }
};

TEST_F(SubtitleLibraryTest, KeywordListsMatchingCaptionsInLibraryOrder) {
  const std::vector<std::string> lines = LibraryLinesUtf8();
  ASSERT_GE(lines.size(), 200u);
  std::vector<std::string> lineSet;
  for (const std::string& line : lines) lineSet.push_back(Gbk(line));
  EXPECT_EQ(CaptionLines(), lineSet);
  // A second load replaces the lines rather than adding to them.
  app::CloseWindow(app::kSubtitleLibraryWindow);
  Pump();
  OpenWindow(app::kSubtitleLibraryWindow);
  EXPECT_EQ(CaptionLines(), lineSet);
  EXPECT_FALSE(ResultsShown());

  // Typed as a user types: clear the prompt, then the keyword through the input method.
  ClickUnit(app::kSubtitleLibraryWindow, sub::kKeywordBox);
  SelectAllByKeys();
  ASSERT_TRUE(platform::testing::TypeUtf8("我们"));
  Pump();
  EXPECT_TRUE(ResultsShown());
  EXPECT_EQ(Results(), Expected(lines, "我们"));
  if (std::string png = LookPath("library-window.png"); !png.empty()) {
    platform::testing::WritePng(
        platform::testing::CaptureWindow(Handle(app::kSubtitleLibraryWindow)), png);
  }

  struct Row {
    const char* keyword;
    size_t atLeast;  // matches the library must give, so that the row tests something
  } rows[] = {
      {"雨", 3},
      {"城市", 2},
      {"。", 100},
      {"，我", 2},
      // Its two bytes stand across character boundaries in many lines, never as itself.
      {"颐", 0},
      {"不存在的字幕", 0},
      {"", 0},
  };
  for (const Row& row : rows) {
    app::SetText(app::kSubtitleLibraryWindow, sub::kKeywordBox, 8, Gbk(row.keyword).c_str());
    Pump();
    const std::string expected = Expected(lines, row.keyword);
    EXPECT_EQ(Results(), expected) << row.keyword;
    size_t count = 0;
    for (size_t at = expected.find("\r\n"); at != std::string::npos;
         at = expected.find("\r\n", at + 2))
      ++count;
    EXPECT_GE(count, row.atLeast) << row.keyword;
    EXPECT_TRUE(ResultsShown()) << row.keyword;
  }
}

TEST_F(SubtitleLibraryTest, InsertCarriesTheSelectedCaptionIntoTheCaptionWindow) {
  const std::string first = "那年夏天，我们以为风会一直吹下去。";
  ASSERT_EQ(LibraryLinesUtf8().front(), first);
  app::SetText(app::kSubtitleLibraryWindow, sub::kKeywordBox, 8, Gbk("夏天").c_str());
  Pump();
  ASSERT_EQ(Results().rfind(first + "\r\n", 0), 0u) << "the first caption comes first";
  // The user selects the first result line with the keyboard and presses "插入".
  ClickUnit(app::kSubtitleLibraryWindow, sub::kResultBox);
  PressWith(VK_CONTROL, VK_HOME);
  PressWith(VK_SHIFT, VK_END);
  ClickUnit(app::kSubtitleLibraryWindow, sub::kInsertButton);
  EXPECT_EQ(Text(app::kSubtitleWindow, sub::kCaptionBox, 8), Gbk(first));
  EXPECT_EQ(Chinese(), Gbk(first));
  EXPECT_EQ(English(), "That summer we thought the wind would never stop.");
}

}  // namespace
}  // namespace velmoratest
