// The caption window driven as a user drives it: keys and input-method text in the caption
// box against the local translation service and without one, the photo, and the still
// saved (nothing written when the save dialog is cancelled).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/testing/Automation.h"
#include "platform/testing/DialogAutomation.h"
#include "platform/testing/InputAutomation.h"
#include "tests/common/BmpFile.h"
#include "tests/common/Gbk.h"
#include "tests/common/ScriptedServer.h"
#include "tests/velmora/SubtitleTestSupport.h"

namespace velmoratest {
namespace {

using testing_gbk::Gbk;
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

}  // namespace
}  // namespace velmoratest
