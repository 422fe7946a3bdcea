// The caption window and its library driven as a user drives them: keys and input-method
// text against the local translation service and without one, the photo, the still saved
// (nothing written when the save dialog is cancelled), and the library's search.
#include "tests/common/BmpFile.h"
#include "tests/common/Gbk.h"
#include "tests/common/ScriptedServer.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

using testing_gbk::Gbk;
using testing_gbk::Utf8;
namespace fs = std::filesystem;
namespace input = platform::testing;

// Two pixels: red on the left, blue on the right.
const std::vector<uint8_t> kRedBlue = testing_bmp::Bmp24(2, 1, {0xFF0000, 0x0000FF});

class SubtitleWindowTest : public SubtitleTest {
 protected:
  void SetUp() override {
    SubtitleTest::SetUp();
    OpenWindow(app::kSubtitleWindow);
    ASSERT_NE(Handle(app::kSubtitleWindow), nullptr);
    HandOver(kRedBlue);
    ClickUnit(app::kSubtitleWindow, sub::kProcessedPictureButton);
  }
  static std::vector<uint8_t> Photo() {
    return ByteSetOf(app::kSubtitleWindow, sub::kPhotoBox, sub::kPictureProperty);
  }
  static std::string Caption() { return Text(app::kSubtitleWindow, sub::kCaptionBox); }
};

TEST_F(SubtitleWindowTest, TypingUpdatesTheChineseLineAtOnceAndTheEnglishLineFromTheService) {
  EXPECT_EQ(Photo(), kRedBlue);
  const input::Image shown = input::CaptureWindow(Handle(app::kSubtitleWindow, sub::kPhotoBox));
  EXPECT_EQ(shown.At(shown.width / 4, shown.height / 2), 0xFF0000u) << "stretched over the box";
  EXPECT_EQ(shown.At(shown.width * 3 / 4, shown.height / 2), 0x0000FFu);

  EXPECT_EQ(Chinese(), Gbk("请输入文字"));
  EXPECT_EQ(English(), "Please input the text");
  StartTyping();
  const size_t before = service_.Targets().size();
  for (std::string typed : {"a", "ab"}) {
    input::PressKey(typed.back() - 'a' + 'A');
    Pump();
    EXPECT_EQ(Chinese(), typed) << "the Chinese line follows every key";
    EXPECT_EQ(English(), typed) << "the service echoes what it does not know";
  }
  // A phrase committed by the input method is one change and one request.
  ASSERT_TRUE(input::TypeUtf8("你好"));
  Pump();
  EXPECT_EQ(Caption(), "ab" + Gbk("你好"));
  EXPECT_EQ(Chinese(), "ab" + Gbk("你好"));
  PressWith(VK_CONTROL, 'A');
  ASSERT_TRUE(input::TypeUtf8("你好"));
  Pump();
  EXPECT_EQ(Chinese(), Gbk("你好"));
  EXPECT_EQ(English(), "Hello");
  const std::vector<std::string> targets = service_.Targets();
  ASSERT_EQ(targets.size(), before + 4);
  EXPECT_NE(targets.back().find("&text=%E4%BD%A0%E5%A5%BD&from=zh-CHS&to=en"), std::string::npos)
      << targets.back();
}

TEST_F(SubtitleWindowTest, WithoutAServiceTheEnglishLineIsEmptyAndNothingElseChanges) {
  UseService(scripted_server::RefusingPort());
  StartTyping();
  ASSERT_TRUE(input::TypeUtf8("你好"));
  Pump();
  EXPECT_EQ(Chinese(), Gbk("你好"));
  EXPECT_EQ(English(), "");
  EXPECT_EQ(Caption(), Gbk("你好"));
  EXPECT_EQ(Photo(), kRedBlue);
  EXPECT_TRUE(input::TakeMessageBoxLog().empty());
  EXPECT_EQ(GetFocus(), Handle(app::kSubtitleWindow, sub::kCaptionBox));
  // The service coming back is used by the next change.
  UseService(service_.Port());
  input::PressKey(VK_BACK);
  Pump();
  EXPECT_EQ(English(), Gbk("你"));
}

