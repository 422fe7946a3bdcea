// A photo taken the whole way through the program by keyboard and mouse: opened in the
// image-processing window, three filters chosen from its menu, handed over to the caption
// window, a caption typed through the input method and translated, and the still saved.
// VELMORA_JOURNEY_LOOK names a file to keep the still in, for a person to look at.

#include "app/filterwindow/FilterWindowUnits.h"
#include "tests/common/BmpFile.h"
#include "tests/common/Gbk.h"
#include "tests/velmora/VelmoraTestSupport.h"

namespace velmoratest {
namespace {

using namespace platform::testing;

class PhotoJourneyTest : public SubtitleTest {};

TEST_F(PhotoJourneyTest, FilteredPhotoWithTranslatedCaptionIsSavedAsAStill) {
  const std::string still = Folder() + "/still.jpg";
  OpenWindow(app::kFilterWindow);
  ScriptFileDialogAnswer(VELMORA_SOURCE_DIR "/app/assets/home.jpg");
  PressWith(VK_CONTROL, 'O');
  // Night, Blur and Greyscale by their places in the filter menu, below "取消所有滤镜" and
  // the separator.
  for (int place : {11, 13, 14}) {
    KeyDown(VK_MENU);
    PressKey('L');
    KeyUp(VK_MENU);
    for (int i = 0; i < place; ++i) PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    Pump();
  }

  // In the caption window, while the filter window's button waits for it.
  bool done = false;
  std::string chinese, english;
  {
    WhenIdle user([&] {
      if (done || Handle(app::kSubtitleWindow) == nullptr) return;
      done = true;
      StartTyping();
      ASSERT_TRUE(TypeUtf8("你好"));
      Pump();
      chinese = Chinese();
      english = English();
      ScriptFileDialogAnswer(still);
      ClickUnit(app::kSubtitleWindow, sub::kSaveButton);
      app::CloseWindow(app::kSubtitleWindow);
    });
    ClickUnit(app::kFilterWindow, app::filterwindow::kToCaptionButton);
  }
  ASSERT_TRUE(done);
  EXPECT_EQ(Handle(app::kFilterWindow), nullptr);
  EXPECT_EQ(chinese, testing_gbk::Gbk("你好"));
  EXPECT_EQ(english, "Hello");

  // The black band above the photo, the photo grey all through (Greyscale came last, and
  // stretching grey gives grey), the two caption lines drawn in the band below it.
  const std::vector<uint8_t> bytes = ReadFile(still);
  if (const char* look = std::getenv("VELMORA_JOURNEY_LOOK")) WriteFile(look, bytes);
  const testing_bmp::Pixels bmp = testing_bmp::ReadBmp(bytes, 32);
  ASSERT_EQ(bmp.width, 979);
  ASSERT_EQ(bmp.height, 610);
  auto count = [&](int top, int bottom, int step, auto&& counts) {
    int n = 0;
    for (int y = top; y < bottom; y += step)
      for (int x = 0; x < bmp.width; x += step) n += counts(bmp.At(x, y));
    return n;
  };
  auto lit = [](uint32_t p) { return p != 0; };
  EXPECT_EQ(count(0, 60, 1, lit), 0) << "the band above the photo is black";
  EXPECT_EQ(
      count(80, 500, 5,
            [](uint32_t p) { return (p >> 16) != (p & 0xFF) || (p >> 8 & 0xFF) != (p & 0xFF); }),
      0)
      << "the photo band is grey";
  EXPECT_GT(count(546, 576, 1, lit), 40) << "the Chinese line";
  EXPECT_GT(count(580, 610, 1, lit), 40) << "the English line";
}

}  // namespace
}  // namespace velmoratest