// The save dialog's first name is a bare file name, so the test works in its own folder.
TEST_F(SubtitleWindowTest, SaveWritesTheStillAndACancelledDialogWritesNothing) {
  const fs::path previous = fs::current_path();
  fs::current_path(Folder());
  auto names = [&] {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(Folder()))
      found.push_back(entry.path().filename());
    return found;
  };
  input::ScriptFileDialogCancel();
  ClickUnit(app::kSubtitleWindow, sub::kOpenPhotoButton);
  EXPECT_EQ(Photo(), kRedBlue) << "a cancelled open changed the photo";
  StartTyping();
  ASSERT_TRUE(input::TypeUtf8("你好"));
  Pump();

  input::ScriptFileDialogCancel();
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  EXPECT_TRUE(names().empty()) << "written under the dialog's first name";

  // The still is the 979 x 610 rectangle 9 px right of and 30 px below the window's corner.
  const std::string still = Folder() + "/still.jpg";
  input::ScriptFileDialogAnswer(still);
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  const std::vector<uint8_t> saved = ReadFile(still);
  const testing_bmp::Pixels bmp = testing_bmp::ReadBmp(saved, 32);
  const input::Image window = input::CaptureWindow(Handle(app::kSubtitleWindow));
  ASSERT_EQ(bmp.width, 979);
  ASSERT_EQ(bmp.height, 610);
  int differing = 0;
  for (int y = 0; y < 610; ++y)
    for (int x = 0; x < 979; ++x) differing += bmp.At(x, y) != window.At(9 + x, 30 + y);
  EXPECT_EQ(differing, 0);

  // Another caption and a cancelled save: the file chosen last keeps the first still.
  input::PressKey('B');
  Pump();
  input::ScriptFileDialogCancel();
  ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
  EXPECT_EQ(ReadFile(still), saved) << "the first still was overwritten";
  EXPECT_EQ(names(), std::vector<std::string>{"still.jpg"});
  const auto dialogs = input::TakeFileDialogLog();
  ASSERT_EQ(dialogs.size(), 4u);
  for (size_t i = 1; i < 4; ++i) EXPECT_EQ(dialogs[i].titleUtf8, "处理照片");
  fs::current_path(previous);
}

// The caption library: a keyword lists the matching captions in library order, checked
// against a filter of the library file over its UTF-8 form (where a match can only start at
// a character), and "插入" carries the selected caption into the caption window.
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

TEST_F(SubtitleTest, LibraryKeywordListsMatchingCaptionsInLibraryOrderAndInsertCarriesOne) {
  const std::vector<std::string> lines = LibraryLinesUtf8();
  ASSERT_GE(lines.size(), 200u);
  std::vector<std::string> gbkLines;
  for (const std::string& line : lines) gbkLines.push_back(Gbk(line));
  auto Results = [] { return Utf8(Text(app::kSubtitleLibraryWindow, sub::kResultBox)); };
  OpenWindow(app::kSubtitleWindow);
  // A second load replaces the lines rather than adding to them.
  OpenWindow(app::kSubtitleLibraryWindow);
  app::CloseWindow(app::kSubtitleLibraryWindow);
  Pump();
  OpenWindow(app::kSubtitleLibraryWindow);
  EXPECT_EQ(CaptionLines(), gbkLines);
  EXPECT_FALSE(IsWindowVisible(Handle(app::kSubtitleLibraryWindow, sub::kResultBox)));

  ClickUnit(app::kSubtitleLibraryWindow, sub::kKeywordBox);
  PressWith(VK_CONTROL, 'A');
  ASSERT_TRUE(platform::testing::TypeUtf8("我们"));
  Pump();
  // The rows' matches: at least as many as the library must give, so that each row tests
  // something; the two bytes of "颐" stand across character boundaries, never as itself.
  const struct Row {
    const char* keyword;
    size_t atLeast;
  } rows[] = {{"我们", 3}, {"雨", 3},           {"城市", 2}, {"。", 100}, {"，我", 2},
              {"颐", 0},   {"不存在的字幕", 0}, {"", 0},     {"夏天", 1}};
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
  // "插入" with the first result line selected by keys: the first caption of the library.
  ASSERT_EQ(Results().rfind(lines[0] + "\r\n", 0), 0u);
  ClickUnit(app::kSubtitleLibraryWindow, sub::kResultBox);
  PressWith(VK_CONTROL, VK_HOME);
  PressWith(VK_SHIFT, VK_END);
  ClickUnit(app::kSubtitleLibraryWindow, sub::kInsertButton);
  EXPECT_EQ(Text(app::kSubtitleWindow, sub::kCaptionBox), Gbk(lines[0]));
  EXPECT_EQ(Chinese(), Gbk(lines[0]));
  EXPECT_EQ(English(), "That summer we thought the wind would never stop.");
}

}  // namespace
}  // namespace velmoratest
